// What pvc-bench measures beside the tours: wall time, the cost of one weight look-up, the
// look-ups an algorithm is defined to make, and the peak resident memory.
#pragma once

#include "graph/graphe.h"

namespace bench {

/// A monotonic clock in milliseconds.
double NowMs();

/// Nanoseconds per Graphe::Get in the pattern of a nearest-neighbour scan over g.
double CalibrateLookup(const EuclidianGraphe& g);

/// Weight look-ups the algorithm of row is defined to make on g; negative when not fixed.
double Lookups(int row, const EuclidianGraphe* g);

/// Starts a new peak of resident memory at the present size (Linux: clear_refs 5).
void ResetPeakMemory();

/// The peak resident memory in MiB since the last reset (VmHWM); -1 when unknown.
double PeakMemoryMiB();

}  // namespace bench

// The 2-opt exchange on a ring of oriented edge records, shared by the 2-opt heuristic and
// the simulated annealing.
//
// A tour is held as a ring of tArrete records (tArretes::CircuitAsLinkedList) plus one
// reversal mark per vertex. A mark of 1 says that the two records meeting at that vertex
// are stored in opposite directions, so a cursor walking with the walking accessors flips
// its orientation flag when it passes there. Reversing a stretch of the tour then rewrites
// only the two records at its ends, four links and two marks, whatever its length.
#pragma once

#include "algorithms/algorithms.h"
#include "graph/arretes.h"
#include "graph/graphe.h"

namespace pvc {

/// Gain of the exchange of tour edges i and j, read under the flags ri and rj: the weights
/// of the two edges minus those of (S1i, S1j) and (S2i, S2j). Exact, never wraps.
inline long long TwoOptGain(const Graphe* e, const tArrete* i, bool ri, const tArrete* j, bool rj) {
  return static_cast<long long>(e->Get(i->s1, i->s2)) + e->Get(j->s1, j->s2) -
         e->Get(i->GetS1(ri), j->GetS1(rj)) - e->Get(i->GetS2(ri), j->GetS2(rj));
}

/// Exchanges the edges A (read under flag a) and B (flag b): B must be met after A when
/// travelling from A under a, with at least one record between them, or be the record just
/// before A (the tour then stays the same). Rewrites A, B, the neighbours at the two ends
/// of the reversed stretch and two marks, then the edge set: Remove(S1j, S2j),
/// Remove(S1i, S2i), Add(S1i, S1j), Add(S2i, S2j). When name is not null, first prints
/// "<name>: inversion S1i-S2i et S1j-S2j\n". Returns false when the edge set could not
/// allocate a record (ring and marks are updated all the same, so the ring stays walkable).
bool ApplyTwoOptMove(tArrete* A, bool a, tArrete* B, bool b, char* marks, tArretes* ta, const char* name);

/// The working tour of the 2-opt and the annealing: the nearest-neighbour tour as the edge
/// set that is finally returned, the same tour as a ring of oriented records (head
/// `chemin`, the record leaving vertex 0) and one reversal mark per vertex, all 0 at the
/// start. Whatever it still holds is released when it goes out of scope.
struct RingTour {
  tArretes* ta = nullptr;
  tArrete* chemin = nullptr;
  char* marks = nullptr;

  RingTour() = default;
  RingTour(const RingTour&) = delete;
  RingTour& operator=(const RingTour&) = delete;
  ~RingTour();

  /// Runs the nearest-neighbour heuristic with options, prints ready_line (when not null)
  /// at output level 1, then builds the ring and the marks. False once it has reported a
  /// failure under name: the inner run's, "H2Opt: erreur, echec de CircuitAsLinkedList\n"
  /// (the message of both users) or a want of memory.
  bool Start(EuclidianGraphe* e, unsigned long options, const char* name, const char* ready_line);

  /// Hands the edge set over to the caller.
  tArretes* TakeTour() {
    tArretes* t = ta;
    ta = nullptr;
    return t;
  }
};

}  // namespace pvc

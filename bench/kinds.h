// The kinds of generated instances: uniform (the points `random` draws) and clustered
// (normal clouds around centres drawn uniformly). Both come from the program's generator
// (graph/random.h) and from IEEE basic operations only, so that a seed gives the same
// instance on every platform.
#pragma once

#include <string>

#include "graph/graphe.h"

namespace bench {

enum class Kind { kUniform, kClustered };

/// "uniform" or "clustered" into *kind; false for any other word.
bool ParseKind(const std::string& word, Kind* kind);
const char* KindName(Kind kind);

/// The name of a generated instance: randomN-sSEED for a uniform one (the name it always
/// had), clusteredN-sSEED for a clustered one.
std::string InstanceName(Kind kind, unsigned n, unsigned seed);

/// Draws the points of an instance of g->GetSommets() cities of the kind into g (built
/// with Metric::kTruncated), in the square of side range, and fills its stored weights.
///
/// Clustered: n/10 centres (at least one) drawn uniformly in the square, then each city a
/// centre drawn at random plus a normal offset of standard deviation range/sqrt(n) in each
/// coordinate, rounded to the nearest integer and clipped into [0, range].
void GenerateInstance(Kind kind, EuclidianGraphe* g, unsigned range, unsigned seed);

/// The natural logarithm of x > 0 from additions, multiplications and divisions alone
/// (the platform's log may differ in its last bit from one C library to another).
double PortableLog(double x);

/// Two independent standard normal deviates from the generator's stream (the polar form
/// of the Box-Muller transform).
void NormalPair(double* a, double* b);

}  // namespace bench

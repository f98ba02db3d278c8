// The Held-Karp lower bound of the optimal tour: 1-trees under vertex penalties, raised by
// subgradient ascent, the value certified on the complete graph in integers.
//
// For penalties pi, every tour weighs at least L(pi) = (minimum 1-tree under the weights
// w(i, j) + pi[i] + pi[j]) - 2 sum(pi): a tour is a 1-tree in which every vertex has
// degree 2, so its penalties add exactly 2 sum(pi). The ascent moves each penalty along
// (degree - 2) of the current 1-tree, with a step that starts at one weight unit, doubles
// while the bound rises, then is halved with the length of each period (the schedule
// Helsgaun describes for the ascent of his Lin-Kernighan implementation). Its 1-trees are
// taken in a sparse graph (each vertex's nearest vertices under the penalties, and every
// pair an exact 1-tree used), which is only a guide: the value returned is L(pi) of the
// best penalties evaluated on the complete graph by ExactOneTree, in whole numbers of
// 1/kPenaltyScale, divided back and rounded up (tour lengths are whole). It never exceeds
// the optimum, whatever the rule of the weights.
//
// Cost: each iteration is Prim's on the sparse graph, O(m log n) for m candidate pairs
// (about 6n); the number of iterations grows slowly with n (a few thousand at 10^5); the
// exact 1-tree is evaluated about a dozen times. Memory: about 250 bytes a vertex.
#pragma once

#include <cstdint>

#include "graph/graphe.h"

namespace pvc {

/// How the ascent runs; the defaults suit every size.
struct BoundOptions {
  unsigned candidates = 8;      ///< nearest vertices under the penalties kept for each vertex
  uint64_t max_iterations = 0;  ///< a cap on the ascent's iterations; 0: the schedule decides
};

/// What the bound found.
struct BoundResult {
  unsigned long long value = 0;  ///< the bound: no tour is shorter
  uint64_t iterations = 0;       ///< ascent iterations made
  bool tour = false;             ///< the final 1-tree is a tour: value is the optimum
};

enum class BoundStatus { kDone, kInterrupted, kNoMemory };

/// Computes the bound of g into *out. Reports progress ("HeldKarp", per iteration, with
/// the current bound) and polls Interrupted(). kInterrupted or kNoMemory leave *out unset.
BoundStatus HeldKarpBound(const EuclidianGraphe& g, BoundResult* out, const BoundOptions& options = {});

}  // namespace pvc

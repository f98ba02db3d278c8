// The minimum 1-tree of the complete graph under vertex penalties, computed exactly: the
// certifying step of the Held-Karp lower bound (held_karp_bound.h).
//
// Keys are whole numbers: the key of the pair (i, j) is kPenaltyScale x w(i, j) + pi[i] +
// pi[j], with w the instance's own weight (Graphe::GetDistinct) and pi integer penalties
// in 1/kPenaltyScale of a weight unit. A 1-tree here is a minimum spanning tree of all
// the vertices plus, at one of its leaves s, the second lightest pair at s: that is the
// minimum spanning tree of the other vertices with the two lightest pairs at s, a 1-tree
// with s as its special vertex. Among the leaves the one giving the heaviest 1-tree is
// taken, since each gives a lower bound. Its cost minus 2 x sum(pi) is L(pi), in scaled
// units; every tour weighs at least L(pi) / kPenaltyScale.
//
// On a matrix instance (or points whose coordinate differences could wrap) the tree is
// Prim's over every pair, O(n^2) look-ups. On an instance of points it is Boruvka's over a
// k-d tree: each round finds, for every component, its lightest pair leaving it, searching
// the tree with a bound that never skips a vertex that could beat the best pair found: a
// box is skipped only when a lower bound of the weight from its distance (less the
// rounding slack of the rule) plus the least penalty inside it already exceeds it. Ties
// are broken by the vertex numbers, so the pairs chosen form one forest. About
// O(n log^2 n) in practice; memory about 120 bytes a vertex.
#pragma once

#include <cstdint>

#include "containers/resources.h"
#include "graph/graphe.h"

namespace pvc {

/// Weights are multiplied by this before the penalties are added.
constexpr int64_t kPenaltyScale = 100;

/// Largest penalty magnitude the exact 1-tree accepts: keys then stay far inside 64 bits
/// and exact in double for the pruning tests.
constexpr int64_t kPenaltyLimit = int64_t{1} << 50;

/// A 1-tree of n vertices: n - 1 tree pairs (a[k], b[k]), then the pair closing it at the
/// special vertex, a[n - 1] = special.
struct OneTree {
  Array<uint32_t> a, b;
  __int128 cost = 0;  ///< sum of the n keys minus 2 x sum(pi): L(pi) x kPenaltyScale
  uint32_t special = 0;
};

class PenaltyTree;

/// The exact minimum 1-tree of an instance's complete graph (n >= 3).
class ExactOneTree {
 public:
  ExactOneTree();
  ~ExactOneTree();
  ExactOneTree(const ExactOneTree&) = delete;
  ExactOneTree& operator=(const ExactOneTree&) = delete;

  /// Prepares for g, which must outlive this object; false when an allocation fails.
  /// dense forces Prim over every pair (the reference method; tests compare both).
  bool Init(const EuclidianGraphe& g, bool dense = false);

  /// The minimum 1-tree under pi (n penalties, each within kPenaltyLimit) into *out.
  /// False when the run was interrupted or an allocation failed (*out then unspecified).
  bool Solve(const int64_t* pi, OneTree* out);

  /// The k pairs of least (key - pi[i], j) at every vertex i, into nb[i * k ..] (fewer
  /// when n - 1 < k; the rest hold i itself): the candidate lists of the ascent.
  bool Nearest(const int64_t* pi, unsigned k, uint32_t* nb);

  /// True when the points' k-d tree serves the instance (else Prim over all pairs).
  bool Spatial() const { return tree_ != nullptr; }
  /// The vertices in the k-d tree's order (neighbours in space are near in it); null
  /// without the tree.
  const uint32_t* SpatialOrder() const;

 private:
  bool SolveDense(const int64_t* pi, OneTree* out);
  bool SolvePoints(const int64_t* pi, OneTree* out);
  // Adds at the tree's best leaf the closing pair; the tree is out's first n - 1 pairs.
  bool CloseAtLeaf(const int64_t* pi, OneTree* out);
  // The lightest pair at s other than (s, t) by (key, number): its far end and key.
  void SecondAt(const int64_t* pi, uint32_t s, uint32_t t, uint32_t* far, int64_t* key);

  const EuclidianGraphe* g_ = nullptr;
  unsigned n_ = 0;
  PenaltyTree* tree_ = nullptr;
  Array<uint32_t> all_;  // 0 .. n-1, for batched look-ups
  Array<uint32_t> w_;    // one batch of weights
};

}  // namespace pvc

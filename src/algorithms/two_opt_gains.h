// The best 2-opt exchange of a tour, kept up to date move by move, for the 2-opt heuristic
// below its trace levels.
//
// A move removes the tour edges (u, u') and (c, c'), u' and c' following u and c in one
// direction of travel, and adds (u, c) and (u', c'). Its gain is the sum of the brackets
// [w(u, u') - w(u, c)] and [w(c, c') - w(u', c')], so a positive gain has a positive
// bracket: c lies within w(u, u') of u, or u' lies within w(c, c') of c'. Every vertex u
// therefore keeps its ball, the vertices closer to it than the longer of its two tour
// edges, and the best gain of the moves that start from u with a candidate of the ball, in
// each direction; the best of all these is the best move of the whole tour. Among equal
// best gains, the first pair of the order of travel from vertex 0 is taken, as a scan
// would take it: the pairs of the tied vertices are placed by position when asked for.
//
// The tour is an array with an orientation, so a move reverses the shorter side of the
// tour (turning the orientation when that is the side through vertex 0). A move changes
// the best gain of the vertices on the reversed side (their directions swap), of the four
// vertices whose edges changed, and of the vertices whose ball holds one of these; only
// they are computed again. The balls sit in one pool, each also threaded into a reverse
// chain per member, so that the vertices whose ball holds a given vertex are at hand.
//
// Cost: on 100 000 uniform points a move reverses about 2000 vertices and computes about
// 6000 ball entries again on average, most of it in the first few thousand moves, while
// the long edges of the starting tour last (their balls are large, their reversals long);
// most moves touch a few dozen vertices. Memory: about 80 bytes per vertex and 16 per ball
// entry (a few per vertex, more at the start), plus the spatial index on instances of
// points; on a matrix the balls are read from the rows.
#pragma once

#include <cstdint>

#include "containers/resources.h"
#include "graph/graphe.h"
#include "graph/spatial_index.h"

namespace pvc {

class TwoOptGains {
 public:
  /// An exchange: the positions i < j of its two edges in the order of travel from
  /// vertex 0 (position p joins the vertices at p and p + 1), and its gain; 0 for none.
  struct Move {
    long long gain;
    unsigned i, j;
  };

  /// Takes the tour sequence[0] = 0, sequence[1], ..., sequence[n-1] over the vertices of
  /// g, which must outlive this object. False when an allocation fails or the run is
  /// interrupted.
  bool Build(const EuclidianGraphe& g, const int* sequence);

  /// The pair of largest positive gain, the first in the order of travel (i, then j)
  /// among equals; gain 0 when no exchange shortens the tour.
  Move Best() const;

  /// The vertex at position p (0 <= p < n) of the order of travel.
  int At(unsigned p) const { return ord_[Index(p)]; }

  /// Applies the exchange of the edges at positions i < j: reverses positions i+1 .. j
  /// and brings the gains up to date. False when an allocation fails; the object is then
  /// no longer usable.
  bool Apply(unsigned i, unsigned j);

 private:
  // One vertex c of the ball of `owner`, at weight w, threaded into the reverse chain of c.
  struct Entry {
    int c;
    uint32_t w;
    int owner;
    int next;  // in the reverse chain of c; -1 at its end
  };

  // Index in ord_ of position p, and position of vertex v.
  unsigned Index(unsigned p) const {
    const uint64_t h = idx_[0];
    return static_cast<unsigned>(forward_ ? (h + p) % n_ : (h + n_ - p) % n_);
  }
  unsigned Position(int v) const {
    const uint64_t h = idx_[0], k = idx_[v];
    return static_cast<unsigned>(forward_ ? (k + n_ - h) % n_ : (h + n_ - k) % n_);
  }
  // The neighbour of v along the array (d = 0) or against it (d = 1).
  int Adjacent(int v, int d) const {
    const unsigned k = idx_[v];
    return d == 0 ? ord_[k + 1 == n_ ? 0 : k + 1] : ord_[k == 0 ? n_ - 1 : k - 1];
  }

  // Calls f(c, w) for every vertex c of the ball of u, at weight w.
  template <class F>
  void Gather(int u, F f) const;
  // Computes the ball of u again for its current edges; false when the pool cannot grow.
  bool SetBall(int u);
  // Takes entry k out of its reverse chain.
  void Unlink(int k);
  bool Reserve(size_t more);
  bool Regrow(size_t capacity);
  void Compact(Entry* to);
  // Computes the two best gains of u again and updates the tree.
  void Recompute(int u);
  void Raise(int u);
  // Offers the moves of u in direction d of gain g to *best, placed by position.
  void Place(int u, int d, long long g, Move* best) const;

  const EuclidianGraphe* g_ = nullptr;
  unsigned n_ = 0;
  bool indexed_ = false;
  SpatialIndex index_;
  bool forward_ = true;  // the order of travel follows the array
  Array<int> ord_;        // the tour, as an array
  Array<unsigned> idx_;   // index of each vertex in ord_
  Array<long long> gain_;   // best gain of each vertex along (2v) and against (2v+1) the array
  Array<int> partner_;       // the one candidate that reaches each gain; -1 for none or several
  Array<long long> tree_;   // maximum of the gains of the vertices below each node
  unsigned leaves_ = 0;     // first leaf of tree_
  Array<unsigned> start_;   // ball of each vertex: pool_[start_ .. start_ + count_ - 1]
  Array<unsigned> count_;
  Array<int> chain_;        // first entry of each vertex's reverse chain, -1 when empty
  Array<Entry> pool_;
  size_t capacity_ = 0, top_ = 0, dead_ = 0;
  Array<Neighbour> scratch_;  // a ball being gathered
  size_t scratch_capacity_ = 0;
  Array<unsigned> stamp_;     // move at which each vertex was last marked for computing
  Array<int> marked_;
  unsigned moves_ = 0;
};

}  // namespace pvc

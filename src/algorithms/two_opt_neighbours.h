// Nearest-neighbour lists for the pruned 2-opt pass: for every vertex, its closest
// vertices by weight, closest first, in two tiers.
//
// Every vertex has a short list of kShort entries. A vertex whose search goes past its
// short list gets, on first demand, a long list of kLong entries; the long lists share a
// pool of n * kShort entries, so the memory stays n * kShort * 2 entries whatever the
// searches. Past its long list, or when the pool is used up, a search visits every vertex
// within its radius (Around).
//
// On an instance of points the lists and the searches come from a k-d tree (about
// n log n weights to build them all); on a matrix the short lists come from one sweep
// over the triangle, a long list from the vertex's whole row, and Around reads that row.
#pragma once

#include <cstdint>

#include "containers/resources.h"
#include "graph/graphe.h"
#include "graph/spatial_index.h"

namespace pvc {

class NeighbourLists {
 public:
  static constexpr unsigned kShort = 16;
  static constexpr unsigned kLong = 128;

  /// Builds the short lists and reserves the pool. False when an allocation fails or the
  /// run is interrupted.
  bool Build(const EuclidianGraphe& g);

  /// A list of a vertex: its entries in ascending (weight, vertex) order. Every vertex
  /// left out is at least as far as the last entry; `all` says that none is left out.
  struct List {
    const Neighbour* entry;
    unsigned count;
    bool all;
  };

  /// The short list of u.
  List Short(int u) const { return List{&short_[static_cast<size_t>(u) * ks_], ks_, ks_ == n_ - 1}; }
  /// Weight from u to its closest vertex.
  uint32_t Closest(int u) const { return closest_[u]; }
  /// The long list of u, made on first demand; count 0 when the pool is used up.
  List Long(const Graphe& g, int u);

  /// Calls f(v, w) for every vertex v other than u whose weight w to u is at most *bound,
  /// in no particular order; f may lower *bound. A negative bound finds nothing.
  template <class F>
  void Around(const Graphe& g, int u, long long* bound, F f) const {
    if (indexed_) return index_.Within(u, bound, f);
    for (int c = 0; c < static_cast<int>(n_) && *bound >= 0; ++c) {
      if (c == u) continue;
      const uint32_t w = g.GetDistinct(c, u);
      if (static_cast<long long>(w) <= *bound) f(c, w);
    }
  }

 private:
  unsigned n_ = 0;
  unsigned ks_ = 0;  // entries of a short list: min(kShort, n - 1)
  unsigned kl_ = 0;  // entries of a long list: min(kLong, n - 1)
  Array<Neighbour> short_;
  Array<uint32_t> closest_;
  Array<Neighbour> pool_;
  Array<int> slot_;         // long list of each vertex in the pool, -1 while it has none
  Array<Neighbour> row_;    // one whole row, to select a long list from (matrix only)
  unsigned slots_used_ = 0;
  unsigned slots_ = 0;
  bool indexed_ = false;
  SpatialIndex index_;
};

}  // namespace pvc

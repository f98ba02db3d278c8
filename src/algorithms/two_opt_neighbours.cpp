#include "algorithms/two_opt_neighbours.h"

#include <algorithm>

namespace pvc {

namespace {

// A short list being filled: its entry count and the weight a newcomer must stay below to
// enter (2^32, above every weight, while the list is not full).
struct Filling {
  uint64_t bound;
  unsigned count;
};

// Inserts (v, w) into the sorted list l of capacity k, after the entries of equal weight;
// when the list is full its last entry drops out.
void Insert(Neighbour* l, unsigned k, Filling& f, int v, uint32_t w) {
  unsigned at = f.count < k ? f.count++ : k - 1;
  for (; at > 0 && l[at - 1].w > w; --at) l[at] = l[at - 1];
  l[at] = Neighbour{w, v};
  if (f.count == k) f.bound = l[k - 1].w;
}

bool Closer(const Neighbour& a, const Neighbour& b) { return a.w < b.w || (a.w == b.w && a.v < b.v); }

}  // namespace

bool NeighbourLists::Build(const EuclidianGraphe& g) {
  n_ = g.GetSommets();
  ks_ = std::min(kShort, n_ - 1);
  kl_ = std::min(kLong, n_ - 1);
  slots_ = n_ * ks_ / kl_;
  indexed_ = SpatialIndex::Serves(g);
  short_ = NewArray<Neighbour>(static_cast<size_t>(n_) * ks_);
  closest_ = NewArray<uint32_t>(n_);
  pool_ = NewArray<Neighbour>(static_cast<size_t>(slots_) * kl_);
  slot_ = NewArray<int>(n_);
  if (!short_ || !closest_ || !pool_ || !slot_) return false;
  for (unsigned u = 0; u < n_; ++u) slot_[u] = -1;
  if (indexed_) {
    if (!index_.Build(g)) return false;
    for (unsigned u = 0; u < n_; ++u) {
      if ((u & 1023) == 0 && Interrupted()) return false;
      index_.Closest(static_cast<int>(u), ks_, &short_[static_cast<size_t>(u) * ks_]);
      closest_[u] = short_[static_cast<size_t>(u) * ks_].w;
    }
    return true;
  }
  row_ = NewArray<Neighbour>(n_);
  Array<Filling> fill = NewArray<Filling>(n_);
  if (!row_ || !fill) return false;
  for (unsigned u = 0; u < n_; ++u) fill[u] = Filling{uint64_t{1} << 32, 0};
  // Each row of the triangle offers its weights to both of their vertices. The rows come
  // in ascending order, so every list sees its candidates by ascending vertex and keeps,
  // among equal weights, the lower vertices first.
  for (unsigned i = 0; i + 1 < n_; ++i) {
    if (Interrupted()) return false;
    Neighbour* li = &short_[static_cast<size_t>(i) * ks_];
    Filling& fi = fill[i];
    for (unsigned j = i + 1; j < n_; ++j) {
      const uint32_t w = g.GetDistinct(static_cast<int>(i), static_cast<int>(j));
      if (w < fi.bound) Insert(li, ks_, fi, static_cast<int>(j), w);
      if (w < fill[j].bound) Insert(&short_[static_cast<size_t>(j) * ks_], ks_, fill[j], static_cast<int>(i), w);
    }
  }
  for (unsigned u = 0; u < n_; ++u) closest_[u] = short_[static_cast<size_t>(u) * ks_].w;
  return true;
}

NeighbourLists::List NeighbourLists::Long(const Graphe& g, int u) {
  if (slot_[u] < 0) {
    if (slots_used_ == slots_) return List{nullptr, 0, false};
    Neighbour* list = &pool_[static_cast<size_t>(slots_used_) * kl_];
    if (indexed_) {
      index_.Closest(u, kl_, list);
    } else {
      unsigned m = 0;
      for (int c = 0; c < static_cast<int>(n_); ++c)
        if (c != u) row_[m++] = Neighbour{g.GetDistinct(c, u), c};
      std::nth_element(&row_[0], &row_[kl_ - 1], &row_[m], Closer);
      std::sort(&row_[0], &row_[kl_], Closer);
      std::copy(&row_[0], &row_[kl_], list);
    }
    slot_[u] = static_cast<int>(slots_used_++);
  }
  return List{&pool_[static_cast<size_t>(slot_[u]) * kl_], kl_, kl_ == n_ - 1};
}

}  // namespace pvc

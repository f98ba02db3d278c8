#include "graph/spatial_index.h"

#include <algorithm>
#include <cmath>

namespace pvc {

namespace {
constexpr uint32_t kLeafSize = 8;  // a node of more points is split
constexpr double kNoLimit = HUGE_VAL;

bool Before(const Neighbour& a, const Neighbour& b) { return a.w < b.w || (a.w == b.w && a.v < b.v); }
}  // namespace

bool SpatialIndex::Build(const EuclidianGraphe& g) {
  g_ = &g;
  rule_ = g.GetMetric();
  n_ = g.GetSommets();
  xy_ = NewArray<double>(size_t{2} * n_);
  order_ = NewArray<int>(n_);
  pos_ = NewArray<uint32_t>(n_);
  leaf_ = NewArray<uint32_t>(n_);
  dead_ = NewArray<char>(n_, true);
  nodes_ = NewArray<Node>(n_ / 2 + 4);
  // The points are split in place as (x, y, vertex) records, which the partitions read in
  // sequence; their final order is the leaves'.
  Array<Point> points = nodes_ ? NewArray<Point>(n_) : nullptr;
  if (!xy_ || !order_ || !pos_ || !leaf_ || !dead_ || !nodes_ || !points) return false;
  const double* file = g.GetFilePoints();
  for (unsigned v = 0; v < n_; ++v) {
    const double x = file ? file[2 * v] : g.GetCoords(static_cast<int>(v))->x;
    const double y = file ? file[2 * v + 1] : g.GetCoords(static_cast<int>(v))->y;
    points[v] = Point{{x, y}, static_cast<int>(v)};
  }
  node_count_ = 1;
  Fill(points.get(), 0, 0, n_, 0);
  for (uint32_t p = 0; p < n_; ++p) {
    order_[p] = points[p].v;
    pos_[points[p].v] = p;
    xy_[2 * p] = points[p].c[0];
    xy_[2 * p + 1] = points[p].c[1];
  }
  return true;
}

void SpatialIndex::Fill(Point* points, uint32_t k, uint32_t begin, uint32_t end, uint32_t parent) {
  Node& node = nodes_[k];
  node.begin = begin;
  node.end = end;
  node.parent = parent;
  node.live = end - begin <= kLeafSize ? end - begin : 2;
  node.child = 0;
  for (int a = 0; a < 2; ++a) node.lo[a] = node.hi[a] = points[begin].c[a];
  for (uint32_t p = begin; p < end; ++p)
    for (int a = 0; a < 2; ++a) {
      node.lo[a] = std::min(node.lo[a], points[p].c[a]);
      node.hi[a] = std::max(node.hi[a], points[p].c[a]);
    }
  if (end - begin <= kLeafSize) {
    for (uint32_t p = begin; p < end; ++p) leaf_[p] = k;
    return;
  }
  // Halves along the longer side of the box.
  const int axis = node.hi[1] - node.lo[1] > node.hi[0] - node.lo[0] ? 1 : 0;
  const uint32_t mid = begin + (end - begin) / 2;
  std::nth_element(points + begin, points + mid, points + end,
                   [axis](const Point& a, const Point& b) { return a.c[axis] < b.c[axis]; });
  const uint32_t child = node_count_;
  node_count_ += 2;
  nodes_[k].child = child;
  Fill(points, child, begin, mid, k);
  Fill(points, child + 1, mid, end, k);
}

double SpatialIndex::BoxKey(const Node& k, int u) const {
  double d[2];
  for (int a = 0; a < 2; ++a) {
    const double c = xy_[2 * pos_[u] + a];
    d[a] = c < k.lo[a] ? k.lo[a] - c : c > k.hi[a] ? c - k.hi[a] : 0;
  }
  return d[0] * d[0] + d[1] * d[1];
}

void SpatialIndex::Remove(int v) {
  const uint32_t p = pos_[v];
  dead_[p] = 1;
  // The leaf loses a point; a node left empty makes its parent lose a child. Boxes shrink
  // to their live points as long as a box changes (a point inside its box leaves the boxes
  // above as they are), so most removals stop near the leaf.
  uint32_t k = leaf_[p];
  --nodes_[k].live;
  for (bool shrink = true;;) {
    const bool emptied = nodes_[k].live == 0;
    if (shrink) shrink = emptied || Tighten(k, &xy_[2 * p]);
    if (k == 0 || (!emptied && !shrink)) break;
    k = nodes_[k].parent;
    if (emptied) --nodes_[k].live;
  }
}

bool SpatialIndex::Tighten(uint32_t k, const double* gone) {
  Node& node = nodes_[k];
  // Every side of a box is some live point's coordinate: a point strictly inside held none.
  if (node.lo[0] < gone[0] && gone[0] < node.hi[0] && node.lo[1] < gone[1] && gone[1] < node.hi[1]) return false;
  double lo[2] = {HUGE_VAL, HUGE_VAL}, hi[2] = {-HUGE_VAL, -HUGE_VAL};
  auto take = [&](const double* l, const double* h) {
    for (int a = 0; a < 2; ++a) {
      lo[a] = std::min(lo[a], l[a]);
      hi[a] = std::max(hi[a], h[a]);
    }
  };
  if (node.child == 0) {
    for (uint32_t p = node.begin; p < node.end; ++p)
      if (!dead_[p]) take(&xy_[2 * p], &xy_[2 * p]);
  } else {
    for (uint32_t c = node.child; c < node.child + 2; ++c)
      if (nodes_[c].live != 0) take(nodes_[c].lo, nodes_[c].hi);
  }
  if (lo[0] == node.lo[0] && lo[1] == node.lo[1] && hi[0] == node.hi[0] && hi[1] == node.hi[1]) return false;
  for (int a = 0; a < 2; ++a) {
    node.lo[a] = lo[a];
    node.hi[a] = hi[a];
  }
  return true;
}

int SpatialIndex::Nearest(int u, uint32_t* w) const {
  Neighbour best{0, -1};
  Visit(0, u,
        [&](uint32_t pos) {
          const Neighbour c{g_->GetDistinct(u, order_[pos]), order_[pos]};
          if (best.v < 0 || Before(c, best)) best = c;
        },
        [&] { return best.v < 0 ? kNoLimit : Graphe::RuleKeyAbove(rule_, best.w); });
  *w = best.w;
  return best.v;
}

unsigned SpatialIndex::Closest(int u, unsigned k, Neighbour* out) const {
  unsigned count = 0;
  if (k == 0) return 0;
  Visit(0, u,
        [&](uint32_t pos) {
          const Neighbour c{g_->GetDistinct(u, order_[pos]), order_[pos]};
          if (count == k && !Before(c, out[k - 1])) return;
          unsigned at = count < k ? count++ : k - 1;
          for (; at > 0 && Before(c, out[at - 1]); --at) out[at] = out[at - 1];
          out[at] = c;
        },
        [&] { return count < k ? kNoLimit : Graphe::RuleKeyAbove(rule_, out[k - 1].w); });
  return count;
}

}  // namespace pvc

#include "graph/nearest_walk.h"

#include <algorithm>
#include <cmath>

namespace pvc {

namespace {
constexpr unsigned kBucket = 8;           // most points a bucket holds
constexpr double kSlack = 1 - 0x1p-20;    // keys are compared with this margin
}  // namespace

bool NearestWalk::Build(const EuclidianGraphe& g) {
  g_ = &g;
  rule_ = g.GetMetric();
  n_ = g.GetSommets();
  points_weigh_ = rule_ == Metric::kTruncated && !g.Stored();
  // The least depth whose buckets hold at most kBucket points: each then holds at least
  // kBucket / 2, so none starts empty.
  depth_ = 0;
  while (n_ > static_cast<unsigned long long>(kBucket) << depth_) ++depth_;
  leaves_ = uint32_t{1} << depth_;
  points_ = NewArray<Point>(n_ > 0 ? n_ : 1);
  begin_ = NewArray<uint32_t>(leaves_ + 1);
  cut_ = NewArray<double>(leaves_);
  axis_ = NewArray<uint8_t>(leaves_);
  live_ = NewArray<uint8_t>(size_t{2} * leaves_);
  if (!points_ || !begin_ || !cut_ || !axis_ || !live_) return false;
  const double* file = g.GetFilePoints();
  double lo[2] = {HUGE_VAL, HUGE_VAL}, hi[2] = {-HUGE_VAL, -HUGE_VAL};
  for (unsigned v = 0; v < n_; ++v) {
    Point& p = points_[v];
    p.c[0] = file ? file[2 * v] : g.GetCoords(static_cast<int>(v))->x;
    p.c[1] = file ? file[2 * v + 1] : g.GetCoords(static_cast<int>(v))->y;
    p.v = static_cast<int>(v);
    for (int a = 0; a < 2; ++a) {
      lo[a] = std::min(lo[a], p.c[a]);
      hi[a] = std::max(hi[a], p.c[a]);
    }
  }
  begin_[leaves_] = n_;
  Split(1, 0, n_, lo, hi);
  return true;
}

void NearestWalk::Split(uint32_t k, uint32_t begin, uint32_t end, double* lo, double* hi) {
  if (k >= leaves_) {
    begin_[k - leaves_] = begin;
    live_[k] = static_cast<uint8_t>(end - begin);
    return;
  }
  // Halves the points across the longer side of the node's cell: those before the median
  // are at or below the cut, those after at or above.
  live_[k] = 2;
  const int a = hi[1] - lo[1] > hi[0] - lo[0] ? 1 : 0;
  const uint32_t mid = begin + (end - begin) / 2;
  Point* p = points_.get();
  std::nth_element(p + begin, p + mid, p + end, [a](const Point& x, const Point& y) { return x.c[a] < y.c[a]; });
  const double cut = p[mid].c[a];
  cut_[k] = cut;
  axis_[k] = static_cast<uint8_t>(a);
  const double h = hi[a], l = lo[a];
  hi[a] = cut;
  Split(2 * k, begin, mid, lo, hi);
  hi[a] = h;
  lo[a] = cut;
  Split(2 * k + 1, mid, end, lo, hi);
  lo[a] = l;
}

void NearestWalk::Start(int v) {
  uint32_t pos = 0;
  while (points_[pos].v != v) ++pos;
  const uint32_t leaf = static_cast<uint32_t>(std::upper_bound(&begin_[0], &begin_[leaves_], pos) - &begin_[0]) - 1;
  at_[0] = points_[pos].c[0];
  at_[1] = points_[pos].c[1];
  at_v_ = v;
  at_leaf_ = leaves_ + leaf;
  Take(at_leaf_, pos);
}

int NearestWalk::Next(uint32_t* w) {
  if (live_[1] == 0) return -1;
  Best best{0, -1, 0, 0, HUGE_VAL};
  Scan(at_leaf_, &best);
  // Climbing: the cell of the other child of each node above lies beyond the node's cut,
  // which the point taken last is on this side of.
  for (uint32_t k = at_leaf_; k > 1; k >>= 1) {
    const uint32_t s = k ^ 1;
    if (live_[s] == 0) continue;
    const uint32_t parent = k >> 1;
    const int a = axis_[parent];
    const double d = at_[a] - cut_[parent];
    if (d * d * kSlack >= best.lim) continue;
    double off[2] = {0, 0};
    off[a] = std::fabs(d);
    Descend(s, off, d * d, &best);
  }
  const Point& p = points_[best.pos];
  at_[0] = p.c[0];
  at_[1] = p.c[1];
  at_v_ = best.v;
  at_leaf_ = best.leaf;
  Take(best.leaf, best.pos);
  *w = best.w;
  return best.v;
}

uint32_t NearestWalk::WeightTo(const Point& p) const {
  if (!points_weigh_) return g_->GetDistinct(at_v_, p.v);
  const Point2D a{static_cast<uint32_t>(at_[0]), static_cast<uint32_t>(at_[1])};
  const Point2D b{static_cast<uint32_t>(p.c[0]), static_cast<uint32_t>(p.c[1])};
  return EuclideanWeight(a, b);
}

void NearestWalk::Scan(uint32_t leaf, Best* best) const {
  const uint32_t first = begin_[leaf - leaves_];
  const Point* p = &points_[first];
  for (uint32_t i = 0, count = live_[leaf]; i < count; ++i) {
    const double dx = p[i].c[0] - at_[0], dy = p[i].c[1] - at_[1];
    if ((dx * dx + dy * dy) * kSlack >= best->lim) continue;
    const uint32_t w = WeightTo(p[i]);
    const int v = p[i].v;
    if (best->v < 0 || w < best->w || (w == best->w && v < best->v)) {
      *best = Best{w, v, first + i, leaf, Graphe::RuleKeyAbove(rule_, w)};
    }
  }
}

void NearestWalk::Descend(uint32_t k, double* off, double key, Best* best) const {
  if (live_[k] == 0 || key * kSlack >= best->lim) return;
  if (k >= leaves_) {
    Scan(k, best);
    return;
  }
  // The child on the point's side first; the other one lies at least as far as the cut.
  const int a = axis_[k];
  const double d = at_[a] - cut_[k];
  const uint32_t near = 2 * k + (d > 0 ? 1 : 0);
  Descend(near, off, key, best);
  const double o = off[a];
  off[a] = std::fabs(d);
  Descend(near ^ 1, off, off[0] * off[0] + off[1] * off[1], best);
  off[a] = o;
}

void NearestWalk::Take(uint32_t leaf, uint32_t pos) {
  // The bucket's last live point fills the place; the taken one is no longer read.
  const uint32_t last = begin_[leaf - leaves_] + live_[leaf] - 1;
  points_[pos] = points_[last];
  if (--live_[leaf] != 0) return;
  for (uint32_t k = leaf; k > 1;) {
    k >>= 1;
    if (--live_[k] != 0) return;
  }
}

}  // namespace pvc

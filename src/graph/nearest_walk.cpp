#include "graph/nearest_walk.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace pvc {

namespace {
constexpr unsigned kBucket = 8;         // most points a bucket of the median tree holds
constexpr unsigned kCellLimit = 64;     // most points a cell of the grid tree may hold
constexpr double kSlack = 1 - 0x1p-20;  // keys are compared with this margin
}  // namespace

bool NearestWalk::Build(const EuclidianGraphe& g) {
  g_ = &g;
  rule_ = g.GetMetric();
  n_ = g.GetSommets();
  points_weigh_ = rule_ == Metric::kTruncated && !g.Stored();
  path_leaf_ = 0;
  // The least depth whose median buckets hold at most kBucket points: each then holds at
  // least kBucket / 2, so none starts empty; grid cells hold about as many on average.
  depth_ = 0;
  while (n_ > static_cast<unsigned long long>(kBucket) << depth_) ++depth_;
  leaves_ = uint32_t{1} << depth_;
  points_ = NewArray<Point>(n_ > 0 ? n_ : 1);
  begin_ = NewArray<uint32_t>(leaves_ + 1);
  cut_ = NewArray<double>(leaves_);
  axis_ = NewArray<uint8_t>(leaves_);
  live_ = NewArray<uint8_t>(size_t{2} * leaves_);
  if (!points_ || !begin_ || !cut_ || !axis_ || !live_) return false;
  file_ = g.GetFilePoints();
  double lo[2] = {HUGE_VAL, HUGE_VAL}, hi[2] = {-HUGE_VAL, -HUGE_VAL};
  for (unsigned v = 0; v < n_; ++v)
    for (int a = 0; a < 2; ++a) {
      lo[a] = std::min(lo[a], Coord(v, a));
      hi[a] = std::max(hi[a], Coord(v, a));
    }
  begin_[leaves_] = n_;
  halved_ = GridSplit(lo, hi);
  if (halved_) return true;
  for (unsigned v = 0; v < n_; ++v) points_[v] = Point{{Coord(v, 0), Coord(v, 1)}, static_cast<int>(v)};
  Split(1, 0, n_, lo, hi);
  return true;
}

bool NearestWalk::GridSplit(const double* lo, const double* hi) {
  // Every node halves its cell across the longer side, the same at every node of a level:
  // a point's bucket follows from its cell on a grid of 2^k[0] x 2^k[1] cells, the bits of
  // its two cell numbers interleaved level by level, the first level's highest.
  Grid grid;
  unsigned next[2] = {0, 0};
  for (unsigned d = 0; d < depth_; ++d) {
    const int a = std::ldexp(hi[1] - lo[1], -static_cast<int>(next[1])) >
                  std::ldexp(hi[0] - lo[0], -static_cast<int>(next[0]));
    grid.axis[d] = static_cast<uint8_t>(a);
    grid.used[d] = static_cast<uint8_t>(next[a]++);
  }
  for (int a = 0; a < 2; ++a) {
    grid.k[a] = next[a];
    grid.lo[a] = lo[a];
    grid.scale[a] = hi[a] > lo[a] ? std::ldexp(1.0, static_cast<int>(next[a])) / (hi[a] - lo[a]) : 0;
    if (!std::isfinite(grid.scale[a])) grid.scale[a] = 0;  // an extent too small or too large: one cell
    grid.top[a] = hi[a];
    grid.last[a] = (uint32_t{1} << next[a]) - 1;
  }
  // Bit j of a cell number along axis a lands on bit place[a][j] of the bucket number.
  uint32_t place[2][32] = {};
  for (unsigned d = 0; d < depth_; ++d) {
    const int a = grid.axis[d];
    place[a][grid.k[a] - 1 - grid.used[d]] = uint32_t{1} << (depth_ - 1 - d);
  }
  for (int a = 0; a < 2; ++a)
    for (unsigned b = 0; b < 4; ++b)
      for (unsigned x = 1; x < 256; ++x) {
        unsigned low = 0;
        while (!(x >> low & 1)) ++low;
        grid.spread[a][b][x] = grid.spread[a][b][x & (x - 1)] | place[a][8 * b + low];
      }
  // The cells' counts, then the points in bucket order (by ascending number inside each);
  // a crowded cell (many points at one place, or far outliers) leaves the tree to the
  // median cuts. begin_ counts, then marks the end of each bucket, then its start.
  std::fill(&begin_[0], &begin_[leaves_], 0);
  for (unsigned v = 0; v < n_; ++v)
    if (++begin_[grid.Bucket(Coord(v, 0), Coord(v, 1))] > kCellLimit) return false;
  uint32_t sum = 0;
  for (uint32_t j = 0; j < leaves_; ++j) {
    live_[leaves_ + j] = static_cast<uint8_t>(begin_[j]);
    begin_[j] = sum += begin_[j];
  }
  for (unsigned v = n_; v-- > 0;) {
    const double x = Coord(v, 0), y = Coord(v, 1);
    points_[--begin_[grid.Bucket(x, y)]] = Point{{x, y}, static_cast<int>(v)};
  }
  for (uint32_t k = leaves_; k-- > 1;) live_[k] = static_cast<uint8_t>((live_[2 * k] != 0) + (live_[2 * k + 1] != 0));
  Cut(grid, 1, 0, 0, 0);
  return true;
}

uint32_t NearestWalk::Grid::Cell(int a, double c) const {
  return scale[a] == 0 ? 0 : std::min(last[a], static_cast<uint32_t>((c - lo[a]) * scale[a]));
}

uint32_t NearestWalk::Grid::Bucket(double x, double y) const {
  const uint32_t cx = Cell(0, x), cy = Cell(1, y);
  return spread[0][0][cx & 255] | spread[0][1][cx >> 8 & 255] | spread[0][2][cx >> 16 & 255] | spread[0][3][cx >> 24] |
         spread[1][0][cy & 255] | spread[1][1][cy >> 8 & 255] | spread[1][2][cy >> 16 & 255] | spread[1][3][cy >> 24];
}

double NearestWalk::Grid::Boundary(int a, uint32_t i) const {
  // Cell numbers grow with the coordinate: every point of a lower cell lies below the
  // least coordinate of cell i or above, and every point of those at or above it.
  if (scale[a] == 0) return top[a];
  double c = std::min(top[a], lo[a] + i / scale[a]);
  while (Cell(a, c) < i) c = std::nextafter(c, HUGE_VAL);
  for (double below = std::nextafter(c, -HUGE_VAL); Cell(a, below) >= i; below = std::nextafter(c, -HUGE_VAL)) c = below;
  return c;
}

void NearestWalk::Cut(const Grid& grid, uint32_t k, unsigned d, uint32_t cx, uint32_t cy) {
  if (d == depth_) return;
  // The node covers the cells whose numbers along its axis start with prefix; its cut is
  // the boundary of the upper half of them.
  const int a = grid.axis[d];
  const uint32_t prefix = a ? cy : cx;
  const unsigned below = grid.k[a] - 1 - grid.used[d];
  cut_[k] = grid.Boundary(a, (2 * prefix + 1) << below);
  axis_[k] = static_cast<uint8_t>(a);
  Cut(grid, 2 * k, d + 1, a ? cx : 2 * cx, a ? 2 * cy : cy);
  Cut(grid, 2 * k + 1, d + 1, a ? cx : 2 * cx + 1, a ? 2 * cy + 1 : cy);
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
  // which the point taken last is on this side of. Once the best so far is nearer than
  // every side of a node's cell, nothing outside the cell can do better.
  Follow(at_leaf_);
  for (uint32_t k = at_leaf_, depth = depth_; k > 1; k >>= 1, --depth) {
    const Cell& c = path_[depth];
    const double margin = std::min(std::min(at_[0] - c.lo[0], c.hi[0] - at_[0]), std::min(at_[1] - c.lo[1], c.hi[1] - at_[1]));
    if (margin * margin * kSlack >= best.lim) break;
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

void NearestWalk::Follow(uint32_t leaf) {
  // The cells below the deepest node the two paths share are renewed, each from its
  // parent's and the parent's cut.
  unsigned d = 0;
  if (path_leaf_ != 0) {
    d = depth_;
    for (uint32_t x = path_leaf_ ^ leaf; x != 0; x >>= 1) --d;
  }
  for (; d < depth_; ++d) {
    const uint32_t node = leaf >> (depth_ - d);
    const int a = axis_[node];
    path_[d + 1] = path_[d];
    (leaf >> (depth_ - d - 1) & 1 ? path_[d + 1].lo : path_[d + 1].hi)[a] = cut_[node];
  }
  path_leaf_ = leaf;
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

#include "algorithms/one_tree.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace pvc {

namespace {
constexpr uint32_t kNone = UINT32_MAX;
constexpr uint32_t kLeafSize = 8;
constexpr int64_t kInfinite = INT64_MAX;

// (key, vertex) pairs ordered by key, then vertex number.
struct Pair {
  int64_t key;
  uint32_t v;
};
inline bool Less(int64_t k1, uint32_t v1, int64_t k2, uint32_t v2) { return k1 < k2 || (k1 == k2 && v1 < v2); }
}  // namespace

// A k-d tree over the points, with each box's least penalty and, during Boruvka's rounds,
// the component all its points share (kNone when they differ).
class PenaltyTree {
 public:
  bool Build(const EuclidianGraphe& g) {
    g_ = &g;
    n_ = g.GetSommets();
    truncated_ = g.GetMetric() == Metric::kTruncated;
    // A weight is at least the points' distance (over sqrt(10) for ATT) less the rule's
    // rounding (truncation, or the float roundings of a random instance: both below one
    // unit and 2^-21 of the distance); a further half unit absorbs the double roundings
    // of the bound itself.
    factor_ = (g.GetMetric() == Metric::kAtt ? 1 / std::sqrt(10.0) : 1.0) * (1 - 0x1p-20);
    order_ = NewArray<uint32_t>(n_);
    pos_ = NewArray<uint32_t>(n_);
    xy_ = NewArray<double>(size_t{2} * n_);
    pts_ = NewArray<Point2D>(truncated_ ? n_ : 1);
    pi_ = NewArray<int64_t>(n_);
    label_ = NewArray<uint32_t>(n_);
    const size_t nodes = n_ / 2 + 4;  // leaves hold at least 4 points
    nodes_ = NewArray<Node>(nodes);
    minpi_ = NewArray<int64_t>(nodes);
    nodelabel_ = NewArray<uint32_t>(nodes);
    if (!order_ || !pos_ || !xy_ || !pts_ || !pi_ || !label_ || !nodes_ || !minpi_ || !nodelabel_) return false;
    const double* file = g.GetFilePoints();
    Array<double> xy = NewArray<double>(size_t{2} * n_);
    if (!xy) return false;
    for (uint32_t v = 0; v < n_; ++v) {
      order_[v] = v;
      xy[2 * v] = file ? file[2 * v] : g.GetCoords(static_cast<int>(v))->x;
      xy[2 * v + 1] = file ? file[2 * v + 1] : g.GetCoords(static_cast<int>(v))->y;
    }
    count_ = 1;
    Fill(0, 0, n_, xy.get());
    for (uint32_t p = 0; p < n_; ++p) {
      const uint32_t v = order_[p];
      pos_[v] = p;
      xy_[2 * p] = xy[2 * v];
      xy_[2 * p + 1] = xy[2 * v + 1];
      if (truncated_) pts_[p] = *g.GetCoords(static_cast<int>(v));
    }
    return true;
  }

  const uint32_t* Order() const { return order_.get(); }

  /// Takes the penalties of a solve: by position, and each box's least.
  void SetPenalties(const int64_t* pi) {
    for (uint32_t p = 0; p < n_; ++p) pi_[p] = pi[order_[p]];
    for (uint32_t k = count_; k-- > 0;) {
      const Node& nd = nodes_[k];
      if (nd.child) {
        minpi_[k] = std::min(minpi_[nd.child], minpi_[nd.child + 1]);
      } else {
        int64_t m = kInfinite;
        for (uint32_t p = nd.begin; p < nd.end; ++p) m = std::min(m, pi_[p]);
        minpi_[k] = m;
      }
    }
  }

  /// Takes the component of every vertex, and each box's common one.
  void SetLabels(const uint32_t* comp) {
    for (uint32_t p = 0; p < n_; ++p) label_[p] = comp[order_[p]];
    for (uint32_t k = count_; k-- > 0;) {
      const Node& nd = nodes_[k];
      uint32_t c;
      if (nd.child) {
        c = nodelabel_[nd.child] == nodelabel_[nd.child + 1] ? nodelabel_[nd.child] : kNone;
      } else {
        c = label_[nd.begin];
        for (uint32_t p = nd.begin + 1; p < nd.end && c != kNone; ++p)
          if (label_[p] != c) c = kNone;
      }
      nodelabel_[k] = c;
    }
  }

  /// The vertex j outside component c of least (scale x w(i, j) + pi[j], j) below
  /// (*key, *j); false, nothing changed, when there is none.
  bool NearestForeign(uint32_t i, uint32_t c, int64_t* key, uint32_t* j) const {
    Query q{i, pos_[i], c, *key, *j, 0, nullptr};
    Search(0, &q);
    if (q.best_v == *j && q.best == *key) return false;
    *key = q.best;
    *j = q.best_v;
    return true;
  }

  /// The k vertices j != i of least (scale x w(i, j) + pi[j], j), ascending, into out;
  /// returns how many (k unless n - 1 < k).
  unsigned Closest(uint32_t i, unsigned k, Pair* out) const {
    Query q{i, pos_[i], kNone, kInfinite, kNone, k, out};
    Search(0, &q);
    return q.count;
  }

 private:
  struct Node {
    double lo[2], hi[2];
    uint32_t begin, end;  // positions of its points
    uint32_t child;       // first of two children; 0 for a leaf
    uint32_t minid;       // least vertex number inside
  };
  struct Query {
    uint32_t i, ip, comp;  // the vertex, its position, the component excluded (kNone: none)
    int64_t best;          // the bar: (best, best_v), or the k-th pair when k is set
    uint32_t best_v;
    unsigned k;  // 0: the nearest foreign vertex; else the k closest into out
    Pair* out;
    unsigned count = 0;
  };

  void Fill(uint32_t k, uint32_t begin, uint32_t end, const double* xy) {
    Node& nd = nodes_[k];
    nd.begin = begin;
    nd.end = end;
    nd.child = 0;
    nd.minid = kNone;
    for (int a = 0; a < 2; ++a) nd.lo[a] = nd.hi[a] = xy[2 * order_[begin] + a];
    for (uint32_t p = begin; p < end; ++p) {
      nd.minid = std::min(nd.minid, order_[p]);
      for (int a = 0; a < 2; ++a) {
        nd.lo[a] = std::min(nd.lo[a], xy[2 * order_[p] + a]);
        nd.hi[a] = std::max(nd.hi[a], xy[2 * order_[p] + a]);
      }
    }
    if (end - begin <= kLeafSize) return;
    const int axis = nd.hi[1] - nd.lo[1] > nd.hi[0] - nd.lo[0] ? 1 : 0;
    const uint32_t mid = begin + (end - begin) / 2;
    std::nth_element(&order_[begin], &order_[mid], &order_[0] + end,
                     [xy, axis](uint32_t a, uint32_t b) { return xy[2 * a + axis] < xy[2 * b + axis]; });
    const uint32_t child = count_;
    count_ += 2;
    nodes_[k].child = child;
    Fill(child, begin, mid, xy);
    Fill(child + 1, mid, end, xy);
  }

  // A lower bound of scale x w(i, j) + pi[j] over the points j of node k.
  double Bound(uint32_t k, uint32_t ip) const {
    const Node& nd = nodes_[k];
    const double x = xy_[2 * ip], y = xy_[2 * ip + 1];
    const double dx = x < nd.lo[0] ? nd.lo[0] - x : x > nd.hi[0] ? x - nd.hi[0] : 0;
    const double dy = y < nd.lo[1] ? nd.lo[1] - y : y > nd.hi[1] ? y - nd.hi[1] : 0;
    const double w = std::sqrt(dx * dx + dy * dy) * factor_ - 1.5;
    return (w > 0 ? w * kPenaltyScale : 0) + static_cast<double>(minpi_[k]);
  }

  // True when no point of node k can come before the query's bar.
  bool Beyond(uint32_t k, double bound, const Query& q) const {
    if (q.k && q.count < q.k) return false;
    const double bar = static_cast<double>(q.best);
    return bound > bar || (bound >= bar && nodes_[k].minid > q.best_v);
  }

  uint32_t Weight(uint32_t ip, uint32_t p) const {
    if (truncated_) return EuclideanWeight(pts_[ip], pts_[p]);
    return g_->GetDistinct(static_cast<int>(order_[ip]), static_cast<int>(order_[p]));
  }

  void Search(uint32_t k, Query* q) const {
    const Node& nd = nodes_[k];
    if (q->comp != kNone && nodelabel_[k] == q->comp) return;
    if (nd.child == 0) {
      for (uint32_t p = nd.begin; p < nd.end; ++p) {
        if (p == q->ip || (q->comp != kNone && label_[p] == q->comp)) continue;
        const int64_t key = kPenaltyScale * Weight(q->ip, p) + pi_[p];
        const uint32_t v = order_[p];
        if (q->k == 0) {
          if (Less(key, v, q->best, q->best_v)) q->best = key, q->best_v = v;
          continue;
        }
        if (q->count == q->k && !Less(key, v, q->best, q->best_v)) continue;
        unsigned at = q->count < q->k ? q->count++ : q->k - 1;
        for (; at > 0 && Less(key, v, q->out[at - 1].key, q->out[at - 1].v); --at) q->out[at] = q->out[at - 1];
        q->out[at] = Pair{key, v};
        if (q->count == q->k) q->best = q->out[q->k - 1].key, q->best_v = q->out[q->k - 1].v;
      }
      return;
    }
    const uint32_t a = nd.child, b = nd.child + 1;
    const double ba = Bound(a, q->ip), bb = Bound(b, q->ip);
    const uint32_t first = bb < ba ? b : a, second = bb < ba ? a : b;
    if (!Beyond(first, std::min(ba, bb), *q)) Search(first, q);
    if (!Beyond(second, std::max(ba, bb), *q)) Search(second, q);
  }

  const EuclidianGraphe* g_ = nullptr;
  uint32_t n_ = 0, count_ = 0;
  bool truncated_ = false;
  double factor_ = 1;
  Array<uint32_t> order_, pos_;  // vertices by position; position of each vertex
  Array<double> xy_;             // by position
  Array<Point2D> pts_;           // by position, random instances only
  Array<int64_t> pi_;            // by position
  Array<uint32_t> label_;        // by position
  Array<Node> nodes_;
  Array<int64_t> minpi_;
  Array<uint32_t> nodelabel_;
};

ExactOneTree::ExactOneTree() = default;
const uint32_t* ExactOneTree::SpatialOrder() const { return tree_ ? tree_->Order() : nullptr; }
ExactOneTree::~ExactOneTree() { delete tree_; }

bool ExactOneTree::Init(const EuclidianGraphe& g, bool dense) {
  g_ = &g;
  n_ = g.GetSommets();
  delete tree_;
  tree_ = nullptr;
  all_ = NewArray<uint32_t>(n_);
  w_ = NewArray<uint32_t>(n_);
  if (!all_ || !w_) return false;
  for (uint32_t v = 0; v < n_; ++v) all_[v] = v;
  // Points of a random instance whose coordinates reach 2^31 have differences that wrap
  // in the weight's 32-bit arithmetic: no distance bounds those weights.
  bool spatial = !dense && g.GetMetric() != Metric::kMatrix;
  if (spatial && g.GetMetric() == Metric::kTruncated)
    for (uint32_t v = 0; v < n_ && spatial; ++v)
      spatial = g.GetCoords(static_cast<int>(v))->x < 0x80000000u && g.GetCoords(static_cast<int>(v))->y < 0x80000000u;
  if (!spatial) return true;
  tree_ = New<PenaltyTree>();
  if (tree_ && tree_->Build(g)) return true;
  delete tree_;
  tree_ = nullptr;
  return false;
}

bool ExactOneTree::Solve(const int64_t* pi, OneTree* out) {
  if (!out->a) out->a = NewArray<uint32_t>(n_);
  if (!out->b && out->a) out->b = NewArray<uint32_t>(n_);
  if (!out->a || !out->b) return false;
  if (!(tree_ ? SolvePoints(pi, out) : SolveDense(pi, out))) return false;
  return CloseAtLeaf(pi, out);
}

bool ExactOneTree::SolveDense(const int64_t* pi, OneTree* out) {
  // Prim from vertex 0; dehors holds the vertices outside the tree, key[v] the least key
  // from v to the tree and to[v] its tree end.
  Array<uint32_t> dehors = NewArray<uint32_t>(n_);
  Array<int64_t> key = NewArray<int64_t>(n_);
  Array<uint32_t> to = NewArray<uint32_t>(n_);
  if (!dehors || !key || !to) return false;
  uint32_t count = n_ - 1;
  for (uint32_t c = 0; c < count; ++c) dehors[c] = c + 1;
  g_->Weights(0, &dehors[0], count, &w_[0]);
  for (uint32_t c = 0; c < count; ++c) {
    const uint32_t v = dehors[c];
    key[v] = kPenaltyScale * w_[c] + pi[0] + pi[v];
    to[v] = 0;
  }
  for (uint32_t step = 0; step + 1 < n_; ++step) {
    if (Interrupted()) return false;
    uint32_t at = 0;
    for (uint32_t c = 1; c < count; ++c)
      if (key[dehors[c]] < key[dehors[at]]) at = c;
    const uint32_t u = dehors[at];
    out->a[step] = to[u];
    out->b[step] = u;
    // Removed in place, so the rest stay ascending: stored weights are then read in order.
    std::memmove(&dehors[at], &dehors[at + 1], sizeof(uint32_t) * (count - at - 1));
    if (--count == 0) break;
    g_->Weights(static_cast<int>(u), &dehors[0], count, &w_[0]);
    for (uint32_t c = 0; c < count; ++c) {
      const uint32_t v = dehors[c];
      const int64_t k = kPenaltyScale * w_[c] + pi[u] + pi[v];
      if (k < key[v]) key[v] = k, to[v] = u;
    }
  }
  return true;
}

bool ExactOneTree::SolvePoints(const int64_t* pi, OneTree* out) {
  const uint32_t n = n_;
  Array<uint32_t> parent = NewArray<uint32_t>(n), comp = NewArray<uint32_t>(n);
  // Per vertex: its nearest vertex of another component when known (still the nearest
  // while it stays foreign, since the foreign vertices only become fewer), and a lower
  // bound of its least key to a foreign vertex.
  Array<uint32_t> near = NewArray<uint32_t>(n);
  Array<int64_t> nearkey = NewArray<int64_t>(n), floor = NewArray<int64_t>(n);
  // Per component (at its root): the least pair leaving it, by (key, smaller, larger).
  Array<int64_t> bkey = NewArray<int64_t>(n);
  Array<uint32_t> blo = NewArray<uint32_t>(n), bhi = NewArray<uint32_t>(n);
  Array<char> asked = NewArray<char>(n);
  if (!parent || !comp || !near || !nearkey || !floor || !bkey || !blo || !bhi || !asked) return false;
  for (uint32_t v = 0; v < n; ++v) parent[v] = v, near[v] = kNone, floor[v] = -kInfinite;
  auto find = [&](uint32_t v) {
    while (parent[v] != v) v = parent[v] = parent[parent[v]];
    return v;
  };
  auto offer = [&](uint32_t c, int64_t k, uint32_t i, uint32_t j) {
    const uint32_t lo = std::min(i, j), hi = std::max(i, j);
    if (k < bkey[c] || (k == bkey[c] && (lo < blo[c] || (lo == blo[c] && hi < bhi[c])))) bkey[c] = k, blo[c] = lo, bhi[c] = hi;
  };
  tree_->SetPenalties(pi);
  const uint32_t* order = tree_->Order();
  uint32_t edges = 0;
  while (edges + 1 < n) {
    if (Interrupted()) return false;
    for (uint32_t v = 0; v < n; ++v) comp[v] = find(v);
    tree_->SetLabels(&comp[0]);
    for (uint32_t v = 0; v < n; ++v) bkey[v] = kInfinite, blo[v] = bhi[v] = kNone;
    // Known nearest foreign vertices first: they set each component's bar, and most
    // other vertices then have a floor above it and need no search.
    for (uint32_t v = 0; v < n; ++v) {
      asked[v] = near[v] != kNone && comp[near[v]] != comp[v];
      if (asked[v]) offer(comp[v], nearkey[v], v, near[v]);
    }
    for (uint32_t p = 0; p < n; ++p) {
      const uint32_t i = order[p], c = comp[i];
      if (asked[i] || floor[i] > bkey[c]) continue;
      if ((p & 4095) == 0 && Interrupted()) return false;
      int64_t k = bkey[c] == kInfinite ? kInfinite : bkey[c] - pi[i];
      uint32_t j = kNone;
      if (tree_->NearestForeign(i, c, &k, &j)) {
        near[i] = j;
        nearkey[i] = floor[i] = k + pi[i];
        offer(c, k + pi[i], i, j);
      } else {
        near[i] = kNone;
        if (bkey[c] != kInfinite) floor[i] = std::max(floor[i], bkey[c] + 1);  // every foreign key is above the bar
      }
    }
    for (uint32_t v = 0; v < n; ++v) {
      if (comp[v] != v || blo[v] == kNone) continue;
      const uint32_t r1 = find(blo[v]), r2 = find(bhi[v]);
      if (r1 == r2) continue;  // the pair the other component chose too
      parent[r1] = r2;
      out->a[edges] = blo[v];
      out->b[edges] = bhi[v];
      ++edges;
    }
  }
  return true;
}

void ExactOneTree::SecondAt(const int64_t* pi, uint32_t s, uint32_t t, uint32_t* far, int64_t* key) {
  if (tree_) {
    Pair two[2];
    const unsigned got = tree_->Closest(s, 2, two);
    const Pair& p = got > 1 && two[0].v == t ? two[1] : two[0];
    *far = p.v;
    *key = p.key + pi[s];
    return;
  }
  int64_t best = kInfinite;
  uint32_t bv = kNone;
  for (int part = 0; part < 2; ++part) {  // the vertices below s, then above it
    const uint32_t from = part ? s + 1 : 0, count = part ? n_ - s - 1 : s;
    if (count == 0) continue;
    g_->Weights(static_cast<int>(s), &all_[from], count, &w_[0]);
    for (uint32_t c = 0; c < count; ++c) {
      const uint32_t v = from + c;
      const int64_t k = kPenaltyScale * w_[c] + pi[v];
      if (v != t && Less(k, v, best, bv)) best = k, bv = v;
    }
  }
  *far = bv;
  *key = best + pi[s];
}

bool ExactOneTree::CloseAtLeaf(const int64_t* pi, OneTree* out) {
  Array<uint32_t> degree = NewArray<uint32_t>(n_, true), other = NewArray<uint32_t>(n_);
  if (!degree || !other) return false;
  __int128 cost = 0;
  for (uint32_t k = 0; k + 1 < n_; ++k) {
    const uint32_t a = out->a[k], b = out->b[k];
    cost += kPenaltyScale * g_->GetDistinct(static_cast<int>(a), static_cast<int>(b)) + pi[a] + pi[b];
    ++degree[a], ++degree[b];
    other[a] = b, other[b] = a;
  }
  int64_t best = 0;
  uint32_t special = kNone, far = kNone;
  for (uint32_t s = 0; s < n_; ++s) {
    if (degree[s] != 1) continue;
    if ((s & 255) == 0 && Interrupted()) return false;
    uint32_t v;
    int64_t k;
    SecondAt(pi, s, other[s], &v, &k);
    if (special == kNone || k > best) best = k, special = s, far = v;
  }
  for (uint32_t v = 0; v < n_; ++v) cost -= 2 * pi[v];
  out->a[n_ - 1] = special;
  out->b[n_ - 1] = far;
  out->special = special;
  out->cost = cost + best;
  return true;
}

bool ExactOneTree::Nearest(const int64_t* pi, unsigned k, uint32_t* nb) {
  Array<Pair> buf = NewArray<Pair>(tree_ ? k : n_);
  if (!buf) return false;
  if (tree_) tree_->SetPenalties(pi);
  for (uint32_t i = 0; i < n_; ++i) {
    if ((i & 255) == 0 && Interrupted()) return false;
    unsigned got;
    if (tree_) {
      got = tree_->Closest(i, k, &buf[0]);
    } else {
      got = 0;
      for (int part = 0; part < 2; ++part) {
        const uint32_t from = part ? i + 1 : 0, count = part ? n_ - i - 1 : i;
        if (count == 0) continue;
        g_->Weights(static_cast<int>(i), &all_[from], count, &w_[0]);
        for (uint32_t c = 0; c < count; ++c) buf[got++] = Pair{kPenaltyScale * w_[c] + pi[from + c], from + c};
      }
      auto before = [](const Pair& x, const Pair& y) { return Less(x.key, x.v, y.key, y.v); };
      if (got > k) std::nth_element(&buf[0], &buf[k - 1], &buf[0] + got, before), got = k;
    }
    for (unsigned m = 0; m < k; ++m) nb[size_t{i} * k + m] = m < got ? buf[m].v : i;
  }
  return true;
}

}  // namespace pvc

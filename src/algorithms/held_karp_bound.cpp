#include "algorithms/held_karp_bound.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "algorithms/one_tree.h"
#include "containers/progress.h"
#include "containers/resources.h"

namespace pvc {

namespace {

constexpr uint32_t kNone = UINT32_MAX;
constexpr int64_t kInfinite = INT64_MAX;
constexpr int64_t kDone = INT64_MIN;  // key of a vertex in Prim's tree
constexpr double kLimit = static_cast<double>(kPenaltyLimit / 2);
// Up to this size iterations are cheap: the step is cut after 100 iterations without a new
// best (50 above), and the ascent goes on down to a hundred-thousandth of the mean pair of
// the tree (a ten-thousandth above).
constexpr uint32_t kSmall = 2000;

// The bound a scaled L(pi) certifies: divided back and rounded up, never below zero.
unsigned long long Certified(__int128 cost) {
  if (cost <= 0) return 0;
  return static_cast<unsigned long long>((cost + kPenaltyScale - 1) / kPenaltyScale);
}

class Ascent {
 public:
  Ascent(const EuclidianGraphe& g, const BoundOptions& o) : g_(g), n_(g.GetSommets()), o_(o) {}

  BoundStatus Run(BoundResult* out);

 private:
  bool Allocate();
  // Evaluates pi exactly; keeps the best certified value; *tour when the 1-tree is a tour.
  BoundStatus Certify(const int64_t* pi, bool* tour);
  // The candidate graph: the k nearest vertices of each under pi, and the pairs of the
  // last exact 1-tree.
  bool Candidates(const int64_t* pi);
  // The ascent's direction into dir_: the degree excesses, and those of groups of nearby
  // vertices, so that whole clusters move together.
  void Direction();
  // Certifies the best penalties and adds the pairs of their 1-tree to the graph.
  BoundStatus Checkpoint(bool* tour, unsigned* added);
  // The pairs of the last exact 1-tree missing from the candidate graph, added; false on
  // an allocation failure. *added counts them.
  bool AddMissing(unsigned* added);
  bool BuildGraph(std::vector<uint64_t>* pairs);
  bool HasPair(uint32_t a, uint32_t b) const;
  // The minimum 1-tree of the candidate graph under pi: its L(pi), the degrees less 2
  // into v_, their sum of squares into *norm.
  __int128 Sparse(const int64_t* pi, int64_t* norm);

  const EuclidianGraphe& g_;
  const uint32_t n_;
  const BoundOptions o_;
  ExactOneTree exact_;
  OneTree tree_;                   // the last exact 1-tree
  __int128 certified_ = 0;         // the best exact L so far
  bool have_certified_ = false;
  bool tour_ = false;               // the best exact 1-tree is a tour
  Array<uint32_t> off_, nb_, w_;   // candidate graph: neighbours of v at nb_[off_[v] .. off_[v+1]-1]
  // The ascent numbers the vertices by position: the k-d order of the points when there
  // is one, so that neighbours in the graph are near in memory.
  Array<uint32_t> order_, where_;  // vertex at each position; position of each vertex
  Array<int64_t> by_vertex_;       // penalties handed to the exact 1-tree
  Array<int64_t> pi_, best_pi_;    // by position
  Array<int32_t> v_;               // degree - 2 in the last sparse 1-tree
  Array<double> dir_, last_dir_;   // the ascent's direction, this iteration and the last
  Array<int64_t> sums_;            // prefix sums of v_ along the k-d order
  // Prim's state
  Array<int64_t> key_;
  struct HeapEntry {
    int64_t key;
    uint32_t v;
  };
  Array<uint32_t> parent_, hpos_, other_;
  Array<HeapEntry> heap_;
};

bool Ascent::Allocate() {
  order_ = NewArray<uint32_t>(n_);
  where_ = NewArray<uint32_t>(n_);
  by_vertex_ = NewArray<int64_t>(n_);
  if (!order_ || !where_ || !by_vertex_) return false;
  const uint32_t* spatial = exact_.SpatialOrder();
  for (uint32_t p = 0; p < n_; ++p) order_[p] = spatial ? spatial[p] : p, where_[order_[p]] = p;
  pi_ = NewArray<int64_t>(n_, true);
  best_pi_ = NewArray<int64_t>(n_, true);
  v_ = NewArray<int32_t>(n_, true);
  dir_ = NewArray<double>(n_);
  last_dir_ = NewArray<double>(n_);
  sums_ = NewArray<int64_t>(n_ + 1);
  key_ = NewArray<int64_t>(n_);
  parent_ = NewArray<uint32_t>(n_);
  heap_ = NewArray<HeapEntry>(n_);
  hpos_ = NewArray<uint32_t>(n_);
  other_ = NewArray<uint32_t>(n_);
  return pi_ && best_pi_ && v_ && dir_ && last_dir_ && sums_ && key_ && parent_ && heap_ && hpos_ && other_;
}

BoundStatus Ascent::Certify(const int64_t* pi, bool* tour) {
  for (uint32_t p = 0; p < n_; ++p) by_vertex_[order_[p]] = pi[p];
  if (!exact_.Solve(&by_vertex_[0], &tree_)) return Interrupted() ? BoundStatus::kInterrupted : BoundStatus::kNoMemory;
  Array<uint8_t> degree = NewArray<uint8_t>(n_, true);
  if (!degree) return BoundStatus::kNoMemory;
  bool cycle = true;
  for (uint32_t k = 0; k < n_; ++k)
    for (uint32_t v : {tree_.a[k], tree_.b[k]})
      if (++degree[v] > 2) cycle = false;
  *tour = cycle;
  if (!have_certified_ || tree_.cost > certified_) {
    certified_ = tree_.cost;
    tour_ = cycle;
  }
  have_certified_ = true;
  return BoundStatus::kDone;
}

bool Ascent::HasPair(uint32_t a, uint32_t b) const {
  for (uint32_t e = off_[a]; e < off_[a + 1]; ++e)
    if (nb_[e] == b) return true;
  return false;
}

bool Ascent::BuildGraph(std::vector<uint64_t>* pairs) {
  std::sort(pairs->begin(), pairs->end());
  pairs->erase(std::unique(pairs->begin(), pairs->end()), pairs->end());
  const size_t m = pairs->size() * 2;
  Array<uint32_t> off = NewArray<uint32_t>(n_ + 1, true), nb = NewArray<uint32_t>(m), w = NewArray<uint32_t>(m);
  if (!off || !nb || !w) return false;
  for (uint64_t p : *pairs) ++off[(p >> 32) + 1], ++off[(p & 0xFFFFFFFFu) + 1];
  for (uint32_t v = 0; v < n_; ++v) off[v + 1] += off[v];
  Array<uint32_t> fill = NewArray<uint32_t>(n_);
  if (!fill) return false;
  for (uint32_t v = 0; v < n_; ++v) fill[v] = off[v];
  for (uint64_t p : *pairs) {
    const uint32_t a = static_cast<uint32_t>(p >> 32), b = static_cast<uint32_t>(p);
    const uint32_t weight = g_.GetDistinct(static_cast<int>(order_[a]), static_cast<int>(order_[b]));
    nb[fill[a]] = b, w[fill[a]++] = weight;
    nb[fill[b]] = a, w[fill[b]++] = weight;
  }
  off_ = std::move(off), nb_ = std::move(nb), w_ = std::move(w);
  return true;
}

bool Ascent::Candidates(const int64_t* pi) {
  const unsigned k = std::min<unsigned>(std::max(o_.candidates, 2u), n_ - 1);
  Array<uint32_t> near = NewArray<uint32_t>(size_t{n_} * k);
  for (uint32_t p = 0; p < n_; ++p) by_vertex_[order_[p]] = pi[p];
  if (!near || !exact_.Nearest(&by_vertex_[0], k, &near[0])) return false;
  std::vector<uint64_t> pairs;
  auto add = [&](uint32_t a, uint32_t b) {  // two vertices, stored as positions
    a = where_[a], b = where_[b];
    if (a != b) pairs.push_back(uint64_t{std::min(a, b)} << 32 | std::max(a, b));
  };
  try {
    pairs.reserve(size_t{n_} * k + n_);
    for (uint32_t i = 0; i < n_; ++i)
      for (unsigned m = 0; m < k; ++m) add(i, near[size_t{i} * k + m]);
    for (uint32_t e = 0; e < n_; ++e) add(tree_.a[e], tree_.b[e]);
  } catch (const std::bad_alloc&) {
    return false;
  }
  near.reset();
  return BuildGraph(&pairs);
}

bool Ascent::AddMissing(unsigned* added) {
  *added = 0;
  for (uint32_t e = 0; e < n_; ++e)
    if (!HasPair(where_[tree_.a[e]], where_[tree_.b[e]])) ++*added;
  if (*added == 0) return true;
  std::vector<uint64_t> pairs;
  try {
    pairs.reserve(off_[n_] / 2 + *added);
    for (uint32_t a = 0; a < n_; ++a)
      for (uint32_t e = off_[a]; e < off_[a + 1]; ++e)
        if (a < nb_[e]) pairs.push_back(uint64_t{a} << 32 | nb_[e]);
    for (uint32_t e = 0; e < n_; ++e) {
      const uint32_t a = where_[tree_.a[e]], b = where_[tree_.b[e]];
      pairs.push_back(uint64_t{std::min(a, b)} << 32 | std::max(a, b));
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return BuildGraph(&pairs);
}

__int128 Ascent::Sparse(const int64_t* pi, int64_t* norm) {
  // Prim from position 0 with a binary heap of (key, vertex) entries for the vertices
  // reached; key_ holds each vertex's least key to the tree, kDone once it is in.
  HeapEntry* const heap = &heap_[0];
  uint32_t size = 0;
  auto place = [&](uint32_t at, HeapEntry x) { heap[at] = x, hpos_[x.v] = at; };
  auto up = [&](uint32_t at, HeapEntry x) {
    while (at > 0 && heap[(at - 1) / 2].key > x.key) place(at, heap[(at - 1) / 2]), at = (at - 1) / 2;
    place(at, x);
  };
  for (uint32_t v = 0; v < n_; ++v) key_[v] = kInfinite, v_[v] = -2;
  __int128 sum = 0;
  parent_[0] = kNone;
  key_[0] = 0;
  place(size++, HeapEntry{0, 0});
  while (size > 0) {
    const HeapEntry top = heap[0], last = heap[--size];
    uint32_t at = 0;
    for (uint32_t c; (c = 2 * at + 1) < size; at = c) {
      if (c + 1 < size && heap[c + 1].key < heap[c].key) ++c;
      if (heap[c].key >= last.key) break;
      place(at, heap[c]);
    }
    if (size > 0) place(at, last);
    const uint32_t u = top.v;
    key_[u] = kDone;
    sum += top.key;
    if (parent_[u] != kNone) ++v_[u], ++v_[parent_[u]], other_[u] = parent_[u], other_[parent_[u]] = u;
    const int64_t pu = pi[u];
    for (uint32_t e = off_[u]; e < off_[u + 1]; ++e) {
      const uint32_t x = nb_[e];
      const int64_t k = kPenaltyScale * w_[e] + pu + pi[x];
      if (k >= key_[x]) continue;  // also every vertex already in the tree
      const bool fresh = key_[x] == kInfinite;
      key_[x] = k, parent_[x] = u;
      up(fresh ? size++ : hpos_[x], HeapEntry{k, x});
    }
  }
  // The leaf whose second lightest candidate pair is heaviest closes the 1-tree.
  int64_t best = 0;
  uint32_t special = kNone, far = kNone;
  for (uint32_t s = 0; s < n_; ++s) {
    if (v_[s] != -1) continue;
    int64_t second = kInfinite;
    uint32_t to = kNone;
    for (uint32_t e = off_[s]; e < off_[s + 1]; ++e) {
      const uint32_t x = nb_[e];
      const int64_t k = kPenaltyScale * w_[e] + pi[s] + pi[x];
      if (x != other_[s] && k < second) second = k, to = x;
    }
    if (to != kNone && (special == kNone || second > best)) best = second, special = s, far = to;
  }
  if (special != kNone) sum += best, ++v_[special], ++v_[far];
  int64_t sq = 0;
  for (uint32_t v = 0; v < n_; ++v) sum -= 2 * pi[v], sq += int64_t{v_[v]} * v_[v];
  *norm = sq;
  return sum;
}

void Ascent::Direction() {
  // Blocks of 2, 4, 8, ... consecutive positions (compact groups of points when the
  // vertices follow the k-d order) each add their total degree excess, over the square
  // root of their size, to their vertices. A group's total is its crossing pairs less
  // twice its pieces: zero on a tour, and the one figure that moves a whole cluster.
  for (uint32_t p = 0; p < n_; ++p) dir_[p] = v_[p];
  if (!exact_.Spatial()) return;
  sums_[0] = 0;
  for (uint32_t p = 0; p < n_; ++p) sums_[p + 1] = sums_[p] + v_[p];
  for (uint32_t size = 2; size < n_; size *= 2) {
    const double c = 1 / std::sqrt(static_cast<double>(size));
    for (uint32_t b = 0; b < n_; b += size) {
      const uint32_t e = std::min(n_, b + size);
      const double g = static_cast<double>(sums_[e] - sums_[b]) * c;
      if (g != 0)
        for (uint32_t p = b; p < e; ++p) dir_[p] += g;
    }
  }
}

BoundStatus Ascent::Checkpoint(bool* tour, unsigned* added) {
  const BoundStatus st = Certify(best_pi_.get(), tour);
  if (st != BoundStatus::kDone) return st;
  *added = 0;
  if (!*tour && !AddMissing(added)) return BoundStatus::kNoMemory;
  return BoundStatus::kDone;
}

BoundStatus Ascent::Run(BoundResult* out) {
  if (!exact_.Init(g_) || !Allocate()) return BoundStatus::kNoMemory;
  ProgressScope progress("HeldKarp", "it\351ration", 0, "borne");
  bool tour = false;
  BoundStatus st = Certify(pi_.get(), &tour);
  if (st != BoundStatus::kDone) return st;
  uint64_t iterations = 0;
  if (!tour && !Candidates(pi_.get())) return Interrupted() ? BoundStatus::kInterrupted : BoundStatus::kNoMemory;
  int64_t norm = 0;
  __int128 w = tour ? 0 : Sparse(pi_.get(), &norm), best_w = w;
  // The step starts at one weight unit and doubles while the bound rises; from the first
  // iteration that does not raise it, the step is cut by 0.7 after every `patience`
  // iterations without a new best, down to `smallest`.
  const bool small = n_ <= kSmall;
  const double smallest = std::max(1.0, static_cast<double>(best_w) / n_ * (small ? 1e-5 : 1e-4));
  const int64_t patience = small ? 100 : 50;
  double t = kPenaltyScale;
  bool initial = true;
  int64_t stall = 0;
  for (uint32_t v = 0; v < n_; ++v) last_dir_[v] = 0;
  while (!tour && (initial || t >= smallest)) {
    if (Interrupted()) return BoundStatus::kInterrupted;
    if (o_.max_iterations && iterations >= o_.max_iterations) break;
    if (norm == 0) {
      // A tour in the sparse graph: done, unless the complete graph's 1-tree differs.
      unsigned added = 0;
      if ((st = Checkpoint(&tour, &added)) != BoundStatus::kDone) return st;
      if (tour || added == 0) break;
      best_w = w = Sparse(best_pi_.get(), &norm);
      continue;
    }
    Direction();
    for (uint32_t v = 0; v < n_; ++v) {
      const double d = 0.7 * dir_[v] + 0.3 * last_dir_[v];
      if (d != 0) {
        const double moved = std::nearbyint(static_cast<double>(pi_[v]) + t * d);
        pi_[v] = static_cast<int64_t>(std::max(-kLimit, std::min(kLimit, moved)));
      }
      last_dir_[v] = dir_[v];
    }
    w = Sparse(pi_.get(), &norm);
    ++iterations;
    progress.Step(iterations, Certified(best_w));
    if (w > best_w) {
      // Gains of a hundred-millionth of the bound do not hold the step up: cycles of such
      // crumbs would keep it from ever shrinking.
      const bool gain = static_cast<double>(w - best_w) > 1e-8 * static_cast<double>(best_w);
      best_w = w;
      std::copy(&pi_[0], &pi_[0] + n_, &best_pi_[0]);
      if (initial) t = std::min(2 * t, kLimit / 8);  // a step beyond the penalties' range is no step
      if (gain || initial) {
        stall = 0;
        continue;
      }
    }
    if (initial) {
      initial = false;
      t *= 0.75;
      continue;
    }
    if (++stall < patience) continue;
    stall = 0;
    t *= 0.7;
    // The best penalties on the complete graph: the pairs of their 1-tree join the
    // sparse graph, whose best is then taken again.
    unsigned added = 0;
    if ((st = Checkpoint(&tour, &added)) != BoundStatus::kDone) return st;
    if (added) {
      int64_t best_norm = 0;
      best_w = Sparse(best_pi_.get(), &best_norm);
      w = Sparse(pi_.get(), &norm);
    }
  }
  if (!tour && (st = Certify(best_pi_.get(), &tour)) != BoundStatus::kDone) return st;
  out->value = Certified(certified_);
  out->iterations = iterations;
  out->tour = tour_;
  return BoundStatus::kDone;
}

}  // namespace

BoundStatus HeldKarpBound(const EuclidianGraphe& g, BoundResult* out, const BoundOptions& options) {
  const uint32_t n = g.GetSommets();
  if (n < 3) {
    // One vertex: no edge; two: the tour is their one pair.
    *out = BoundResult{n == 2 ? g.GetDistinct(0, 1) : 0ull, 0, true};
    return BoundStatus::kDone;
  }
  Ascent ascent(g, options);
  return ascent.Run(out);
}

}  // namespace pvc

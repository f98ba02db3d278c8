// Cheapest insertion heuristic (row 1, "HMoindreCout").
//
// Starts with vertex 0 and its nearest vertex, then at each step inserts, among all
// vertices not yet in the tour and all places of the tour, the vertex and place that
// lengthen the tour the least: cost w(j,a) + w(j,b) - w(a,b) for the arc a -> b. The tour
// is kept twice: as a ring of directed arcs that gives the places in a fixed order, and as
// the edge set that is returned. Every tour vertex starts exactly one arc, so the ring is
// an array of successors indexed by the arc's start. Its order begins at the arc `first`
// starts; an insertion into that arc a -> b makes v -> b the first arc and a -> v the last.
//
// Ties go to the lowest vertex, then to the first arc in ring order. Costs are exact
// 64-bit values; a negative cost (possible only through truncated weights) ranks after
// every non-negative one, so it is taken only when a step offers nothing else.
//
// Below output level 3 each vertex not yet inserted keeps its cheapest place (Places): an
// insertion into a -> b compares the two new arcs with the kept place of every vertex, in
// ring order through order labels, and rescans the ring only for a vertex whose place was
// a -> b and that neither new arc serves as well. That is n^2 cost evaluations plus the
// rescans, about 2 n^2 more on random Euclidean instances (adversarial weights could make
// every vertex rescan at every step, the literal cost); 32 bytes per vertex. That is the
// method on stored weights (a matrix, or points up to kStoredWeightsLimit), which the
// sweeps read fastest. On computed weights NearPlaces keeps the same places through two
// k-d trees and visits only the vertices a new arc may serve or whose arc was split:
// about n^1.5 cost evaluations on uniform points (the far vertices follow the growing
// tour), about 200 bytes per vertex. At level 3
// and above, where every examined pair prints a "Check" line, each step scans every pair
// (about n^3/6 evaluations).
//
// Traces: level 1 opening and closing lines; level 3 one "recherche" line per step and
// one "Check" line per (vertex, arc) examined from step 2 on; level 2 one "ajout" line
// per insertion from step 2 on; level 5 three "circuit" lines per insertion. With a draw
// interval every step pauses, then draws.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "algorithms/algorithms.h"
#include "containers/progress.h"
#include "containers/resources.h"
#include "graph/spatial_index.h"

namespace {

constexpr char kName[] = "HMoindreCout";

// Gap between the order labels of neighbouring arcs after a full relabelling, and the
// step by which an arc placed last is labelled past the last one. Labels stay below
// (2n + 1) x kSpacing.
constexpr uint64_t kSpacing = uint64_t{1} << 32;

// Rank of an insertion cost: the cost itself, or above every non-negative cost when it
// is negative.
inline long long Rank(long long cost) { return cost >= 0 ? cost : LLONG_MAX - 1; }

// Rank of inserting j into the arc a -> b (j, a and b distinct).
inline long long RankOf(const Graphe& g, int j, int a, int b) {
  return Rank(static_cast<long long>(g.GetDistinct(j, a)) + g.GetDistinct(j, b) - g.GetDistinct(a, b));
}

// The ring of arcs: next[t] ends the arc that starts at tour vertex t; `first` starts the
// first arc in ring order.
struct Ring {
  pvc::Array<int> next;
  int first = 0;

  // Links v into the arc a -> b, which becomes a -> v, v -> b. The arc that was a -> b now
  // reads v -> b in the same place of the order, a -> v just before it: last of all when
  // a -> b was the first arc.
  void Insert(int v, int a) {
    next[v] = next[a];
    next[a] = v;
    if (a == first) first = v;
  }
};

// Labels of the arcs that grow along the ring from the first arc, so that two arcs compare
// in ring order in one step. Arcs are named by the vertex that starts them; prev[t] starts
// the arc that ends at t.
class ArcOrder {
 public:
  bool Allocate(unsigned n) { return (label_ = pvc::NewArray<uint64_t>(n)) != nullptr; }
  uint64_t operator[](int t) const { return label_[t]; }

  /// Gives the arcs evenly spaced labels from the first arc on.
  void Relabel(const Ring& ring) {
    uint64_t label = kSpacing;
    int t = ring.first;
    do {
      label_[t] = label;
      label += kSpacing;
      t = ring.next[t];
    } while (t != ring.first);
  }

  /// After v was linked into the arc a -> b (ring and prev updated): the arc object of
  /// a -> b keeps its label and now starts at v; a -> v takes a new one just before it, or
  /// after the last arc when a -> b was the first one.
  void Inserted(const Ring& ring, const int* prev, int v, int a, bool first_was_a) {
    label_[v] = label_[a];
    const uint64_t lo = label_[prev[a]], hi = label_[v];
    if (first_was_a) {
      label_[a] = lo + kSpacing;
    } else if (hi - lo >= 2) {
      label_[a] = lo + (hi - lo) / 2;
    } else {
      Spread(ring, prev, a);
    }
  }

 private:
  // Relabels evenly the smallest window of arcs around a, doubling, whose labels leave
  // room for gaps at least as wide as the window is long; the whole ring when none does.
  // A window is relabelled seldom, and the ring's walk of a full relabelling rarely.
  void Spread(const Ring& ring, const int* prev, int a) {
    int left = a, right = a;
    uint64_t count = 1;
    for (;;) {
      const uint64_t want = count;
      for (uint64_t i = 0; i < want && left != ring.first; ++i, ++count) left = prev[left];
      for (uint64_t i = 0; i < want && ring.next[right] != ring.first; ++i, ++count) right = ring.next[right];
      if (left == ring.first && ring.next[right] == ring.first) break;
      const uint64_t lo = left == ring.first ? 0 : label_[prev[left]];
      const uint64_t hi = ring.next[right] == ring.first ? label_[right] + kSpacing : label_[ring.next[right]];
      const uint64_t gap = (hi - lo) / (count + 1);
      if (gap >= 2 && gap >= count) {
        uint64_t label = lo;
        for (int t = left;; t = ring.next[t]) {
          label_[t] = label += gap;
          if (t == right) return;
        }
      }
    }
    Relabel(ring);
  }

  pvc::Array<uint64_t> label_;
};

// The cheapest place of every vertex not yet in the tour, kept up to date across
// insertions. Places are named by the vertex that starts the arc.
class Places {
 public:
  /// Allocates for n vertices; false when an allocation fails.
  bool Allocate(unsigned n) {
    prev_ = pvc::NewArray<int>(n);
    place_ = pvc::NewArray<int>(n);
    rank_ = pvc::NewArray<long long>(n);
    rest_ = pvc::NewArray<int>(n);
    weights_ = pvc::NewArray<uint32_t>(size_t{3} * n);
    return prev_ && order_.Allocate(n) && place_ && rank_ && rest_ && weights_;
  }

  /// After the first step: the ring holds 0 -> m -> 0, every other vertex is to place.
  void Start(const Graphe& g, const Ring& ring, int m) {
    const int n = static_cast<int>(g.GetSommets());
    prev_[0] = m;
    prev_[m] = 0;
    order_.Relabel(ring);
    count_ = 0;
    for (int j = 1; j < n; ++j)
      if (j != m) rest_[count_++] = j;
    for (unsigned c = 0; c < count_; ++c) Rescan(g, ring, rest_[c]);
  }

  /// The vertex of the cheapest insertion (lowest number on ties) and its place.
  void Best(int* v, int* a) const {
    unsigned best = 0;
    for (unsigned c = 1; c < count_; ++c)
      if (rank_[rest_[c]] < rank_[rest_[best]]) best = c;
    *v = rest_[best];
    *a = place_[*v];
  }

  /// Updates every kept place once v has been linked into the arc a -> b (ring already
  /// updated); first_was_a tells whether a -> b was the first arc.
  void Inserted(const Graphe& g, const Ring& ring, int v, int a, int b, bool first_was_a) {
    Remove(v);
    prev_[v] = a;
    prev_[b] = v;
    order_.Inserted(ring, &prev_[0], v, a, first_was_a);

    const long long wav = g.GetDistinct(a, v), wvb = g.GetDistinct(v, b);
    // The weights from v, a and b to every vertex to place, one sweep each.
    const unsigned m = count_;
    const uint32_t* rest = reinterpret_cast<const uint32_t*>(&rest_[0]);
    uint32_t *fromv = &weights_[0], *froma = fromv + m, *fromb = froma + m;
    if (m) {
      g.Weights(v, rest, m, fromv);
      g.Weights(a, rest, m, froma);
      g.Weights(b, rest, m, fromb);
    }
    for (unsigned c = 0; c < count_; ++c) {
      const int j = rest_[c];
      const long long wjv = fromv[c];
      const long long ra = Rank(froma[c] + wjv - wav), rv = Rank(wjv + fromb[c] - wvb);
      int& place = place_[j];
      long long& r = rank_[j];
      auto keep = [&](long long rank, int t) {
        r = rank;
        place = t;
      };
      if (place != a) {
        // The kept place still stands: a new arc replaces it when cheaper, or as cheap and
        // earlier in ring order.
        if (ra < r || (ra == r && order_[a] < order_[place])) keep(ra, a);
        if (rv < r || (rv == r && order_[v] < order_[place])) keep(rv, v);
      } else if (!first_was_a) {
        // The kept place a -> b is gone. Every arc before it in ring order cost more than r,
        // every arc after it at least r, and a -> v, v -> b took its place in the order.
        if (ra <= r && ra <= rv) keep(ra, a);
        else if (rv <= r && rv < ra) keep(rv, v);
        else Rescan(g, ring, j);
      } else {
        // As above, but a -> b was the first arc: v -> b is now first, a -> v last.
        if (rv <= r && rv <= ra) keep(rv, v);
        else if (ra < r && ra < rv) keep(ra, a);
        else Rescan(g, ring, j);
      }
    }
  }

 private:
  // Finds j's cheapest place by a scan of the ring in order.
  void Rescan(const Graphe& g, const Ring& ring, int j) {
    long long best = LLONG_MAX;
    int t = ring.first;
    do {
      const int b = ring.next[t];
      const long long r = RankOf(g, j, t, b);
      if (r < best) {
        best = r;
        place_[j] = t;
      }
      t = b;
    } while (t != ring.first);
    rank_[j] = best;
  }

  void Remove(int v) {
    unsigned c = 0;
    while (rest_[c] != v) ++c;
    std::memmove(&rest_[c], &rest_[c + 1], sizeof(int) * (count_ - c - 1));
    --count_;
  }

  pvc::Array<int> prev_;         ///< start of the arc that ends at each tour vertex
  ArcOrder order_;               ///< labels of the arcs in ring order
  pvc::Array<int> place_;        ///< start of the cheapest arc of each vertex to place
  pvc::Array<long long> rank_;   ///< its rank
  pvc::Array<int> rest_;         ///< the vertices to place, ascending
  pvc::Array<uint32_t> weights_; ///< three sweeps of weights to the vertices to place
  unsigned count_ = 0;
};

// The same places on an instance of points, kept without a sweep of every vertex per
// insertion. A k-d tree of the vertices to place keeps, per node, the largest rank of its
// vertices and the least (rank, vertex), so the next insertion is read at the root. After
// v was linked into a -> b:
// - the vertices whose place was a -> b (kept in one list per arc) compare the two new
//   arcs as Places does, or search their place again through a second k-d tree over the
//   tour's vertices, which keeps per node the longest arc at its tour vertices: an arc
//   costs at least twice the weight to its nearer end less its own weight, which bounds
//   the nodes still worth a look;
// - every other vertex can only move to a new arc; a node is visited only when a new arc
//   could cost no more than its largest rank, the arc's cost being at least the weights
//   from the node's box to its two ends less its weight.
// Ties go exactly as in Places: the same ranks, the same ring order.
class NearPlaces {
 public:
  /// Builds for the instance (SpatialIndex::Serves must hold); false when an allocation
  /// fails.
  bool Allocate(const EuclidianGraphe& g) {
    const unsigned n = g.GetSommets();
    g_ = &g;
    prev_ = pvc::NewArray<int>(n);
    place_ = pvc::NewArray<int>(n);
    rank_ = pvc::NewArray<long long>(n);
    head_ = pvc::NewArray<int>(n);
    after_ = pvc::NewArray<int>(n);
    before_ = pvc::NewArray<int>(n);
    moved_ = pvc::NewArray<int>(n);
    arc_ = pvc::NewArray<uint32_t>(n);
    in_tour_ = pvc::NewArray<char>(n, true);
    if (!prev_ || !place_ || !rank_ || !head_ || !after_ || !before_ || !moved_ || !arc_ || !in_tour_ ||
        !order_.Allocate(n) || !rest_.Build(g) || !tour_.Build(g))
      return false;
    const uint32_t rn = rest_.Nodes(), tn = tour_.Nodes();
    top_ = pvc::NewArray<long long>(rn);
    least_ = pvc::NewArray<long long>(rn);
    least_v_ = pvc::NewArray<int>(rn);
    count_ = pvc::NewArray<uint32_t>(tn);
    longest_ = pvc::NewArray<uint32_t>(tn);
    return top_ && least_ && least_v_ && count_ && longest_;
  }

  /// After the first step: the ring holds 0 -> m -> 0, every other vertex is to place.
  void Start(const Ring& ring, int m) {
    const Graphe& g = *g_;
    const int n = static_cast<int>(g.GetSommets());
    ring_ = &ring;
    prev_[0] = m;
    prev_[m] = 0;
    order_.Relabel(ring);
    for (int j = 0; j < n; ++j) head_[j] = -1;
    in_tour_[0] = in_tour_[m] = 1;
    arc_[0] = arc_[m] = g.GetDistinct(0, m);
    for (uint32_t k = tour_.Nodes(); k-- > 0;) TourNode(k);
    rest_.Remove(0);
    rest_.Remove(m);
    for (int j = 1; j < n; ++j) {
      if (j == m) continue;
      // The first arc 0 -> m wins ties.
      const long long r0 = RankOf(g, j, 0, m), r1 = RankOf(g, j, m, 0);
      place_[j] = -1;
      Keep(j, r1 < r0 ? r1 : r0, r1 < r0 ? m : 0);
    }
    for (uint32_t k = rest_.Nodes(); k-- > 0;) RestNode(k);
  }

  /// The vertex of the cheapest insertion (lowest number on ties) and its place.
  void Best(int* v, int* a) const {
    *v = least_v_[0];
    *a = place_[*v];
  }

  /// Updates the kept places once v has been linked into the arc a -> b (ring already
  /// updated); first_was_a tells whether a -> b was the first arc.
  void Inserted(const Ring& ring, int v, int a, int b, bool first_was_a) {
    const Graphe& g = *g_;
    Unlink(v);
    rest_.Remove(v);
    RestUp(rest_.LeafOf(v));
    prev_[v] = a;
    prev_[b] = v;
    order_.Inserted(ring, &prev_[0], v, a, first_was_a);

    // The tour's tree: v joins, and the arcs at a, v and b changed.
    in_tour_[v] = 1;
    const uint32_t wav = g.GetDistinct(a, v), wvb = g.GetDistinct(v, b);
    arc_[v] = std::max(wav, wvb);
    arc_[a] = std::max(g.GetDistinct(prev_[a], a), wav);
    arc_[b] = std::max(wvb, g.GetDistinct(b, ring.next[b]));
    for (int t : {v, a, b}) TourUp(tour_.LeafOf(t));

    // The vertices whose place was a -> b; the list is copied since places move.
    unsigned moved = 0;
    for (int j = head_[a]; j >= 0; j = after_[j]) moved_[moved++] = j;
    for (unsigned c = 0; c < moved; ++c) {
      const int j = moved_[c];
      const long long wjv = g.GetDistinct(j, v);
      const long long ra = Rank(g.GetDistinct(j, a) + wjv - wav), rv = Rank(wjv + g.GetDistinct(j, b) - wvb);
      const long long r = rank_[j];
      // Every arc before a -> b in ring order cost more than r, every arc after it at least
      // r, and a -> v, v -> b took its place in the order (v -> b first and a -> v last
      // when a -> b was the first arc).
      if (!first_was_a) {
        if (ra <= r && ra <= rv) Keep(j, ra, a);
        else if (rv <= r && rv < ra) Keep(j, rv, v);
        else Search(j);
      } else {
        if (rv <= r && rv <= ra) Keep(j, rv, v);
        else if (ra < r && ra < rv) Keep(j, ra, a);
        else Search(j);
      }
      RestUp(rest_.LeafOf(j));
    }

    // Every vertex that a new arc may serve at its rank or better.
    a_ = a;
    v_ = v;
    b_ = b;
    wav_ = wav;
    wvb_ = wvb;
    Serve(0);
  }

 private:
  // Sets j's place and rank, moving j to the list of its new arc.
  void Keep(int j, long long rank, int t) {
    rank_[j] = rank;
    if (place_[j] == t) return;
    if (place_[j] >= 0) Unlink(j);
    place_[j] = t;
    after_[j] = head_[t];
    before_[j] = -1;
    if (head_[t] >= 0) before_[head_[t]] = j;
    head_[t] = j;
  }
  void Unlink(int j) {
    if (before_[j] >= 0) after_[before_[j]] = after_[j];
    else head_[place_[j]] = after_[j];
    if (after_[j] >= 0) before_[after_[j]] = before_[j];
  }

  // Visits the nodes of the vertices to place where a new arc may serve a vertex at its
  // rank or better, updates those places and then the summaries of the nodes where a
  // place changed; true when one did.
  bool Serve(uint32_t k) {
    if (!rest_.Live(k)) return false;
    const double top = static_cast<double>(top_[k]);
    const double fv = rest_.WeightFloor(k, v_);
    if (rest_.WeightFloor(k, a_) + fv - wav_ > top && fv + rest_.WeightFloor(k, b_) - wvb_ > top) return false;
    const uint32_t child = rest_.Child(k);
    bool changed = false;
    if (child != 0) {
      changed = Serve(child);
      changed = Serve(child + 1) || changed;
    } else {
      const Graphe& g = *g_;
      for (uint32_t pos = rest_.Begin(k); pos < rest_.End(k); ++pos) {
        if (!rest_.LiveAt(pos)) continue;
        const int j = rest_.At(pos);
        const long long wjv = g.GetDistinct(j, v_);
        const long long ra = Rank(g.GetDistinct(j, a_) + wjv - wav_), rv = Rank(wjv + g.GetDistinct(j, b_) - wvb_);
        if (ra < rank_[j] || (ra == rank_[j] && order_[a_] < order_[place_[j]])) Keep(j, ra, a_), changed = true;
        if (rv < rank_[j] || (rv == rank_[j] && order_[v_] < order_[place_[j]])) Keep(j, rv, v_), changed = true;
      }
    }
    return changed && RestNode(k);
  }

  // Finds j's cheapest place (first in ring order on ties) among the tour's arcs.
  void Search(int j) {
    found_ = LLONG_MAX;
    found_at_ = -1;
    Look(0, j);
    Keep(j, found_, found_at_);
  }
  void Look(uint32_t k, int j) {
    if (count_[k] == 0 || 2 * tour_.WeightFloor(k, j) - longest_[k] > static_cast<double>(found_)) return;
    const uint32_t child = tour_.Child(k);
    if (child != 0) {
      // The nearer box first, to lower the bound early.
      const bool second = tour_.WeightFloor(child + 1, j) < tour_.WeightFloor(child, j);
      Look(child + second, j);
      Look(child + !second, j);
      return;
    }
    for (uint32_t pos = tour_.Begin(k); pos < tour_.End(k); ++pos) {
      const int t = tour_.At(pos);
      if (!in_tour_[t]) continue;
      for (int s : {t, prev_[t]}) {
        const long long r = RankOf(*g_, j, s, ring_->next[s]);
        if (r < found_ || (r == found_ && order_[s] < order_[found_at_])) {
          found_ = r;
          found_at_ = s;
        }
      }
    }
  }

  // Recomputes the summary of a node of the vertices to place from its points or its
  // children; true when it changed.
  bool RestNode(uint32_t k) {
    long long top = LLONG_MIN, least = LLONG_MAX;
    int least_v = INT_MAX;
    auto take = [&](long long t, long long l, int lv) {
      top = std::max(top, t);
      if (l < least || (l == least && lv < least_v)) least = l, least_v = lv;
    };
    const uint32_t child = rest_.Child(k);
    if (!rest_.Live(k)) {
    } else if (child != 0) {
      for (uint32_t c = child; c < child + 2; ++c) take(top_[c], least_[c], least_v_[c]);
    } else {
      for (uint32_t pos = rest_.Begin(k); pos < rest_.End(k); ++pos)
        if (rest_.LiveAt(pos)) take(rank_[rest_.At(pos)], rank_[rest_.At(pos)], rest_.At(pos));
    }
    if (top == top_[k] && least == least_[k] && least_v == least_v_[k]) return false;
    top_[k] = top;
    least_[k] = least;
    least_v_[k] = least_v;
    return true;
  }
  void RestUp(uint32_t k) {
    while (RestNode(k) && k != 0) k = rest_.Parent(k);
  }

  // The same for a node of the tour's tree: its tour vertices and their longest arc.
  bool TourNode(uint32_t k) {
    uint32_t count = 0, longest = 0;
    const uint32_t child = tour_.Child(k);
    if (child != 0) {
      count = count_[child] + count_[child + 1];
      longest = std::max(longest_[child], longest_[child + 1]);
    } else {
      for (uint32_t pos = tour_.Begin(k); pos < tour_.End(k); ++pos) {
        const int t = tour_.At(pos);
        if (in_tour_[t]) ++count, longest = std::max(longest, arc_[t]);
      }
    }
    if (count == count_[k] && longest == longest_[k]) return false;
    count_[k] = count;
    longest_[k] = longest;
    return true;
  }
  void TourUp(uint32_t k) {
    while (TourNode(k) && k != 0) k = tour_.Parent(k);
  }

  const Graphe* g_ = nullptr;
  const Ring* ring_ = nullptr;
  pvc::SpatialIndex rest_;         ///< the vertices to place
  pvc::SpatialIndex tour_;         ///< every vertex; the tour's are counted per node
  pvc::Array<int> prev_;           ///< start of the arc that ends at each tour vertex
  ArcOrder order_;                 ///< labels of the arcs in ring order
  pvc::Array<int> place_;          ///< start of the cheapest arc of each vertex to place
  pvc::Array<long long> rank_;     ///< its rank
  pvc::Array<int> head_;           ///< per arc: first vertex placed there, -1 for none
  pvc::Array<int> after_, before_; ///< neighbours of a vertex in the list of its arc
  pvc::Array<int> moved_;          ///< the list of the split arc, copied
  pvc::Array<uint32_t> arc_;       ///< per tour vertex: weight of its longer arc
  pvc::Array<char> in_tour_;
  pvc::Array<long long> top_;      ///< per node of rest_: largest rank
  pvc::Array<long long> least_;    ///< per node of rest_: least (rank, vertex)
  pvc::Array<int> least_v_;
  pvc::Array<uint32_t> count_;     ///< per node of tour_: tour vertices
  pvc::Array<uint32_t> longest_;   ///< per node of tour_: their longest arc
  // The insertion being served, and the search in progress.
  int a_ = 0, v_ = 0, b_ = 0;
  long long wav_ = 0, wvb_ = 0;
  long long found_ = 0;
  int found_at_ = 0;
};

}  // namespace

tArretes* PVC_HMoindreCout(EuclidianGraphe* e, unsigned long Options) {
  const int Output = pvc::OutputOf(Options);
  const unsigned interval = pvc::DrawIntervalOf(Options);
  const unsigned n = e->GetSommets();
  const bool literal = Output >= UltraDetailed;
  if (Output >= Important) printf("HMoindreCout: Heuristique du moindre cout sur un graphe de %d sommets\n", n);

  std::unique_ptr<tArretes> circuit(tArretes::New(n));
  pvc::Array<char> SommetsTraites = circuit ? pvc::NewArray<char>(n, true) : nullptr;
  Ring ring;
  ring.next = SommetsTraites ? pvc::NewArray<int>(n) : nullptr;
  // Stored weights (a matrix, or points up to kStoredWeightsLimit) are read fastest by the
  // sweeps; computed ones through spatial indexes.
  const bool near = !literal && !e->Stored() && pvc::SpatialIndex::Serves(*e);
  Places places;
  std::unique_ptr<NearPlaces> near_places(near ? pvc::New<NearPlaces>() : nullptr);
  if (!ring.next || (near && (!near_places || !near_places->Allocate(*e))) || (!literal && !near && !places.Allocate(n)))
    return pvc::Fail(kName, Output);
  SommetsTraites[0] = 1;

  pvc::ProgressScope progress(kName, "sommet", n);
  for (unsigned k = 1; k < n; ++k) {
    if (pvc::Interrupted()) return pvc::Fail(kName, Output);
    progress.Step(k);
    if (Output >= UltraDetailed) printf("HMoindreCout: recherche du %d ieme sommet a inserer\n", k + 1);

    int v = 0, a = 0;
    if (k == 1) {
      // The ring is empty: the vertex nearest to 0, the lowest on ties.
      v = 1;
      for (unsigned j = 2; j < n; ++j)
        if (e->GetDistinct(0, static_cast<int>(j)) < e->GetDistinct(0, v)) v = static_cast<int>(j);
    } else if (literal) {
      // Every vertex against every arc, in ring order from the first arc.
      long long MeilleurCircuit = LLONG_MAX;
      for (unsigned j = 0; j < n; ++j) {
        if (SommetsTraites[j]) continue;
        const int jj = static_cast<int>(j);
        int t = ring.first;
        do {
          const int b = ring.next[t];
          printf("Check %d-%d\n", t, b);
          const long long rank = RankOf(*e, jj, t, b);
          if (rank < MeilleurCircuit) {
            MeilleurCircuit = rank;
            v = jj;
            a = t;
          }
          t = b;
        } while (t != ring.first);
      }
    } else if (near) {
      near_places->Best(&v, &a);
    } else {
      places.Best(&v, &a);
    }
    SommetsTraites[v] = 1;

    if (k == 1) {
      // The first two arcs, 0 -> v and v -> 0, stand for the single edge (0, v).
      ring.first = 0;
      ring.next[0] = v;
      ring.next[v] = 0;
      circuit->Add(0, v);
      if (near) near_places->Start(ring, v);
      else if (!literal) places.Start(*e, ring, v);
    } else {
      const int b = ring.next[a];
      if (Output >= Detailed) printf("HMoindreCout: ajout de  %d entre %d et %d\n", v, a, b);
      // At step 2 the ring's two arcs are one edge, which stays as the triangle's third side.
      if (k != 2) circuit->Remove(a, b);
      if (Output >= Debug) printf("circuit rem %d %d\n", a, b);
      circuit->Add(v, a);
      if (Output >= Debug) printf("circuit add  %d %d\n", a, v);
      circuit->Add(v, b);
      if (Output >= Debug) printf("circuit rem %d %d\n\n", v, b);
      const bool first_was_a = a == ring.first;
      ring.Insert(v, a);
      if (near) near_places->Inserted(ring, v, a, b, first_was_a);
      else if (!literal) places.Inserted(*e, ring, v, a, b, first_was_a);
    }
    if (circuit->OutOfMemory()) return pvc::Fail(kName, Output);

    if (interval != 0) {
      pvc::DrawPause(interval);
      e->Draw(circuit.get(), nullptr);
    }
  }

  if (Output >= Important) printf("HMoindreCout: fin, chemin de longueur %llu trouve\n", e->Eval(circuit.get()));
  return circuit.release();
}

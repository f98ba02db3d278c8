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
// every vertex rescan at every step, the literal cost); 32 bytes per vertex. At level 3
// and above, where every examined pair prints a "Check" line, each step scans every pair
// (about n^3/6 evaluations).
//
// Traces: level 1 opening and closing lines; level 3 one "recherche" line per step and
// one "Check" line per (vertex, arc) examined from step 2 on; level 2 one "ajout" line
// per insertion from step 2 on; level 5 three "circuit" lines per insertion. With a draw
// interval every step pauses, then draws.
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "algorithms/algorithms.h"
#include "containers/progress.h"
#include "containers/resources.h"

namespace {

constexpr char kName[] = "HMoindreCout";

// Gap between the order labels of neighbouring arcs after a relabelling. A relabelling
// costs one walk of the ring, no more than the update of the places that every step
// makes, so a small gap serves; labels stay below (2n + 1) x kSpacing.
constexpr uint64_t kSpacing = 16;

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

// The cheapest place of every vertex not yet in the tour, kept up to date across
// insertions. Places are named by the vertex that starts the arc.
class Places {
 public:
  /// Allocates for n vertices; false when an allocation fails.
  bool Allocate(unsigned n) {
    prev_ = pvc::NewArray<int>(n);
    order_ = pvc::NewArray<uint64_t>(n);
    place_ = pvc::NewArray<int>(n);
    rank_ = pvc::NewArray<long long>(n);
    rest_ = pvc::NewArray<int>(n);
    weights_ = pvc::NewArray<uint32_t>(size_t{3} * n);
    return prev_ && order_ && place_ && rank_ && rest_ && weights_;
  }

  /// After the first step: the ring holds 0 -> m -> 0, every other vertex is to place.
  void Start(const Graphe& g, const Ring& ring, int m) {
    const int n = static_cast<int>(g.GetSommets());
    prev_[0] = m;
    prev_[m] = 0;
    Relabel(ring);
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
    // The arc object of a -> b keeps its label and now starts at v; a -> v takes a new one.
    order_[v] = order_[a];
    const uint64_t lo = order_[prev_[a]], hi = order_[v];
    if (first_was_a) {
      order_[a] = lo + kSpacing;  // after the last arc
    } else if (hi - lo >= 2) {
      order_[a] = lo + (hi - lo) / 2;
    } else {
      Relabel(ring);
    }

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

  // Gives the arcs evenly spaced labels that grow along the ring from the first arc.
  void Relabel(const Ring& ring) {
    uint64_t label = kSpacing;
    int t = ring.first;
    do {
      order_[t] = label;
      label += kSpacing;
      t = ring.next[t];
    } while (t != ring.first);
  }

  void Remove(int v) {
    unsigned c = 0;
    while (rest_[c] != v) ++c;
    std::memmove(&rest_[c], &rest_[c + 1], sizeof(int) * (count_ - c - 1));
    --count_;
  }

  pvc::Array<int> prev_;         ///< start of the arc that ends at each tour vertex
  pvc::Array<uint64_t> order_;   ///< label of the arc each tour vertex starts; grows along the ring
  pvc::Array<int> place_;        ///< start of the cheapest arc of each vertex to place
  pvc::Array<long long> rank_;   ///< its rank
  pvc::Array<int> rest_;         ///< the vertices to place, ascending
  pvc::Array<uint32_t> weights_; ///< three sweeps of weights to the vertices to place
  unsigned count_ = 0;
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
  Places places;
  if (!ring.next || (!literal && !places.Allocate(n))) return pvc::Fail(kName, Output);
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
      if (!literal) places.Start(*e, ring, v);
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
      if (!literal) places.Inserted(*e, ring, v, a, b, first_was_a);
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

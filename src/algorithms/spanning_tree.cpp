// Spanning-tree preorder heuristic (row 4, "HARPM").
//
// Builds a minimum spanning tree from vertex 0 by Prim's method, walks it in preorder from
// vertex 0 (children in the edge set's neighbour order: larger numbers ascending, then
// smaller ones ascending), and returns the tour that visits the vertices in walk order
// and closes back to 0. The tree and the tour share one edge set. Guarantee: on metric
// weights the tour is at most twice the optimum (it shortcuts a walk twice around a tree
// that weighs less than any tour).
//
// On a matrix, Prim keeps, for every vertex outside the tree, its lightest edge to the tree
// (lowest tree vertex on ties), so a run costs O(n^2) weight look-ups. On points, each tree
// vertex's nearest outside vertex comes from a k-d tree and a heap orders these pairs:
// about n log n weights on uniform points. Each step joins the pair
// that is least by (weight, smaller vertex, larger vertex) among the pairs with exactly
// one vertex in the tree; for a fixed outside vertex u that order on its pairs (u, t) is
// the order by (weight, t), which is what the per-vertex key keeps. The walk is iterative
// with an explicit stack, so a path-shaped tree of any size cannot exhaust the call stack.
//
// Traces: level 1 the opening lines of the heuristic and of Prim and the closing line;
// level 2 one "insertion" line per tree step and one "gen_parcours_prefixe" line per
// vertex walked. With a draw interval every tree step pauses, then draws, and the
// finished tour is drawn once more without a pause.
#include "algorithms/spanning_tree.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "containers/progress.h"
#include "containers/resources.h"
#include "graph/spatial_index.h"

namespace {
const char kName[] = "HARPM";
constexpr unsigned long kNoParent = 4294967295ul;
}  // namespace

namespace {

// Prim on an instance of points. The least pair by (weight, smaller vertex, larger vertex)
// with one vertex t in the tree joins t to an outside vertex u; for a fixed t that order on
// its pairs is the order by (weight, u), so the pair is t's nearest outside vertex in the
// spatial index (outside vertices are the live ones). A heap holds one pair per tree vertex
// ordered as the step orders them. A pair whose outside vertex has joined since is stale:
// its key is below every pair its tree vertex still has, since the outside vertices only
// leave, so it is refreshed when it comes to the top; a live pair at the top is the least
// pair of all. A tree vertex without outside vertex leaves the heap.
tArretes* PrimIndexed(EuclidianGraphe* e, int Output, unsigned interval) {
  const unsigned n = e->GetSommets();
  struct Pair {
    uint32_t w, lo, hi, t;  // weight, the pair's vertices ascending, the tree vertex
    bool operator<(const Pair& o) const {  // heap order: greater is later
      return w != o.w ? w > o.w : lo != o.lo ? lo > o.lo : hi > o.hi;
    }
  };
  pvc::SpatialIndex index;
  pvc::Array<Pair> heap = pvc::NewArray<Pair>(n);
  pvc::Array<char> in_tree = heap ? pvc::NewArray<char>(n, true) : nullptr;
  std::unique_ptr<tArretes> ta(in_tree ? tArretes::New(n) : nullptr);
  if (!ta || !index.Build(*e)) return pvc::Fail(kName, Output);
  unsigned size = 0;
  auto push_nearest = [&](unsigned t) {
    uint32_t w;
    const int u = index.Nearest(static_cast<int>(t), &w);
    if (u < 0) return;
    heap[size++] = Pair{w, std::min(t, static_cast<unsigned>(u)), std::max(t, static_cast<unsigned>(u)), t};
    std::push_heap(&heap[0], &heap[0] + size);
  };
  in_tree[0] = 1;
  index.Remove(0);
  push_nearest(0);
  pvc::ProgressScope progress(kName, "sommet", n);
  for (unsigned step = 1; step < n; ++step) {
    if (pvc::Interrupted()) return pvc::Fail(kName, Output);
    progress.Step(step);
    Pair p;
    for (;;) {
      if (size == 0) return pvc::Fail(kName, Output);  // not reached: a live pair remains
      std::pop_heap(&heap[0], &heap[0] + size);
      p = heap[--size];
      if (!in_tree[p.lo ^ p.hi ^ p.t]) break;
      push_nearest(p.t);
    }
    if (Output >= Detailed) printf("insertion de %d-%d\n", p.lo, p.hi);
    ta->Add(static_cast<int>(p.lo), static_cast<int>(p.hi));
    if (ta->OutOfMemory()) return pvc::Fail(kName, Output);
    const unsigned entrant = p.lo ^ p.hi ^ p.t;
    in_tree[entrant] = 1;
    index.Remove(static_cast<int>(entrant));
    push_nearest(p.t);
    push_nearest(entrant);
    if (interval != 0) {
      pvc::DrawPause(interval);
      e->Draw(ta.get(), nullptr);
    }
  }
  return ta.release();
}

}  // namespace

tArretes* ARPM_Prim(EuclidianGraphe* e, unsigned long Options) {
  const int Output = pvc::OutputOf(Options);
  const unsigned interval = pvc::DrawIntervalOf(Options);
  const unsigned n = e->GetSommets();
  if (Output >= Important) printf("Prim: g\351n\351ration d'un arbre recouvrant de poid minimal\n");
  if (pvc::SpatialIndex::Serves(*e)) return PrimIndexed(e, Output, interval);

  // The vertices outside the tree, ascending; the joining vertex leaves the array, so the
  // loops below touch only outside vertices.
  pvc::Array<uint32_t> dehors = pvc::NewArray<uint32_t>(n > 1 ? n - 1 : 1);
  // For a vertex u outside the tree: the weight of its lightest edge to the tree and the
  // tree vertex at the other end (the lowest one among equally light edges).
  pvc::Array<uint32_t> poids = dehors ? pvc::NewArray<uint32_t>(n) : nullptr;
  pvc::Array<uint32_t> vers = poids ? pvc::NewArray<uint32_t>(n) : nullptr;
  // For a vertex u outside the tree: the order key from which on a weight exceeds its
  // key's weight; and the order keys of one sweep.
  pvc::Array<double> borne = vers ? pvc::NewArray<double>(n) : nullptr;
  pvc::Array<double> cle = borne ? pvc::NewArray<double>(n) : nullptr;
  std::unique_ptr<tArretes> ta(cle ? tArretes::New(n) : nullptr);
  if (!ta) return pvc::Fail(kName, Output);

  // The pair the next step joins: least by (weight, smaller vertex, larger vertex) over the
  // keys of the outside vertices; `choisi` is the outside vertex's place in dehors. The
  // first candidate is always taken, so a pair is found whatever the weights.
  bool found = false;
  uint32_t meilleurpoid = 0;
  unsigned meilleurs1 = 0, meilleurs2 = 0, choisi = 0;
  auto consider = [&](unsigned c, unsigned u) {
    const uint32_t w = poids[u];
    if (found && w > meilleurpoid) return;
    int lo = static_cast<int>(vers[u]), hi = static_cast<int>(u);
    OrderPair(lo, hi);
    if (!found || w < meilleurpoid || static_cast<unsigned>(lo) < meilleurs1 ||
        (static_cast<unsigned>(lo) == meilleurs1 && static_cast<unsigned>(hi) < meilleurs2)) {
      found = true;
      meilleurpoid = w;
      meilleurs1 = lo;
      meilleurs2 = hi;
      choisi = c;
    }
  };

  unsigned count = n > 1 ? n - 1 : 0;
  for (unsigned c = 0; c < count; ++c) dehors[c] = c + 1;
  if (count) {
    for (unsigned c = 0; c < count; ++c) {
      const unsigned u = c + 1;
      poids[u] = e->GetDistinct(0, static_cast<int>(u));
      borne[u] = e->KeyAbove(poids[u]);
      vers[u] = 0;
      consider(c, u);
    }
  }
  pvc::ProgressScope progress(kName, "sommet", n);
  for (unsigned step = 1; step < n; ++step) {
    if (pvc::Interrupted()) return pvc::Fail(kName, Output);
    progress.Step(step);
    if (Output >= Detailed) printf("insertion de %d-%d\n", meilleurs1, meilleurs2);
    ta->Add(static_cast<int>(meilleurs1), static_cast<int>(meilleurs2));
    if (ta->OutOfMemory()) return pvc::Fail(kName, Output);
    const unsigned entrant = dehors[choisi];
    std::memmove(&dehors[choisi], &dehors[choisi + 1], sizeof(uint32_t) * (count - choisi - 1));
    --count;
    // Every key meets the weight to the joining vertex, and the next step's pair is
    // chosen on the way. Stored weights are read in one sweep; computed ones are spared
    // for every vertex whose order key is already beyond its kept weight's bound, which
    // is most of them.
    found = false;
    auto meet = [&](unsigned u, uint32_t w) {
      if (w < poids[u] || (w == poids[u] && entrant < vers[u])) {
        poids[u] = w;
        vers[u] = entrant;
        borne[u] = e->KeyAbove(w);
      }
    };
    if (count && e->Stored()) {
      uint32_t* w = reinterpret_cast<uint32_t*>(&cle[0]);
      e->Weights(static_cast<int>(entrant), &dehors[0], count, w);
      for (unsigned c = 0; c < count; ++c) {
        meet(dehors[c], w[c]);
        consider(c, dehors[c]);
      }
    } else if (count) {
      e->Keys(static_cast<int>(entrant), &dehors[0], count, &cle[0]);
      for (unsigned c = 0; c < count; ++c) {
        const unsigned u = dehors[c];
        if (cle[c] < borne[u]) meet(u, e->GetDistinct(static_cast<int>(entrant), static_cast<int>(u)));
        consider(c, u);
      }
    }
    if (interval != 0) {
      pvc::DrawPause(interval);
      e->Draw(ta.get(), nullptr);
    }
  }
  return ta.release();
}

bool gen_parcours_prefixe(tArretes* ta, unsigned long* arretes, unsigned long* pos, unsigned long sommet,
                          unsigned long pere, bool output) {
  const unsigned long n = ta->GetSommets();
  // One frame per vertex on the path from the start: the vertex, the one it was entered
  // from, and the neighbour cursor. A frame is pushed only when a vertex is written, and
  // at most n vertices are written, so n frames suffice.
  struct Frame {
    unsigned long sommet;
    unsigned long pere;
    tArrete* cursor;
  };
  pvc::Array<Frame> stack = pvc::NewArray<Frame>(n ? n : 1);
  if (!stack) return false;
  unsigned long depth = 0;
  auto enter = [&](unsigned long s, unsigned long p) {
    // A tree of n vertices never writes more than n entries; the bound only guards the
    // array against a set that is not a tree.
    if (*pos >= n) return;
    arretes[(*pos)++] = s;
    if (output)
      printf("gen_parcours_prefixe: ajout de %d, depuis %d\n", static_cast<int>(s), static_cast<int>(static_cast<uint32_t>(p)));
    stack[depth++] = Frame{s, p, nullptr};
  };
  enter(sommet, pere);
  while (depth != 0) {
    Frame& f = stack[depth - 1];
    const int w = ta->Get(&f.cursor, static_cast<int>(f.sommet));
    if (w == -1) {
      --depth;
    } else if (static_cast<unsigned long>(w) != f.pere) {
      enter(static_cast<unsigned long>(w), f.sommet);
    }
  }
  return true;
}

tArretes* PVC_HARPM(EuclidianGraphe* e, unsigned long Options) {
  const int Output = pvc::OutputOf(Options);
  const unsigned interval = pvc::DrawIntervalOf(Options);
  const unsigned n = e->GetSommets();
  if (Output >= Important) printf("HARPM: parcours prefixe d'un ARPM sur un graphe de %d sommets\n", n);

  std::unique_ptr<tArretes> ta(ARPM_Prim(e, Options));
  if (!ta) return nullptr;  // Prim has reported why

  pvc::Array<unsigned long> arretes = pvc::NewArray<unsigned long>(n);
  unsigned long pos = 0;
  if (!arretes || !gen_parcours_prefixe(ta.get(), arretes.get(), &pos, 0, kNoParent, Output >= Detailed))
    return pvc::Fail(kName, Output);
  if (pos != n) {
    if (Output >= Important) printf("HARPM: erreur, parcours prefixe: sommets manquants\n");
    return nullptr;
  }

  ta->Clear();
  for (unsigned i = 0; i + 1 < n; ++i) ta->Add(static_cast<int>(arretes[i]), static_cast<int>(arretes[i + 1]));
  ta->Add(static_cast<int>(arretes[0]), static_cast<int>(arretes[n - 1]));
  if (ta->OutOfMemory()) return pvc::Fail(kName, Output);
  if (interval != 0) e->Draw(ta.get(), nullptr);
  if (Output >= Important) printf("HARPM: fin, chemin de longueur %llu trouve\n", e->Eval(ta.get()));
  return ta.release();
}

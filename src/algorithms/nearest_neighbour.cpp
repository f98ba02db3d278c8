// Nearest-neighbour heuristic (row 0, "HPlusProcheVoisin").
//
// From vertex 0, appends at each step the untreated vertex closest to the last one
// appended (lowest number on ties), then closes the tour back to 0. No guarantee: on
// metric weights the tour can be a factor growing with log n above the optimum. On an
// instance of points a tree of buckets of the untreated vertices, searched from the last
// vertex's bucket, finds each step's vertex among a few buckets (O(n) to build, about
// O(n log n) in all); on a matrix one sweep per step reads the weights to the remaining
// vertices (n^2/2 in all).
//
// Traces: level 1 opening and closing lines, level 2 one "insertion" line per step, level
// 3 one "recherche" line per step; each step draws and then pauses when the draw interval
// is set.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "algorithms/algorithms.h"
#include "containers/progress.h"
#include "containers/resources.h"
#include "graph/nearest_walk.h"
#include "graph/spatial_index.h"

tArretes* PVC_HPlusProcheVoisin(EuclidianGraphe* e, unsigned long options) {
  static const char kName[] = "HPlusProcheVoisin";
  const int Output = pvc::OutputOf(options);
  const unsigned interval = pvc::DrawIntervalOf(options);
  const unsigned n = e->GetSommets();
  if (Output >= Important)
    printf("HPlusProcheVoisin: algorithme du plus proche voisin, graphe de %d sommets\n", n);

  // An instance of points: a walk through a tree of the untreated vertices answers each
  // step (vertex 0 is taken first). A matrix: the untreated vertices in ascending order,
  // scanned in that order, so the lowest number wins among equally close vertices; the
  // appended vertex leaves the array, so only candidates cost a look-up.
  const bool indexed = pvc::SpatialIndex::Serves(*e);
  pvc::NearestWalk walk;
  const size_t m = indexed ? 1 : n > 1 ? n - 1 : 1;
  pvc::Array<uint32_t> Reste = pvc::NewArray<uint32_t>(m);
  pvc::Array<uint32_t> Poids = Reste ? pvc::NewArray<uint32_t>(m) : nullptr;
  std::unique_ptr<tArretes> a(Poids ? tArretes::New(n) : nullptr);
  // The vertices in the order found, linked into the set at the end; when every step is
  // drawn, the set grows step by step instead.
  pvc::Array<uint32_t> Chemin = a && interval == 0 ? pvc::NewArray<uint32_t>(n) : nullptr;
  if (!a || (interval == 0 && !Chemin) || (indexed && !walk.Build(*e))) return pvc::Fail(kName, Output);
  if (Chemin) Chemin[0] = 0;
  unsigned count = indexed ? 0 : n > 1 ? n - 1 : 0;
  for (unsigned i = 0; i < count; ++i) Reste[i] = i + 1;
  if (indexed) walk.Start(0);

  unsigned LastSommet = 0;
  // One step of the matrix form: the untreated vertex of least weight from LastSommet.
  auto Sweep = [&]() -> unsigned {
    // The weights from LastSommet to every candidate in one sweep, then the first least
    // one. The search starts at the largest weight with the first candidate as the
    // answer, so an untreated vertex is always found; with weights below 2^31 - 1 this is
    // the same choice as a start at 2^31 - 1.
    e->Weights(static_cast<int>(LastSommet), &Reste[0], count, &Poids[0]);
    uint32_t MeilleurPoid = UINT32_MAX;
    unsigned meilleur = 0;
    for (unsigned c = 0; c < count; ++c) {
      if (Poids[c] < MeilleurPoid) {
        MeilleurPoid = Poids[c];
        meilleur = c;
      }
    }
    const unsigned chosen = Reste[meilleur];
    std::memmove(&Reste[meilleur], &Reste[meilleur + 1], sizeof(uint32_t) * (count - meilleur - 1));
    --count;
    return chosen;
  };
  pvc::ProgressScope progress(kName, "sommet", n);
  for (unsigned k = 1; k < n; ++k) {
    if (pvc::Interrupted()) return pvc::Fail(kName, Output);
    progress.Step(k);
    if (Output >= UltraDetailed) printf("HPlusProcheVoisin: recherche du %d ieme sommet a inserer\n", k + 1);
    unsigned MeilleurSommet;
    if (indexed) {
      uint32_t w;
      MeilleurSommet = static_cast<unsigned>(walk.Next(&w));
    } else {
      MeilleurSommet = Sweep();
    }
    if (Output >= Detailed) printf("HPlusProcheVoisin: insertion de %d apres %d\n", MeilleurSommet, LastSommet);
    if (Chemin) {
      Chemin[k] = MeilleurSommet;
    } else {
      a->Add(static_cast<int>(MeilleurSommet), static_cast<int>(LastSommet));
      e->Draw(a.get(), nullptr);
      pvc::DrawPause(interval);
    }
    LastSommet = MeilleurSommet;
  }
  if (Chemin) {
    walk = pvc::NearestWalk();  // its memory is free for the set's
    a->AddCircuit(&Chemin[0], n);
  } else {
    a->Add(static_cast<int>(LastSommet), 0);
  }
  if (a->OutOfMemory()) return pvc::Fail(kName, Output);
  if (Output >= Important) printf("HPlusProcheVoisin: fin, circuit de longueur %llu trouve\n", e->Eval(a.get()));
  return a.release();
}

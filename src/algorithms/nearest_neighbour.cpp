// Nearest-neighbour heuristic (row 0, "HPlusProcheVoisin").
//
// From vertex 0, appends at each step the untreated vertex closest to the last one
// appended (lowest number on ties), then closes the tour back to 0. No guarantee: on
// metric weights the tour can be a factor growing with log n above the optimum. About
// n^2/2 weights, computed (or read) in one sweep per step over the remaining vertices.
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
#include "containers/resources.h"

tArretes* PVC_HPlusProcheVoisin(EuclidianGraphe* e, unsigned long options) {
  static const char kName[] = "HPlusProcheVoisin";
  const int Output = pvc::OutputOf(options);
  const unsigned interval = pvc::DrawIntervalOf(options);
  const unsigned n = e->GetSommets();
  if (Output >= Important)
    printf("HPlusProcheVoisin: algorithme du plus proche voisin, graphe de %d sommets\n", n);

  // The untreated vertices in ascending order (vertex 0 is never a candidate). A step
  // scans them in that order, so the lowest number wins among equally close vertices, and
  // the appended vertex leaves the array; only candidates cost a look-up.
  pvc::Array<uint32_t> Reste = pvc::NewArray<uint32_t>(n > 1 ? n - 1 : 1);
  pvc::Array<uint32_t> Poids = Reste ? pvc::NewArray<uint32_t>(n > 1 ? n - 1 : 1) : nullptr;
  std::unique_ptr<tArretes> a(Poids ? tArretes::New(n) : nullptr);
  if (!a) return pvc::Fail(kName, Output);
  unsigned count = n > 1 ? n - 1 : 0;
  for (unsigned i = 0; i < count; ++i) Reste[i] = i + 1;

  unsigned LastSommet = 0;
  for (unsigned k = 1; k < n; ++k) {
    if (pvc::Interrupted()) return pvc::Fail(kName, Output);
    if (Output >= UltraDetailed) printf("HPlusProcheVoisin: recherche du %d ieme sommet a inserer\n", k + 1);
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
    const unsigned MeilleurSommet = Reste[meilleur];
    if (Output >= Detailed) printf("HPlusProcheVoisin: insertion de %d apres %d\n", MeilleurSommet, LastSommet);
    std::memmove(&Reste[meilleur], &Reste[meilleur + 1], sizeof(uint32_t) * (count - meilleur - 1));
    --count;
    a->Add(static_cast<int>(MeilleurSommet), static_cast<int>(LastSommet));
    LastSommet = MeilleurSommet;
    if (interval != 0) {
      e->Draw(a.get(), nullptr);
      pvc::DrawPause(interval);
    }
  }
  a->Add(static_cast<int>(LastSommet), 0);
  if (a->OutOfMemory()) return pvc::Fail(kName, Output);
  if (Output >= Important) printf("HPlusProcheVoisin: fin, circuit de longueur %llu trouve\n", e->Eval(a.get()));
  return a.release();
}

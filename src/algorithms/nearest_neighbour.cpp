// Nearest-neighbour heuristic (row 0, "HPlusProcheVoisin").
//
// From vertex 0, appends at each step the untreated vertex closest to the last one
// appended (lowest number on ties), then closes the tour back to 0. About n^2/2 weight
// look-ups. Traces: level 1 opening and closing lines, level 2 one "insertion" line per
// step, level 3 one "recherche" line per step; each step draws and then pauses when the
// draw interval is set.
#include <cstdio>
#include <cstdlib>

#include "algorithms/algorithms.h"
#include "containers/resources.h"

tArretes* PVC_HPlusProcheVoisin(EuclidianGraphe* e, unsigned long options) {
  static const char kName[] = "HPlusProcheVoisin";
  const int Output = pvc::OutputOf(options);
  const unsigned interval = pvc::DrawIntervalOf(options);
  const unsigned n = e->GetSommets();
  if (Output >= Important)
    printf("HPlusProcheVoisin: algorithme du plus proche voisin, graphe de %d sommets\n", n);

  char* SommetsTraites = static_cast<char*>(pvc::Calloc(n, 1));
  tArretes* a = SommetsTraites ? tArretes::New(n) : nullptr;
  if (!a) {
    free(SommetsTraites);
    pvc::ReportOutOfMemory(kName, Output);
    return nullptr;
  }

  unsigned LastSommet = 0;
  for (unsigned k = 1; k < n; ++k) {
    if (pvc::Interrupted()) {
      free(SommetsTraites);
      delete a;
      pvc::ReportInterrupted(kName, Output);
      return nullptr;
    }
    if (Output >= UltraDetailed) printf("HPlusProcheVoisin: recherche du %d ieme sommet a inserer\n", k + 1);
    // The search starts above every possible weight, so an untreated vertex is always
    // found; with weights below 2^31 - 1 this is the same choice as a start at 2^31 - 1.
    uint64_t MeilleurPoid = UINT64_MAX;
    unsigned MeilleurSommet = 0;
    for (unsigned i = 1; i < n; ++i) {
      if (SommetsTraites[i]) continue;
      uint32_t w = e->Get(static_cast<int>(i), static_cast<int>(LastSommet));
      if (w < MeilleurPoid) {
        MeilleurPoid = w;
        MeilleurSommet = i;
      }
    }
    if (Output >= Detailed) printf("HPlusProcheVoisin: insertion de %d apres %d\n", MeilleurSommet, LastSommet);
    SommetsTraites[MeilleurSommet] = 1;
    a->Add(static_cast<int>(MeilleurSommet), static_cast<int>(LastSommet));
    LastSommet = MeilleurSommet;
    if (interval != 0) {
      e->Draw(a, nullptr);
      pvc::DrawPause(interval);
    }
  }
  a->Add(static_cast<int>(LastSommet), 0);
  free(SommetsTraites);
  if (a->OutOfMemory()) {
    delete a;
    pvc::ReportOutOfMemory(kName, Output);
    return nullptr;
  }
  if (Output >= Important) printf("HPlusProcheVoisin: fin, circuit de longueur %llu trouve\n", e->Eval(a));
  return a;
}

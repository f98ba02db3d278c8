#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "algorithms/algorithms.h"
#include "containers/resources.h"

const PVC_Algo Algorithmes[kAlgorithmCount + 1] = {
    {"HPlusProcheVoisin", "Insertion a chaque etape du sommet le plus proche du dernier insere",
     PVC_HPlusProcheVoisin},
    {"HMoindreCout", "Insertion a chaque etape du sommet produisant le circuit de moindre cout",
     PVC_HMoindreCout},
    {"H2Opt", "Heuristique de voisinage 2-opt", PVC_H2Opt},
    {"HRecuitSimule", "Heuristique du recuit simul\351, transitions 2-opt", PVC_HRecuitSimule},
    {"HARPM", "Parcours prefixe d'un arbre recouvrant de poid minimal", PVC_HARPM},
    {"ASepEval", "Algorithme donnant la solution optimale, methode de s\351paration/\351valuation",
     PVC_ASeparationEvaluation},
    {"HElastique", "Heuristique de l'elastique", PVC_HElastique},
    {nullptr, nullptr, nullptr},
};

namespace pvc {

int FindAlgorithm(const char* word) {
  if (word[0] >= '0' && word[0] <= '9') {
    const long v = strtol(word, nullptr, 0);
    return v >= 0 && v < kAlgorithmCount ? static_cast<int>(v) : -1;
  }
  for (int i = 0; Algorithmes[i].Name != nullptr; ++i)
    if (strcasecmp(word, Algorithmes[i].Name) == 0) return i;
  return -1;
}

void DrawPause(unsigned interval) {
  // What was drawn so far is visible during the pause, even on a pipe.
  fflush(stdout);
  usleep(static_cast<useconds_t>(interval) * 10000u);
}

tArretes* Fail(const char* name, int output) {
  if (output >= Important) printf(Interrupted() ? "%s: interrompu\n" : "%s: erreur, memoire insuffisante\n", name);
  return nullptr;
}

}  // namespace pvc

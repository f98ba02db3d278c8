// Working pieces of the exact branch and bound (row 5, "ASepEval"), exposed for tests.
#pragma once

#include <cstdint>

#include "algorithms/algorithms.h"
#include "containers/xtree.h"

/// A node of the search tree: the path from the root (vertex 0) down to the node.
class Arbre : public xTree {
 public:
  uint32_t s = 0;         ///< vertex appended to the parent's path
  uint64_t borneinf = 0;  ///< lower bound on every tour extending the path
  bool ferme = false;     ///< closed: never expanded again
};

/// What a blocked ASEEval returns when asked not to finish the bound; callers drop it.
constexpr uint64_t kASEBlocked = UINT64_MAX;

/// What ASEEval returns when the run must stop (interrupted, or out of memory): no bound
/// reaches it, since bounds are sums of at most 2^32 weights below 2^32.
constexpr uint64_t kASEStopped = UINT64_MAX - 1;

extern int ASEOutputLevel;       ///< output level of the current run
extern unsigned long ASEOptions;  ///< options word of the current run
extern tArretes* ASEArretes;      ///< path being drawn; only with a draw interval
extern char* ASEBuff;             ///< Sommets bytes: the used flags handed to ASEEval

/// Lower bound for completing chemin[0 .. longueurchemin-1], whose last vertex is
/// CurrentSommet: the cheapest edge at CurrentSommet and at every unused vertex. Marks
/// usedsommets and writes the greedy completion into chemin behind the path; atteinte
/// becomes 1 when that completion is a tour of exactly the bound. A blocked walk returns
/// kASEBlocked when continuesibornenonatteinte is false; kASEStopped when the run must stop.
uint64_t ASEEval(EuclidianGraphe* e, int& atteinte, char* usedsommets, int CurrentSommet, int* chemin,
                 int longueurchemin, bool continuesibornenonatteinte);

/// One pass over node a, its subtree and its following siblings; a lies at depth
/// position and currentlength is the length of its path. Positive when another pass is
/// worth making, 0 when not, negative when the run must stop (interrupted, or out of
/// memory).
int ASEParcours(Arbre* a, EuclidianGraphe* e, uint64_t& bestsolution, int* chemin, unsigned long position,
                char* usedsommets, int* meilleurchemin, uint64_t currentlength);

/// Deletes every node below root, without recursion; root stays.
void ClearArbre(Arbre* root);

/// The whole run, with the upper-bound tour taken from `initial` called with the same
/// options; PVC_ASeparationEvaluation runs it with the 2-opt.
tArretes* ASERun(EuclidianGraphe* e, unsigned long options, fExec initial);

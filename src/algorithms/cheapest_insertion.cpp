// Cheapest insertion heuristic (row 1, "HMoindreCout").
//
// Starts with vertex 0 and its nearest vertex, then at each step inserts, among all
// vertices not yet in the tour and all places of the tour, the vertex and place that
// lengthen the tour the least: cost w(j,a) + w(j,b) - w(a,b) for the arc a -> b. The tour
// is kept twice: as a ring of directed arcs (tArrete records linked through their second
// pair, starting at the first arc ever created) that gives the places in a fixed order,
// and as the edge set that is returned. About n^3/6 candidate evaluations.
//
// Ties go to the lowest vertex, then to the first arc in ring order. Costs are exact
// 64-bit values; a negative cost (possible only through truncated weights) ranks after
// every non-negative one, so it is taken only when a step offers nothing else.
//
// Traces: level 1 opening and closing lines; level 3 one "recherche" line per step and
// one "Check" line per (vertex, arc) examined from step 2 on; level 2 one "ajout" line
// per insertion from step 2 on; level 5 three "circuit" lines per insertion. With a draw
// interval every step pauses, then draws.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "algorithms/algorithms.h"
#include "containers/resources.h"

namespace {

// Rank of an insertion cost: the cost itself, or above every non-negative cost when it
// is negative.
inline long long Rank(long long cost) { return cost >= 0 ? cost : LLONG_MAX - 1; }

}  // namespace

tArretes* PVC_HMoindreCout(EuclidianGraphe* e, unsigned long Options) {
  static const char kName[] = "HMoindreCout";
  const int Output = pvc::OutputOf(Options);
  const unsigned interval = pvc::DrawIntervalOf(Options);
  const unsigned n = e->GetSommets();
  if (Output >= Important) printf("HMoindreCout: Heuristique du moindre cout sur un graphe de %d sommets\n", n);

  std::unique_ptr<tArretes> circuit(tArretes::New(n));
  pvc::Array<char> SommetsTraites = circuit ? pvc::NewArray<char>(n, true) : nullptr;
  if (!SommetsTraites) return pvc::Fail(kName, Output);
  SommetsTraites[0] = 1;
  // The ring of arcs; its arcs are deleted whichever way the run ends.
  struct Ring {
    tArrete* head = nullptr;
    ~Ring() { DeleteRing(head); }
  } ring;
  tArrete*& Circuit = ring.head;

  for (unsigned k = 1; k < n; ++k) {
    if (pvc::Interrupted()) return pvc::Fail(kName, Output);
    if (Output >= UltraDetailed) printf("HMoindreCout: recherche du %d ieme sommet a inserer\n", k + 1);

    // Starts above every rank, so the first candidate met is always taken.
    long long MeilleurCircuit = LLONG_MAX;
    unsigned MeilleurSommet = 0;
    tArrete* Place = nullptr;
    for (unsigned j = 0; j < n; ++j) {
      if (SommetsTraites[j]) continue;
      const int jj = static_cast<int>(j);
      if (!Circuit) {
        long long cost = e->Get(0, jj);
        if (cost < MeilleurCircuit) {
          MeilleurCircuit = cost;
          MeilleurSommet = j;
        }
        continue;
      }
      tArrete* p = Circuit;
      do {
        if (Output >= UltraDetailed) printf("Check %d-%d\n", p->s1, p->s2);
        long long cost = static_cast<long long>(e->Get(jj, p->s1)) + e->Get(jj, p->s2) - e->Get(p->s1, p->s2);
        long long rank = Rank(cost);
        if (rank < MeilleurCircuit) {
          MeilleurCircuit = rank;
          MeilleurSommet = j;
          Place = p;
        }
        p = p->GetNext2();
      } while (p != Circuit);
    }

    SommetsTraites[MeilleurSommet] = 1;
    const int v = static_cast<int>(MeilleurSommet);
    if (!Circuit) {
      // The first two arcs, 0 -> v and v -> 0, stand for the single edge (0, v).
      std::unique_ptr<tArrete> there(pvc::New<tArrete>());
      tArrete* back = there ? pvc::New<tArrete>() : nullptr;
      if (!back) return pvc::Fail(kName, Output);
      there->s1 = 0;
      there->s2 = v;
      back->s1 = v;
      back->s2 = 0;
      there->SetNext2(back);
      there->SetPrev2(back);
      back->SetNext2(there.get());
      back->SetPrev2(there.get());
      Circuit = there.release();
      circuit->Add(0, v);
    } else {
      const int a = Place->s1;
      const int b = Place->s2;
      if (Output >= Detailed) printf("HMoindreCout: ajout de  %d entre %d et %d\n", v, a, b);
      // At step 2 the ring's two arcs are one edge, which stays as the triangle's third side.
      if (k != 2) circuit->Remove(a, b);
      if (Output >= Debug) printf("circuit rem %d %d\n", a, b);
      circuit->Add(v, a);
      if (Output >= Debug) printf("circuit add  %d %d\n", a, v);
      circuit->Add(v, b);
      if (Output >= Debug) printf("circuit rem %d %d\n\n", v, b);
      tArrete* arc = pvc::New<tArrete>();
      if (!arc) return pvc::Fail(kName, Output);
      arc->s1 = a;
      arc->s2 = v;
      Place->InsertBefore2(arc);
      Place->s1 = v;
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

// 2-opt heuristic (row 2, "H2Opt").
//
// Starts from the nearest-neighbour tour and improves it by best-improvement 2-opt: each
// pass evaluates every pair of tour edges that share no vertex, (n-1)(n-2)/2 gains of four
// weight look-ups each, and applies the single exchange of largest gain (the first pair in
// scan order on ties); passes repeat until no gain is positive. The tour is held both as
// the returned edge set and as a ring of oriented records with reversal marks, so a move
// costs constant time (two_opt_move.h).
//
// Traces: level 1 the opening, progress and closing lines; level 2 one "inversion" line
// per applied move; level 3 the initial ring, one line per record, and one "test de
// permutation" line per evaluated pair; level 5 a dump and check of the ring before every
// pass. With a draw interval every applied move is followed by a drawing and a pause.
#include <cstdio>
#include <cstdlib>

#include "algorithms/algorithms.h"
#include "algorithms/two_opt_move.h"
#include "containers/resources.h"

namespace {

constexpr char kName[] = "H2Opt";

// The best exchange of a pass: its gain (0 while nothing improves), its two records in
// scan order and the orientation flags the scan carried for them.
struct BestMove {
  long long gain;
  tArrete* rec[2];
  bool rev[2];
};

// Scans the pairs (i, j) with i before j in the order of travel from the head and at
// least one record between them; keeps the first pair of strictly largest positive gain.
template <bool kTrace>
void ScanPass(const EuclidianGraphe* e, tArrete* chemin, const char* marks, BestMove& best) {
  bool temp = false;
  tArrete* istop = chemin->GetPrev2(temp, marks);
  istop = istop->GetPrev2(temp, marks);
  bool ri = false;
  for (tArrete* i = chemin; i != istop; i = i->GetNext2(ri, marks)) {
    bool rj = ri;
    tArrete* j = i->GetNext2(rj, marks);
    j = j->GetNext2(rj, marks);
    for (; j != chemin; j = j->GetNext2(rj, marks)) {
      const long long gain = pvc::TwoOptGain(e, i, ri, j, rj);
      if (kTrace)
        printf("H2Opt: test de permutation %d-%d  %d-%d , gain de %lld\n", i->GetS1(ri), i->GetS2(ri),
               j->GetS1(rj), j->GetS2(rj), gain);
      if (gain > best.gain) {
        best.gain = gain;
        best.rec[0] = i;
        best.rec[1] = j;
        best.rev[0] = ri;
        best.rev[1] = rj;
      }
    }
  }
}

// Checks the ring as built, through its plain links; prints it at level 3.
bool CheckBuiltRing(tArrete* chemin, unsigned n, int Output) {
  tArrete* cur = chemin;
  for (unsigned k = 0; k < n; ++k) {
    tArrete* next = cur->GetNext2();
    if (cur->s2 != next->s1) return false;
    if (Output >= UltraDetailed) printf("H2Opt: %u: %d-%d\n", k, cur->s1, cur->s2);
    cur = next;
  }
  return cur == chemin;
}

// Prints the ring as a cursor reads it (level 5) and checks that every record starts where
// the previous one ends and that n steps close the ring; prints the error when not.
bool DumpRing(tArrete* chemin, unsigned n, const char* marks) {
  printf("%d: %d-%d\n", 0, chemin->s1, chemin->s2);
  int ts = chemin->s2;
  tArrete* tmp = chemin;
  bool trev = false;
  for (unsigned k = 1; k < n; ++k) {
    tmp = tmp->GetNext2(trev, marks);
    const int s1 = tmp->GetS1(trev), s2 = tmp->GetS2(trev);
    printf("%u: %d-%d(%d)(%d %d)\n", k, s1, s2, trev ? 1 : 0, marks[s1], marks[s2]);
    if (s1 != ts) {
      printf("H2Opt: erreur,chemin invalide( %u eme S1= %d et non %d\n", k, s1, ts);
      return false;
    }
    ts = s2;
  }
  if (tmp->GetNext2(trev) != chemin) {
    printf("H2Opt: erreur,chemin invalide\n");
    return false;
  }
  return true;
}

}  // namespace

tArretes* PVC_H2Opt(EuclidianGraphe* e, unsigned long options) {
  const int Output = pvc::OutputOf(options);
  const unsigned interval = pvc::DrawIntervalOf(options);
  const unsigned n = e->GetSommets();
  if (Output >= Important) {
    printf("H2Opt: algorithme de voisinage 2-Opt, d\351marrage\n");
    printf("H2Opt: construction d'un chemin initial\n");
  }
  tArretes* ta = PVC_HPlusProcheVoisin(e, options);
  if (ta == nullptr) {
    // The nearest neighbour fails only when interrupted or out of memory.
    if (pvc::Interrupted())
      pvc::ReportInterrupted(kName, Output);
    else
      pvc::ReportOutOfMemory(kName, Output);
    return nullptr;
  }
  if (Output >= Important) printf("H2Opt: initialisation\n");

  tArrete* chemin = ta->CircuitAsLinkedList();
  if (chemin == nullptr) {
    const bool oom = ta->OutOfMemory();
    delete ta;
    if (oom)
      pvc::ReportOutOfMemory(kName, Output);
    else if (Output >= Important)
      printf("H2Opt: erreur, echec de CircuitAsLinkedList\n");
    return nullptr;
  }
  if (!CheckBuiltRing(chemin, n, Output)) {
    pvc::DeleteRing(chemin, nullptr);
    delete ta;
    if (Output >= Important) printf("H2Opt: erreur,chemin invalide\n");
    return nullptr;
  }

  char* reversedsommets = static_cast<char*>(pvc::Calloc(n, 1));
  if (reversedsommets == nullptr) {
    pvc::DeleteRing(chemin, nullptr);
    delete ta;
    pvc::ReportOutOfMemory(kName, Output);
    return nullptr;
  }
  if (Output >= Important) printf("H2Opt: boucle principale\n");

  for (;;) {
    if (pvc::Interrupted()) {
      pvc::DeleteRing(chemin, reversedsommets);
      free(reversedsommets);
      delete ta;
      pvc::ReportInterrupted(kName, Output);
      return nullptr;
    }
    BestMove best = {0, {nullptr, nullptr}, {false, false}};
    if (Output >= Debug && !DumpRing(chemin, n, reversedsommets)) {
      // A ring that fails its check cannot be walked safely: its records are abandoned
      // rather than risk deleting one twice. Moves never produce such a ring.
      free(reversedsommets);
      delete ta;
      return nullptr;
    }
    if (Output >= UltraDetailed)
      ScanPass<true>(e, chemin, reversedsommets, best);
    else
      ScanPass<false>(e, chemin, reversedsommets, best);
    if (best.gain == 0) break;
    if (!pvc::ApplyTwoOptMove(best.rec[0], best.rev[0], best.rec[1], best.rev[1], reversedsommets, ta,
                              Output >= Detailed ? kName : nullptr)) {
      pvc::DeleteRing(chemin, reversedsommets);
      free(reversedsommets);
      delete ta;
      pvc::ReportOutOfMemory(kName, Output);
      return nullptr;
    }
    if (interval != 0) {
      e->Draw(ta, nullptr);
      pvc::DrawPause(interval);
    }
  }

  pvc::DeleteRing(chemin, reversedsommets);
  free(reversedsommets);
  if (Output >= Important) printf("H2Opt: fin, circuit de longueur %llu trouve\n", e->Eval(ta));
  return ta;
}

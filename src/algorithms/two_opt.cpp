// 2-opt heuristic (row 2, "H2Opt").
//
// Starts from the nearest-neighbour tour and improves it by best-improvement 2-opt: each
// pass evaluates every pair of tour edges that share no vertex, (n-1)(n-2)/2 gains of four
// weights each, and applies the single exchange of largest gain (the first pair in scan
// order on ties); passes repeat until no gain is positive. The tour is held both as the
// returned edge set and as a ring of oriented records with reversal marks, so a move costs
// constant time (two_opt_move.h). Each pass reads the ring once into arrays by position and
// scans the pairs over those arrays, with one weight look-up per pair (ScanPass); the extra
// memory is about 25 bytes per vertex besides the ring and the marks.
//
// Traces: level 1 the opening, progress and closing lines; level 2 one "inversion" line
// per applied move; level 3 the initial ring, one line per record, and one "test de
// permutation" line per evaluated pair; level 5 a dump and check of the ring before every
// pass. With a draw interval every applied move is followed by a drawing and a pause.
#include <cstdint>
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

// The ring read once per pass into arrays indexed by position in the order of travel
// from the head: the record and the flag a cursor carries there, its start vertex under
// that flag (Sommet[n] repeats Sommet[0], so position p joins Sommet[p] to Sommet[p+1]) and
// its weight. Two rows of weights from a vertex to every later position serve the scan.
struct PassArrays {
  tArrete** rec;
  bool* rev;
  int* Sommet;          // n + 1 entries
  uint32_t* Poids;      // weight of the record at each position
  uint32_t* from_i;     // n + 1 entries
  uint32_t* from_next;  // n + 1 entries

  // One block for all arrays, so a run adds a single acquisition; null when it fails.
  static void* Allocate(unsigned n, PassArrays& p) {
    const size_t m = static_cast<size_t>(n) + 1;
    const size_t per_entry = sizeof(tArrete*) + sizeof(int) + 3 * sizeof(uint32_t) + sizeof(bool);
    char* block = static_cast<char*>(pvc::Malloc(m * per_entry));
    if (!block) return nullptr;
    char* cur = block;
    p.rec = reinterpret_cast<tArrete**>(cur);
    cur += m * sizeof(tArrete*);
    p.Sommet = reinterpret_cast<int*>(cur);
    cur += m * sizeof(int);
    p.Poids = reinterpret_cast<uint32_t*>(cur);
    cur += m * sizeof(uint32_t);
    p.from_i = reinterpret_cast<uint32_t*>(cur);
    cur += m * sizeof(uint32_t);
    p.from_next = reinterpret_cast<uint32_t*>(cur);
    cur += m * sizeof(uint32_t);
    p.rev = reinterpret_cast<bool*>(cur);
    return block;
  }
};

// Scans the pairs (i, j) with i before j in the order of travel from the head and at
// least one record between them; keeps the first pair of strictly largest positive gain.
//
// With S[p] the start vertex at position p, the gain of (i, j) is w(i) + w(j) -
// Get(S[i], S[j]) - Get(S[i+1], S[j+1]). For a fixed i both subtracted weights come from
// the rows of S[i] and S[i+1] over the later positions, and the row of S[i+1] is the row
// of S[i] for the next i; so each row is read once, one look-up per pair, and the gains
// are formed from arrays read in order.
template <bool kTrace>
void ScanPass(const EuclidianGraphe* e, tArrete* chemin, const char* marks, unsigned n, PassArrays& p,
              BestMove& best) {
  tArrete* cur = chemin;
  bool rc = false;
  for (unsigned k = 0; k < n; ++k) {
    p.rec[k] = cur;
    p.rev[k] = rc;
    p.Sommet[k] = cur->GetS1(rc);
    p.Poids[k] = e->Get(cur->s1, cur->s2);
    cur = cur->GetNext2(rc, marks);
  }
  p.Sommet[n] = p.Sommet[0];
  if (n < 3) return;

  const int* S = p.Sommet;
  uint32_t* row_i = p.from_i;
  uint32_t* row_next = p.from_next;
  for (unsigned q = 2; q < n; ++q) row_i[q] = e->GetDistinct(S[0], S[q]);
  for (unsigned i = 0; i + 2 < n; ++i) {
    // row_i[q] = Get(S[i], S[q]) for q >= i + 2; row_next[q] = Get(S[i+1], S[q]) for q >= i + 3.
    const int s = S[i + 1];
    for (unsigned q = i + 3; q <= n; ++q) row_next[q] = e->GetDistinct(s, S[q]);
    const long long wi = p.Poids[i];
    long long meilleur = best.gain;
    unsigned jbest = 0;
    for (unsigned j = i + 2; j < n; ++j) {
      const long long gain = wi + p.Poids[j] - row_i[j] - row_next[j + 1];
      if (kTrace)
        printf("H2Opt: test de permutation %d-%d  %d-%d , gain de %lld\n", S[i], S[i + 1], S[j], S[j + 1], gain);
      if (gain > meilleur) {
        meilleur = gain;
        jbest = j;
      }
    }
    if (jbest != 0) {
      best.gain = meilleur;
      best.rec[0] = p.rec[i];
      best.rec[1] = p.rec[jbest];
      best.rev[0] = p.rev[i];
      best.rev[1] = p.rev[jbest];
    }
    uint32_t* t = row_i;
    row_i = row_next;
    row_next = t;
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
  pvc::RingTour tour;
  if (!tour.Start(e, options, kName, "H2Opt: initialisation\n")) return nullptr;
  if (!CheckBuiltRing(tour.chemin, n, Output)) {
    tour.chemin = nullptr;  // a ring that fails its check cannot be walked safely: abandoned
    if (Output >= Important) printf("H2Opt: erreur,chemin invalide\n");
    return nullptr;
  }
  PassArrays arrays;
  pvc::Array<char> block(static_cast<char*>(PassArrays::Allocate(n, arrays)));
  if (!block) return pvc::Fail(kName, Output);
  if (Output >= Important) printf("H2Opt: boucle principale\n");

  for (;;) {
    if (pvc::Interrupted()) return pvc::Fail(kName, Output);
    BestMove best = {0, {nullptr, nullptr}, {false, false}};
    if (Output >= Debug && !DumpRing(tour.chemin, n, tour.marks)) {
      tour.chemin = nullptr;  // as above
      return nullptr;
    }
    if (Output >= UltraDetailed)
      ScanPass<true>(e, tour.chemin, tour.marks, n, arrays, best);
    else
      ScanPass<false>(e, tour.chemin, tour.marks, n, arrays, best);
    if (best.gain == 0) break;
    if (!pvc::ApplyTwoOptMove(best.rec[0], best.rev[0], best.rec[1], best.rev[1], tour.marks, tour.ta,
                              Output >= Detailed ? kName : nullptr))
      return pvc::Fail(kName, Output);
    if (interval != 0) {
      e->Draw(tour.ta, nullptr);
      pvc::DrawPause(interval);
    }
  }
  if (Output >= Important) printf("H2Opt: fin, circuit de longueur %llu trouve\n", e->Eval(tour.ta));
  return tour.TakeTour();
}

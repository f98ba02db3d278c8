// 2-opt heuristic (row 2, "H2Opt").
//
// Starts from the nearest-neighbour tour and improves it by best-improvement 2-opt: each
// pass finds, among the pairs of tour edges that share no vertex, the exchange of largest
// gain (the first pair in scan order on ties) and applies it; passes repeat until no gain
// is positive. The tour is held both as the returned edge set and as a ring of oriented
// records with reversal marks, so a move costs constant time (two_opt_move.h). Each pass
// reads the ring once into arrays by position.
//
// At output levels 3 and more, which print every pair, a pass evaluates all (n-1)(n-2)/2
// of them with one weight look-up each (ScanPass). Below, it evaluates only the pairs that
// can reach the best gain so far, found through lists of the nearest vertices
// (two_opt_neighbours.h), and finds the very pair of the full scan (PrunedPass): the lists
// cost about n log n weights once on an instance of points (n^2/2 look-ups on a matrix),
// a pass then O(n) plus a few candidates per edge, more for the few long edges. Extra
// memory: about 29 bytes per vertex for the pass arrays and 310 for the lists and their
// spatial index, besides the ring and the marks.
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
#include "algorithms/two_opt_neighbours.h"
#include "containers/progress.h"
#include "containers/resources.h"

namespace {

constexpr char kName[] = "H2Opt";

// The best exchange of a pass so far: its gain (0 while nothing improves) and the
// positions i < j of its two edges in the order of travel from the head.
struct BestMove {
  long long gain;
  unsigned i, j;

  // Keeps the pair (i, j) when its gain is larger, or positive, equal and earlier in scan
  // order (i first, then j): the pair the full scan would keep, whatever the order of offers.
  void Offer(long long g, unsigned pi, unsigned pj) {
    if (g > gain || (g == gain && g > 0 && (pi < i || (pi == i && pj < j)))) {
      gain = g;
      i = pi;
      j = pj;
    }
  }
};

// The ring read once per pass into arrays indexed by position in the order of travel
// from the head: the record and the flag a cursor carries there, its start vertex under
// that flag (Sommet[n] repeats Sommet[0], so position p joins Sommet[p] to Sommet[p+1]),
// its weight, and the position of every vertex. Two rows of weights from a vertex to
// every later position serve the full scan.
struct PassArrays {
  tArrete** rec;
  bool* rev;
  int* Sommet;          // n + 1 entries
  uint32_t* Poids;      // weight of the record at each position
  uint32_t* Position;   // position of each vertex
  uint32_t* from_i;     // n + 1 entries
  uint32_t* from_next;  // n + 1 entries

  // One block for all arrays, so a run adds a single acquisition; null when it fails.
  static void* Allocate(unsigned n, PassArrays& p) {
    const size_t m = static_cast<size_t>(n) + 1;
    const size_t per_entry = sizeof(tArrete*) + sizeof(int) + 4 * sizeof(uint32_t) + sizeof(bool);
    char* block = static_cast<char*>(pvc::Malloc(m * per_entry));
    if (!block) return nullptr;
    char* cur = block;
    p.rec = reinterpret_cast<tArrete**>(cur);
    cur += m * sizeof(tArrete*);
    p.Sommet = reinterpret_cast<int*>(cur);
    cur += m * sizeof(int);
    p.Poids = reinterpret_cast<uint32_t*>(cur);
    cur += m * sizeof(uint32_t);
    p.Position = reinterpret_cast<uint32_t*>(cur);
    cur += m * sizeof(uint32_t);
    p.from_i = reinterpret_cast<uint32_t*>(cur);
    cur += m * sizeof(uint32_t);
    p.from_next = reinterpret_cast<uint32_t*>(cur);
    cur += m * sizeof(uint32_t);
    p.rev = reinterpret_cast<bool*>(cur);
    return block;
  }

  // Walks the ring from the head with a flag false, as a cursor of the pass would.
  void Read(const Graphe& e, tArrete* chemin, const char* marks, unsigned n) {
    tArrete* cur = chemin;
    bool rc = false;
    for (unsigned k = 0; k < n; ++k) {
      rec[k] = cur;
      rev[k] = rc;
      Sommet[k] = cur->GetS1(rc);
      Position[Sommet[k]] = k;
      Poids[k] = e.Get(cur->s1, cur->s2);
      cur = cur->GetNext2(rc, marks);
    }
    Sommet[n] = Sommet[0];
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
void ScanPass(const Graphe& e, unsigned n, PassArrays& p, BestMove& best) {
  if (n < 3) return;
  const int* S = p.Sommet;
  uint32_t* row_i = p.from_i;
  uint32_t* row_next = p.from_next;
  for (unsigned q = 2; q < n; ++q) row_i[q] = e.GetDistinct(S[0], S[q]);
  for (unsigned i = 0; i + 2 < n; ++i) {
    // row_i[q] = Get(S[i], S[q]) for q >= i + 2; row_next[q] = Get(S[i+1], S[q]) for q >= i + 3.
    const int s = S[i + 1];
    for (unsigned q = i + 3; q <= n; ++q) row_next[q] = e.GetDistinct(s, S[q]);
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
    if (jbest != 0) best = BestMove{meilleur, i, jbest};
    uint32_t* t = row_i;
    row_i = row_next;
    row_next = t;
  }
}

// The pruned pass finds the pair of the full scan without evaluating every pair. Its gain
// splits as [w(i) - Get(S[i], S[j])] + [w(j) - Get(S[i+1], S[j+1])], so a pair whose gain
// reaches g has one bracket of at least g/2: either S[j] lies within w(i) - g/2 of S[i]
// (found from edge i, looking forward), or S[i+1] lies within w(j) - g/2 of S[j+1] (found
// from edge j, looking back). With g the best gain so far (at least 1), every pair that
// can match or beat the final best is evaluated; the comparisons are inclusive so that the
// earliest of equal pairs is among them.
class PrunedPass {
 public:
  PrunedPass(const Graphe& e, pvc::NeighbourLists& lists, unsigned n, const PassArrays& p)
      : e_(e), lists_(lists), n_(n), S_(p.Sommet), W_(p.Poids), pos_(p.Position) {}

  void Run(BestMove& best) {
    for (unsigned x = 0; x < n_; ++x) {
      Side<true>(x, best);
      Side<false>(x, best);
    }
  }

 private:
  // Offers the pairs of edge x with the vertices c close enough to one end u of it:
  // 2 Get(u, c) <= 2 w(x) - g. Forward, u = S[x] and c = S[j] for a later edge j >= x + 2;
  // back, u = S[x+1] and c = S[i+1] for an earlier edge i <= x - 2. The short list of u
  // comes first, then its long list, then its whole row, each only when the radius reaches
  // past the last entry of the one before (an entry offered twice changes nothing).
  template <bool kForward>
  void Side(unsigned x, BestMove& best) {
    const int u = S_[kForward ? x : x + 1];
    const long long twice = 2LL * W_[x];
    long long radius = twice - (best.gain > 0 ? best.gain : 1);
    if (!Within(lists_.Closest(u), radius)) return;
    if (Scan<kForward>(x, lists_.Short(u), twice, radius, best)) return;
    const pvc::NeighbourLists::List l = lists_.Long(e_, u);
    if (l.count != 0 && Scan<kForward>(x, l, twice, radius, best)) return;
    // Every vertex within the radius: weight at most radius / 2.
    long long bound = radius >= 0 ? radius / 2 : -1;
    lists_.Around(e_, u, &bound, [&](int c, uint32_t w) {
      if (Consider<kForward>(x, c, w, best)) {
        radius = twice - best.gain;
        bound = radius >= 0 ? radius / 2 : -1;
      }
    });
  }

  // Whether a vertex at weight w from the end of an edge is within the radius: inclusive,
  // so that a pair whose gain equals the best is evaluated too.
  static bool Within(uint32_t w, long long radius) { return 2LL * w <= radius; }

  // Offers the entries of l within the radius; true when the radius ends inside the list
  // or the list holds every vertex.
  template <bool kForward>
  bool Scan(unsigned x, const pvc::NeighbourLists::List& l, long long twice, long long& radius, BestMove& best) {
    for (unsigned m = 0; m < l.count; ++m) {
      if (!Within(l.entry[m].w, radius)) return true;
      if (Consider<kForward>(x, l.entry[m].v, l.entry[m].w, best)) radius = twice - best.gain;
    }
    return l.all;
  }

  // Offers the pair of edge x and vertex c, w = Get(u, c); true when it raised the best gain.
  template <bool kForward>
  bool Consider(unsigned x, int c, uint32_t w, BestMove& best) const {
    const unsigned q = pos_[c];
    long long gain;
    unsigned i, j;
    if (kForward) {
      if (q < x + 2) return false;
      i = x;
      j = q;
      gain = static_cast<long long>(W_[i]) + W_[j] - w - e_.GetDistinct(S_[i + 1], S_[j + 1]);
    } else {
      if (q == 0 || q + 1 > x) return false;
      i = q - 1;
      j = x;
      gain = static_cast<long long>(W_[i]) + W_[j] - e_.GetDistinct(S_[i], S_[j]) - w;
    }
    const long long before = best.gain;
    best.Offer(gain, i, j);
    return best.gain != before;
  }

  const Graphe& e_;
  pvc::NeighbourLists& lists_;
  const unsigned n_;
  const int* S_;
  const uint32_t* W_;
  const uint32_t* pos_;
};

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
  // The trace levels print every pair, so they keep the full scan; the others prune.
  const bool full_scan = Output >= UltraDetailed;
  PassArrays arrays;
  pvc::Array<char> block(static_cast<char*>(PassArrays::Allocate(n, arrays)));
  pvc::NeighbourLists lists;
  if (!block || (!full_scan && !lists.Build(*e))) return pvc::Fail(kName, Output);
  if (Output >= Important) printf("H2Opt: boucle principale\n");

  pvc::ProgressScope progress(kName, "passe", 0, "longueur");
  unsigned long long passes = 0, length = e->Eval(tour.ta);
  for (;;) {
    if (pvc::Interrupted()) return pvc::Fail(kName, Output);
    progress.Step(passes++, length);
    BestMove best = {0, 0, 0};
    if (Output >= Debug && !DumpRing(tour.chemin, n, tour.marks)) {
      tour.chemin = nullptr;  // as above
      return nullptr;
    }
    arrays.Read(*e, tour.chemin, tour.marks, n);
    if (full_scan)
      ScanPass<true>(*e, n, arrays, best);
    else
      PrunedPass(*e, lists, n, arrays).Run(best);
    if (best.gain == 0) break;
    length -= static_cast<unsigned long long>(best.gain);
    if (!pvc::ApplyTwoOptMove(arrays.rec[best.i], arrays.rev[best.i], arrays.rec[best.j], arrays.rev[best.j],
                              tour.marks, tour.ta, Output >= Detailed ? kName : nullptr))
      return pvc::Fail(kName, Output);
    if (interval != 0) {
      e->Draw(tour.ta, nullptr);
      pvc::DrawPause(interval);
    }
  }
  if (Output >= Important) printf("H2Opt: fin, circuit de longueur %llu trouve\n", e->Eval(tour.ta));
  return tour.TakeTour();
}

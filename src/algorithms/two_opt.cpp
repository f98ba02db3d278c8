// 2-opt heuristic (row 2, "H2Opt").
//
// Starts from the nearest-neighbour tour and improves it by best-improvement 2-opt: each
// pass finds, among the pairs of tour edges that share no vertex, the exchange of largest
// gain (the first pair in scan order on ties) and applies it; passes repeat until no gain
// is positive. The tour is held both as the returned edge set and as a ring of oriented
// records with reversal marks, so a move costs constant time (two_opt_move.h).
//
// At output levels 3 and more, which print every pair, each pass reads the ring once into
// arrays by position and evaluates all (n-1)(n-2)/2 pairs with one weight look-up each
// (ScanPass). Below, the best pair is kept up to date from move to move (two_opt_gains.h):
// a move costs a few balls of near vertices and the shorter side of the tour, not a pass
// over the whole ring, and is the very move of the full scan. Extra memory there: about
// 90 bytes per vertex, 16 per ball entry (about 16 per vertex at the start on uniform
// points, 3 at the end) and the spatial index; 29 bytes per vertex for the full scan.
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
#include "algorithms/two_opt_gains.h"
#include "containers/progress.h"
#include "containers/resources.h"

namespace {

constexpr char kName[] = "H2Opt";

// The best exchange of a pass so far: its gain (0 while nothing improves) and the
// positions i < j of its two edges in the order of travel from the head.
struct BestMove {
  long long gain;
  unsigned i, j;
};

// The ring read once per pass into arrays indexed by position in the order of travel
// from the head: the record and the flag a cursor carries there, its start vertex under
// that flag (Sommet[n] repeats Sommet[0], so position p joins Sommet[p] to Sommet[p+1]),
// its weight, and the position of every vertex. Two rows of weights from a vertex to
// every later position serve the full scan.
struct PassArrays {
  tArrete** rec = nullptr;
  bool* rev = nullptr;
  int* Sommet = nullptr;          // n + 1 entries
  uint32_t* Poids = nullptr;      // weight of the record at each position
  uint32_t* Position = nullptr;   // position of each vertex
  uint32_t* from_i = nullptr;     // n + 1 entries
  uint32_t* from_next = nullptr;  // n + 1 entries

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

// The two ring records that meet at each vertex, so that the record of a tour edge is
// found from its ends; a move changes them at two vertices.
class RecordsByVertex {
 public:
  // Reads the ring as built (every record stored in the direction of travel).
  bool Build(tArrete* chemin, unsigned n) {
    at_ = pvc::NewArray<tArrete*>(size_t{2} * n);
    if (!at_) return false;
    tArrete* cur = chemin;
    for (unsigned k = 0; k < n; ++k, cur = cur->GetNext2()) {
      at_[2 * static_cast<size_t>(cur->s1)] = cur;
      at_[2 * static_cast<size_t>(cur->s2) + 1] = cur;
    }
    return true;
  }

  // The record joining u and v, and the flag under which it starts at u.
  tArrete* Find(int u, int v, bool* reversed) const {
    tArrete* r = at_[2 * static_cast<size_t>(u)];
    if (r->s1 != v && r->s2 != v) r = at_[2 * static_cast<size_t>(u) + 1];
    *reversed = r->s1 != u;
    return r;
  }

  // After the exchange of A (S1i-S2i) and B (S1j-S2j): A now meets S1j, B meets S2i.
  void Exchanged(const tArrete* A, const tArrete* B, int S2i, int S1j) {
    Replace(S2i, A, B);
    Replace(S1j, B, A);
  }

 private:
  void Replace(int v, const tArrete* was, const tArrete* now) {
    tArrete** slot = &at_[2 * static_cast<size_t>(v)];
    if (slot[0] != was) ++slot;
    *slot = const_cast<tArrete*>(now);
  }

  pvc::Array<tArrete*> at_;
};

// The tour from vertex 0 in the order of travel, read from the ring as built.
pvc::Array<int> Sequence(tArrete* chemin, unsigned n) {
  pvc::Array<int> seq = pvc::NewArray<int>(n);
  if (!seq) return seq;
  tArrete* cur = chemin;
  for (unsigned k = 0; k < n; ++k, cur = cur->GetNext2()) seq[k] = cur->s1;
  return seq;
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
  // The trace levels print every pair, so they keep the full scan; the others prune.
  const bool full_scan = Output >= UltraDetailed;
  PassArrays arrays;
  pvc::Array<char> block;
  RecordsByVertex records;
  pvc::TwoOptGains gains;
  if (full_scan) {
    block.reset(static_cast<char*>(PassArrays::Allocate(n, arrays)));
    if (!block) return pvc::Fail(kName, Output);
  } else {
    const pvc::Array<int> sequence = Sequence(tour.chemin, n);
    if (!sequence || !records.Build(tour.chemin, n) || !gains.Build(*e, sequence.get()))
      return pvc::Fail(kName, Output);
  }
  if (Output >= Important) printf("H2Opt: boucle principale\n");

  pvc::ProgressScope progress(kName, "passe", 0, "longueur");
  unsigned long long passes = 0, length = e->Eval(tour.ta);
  for (;;) {
    if (pvc::Interrupted()) return pvc::Fail(kName, Output);
    progress.Step(passes++, length);
    tArrete *A = nullptr, *B = nullptr;
    bool a = false, b = false;
    long long gain;
    if (full_scan) {
      if (Output >= Debug && !DumpRing(tour.chemin, n, tour.marks)) {
        tour.chemin = nullptr;  // as above
        return nullptr;
      }
      BestMove best = {0, 0, 0};
      arrays.Read(*e, tour.chemin, tour.marks, n);
      ScanPass(*e, n, arrays, best);
      gain = best.gain;
      A = arrays.rec[best.i], a = arrays.rev[best.i];
      B = arrays.rec[best.j], b = arrays.rev[best.j];
    } else {
      const pvc::TwoOptGains::Move m = gains.Best();
      gain = m.gain;
      if (gain != 0) {
        const int S1i = gains.At(m.i), S2i = gains.At(m.i + 1), S1j = gains.At(m.j);
        A = records.Find(S1i, S2i, &a);
        B = records.Find(S1j, gains.At(m.j + 1 == n ? 0 : m.j + 1), &b);
        records.Exchanged(A, B, S2i, S1j);
        if (!gains.Apply(m.i, m.j)) return pvc::Fail(kName, Output);
      }
    }
    if (gain == 0) break;
    length -= static_cast<unsigned long long>(gain);
    if (!pvc::ApplyTwoOptMove(A, a, B, b, tour.marks, tour.ta, Output >= Detailed ? kName : nullptr))
      return pvc::Fail(kName, Output);
    if (interval != 0) {
      e->Draw(tour.ta, nullptr);
      pvc::DrawPause(interval);
    }
  }
  if (Output >= Important) printf("H2Opt: fin, circuit de longueur %llu trouve\n", e->Eval(tour.ta));
  return tour.TakeTour();
}

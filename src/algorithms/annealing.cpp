// Simulated annealing with 2-opt transitions (row 3, "HRecuitSimule").
//
// Starts from the nearest-neighbour tour and runs a fixed schedule: stages of a fixed
// number of transitions, the temperature multiplied by 0.93 after each stage. A transition
// draws a tour edge at random and scans the 2-opt exchanges from it in order of travel,
// applying the first one that passes the Metropolis test (a positive gain always does, a
// gain d <= 0 with probability exp(d / temperature)). The tour reached by the last
// transition is returned.
//
// The generator (pvc::Random) is drawn once per transition for its start edge, then once
// per examined pair of gain <= 0; never for a positive gain.
//
// Cost. The ring of oriented records built from the initial tour is read once into arrays
// by position (TourArrays) and is not used afterwards; each record keeps its identity,
// which the draw picks, and its stored direction, which sets the way a transition travels
// from it. A transition copies its order of travel into two arrays about as far as its
// scan goes and forms the gains a batch at a time, with two weight look-ups each: at most
// n - 2 gains while the temperature is positive, (n-1)(n-2)/2 at temperature 0. Up to
// kAnnealingSquareLimit vertices the weights come from a square copy of the matrix (one
// load per look-up, along two rows), beyond from the instance's triangle. Below output
// level 4 the acceptance test reads thresholds cached per temperature (MetropolisCache)
// instead of calling exp() per pair; a draw of the generator costs a few instructions
// (it is the C library's algorithm without its lock). A move reverses the shorter side of
// the tour in the arrays, which costs no more than the scan that found it. Extra memory:
// 28 bytes per vertex, the square copy (4 n^2 bytes) and 16 KB of thresholds.
//
// Traces: level 1 the headline, "recherche" and closing lines; level 2 one line per stage
// (temperature and current length); level 3 one "inversion" line per accepted exchange;
// level 4 one "transition" line per transition and one "gain de" line per examined pair.
// With a draw interval every accepted exchange is followed by a drawing and a pause.
#include "algorithms/annealing.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "algorithms/algorithms.h"
#include "algorithms/two_opt_move.h"
#include "containers/progress.h"
#include "containers/resources.h"
#include "graph/random.h"

namespace {

constexpr char kName[] = "HRecuitSimule";

// The tour by position along one direction of the cycle: the edge at position k joins
// vertex[k] and vertex[k+1] (vertex[0] after the last). Records are numbered in the order
// the ring was built; a move rewrites the two records it exchanges and moves the others
// without changing them, exactly as on the ring.
struct TourArrays {
  unsigned n;
  int* vertex;       // vertex at each position
  int* record;       // record of the edge at each position
  uint32_t* weight;  // weight of the edge at each position
  int* position;     // position of each record
  int* first;        // stored start vertex of each record: a fresh cursor travels from it
  int* S;            // scratch, n + 1: start vertices in a transition's order of travel
  uint32_t* W;       // scratch, n + 1: weights of the edges in that order

  // One block for all arrays, so a run adds a single acquisition; null when it fails.
  static void* Allocate(unsigned n, TourArrays& t) {
    const size_t m = static_cast<size_t>(n) + 1;
    char* block = static_cast<char*>(pvc::Malloc(m * 7 * sizeof(int)));
    if (!block) return nullptr;
    int* cur = reinterpret_cast<int*>(block);
    int** ints[] = {&t.vertex, &t.record, &t.position, &t.first, &t.S};
    for (int** a : ints) *a = cur, cur += m;
    t.weight = reinterpret_cast<uint32_t*>(cur);
    t.W = t.weight + m;
    t.n = n;
    return block;
  }

  // Reads the ring as built: record k is the k-th from the head, travelled as stored.
  void Read(const Graphe* e, tArrete* chemin) {
    tArrete* cur = chemin;
    for (unsigned k = 0; k < n; ++k, cur = cur->GetNext2()) {
      vertex[k] = first[k] = cur->s1;
      record[k] = position[k] = static_cast<int>(k);
      weight[k] = e->Get(cur->s1, cur->s2);
    }
  }

  unsigned Step(unsigned q, unsigned step) const { return q + step >= n ? q + step - n : q + step; }

  // Reverses count (>= 1) positions of the cycle from `from` on, applying swap to each pair.
  template <class Swap>
  void Reverse(unsigned from, unsigned count, Swap swap) {
    unsigned lo = from, hi = Step(from, count - 1);
    for (unsigned k = 0; k < count / 2; ++k, lo = Step(lo, 1), hi = Step(hi, n - 1)) swap(lo, hi);
  }
  void ReverseVertices(unsigned from, unsigned count) {
    Reverse(from, count, [this](unsigned a, unsigned b) { std::swap(vertex[a], vertex[b]); });
  }
  void ReverseEdges(unsigned from, unsigned count) {
    Reverse(from, count, [this](unsigned a, unsigned b) {
      std::swap(record[a], record[b]);
      std::swap(weight[a], weight[b]);
      position[record[a]] = static_cast<int>(a);
      position[record[b]] = static_cast<int>(b);
    });
  }
};

// A transition's order of travel: from the start record's position p, forward along the
// arrays when the record is stored that way, else backward. Order m is the edge at
// position p + m (or p - m); its start vertex sits at the same position (or the next).
struct Travel {
  unsigned p;
  unsigned step;  // 1 forward, n - 1 backward
  unsigned read;  // orders read into S and W so far
  unsigned qv, qe;

  Travel(const TourArrays& t, int rec) : p(t.position[rec]), read(0), qe(p) {
    const bool forward = t.first[rec] == t.vertex[p];
    step = forward ? 1 : t.n - 1;
    qv = forward ? p : t.Step(p, 1);
  }
  // Reads the orders up to `last` into S and W.
  void ReadTo(TourArrays& t, unsigned last) {
    for (; read <= last; ++read, qv = t.Step(qv, step), qe = t.Step(qe, step)) {
      t.S[read] = t.vertex[qv];
      t.W[read] = t.weight[qe];
    }
  }
  // Position of the edge of order m (m < n).
  unsigned EdgeAt(const TourArrays& t, unsigned m) const { return t.Step(p, step == 1 ? m : t.n - m); }
};

// Weights of distinct vertices from a square copy of the matrix: along a row, one load.
struct SquareWeights {
  const uint32_t* m;
  size_t n;
  uint32_t operator()(int s, int x) const { return m[static_cast<size_t>(s) * n + static_cast<size_t>(x)]; }
};

// Weights of distinct vertices from the instance, stored or computed.
struct TriangleWeights {
  const Graphe* e;
  uint32_t operator()(int a, int b) const { return e->GetDistinct(a, b); }
};

// Scans the exchanges (i, j) of a transition, i before j in its order of travel with at
// least one edge between them, and stops at the first accepted one; false when none is.
// The gains are formed a batch at a time, ahead of the draws that decide them, so that
// their weight look-ups overlap; batches grow from 8 to 64 pairs, since most scans at a
// high temperature end within their first pairs.
template <bool kTrace, class Weights>
bool FindExchange(const Weights& w, TourArrays& t, Travel& tr, float temperature, pvc::MetropolisCache& cache,
                  unsigned& ai, unsigned& aj) {
  const unsigned n = t.n;
  const int* S = t.S;
  const uint32_t* W = t.W;
  long long gains[64];
  unsigned batch = 8;
  if (n < 3) return false;
  for (unsigned i = 0; i + 2 < n; ++i) {
    tr.ReadTo(t, i + 1);
    const int si = S[i], sn = S[i + 1];
    const long long wi = W[i];
    for (unsigned j0 = i + 2; j0 < n; j0 += batch, batch = batch < 64 ? 2 * batch : 64) {
      const unsigned j1 = n - j0 < batch ? n : j0 + batch;
      tr.ReadTo(t, j1);
      for (unsigned j = j0; j < j1; ++j) gains[j - j0] = wi + W[j] - w(si, S[j]) - w(sn, S[j + 1]);
      for (unsigned j = j0; j < j1; ++j) {
        const long long gain = gains[j - j0];
        bool accept;
        if (gain > 0) {
          if (kTrace) printf("gain de %lld, acceptation automatique\n", gain);
          accept = true;
        } else if (kTrace) {
          const float seuil = pvc::MetropolisThreshold(gain, temperature);
          const int rnd = pvc::Random();
          printf("gain de %lld, probabilite de transition de %f/%d, jet de %d\n", gain, static_cast<double>(seuil),
                 2147483647, rnd);
          accept = pvc::MetropolisAccepts(seuil, rnd);
        } else {
          accept = cache.Accepts(gain, pvc::Random());
        }
        if (accept) {
          ai = i;
          aj = j;
          return true;
        }
      }
    }
  }
  return false;
}

// Applies the exchange of the edges at orders i and j of the transition: the start vertices
// of orders i+1 .. j come back in reverse order, the first edge now joins S[i] to S[j] and
// the second S[i+1] to S[j+1], and the edge set follows with the same removals and
// additions as on the ring. False when the edge set ran out of memory.
template <class Weights>
bool ApplyExchange(const Weights& w, TourArrays& t, const Travel& tr, unsigned i, unsigned j, tArretes* ta,
                   bool trace) {
  const unsigned n = t.n;
  const int S1i = t.S[i], S2i = t.S[i + 1], S1j = t.S[j], S2j = t.S[j + 1];
  if (trace) printf("%s: inversion %d-%d et %d-%d\n", kName, S1i, S2i, S1j, S2j);
  const int A = t.record[tr.EdgeAt(t, i)], B = t.record[tr.EdgeAt(t, j)];
  // The vertices of orders i+1 .. j occupy the positions x .. y of the cycle.
  const unsigned len = j - i;
  const unsigned x = tr.EdgeAt(t, tr.step == 1 ? i + 1 : j - 1);
  const unsigned y = t.Step(x, len - 1), before_x = t.Step(x, n - 1), after_y = t.Step(y, 1);
  // Reversing those vertices and the edges between them, or else the other side of the
  // cycle with its two end edges, which then trade places, gives the same tour.
  if (len <= n - len) {
    t.ReverseVertices(x, len);
    t.ReverseEdges(x, len - 1);
  } else {
    t.ReverseVertices(after_y, n - len);
    t.ReverseEdges(y, n - len + 1);
  }
  t.weight[before_x] = w(t.vertex[before_x], t.vertex[x]);
  t.weight[y] = w(t.vertex[y], t.vertex[after_y]);
  // The first record's end becomes S1j, the second's start S2i, whichever stored field
  // plays that role.
  if (t.first[A] == S2i) t.first[A] = S1j;
  if (t.first[B] == S1j) t.first[B] = S2i;
  ta->Remove(S1j, S2j);
  ta->Remove(S1i, S2i);
  ta->Add(S1i, S1j);
  ta->Add(S2i, S2j);
  return !ta->OutOfMemory();
}

// The schedule from the given initial temperature on a tour read into arrays; false when
// it stopped early (interrupted, or out of memory), the caller reporting it.
template <class Weights>
bool Anneal(EuclidianGraphe* e, unsigned long options, float temperature, const Weights& w, TourArrays& arrays,
            tArretes* ta) {
  const int Output = pvc::OutputOf(options);
  const unsigned interval = pvc::DrawIntervalOf(options);
  const unsigned n = arrays.n;
  const pvc::AnnealingSchedule schedule = pvc::AnnealingScheduleOf(options, n);
  pvc::MetropolisCache cache;
  pvc::ProgressScope progress(kName, "palier", schedule.stages, "longueur");
  for (uint32_t s = 0; s < schedule.stages; ++s) {
    const unsigned long long length = e->Eval(ta);  // shown while the stage runs
    if (Output >= Detailed)
      printf("HRecuitSimule: temperature=%f, (circuit actuel: %llu)\n", static_cast<double>(temperature), e->Eval(ta));
    cache.Reset(temperature);
    for (uint32_t t = 0; t < schedule.transitions; ++t) {
      if (pvc::Interrupted()) return false;
      progress.Step(s, length);
      if (Output >= Verbose) printf("transition %u sur %u\n", t, schedule.transitions);
      // Every record stands for one tour edge for the whole run, so a uniform draw among
      // them is a uniform draw among the edges.
      Travel tr(arrays, static_cast<int>(static_cast<unsigned>(pvc::Random()) % n));
      unsigned i, j;
      const bool found = Output >= Verbose ? FindExchange<true>(w, arrays, tr, temperature, cache, i, j)
                                           : FindExchange<false>(w, arrays, tr, temperature, cache, i, j);
      if (!found) continue;
      if (!ApplyExchange(w, arrays, tr, i, j, ta, Output >= UltraDetailed)) return false;
      if (interval != 0) {
        e->Draw(ta, nullptr);
        pvc::DrawPause(interval);
      }
    }
    temperature = pvc::AnnealingCool(temperature);
  }
  progress.Step(schedule.stages, e->Eval(ta));
  return true;
}

}  // namespace

void pvc::MetropolisCache::Reset(float temperature) {
  temperature_ = temperature;
  shift_ = 0;
  while (static_cast<double>(static_cast<long long>(kCells) << shift_) < 30.0 * static_cast<double>(temperature) &&
         shift_ < 40)
    ++shift_;
  cutoff_ = static_cast<long long>(kCells) << shift_;
  mask_ = (1LL << shift_) - 1;
  for (uint32_t& l : limit_) l = kUnset;
}

uint32_t pvc::MetropolisCache::Fill(long long c) {
  const float seuil = MetropolisThreshold(-(c << shift_), temperature_);
  // The least draw that seuil does not exceed: draws are integers, so rnd < seuil exactly
  // when rnd < ceil(seuil); NaN exceeds none. seuil <= 2^31 for a gain <= 0.
  return limit_[c] = seuil > 0 ? static_cast<uint32_t>(std::ceil(static_cast<double>(seuil))) : 0;
}

tArretes* pvc::HRecuitSimule(EuclidianGraphe* e, unsigned long options, bool square) {
  const int Output = pvc::OutputOf(options);
  const unsigned n = e->GetSommets();
  const float temperature = pvc::AnnealingInitialTemperature(pvc::AnnealingTypicalLength(e->GetMaxCoord(), n));
  if (Output >= Important) {
    const pvc::AnnealingSchedule schedule = pvc::AnnealingScheduleOf(options, n);
    printf("HRecuitSimule: algorithme du plus proche voisin, graphe de %u sommets, %u paliers de %u "
           "transitions, temperature initiale %f\n",
           n, schedule.stages, schedule.transitions, static_cast<double>(temperature));
    printf("HRecuitSimule: recherche d'une solution initiale\n");
  }

  pvc::RingTour tour;
  if (!tour.Start(e, options, kName, nullptr)) return nullptr;
  TourArrays arrays;
  pvc::Array<char> block(static_cast<char*>(TourArrays::Allocate(n, arrays)));
  if (!block) return pvc::Fail(kName, Output);
  arrays.Read(e, tour.chemin);
  bool done;
  if (square) {
    pvc::Array<uint32_t> m = pvc::NewArray<uint32_t>(static_cast<size_t>(n) * n);
    if (!m) return pvc::Fail(kName, Output);
    for (unsigned a = 0; a < n; ++a)
      for (unsigned b = a + 1; b < n; ++b) m[size_t{a} * n + b] = m[size_t{b} * n + a] = e->GetDistinct(a, b);
    done = Anneal(e, options, temperature, SquareWeights{m.get(), n}, arrays, tour.ta);
  } else {
    done = Anneal(e, options, temperature, TriangleWeights{e}, arrays, tour.ta);
  }
  if (!done) return pvc::Fail(kName, Output);
  if (Output >= Important) printf("HRecuitSimule: fin, circuit de longueur %llu trouve\n", e->Eval(tour.ta));
  return tour.TakeTour();
}

tArretes* PVC_HRecuitSimule(EuclidianGraphe* e, unsigned long options) {
  return pvc::HRecuitSimule(e, options, e->GetSommets() <= pvc::kAnnealingSquareLimit);
}

// Elastic net heuristic (row 6, "HElastique"), driver side.
//
// A closed ring of nodes starts as a small circle in the middle of the square and, over a
// scale K that falls by a constant factor per stage, is pulled towards the cities while a
// tension keeps neighbouring nodes together; the ring grows between stages with its
// length. Four worker threads (elastic_workers.cpp) do the numeric work of the five
// phases of every iteration, stepped by a synchronizer. At the end every city is attached
// to its nearest node and the tour follows the ring. No guarantee on the tour's length.
// Each phase costs about n x N for n cities and N nodes (at most 5n/2), split over the
// workers, plus one hand-off per worker through the synchronizer (the release of each
// worker and the wait for all of them), which dominates on small instances; a run has
// 5 x iterations x stages phases (375 x 5 by default). The weight table holds n x 5n/2
// doubles.
//
// Traces: level 1 the opening and closing lines, failures and "trop de villes"; level 2
// K and the ring length per stage; level 3 the initial nodes, each iteration and phase,
// the nodes added; level 4 the workers' lines. With a draw interval, each iteration draws
// and pauses.
#include <pthread.h>
#include <signal.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "algorithms/elastic_net_private.h"
#include "containers/progress.h"
#include "containers/resources.h"

EuclidianGraphe* HELe = nullptr;
int HELOutput = 0;
uint32_t HELNumSommets = 0;
SommetInfo* ElSommets = nullptr;
fPOINT* HELCoords = nullptr;
double** HELWeights = nullptr;
double* HELWeightSum = nullptr;
double HELAlpha = 0.2;
double HELBeta = 2.0;
double HELK = 0.2;
HELSTATE HELState = Weight;
synchronizer* HELSem = nullptr;

void HEL_DrawElastique() {}

void HEL_DecodeOptions(unsigned long options, unsigned* iterations, double* kfactor) {
  const unsigned byte = pvc::OptionByteOf(options);
  *iterations = 4 * (byte & 0x0F);
  if (*iterations == 0) *iterations = 25;
  // 0.84 by default, up to 0.99: always below 1, so K always falls under the threshold.
  *kfactor = (84 + (byte >> 4)) / 100.0;
}

unsigned HEL_InitialCount(unsigned n) {
  unsigned count = n * 3 / 2;
  if (n % 5 != 0) ++count;
  return count < 3 ? 3 : count;
}

unsigned HEL_Capacity(unsigned n) {
  // Below two cities the ring's three nodes exceed 5n/2: the capacity makes room for them.
  const unsigned capacity = n * 5 / 2;
  const unsigned initial = HEL_InitialCount(n);
  return capacity < initial ? initial : capacity;
}

void HEL_PlaceBlock(unsigned first, unsigned count, unsigned N0, unsigned n, uint32_t M, double rayon,
                    int output) {
  // Node j handles n / N0 consecutive cities, the first n % N0 nodes one more.
  const unsigned q = n / N0, r = n % N0;
  for (unsigned j = first; j < first + count; ++j) {
    const double a = static_cast<double>(j) * 6.283185307 / static_cast<double>(N0);
    const double x = static_cast<double>(M) / 2.0 + cos(a) * rayon;
    const double y = static_cast<double>(M) / 2.0 + sin(a) * rayon;
    if (output >= UltraDetailed) printf("HElastique: positionnement du sommet %d en %f,%f\n", j, x, y);
    HELCoords[j].x = x;
    HELCoords[j].y = y;
    SommetInfo& s = ElSommets[j];
    s.Id = j;
    s.NextId = j + 1 == N0 ? 0 : j + 1;
    s.PrevId = j == 0 ? N0 - 1 : j - 1;
    s.NextSommet = j + 1 < first + count ? &ElSommets[j + 1] : nullptr;
    s.NewPos = HELCoords[j];
    s.DNext = 0.0;
    const unsigned start = j * q + (j < r ? j : r);
    const unsigned cities = q + (j < r ? 1 : 0);
    unsigned k = 0;
    for (; k < cities && k < 6; ++k) s.HandleSum[k] = start + k;
    if (k < 6) s.HandleSum[k] = kHELNoCity;
  }
}

long long HEL_GrowthCount(unsigned capacity, double longueur, uint32_t M, unsigned N) {
  // With M = 0 the ring has length 0 as well: the quotient is taken as 0, not 0/0.
  const double wanted =
      M == 0 ? 0.0 : (static_cast<double>(capacity) * longueur) / (static_cast<double>(M) * 3.141592 / 1.5);
  const double d = wanted - static_cast<double>(N);
  // Truncation to a signed 32-bit count; counts beyond that range are cut to it (the
  // capacity or the threshold then decides exactly as they would).
  if (!(d > -2147483648.0)) return -2147483647LL - 1;
  if (d > 2147483647.0) return 2147483647LL;
  return static_cast<int32_t>(d);
}

unsigned HEL_GrowRing(double longueur, unsigned n, uint32_t M, unsigned capacity, const unsigned* firstSommet,
                      unsigned threads, unsigned* favThread) {
  const unsigned N = HELNumSommets;
  long long stoadd = HEL_GrowthCount(capacity, longueur, M, N);
  if (static_cast<long long>(N) + stoadd > static_cast<long long>(capacity)) stoadd = capacity - N;
  if (stoadd <= static_cast<long long>(n / 10 + 1)) return 0;
  if (HELOutput >= UltraDetailed) printf("HElastique: ajout de %d sommets\n", static_cast<int>(stoadd));
  const unsigned added = static_cast<unsigned>(stoadd);
  const unsigned insertevry = N / added;
  // One new node after every insertevry old nodes, starting after node 0, at the midpoint
  // of its two neighbours.
  uint32_t c = 0;
  for (unsigned k = 0; k < added; ++k) {
    const uint32_t id = N + k;
    const uint32_t s = ElSommets[c].NextId;
    SommetInfo& nw = ElSommets[id];
    nw.Id = id;
    nw.NextId = s;
    nw.PrevId = c;
    ElSommets[c].NextId = id;
    ElSommets[s].PrevId = id;
    HELCoords[id].x = (HELCoords[s].x + HELCoords[c].x) * 0.5;
    HELCoords[id].y = (HELCoords[s].y + HELCoords[c].y) * 0.5;
    nw.NewPos = HELCoords[id];
    nw.DNext = 0.0;
    nw.HandleSum[0] = kHELNoCity;
    for (unsigned step = 0; step <= insertevry; ++step) c = ElSommets[c].NextId;
  }
  // Each new node joins a worker's chain right after its first node, worker by worker.
  for (unsigned k = 0; k < added; ++k) {
    SommetInfo& nw = ElSommets[N + k];
    SommetInfo& head = ElSommets[firstSommet[*favThread]];
    nw.NextSommet = head.NextSommet;
    head.NextSommet = &nw;
    *favThread = *favThread + 1 == threads ? 0 : *favThread + 1;
  }
  HELNumSommets = N + added;
  return added;
}

void HEL_AttachCities(EuclidianGraphe* e) {
  const unsigned N = HELNumSommets;
  const unsigned n = e->GetSommets();
  for (unsigned j = 0; j < N; ++j)
    for (int k = 0; k < 6; ++k) ElSommets[j].HandleSum[k] = kHELNoCity;
  for (unsigned i = 0; i < n; ++i) {
    const Point2D* c = e->GetCoords(static_cast<int>(i));
    const double x = c->x, y = c->y;
    uint32_t b = 0;
    double best = 0.0;
    for (uint32_t j = 0; j < N; ++j) {
      const double dx = x - HELCoords[j].x, dy = y - HELCoords[j].y;
      const double d = dx * dx + dy * dy;
      if (j == 0 || d < best) {
        best = d;
        b = j;
      }
    }
    // Six cities at most per node; the next ones go further along the ring.
    for (;;) {
      uint32_t* list = ElSommets[b].HandleSum;
      int k = 0;
      while (k < 6 && list[k] != kHELNoCity) ++k;
      if (k < 6) {
        list[k] = i;
        if (k < 5) list[k + 1] = kHELNoCity;
        break;
      }
      if (HELOutput >= Important) printf("HElastique: trop de villes proche du sommet %d\n", b);
      b = ElSommets[b].NextId;
    }
  }
}

tArretes* HEL_BuildTour(EuclidianGraphe* e) {
  tArretes* a = tArretes::New(e->GetSommets());
  if (a == nullptr) return nullptr;
  bool started = false;
  int first = 0, prev = 0;
  uint32_t j = 0;
  do {
    const uint32_t* list = ElSommets[j].HandleSum;
    for (int k = 0; k < 6 && list[k] != kHELNoCity; ++k) {
      const int city = static_cast<int>(list[k]);
      if (!started) {
        started = true;
        first = city;
      } else {
        a->Add(prev, city);
      }
      prev = city;
    }
    j = ElSommets[j].NextId;
  } while (j != 0);
  if (started) a->Add(prev, first);  // refused, as a repeat, for two cities
  if (a->OutOfMemory()) {
    delete a;
    return nullptr;
  }
  return a;
}

namespace {

constexpr char kName[] = "HElastique";
constexpr unsigned ElMaxThreads = 4;

// Starts a worker with SIGINT blocked, so that the main thread alone takes Ctrl-C; the
// driver's own mask is restored afterwards.
bool StartWorker(pthread_t* handle, SommetInfo* first) {
  if (pvc::AcquireFails()) return false;
  sigset_t block, old;
  sigemptyset(&block);
  sigaddset(&block, SIGINT);
  pthread_sigmask(SIG_BLOCK, &block, &old);
  const int rc = pthread_create(handle, nullptr, HEL_WorkingThread, first);
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  return rc == 0;
}

// Everything a run holds besides the globals; whichever way the run ends, the workers are
// ended and the arrays and the synchronizer released.
struct Run {
  unsigned n = 0;
  unsigned* ElThreadFirstSommet = nullptr;
  pthread_t handles[ElMaxThreads];
  unsigned started = 0;

  ~Run() {
    EndWorkers();
    free(ElSommets);
    free(HELWeightSum);
    if (HELWeights != nullptr)
      for (unsigned i = 0; i < n; ++i) free(HELWeights[i]);
    free(HELWeights);
    free(HELCoords);
    free(ElThreadFirstSommet);
    if (HELSem != nullptr) synchronizer_destroy(HELSem);
    ElSommets = nullptr;
    HELWeightSum = nullptr;
    HELWeights = nullptr;
    HELCoords = nullptr;
    HELSem = nullptr;
  }

  // Ends the workers started so far: once all of them wait, one Die signal, then joins.
  void EndWorkers() {
    if (started == 0) return;
    synchronizer_waitforwaiters(HELSem, started);
    HELState = Die;
    synchronizer_signal(HELSem);
    for (unsigned w = 0; w < started; ++w) pthread_join(handles[w], nullptr);
    started = 0;
  }
};

tArretes* ThreadsFail(int output) {
  if (output >= Important) printf("HElastique: erreur, impossible de demarrer les threads\n");
  return nullptr;
}

}  // namespace

tArretes* PVC_HElastique(EuclidianGraphe* e, unsigned long options) {
  const int Output = pvc::OutputOf(options);
  const unsigned interval = pvc::DrawIntervalOf(options);
  unsigned ElIterations;
  double ElKFactor;
  HEL_DecodeOptions(options, &ElIterations, &ElKFactor);
  // The ring is pulled toward the cities' places: an instance given by its distances
  // alone has none.
  if (!e->HasCoordinates()) {
    if (Output >= Important) printf("HElastique: erreur, instance sans coordonnees\n");
    return nullptr;
  }
  if (Output >= Important) printf("HElastique: heuristique de l'elastic net, demarrage\n");

  Run run;
  const unsigned n = e->GetSommets();
  const uint32_t M = e->GetMaxCoord();
  const unsigned ElMaxSommets = HEL_Capacity(n);
  const unsigned N0 = HEL_InitialCount(n);
  const unsigned ElThreads = N0 < ElMaxThreads ? N0 : ElMaxThreads;
  HELe = e;
  HELOutput = Output;
  HELNumSommets = N0;

  HELSem = synchronizer_new();
  if (HELSem == nullptr) return errno != ENOMEM ? ThreadsFail(Output) : pvc::Fail(kName, Output);
  run.ElThreadFirstSommet = static_cast<unsigned*>(pvc::Malloc(ElMaxThreads * sizeof(unsigned)));
  if (run.ElThreadFirstSommet == nullptr) return pvc::Fail(kName, Output);
  HELCoords = static_cast<fPOINT*>(pvc::Malloc(ElMaxSommets * sizeof(fPOINT)));
  if (HELCoords == nullptr) return pvc::Fail(kName, Output);
  HELWeights = static_cast<double**>(pvc::Calloc(n, sizeof(double*)));
  if (HELWeights == nullptr) return pvc::Fail(kName, Output);
  run.n = n;
  for (unsigned i = 0; i < n; ++i) {
    HELWeights[i] = static_cast<double*>(pvc::Malloc(ElMaxSommets * sizeof(double)));
    if (HELWeights[i] == nullptr) return pvc::Fail(kName, Output);
  }
  HELWeightSum = static_cast<double*>(pvc::Malloc(n * sizeof(double)));
  if (HELWeightSum == nullptr) return pvc::Fail(kName, Output);
  ElSommets = static_cast<SommetInfo*>(pvc::Malloc(ElMaxSommets * sizeof(SommetInfo)));
  if (ElSommets == nullptr) return pvc::Fail(kName, Output);

  HELAlpha = 0.2;
  HELBeta = 2.0;
  HELK = 0.2;
  const double rayon = static_cast<double>(M) * 0.5 / 5.0;

  // Worker w gets a block of consecutive nodes, the first N0 % ElThreads blocks one larger.
  const unsigned q = N0 / ElThreads, r = N0 % ElThreads;
  unsigned ElFirstFavThread = r;
  unsigned next = 0;
  for (unsigned w = 0; w < ElThreads; ++w) {
    const unsigned count = q + (w < r ? 1 : 0);
    run.ElThreadFirstSommet[w] = next;
    HEL_PlaceBlock(next, count, N0, n, M, rayon, Output);
    if (!StartWorker(&run.handles[w], &ElSommets[next])) return ThreadsFail(Output);
    ++run.started;
    next += count;
  }
  synchronizer_waitforwaiters(HELSem, ElThreads);

  pvc::ProgressScope progress(kName, "it\351ration", 0, "longueur");
  unsigned long long iterations = 0, ring = pvc::kNoFigure;
  while (HELK >= 0.015) {
    if (Output >= Detailed) printf("HElastique: K=%f\n", HELK);
    for (unsigned it = 0; it < ElIterations; ++it) {
      if (pvc::Interrupted()) return pvc::Fail(kName, Output);
      progress.Step(++iterations, ring);
      if (Output >= UltraDetailed) printf("HElastique: iteration...\n");
      if (interval != 0) {
        e->Draw(nullptr, HEL_DrawElastique);
        pvc::DrawPause(interval);
      }
      for (int phase = Weight; phase <= Apply; ++phase) {
        if (Output >= UltraDetailed) printf("HElastique: phase %d\n", phase);
        HELState = static_cast<HELSTATE>(phase);
        synchronizer_signal(HELSem);
        synchronizer_waitforwaiters(HELSem, ElThreads);
      }
    }
    HELK = HELK * ElKFactor;
    double longueur = 0.0;
    for (uint32_t j = 0; j < HELNumSommets; ++j) longueur += ElSommets[j].DNext;
    if (Output >= Detailed) printf("HElastique: longueur=%f\n", longueur);
    ring = static_cast<unsigned long long>(longueur + 0.5);
    HEL_GrowRing(longueur, n, M, ElMaxSommets, run.ElThreadFirstSommet, ElThreads, &ElFirstFavThread);
  }

  run.EndWorkers();
  HEL_AttachCities(e);
  tArretes* tour = HEL_BuildTour(e);
  if (tour == nullptr) return pvc::Fail(kName, Output);
  if (Output >= Important) printf("HElastique: chemin de longueur %llu trouv\351\n", e->Eval(tour));
  return tour;
}

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "algorithms/elastic_net_private.h"
#include "containers/resources.h"
#include "support/capture.h"

namespace {

// Options word: output level and the solve line's option byte.
unsigned long Opts(int level, unsigned byte) { return (static_cast<unsigned long>(byte) << 24) | (level << 16); }

std::vector<std::string> Lines(const std::string& s) {
  std::vector<std::string> v;
  std::istringstream in(s);
  std::string l;
  while (std::getline(in, l)) v.push_back(l);
  return v;
}

std::vector<std::string> LinesStartingWith(const std::string& s, const std::string& prefix) {
  std::vector<std::string> v;
  for (auto& l : Lines(s))
    if (l.compare(0, prefix.size(), prefix) == 0) v.push_back(l);
  return v;
}

// The shared arrays of an initial ring of n cities, without threads.
struct Ring {
  unsigned n, capacity, N0, threads, fav;
  unsigned first[4] = {0, 0, 0, 0};
  std::string trace;

  Ring(unsigned cities, uint32_t M, int output = 0) : n(cities) {
    capacity = HEL_Capacity(n);
    N0 = HEL_InitialCount(n);
    threads = N0 < 4 ? N0 : 4;
    ElSommets = static_cast<SommetInfo*>(calloc(capacity, sizeof(SommetInfo)));
    HELCoords = static_cast<fPOINT*>(calloc(capacity, sizeof(fPOINT)));
    HELOutput = output;
    HELNumSommets = N0;
    const unsigned q = N0 / threads, r = N0 % threads;
    fav = r;
    trace = CaptureStdout([&] {
      unsigned next = 0;
      for (unsigned w = 0; w < threads; ++w) {
        const unsigned count = q + (w < r ? 1 : 0);
        first[w] = next;
        HEL_PlaceBlock(next, count, N0, n, M, M * 0.5 / 5.0, output);
        next += count;
      }
    });
  }
  // The weight arrays of the phases, for instance e.
  void Weights(EuclidianGraphe* e) {
    HELe = e;
    HELWeights = static_cast<double**>(calloc(n, sizeof(double*)));
    for (unsigned i = 0; i < n; ++i) HELWeights[i] = static_cast<double*>(calloc(capacity, sizeof(double)));
    HELWeightSum = static_cast<double*>(calloc(n, sizeof(double)));
  }
  ~Ring() {
    if (HELWeights)
      for (unsigned i = 0; i < n; ++i) free(HELWeights[i]);
    free(HELWeights);
    free(HELWeightSum);
    free(ElSommets);
    free(HELCoords);
    HELWeights = nullptr;
    HELWeightSum = nullptr;
    ElSommets = nullptr;
    HELCoords = nullptr;
    HELOutput = 0;
  }
  // The worker whose chain holds node j, or -1.
  int Owner(uint32_t j) const {
    for (unsigned w = 0; w < threads; ++w)
      for (SommetInfo* s = &ElSommets[first[w]]; s; s = s->NextSommet)
        if (s->Id == j) return static_cast<int>(w);
    return -1;
  }
  size_t ChainLength(unsigned w) const {
    size_t k = 0;
    for (SommetInfo* s = &ElSommets[first[w]]; s; s = s->NextSommet) ++k;
    return k;
  }
  void Phase(HELSTATE op) {
    for (unsigned w = 0; w < threads; ++w) HEL_RunPhase(&ElSommets[first[w]], op);
  }
};

// One closed ring through all nodes, consistent back links, every node in one chain.
void ExpectRingInvariants(const Ring& r) {
  const uint32_t N = HELNumSommets;
  std::vector<int> seen(N, 0), owned(N, 0);
  uint32_t j = 0, steps = 0;
  do {
    ASSERT_LT(j, N);
    EXPECT_EQ(ElSommets[j].Id, j);
    EXPECT_EQ(ElSommets[ElSommets[j].NextId].PrevId, j);
    ++seen[j];
    j = ElSommets[j].NextId;
  } while (j != 0 && ++steps <= N);
  for (uint32_t k = 0; k < N; ++k) EXPECT_EQ(seen[k], 1) << "node " << k;
  for (unsigned w = 0; w < r.threads; ++w) {
    size_t k = 0;
    for (SommetInfo* s = &ElSommets[r.first[w]]; s && k <= N; s = s->NextSommet, ++k) {
      ASSERT_LT(s->Id, N);
      ++owned[s->Id];
    }
  }
  for (uint32_t k = 0; k < N; ++k) EXPECT_EQ(owned[k], 1) << "node " << k;
}

// A tour over n >= 3 cities: n edges forming one cycle through every city.
void ExpectTour(tArretes* t, unsigned n) {
  ASSERT_NE(t, nullptr);
  unsigned edges = 0;
  tArrete* c = nullptr;
  while (t->Get(&c)) ++edges;
  EXPECT_EQ(edges, n);
  int* seq = t->CircuitAsArray();
  ASSERT_NE(seq, nullptr);
  std::vector<int> seen(n, 0);
  for (unsigned k = 0; k < n; ++k) ++seen[seq[k]];
  EXPECT_EQ(seq[n], 0);
  for (unsigned k = 0; k < n; ++k) EXPECT_EQ(seen[k], 1) << "city " << k;
  free(seq);
}

EuclidianGraphe* Instance(unsigned n, uint32_t range) {
  auto* g = new EuclidianGraphe(static_cast<int>(n));
  CaptureStdout([&] { g->Randomise(range, 1); });
  return g;
}

TEST(ElasticNet, OptionsAndSizes) {
  unsigned it;
  double f;
  HEL_DecodeOptions(Opts(2, 0), &it, &f);
  EXPECT_EQ(it, 25u);
  EXPECT_EQ(f, 0.84);
  HEL_DecodeOptions(Opts(2, 5), &it, &f);
  EXPECT_EQ(it, 20u);
  HEL_DecodeOptions(Opts(2, 0x01), &it, &f);
  EXPECT_EQ(it, 4u);
  HEL_DecodeOptions(Opts(0, 0xF3), &it, &f);
  EXPECT_EQ(it, 12u);
  EXPECT_EQ(f, 0.99);
  HEL_DecodeOptions(Opts(0, 0x1F), &it, &f);
  EXPECT_EQ(it, 60u);
  EXPECT_EQ(f, 0.85);

  EXPECT_EQ(HEL_InitialCount(50), 75u);
  EXPECT_EQ(HEL_InitialCount(7), 11u);
  EXPECT_EQ(HEL_InitialCount(10), 15u);
  EXPECT_EQ(HEL_InitialCount(2), 4u);
  EXPECT_EQ(HEL_InitialCount(5), 7u);
  EXPECT_EQ(HEL_InitialCount(1), 3u);
  EXPECT_EQ(HEL_Capacity(50), 125u);
  EXPECT_EQ(HEL_Capacity(7), 17u);
  EXPECT_EQ(HEL_Capacity(2), 5u);
  EXPECT_EQ(HEL_Capacity(1), 3u);  // room for the three nodes of the smallest ring
}

TEST(ElasticNet, InitialCircleAndBlocks) {
  Ring r(50, 1000, UltraDetailed);
  EXPECT_EQ(r.capacity, 125u);
  EXPECT_EQ(r.N0, 75u);
  auto lines = Lines(r.trace);
  ASSERT_EQ(lines.size(), 75u);
  EXPECT_EQ(lines[0], "HElastique: positionnement du sommet 0 en 600.000000,500.000000");
  EXPECT_EQ(lines[74].compare(0, 39, "HElastique: positionnement du sommet 74"), 0);
  EXPECT_EQ(r.first[0], 0u);
  EXPECT_EQ(r.first[1], 19u);
  EXPECT_EQ(r.first[2], 38u);
  EXPECT_EQ(r.first[3], 57u);
  EXPECT_EQ(r.fav, 3u);
  EXPECT_EQ(r.ChainLength(0), 19u);
  EXPECT_EQ(r.ChainLength(3), 18u);
  for (unsigned j = 0; j < 75; ++j) {
    if (j < 50) {
      EXPECT_EQ(ElSommets[j].HandleSum[0], j);
      EXPECT_EQ(ElSommets[j].HandleSum[1], kHELNoCity);
    } else {
      EXPECT_EQ(ElSommets[j].HandleSum[0], kHELNoCity);
    }
  }
  EXPECT_EQ(ElSommets[0].PrevId, 74u);
  EXPECT_EQ(ElSommets[74].NextId, 0u);
  ExpectRingInvariants(r);
}

// The ring length whose growth count for 75 nodes of capacity 125 and M = 1000 is c + 0.5.
double LengthFor(double c) { return (75 + c + 0.5) * (1000 * 3.141592 / 1.5) / 125; }

TEST(ElasticNet, GrowthCount) {
  EXPECT_EQ(HEL_GrowthCount(125, 5000, 1000, 75), 223);
  EXPECT_EQ(HEL_GrowthCount(125, 2000, 1000, 75), 44);
  EXPECT_EQ(HEL_GrowthCount(125, 1000, 1000, 75), -15);
  EXPECT_EQ(HEL_GrowthCount(125, 0, 0, 75), -75);  // M = 0: no 0/0
  EXPECT_EQ(HEL_GrowthCount(125, 1e300, 1000, 75), 2147483647);
}

TEST(ElasticNet, GrowthToCapacityInsertsAfterEveryOldNode) {
  Ring r(50, 1000, UltraDetailed);
  std::vector<fPOINT> old(HELCoords, HELCoords + 75);
  unsigned added = 0;
  std::string out = CaptureStdout([&] { added = HEL_GrowRing(5000, 50, 1000, 125, r.first, 4, &r.fav); });
  EXPECT_EQ(out, "HElastique: ajout de 50 sommets\n");
  ASSERT_EQ(added, 50u);
  EXPECT_EQ(HELNumSommets, 125u);
  for (uint32_t k = 0; k < 50; ++k) {
    EXPECT_EQ(ElSommets[k].NextId, 75 + k);
    EXPECT_EQ(ElSommets[75 + k].NextId, k + 1);
    EXPECT_EQ(ElSommets[75 + k].HandleSum[0], kHELNoCity);
    EXPECT_EQ(HELCoords[75 + k].x, (old[k + 1].x + old[k].x) * 0.5);
    EXPECT_EQ(HELCoords[75 + k].y, (old[k + 1].y + old[k].y) * 0.5);
  }
  EXPECT_EQ(r.Owner(75), 3);
  EXPECT_EQ(r.Owner(76), 0);
  EXPECT_EQ(r.Owner(77), 1);
  EXPECT_EQ(r.Owner(78), 2);
  EXPECT_EQ(r.Owner(79), 3);
  EXPECT_EQ(r.fav, (3 + 50) % 4);
  // The new node sits right after the worker's first node; the first node never changes.
  EXPECT_EQ(ElSommets[57].NextSommet->Id, 123u);
  ExpectRingInvariants(r);
  // Full: nothing more is added.
  out = CaptureStdout([&] { added = HEL_GrowRing(9000, 50, 1000, 125, r.first, 4, &r.fav); });
  EXPECT_EQ(added, 0u);
  EXPECT_EQ(out, "");
}

TEST(ElasticNet, GrowthSpreadsNodesAndRespectsTheThreshold) {
  {
    Ring r(50, 1000);
    EXPECT_EQ(HEL_GrowRing(2000, 50, 1000, 125, r.first, 4, &r.fav), 44u);
    for (uint32_t k = 0; k < 44; ++k) EXPECT_EQ(ElSommets[k].NextId, 75 + k);
    EXPECT_EQ(ElSommets[44].NextId, 45u);
    ExpectRingInvariants(r);
  }
  {
    // 10 nodes on 75: one after every 7 old nodes, from node 0 on.
    Ring r(50, 1000);
    EXPECT_EQ(HEL_GrowRing(LengthFor(10), 50, 1000, 125, r.first, 4, &r.fav), 10u);
    for (uint32_t k = 0; k < 10; ++k) EXPECT_EQ(ElSommets[7 * k].NextId, 75 + k);
    ExpectRingInvariants(r);
    // Growing again from 85 nodes mixes old and new nodes in the walk.
    EXPECT_GT(HEL_GrowRing(LengthFor(30), 50, 1000, 125, r.first, 4, &r.fav), 0u);
    ExpectRingInvariants(r);
  }
  {
    Ring r(50, 1000, UltraDetailed);
    std::string out = CaptureStdout([&] {
      EXPECT_EQ(HEL_GrowRing(1000, 50, 1000, 125, r.first, 4, &r.fav), 0u);
      EXPECT_EQ(HEL_GrowRing(LengthFor(6), 50, 1000, 125, r.first, 4, &r.fav), 0u);
    });
    EXPECT_EQ(out, "");
    EXPECT_EQ(HELNumSommets, 75u);
    EXPECT_EQ(HEL_GrowRing(LengthFor(7), 50, 1000, 125, r.first, 4, &r.fav), 7u);
    ExpectRingInvariants(r);
  }
}

TEST(ElasticNet, PhasesNormaliseAndSurviveUnderflow) {
  EuclidianGraphe* g = Instance(6, 1000);
  Ring r(6, 1000);
  r.Weights(g);
  HELAlpha = 0.2;
  HELBeta = 2.0;
  HELK = 0.2;
  g->GetCoords(5)->x = 1000;
  g->GetCoords(5)->y = 1000;
  r.Phase(Weight);
  r.Phase(WeightSum);
  r.Phase(Normalize);
  for (unsigned i = 0; i < 6; ++i) {
    double s = 0;
    for (unsigned j = 0; j < HELNumSommets; ++j) s += HELWeights[i][j];
    EXPECT_NEAR(s, 1.0, 1e-12) << "city " << i;
  }
  // With a tiny K the far corner city's weights all underflow: they stay 0, never NaN.
  HELK = 0.001;
  r.Phase(Weight);
  r.Phase(WeightSum);
  EXPECT_EQ(HELWeightSum[5], 0.0);
  r.Phase(Normalize);
  r.Phase(Coords);
  r.Phase(Apply);
  for (unsigned j = 0; j < HELNumSommets; ++j) {
    EXPECT_EQ(HELWeights[5][j], 0.0);
    EXPECT_FALSE(std::isnan(HELCoords[j].x) || std::isnan(HELCoords[j].y));
    EXPECT_FALSE(std::isnan(ElSommets[j].DNext));
  }
  delete g;
}

TEST(ElasticNet, FullNodeSendsCitiesAlongTheRing) {
  EuclidianGraphe g(8);
  CaptureStdout([&] { g.Randomise(100, 1); });
  for (int i = 0; i < 8; ++i) *g.GetCoords(i) = {50, 50};
  Ring r(8, 100, Important);
  HELNumSommets = 3;  // a ring 0 -> 1 -> 2 -> 0 with node 1 on every city
  for (uint32_t j = 0; j < 3; ++j) {
    ElSommets[j].NextId = (j + 1) % 3;
    ElSommets[j].PrevId = (j + 2) % 3;
    HELCoords[j] = {10.0 + 40 * j, 10.0 + 40 * j};
  }
  std::string out = CaptureStdout([&] { HEL_AttachCities(&g); });
  EXPECT_EQ(out,
            "HElastique: trop de villes proche du sommet 1\n"
            "HElastique: trop de villes proche du sommet 1\n");
  for (uint32_t k = 0; k < 6; ++k) EXPECT_EQ(ElSommets[1].HandleSum[k], k);
  EXPECT_EQ(ElSommets[2].HandleSum[0], 6u);
  EXPECT_EQ(ElSommets[2].HandleSum[1], 7u);
  EXPECT_EQ(ElSommets[2].HandleSum[2], kHELNoCity);
  EXPECT_EQ(ElSommets[0].HandleSum[0], kHELNoCity);
  tArretes* t = HEL_BuildTour(&g);
  ExpectTour(t, 8);
  for (int i = 0; i < 8; ++i) EXPECT_TRUE(t->Present(i, (i + 1) % 8));
  delete t;
}

TEST(ElasticNet, RandomInstancesGiveToursAndRunsRepeatExactly) {
  for (unsigned n : {3u, 11u, 20u}) {
    EuclidianGraphe* g = Instance(n, 1000);
    tArretes *a = nullptr, *b = nullptr;
    std::string out_a = CaptureStdout([&] { a = PVC_HElastique(g, Opts(UltraDetailed, 0x01)); });
    ExpectTour(a, n);
    if (n == 20) {
      std::string out_b = CaptureStdout([&] { b = PVC_HElastique(g, Opts(UltraDetailed, 0x01)); });
      EXPECT_EQ(out_a, out_b);
      ASSERT_NE(b, nullptr);
      for (unsigned i = 0; i < n; ++i)
        for (unsigned j = i + 1; j < n; ++j) EXPECT_EQ(a->Present(i, j), b->Present(i, j));
      // Option 1: four iterations per stage, fifteen stages.
      auto k = LinesStartingWith(out_a, "HElastique: K=");
      ASSERT_EQ(k.size(), 15u);
      EXPECT_EQ(k[0], "HElastique: K=0.200000");
      EXPECT_EQ(k[1], "HElastique: K=0.168000");
      EXPECT_EQ(k[2], "HElastique: K=0.141120");
      EXPECT_EQ(k[14], "HElastique: K=0.017416");
      EXPECT_EQ(LinesStartingWith(out_a, "HElastique: longueur=").size(), 15u);
      EXPECT_EQ(LinesStartingWith(out_a, "HElastique: iteration...").size(), 60u);
      EXPECT_EQ(LinesStartingWith(out_a, "HElastique: phase ").size(), 300u);
      auto lines = Lines(out_a);
      EXPECT_EQ(lines.front(), "HElastique: heuristique de l'elastic net, demarrage");
      char last[80];
      snprintf(last, sizeof last, "HElastique: chemin de longueur %llu trouv\351", g->Eval(a));
      EXPECT_EQ(lines.back(), last);
    }
    delete a;
    delete b;
    delete g;
  }
}

TEST(ElasticNet, WorkerLinesAreTheSameMultisetEveryRun) {
  EuclidianGraphe* g = Instance(5, 100);
  std::vector<std::string> runs[2];
  for (auto& lines : runs) {
    tArretes* t = nullptr;
    lines = Lines(CaptureStdout([&] { t = PVC_HElastique(g, Opts(Verbose, 0x01)); }));
    ExpectTour(t, 5);
    delete t;
    std::sort(lines.begin(), lines.end());
  }
  EXPECT_EQ(runs[0], runs[1]);
  // Five cities: seven nodes in blocks of 2, 2, 2 and 1.
  for (const char* w : {"0", "2", "4", "6"}) {
    std::string die = std::string("thread ") + w + ": die and release";
    EXPECT_EQ(std::count(runs[0].begin(), runs[0].end(), die), 1) << die;
  }
  delete g;
}

TEST(ElasticNet, CitiesAtTheOriginGiveNoNaN) {
  EuclidianGraphe* g = Instance(8, 0);
  tArretes* t = nullptr;
  std::string out = CaptureStdout([&] { t = PVC_HElastique(g, Opts(Detailed, 0x01)); });
  EXPECT_EQ(out.find("nan"), std::string::npos);
  auto trop = LinesStartingWith(out, "HElastique: trop");
  ASSERT_EQ(trop.size(), 2u);
  EXPECT_EQ(trop[0], "HElastique: trop de villes proche du sommet 0");
  EXPECT_EQ(LinesStartingWith(out, "HElastique: longueur=0.000000").size(), 15u);
  ExpectTour(t, 8);
  for (int i = 0; i < 8; ++i) EXPECT_TRUE(t->Present(i, (i + 1) % 8));
  delete t;
  delete g;
}

TEST(ElasticNet, TwoCitiesGiveOneEdgeAndOneCityNone) {
  EuclidianGraphe* g = Instance(2, 100);
  tArretes* t = nullptr;
  CaptureStdout([&] { t = PVC_HElastique(g, Opts(0, 0x01)); });
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(t->Present(0, 1));
  EXPECT_EQ(g->Eval(t), g->Get(0, 1));
  delete t;
  delete g;
  // One city: the ring's three nodes still fit (three workers), the tour is empty.
  g = Instance(1, 100);
  CaptureStdout([&] { t = PVC_HElastique(g, Opts(0, 0x01)); });
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(g->Eval(t), 0u);
  delete t;
  delete g;
}

TEST(ElasticNet, EveryFailedAcquisitionEndsCleanly) {
  EuclidianGraphe* g = Instance(3, 100);
  const unsigned long threads_from = 4 + 3 + 3 + 1 + 1;  // synchronizer, arrays, 3 rows
  for (unsigned long k = 1;; ++k) {
    tArretes* t = nullptr;
    pvc::FailAcquisitionAt(k);
    std::string out = CaptureStdout([&] { t = PVC_HElastique(g, Opts(Important, 0x01)); });
    pvc::FailAcquisitionAt(0);
    if (t != nullptr) {
      EXPECT_GT(k, threads_from + 4);
      delete t;
      break;
    }
    const bool thread_failure = (k >= 2 && k <= 4) || (k > threads_from && k <= threads_from + 4);
    const std::string want = thread_failure ? "HElastique: erreur, impossible de demarrer les threads\n"
                                            : "HElastique: erreur, memoire insuffisante\n";
    EXPECT_NE(out.find(want), std::string::npos) << "acquisition " << k << ":\n" << out;
    EXPECT_EQ(out.find("chemin de longueur"), std::string::npos) << "acquisition " << k;
    ASSERT_LT(k, 100u);
  }
  delete g;
}

TEST(ElasticNet, InterruptionEndsTheWorkersAndKeepsTheCallersMask) {
  EuclidianGraphe* g = Instance(6, 100);
  sigset_t before, after;
  pthread_sigmask(SIG_SETMASK, nullptr, &before);
  pvc::g_interrupt = 1;
  tArretes* t = nullptr;
  std::string out = CaptureStdout([&] { t = PVC_HElastique(g, Opts(Verbose, 0x01)); });
  pvc::g_interrupt = 0;
  EXPECT_EQ(t, nullptr);
  auto lines = Lines(out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "HElastique: interrompu");
  EXPECT_EQ(LinesStartingWith(out, "thread ").size(), 8u);  // 4 x (got signal, die)
  pthread_sigmask(SIG_SETMASK, nullptr, &after);
  EXPECT_EQ(sigismember(&before, SIGINT), sigismember(&after, SIGINT));
  delete g;
}

}  // namespace

// The elastic net: option decoding and sizes, the initial ring, its growth, the phases'
// arithmetic guards, and whole runs (valid tours, repeatable to the byte).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "algorithms/elastic_net_private.h"
#include "algorithms/tour_util.h"

namespace {

// The shared arrays of an initial ring of n cities, placed block by block without threads.
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
    HELWeights = static_cast<double**>(calloc(n, sizeof(double*)));
    for (unsigned i = 0; i < n; ++i) HELWeights[i] = static_cast<double*>(calloc(capacity, sizeof(double)));
    HELWeightSum = static_cast<double*>(calloc(n, sizeof(double)));
    HELOutput = output;
    HELNumSommets = N0;
    fav = N0 % threads;
    trace = CaptureStdout([&] {
      for (unsigned w = 0, next = 0; w < threads; next += N0 / threads + (w < fav), ++w) {
        first[w] = next;
        HEL_PlaceBlock(next, N0 / threads + (w < fav), N0, n, M, M * 0.5 / 5.0, output);
      }
    });
  }
  ~Ring() {
    for (unsigned i = 0; i < n; ++i) free(HELWeights[i]);
    free(HELWeights), free(HELWeightSum), free(ElSommets), free(HELCoords);
    HELWeights = nullptr, HELWeightSum = nullptr, ElSommets = nullptr, HELCoords = nullptr, HELOutput = 0;
  }
  // The worker whose chain holds node j, or -1.
  int Owner(uint32_t j) const {
    for (unsigned w = 0; w < threads; ++w)
      for (SommetInfo* s = &ElSommets[first[w]]; s; s = s->NextSommet)
        if (s->Id == j) return static_cast<int>(w);
    return -1;
  }
  // One closed ring through all nodes, consistent back links, every node in one chain.
  void ExpectInvariants() const {
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
    for (unsigned w = 0; w < threads; ++w) {
      size_t k = 0;
      for (SommetInfo* s = &ElSommets[first[w]]; s && k <= N; s = s->NextSommet, ++k) {
        ASSERT_LT(s->Id, N);
        ++owned[s->Id];
      }
    }
    EXPECT_EQ(seen, std::vector<int>(N, 1));
    EXPECT_EQ(owned, std::vector<int>(N, 1));
  }
};

TEST(ElasticNet, OptionsAndSizes) {
  // Option byte -> iterations per stage and K factor (84 + high nibble) / 100.
  const struct { unsigned byte, iterations; double factor; } options[] = {
      {0, 25, 0.84}, {5, 20, 0.84}, {0x01, 4, 0.84}, {0xF3, 12, 0.99}, {0x1F, 60, 0.85}};
  for (const auto& o : options) {
    unsigned it;
    double f;
    HEL_DecodeOptions(pvc::OptionsWord(0, 2, o.byte), &it, &f);
    EXPECT_EQ(it, o.iterations) << o.byte;
    EXPECT_EQ(f, o.factor) << o.byte;
  }
  // Cities -> initial nodes and capacity (room for the three nodes of the smallest ring).
  const unsigned sizes[][3] = {{50, 75, 125}, {7, 11, 17}, {10, 15, 25}, {2, 4, 5}, {5, 7, 12}, {1, 3, 3}};
  for (const auto& s : sizes) {
    EXPECT_EQ(HEL_InitialCount(s[0]), s[1]) << s[0];
    EXPECT_EQ(HEL_Capacity(s[0]), s[2]) << s[0];
  }
}

TEST(ElasticNet, InitialCircleAndBlocks) {
  Ring r(50, 1000, UltraDetailed);
  std::vector<std::string> lines = tour::Lines(r.trace);
  ASSERT_EQ(lines.size(), 75u);
  EXPECT_EQ(lines[0], "HElastique: positionnement du sommet 0 en 600.000000,500.000000");
  EXPECT_EQ(lines[74].compare(0, 39, "HElastique: positionnement du sommet 74"), 0);
  EXPECT_EQ(std::vector<unsigned>(r.first, r.first + 4), (std::vector<unsigned>{0, 19, 38, 57}));
  EXPECT_EQ(r.fav, 3u);
  for (unsigned j = 0; j < 75; ++j) {
    EXPECT_EQ(r.Owner(j), j < 19 ? 0 : j < 38 ? 1 : j < 57 ? 2 : 3) << j;
    EXPECT_EQ(ElSommets[j].HandleSum[0], j < 50 ? j : kHELNoCity);
    if (j < 50) {
      EXPECT_EQ(ElSommets[j].HandleSum[1], kHELNoCity);
    }
  }
  EXPECT_EQ(ElSommets[0].PrevId, 74u);
  r.ExpectInvariants();
}

// The ring length whose growth count for 75 nodes of capacity 125 and M = 1000 is c + 0.5.
double LengthFor(double c) { return (75 + c + 0.5) * (1000 * 3.141592 / 1.5) / 125; }

TEST(ElasticNet, Growth) {
  EXPECT_EQ(HEL_GrowthCount(125, 5000, 1000, 75), 223);
  EXPECT_EQ(HEL_GrowthCount(125, 2000, 1000, 75), 44);
  EXPECT_EQ(HEL_GrowthCount(125, 1000, 1000, 75), -15);
  EXPECT_EQ(HEL_GrowthCount(125, 0, 0, 75), -75);  // M = 0: no 0/0
  EXPECT_EQ(HEL_GrowthCount(125, 1e300, 1000, 75), 2147483647);
  {
    // 223 nodes are capped at the 50 places left: one after every old node.
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
      EXPECT_EQ(r.Owner(75 + k), static_cast<int>((3 + k) % 4));  // from the favoured worker on
    }
    EXPECT_EQ(r.fav, (3 + 50) % 4);
    // The new node sits right after the worker's first node; the first node never changes.
    EXPECT_EQ(ElSommets[57].NextSommet->Id, 123u);
    r.ExpectInvariants();
    EXPECT_EQ(HEL_GrowRing(9000, 50, 1000, 125, r.first, 4, &r.fav), 0u);  // full
  }
  {
    // 44 nodes, one after each of the first 44 old nodes.
    Ring r(50, 1000);
    EXPECT_EQ(HEL_GrowRing(2000, 50, 1000, 125, r.first, 4, &r.fav), 44u);
    for (uint32_t k = 0; k < 45; ++k) EXPECT_EQ(ElSommets[k].NextId, k < 44 ? 75 + k : 45);
    r.ExpectInvariants();
  }
  {
    // 10 nodes on 75: one after every 7 old nodes; growing again mixes old and new nodes.
    Ring r(50, 1000);
    EXPECT_EQ(HEL_GrowRing(LengthFor(10), 50, 1000, 125, r.first, 4, &r.fav), 10u);
    for (uint32_t k = 0; k < 10; ++k) EXPECT_EQ(ElSommets[7 * k].NextId, 75 + k);
    r.ExpectInvariants();
    EXPECT_GT(HEL_GrowRing(LengthFor(30), 50, 1000, 125, r.first, 4, &r.fav), 0u);
    r.ExpectInvariants();
  }
  {
    // Below the threshold (1000, or a count under 7) nothing is added, silently.
    Ring r(50, 1000, UltraDetailed);
    EXPECT_EQ(CaptureStdout([&] {
                EXPECT_EQ(HEL_GrowRing(1000, 50, 1000, 125, r.first, 4, &r.fav), 0u);
                EXPECT_EQ(HEL_GrowRing(LengthFor(6), 50, 1000, 125, r.first, 4, &r.fav), 0u);
              }),
              "");
    EXPECT_EQ(HELNumSommets, 75u);
    EXPECT_EQ(HEL_GrowRing(LengthFor(7), 50, 1000, 125, r.first, 4, &r.fav), 7u);
  }
}

TEST(ElasticNet, PhasesNormaliseAndSurviveUnderflow) {
  EuclidianGraphe g(6);
  g.Generate(1000, 1, 3, nullptr);
  *g.GetCoords(5) = {1000, 1000};
  Ring r(6, 1000);
  HELe = &g;
  HELAlpha = 0.2, HELBeta = 2.0;
  auto phases = [&](std::initializer_list<HELSTATE> ops) {
    for (HELSTATE op : ops)
      for (unsigned w = 0; w < r.threads; ++w) HEL_RunPhase(&ElSommets[r.first[w]], op);
  };
  HELK = 0.2;
  phases({Weight, WeightSum, Normalize});
  for (unsigned i = 0; i < 6; ++i) {
    double s = 0;
    for (unsigned j = 0; j < HELNumSommets; ++j) s += HELWeights[i][j];
    EXPECT_NEAR(s, 1.0, 1e-12) << "city " << i;
  }
  // With a tiny K the far corner city's weights all underflow: they stay 0, never NaN.
  HELK = 0.001;
  phases({Weight, WeightSum});
  EXPECT_EQ(HELWeightSum[5], 0.0);
  phases({Normalize, Coords, Apply});
  for (unsigned j = 0; j < HELNumSommets; ++j) {
    EXPECT_EQ(HELWeights[5][j], 0.0);
    EXPECT_FALSE(std::isnan(HELCoords[j].x) || std::isnan(HELCoords[j].y) || std::isnan(ElSommets[j].DNext));
  }
}

TEST(ElasticNet, FullNodeSendsCitiesAlongTheRing) {
  EuclidianGraphe g(8);
  g.Generate(100, 1, 1, nullptr);
  for (int i = 0; i < 8; ++i) *g.GetCoords(i) = {50, 50};
  Ring r(8, 100, Important);
  HELNumSommets = 3;  // a ring 0 -> 1 -> 2 -> 0 with node 1 on every city
  for (uint32_t j = 0; j < 3; ++j) {
    ElSommets[j].NextId = (j + 1) % 3;
    ElSommets[j].PrevId = (j + 2) % 3;
    HELCoords[j] = {10.0 + 40 * j, 10.0 + 40 * j};
  }
  std::string out = CaptureStdout([&] { HEL_AttachCities(&g); });
  EXPECT_EQ(out, "HElastique: trop de villes proche du sommet 1\nHElastique: trop de villes proche du sommet 1\n");
  for (uint32_t k = 0; k < 6; ++k) EXPECT_EQ(ElSommets[1].HandleSum[k], k);
  EXPECT_EQ(std::vector<uint32_t>(ElSommets[2].HandleSum, ElSommets[2].HandleSum + 3),
            (std::vector<uint32_t>{6, 7, kHELNoCity}));
  EXPECT_EQ(ElSommets[0].HandleSum[0], kHELNoCity);
  tArretes* t = HEL_BuildTour(&g);
  EXPECT_EQ(tour::SequenceOf(*t), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_TRUE(tour::IsTour(*t));
  delete t;
}

TEST(ElasticNet, RandomInstancesGiveToursAndRunsRepeatExactly) {
  for (int n : {3, 11, 20}) {
    EuclidianGraphe g(n);
    g.Generate(1000, 1, n, nullptr);
    std::string out_a, out_b;
    tArretes* a = tour::Run(PVC_HElastique, g, pvc::OptionsWord(0, UltraDetailed, 0x01), &out_a);
    tArretes* b = tour::Run(PVC_HElastique, g, pvc::OptionsWord(0, UltraDetailed, 0x01), &out_b);
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(tour::IsTour(*a)) << n;
    EXPECT_EQ(out_a, out_b);
    EXPECT_EQ(tour::EdgesOf(*a), tour::EdgesOf(*b));
    // Option 1: four iterations per stage, fifteen stages of K.
    std::vector<std::string> k = tour::Lines(out_a, "HElastique: K=");
    ASSERT_EQ(k.size(), 15u);
    EXPECT_EQ(k[0] + k[1] + k[2] + k[14], "HElastique: K=0.200000HElastique: K=0.168000HElastique: K=0.141120"
                                          "HElastique: K=0.017416");
    EXPECT_EQ(tour::Lines(out_a, "HElastique: iteration...").size(), 60u);
    EXPECT_EQ(tour::Lines(out_a, "HElastique: phase ").size(), 300u);
    EXPECT_EQ(tour::Lines(out_a).back(), "HElastique: chemin de longueur " + std::to_string(g.Eval(a)) + " trouv\351");
    delete a;
    delete b;
  }
}

TEST(ElasticNet, CitiesAtTheOriginGiveNoNaN) {
  EuclidianGraphe g(8);
  g.Generate(0, 1, 1, nullptr);
  std::string out;
  tArretes* t = tour::Run(PVC_HElastique, g, pvc::OptionsWord(0, Detailed, 0x01), &out);
  EXPECT_EQ(out.find("nan"), std::string::npos);
  std::vector<std::string> trop = tour::Lines(out, "HElastique: trop");
  ASSERT_EQ(trop.size(), 2u);
  EXPECT_EQ(trop[0], "HElastique: trop de villes proche du sommet 0");
  EXPECT_EQ(tour::Lines(out, "HElastique: longueur=0.000000").size(), 15u);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(tour::SequenceOf(*t), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  delete t;
}

}  // namespace

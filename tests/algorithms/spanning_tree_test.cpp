#include "algorithms/spanning_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "containers/resources.h"
#include "support/capture.h"
#include "tour_check.h"

namespace {

using tourcheck::CountLines;
using tourcheck::Edges;
using tourcheck::Opts;
using EdgeList = std::vector<std::pair<int, int>>;

// The tree steps as the literal scan picks them: at every step all pairs j < k in
// ascending order, exactly one in the tree, strictly lighter than the best so far, the
// search starting above every weight. Returns the level-2 lines of Prim.
std::string LiteralPrim(const Graphe& g) {
  const unsigned n = g.GetSommets();
  std::vector<char> in(n, 0);
  in[0] = 1;
  std::string out;
  for (unsigned step = 1; step < n; ++step) {
    uint64_t best = UINT64_MAX;
    unsigned b1 = 0, b2 = 0;
    for (unsigned j = 0; j + 1 < n; ++j)
      for (unsigned k = j + 1; k < n; ++k)
        if (in[j] != in[k] && g.Get(static_cast<int>(j), static_cast<int>(k)) < best) {
          best = g.Get(static_cast<int>(j), static_cast<int>(k));
          b1 = j;
          b2 = k;
        }
    in[b1] = in[b2] = 1;
    out += "insertion de " + std::to_string(b1) + "-" + std::to_string(b2) + "\n";
  }
  return out;
}

const std::string kPrimOpening = "Prim: g\351n\351ration d'un arbre recouvrant de poid minimal\n";

struct Outcome {
  std::unique_ptr<tArretes> tour;
  std::string out;
};

Outcome Solve(EuclidianGraphe& g, unsigned long options) {
  Outcome r;
  r.out = CaptureStdout([&] { r.tour.reset(PVC_HARPM(&g, options)); });
  return r;
}

std::vector<unsigned long> Walk(tArretes& t, std::string* out = nullptr) {
  std::vector<unsigned long> order(t.GetSommets(), 99999);
  unsigned long pos = 0;
  std::string text = CaptureStdout([&] {
    EXPECT_TRUE(gen_parcours_prefixe(&t, order.data(), &pos, 0, 4294967295ul, out != nullptr));
  });
  if (out) *out = text;
  order.resize(pos);
  return order;
}

TEST(ARPM_Prim, StepsMatchTheLiteralScan) {
  // Small ranges and range 0 give many equal weights; the largest range reaches weights
  // of 2^31 - 1 and more, which must still join the tree.
  const uint32_t ranges[] = {0, 1, 2, 3, 7, 1000, 4294967295u};
  unsigned seed = 1;
  for (unsigned n = 2; n <= 24; ++n) {
    for (uint32_t range : ranges) {
      for (int rep = 0; rep < 4; ++rep, ++seed) {
        EuclidianGraphe g(static_cast<int>(n));
        tourcheck::FillRandom(g, range, seed);
        std::unique_ptr<tArretes> tree;
        std::string out = CaptureStdout([&] { tree.reset(ARPM_Prim(&g, Opts(2))); });
        ASSERT_TRUE(tree);
        ASSERT_EQ(out, kPrimOpening + LiteralPrim(g)) << "n " << n << " range " << range << " seed " << seed;
        ASSERT_EQ(Edges(*tree).size(), n - 1);
      }
    }
  }
  // Euclidean instances with many equal distances.
  for (unsigned n = 2; n <= 30; n += 4) {
    for (uint32_t side : {3u, 10u, 1000u}) {
      EuclidianGraphe g(static_cast<int>(n));
      tourcheck::FillEuclidean(g, side, ++seed);
      std::string out = CaptureStdout([&] { delete ARPM_Prim(&g, Opts(2)); });
      ASSERT_EQ(out, kPrimOpening + LiteralPrim(g)) << "n " << n << " side " << side;
    }
  }
}

TEST(ARPM_Prim, TieGoesToSmallerFirstThenSecondVertex) {
  // After (0, 3), the pairs (0, 4), (1, 3) and (2, 3) weigh 2: (0, 4) joins first,
  // although vertex 1 is the lowest vertex outside the tree. At the end (2, 3) and (2, 4)
  // weigh 2: the smaller second vertex wins.
  EuclidianGraphe g(5);
  for (int i = 0; i < 5; ++i)
    for (int j = i + 1; j < 5; ++j) g.Set(i, j, 9);
  g.Set(0, 3, 1);
  g.Set(0, 4, 2);
  g.Set(1, 3, 2);
  g.Set(2, 3, 2);
  g.Set(2, 4, 2);
  std::string out = CaptureStdout([&] { delete ARPM_Prim(&g, Opts(2)); });
  EXPECT_EQ(out, kPrimOpening +
                     "insertion de 0-3\n"
                     "insertion de 0-4\n"
                     "insertion de 1-3\n"
                     "insertion de 2-3\n");
}

TEST(gen_parcours_prefixe, NeighbourOrderAndTraceLines) {
  tArretes t(6);
  for (auto e : {std::make_pair(0, 3), {3, 1}, {3, 5}, {1, 2}, {0, 4}}) t.Add(e.first, e.second);
  std::string out;
  EXPECT_EQ(Walk(t, &out), (std::vector<unsigned long>{0, 3, 5, 1, 2, 4}));
  EXPECT_EQ(out,
            "gen_parcours_prefixe: ajout de 0, depuis -1\n"
            "gen_parcours_prefixe: ajout de 3, depuis 0\n"
            "gen_parcours_prefixe: ajout de 5, depuis 3\n"
            "gen_parcours_prefixe: ajout de 1, depuis 3\n"
            "gen_parcours_prefixe: ajout de 2, depuis 1\n"
            "gen_parcours_prefixe: ajout de 4, depuis 0\n");
}

TEST(gen_parcours_prefixe, DeepPathAndNonTrees) {
  // A path as deep as the instance is large.
  const int n = 300000;
  tArretes path(n);
  for (int i = 0; i + 1 < n; ++i) path.Add(i, i + 1);
  std::vector<unsigned long> order = Walk(path);
  ASSERT_EQ(order.size(), size_t(n));
  EXPECT_EQ(order[n - 1], unsigned(n - 1));

  // A forest misses vertices.
  tArretes forest(5);
  forest.Add(0, 2);
  forest.Add(1, 3);
  EXPECT_EQ(Walk(forest), (std::vector<unsigned long>{0, 2}));

  // A cycle would walk forever; the array is never written beyond its n entries.
  tArretes cycle(4);
  cycle.Add(0, 1);
  cycle.Add(1, 2);
  cycle.Add(0, 2);
  std::vector<unsigned long> exact(4);
  unsigned long pos = 0;
  EXPECT_TRUE(gen_parcours_prefixe(&cycle, exact.data(), &pos, 0, 4294967295ul, false));
  EXPECT_EQ(pos, 4u);
}

TEST(HARPM, TwoVertices) {
  EuclidianGraphe g(2);
  g.Set(0, 1, 11);
  Outcome r = Solve(g, Opts(2));
  ASSERT_TRUE(r.tour);
  EXPECT_EQ(Edges(*r.tour), (EdgeList{{0, 1}}));
  EXPECT_EQ(r.out, "HARPM: parcours prefixe d'un ARPM sur un graphe de 2 sommets\n" + kPrimOpening +
                       "insertion de 0-1\n"
                       "gen_parcours_prefixe: ajout de 0, depuis -1\n"
                       "gen_parcours_prefixe: ajout de 1, depuis 0\n"
                       "HARPM: fin, chemin de longueur 11 trouve\n");
}

TEST(HARPM, AllWeightsZeroGiveTheStarAndTheIdentityTour) {
  const int n = 7;
  EuclidianGraphe g(n);
  tourcheck::FillRandom(g, 0, 0);
  std::unique_ptr<tArretes> tree;
  std::string prim = CaptureStdout([&] { tree.reset(ARPM_Prim(&g, Opts(0))); });
  EXPECT_EQ(prim, "");
  EdgeList star, ring;
  for (int i = 1; i < n; ++i) star.emplace_back(0, i);
  EXPECT_EQ(Edges(*tree), star);
  EXPECT_EQ(Walk(*tree), (std::vector<unsigned long>{0, 1, 2, 3, 4, 5, 6}));

  Outcome r = Solve(g, Opts(1));
  ASSERT_TRUE(r.tour);
  ring = {{0, 1}, {0, 6}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}};
  EXPECT_EQ(Edges(*r.tour), ring);
  EXPECT_EQ(r.out, "HARPM: parcours prefixe d'un ARPM sur un graphe de 7 sommets\n" + kPrimOpening +
                       "HARPM: fin, chemin de longueur 0 trouve\n");
}

TEST(HARPM, ToursAndLineCountsOnRandomInstances) {
  unsigned seed = 500;
  for (unsigned n = 3; n <= 40; n += 3) {
    for (uint32_t side : {4u, 100u, 100000u}) {
      EuclidianGraphe g(static_cast<int>(n));
      tourcheck::FillEuclidean(g, side, ++seed);
      Outcome r = Solve(g, Opts(2));
      ASSERT_TRUE(r.tour);
      ASSERT_TRUE(tourcheck::IsTour(*r.tour, n)) << "n " << n;
      EXPECT_EQ(CountLines(r.out, "insertion de "), n - 1);
      EXPECT_EQ(CountLines(r.out, "gen_parcours_prefixe: ajout de "), n);
      EXPECT_EQ(CountLines(r.out, "gen_parcours_prefixe: ajout de 0, depuis -1"), 1u);
      std::string closing = "HARPM: fin, chemin de longueur " + std::to_string(g.Eval(r.tour.get())) + " trouve\n";
      EXPECT_EQ(r.out.size() - r.out.rfind(closing), closing.size());
    }
  }
  EuclidianGraphe g(6);
  tourcheck::FillEuclidean(g, 100, 1);
  EXPECT_EQ(Solve(g, Opts(0)).out, "");
  std::string drawn = Solve(g, Opts(0, 1)).out;
  EXPECT_EQ(CountLines(drawn, "Drawing disabled in this special edition"), 6u);
  EXPECT_EQ(std::count(drawn.begin(), drawn.end(), '\n'), 6);
}

TEST(HARPM, AllocationFailuresAreReported) {
  EuclidianGraphe g(8);
  tourcheck::FillEuclidean(g, 100, 9);
  unsigned long k = 1;
  for (;; ++k) {
    pvc::FailAcquisitionAt(k);
    Outcome r = Solve(g, Opts(1));
    bool injected = pvc::AcquisitionCount() >= k;
    pvc::FailAcquisitionAt(0);
    if (!injected) {
      ASSERT_TRUE(r.tour);
      break;
    }
    EXPECT_FALSE(r.tour) << "failure " << k;
    EXPECT_EQ(CountLines(r.out, "HARPM: erreur, memoire insuffisante"), 1u) << "failure " << k;
  }
  // Prim's arrays and set, 7 tree records, the walk's two arrays, 8 tour records.
  EXPECT_GT(k, 20u);
}

TEST(HARPM, Interruption) {
  EuclidianGraphe g(5);
  tourcheck::FillEuclidean(g, 100, 4);
  pvc::g_interrupt = 1;
  Outcome r = Solve(g, Opts(1));
  pvc::g_interrupt = 0;
  EXPECT_FALSE(r.tour);
  EXPECT_EQ(r.out, "HARPM: parcours prefixe d'un ARPM sur un graphe de 5 sommets\n" + kPrimOpening +
                       "HARPM: interrompu\n");
}

}  // namespace

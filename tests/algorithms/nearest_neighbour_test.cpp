// The nearest neighbour on hand-made weights: ties, huge weights, two vertices.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "algorithms/tour_util.h"

namespace {

TEST(NearestNeighbour, TiesHugeWeightsAndTwoVertices) {
  // From 0 the nearest is 3; from 3, 1 and 2 tie: the lowest vertex wins.
  EuclidianGraphe g(4);
  g.Set(0, 1, 5), g.Set(0, 2, 5), g.Set(0, 3, 1), g.Set(1, 2, 9), g.Set(1, 3, 4), g.Set(2, 3, 4);
  std::string out;
  tArretes* t = tour::Run(PVC_HPlusProcheVoisin, g, pvc::OptionsWord(0, 2), &out);
  EXPECT_EQ(tour::Lines(out, "HPlusProcheVoisin: insertion"),
            (std::vector<std::string>{"HPlusProcheVoisin: insertion de 3 apres 0", "HPlusProcheVoisin: insertion de 1 apres 3",
                                      "HPlusProcheVoisin: insertion de 2 apres 1"}));
  EXPECT_EQ(g.Eval(t), 1u + 4 + 9 + 5);
  delete t;
  // Weights of 2^31 - 1 and more: a candidate is still always found.
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j) g.Set(i, j, 3000000000u + static_cast<uint32_t>(i + j));
  t = tour::Run(PVC_HPlusProcheVoisin, g, 0);
  EXPECT_EQ(g.Eval(t), 3000000001ull + 3000000003ull + 3000000005ull + 3000000003ull);
  delete t;
  EuclidianGraphe two(2);
  two.Set(0, 1, 7);
  t = tour::Run(PVC_HPlusProcheVoisin, two, pvc::OptionsWord(0, 1), &out);
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(tour::IsTour(*t));
  EXPECT_EQ(out, "HPlusProcheVoisin: algorithme du plus proche voisin, graphe de 2 sommets\n"
                 "HPlusProcheVoisin: fin, circuit de longueur 7 trouve\n");
  delete t;
}

// The scan reads the last vertex's column below it and its row above it; on weights full of
// ties every step must still pick what a literal scan through Get picks.
TEST(NearestNeighbour, MatchesTheLiteralScan) {
  std::mt19937 rng(5);
  for (unsigned n : {2u, 3u, 5u, 17u, 64u})
    for (uint32_t range : {0u, 1u, 3u, 1000u}) {
      EuclidianGraphe g(static_cast<int>(n));
      for (unsigned i = 0; i < n; ++i)
        for (unsigned j = i + 1; j < n; ++j)
          g.Set(static_cast<int>(i), static_cast<int>(j), range ? static_cast<uint32_t>(rng() % (range + 1)) : 0u);
      std::vector<std::string> literal;
      std::vector<char> done(n, 0);
      unsigned last = 0;
      for (unsigned k = 1; k < n; ++k) {
        unsigned long long best = ~0ull;
        unsigned pick = 0;
        for (unsigned i = 1; i < n; ++i)
          if (!done[i] && g.Get(static_cast<int>(i), static_cast<int>(last)) < best)
            best = g.Get(static_cast<int>(i), static_cast<int>(last)), pick = i;
        literal.push_back("HPlusProcheVoisin: insertion de " + std::to_string(pick) + " apres " + std::to_string(last));
        done[pick] = 1;
        last = pick;
      }
      std::string out;
      delete tour::Run(PVC_HPlusProcheVoisin, g, pvc::OptionsWord(0, 2), &out);
      EXPECT_EQ(tour::Lines(out, "HPlusProcheVoisin: insertion"), literal) << "n " << n << " range " << range;
    }
}

}  // namespace

// The nearest neighbour against a literal scan through Get.
#include <gtest/gtest.h>

#include <algorithm>

#include <random>
#include <string>
#include <vector>

#include "support/tour.h"

namespace {

// On weights full of ties (lowest vertex wins) and of weights beyond 2^31 - 1 (a candidate
// is still always found), every step must pick what a literal scan through Get picks; so
// must the walk on points in small ranges (many duplicates and ties) and large ones, their
// weights computed, whether the tour is linked at the end or drawn step by step.
TEST(HPlusProcheVoisin, MatchesTheLiteralScan) {
  std::mt19937 rng(5);
  for (int n : {2, 3, 5, 17, 64, 300})
    for (uint32_t range : {0u, 1u, 3u, 1000u, 4294967295u})
      for (bool points : {false, true}) {
        const auto owned = points ? tour::Computed(n, std::min(range, 2147483647u), rng())
                                  : tour::Matrix(n, range > 1000 ? 2147483647u : 0u, range, rng());
        EuclidianGraphe& g = *owned;
        const std::vector<int> walk = tour::LiteralWalk(g);
        std::vector<std::string> literal;
        for (size_t k = 1; k < walk.size(); ++k)
          literal.push_back("HPlusProcheVoisin: insertion de " + std::to_string(walk[k]) + " apres " +
                            std::to_string(walk[k - 1]));
        std::string out;
        const auto t = tour::Run(PVC_HPlusProcheVoisin, g, pvc::OptionsWord(0, Detailed), &out);
        EXPECT_EQ(tour::Lines(out, "HPlusProcheVoisin: insertion"), literal) << "n " << n << " range " << range;
        EXPECT_TRUE(tour::IsTour(*t));
        if (n == 17) {  // drawn step by step, the set grows edge by edge: the same tour
          EXPECT_EQ(tour::EdgesOf(*tour::Run(PVC_HPlusProcheVoisin, g, pvc::OptionsWord(1, None))), tour::EdgesOf(*t));
        }
      }
}

}  // namespace

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
  for (unsigned n : {2u, 3u, 5u, 17u, 64u, 300u})
    for (uint32_t range : {0u, 1u, 3u, 1000u, 4294967295u})
      for (bool points : {false, true}) {
        const int size = static_cast<int>(n);
        std::unique_ptr<EuclidianGraphe> owned(points ? tour::Computed(size, std::min(range, 2147483647u), rng()).release()
                                                      : new EuclidianGraphe(size));
        EuclidianGraphe& g = *owned;
        if (!points) tour::FillRandom(g, range > 1000 ? 2147483647u : 0u, range, rng());
        std::vector<std::string> literal;
        std::vector<char> done(n, 0);
        int last = 0;
        for (unsigned k = 1; k < n; ++k) {
          unsigned long long best = ~0ull;
          int pick = 0;
          for (int i = 1; i < static_cast<int>(n); ++i)
            if (!done[i] && g.Get(i, last) < best) best = g.Get(i, last), pick = i;
          literal.push_back("HPlusProcheVoisin: insertion de " + std::to_string(pick) + " apres " + std::to_string(last));
          done[pick] = 1;
          last = pick;
        }
        std::string out;
        tArretes* t = tour::Run(PVC_HPlusProcheVoisin, g, pvc::OptionsWord(0, Detailed), &out);
        EXPECT_EQ(tour::Lines(out, "HPlusProcheVoisin: insertion"), literal) << "n " << n << " range " << range;
        EXPECT_TRUE(tour::IsTour(*t));
        if (n == 17) {  // drawn step by step, the set grows edge by edge: the same tour
          tArretes* drawn = tour::Run(PVC_HPlusProcheVoisin, g, pvc::OptionsWord(1, None));
          EXPECT_EQ(tour::EdgesOf(*drawn), tour::EdgesOf(*t));
          delete drawn;
        }
        delete t;
      }
}

}  // namespace

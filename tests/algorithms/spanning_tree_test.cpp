// The spanning-tree preorder heuristic: Prim against the literal pair scan, and the tours.
#include "algorithms/spanning_tree.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdint>
#include <string>
#include <vector>

#include "support/tour.h"

namespace {

// The level-2 lines of Prim as the literal scan gives them: at every step all pairs j < k
// in ascending order, exactly one in the tree, strictly lighter than the best so far.
std::string LiteralPrim(const Graphe& g) {
  const int n = static_cast<int>(g.GetSommets());
  std::vector<char> in(n, 0);
  in[0] = 1;
  std::string out = "Prim: g\351n\351ration d'un arbre recouvrant de poid minimal\n";
  for (int step = 1; step < n; ++step) {
    uint64_t best = UINT64_MAX;
    int b1 = 0, b2 = 0;
    for (int j = 0; j + 1 < n; ++j)
      for (int k = j + 1; k < n; ++k)
        if (in[j] != in[k] && g.Get(j, k) < best) best = g.Get(j, k), b1 = j, b2 = k;
    in[b1] = in[b2] = 1;
    out += "insertion de " + std::to_string(b1) + "-" + std::to_string(b2) + "\n";
  }
  return out;
}

// Narrow ranges give many equal weights (ties go to the smaller first, then second
// vertex); the largest gives weights of 2^31 - 1 and more, which must still join. The
// walk of the tree then gives a tour whose closing line is its recorded length. The
// second repetition takes points in the range instead, their weights computed.
TEST(HARPM, PrimMatchesTheLiteralScanAndTheWalkGivesATour) {
  unsigned seed = 1;
  for (int n = 2; n <= 24; ++n)
    for (uint32_t range : {0u, 1u, 3u, 1000u, 4294967295u})
      for (int rep = 0; rep < 3; ++rep, ++seed) {
        const auto owned =
            rep == 1 ? tour::Computed(n, std::min(range, 2147483647u), seed) : tour::Matrix(n, 0, range, seed);
        EuclidianGraphe& g = *owned;
        std::string out;
        tour::Run(ARPM_Prim, g, pvc::OptionsWord(0, Detailed), &out);
        ASSERT_EQ(out, LiteralPrim(g)) << "n " << n << " range " << range << " seed " << seed;
        const auto t = tour::Run(PVC_HARPM, g, pvc::OptionsWord(0, Important), &out);
        ASSERT_TRUE(t && tour::IsTour(*t));
        EXPECT_NE(out.find("longueur " + std::to_string(g.Eval(t.get())) + " trouve\n"), std::string::npos);
      }
}

// On points Prim takes its pairs from a k-d tree and a heap; on the same weights as a
// matrix it keeps one key per vertex, which the test above holds to the literal scan.
// Ties of every kind (tiny ranges, duplicated points, dense clusters) must still give the
// same pairs in the same order, and the same walk.
TEST(HARPM, PointsGiveThePairsOfTheMatrixForm) {
  tour::ExpectPointsAsMatrix(PVC_HARPM, {2, 3, 50, 700}, {0, 4, 1000, 2147483647u}, 40);
}

}  // namespace

// The spanning-tree preorder heuristic: Prim against the literal scan, and the tours.
#include "algorithms/spanning_tree.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "algorithms/tour_util.h"

namespace {

const std::string kPrimOpening = "Prim: g\351n\351ration d'un arbre recouvrant de poid minimal\n";

// The tree steps as the literal scan picks them: at every step all pairs j < k in
// ascending order, exactly one in the tree, strictly lighter than the best so far, the
// search starting above every weight. Returns the level-2 lines of Prim.
std::string LiteralPrim(const Graphe& g) {
  const int n = static_cast<int>(g.GetSommets());
  std::vector<char> in(n, 0);
  in[0] = 1;
  std::string out = kPrimOpening;
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
// vertex); the largest reaches weights of 2^31 - 1 and more, which must still join.
TEST(ARPM_Prim, StepsMatchTheLiteralScan) {
  const uint32_t ranges[] = {0, 1, 2, 3, 7, 1000, 4294967295u};
  unsigned seed = 1;
  for (int n = 2; n <= 24; ++n)
    for (uint32_t range : ranges)
      for (int rep = 0; rep < 4; ++rep, ++seed) {
        EuclidianGraphe g(n);
        if (rep < 3)
          tour::FillRandom(g, 0, range, seed);
        else
          tour::Fill(g, 1000, range % 1001, seed);
        std::string out;
        tArretes* tree = tour::Run(ARPM_Prim, g, pvc::OptionsWord(0, 2), &out);
        ASSERT_NE(tree, nullptr);
        ASSERT_EQ(out, LiteralPrim(g)) << "n " << n << " range " << range << " seed " << seed;
        ASSERT_EQ(tour::EdgesOf(*tree).size(), n - 1u);
        delete tree;
      }
}

TEST(HARPM, TwoVerticesAllZeroAndRandomInstances) {
  EuclidianGraphe two(2);
  two.Set(0, 1, 11);
  std::string out;
  delete tour::Run(PVC_HARPM, two, pvc::OptionsWord(0, 2), &out);
  EXPECT_EQ(out, "HARPM: parcours prefixe d'un ARPM sur un graphe de 2 sommets\n" + kPrimOpening +
                     "insertion de 0-1\n"
                     "gen_parcours_prefixe: ajout de 0, depuis -1\n"
                     "gen_parcours_prefixe: ajout de 1, depuis 0\n"
                     "HARPM: fin, chemin de longueur 11 trouve\n");
  // All weights 0: the star around 0, and the tour 0-1-...-6-0.
  EuclidianGraphe zero(7);
  tour::FillRandom(zero, 0, 0, 1);
  tArretes* tree = tour::Run(ARPM_Prim, zero, 0);
  EXPECT_EQ(tour::EdgesOf(*tree), (std::set<tour::Edge>{{0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}, {0, 6}}));
  delete tree;
  tArretes* r = tour::Run(PVC_HARPM, zero, 0);
  EXPECT_EQ(tour::SequenceOf(*r), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
  delete r;
  // A tour whose closing line gives its recorded length.
  for (int n = 3; n <= 40; n += 3)
    for (uint32_t side : {4u, 100u, 100000u}) {
      EuclidianGraphe g(n);
      tour::Fill(g, 1000, side, n + side);
      r = tour::Run(PVC_HARPM, g, pvc::OptionsWord(0, 1), &out);
      ASSERT_NE(r, nullptr);
      EXPECT_TRUE(tour::IsTour(*r)) << "n " << n;
      EXPECT_NE(out.find("HARPM: fin, chemin de longueur " + std::to_string(g.Eval(r)) + " trouve\n"), std::string::npos);
      delete r;
    }
}

}  // namespace

// The branch and bound: optimality against Held-Karp, and the closed node's siblings.
#include "algorithms/branch_and_bound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "algorithms/tour_util.h"
#include "containers/resources.h"

namespace {

// Held-Karp optimum of a closed tour.
uint64_t Optimum(const Graphe& g) {
  const int n = static_cast<int>(g.GetSommets());
  const uint64_t kInf = UINT64_MAX / 4;
  std::vector<uint64_t> dp((size_t{1} << n) * n, kInf);
  dp[1 * n + 0] = 0;
  for (unsigned mask = 1; mask < (1u << n); mask += 2)
    for (int j = 0; j < n; ++j)
      for (int k = 1; k < n && dp[mask * n + j] != kInf; ++k)
        if (!(mask & (1u << k))) {
          uint64_t& t = dp[(mask | (1u << k)) * n + k];
          t = std::min(t, dp[mask * n + j] + g.Get(j, k));
        }
  uint64_t best = kInf;
  for (int j = 1; j < n; ++j) best = std::min(best, dp[((1u << n) - 1) * n + j] + g.Get(j, 0));
  return best;
}

// A poor first tour standing in for the 2-opt: the identity, which costs much more search.
tArretes* IdentityTour(EuclidianGraphe* e, unsigned long) {
  const int n = static_cast<int>(e->GetSommets());
  tArretes* t = tArretes::New(n);
  for (int k = 0; t && k < n; ++k) t->Add(k, (k + 1) % n);
  return t;
}

TEST(ASepEval, OptimalOnRandomInstances) {
  for (int round = 0; round < 120; ++round) {
    const int n = 3 + round % 7;  // 3 .. 9
    EuclidianGraphe g(n);
    if (round % 3 == 0)
      tour::FillRandom(g, 1, 5, round);  // plenty of ties
    else
      tour::Fill(g, 1000, 1000, round);
    // The 2-opt, the nearest neighbour and the identity as first tours.
    fExec start = round % 4 == 0 ? PVC_H2Opt : round % 2 && n <= 8 ? IdentityTour : PVC_HPlusProcheVoisin;
    tArretes* t = nullptr;
    CaptureStdout([&] { t = ASERun(&g, 0, start); });
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(tour::IsTour(*t));
    EXPECT_EQ(g.Eval(t), Optimum(g)) << "round " << round << " n " << n;
    delete t;
  }
  // Two vertices: the closing edge repeats the only one and is refused.
  EuclidianGraphe g(2);
  g.Set(0, 1, 17);
  std::string out;
  tArretes* t = tour::Run(PVC_ASeparationEvaluation, g, pvc::OptionsWord(0, 1), &out);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(g.Eval(t), 17u);
  EXPECT_NE(out.find("ASepEval: fin\nASepEval: chemin optimal de longueur 17 trouv\351\n"), std::string::npos);
  delete t;
  // With a draw interval the drawn path's edge set is allocated too; its failure is reported.
  pvc::FailAcquisitionAt(1);
  t = tour::Run([](EuclidianGraphe* e, unsigned long o) { return ASERun(e, o, IdentityTour); }, g, pvc::OptionsWord(1, 1, 0),
                &out);
  pvc::FailAcquisitionAt(0);
  EXPECT_EQ(t, nullptr);
  EXPECT_NE(out.find("ASepEval: erreur, memoire insuffisante\n"), std::string::npos);
}

// Shortest tour 0, c1, ..., c(n-1) with c1 not in `banned`, by enumeration.
uint64_t ShortestAvoiding(const Graphe& g, const std::vector<int>& banned) {
  const int n = static_cast<int>(g.GetSommets());
  std::vector<int> p(n);
  for (int i = 0; i < n; ++i) p[i] = i;
  uint64_t best = UINT64_MAX;
  do {
    if (std::find(banned.begin(), banned.end(), p[1]) == banned.end()) best = std::min(best, uint64_t(tour::Length(g, p)));
  } while (std::next_permutation(p.begin() + 1, p.end()));
  return best;
}

// Drives the passes by hand from a tree whose first root child was closed earlier and
// whose second is closed by its bound: the walk goes on with the following siblings.
TEST(ASEParcours, ClosedNodeHandsTheWalkToItsSiblings) {
  for (int round = 0; round < 20; ++round) {
    const int n = 7;
    EuclidianGraphe g(n);
    tour::Fill(g, 100, 100, 11 + round);
    Arbre root;
    for (int v = 1; v < n; ++v) {
      Arbre* c = new Arbre;
      c->s = static_cast<uint32_t>(v);
      root.AddChild(c);
    }
    Arbre* first = static_cast<Arbre*>(root.Child);
    Arbre* second = static_cast<Arbre*>(first->Next);
    first->ferme = true;
    second->borneinf = UINT64_MAX - 1;
    second->AddChild(new Arbre);  // whose subtree goes
    std::vector<int> chemin(n), best(n);
    std::vector<char> used(n, 0);
    ASEBuff = static_cast<char*>(malloc(n));
    ASEOptions = 0;
    uint64_t bestlength = UINT64_MAX - 2;  // no tour known yet
    std::string out = CaptureStdout([&] {
      ASEOutputLevel = UltraDetailed;
      while (ASEParcours(&root, &g, bestlength, chemin.data(), 0, used.data(), best.data(), 0) > 0) {
      }
      ASEOutputLevel = 0;
    });
    free(ASEBuff);
    ASEBuff = nullptr;
    EXPECT_TRUE(second->ferme);
    EXPECT_EQ(second->Child, nullptr);
    // Tours leaving 0 through 1 or 2 are cut off; every other one is searched.
    EXPECT_EQ(bestlength, ShortestAvoiding(g, {1, 2})) << "round " << round;
    EXPECT_EQ(uint64_t(tour::Length(g, best)), bestlength);
    // Each root child is entered with the edge from 0 as its path length.
    for (int v = 1; v < n; ++v) {
      const size_t p = out.find("=>" + std::to_string(v) + "   (borne ");
      ASSERT_NE(p, std::string::npos);
      EXPECT_EQ(std::stoull(out.substr(out.find(", sous chemin ", p) + 14)), g.Get(0, v)) << v;
    }
    EXPECT_NE(out.find("=>1   (borne 0, sous chemin " + std::to_string(g.Get(0, 1)) + ")\nferme!\n<=1\n=>2"),
              std::string::npos);
    ClearArbre(&root);
  }
}

}  // namespace

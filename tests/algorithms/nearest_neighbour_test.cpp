// The nearest neighbour, and the walk it takes on points, against a literal scan through
// Get (tour::LiteralWalk).
#include "graph/nearest_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/tour.h"

namespace {

// Arbitrary weights full of ties (lowest vertex wins) and beyond 2^31 - 1 (a candidate is
// still always found); points in small ranges (many duplicates and ties) and large ones;
// 1500 uniform points, points drawn twice or more and tight clusters, over ranges from 0-4
// to near 2^31 (float differences); weights stored and computed; the ATT file rule; one to
// three cities. Every step of the run must pick what the literal scan picks, whether the
// tour is linked at the end or drawn step by step; on points, so must the walk itself, with
// its weights, and both ways of cutting cells must be met.
TEST(HPlusProcheVoisin, MatchesTheLiteralScan) {
  std::mt19937 rng(5);
  std::vector<std::unique_ptr<EuclidianGraphe>> cases;
  for (int n : {2, 3, 5, 17, 64, 300})
    for (uint32_t range : {0u, 1u, 3u, 1000u, 4294967295u}) {
      cases.push_back(tour::Matrix(n, range > 1000 ? 2147483647u : 0u, range, rng()));
      cases.push_back(tour::Computed(n, std::min(range, 2147483647u), rng()));
    }
  for (int kind : {0, 1, 2})
    for (uint32_t range : {4u, 1000u, 1000000u, 2147483647u})
      cases.push_back(tour::OfPoints(tour::Scatter(1500, kind, range, rng())));
  for (int n : {1, 2, 3, 700}) {
    cases.emplace_back(new EuclidianGraphe(n, Metric::kTruncated));
    cases.back()->Generate(1000, 1, rng(), nullptr);  // weights stored
  }
  TsplibInstance att = Shipped("att48");
  att.graph->ComputeWeights();
  cases.push_back(std::move(att.graph));
  bool met[2] = {false, false};
  for (size_t c = 0; c < cases.size(); ++c) {
    EuclidianGraphe& g = *cases[c];
    const std::vector<int> literal = tour::LiteralWalk(g);
    std::vector<std::string> lines;
    for (size_t k = 1; k < literal.size(); ++k)
      lines.push_back("HPlusProcheVoisin: insertion de " + std::to_string(literal[k]) + " apres " +
                      std::to_string(literal[k - 1]));
    std::string out;
    const auto t = tour::Run(PVC_HPlusProcheVoisin, g, pvc::OptionsWord(0, Detailed), &out);
    EXPECT_EQ(tour::Lines(out, "HPlusProcheVoisin: insertion"), lines) << "case " << c;
    EXPECT_TRUE(literal.size() < 2 || tour::IsTour(*t)) << "case " << c;
    if (literal.size() == 17) {  // drawn step by step, the set grows edge by edge: the same tour
      EXPECT_EQ(tour::EdgesOf(*tour::Run(PVC_HPlusProcheVoisin, g, pvc::OptionsWord(1, None))), tour::EdgesOf(*t));
    }
    if (g.GetMetric() == Metric::kMatrix) continue;
    pvc::NearestWalk walk;
    ASSERT_TRUE(walk.Build(g));
    met[walk.Halved()] = true;
    walk.Start(0);
    std::vector<int> got{0};
    uint32_t w;
    for (int v; (v = walk.Next(&w)) >= 0; got.push_back(v)) ASSERT_EQ(w, g.Get(got.back(), v)) << "case " << c;
    ASSERT_EQ(got, literal) << "case " << c;
  }
  EXPECT_TRUE(met[0] && met[1]);
}

}  // namespace

// The nearest-neighbour walk against a literal scan of the weights (tour::LiteralWalk).
#include "graph/nearest_walk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/files.h"
#include "support/tour.h"

namespace {

// Uniform points, points drawn twice or more, and tight clusters, over ranges from 0-4 (a
// few places, weights full of ties) to near 2^31 (float differences); weights stored and
// computed; the ATT file rule; one, two and three cities. Each step must take what the
// literal scan takes, with its weight, and both ways of cutting cells must be met.
TEST(NearestWalk, TakesWhatTheLiteralScanTakes) {
  std::vector<std::unique_ptr<EuclidianGraphe>> cases;
  unsigned seed = 0;
  for (int kind : {0, 1, 2})
    for (uint32_t range : {4u, 1000u, 1000000u, 2147483647u}) cases.push_back(tour::OfPoints(tour::Scatter(1500, kind, range, ++seed)));
  for (int n : {1, 2, 3, 700}) {
    cases.emplace_back(new EuclidianGraphe(n, Metric::kTruncated));
    cases.back()->Generate(1000, 1, ++seed, nullptr);  // weights stored
  }
  const TsplibInstance att = Shipped("att48");
  att.graph->ComputeWeights();
  bool met[2] = {false, false};
  for (size_t c = 0; c <= cases.size(); ++c) {
    const EuclidianGraphe& g = c < cases.size() ? *cases[c] : *att.graph;
    pvc::NearestWalk walk;
    ASSERT_TRUE(walk.Build(g));
    met[walk.Halved()] = true;
    walk.Start(0);
    std::vector<int> got{0};
    uint32_t w;
    for (int v; (v = walk.Next(&w)) >= 0; got.push_back(v)) ASSERT_EQ(w, g.Get(got.back(), v)) << "case " << c;
    ASSERT_EQ(got, tour::LiteralWalk(g)) << "case " << c;
  }
  EXPECT_TRUE(met[0] && met[1]);
}

}  // namespace

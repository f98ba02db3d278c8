// Generated instance kinds: the portable logarithm and normal deviates they rest on, and
// clustered instances (reproducible, inside the square, in clouds, weights of their points).
#include "kinds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "graph/random.h"

namespace bench {
namespace {

TEST(Kinds, PortableLogFollowsTheLibrary) {
  std::vector<double> xs = {1.0, 0.5, 0x1p-62, 1 - 0x1p-53, 0.70710678118654752, 0.7071067811865475, 3.0, 1e300};
  pvc::SeedRandom(7);
  for (int i = 0; i < 100000; ++i) xs.push_back((pvc::Random() + 1.0) / 2147483648.0);  // what the polar form feeds it
  for (double x : xs) EXPECT_NEAR(PortableLog(x), std::log(x), 4e-16 * std::fabs(std::log(x))) << x;
}

TEST(Kinds, NormalPairsAreStandardNormal) {
  pvc::SeedRandom(3);
  const int pairs = 200000;
  double sum = 0, squares = 0, product = 0, within_one = 0;
  for (int i = 0; i < pairs; ++i) {
    double a, b;
    NormalPair(&a, &b);
    sum += a + b, squares += a * a + b * b, product += a * b;
    within_one += (std::fabs(a) < 1) + (std::fabs(b) < 1);
  }
  EXPECT_NEAR(sum / pairs, 0, 0.01);
  EXPECT_NEAR(squares / (2.0 * pairs), 1, 0.01);
  EXPECT_NEAR(product / pairs, 0, 0.01);                  // the two of a pair uncorrelated
  EXPECT_NEAR(within_one / (2.0 * pairs), 0.6827, 0.005);  // the normal's share within one deviation
}

using Cities = std::vector<std::pair<unsigned, unsigned>>;  // (x, y) each

Cities Clustered(int n, unsigned range, unsigned seed, EuclidianGraphe* g = nullptr) {
  EuclidianGraphe own(n, Metric::kTruncated);
  if (!g) g = &own;
  GenerateInstance(Kind::kClustered, g, range, seed);
  Cities p;
  for (int i = 0; i < n; ++i) p.push_back({g->GetCoords(i)->x, g->GetCoords(i)->y});
  return p;
}

TEST(Kinds, ClusteredInstancesAreReproducibleInsideTheSquareAndInClouds) {
  // The first cities of one instance, pinned: a seed must give these on every platform.
  const auto first = Clustered(100, 1000, 1);
  EXPECT_EQ(Cities(first.begin(), first.begin() + 3), (Cities{{801, 338}, {524, 685}, {632, 805}}));
  EXPECT_EQ(Clustered(100, 1000, 1), first);
  EXPECT_NE(Clustered(100, 1000, 2), first);
  // Tight clouds near the edges are clipped, never wrapped.
  for (unsigned range : {0u, 1u, 7u, 1000000u})
    for (const auto& p : Clustered(500, range, 5)) ASSERT_TRUE(p.first <= range && p.second <= range) << range;
  // Stored (up to 5000 cities) or computed, a weight is that of the points placed.
  for (int n : {300, 6000}) {
    EuclidianGraphe g(n, Metric::kTruncated);
    Clustered(n, 1000000, 9, &g);
    EXPECT_EQ(g.GetMaxCoord(), 1000000u);
    for (int k = 1; k < 20000; ++k) {
      const int a = k % n, b = k * 7 % n;
      ASSERT_EQ(g.Get(a, b), a == b ? kNoWeight : EuclideanWeight(*g.GetCoords(a), *g.GetCoords(b))) << n;
    }
  }
  // Cities per cell of a 20 x 20 grid: about as variable as their mean for uniform cities
  // (a Poisson count), several times more for clustered ones (200 clouds about a cell wide).
  auto dispersion = [](Kind kind) {
    EuclidianGraphe g(2000, Metric::kTruncated);
    GenerateInstance(kind, &g, 1000000, 4);
    std::vector<double> count(400, 0);
    for (int i = 0; i < 2000; ++i)
      count[std::min(g.GetCoords(i)->x / 50000, 19u) * 20 + std::min(g.GetCoords(i)->y / 50000, 19u)] += 1;
    double var = 0;
    for (double c : count) var += (c - 5) * (c - 5);
    return var / 400 / 5;
  };
  EXPECT_LT(dispersion(Kind::kUniform), 1.3);
  EXPECT_GT(dispersion(Kind::kClustered), 2.5);
}

}  // namespace
}  // namespace bench

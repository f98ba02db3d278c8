// Generated instance kinds: the portable logarithm and normal deviates they rest on, and
// clustered instances (reproducible, inside the square, weights as the points give them).
#include "kinds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "graph/random.h"

namespace bench {
namespace {

TEST(Kinds, PortableLogFollowsTheLibrary) {
  // Over the whole range the polar method feeds it (0 < s < 1), powers of two, the ends.
  std::vector<double> xs = {1.0, 0.5, 0.25, 0x1p-31, 0x1p-62, 1 - 0x1p-53, 0.70710678118654752, 0.7071067811865475,
                            3.0, 1e300, 1e-300};
  pvc::SeedRandom(7);
  for (int i = 0; i < 100000; ++i) xs.push_back((pvc::Random() + 1.0) / 2147483648.0);
  for (double x : xs) {
    const double want = std::log(x);
    EXPECT_NEAR(PortableLog(x), want, 4e-16 * std::fabs(want) + 1e-300) << x;
  }
  EXPECT_EQ(PortableLog(1.0), 0.0);
}

TEST(Kinds, NormalPairsAreStandardNormal) {
  pvc::SeedRandom(3);
  const int pairs = 200000;
  double sum = 0, squares = 0, product = 0;
  int within_one = 0;
  for (int i = 0; i < pairs; ++i) {
    double a, b;
    NormalPair(&a, &b);
    sum += a + b;
    squares += a * a + b * b;
    product += a * b;
    within_one += (std::fabs(a) < 1) + (std::fabs(b) < 1);
  }
  const double count = 2.0 * pairs;
  EXPECT_NEAR(sum / count, 0, 0.01);
  EXPECT_NEAR(squares / count, 1, 0.01);
  EXPECT_NEAR(product / pairs, 0, 0.01);           // the two deviates of a pair independent
  EXPECT_NEAR(within_one / count, 0.6827, 0.005);  // the normal's share within one deviation
}

std::vector<Point2D> Points(const EuclidianGraphe& g) {
  std::vector<Point2D> p;
  for (unsigned i = 0; i < g.GetSommets(); ++i) p.push_back(*g.GetCoords(static_cast<int>(i)));
  return p;
}

bool Same(const std::vector<Point2D>& a, const std::vector<Point2D>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].x != b[i].x || a[i].y != b[i].y) return false;
  return true;
}

TEST(Kinds, ClusteredInstancesAreReproducibleAndInsideTheSquare) {
  // The first cities of one instance, pinned: a seed must give these on every platform.
  EuclidianGraphe g(100, Metric::kTruncated);
  GenerateInstance(Kind::kClustered, &g, 1000, 1);
  const std::vector<Point2D> first = Points(g);
  const Point2D pinned[3] = {{801, 338}, {524, 685}, {632, 805}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(first[i].x, pinned[i].x) << i;
    EXPECT_EQ(first[i].y, pinned[i].y) << i;
  }
  EXPECT_EQ(g.GetMaxCoord(), 1000u);
  EuclidianGraphe again(100, Metric::kTruncated), other(100, Metric::kTruncated);
  GenerateInstance(Kind::kClustered, &again, 1000, 1);
  GenerateInstance(Kind::kClustered, &other, 1000, 2);
  EXPECT_TRUE(Same(first, Points(again)));
  EXPECT_FALSE(Same(first, Points(other)));

  // Tight clouds near the edges are clipped, never wrapped: every city in [0, range].
  for (unsigned range : {0u, 1u, 7u, 1000000u}) {
    EuclidianGraphe c(500, Metric::kTruncated);
    GenerateInstance(Kind::kClustered, &c, range, 5);
    for (const Point2D& p : Points(c)) {
      ASSERT_LE(p.x, range);
      ASSERT_LE(p.y, range);
    }
  }
}

TEST(Kinds, ClusteredWeightsAreThoseOfThePoints) {
  // Stored (up to 5000 cities) or computed, a weight is the truncated distance of the
  // points the generator placed.
  for (int n : {300, 6000}) {
    EuclidianGraphe g(n, Metric::kTruncated);
    GenerateInstance(Kind::kClustered, &g, 1000000, 9);
    EXPECT_EQ(g.Stored(), n <= 5000);
    pvc::SeedRandom(11);
    for (int k = 0; k < 20000; ++k) {
      const int a = pvc::Random() % n, b = pvc::Random() % n;
      if (a == b) continue;
      ASSERT_EQ(g.Get(a, b), EuclideanWeight(*g.GetCoords(a), *g.GetCoords(b))) << n << " " << a << " " << b;
    }
  }
}

TEST(Kinds, ClusteredCitiesGatherInClouds) {
  // Cities per cell of a 20 x 20 grid: about as variable as their mean for uniform cities
  // (a Poisson count), several times more for clustered ones (200 clouds about a cell wide).
  auto dispersion = [](Kind kind) {
    EuclidianGraphe g(2000, Metric::kTruncated);
    GenerateInstance(kind, &g, 1000000, 4);
    std::vector<double> count(400, 0);
    for (const Point2D& p : Points(g)) count[std::min(p.x / 50000, 19u) * 20 + std::min(p.y / 50000, 19u)] += 1;
    double var = 0;
    for (double c : count) var += (c - 5) * (c - 5);
    return var / 400 / 5;
  };
  EXPECT_LT(dispersion(Kind::kUniform), 1.3);
  EXPECT_GT(dispersion(Kind::kClustered), 2.5);
}

TEST(Kinds, NamesSayTheKind) {
  Kind k = Kind::kUniform;
  EXPECT_TRUE(ParseKind("clustered", &k));
  EXPECT_EQ(k, Kind::kClustered);
  EXPECT_FALSE(ParseKind("Clustered", &k));
  EXPECT_FALSE(ParseKind("", &k));
  EXPECT_EQ(InstanceName(Kind::kUniform, 1000, 3), "random1000-s3");
  EXPECT_EQ(InstanceName(Kind::kClustered, 1000, 3), "clustered1000-s3");
}

}  // namespace
}  // namespace bench

#include "graph/graphe.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/capture.h"

namespace {

TEST(Graphe, GetAndSetRules) {
  Graphe g(5);
  ASSERT_TRUE(g.Valid());
  for (int i = 0; i < 5; ++i)
    for (int j = i + 1; j < 5; ++j) g.Set(j, i, static_cast<uint32_t>(10 * i + j));
  EXPECT_EQ(g.Get(1, 3), 13u);
  EXPECT_EQ(g.Get(3, 1), 13u);
  EXPECT_EQ(g.Get(2, 2), kNoWeight);
  EXPECT_EQ(g.Get(0, 5), kNoWeight);
  EXPECT_EQ(g.Get(4, -1 + 0x7fffffff), kNoWeight);
  g.Set(2, 2, 7);
  g.Set(1, 5, 7);
  EXPECT_EQ(g.Get(0, 4), 4u);
  EXPECT_EQ(g.Get(3, 4), 34u);
  EXPECT_EQ(g.GetSommets(), 5u);
}

// The direct readers of the hot scans see the same weights as Get, rows of every length
// included (the last row holds one weight).
TEST(Graphe, RowAndGetDistinctAgreeWithGet) {
  Graphe g(9);
  for (int i = 0; i < 9; ++i)
    for (int j = i + 1; j < 9; ++j) g.Set(i, j, static_cast<uint32_t>(100 * i + j));
  for (int i = 0; i < 9; ++i)
    for (int j = 0; j < 9; ++j) {
      if (i == j) continue;
      EXPECT_EQ(g.GetDistinct(i, j), g.Get(i, j)) << i << "," << j;
      if (i < j) {
        EXPECT_EQ(g.Row(i)[j - i - 1], g.Get(i, j)) << i << "," << j;
      }
    }
}

TEST(Randomise, CoordinateRounding) {
  // 1000 x (2^31 - 1) / 2^31 rounds to 1000.0 in single precision.
  EXPECT_EQ(RandomCoordinate(2147483647u, 1000, 1), 1000u);
  EXPECT_EQ(RandomCoordinate(0, 1000, 1), 0u);
  EXPECT_EQ(RandomCoordinate(1073741824u, 1000, 3), 1500u);
  EXPECT_EQ(RandomCoordinate(2147483647u, 0, 7), 0u);
  EXPECT_EQ(RandomCoordinate(1234567u, 1000, 0), 0u);
  // Huge ranges with factor 0 stay defined.
  EXPECT_EQ(RandomCoordinate(2147483647u, 4294967295u, 0), 0u);
  // Just below an integer: 999.99994 rounds to float 999.99994, truncated to 999.
  EXPECT_EQ(RandomCoordinate(2147483519u, 1000, 1), 999u);
}

TEST(Randomise, WeightsAreTruncatedSinglePrecisionDistances) {
  EXPECT_EQ(EuclideanWeight({0, 0}, {1, 1}), 1u);
  EXPECT_EQ(EuclideanWeight({0, 0}, {3, 4}), 5u);
  EXPECT_EQ(EuclideanWeight({3, 4}, {0, 0}), 5u);
  // 1892^2 + 3652^2 = 4113^2 - 1: the root rounds up to 4113.0f, so the weight is 4113.
  EXPECT_EQ(EuclideanWeight({0, 0}, {1892, 3652}), 4113u);
  EXPECT_EQ(EuclideanWeight({0, 2147483647u}, {0, 0}), 2147483648u);
}

TEST(Randomise, SameSecondSameInstanceAndMultiplesOfFactor) {
  EuclidianGraphe a(20), b(20);
  std::string out_a = CaptureStdout([&] { a.Randomise(100, 10); });
  std::string out_b = CaptureStdout([&] { b.Randomise(100, 10); });
  // Both seeded from the same second unless the clock ticked in between.
  if (out_a == out_b) {
    for (int i = 0; i < 20; ++i) EXPECT_EQ(a.GetCoords(i)->x, b.GetCoords(i)->x);
  }
  EXPECT_EQ(out_a.rfind("Coordonnees des sommets:\n", 0), 0u);
  EXPECT_EQ(a.GetMaxCoord(), 1000u);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(a.GetCoords(i)->x % 10, 0u);
    EXPECT_LE(a.GetCoords(i)->y, 1000u);
    for (int j = 0; j < 20; ++j)
      if (i != j) {
        EXPECT_EQ(a.Get(i, j), EuclideanWeight(*a.GetCoords(i), *a.GetCoords(j)));
      }
  }
}

TEST(Randomise, RangeZeroPutsEveryVertexAtTheOrigin) {
  EuclidianGraphe g(6);
  CaptureStdout([&] { g.Randomise(0, 5); });
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(g.GetCoords(i)->x, 0u);
    for (int j = i + 1; j < 6; ++j) EXPECT_EQ(g.Get(i, j), 0u);
  }
}

TEST(Drawing, DrawPrintsItsOneLine) {
  EuclidianGraphe g(2);
  EXPECT_EQ(CaptureStdout([&] { g.Draw(nullptr, nullptr); }), "Drawing disabled in this special edition\n");
  DrawChangeSize(3, 4);
  EXPECT_EQ(EuclidianGraphe::WindowX, 3u);
  EXPECT_EQ(EuclidianGraphe::WindowY, 4u);
}

}  // namespace

// The weighted graph, its random instances, and the edge set with its orders and tours.
#include "graph/arretes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "graph/graphe.h"
#include "support/capture.h"

namespace {

using Edges = std::vector<std::pair<int, int>>;

std::vector<int> Neighbours(const tArretes& t, int v) {
  std::vector<int> out;
  tArrete* c = nullptr;
  for (int w = t.Get(&c, v); w != -1; w = t.Get(&c, v)) out.push_back(w);
  return out;
}

Edges AllEdges(const tArretes& t) {
  Edges out;
  tArrete* c = nullptr;
  while (t.Get(&c)) out.emplace_back(c->s1, c->s2);
  return out;
}

TEST(Graphe, GetSetAndEvalWithoutWrapping) {
  Graphe g(5);
  for (int i = 0; i < 5; ++i)
    for (int j = i + 1; j < 5; ++j) g.Set(j, i, static_cast<uint32_t>(10 * i + j));
  EXPECT_EQ(g.Get(1, 3), 13u);
  EXPECT_EQ(g.Get(3, 1), 13u);
  EXPECT_EQ(g.Get(2, 2), kNoWeight);
  EXPECT_EQ(g.Get(0, 5), kNoWeight);
  EXPECT_EQ(g.Get(4, 0x7ffffffe), kNoWeight);
  g.Set(2, 2, 7);  // ignored, like out-of-range pairs
  g.Set(1, 5, 7);
  EXPECT_EQ(g.Get(0, 4), 4u);
  EXPECT_EQ(g.Get(3, 4), 34u);
  Graphe h(3);
  h.Set(0, 1, 4000000000u), h.Set(1, 2, 4000000000u), h.Set(0, 2, 5);
  tArretes t(3);
  EXPECT_EQ(h.Eval(&t), 0u);
  t.Add(0, 1), t.Add(1, 2), t.Add(0, 2);
  EXPECT_EQ(h.Eval(&t), 8000000005ull);
}

TEST(Randomise, RoundingMultiplesAndRangeZero) {
  EXPECT_EQ(RandomCoordinate(2147483647u, 1000, 1), 1000u);  // rounds to 1000.0f
  EXPECT_EQ(RandomCoordinate(2147483519u, 1000, 1), 999u);   // 999.99994f, truncated
  EXPECT_EQ(RandomCoordinate(0, 1000, 1), 0u);
  EXPECT_EQ(RandomCoordinate(1073741824u, 1000, 3), 1500u);
  EXPECT_EQ(RandomCoordinate(2147483647u, 0, 7), 0u);
  EXPECT_EQ(RandomCoordinate(2147483647u, 4294967295u, 0), 0u);
  EXPECT_EQ(EuclideanWeight({0, 0}, {1, 1}), 1u);
  EXPECT_EQ(EuclideanWeight({3, 4}, {0, 0}), 5u);
  // 1892^2 + 3652^2 = 4113^2 - 1: the root rounds up to 4113.0f, so the weight is 4113.
  EXPECT_EQ(EuclideanWeight({0, 0}, {1892, 3652}), 4113u);
  EXPECT_EQ(EuclideanWeight({0, 2147483647u}, {0, 0}), 2147483648u);
  EuclidianGraphe a(20);
  EXPECT_EQ(CaptureStdout([&] { a.Randomise(100, 10); }).rfind("Coordonnees des sommets:\n0: ", 0), 0u);
  EXPECT_EQ(a.GetMaxCoord(), 1000u);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(a.GetCoords(i)->x % 10, 0u);
    EXPECT_LE(a.GetCoords(i)->y, 1000u);
    for (int j = i + 1; j < 20; ++j) EXPECT_EQ(a.Get(i, j), EuclideanWeight(*a.GetCoords(i), *a.GetCoords(j)));
  }
  CaptureStdout([&] { a.Randomise(0, 5); });
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(a.GetCoords(i)->x, 0u);
    for (int j = i + 1; j < 20; ++j) EXPECT_EQ(a.Get(i, j), 0u);
  }
}

TEST(tArretes, RulesAndCursorOrders) {
  tArretes t(10);
  EXPECT_TRUE(t.Add(5, 9));
  EXPECT_FALSE(t.Add(9, 5));  // already there
  EXPECT_FALSE(t.Add(2, 2));  // a vertex with itself counts as present, never added
  EXPECT_TRUE(t.Present(2, 2));
  EXPECT_FALSE(t.Add(0, 10));
  EXPECT_FALSE(t.Remove(0, 10));
  EXPECT_FALSE(t.Present(0, 10));
  for (auto e : Edges{{5, 7}, {2, 5}, {1, 5}, {0, 7}}) EXPECT_TRUE(t.Add(e.first, e.second));
  // Larger neighbours ascending, then smaller ones ascending; edges by first vertex.
  EXPECT_EQ(Neighbours(t, 5), (std::vector<int>{7, 9, 1, 2}));
  EXPECT_EQ(Neighbours(t, 7), (std::vector<int>{0, 5}));
  EXPECT_EQ(Neighbours(t, 8), (std::vector<int>{}));
  EXPECT_EQ(AllEdges(t), (Edges{{0, 7}, {1, 5}, {2, 5}, {5, 7}, {5, 9}}));
  t.Clear();
  EXPECT_EQ(AllEdges(t), Edges{});
  EXPECT_TRUE(t.Add(0, 7));
}

// The structure against a plain set on random operations; then its copy.
TEST(tArretes, MatchesSetReferenceOnRandomOperations) {
  std::mt19937 rng(7);
  for (int round = 0; round < 20; ++round) {
    const int n = 2 + static_cast<int>(rng() % 12);
    tArretes t(static_cast<unsigned>(n));
    std::set<std::pair<int, int>> ref;
    for (int op = 0; op < 200; ++op) {
      const int a = static_cast<int>(rng() % n), b = static_cast<int>(rng() % n);
      const auto key = std::minmax(a, b);
      const bool valid = a != b, there = ref.count(key) > 0;
      if (rng() % 3) {
        EXPECT_EQ(t.Add(a, b), valid && !there);
        if (valid) ref.insert(key);
      } else {
        EXPECT_EQ(t.Remove(a, b), valid && there);
        ref.erase(key);
      }
      EXPECT_EQ(t.Present(a, b), !valid || ref.count(key) > 0);
    }
    EXPECT_EQ(AllEdges(t), Edges(ref.begin(), ref.end()));
    for (int v = 0; v < n; ++v) {
      std::vector<int> larger, smaller;
      for (auto& e : ref) {
        if (e.first == v) larger.push_back(e.second);
        if (e.second == v) smaller.push_back(e.first);
      }
      larger.insert(larger.end(), smaller.begin(), smaller.end());
      EXPECT_EQ(Neighbours(t, v), larger);
    }
    tArretes copy(&t);
    EXPECT_EQ(AllEdges(copy), AllEdges(t));
  }
}

TEST(tArretes, TourConversionsAndDeadEnds) {
  tArretes t(4);
  t.Add(0, 2), t.Add(1, 2), t.Add(1, 3), t.Add(0, 3);
  int* c = t.CircuitAsArray();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(std::vector<int>(c, c + 5), (std::vector<int>{0, 2, 1, 3, 0}));
  free(c);
  tArrete* ring = t.CircuitAsLinkedList();
  ASSERT_NE(ring, nullptr);
  Edges got;
  tArrete* r = ring;
  for (int k = 0; k < 4; ++k, r = r->GetNext2()) {
    got.emplace_back(r->s1, r->s2);
    EXPECT_EQ(r->GetNext2()->GetPrev2(), r);
    EXPECT_EQ(r->Next, nullptr);  // records of their own, outside the set
  }
  EXPECT_EQ(r, ring);
  EXPECT_EQ(got, (Edges{{0, 2}, {2, 1}, {1, 3}, {3, 0}}));
  for (int k = 0; k < 4; ++k) {
    tArrete* next = r->GetNext2();
    delete r;
    r = next;
  }
  EXPECT_EQ(AllEdges(t).size(), 4u);
  // Two vertices: the tour 0-1-0, a ring of two records.
  tArretes two(2);
  two.Add(0, 1);
  c = two.CircuitAsArray();
  EXPECT_EQ(std::vector<int>(c, c + 3), (std::vector<int>{0, 1, 0}));
  free(c);
  ring = two.CircuitAsLinkedList();
  ASSERT_NE(ring, nullptr);
  EXPECT_EQ(ring->s2, 1);
  EXPECT_EQ(ring->GetNext2()->s1, 1);
  EXPECT_EQ(ring->GetNext2()->s2, 0);
  EXPECT_EQ(ring->GetNext2()->GetNext2(), ring);
  delete ring->GetNext2();
  delete ring;
  // Dead ends: 1-0-2-3 walked from 0 to 1 stops there; an empty set has no tour.
  tArretes path(4), empty(4), open(4);
  path.Add(1, 0), path.Add(0, 2), path.Add(2, 3);
  EXPECT_EQ(path.CircuitAsArray(), nullptr);
  EXPECT_EQ(path.CircuitAsLinkedList(), nullptr);
  EXPECT_EQ(empty.CircuitAsArray(), nullptr);
  EXPECT_EQ(empty.CircuitAsLinkedList(), nullptr);
  // 0-1-2-3 is accepted: the closing step is not checked.
  open.Add(0, 1), open.Add(1, 2), open.Add(2, 3);
  c = open.CircuitAsArray();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(std::vector<int>(c, c + 5), (std::vector<int>{0, 1, 2, 3, 0}));
  free(c);
}

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

}  // namespace

// The weighted graph, its random instances, and the edge set with its orders and tours.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "containers/resources.h"
#include "graph/arretes.h"
#include "graph/graphe.h"

namespace {

using Edges = std::vector<std::pair<int, int>>;

std::vector<int> Neighbours(const tArretes& t, int v) {
  std::vector<int> out;
  tArrete* c = nullptr;
  for (int w = t.Get(&c, v); w != -1; w = t.Get(&c, v)) out.push_back(w);
  return out;
}

// The neighbours of v in a plain set, in the edge set's order: larger ones ascending, then
// smaller ones ascending.
std::vector<int> NeighboursIn(const std::set<std::pair<int, int>>& edges, int v) {
  std::vector<int> larger, smaller;
  for (auto& e : edges) {
    if (e.first == v) larger.push_back(e.second);
    if (e.second == v) smaller.push_back(e.first);
  }
  larger.insert(larger.end(), smaller.begin(), smaller.end());
  return larger;
}

Edges AllEdges(const tArretes& t) {
  Edges out;
  tArrete* c = nullptr;
  while (t.Get(&c)) out.emplace_back(c->s1, c->s2);
  return out;
}

TEST(Graphe, UnorderedPairsAndExactLengths) {
  Graphe g(3);
  g.Set(1, 0, 4000000000u), g.Set(1, 2, 4000000000u), g.Set(0, 2, 5);
  g.Set(2, 2, 7), g.Set(1, 3, 7);  // ignored
  EXPECT_TRUE(g.Get(0, 1) == 4000000000u && g.Get(2, 2) == kNoWeight && g.Get(0, 3) == kNoWeight);
  tArretes t(3);
  EXPECT_EQ(g.Eval(&t), 0u);
  t.Add(0, 1), t.Add(1, 2), t.Add(0, 2);
  EXPECT_EQ(g.Eval(&t), 8000000005ull);  // no wrapping
}

TEST(EuclidianGraphe, CoordinatesAndWeightsRoundAsDocumented) {
  EXPECT_EQ(RandomCoordinate(2147483647u, 1000, 1), 1000u);  // rounds to 1000.0f
  EXPECT_EQ(RandomCoordinate(2147483519u, 1000, 1), 999u);   // 999.99994f, truncated
  EXPECT_EQ(RandomCoordinate(1073741824u, 1000, 3), 1500u);
  EXPECT_EQ(EuclideanWeight({3, 4}, {0, 0}), 5u);
  // 1892^2 + 3652^2 = 4113^2 - 1: the root rounds up to 4113.0f, so the weight is 4113.
  EXPECT_EQ(EuclideanWeight({0, 0}, {1892, 3652}), 4113u);
  EXPECT_EQ(EuclideanWeight({0, 2147483647u}, {0, 0}), 2147483648u);
}

// Weights computed on request against the stored ones, through Get and the bulk sweeps,
// on ranges with ties (0-4), ordinary ones, and coordinates near 2^31 whose float
// differences and float roots lift distances; every order key stays below the bound of
// its own weight and the keys order the weights, which the spatial index relies on.
TEST(EuclidianGraphe, ComputedWeightsEqualStoredOnes) {
  const std::pair<uint32_t, uint32_t> cases[] = {{0, 1}, {4, 1}, {1000, 7}, {1000000, 1}, {2147483647u, 1}, {1073741823u, 2}};
  const int n = 50;
  for (const auto& [range, factor] : cases) {
    EuclidianGraphe stored(n), computed(n, Metric::kTruncated);
    stored.Generate(range, factor, 9, nullptr);
    computed.Generate(range, factor, 9, nullptr);
    computed.ComputeWeights();
    ASSERT_TRUE(stored.Stored() && !computed.Stored());
    for (int u = 0; u < n; ++u) {
      std::vector<uint32_t> v, w(n), ws(n);
      for (uint32_t j = 0; j < static_cast<uint32_t>(n); ++j)
        if (j != static_cast<uint32_t>(u)) v.push_back(j);
      std::vector<double> key(n);
      computed.Weights(u, v.data(), n - 1, w.data());
      stored.Weights(u, v.data(), n - 1, ws.data());
      computed.Keys(u, v.data(), n - 1, key.data());
      for (int k = 0; k < n - 1; ++k) {
        const uint32_t expected = stored.Get(u, static_cast<int>(v[k]));
        ASSERT_TRUE(computed.Get(static_cast<int>(v[k]), u) == expected && w[k] == expected && ws[k] == expected)
            << range << " " << u << "-" << v[k];
        ASSERT_LT(key[k], computed.KeyAbove(w[k]));
        for (int m = 0; m < n - 1; ++m) ASSERT_TRUE(key[m] > key[k] || w[m] <= w[k]) << range << " " << u;
      }
    }
  }
}

// The edge set against a plain set on random operations: answers, edge order (by first
// vertex, then second), neighbour order (larger ones ascending, then smaller ones
// ascending). A closed walk linked at once by AddCircuit starts one set, the same edges
// added one by one another: tours through every vertex into a new set (linked in two
// passes), then walks with repeats, foreign vertices, too few vertices or an earlier edge
// (added edge by edge). Both must agree with the plain set throughout, give the same tour,
// and so must a copy.
TEST(tArretes, CircuitAndEdgesMatchSetReferenceOnRandomOperations) {
  std::mt19937 rng(11);
  for (int round = 0; round < 40; ++round) {
    const int n = 2 + static_cast<int>(rng() % (round < 20 ? 12 : 300));
    std::vector<uint32_t> c(n);
    for (int i = 0; i < n; ++i) c[i] = i;
    std::shuffle(c.begin() + 1, c.end(), rng);
    if (round % 4 == 3) c[rng() % n] = c[rng() % n];  // a repeat
    if (round % 8 == 5) c.push_back(n);                // beyond the vertices
    if (round % 8 == 7) c.resize(n - 1);               // not every vertex
    tArretes fast(n), slow(n);
    std::set<std::pair<int, int>> ref;
    if (round % 10 == 9) fast.Add(0, 1), slow.Add(0, 1), ref.insert({0, 1});  // not empty
    EXPECT_FALSE(slow.Add(0, n) || slow.Remove(0, n) || slow.Present(0, n));
    EXPECT_TRUE(fast.AddCircuit(c.data(), static_cast<unsigned>(c.size())));
    for (size_t i = 0; i < c.size(); ++i) {
      const int a = static_cast<int>(c[i]), b = static_cast<int>(c[(i + 1) % c.size()]);
      if (slow.Add(a, b)) ref.insert(std::minmax(a, b));
    }
    for (int op = 0; op <= 150; ++op) {
      for (tArretes* t : {&slow, &fast}) {
        ASSERT_EQ(AllEdges(*t), Edges(ref.begin(), ref.end())) << round;
        for (int v = 0; v < n; ++v) ASSERT_EQ(Neighbours(*t, v), NeighboursIn(ref, v)) << round;
      }
      const int a = static_cast<int>(rng() % n), b = static_cast<int>(rng() % n);
      const auto key = std::minmax(a, b);
      const bool valid = a != b, there = ref.count(key) > 0, add = rng() % 3 != 0;
      for (tArretes* t : {&slow, &fast}) {
        ASSERT_EQ(add ? t->Add(a, b) : t->Remove(a, b), valid && add != there);
        ASSERT_EQ(t->Present(a, b), !valid || add);
      }
      if (valid && add) ref.insert(key);
      if (!add) ref.erase(key);
    }
    int* t = fast.CircuitAsArray();
    int* u = slow.CircuitAsArray();
    EXPECT_TRUE(t == nullptr ? u == nullptr : u != nullptr && std::equal(t, t + n + 1, u));
    free(t), free(u);
    tArretes copy(&fast);
    EXPECT_EQ(AllEdges(copy), AllEdges(fast));
  }
  // Each acquisition refused in turn: the set says so and keeps no half-linked tour.
  const std::vector<uint32_t> c = {0, 3, 1, 4, 2};
  for (unsigned long k = 1; k <= 2; ++k) {
    tArretes t(5);
    pvc::FailAcquisitionAt(k);
    EXPECT_FALSE(t.AddCircuit(c.data(), 5));
    pvc::FailAcquisitionAt(0);
    EXPECT_TRUE(t.OutOfMemory() && AllEdges(t).empty());
  }
}

// The tour forms are checked through the algorithms that read them; here only their
// refusals: 1-0-2-3 walked from 0 to 1 stops there; an empty set has no tour; 0-1-2-3 is
// accepted, the closing step being unchecked.
TEST(tArretes, TourFormsRefuseDeadEnds) {
  tArretes path(4), empty(4), open(4);
  path.Add(1, 0), path.Add(0, 2), path.Add(2, 3);
  open.Add(0, 1), open.Add(1, 2), open.Add(2, 3);
  EXPECT_TRUE(path.CircuitAsArray() == nullptr && path.CircuitAsLinkedList() == nullptr);
  EXPECT_TRUE(empty.CircuitAsArray() == nullptr && empty.CircuitAsLinkedList() == nullptr);
  int* c = open.CircuitAsArray();
  EXPECT_EQ(std::vector<int>(c, c + 5), (std::vector<int>{0, 1, 2, 3, 0}));
  free(c);
}

}  // namespace

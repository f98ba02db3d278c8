#include "graph/arretes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "graph/graphe.h"

namespace {

std::vector<int> Neighbours(const tArretes& t, int v) {
  std::vector<int> out;
  tArrete* c = nullptr;
  for (int w = t.Get(&c, v); w != -1; w = t.Get(&c, v)) out.push_back(w);
  return out;
}

std::vector<std::pair<int, int>> Edges(const tArretes& t) {
  std::vector<std::pair<int, int>> out;
  tArrete* c = nullptr;
  while (t.Get(&c)) out.emplace_back(c->s1, c->s2);
  return out;
}

TEST(tArretes, AddRemovePresentRules) {
  tArretes t(10);
  EXPECT_TRUE(t.Add(3, 1));
  EXPECT_TRUE(t.Present(1, 3));
  EXPECT_FALSE(t.Add(1, 3));
  EXPECT_FALSE(t.Add(2, 2));
  EXPECT_TRUE(t.Present(2, 2));
  EXPECT_FALSE(t.Add(0, 10));
  EXPECT_FALSE(t.Remove(0, 10));
  EXPECT_FALSE(t.Remove(4, 5));
  EXPECT_FALSE(t.Present(0, 10));
  EXPECT_TRUE(t.Remove(3, 1));
  EXPECT_FALSE(t.Present(1, 3));
  // Degree is not limited.
  EXPECT_TRUE(t.Add(0, 1));
  EXPECT_TRUE(t.Add(0, 2));
  EXPECT_TRUE(t.Add(0, 3));
  EXPECT_EQ(Neighbours(t, 0), (std::vector<int>{1, 2, 3}));
}

TEST(tArretes, CursorOrders) {
  tArretes t(10);
  for (auto e : {std::make_pair(5, 9), {5, 7}, {2, 5}, {1, 5}}) t.Add(e.first, e.second);
  EXPECT_EQ(Neighbours(t, 5), (std::vector<int>{7, 9, 1, 2}));
  EXPECT_EQ(Neighbours(t, 9), (std::vector<int>{5}));
  EXPECT_EQ(Neighbours(t, 0), (std::vector<int>{}));
  EXPECT_EQ(Neighbours(t, 8), (std::vector<int>{}));

  tArretes u(8);
  for (auto e : {std::make_pair(3, 4), {0, 7}, {1, 2}, {0, 4}}) u.Add(e.first, e.second);
  EXPECT_EQ(Edges(u), (std::vector<std::pair<int, int>>{{0, 4}, {0, 7}, {1, 2}, {3, 4}}));
  EXPECT_EQ(Neighbours(u, 7), (std::vector<int>{0}));
  u.Clear();
  tArrete* c = nullptr;
  EXPECT_FALSE(u.Get(&c));
  EXPECT_TRUE(u.Add(0, 7));
}

TEST(tArretes, RemovingHeadsKeepsRowsAndColumns) {
  tArretes t(6);
  t.Add(0, 5);
  t.Add(1, 5);
  t.Add(2, 5);
  t.Add(0, 3);
  t.Add(0, 4);
  EXPECT_TRUE(t.Remove(0, 3));  // head of row 0
  EXPECT_TRUE(t.Remove(0, 5));  // head of column 5
  EXPECT_EQ(Neighbours(t, 0), (std::vector<int>{4}));
  EXPECT_EQ(Neighbours(t, 5), (std::vector<int>{1, 2}));
  EXPECT_EQ(Edges(t), (std::vector<std::pair<int, int>>{{0, 4}, {1, 5}, {2, 5}}));
}

// The structure against a plain reference on random operations.
TEST(tArretes, MatchesSetReferenceOnRandomOperations) {
  std::mt19937 rng(7);
  for (int round = 0; round < 20; ++round) {
    int n = 2 + static_cast<int>(rng() % 12);
    tArretes t(static_cast<unsigned>(n));
    std::set<std::pair<int, int>> ref;
    for (int op = 0; op < 200; ++op) {
      int a = static_cast<int>(rng() % n), b = static_cast<int>(rng() % n);
      auto key = std::make_pair(std::min(a, b), std::max(a, b));
      bool valid = a != b;
      if (rng() % 3) {
        bool fresh = valid && !ref.count(key);
        EXPECT_EQ(t.Add(a, b), fresh);
        if (fresh) ref.insert(key);
      } else {
        bool there = valid && ref.count(key);
        EXPECT_EQ(t.Remove(a, b), there);
        ref.erase(key);
      }
      EXPECT_EQ(t.Present(a, b), !valid || ref.count(key) > 0);
    }
    std::vector<std::pair<int, int>> expected(ref.begin(), ref.end());
    EXPECT_EQ(Edges(t), expected);
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
    EXPECT_EQ(Edges(copy), Edges(t));
  }
}

TEST(tArretes, Boucle) {
  tArretes t(6);
  EXPECT_FALSE(t.Boucle(1, 1));
  t.Add(0, 1);
  t.Add(1, 2);
  t.Add(4, 5);
  EXPECT_TRUE(t.Boucle(1, 1));
  EXPECT_TRUE(t.Boucle(0, 2));
  EXPECT_TRUE(t.Boucle(0, 1));
  EXPECT_FALSE(t.Boucle(0, 4));
  EXPECT_FALSE(t.Boucle(3, 3));
}

TEST(tArretes, TourConversions) {
  tArretes t(4);
  t.Add(0, 2);
  t.Add(1, 2);
  t.Add(1, 3);
  t.Add(0, 3);
  int* c = t.CircuitAsArray();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(std::vector<int>(c, c + 5), (std::vector<int>{0, 2, 1, 3, 0}));
  free(c);
  tArrete* ring = t.CircuitAsLinkedList();
  ASSERT_NE(ring, nullptr);
  std::vector<std::pair<int, int>> got;
  tArrete* r = ring;
  for (int k = 0; k < 4; ++k, r = r->GetNext2()) {
    got.emplace_back(r->s1, r->s2);
    EXPECT_EQ(r->GetNext2()->GetPrev2(), r);
    EXPECT_EQ(r->Next, nullptr);
  }
  EXPECT_EQ(r, ring);
  EXPECT_EQ(got, (std::vector<std::pair<int, int>>{{0, 2}, {2, 1}, {1, 3}, {3, 0}}));
  for (int k = 0; k < 4; ++k) {
    tArrete* n = r->GetNext2();
    delete r;
    r = n;
  }
  EXPECT_EQ(Edges(t).size(), 4u);  // the set itself is unchanged
}

TEST(tArretes, TwoVertexTourAndDeadEnds) {
  tArretes two(2);
  two.Add(0, 1);
  int* c = two.CircuitAsArray();
  EXPECT_EQ(std::vector<int>(c, c + 3), (std::vector<int>{0, 1, 0}));
  free(c);
  tArrete* ring = two.CircuitAsLinkedList();
  ASSERT_NE(ring, nullptr);
  EXPECT_EQ(ring->s2, 1);
  EXPECT_EQ(ring->GetNext2()->s1, 1);
  EXPECT_EQ(ring->GetNext2()->s2, 0);
  EXPECT_EQ(ring->GetNext2()->GetNext2(), ring);
  delete ring->GetNext2();
  delete ring;

  tArretes path(4);  // 1-0-2-3: from 0 to 1, then nothing further
  path.Add(1, 0);
  path.Add(0, 2);
  path.Add(2, 3);
  EXPECT_EQ(path.CircuitAsArray(), nullptr);
  EXPECT_EQ(path.CircuitAsLinkedList(), nullptr);
  tArretes empty(4);
  EXPECT_EQ(empty.CircuitAsArray(), nullptr);
  EXPECT_EQ(empty.CircuitAsLinkedList(), nullptr);
  tArretes open(4);  // 0-1-2-3 is accepted: the closing step is not checked
  open.Add(0, 1);
  open.Add(1, 2);
  open.Add(2, 3);
  c = open.CircuitAsArray();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(std::vector<int>(c, c + 5), (std::vector<int>{0, 1, 2, 3, 0}));
  free(c);
}

TEST(tArrete, FlaggedAndWalkingAccessors) {
  tArrete a, b;
  a.s1 = 1;
  a.s2 = 2;
  a.SetNext2(&b);
  EXPECT_EQ(a.GetS1(true), 2);
  EXPECT_EQ(a.GetS2(true), 1);
  EXPECT_EQ(a.GetNext2(true), nullptr);
  EXPECT_EQ(a.GetPrev2(true), &b);
  a.SetS1(7, true);
  EXPECT_EQ(a.s2, 7);
  a.SetPrev2(&b, true);
  EXPECT_EQ(a.GetNext2(), &b);
  char revs[8] = {0};
  bool rev = false;
  EXPECT_EQ(a.GetNext2(rev, revs), &b);
  EXPECT_FALSE(rev);
  revs[7] = 1;  // a ends at 7 read plainly: passing it flips the reading
  EXPECT_EQ(a.GetNext2(rev, revs), &b);
  EXPECT_TRUE(rev);
  rev = false;
  revs[1] = 1;  // a starts at 1 read plainly
  EXPECT_EQ(a.GetPrev2(rev, revs), nullptr);
  EXPECT_TRUE(rev);
}

TEST(Graphe, EvalSumsEveryEdgeOnceWithoutWrapping) {
  Graphe g(3);
  g.Set(0, 1, 4000000000u);
  g.Set(1, 2, 4000000000u);
  g.Set(0, 2, 5);
  tArretes t(3);
  EXPECT_EQ(g.Eval(&t), 0u);
  t.Add(0, 1);
  EXPECT_EQ(g.Eval(&t), 4000000000ull);
  t.Add(1, 2);
  t.Add(0, 2);
  EXPECT_EQ(g.Eval(&t), 8000000005ull);
}

}  // namespace

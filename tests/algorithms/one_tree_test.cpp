// The exact minimum 1-tree and its candidate lists against literal scans with penalties,
// on both of its methods (the k-d tree's Boruvka, and Prim over every pair).
#include "algorithms/one_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include "support/files.h"
#include "support/tour.h"

namespace {

using pvc::kPenaltyScale;

int64_t Key(const Graphe& g, const std::vector<int64_t>& pi, int i, int j) {
  return kPenaltyScale * static_cast<int64_t>(g.Get(i, j)) + pi[i] + pi[j];
}

// The minimum spanning tree weight of the vertices other than skip (-1: none) by the
// textbook O(n^2) Prim: each vertex's least key to the tree, every weight read by Get.
__int128 LiteralTree(const Graphe& g, const std::vector<int64_t>& pi, int skip) {
  const int n = static_cast<int>(g.GetSommets());
  std::vector<char> in(n, 0);
  std::vector<int64_t> key(n, INT64_MAX);
  if (skip >= 0) in[skip] = 1;
  int u = skip == 0 ? 1 : 0;
  __int128 sum = 0;
  for (int step = n - (skip >= 0 ? 1 : 0); step > 0; --step) {
    in[u] = 1;
    int next = -1;
    for (int j = 0; j < n; ++j) {
      if (in[j]) continue;
      key[j] = std::min(key[j], Key(g, pi, u, j));
      if (next < 0 || key[j] < key[next]) next = j;
    }
    if (next < 0) break;
    sum += key[next];
    u = next;
  }
  return sum;
}

// L(pi) of the 1-tree whose special vertex is s, scaled: the tree of the others, the two
// lightest pairs at s, less twice the penalties.
__int128 LiteralOneTree(const Graphe& g, const std::vector<int64_t>& pi, int s) {
  const int n = static_cast<int>(g.GetSommets());
  std::vector<int64_t> at;
  for (int j = 0; j < n; ++j)
    if (j != s) at.push_back(Key(g, pi, s, j));
  std::sort(at.begin(), at.end());
  __int128 sum = LiteralTree(g, pi, s) + at[0] + at[1];
  for (int64_t p : pi) sum -= 2 * p;
  return sum;
}

// Checks the 1-tree both methods give under pi against the literal scans: the first n - 1
// pairs span the vertices with the weight of a minimum tree, the last closes it at a
// leaf, and the cost is that leaf's literal 1-tree; and the candidate lists.
void Check(const EuclidianGraphe& g, const std::vector<int64_t>& pi, const std::string& what) {
  const int n = static_cast<int>(g.GetSommets());
  const __int128 tree = LiteralTree(g, pi, -1);
  __int128 costs[2];
  for (int dense = 0; dense < 2; ++dense) {
    pvc::ExactOneTree exact;
    ASSERT_TRUE(exact.Init(g, dense != 0));
    ASSERT_TRUE(dense || g.GetMetric() == Metric::kMatrix || exact.Spatial()) << what;
    pvc::OneTree t;
    ASSERT_TRUE(exact.Solve(pi.data(), &t)) << what;
    std::vector<int> root(n), degree(n, 0);
    std::iota(root.begin(), root.end(), 0);
    auto find = [&](int v) {
      while (root[v] != v) v = root[v];
      return v;
    };
    __int128 sum = 0;
    for (int k = 0; k + 1 < n; ++k) {
      const int a = static_cast<int>(t.a[k]), b = static_cast<int>(t.b[k]);
      ASSERT_NE(find(a), find(b)) << what << " dense " << dense;
      root[find(a)] = find(b);
      sum += Key(g, pi, a, b);
      ++degree[a], ++degree[b];
    }
    EXPECT_TRUE(sum == tree) << what << " dense " << dense;
    EXPECT_EQ(static_cast<int>(t.a[n - 1]), static_cast<int>(t.special));
    EXPECT_EQ(degree[t.special], 1) << what;
    EXPECT_TRUE(t.cost == LiteralOneTree(g, pi, static_cast<int>(t.special))) << what << " dense " << dense;
    costs[dense] = t.cost;
    // The candidate lists: the k least (key, number) at each vertex, as sorting every pair.
    const int k = std::min(5, n - 1);
    std::vector<uint32_t> nb(static_cast<size_t>(n) * k);
    ASSERT_TRUE(exact.Nearest(pi.data(), k, nb.data()));
    for (int i = 0; i < n; ++i) {
      std::vector<std::pair<int64_t, int>> all;
      for (int j = 0; j < n; ++j)
        if (j != i) all.push_back({Key(g, pi, i, j) - pi[i], j});
      std::sort(all.begin(), all.end());
      std::vector<int> got(nb.begin() + i * k, nb.begin() + (i + 1) * k), want;
      for (int m = 0; m < k; ++m) want.push_back(all[m].second);
      std::sort(got.begin(), got.end());
      std::sort(want.begin(), want.end());
      ASSERT_EQ(got, want) << what << " dense " << dense << " vertex " << i;
    }
  }
  EXPECT_TRUE(costs[0] == costs[1]) << what;
}

std::vector<int64_t> Penalties(int n, int64_t spread, std::mt19937& rng) {
  std::uniform_int_distribution<int64_t> d(-spread, spread);
  std::vector<int64_t> pi(n);
  for (auto& p : pi) p = d(rng);
  return pi;
}

// Points in tiny ranges (duplicates everywhere, many equal keys), ordinary and huge ones,
// and arbitrary matrices with ties or weights up to 2^32 - 1, under no penalties, small
// ones and ones as large as the weights, of both signs; then the rules of the files (ATT,
// EUC_2D and CEIL_2D with large coordinates).
TEST(OneTree, MatchesTheLiteralScans) {
  std::mt19937 rng(11);
  for (uint32_t range : {0u, 2u, 4u, 1000u, 2147483647u})
    for (int n : {3, 4, 9, 40, 90})
      for (int64_t spread : {int64_t{0}, int64_t{3}, kPenaltyScale * std::min<int64_t>(range, 1000000) + 1}) {
        const unsigned seed = rng();
        const std::string what = "range " + std::to_string(range) + " n " + std::to_string(n);
        Check(*tour::Computed(n, range, seed), Penalties(n, spread, rng), "points " + what);
        Check(*tour::Matrix(n, 0, range == 2147483647u ? 4294967295u : range, seed), Penalties(n, spread, rng),
              "matrix " + what);
      }
  for (const char* name : {"att48", "ch130", "dsj1000"}) {
    const TsplibInstance inst = Shipped(name);
    inst.graph->ComputeWeights();
    const int n = static_cast<int>(inst.graph->GetSommets());
    Check(*inst.graph, Penalties(n, n > 500 ? 5000000 : 30000, rng), name);
  }
}

}  // namespace

// The spatial index against literal scans of the weights.
#include "graph/spatial_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "support/files.h"
#include "support/tour.h"

namespace {

bool Before(const pvc::Neighbour& a, const pvc::Neighbour& b) { return a.w < b.w || (a.w == b.w && a.v < b.v); }

// Points in tiny ranges (duplicates, many equal weights), ordinary and huge ones, and the
// ATT file (keys ten times the squared weights): the nearest vertex with removals in
// random order, the k nearest, and the vertices within a bound that the caller lowers
// midway must be what sorting every weight by (weight, number) gives. The weight floor of
// a node's box, which the insertion prunes its searches with, must stay at or below the
// weight from any vertex to every live point under the node as boxes shrink with the
// removals (a box that lost a live point would break it).
TEST(SpatialIndex, AnswersAsTheLiteralScansAndFloorsHold) {
  std::mt19937 rng(3);
  const TsplibInstance att = Shipped("att48");
  for (uint32_t range : {0u, 2u, 4u, 1000u, 2147483647u, 1u << 31}) {
    std::unique_ptr<EuclidianGraphe> owned = range >> 31 ? nullptr : tour::Computed(150, range, rng());
    EuclidianGraphe& g = owned ? *owned : *att.graph;
    g.ComputeWeights();
    const int n = static_cast<int>(g.GetSommets());
    pvc::SpatialIndex index;
    ASSERT_TRUE(index.Build(g));
    std::vector<char> live(n, 1);
    for (int step = 0; step < n; ++step) {
      const int u = static_cast<int>(rng() % n);
      std::vector<pvc::Neighbour> all;
      for (int v = 0; v < n; ++v)
        if (v != u && live[v]) all.push_back({g.Get(u, v), v});
      std::sort(all.begin(), all.end(), Before);
      uint32_t w;
      const int got = index.Nearest(u, &w);
      ASSERT_EQ(got, all.empty() ? -1 : all[0].v) << range;
      if (step < 20 && got >= 0) {
        std::vector<pvc::Neighbour> k(all.size());
        const unsigned want = std::min<unsigned>(16, all.size());
        ASSERT_EQ(index.Closest(u, 16, k.data()), want);
        for (unsigned m = 0; m < want; ++m) ASSERT_TRUE(k[m].v == all[m].v && k[m].w == all[m].w) << range;
        long long bound = all[all.size() / 2].w;
        std::vector<int> within;
        index.Within(u, &bound, [&](int v, uint32_t wv) {
          within.push_back(v);
          if (within.size() == 3) bound = wv;  // later vertices meet the lower bound
          ASSERT_EQ(wv, g.Get(u, v));
        });
        for (const auto& a : all) {
          const bool in = std::count(within.begin(), within.end(), a.v) > 0;
          EXPECT_TRUE(in || a.w > bound) << range;
          EXPECT_FALSE(in && a.w > all[all.size() / 2].w) << range;
        }
      }
      const int gone = got >= 0 && step % 3 ? got : static_cast<int>(rng() % n);
      if (live[gone]) live[gone] = 0, index.Remove(gone);
      for (uint32_t k = 0; step % 10 == 9 && k < index.Nodes(); ++k) {
        bool any = false;
        for (uint32_t pos = index.Begin(k); pos < index.End(k); ++pos) {
          if (!index.LiveAt(pos)) continue;
          any = true;
          for (int v = 0; v < n; v += 3)
            ASSERT_TRUE(v == index.At(pos) || index.WeightFloor(k, v) <= g.Get(v, index.At(pos))) << range << " " << k;
        }
        ASSERT_EQ(index.Live(k), any) << range;
      }
    }
  }
}

}  // namespace

// The 2-opt heuristic against a plain array-based best-improvement 2-opt.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "support/tour.h"

namespace {

struct Reference {
  std::vector<int> tour;
  std::vector<std::string> trace;  // the "test de permutation" and "inversion" lines
  long long gains = 0;
  size_t moves = 0;
};

// Best improvement on an array: pairs (p, q), q >= p + 2, in scan order from position 0;
// the first pair of strictly largest positive gain reverses t[p+1..q]. The trace holds the
// "inversion" lines, and the "test de permutation" lines when pairs is set.
Reference ReferenceTwoOpt(const Graphe& g, std::vector<int> t, bool pairs = true) {
  Reference r;
  const int n = static_cast<int>(t.size());
  char line[160];
  for (;;) {
    long long best = 0;
    int bp = -1, bq = -1;
    for (int p = 0; p + 2 < n; ++p)
      for (int q = p + 2; q < n; ++q) {
        const int a = t[p], b = t[p + 1], c = t[q], d = t[(q + 1) % n];
        const long long gain = static_cast<long long>(g.Get(a, b)) + g.Get(c, d) - g.Get(a, c) - g.Get(b, d);
        if (pairs) {
          snprintf(line, sizeof line, "H2Opt: test de permutation %d-%d  %d-%d , gain de %lld", a, b, c, d, gain);
          r.trace.push_back(line);
        }
        if (gain > best) best = gain, bp = p, bq = q;
      }
    if (best == 0) break;
    snprintf(line, sizeof line, "H2Opt: inversion %d-%d et %d-%d", t[bp], t[bp + 1], t[bq], t[(bq + 1) % n]);
    r.trace.push_back(line);
    std::reverse(t.begin() + bp + 1, t.begin() + bq + 1);
    r.gains += best;
    ++r.moves;
  }
  r.tour = t;
  return r;
}

// Below the trace levels the best move is kept up to date from balls of near vertices: it
// must apply the reference's moves in the same order. The instances meet equal gains
// (ranges 0-4 and 0-6, few distinct points, duplicated points), long edges of the starting
// tour between clusters, gains past 2^32, weights of a matrix (drawn, arbitrary) and of
// points (the spatial index), long reversals and the reuse of the pool of balls (hundreds
// of vertices), or are tiny. Each case runs three seeds from its first (one above 400
// vertices). On the smaller ones the full scan of level 5 must print every pair and move
// in the reference's order, dump a valid ring before every pass and end at the
// nearest-neighbour length minus the gains.
TEST(H2Opt, EveryPassAppliesTheReferenceMoves) {
  // Points in 0 .. coordmax (uniform, or duplicated or clustered as tour::Scatter makes
  // them), or arbitrary weights in lo .. hi when hi is not 0.
  enum Kind { kUniform, kDuplicated, kClustered };
  struct Case { int n; uint32_t coordmax, lo, hi; unsigned seed; Kind kind = kUniform; };
  const Case cases[] = {{2, 9, 0, 9, 1},    {3, 9, 0, 9, 1},  {4, 9, 0, 4, 1},  {4, 9, 0, 1, 1},      {6, 9, 0, 2, 1},
                        {25, 2147483647u, 0, 0, 1},         {19, 6, 0, 0, 2}, {31, 1000, 0, 0, 4}, {32, 9, 0, 4, 224},
                        {30, 9, 0, 6, 13},  {34, 9, 0, 6, 116}, {36, 1000, 0, 0, 1, kClustered}, {33, 50, 0, 0, 1, kDuplicated},
                        {200, 9, 0, 4, 1},    {300, 9, 1, 3, 1},    {300, 4, 0, 0, 1},    {200, 2, 0, 0, 1},
                        {150, 1000, 0, 0, 23}, {190, 1000, 0, 0, 8}, {170, 100, 0, 0, 18}, {230, 30, 0, 0, 1},
                        {200, 2147483647u, 0, 0, 1}, {150, 9, 0, 4294967295u, 1},
                        {200, 9, 4294967290u, 4294967295u, 1}, {130, 9, 2147483600u, 2147483647u, 1},
                        {300, 100000, 0, 0, 1, kClustered}, {300, 2000, 0, 0, 5, kClustered},
                        {300, 1000, 0, 0, 1, kDuplicated}, {240, 20, 0, 0, 1, kDuplicated},
                        {1000, 1000000, 0, 0, 1}, {1000, 1000000, 0, 0, 2, kClustered}};
  for (const Case& c : cases)
    for (unsigned seed = c.seed; seed < c.seed + (c.n > 400 ? 1 : 3); ++seed) {
      const auto owned = c.hi != 0           ? tour::Matrix(c.n, c.lo, c.hi, seed)
                         : c.kind == kUniform ? tour::Computed(c.n, c.coordmax, seed)
                                              : tour::OfPoints(tour::Scatter(c.n, c.kind, c.coordmax, seed));
      EuclidianGraphe& g = *owned;
      const std::vector<int> start = tour::SequenceOf(*tour::Run(PVC_HPlusProcheVoisin, g, 0));
      const Reference ref = ReferenceTwoOpt(g, start, false);
      std::string out;
      auto r = tour::Run(PVC_H2Opt, g, pvc::OptionsWord(0, 2), &out);
      SCOPED_TRACE(testing::Message() << "n=" << c.n << " kind " << c.kind << " case seed " << c.seed << " seed=" << seed);
      ASSERT_NE(r, nullptr);
      EXPECT_EQ(tour::Lines(out, "H2Opt: inversion"), ref.trace);
      EXPECT_EQ(tour::EdgesOf(*r), tour::EdgesOf(ref.tour));
      if (c.n > 40) continue;
      const Reference full = ReferenceTwoOpt(g, start);
      r = tour::Run(PVC_H2Opt, g, pvc::OptionsWord(0, 5), &out);
      std::vector<std::string> got;
      for (const std::string& l : tour::Lines(out, "H2Opt: "))
        if (l.rfind("H2Opt: test", 0) == 0 || l.rfind("H2Opt: inversion", 0) == 0) got.push_back(l);
      EXPECT_EQ(got, full.trace);
      EXPECT_EQ(tour::Lines(out, "0: 0-").size(), full.moves + 1);
      EXPECT_EQ(out.find("invalide"), std::string::npos);
      EXPECT_TRUE(c.n == 2 || g.Eval(r.get()) == static_cast<unsigned long long>(tour::Length(g, start) - full.gains));
    }
}

}  // namespace

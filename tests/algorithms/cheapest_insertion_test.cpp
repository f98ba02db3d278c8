#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "algorithms/algorithms.h"
#include "containers/resources.h"
#include "support/capture.h"
#include "tour_check.h"

namespace {

using tourcheck::CountLines;
using tourcheck::Edges;
using tourcheck::Opts;
using EdgeList = std::vector<std::pair<int, int>>;

struct Outcome {
  std::unique_ptr<tArretes> tour;
  std::string out;
};

Outcome Solve(EuclidianGraphe& g, unsigned long options) {
  Outcome r;
  r.out = CaptureStdout([&] { r.tour.reset(PVC_HMoindreCout(&g, options)); });
  return r;
}

// Independent reference: the tour as a plain vertex sequence whose element i starts the
// i-th arc in ring order. The ring's first arc is one fixed object, so an insertion into
// it makes the new vertex the start of the sequence and sends the old start to the end.
// Returns the level-2 output and the final sequence.
std::string Reference(const Graphe& g, std::vector<int>* tour) {
  const int n = static_cast<int>(g.GetSommets());
  std::string out = "HMoindreCout: Heuristique du moindre cout sur un graphe de " + std::to_string(n) + " sommets\n";
  std::vector<bool> in(n, false);
  in[0] = true;
  int m = 1;
  for (int j = 2; j < n; ++j)
    if (g.Get(0, j) < g.Get(0, m)) m = j;
  in[m] = true;
  std::vector<int> seq{0, m};
  for (int k = 2; k < n; ++k) {
    bool found = false, bestNegative = false;
    long long best = 0;
    int bj = -1, bi = -1;
    for (int j = 0; j < n; ++j) {
      if (in[j]) continue;
      for (size_t i = 0; i < seq.size(); ++i) {
        int a = seq[i], b = seq[(i + 1) % seq.size()];
        long long c = (long long)g.Get(j, a) + g.Get(j, b) - g.Get(a, b);
        bool neg = c < 0;
        // Non-negative costs first, by value; negative ones only when nothing else is left.
        bool better = !found || (!neg && (bestNegative || c < best));
        if (better) {
          found = true;
          bestNegative = neg;
          best = c;
          bj = j;
          bi = static_cast<int>(i);
        }
      }
    }
    int a = seq[bi], b = seq[(bi + 1) % seq.size()];
    char line[100];
    snprintf(line, sizeof line, "HMoindreCout: ajout de  %d entre %d et %d\n", bj, a, b);
    out += line;
    in[bj] = true;
    seq.insert(seq.begin() + bi + 1, bj);
    if (bi == 0) std::rotate(seq.begin(), seq.begin() + 1, seq.end());
  }
  unsigned long long len = 0;
  for (size_t i = 0; i < seq.size() && n > 2; ++i) len += g.Get(seq[i], seq[(i + 1) % seq.size()]);
  if (n == 2) len = g.Get(0, 1);
  out += "HMoindreCout: fin, chemin de longueur " + std::to_string(len) + " trouve\n";
  *tour = seq;
  return out;
}

EdgeList SortedEdges(const std::vector<int>& seq) {
  std::set<std::pair<int, int>> s;
  for (size_t i = 0; i < seq.size(); ++i) {
    int a = seq[i], b = seq[(i + 1) % seq.size()];
    s.emplace(std::min(a, b), std::max(a, b));
  }
  return EdgeList(s.begin(), s.end());
}

TEST(HMoindreCout, TwoVertices) {
  EuclidianGraphe g(2);
  g.Set(0, 1, 7);
  Outcome r = Solve(g, Opts(5));
  ASSERT_TRUE(r.tour);
  EXPECT_EQ(Edges(*r.tour), (EdgeList{{0, 1}}));
  EXPECT_EQ(r.out,
            "HMoindreCout: Heuristique du moindre cout sur un graphe de 2 sommets\n"
            "HMoindreCout: recherche du 2 ieme sommet a inserer\n"
            "HMoindreCout: fin, chemin de longueur 7 trouve\n");
}

TEST(HMoindreCout, ThreeVerticesEveryDebugLine) {
  // 1 and 2 are equally close to 0: 1 comes first; the edge (0, 1) stays.
  EuclidianGraphe g(3);
  g.Set(0, 1, 5);
  g.Set(0, 2, 5);
  g.Set(1, 2, 3);
  Outcome r = Solve(g, Opts(5));
  ASSERT_TRUE(r.tour);
  EXPECT_EQ(Edges(*r.tour), (EdgeList{{0, 1}, {0, 2}, {1, 2}}));
  EXPECT_EQ(r.out,
            "HMoindreCout: Heuristique du moindre cout sur un graphe de 3 sommets\n"
            "HMoindreCout: recherche du 2 ieme sommet a inserer\n"
            "HMoindreCout: recherche du 3 ieme sommet a inserer\n"
            "Check 0-1\n"
            "Check 1-0\n"
            "HMoindreCout: ajout de  2 entre 0 et 1\n"
            "circuit rem 0 1\n"
            "circuit add  0 2\n"
            "circuit rem 2 1\n"
            "\n"
            "HMoindreCout: fin, chemin de longueur 13 trouve\n");
}

TEST(HMoindreCout, AllWeightsZeroFollowRingOrderTies) {
  // Every cost is 0, so each step takes the lowest vertex and the ring's first arc, which
  // stays the same object: 0 -> 1 becomes 2 -> 1, then 3 -> 1, ...
  const int n = 6;
  EuclidianGraphe g(n);
  tourcheck::FillRandom(g, 0, 1);
  Outcome r = Solve(g, Opts(2));
  ASSERT_TRUE(r.tour);
  EXPECT_EQ(Edges(*r.tour), (EdgeList{{0, 1}, {0, 2}, {1, 5}, {2, 3}, {3, 4}, {4, 5}}));
  EXPECT_EQ(r.out,
            "HMoindreCout: Heuristique du moindre cout sur un graphe de 6 sommets\n"
            "HMoindreCout: ajout de  2 entre 0 et 1\n"
            "HMoindreCout: ajout de  3 entre 2 et 1\n"
            "HMoindreCout: ajout de  4 entre 3 et 1\n"
            "HMoindreCout: ajout de  5 entre 4 et 1\n"
            "HMoindreCout: fin, chemin de longueur 0 trouve\n");
}

TEST(HMoindreCout, NegativeCostIsNeverChosen) {
  // Ring after step 2: 1 -> 3, 3 -> 0, 0 -> 1. Inserting 2 costs 3, 10 and -1 there;
  // the place of cost -1 would give a shorter tour but is not eligible.
  EuclidianGraphe g(4);
  const int w[4][4] = {{0, 7, 5, 2}, {7, 0, 1, 5}, {5, 1, 0, 7}, {2, 5, 7, 0}};
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j) g.Set(i, j, w[i][j]);
  Outcome r = Solve(g, Opts(2));
  ASSERT_TRUE(r.tour);
  EXPECT_EQ(r.out,
            "HMoindreCout: Heuristique du moindre cout sur un graphe de 4 sommets\n"
            "HMoindreCout: ajout de  1 entre 0 et 3\n"
            "HMoindreCout: ajout de  2 entre 1 et 3\n"
            "HMoindreCout: fin, chemin de longueur 17 trouve\n");
}

TEST(HMoindreCout, LineCountsByLevel) {
  const unsigned n = 9;
  EuclidianGraphe g(n);
  tourcheck::FillEuclidean(g, 100, 3);
  unsigned long checks = 0;
  for (unsigned k = 2; k < n; ++k) checks += (n - k) * k;
  EXPECT_EQ(Solve(g, Opts(0)).out, "");
  for (int level = 1; level <= 5; ++level) {
    std::string out = Solve(g, Opts(level)).out;
    unsigned long lines = std::count(out.begin(), out.end(), '\n');
    unsigned long expect = 2;
    if (level >= 2) expect += n - 2;
    if (level >= 3) expect += (n - 1) + checks;
    if (level >= 5) expect += 4 * (n - 2);  // three lines and an empty one per insertion
    EXPECT_EQ(lines, expect) << "level " << level;
    EXPECT_EQ(CountLines(out, "HMoindreCout: ajout de  "), level >= 2 ? n - 2 : 0);
  }
  std::string drawn = Solve(g, Opts(0, 1)).out;
  EXPECT_EQ(CountLines(drawn, "Drawing disabled in this special edition"), n - 1);
  EXPECT_EQ(std::count(drawn.begin(), drawn.end(), '\n'), long(n - 1));
}

TEST(HMoindreCout, MatchesReferenceOnRandomInstances) {
  unsigned seed = 100;
  for (unsigned n = 2; n <= 16; ++n) {
    for (int kind = 0; kind < 8; ++kind, ++seed) {
      EuclidianGraphe g(static_cast<int>(n));
      // Euclidean instances (small sides give many ties and truncation effects) and
      // arbitrary weights, which give negative costs, including weights near 2^32.
      switch (kind) {
        case 0: tourcheck::FillEuclidean(g, 5, seed); break;
        case 1: tourcheck::FillEuclidean(g, 30, seed); break;
        case 2: tourcheck::FillEuclidean(g, 100000, seed); break;
        case 3: tourcheck::FillRandom(g, 1, seed); break;
        case 4: tourcheck::FillRandom(g, 3, seed); break;
        case 5: tourcheck::FillRandom(g, 1000, seed); break;
        case 6: tourcheck::FillRandom(g, 4294967295u, seed); break;
        default: tourcheck::FillRandom(g, 0, seed); break;
      }
      std::vector<int> seq;
      std::string expected = Reference(g, &seq);
      Outcome r = Solve(g, Opts(2));
      ASSERT_TRUE(r.tour);
      ASSERT_EQ(r.out, expected) << "n " << n << " kind " << kind;
      ASSERT_EQ(Edges(*r.tour), SortedEdges(seq)) << "n " << n << " kind " << kind;
      ASSERT_TRUE(tourcheck::IsTour(*r.tour, n));
      std::string closing = "chemin de longueur " + std::to_string(g.Eval(r.tour.get())) + " trouve\n";
      ASSERT_NE(r.out.find(closing), std::string::npos);
    }
  }
}

TEST(HMoindreCout, AllocationFailuresAreReported) {
  EuclidianGraphe g(8);
  tourcheck::FillEuclidean(g, 100, 9);
  unsigned long k = 1;
  for (;; ++k) {
    pvc::FailAcquisitionAt(k);
    Outcome r = Solve(g, Opts(1));
    bool injected = pvc::AcquisitionCount() >= k;
    pvc::FailAcquisitionAt(0);
    if (!injected) {
      ASSERT_TRUE(r.tour);
      break;
    }
    EXPECT_FALSE(r.tour) << "failure " << k;
    EXPECT_EQ(CountLines(r.out, "HMoindreCout: erreur, memoire insuffisante"), 1u) << "failure " << k;
  }
  // The set (3), the flags, 2 + 6 arcs and 8 edge records at least.
  EXPECT_GT(k, 18u);
}

TEST(HMoindreCout, Interruption) {
  EuclidianGraphe g(5);
  tourcheck::FillEuclidean(g, 100, 4);
  pvc::g_interrupt = 1;
  Outcome r = Solve(g, Opts(1));
  pvc::g_interrupt = 0;
  EXPECT_FALSE(r.tour);
  EXPECT_EQ(r.out,
            "HMoindreCout: Heuristique du moindre cout sur un graphe de 5 sommets\n"
            "HMoindreCout: interrompu\n");
}

}  // namespace

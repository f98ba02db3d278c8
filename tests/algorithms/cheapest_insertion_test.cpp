// The cheapest insertion against a plain sequence-based reimplementation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "containers/resources.h"
#include "support/tour.h"

namespace {

// The tour as a plain vertex sequence whose element i starts the i-th arc in ring order.
// The ring's first arc is one fixed object, so an insertion into it makes the new vertex
// the start of the sequence and sends the old start to the end. Returns the output at
// level 2, or at level 3 (every step's "recherche" line and the "Check" line of every pair
// examined) when checks is set, and the final sequence.
std::string Reference(const Graphe& g, std::vector<int>* tour, bool checks = false) {
  const int n = static_cast<int>(g.GetSommets());
  std::string out = "HMoindreCout: Heuristique du moindre cout sur un graphe de " + std::to_string(n) + " sommets\n";
  int m = 1;
  for (int j = 2; j < n; ++j)
    if (g.Get(0, j) < g.Get(0, m)) m = j;
  std::vector<int> seq{0, m};
  auto step = [&](int k) { return checks ? "HMoindreCout: recherche du " + std::to_string(k + 1) + " ieme sommet a inserer\n" : ""; };
  out += step(1);
  for (int k = 2; k < n; ++k) {
    out += step(k);
    bool found = false, bestNegative = false;
    long long best = 0;
    int bj = -1, bi = -1;
    for (int j = 0; j < n; ++j) {
      if (std::find(seq.begin(), seq.end(), j) != seq.end()) continue;
      for (size_t i = 0; i < seq.size(); ++i) {
        int a = seq[i], b = seq[(i + 1) % seq.size()];
        if (checks) out += "Check " + std::to_string(a) + "-" + std::to_string(b) + "\n";
        long long c = static_cast<long long>(g.Get(j, a)) + g.Get(j, b) - g.Get(a, b);
        // Non-negative costs first, by value; negative ones only when nothing else is left.
        if (!found || (c >= 0 && (bestNegative || c < best))) {
          found = true, bestNegative = c < 0, best = c, bj = j, bi = static_cast<int>(i);
        }
      }
    }
    char line[100];
    snprintf(line, sizeof line, "HMoindreCout: ajout de  %d entre %d et %d\n", bj, seq[bi], seq[(bi + 1) % seq.size()]);
    out += line;
    seq.insert(seq.begin() + bi + 1, bj);
    if (bi == 0) std::rotate(seq.begin(), seq.begin() + 1, seq.end());
  }
  const long long len = n == 2 ? g.Get(0, 1) : tour::Length(g, seq);
  *tour = seq;
  return out + "HMoindreCout: fin, chemin de longueur " + std::to_string(len) + " trouve\n";
}

// Euclidean instances with computed weights (small sides give many ties and truncation
// effects) and arbitrary
// weights, which give negative costs, including weights near 2^32 and all weights 0. Level
// 2 runs the kept places, level 3 the full scan of every pair; both must match the
// reference, and so must a run that draws every step. Sizes 40 and 90 wear out the gaps
// between order labels.
TEST(HMoindreCout, EveryPathMatchesReferenceOnRandomInstances) {
  const uint32_t ranges[] = {5, 30, 100000, 1, 4, 1000, 4294967295u, 0};  // three of points, then matrices
  unsigned seed = 100;
  for (int n : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 40, 90})
    for (int kind = 0; kind < 8; ++kind, ++seed) {
      const auto owned = kind < 3 ? tour::Computed(n, ranges[kind], seed) : tour::Matrix(n, 0, ranges[kind], seed);
      EuclidianGraphe& g = *owned;
      std::vector<int> seq;
      const std::string expected = Reference(g, &seq);
      std::string out;
      const auto r = tour::Run(PVC_HMoindreCout, g, pvc::OptionsWord(0, 2), &out);
      ASSERT_NE(r, nullptr);
      EXPECT_EQ(out, expected) << "n " << n << " kind " << kind;
      EXPECT_EQ(tour::EdgesOf(*r), tour::EdgesOf(seq)) << "n " << n << " kind " << kind;
      tour::Run(PVC_HMoindreCout, g, pvc::OptionsWord(0, 3), &out);
      EXPECT_EQ(out, Reference(g, &seq, true)) << "n " << n << " kind " << kind;
      if (n > 6 || kind % 4 != 0) continue;
      tour::Run(PVC_HMoindreCout, g, pvc::OptionsWord(1, 2), &out);
      EXPECT_EQ(tour::Lines(out, "Drawing disabled").size(), static_cast<size_t>(n - 1));
      EXPECT_EQ(tour::Lines(out, "HMoindreCout"), tour::Lines(expected)) << "n " << n << " kind " << kind;
    }
}

// On computed weights the places are kept through k-d trees; on the same weights as a
// matrix by sweeps, which the test above holds to the reference. Every insertion line must
// agree on tie-heavy, duplicated and clustered points too, at sizes where vertices search
// their place again among many arcs.
TEST(HMoindreCout, PointsGiveTheInsertionsOfTheMatrixForm) {
  tour::ExpectPointsAsMatrix(PVC_HMoindreCout, {3, 60, 600}, {0, 4, 1000, 1000000, 2147483647u}, 70);
}

// The k-d tree paths of the insertion and of the spanning tree hold many arrays: each
// refused in turn must end the run with the row's message and nothing leaked (the asan
// build checks the leaks), until the run gets them all and gives its tour.
TEST(HMoindreCout, EveryRefusedArrayOfThePointPathsIsReported) {
  std::unique_ptr<EuclidianGraphe> g = tour::Computed(30, 1000, 5);
  unsigned long k = 1;
  for (;; ++k) {
    pvc::FailAcquisitionAt(k);
    std::string out;
    const auto t = tour::Run(PVC_HMoindreCout, *g, pvc::OptionsWord(0, Important), &out);
    pvc::FailAcquisitionAt(0);
    if (t) {
      EXPECT_TRUE(tour::IsTour(*t));
      break;
    }
    EXPECT_NE(out.find("HMoindreCout: erreur, "), std::string::npos) << "acquisition " << k << "\n" << out;
    ASSERT_LT(k, 1000u);
  }
  EXPECT_GT(k, 5u);
}

}  // namespace

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "algorithms/algorithms.h"
#include "containers/resources.h"
#include "support/capture.h"

namespace {

unsigned long Level(int level, unsigned draw = 0) { return (static_cast<unsigned long>(level) << 16) | draw; }

int CountLines(const std::string& out, const std::string& prefix) {
  int n = 0;
  for (size_t p = 0; (p = out.find(prefix, p)) != std::string::npos; ++p)
    if (p == 0 || out[p - 1] == '\n') ++n;
  return n;
}

TEST(NearestNeighbour, TwoVerticesGiveOneEdge) {
  EuclidianGraphe g(2);
  g.Set(0, 1, 7);
  tArretes* t = nullptr;
  std::string out = CaptureStdout([&] { t = PVC_HPlusProcheVoisin(&g, Level(1)); });
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(t->Present(0, 1));
  EXPECT_EQ(g.Eval(t), 7u);
  EXPECT_EQ(out,
            "HPlusProcheVoisin: algorithme du plus proche voisin, graphe de 2 sommets\n"
            "HPlusProcheVoisin: fin, circuit de longueur 7 trouve\n");
  delete t;
}

TEST(NearestNeighbour, TiesGoToTheLowestVertex) {
  EuclidianGraphe g(4);
  g.Set(0, 1, 5);
  g.Set(0, 2, 5);
  g.Set(0, 3, 1);
  g.Set(1, 2, 9);
  g.Set(1, 3, 4);
  g.Set(2, 3, 4);
  tArretes* t = nullptr;
  std::string out = CaptureStdout([&] { t = PVC_HPlusProcheVoisin(&g, Level(2)); });
  EXPECT_NE(out.find("insertion de 3 apres 0\nHPlusProcheVoisin: insertion de 1 apres 3\n"
                     "HPlusProcheVoisin: insertion de 2 apres 1\n"),
            std::string::npos);
  EXPECT_EQ(g.Eval(t), 1u + 4 + 9 + 5);
  delete t;
}

// The vertex order of a literal scan: every untreated vertex from 1 up through Get, the
// strictly lighter one kept.
std::string LiteralInsertions(const Graphe& g) {
  const unsigned n = g.GetSommets();
  std::vector<char> done(n, 0);
  std::string out;
  unsigned last = 0;
  for (unsigned k = 1; k < n; ++k) {
    unsigned long long best = ~0ull;
    unsigned pick = 0;
    for (unsigned i = 1; i < n; ++i)
      if (!done[i] && g.Get(static_cast<int>(i), static_cast<int>(last)) < best) {
        best = g.Get(static_cast<int>(i), static_cast<int>(last));
        pick = i;
      }
    out += "HPlusProcheVoisin: insertion de " + std::to_string(pick) + " apres " + std::to_string(last) + "\n";
    done[pick] = 1;
    last = pick;
  }
  return out;
}

// The scan reads the last vertex's column below it and its row above it; on instances full
// of equal weights every step must still pick what the literal scan picks.
TEST(NearestNeighbour, MatchesTheLiteralScan) {
  std::mt19937 rng(5);
  for (unsigned n : {2u, 3u, 5u, 17u, 64u})
    for (uint32_t range : {0u, 1u, 3u, 1000u}) {
      EuclidianGraphe g(static_cast<int>(n));
      for (unsigned i = 0; i < n; ++i)
        for (unsigned j = i + 1; j < n; ++j)
          g.Set(static_cast<int>(i), static_cast<int>(j), range ? static_cast<uint32_t>(rng() % (range + 1)) : 0u);
      tArretes* t = nullptr;
      std::string out = CaptureStdout([&] { t = PVC_HPlusProcheVoisin(&g, Level(2)); });
      // Between the opening and the closing line.
      const size_t from = out.find('\n') + 1, to = out.rfind("HPlusProcheVoisin: fin");
      EXPECT_EQ(out.substr(from, to - from), LiteralInsertions(g)) << "n " << n << " range " << range;
      delete t;
    }
}

TEST(NearestNeighbour, LinesPerLevelAndDrawingSteps) {
  EuclidianGraphe g(10);
  CaptureStdout([&] { g.Randomise(100, 1); });
  for (int level = 0; level <= 3; ++level) {
    tArretes* t = nullptr;
    std::string out = CaptureStdout([&] { t = PVC_HPlusProcheVoisin(&g, Level(level)); });
    EXPECT_EQ(CountLines(out, "HPlusProcheVoisin: algorithme"), level >= 1 ? 1 : 0);
    EXPECT_EQ(CountLines(out, "HPlusProcheVoisin: fin"), level >= 1 ? 1 : 0);
    EXPECT_EQ(CountLines(out, "HPlusProcheVoisin: insertion"), level >= 2 ? 9 : 0);
    EXPECT_EQ(CountLines(out, "HPlusProcheVoisin: recherche du 2 ieme"), level >= 3 ? 1 : 0);
    EXPECT_EQ(CountLines(out, "HPlusProcheVoisin: recherche du 10 ieme"), level >= 3 ? 1 : 0);
    // A tour: every vertex has two neighbours.
    for (int v = 0; v < 10; ++v) {
      tArrete* c = nullptr;
      int d = 0;
      while (t->Get(&c, v) != -1) ++d;
      EXPECT_EQ(d, 2);
    }
    delete t;
  }
  tArretes* t = nullptr;
  std::string out = CaptureStdout([&] { t = PVC_HPlusProcheVoisin(&g, Level(0, 1)); });
  EXPECT_EQ(CountLines(out, "Drawing disabled in this special edition"), 9);
  delete t;
}

TEST(NearestNeighbour, HugeWeightsStillGiveATour) {
  // Weights of 2^31 - 1 and more: a candidate is still always found.
  EuclidianGraphe g(4);
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j) g.Set(i, j, 3000000000u + static_cast<uint32_t>(i + j));
  tArretes* t = PVC_HPlusProcheVoisin(&g, 0);
  EXPECT_EQ(g.Eval(t), 3000000001ull + 3000000003ull + 3000000005ull + 3000000003ull);
  delete t;
}

TEST(NearestNeighbour, AllocationFailuresAndInterruption) {
  EuclidianGraphe g(8);
  CaptureStdout([&] { g.Randomise(100, 1); });
  for (unsigned long k = 1;; ++k) {
    pvc::FailAcquisitionAt(k);
    tArretes* t = nullptr;
    std::string out = CaptureStdout([&] { t = PVC_HPlusProcheVoisin(&g, Level(1)); });
    pvc::FailAcquisitionAt(0);
    if (t) {
      delete t;
      EXPECT_GT(k, 3u);
      break;
    }
    EXPECT_NE(out.find("HPlusProcheVoisin: erreur, memoire insuffisante\n"), std::string::npos) << k;
  }
  pvc::g_interrupt = 1;
  tArretes* t = nullptr;
  std::string out = CaptureStdout([&] { t = PVC_HPlusProcheVoisin(&g, Level(1)); });
  pvc::g_interrupt = 0;
  EXPECT_EQ(t, nullptr);
  EXPECT_NE(out.find("HPlusProcheVoisin: interrompu\n"), std::string::npos);
}

}  // namespace

#include "algorithms/branch_and_bound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "containers/resources.h"
#include "support/capture.h"

namespace {

constexpr unsigned long kLevel1 = 1ul << 16;
constexpr unsigned long kLevel3 = 3ul << 16;

// Random symmetric weights in [lo, hi]; a narrow range gives many ties.
void Fill(EuclidianGraphe& g, std::mt19937& rng, uint32_t lo, uint32_t hi) {
  std::uniform_int_distribution<uint32_t> d(lo, hi);
  int n = static_cast<int>(g.GetSommets());
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) g.Set(i, j, d(rng));
}

// Points in a square, truncated distances, as the instances of the shell.
void FillEuclidean(EuclidianGraphe& g, std::mt19937& rng, uint32_t side) {
  int n = static_cast<int>(g.GetSommets());
  std::uniform_int_distribution<uint32_t> d(0, side);
  std::vector<Point2D> p(n);
  for (auto& q : p) q = {d(rng), d(rng)};
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) g.Set(i, j, EuclideanWeight(p[i], p[j]));
}

// Held-Karp optimum of a closed tour.
uint64_t Optimum(const Graphe& g) {
  int n = static_cast<int>(g.GetSommets());
  if (n == 2) return 2ull * g.Get(0, 1);
  const uint64_t kInf = UINT64_MAX / 4;
  std::vector<uint64_t> dp((size_t{1} << n) * n, kInf);
  dp[1 * n + 0] = 0;
  for (unsigned mask = 1; mask < (1u << n); mask += 2)
    for (int j = 0; j < n; ++j) {
      uint64_t cur = dp[mask * n + j];
      if (cur == kInf) continue;
      for (int k = 1; k < n; ++k) {
        if (mask & (1u << k)) continue;
        uint64_t& t = dp[(mask | (1u << k)) * n + k];
        t = std::min(t, cur + g.Get(j, k));
      }
    }
  uint64_t best = kInf;
  unsigned all = (1u << n) - 1;
  for (int j = 1; j < n; ++j) best = std::min(best, dp[all * n + j] + g.Get(j, 0));
  return best;
}

// Shortest tour 0, c1, ..., c(n-1) with c1 not in `banned`, by enumeration.
uint64_t ShortestAvoiding(const Graphe& g, const std::vector<int>& banned) {
  int n = static_cast<int>(g.GetSommets());
  std::vector<int> p(n);
  for (int i = 0; i < n; ++i) p[i] = i;
  uint64_t best = UINT64_MAX;
  do {
    if (std::find(banned.begin(), banned.end(), p[1]) != banned.end()) continue;
    uint64_t len = g.Get(p[n - 1], 0);
    for (int k = 0; k + 1 < n; ++k) len += g.Get(p[k], p[k + 1]);
    best = std::min(best, len);
  } while (std::next_permutation(p.begin() + 1, p.end()));
  return best;
}

// True when t is one cycle through every vertex.
bool IsTour(tArretes* t) {
  int n = static_cast<int>(t->GetSommets());
  int edges = 0;
  tArrete* c = nullptr;
  while (t->Get(&c)) ++edges;
  if (edges != n) return false;
  int* seq = t->CircuitAsArray();
  if (!seq) return false;
  std::vector<bool> seen(n, false);
  for (int k = 0; k < n; ++k) seen[seq[k]] = true;
  free(seq);
  return std::all_of(seen.begin(), seen.end(), [](bool b) { return b; });
}

// Upper-bound tours for the tests, standing in for the 2-opt.
tArretes* IdentityTour(EuclidianGraphe* e, unsigned long) {
  int n = static_cast<int>(e->GetSommets());
  tArretes* t = tArretes::New(n);
  if (!t) return nullptr;
  for (int k = 0; k + 1 < n; ++k) t->Add(k, k + 1);
  t->Add(n - 1, 0);
  if (t->OutOfMemory()) {
    delete t;
    return nullptr;
  }
  return t;
}
tArretes* NoTour(EuclidianGraphe*, unsigned long) { return nullptr; }
tArretes* TourThenCtrlC(EuclidianGraphe* e, unsigned long o) {
  tArretes* t = IdentityTour(e, o);
  pvc::g_interrupt = 1;
  return t;
}

TEST(ASEEval, BoundIsTheSumOfCheapestEdgesAndAttainedMeansATour) {
  std::mt19937 rng(7);
  int attained = 0, total = 0;
  for (int round = 0; round < 400; ++round) {
    int n = 3 + round % 7;
    EuclidianGraphe g(n);
    if (round % 2)
      Fill(g, rng, 1, 4);  // plenty of ties
    else
      FillEuclidean(g, rng, 50);
    std::vector<int> order(n);
    for (int i = 0; i < n; ++i) order[i] = i;
    std::shuffle(order.begin() + 1, order.end(), rng);
    int L = 1 + static_cast<int>(rng() % n);
    std::vector<int> chemin(order.begin(), order.end());
    std::vector<char> used(n, 0);
    for (int k = 0; k + 1 < L; ++k) used[chemin[k]] = 1;
    int cur = chemin[L - 1];

    uint64_t expected = 0;
    for (int v = 0; v < n; ++v) {
      if (used[v]) continue;  // cur and every vertex not on the path
      uint32_t m = UINT32_MAX;
      for (int j = 0; j < n; ++j)
        if (j != v) m = std::min(m, g.Get(v, j));
      expected += m;
    }
    int atteinte = 7;
    ASEFailure = kASEOk;
    uint64_t b = ASEEval(&g, atteinte, used.data(), cur, chemin.data(), L, true);
    ASSERT_EQ(b, expected) << "round " << round;
    ASSERT_TRUE(atteinte == 0 || atteinte == 1);
    ++total;
    if (atteinte) {
      ++attained;
      for (int k = 0; k < L; ++k) ASSERT_EQ(chemin[k], order[k]);
      std::vector<int> sorted(chemin);
      std::sort(sorted.begin(), sorted.end());
      for (int k = 0; k < n; ++k) ASSERT_EQ(sorted[k], k);
      uint64_t completion = g.Get(chemin[n - 1], chemin[0]);
      for (int k = L - 1; k + 1 < n; ++k) completion += g.Get(chemin[k], chemin[k + 1]);
      ASSERT_EQ(completion, b) << "round " << round;
    }
  }
  EXPECT_GT(attained, 10);
  EXPECT_LT(attained, total);
}

TEST(ASEEval, BlockedWalkAndItsSentinel) {
  // From 1 the cheapest edge leads back to 0, already on the path.
  EuclidianGraphe g(4);
  g.Set(0, 1, 1);
  g.Set(0, 2, 10);
  g.Set(0, 3, 10);
  g.Set(1, 2, 5);
  g.Set(1, 3, 6);
  g.Set(2, 3, 7);
  int chemin[4] = {0, 1, 0, 0};
  char used[4] = {1, 0, 0, 0};
  int atteinte = 1;
  ASEFailure = kASEOk;
  EXPECT_EQ(ASEEval(&g, atteinte, used, 1, chemin, 2, false), kASEBlocked);
  EXPECT_EQ(atteinte, 0);
  char used2[4] = {1, 0, 0, 0};
  atteinte = 1;
  std::string out = CaptureStdout([&] {
    ASEOutputLevel = Debug;
    EXPECT_EQ(ASEEval(&g, atteinte, used2, 1, chemin, 2, true), 1u + 5 + 6);
    ASEOutputLevel = 0;
  });
  EXPECT_EQ(atteinte, 0);
  EXPECT_EQ(out, "+\n+1, 0\n+>2 (6)\n+>3 (12)\n");
}

TEST(ASEEval, LaterTiedBranchCanAttain) {
  // Weight 1 on 0-1 and on the cycle 0-2-3-1-4-0, 5 elsewhere. From 0 the tie is
  // tried through 1 first, where every greedy walk gets blocked; through 2 the walk
  // closes the cycle at exactly the bound.
  EuclidianGraphe g(5);
  for (int i = 0; i < 5; ++i)
    for (int j = i + 1; j < 5; ++j) g.Set(i, j, 5);
  for (auto e : {std::make_pair(0, 1), {0, 2}, {2, 3}, {3, 1}, {1, 4}, {4, 0}}) g.Set(e.first, e.second, 1);
  int chemin[5] = {0, 0, 0, 0, 0};
  char used[5] = {0, 0, 0, 0, 0};
  int atteinte = 0;
  ASEFailure = kASEOk;
  EXPECT_EQ(ASEEval(&g, atteinte, used, 0, chemin, 1, true), 5u);
  EXPECT_EQ(atteinte, 1);
  EXPECT_EQ(std::vector<int>(chemin, chemin + 5), (std::vector<int>{0, 2, 3, 1, 4}));
}

TEST(ClearArbre, LeavesOnlyTheRoot) {
  Arbre root;
  Arbre* deep = &root;
  for (int i = 0; i < 100000; ++i) {  // a long path and a long sibling chain
    Arbre* c = new Arbre;
    deep->AddChild(c);
    deep = c;
    if (i < 5)
      for (int k = 0; k < 3; ++k) deep->AddChild(new Arbre);
  }
  xTree* wide = root.Child;
  for (int i = 0; i < 100000; ++i) {
    wide->AddBrother(new Arbre);
    wide = wide->Next;
  }
  ClearArbre(&root);
  EXPECT_EQ(root.Child, nullptr);
  EXPECT_EQ(root.Parent, nullptr);
  EXPECT_EQ(root.Next, nullptr);
  EXPECT_EQ(root.Prev, nullptr);
  ClearArbre(&root);  // nothing below: nothing happens
}

// Drives the passes by hand from a tree whose first root child was closed earlier.
TEST(ASEParcours, ClosedNodeHandsTheWalkToItsSiblings) {
  std::mt19937 rng(11);
  for (int round = 0; round < 20; ++round) {
    const int n = 7;
    EuclidianGraphe g(n);
    FillEuclidean(g, rng, 100);
    Arbre root;
    root.s = 0;
    for (int v = 1; v < n; ++v) {
      Arbre* c = new Arbre;
      c->s = static_cast<uint32_t>(v);
      c->borneinf = 0;
      root.AddChild(c);
    }
    Arbre* first = static_cast<Arbre*>(root.Child);
    Arbre* second = static_cast<Arbre*>(first->Next);
    first->ferme = true;                    // closed at step 3
    second->borneinf = UINT64_MAX - 1;      // closed by its bound at step 4
    second->AddChild(new Arbre);            // whose subtree goes
    std::vector<int> chemin(n), best(n);
    std::vector<char> used(n, 0);
    ASEBuff = static_cast<char*>(malloc(n));
    ASEFailure = kASEOk;
    ASEOptions = 0;
    uint64_t bestlength = UINT64_MAX - 2;  // no tour known yet
    std::string out = CaptureStdout([&] {
      ASEOutputLevel = UltraDetailed;
      int passes = 0;
      while (ASEParcours(&root, &g, bestlength, chemin.data(), 0, used.data(), best.data(), 0)) ++passes;
      ASEOutputLevel = 0;
      EXPECT_GE(passes, 1);
    });
    free(ASEBuff);
    ASEBuff = nullptr;
    EXPECT_TRUE(second->ferme);
    EXPECT_EQ(second->Child, nullptr);
    // Tours leaving 0 through 1 or 2 are cut off; every other one is searched.
    EXPECT_EQ(bestlength, ShortestAvoiding(g, {1, 2})) << "round " << round;
    uint64_t len = g.Get(best[n - 1], best[0]);
    for (int k = 0; k + 1 < n; ++k) len += g.Get(best[k], best[k + 1]);
    EXPECT_EQ(len, bestlength);
    // Each root child is entered with the edge from 0 as its path length.
    for (int v = 1; v < n; ++v) {
      std::string line = "=>" + std::to_string(v) + "   (borne ";
      size_t p = out.find(line);
      ASSERT_NE(p, std::string::npos);
      size_t q = out.find(", sous chemin ", p);
      EXPECT_EQ(std::stoull(out.substr(q + 14)), g.Get(0, v)) << v;
    }
    EXPECT_NE(out.find("=>1   (borne 0, sous chemin " + std::to_string(g.Get(0, 1)) + ")\nferme!\n<=1\n=>2"),
              std::string::npos);
    ClearArbre(&root);
  }
}

TEST(ASepEval, OptimalOnRandomInstances) {
  std::mt19937 rng(2024);
  for (int round = 0; round < 120; ++round) {
    int n = 3 + round % 8;  // 3 .. 10
    EuclidianGraphe g(n);
    if (round % 3 == 0)
      Fill(g, rng, 1, 5);
    else
      FillEuclidean(g, rng, 1000);
    // The 2-opt, the nearest neighbour, and a poor first tour (the identity, which costs
    // much more search time: kept to small n).
    fExec start = round % 4 == 0 ? PVC_H2Opt : round % 2 && n <= 8 ? IdentityTour : PVC_HPlusProcheVoisin;
    tArretes* t = nullptr;
    CaptureStdout([&] { t = ASERun(&g, 0, start); });
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(IsTour(t));
    EXPECT_EQ(g.Eval(t), Optimum(g)) << "round " << round << " n " << n;
    delete t;
  }
  // Two vertices: the closing edge repeats the only one and is refused.
  EuclidianGraphe g(2);
  g.Set(0, 1, 17);
  tArretes* t = nullptr;
  std::string out = CaptureStdout([&] { t = PVC_ASeparationEvaluation(&g, kLevel1); });
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(t->Present(0, 1));
  EXPECT_EQ(g.Eval(t), 17u);
  EXPECT_NE(out.find("ASepEval: fin\nASepEval: chemin optimal de longueur 17 trouv\351\n"), std::string::npos);
  delete t;
}

TEST(ASepEval, LevelThreeListsThePathEdges) {
  std::mt19937 rng(5);
  const int n = 7;
  EuclidianGraphe g(n);
  FillEuclidean(g, rng, 500);
  tArretes* t = nullptr;
  std::string out = CaptureStdout([&] { t = PVC_ASeparationEvaluation(&g, kLevel3); });
  ASSERT_NE(t, nullptr);
  size_t p = out.find("ASepEval: fin\nASepEval: solution(" + std::to_string(g.Eval(t)) + ")\n");
  ASSERT_NE(p, std::string::npos);
  // n-1 edges forming a path from 0 through every vertex, then the closing line.
  p = out.find("ASepEval: ", p + 14);
  std::vector<int> seq{0};
  for (int k = 0; k + 1 < n; ++k) {
    p = out.find("ASepEval: ", p + 1);
    int a, b;
    ASSERT_EQ(sscanf(out.c_str() + p, "ASepEval: %d-%d\n", &a, &b), 2);
    EXPECT_EQ(a, seq.back());
    EXPECT_TRUE(t->Present(a, b));
    seq.push_back(b);
  }
  EXPECT_TRUE(t->Present(seq.front(), seq.back()));
  EXPECT_EQ(out.compare(out.find('\n', p) + 1, std::string::npos,
                        "ASepEval: chemin optimal de longueur " + std::to_string(g.Eval(t)) + " trouv\351\n"),
            0);
  delete t;
}

TEST(ASepEval, NoInitialTourAndInterruption) {
  EuclidianGraphe g(8);
  std::mt19937 rng(9);
  FillEuclidean(g, rng, 1000);
  const std::string opening = "ASepEval: algorithme exact de s\351paration/evaluation, d\351marrage\n";
  tArretes* t = reinterpret_cast<tArretes*>(1);
  std::string out = CaptureStdout([&] { t = ASERun(&g, kLevel1, NoTour); });
  EXPECT_EQ(t, nullptr);
  EXPECT_EQ(out, opening + "ASepEval: erreur, pas de solution initiale\n");
  EXPECT_EQ(CaptureStdout([&] { ASERun(&g, 0, NoTour); }), "");

  // Ctrl-C after the first tour: caught before the first pass.
  out = CaptureStdout([&] { t = ASERun(&g, kLevel1, TourThenCtrlC); });
  pvc::g_interrupt = 0;
  EXPECT_EQ(t, nullptr);
  EXPECT_EQ(out, opening + "ASepEval: interrompu\n");

  // Ctrl-C inside the 2-opt: every level reports it, no missing first tour.
  out = CaptureStdout([&] {
    pvc::g_interrupt = 1;
    t = PVC_ASeparationEvaluation(&g, kLevel1);
    pvc::g_interrupt = 0;
  });
  EXPECT_EQ(t, nullptr);
  EXPECT_NE(out.find("HPlusProcheVoisin: interrompu\n"), std::string::npos);
  EXPECT_EQ(out.substr(out.size() - 21), "ASepEval: interrompu\n");
  EXPECT_EQ(out.find("pas de solution"), std::string::npos);
}

TEST(ASepEval, EveryAcquisitionFailureIsReported) {
  // Narrow weights, so that bound computations hit ties and allocate their scratch copy.
  std::mt19937 rng(21);
  EuclidianGraphe g(7);
  Fill(g, rng, 1, 3);
  unsigned long k = 1;
  for (;; ++k) {
    tArretes* t = nullptr;
    pvc::FailAcquisitionAt(k);
    std::string out = CaptureStdout([&] { t = PVC_ASeparationEvaluation(&g, kLevel1); });
    unsigned long used = pvc::AcquisitionCount();
    pvc::FailAcquisitionAt(0);
    if (used < k) {  // nothing failed: the run is complete
      ASSERT_NE(t, nullptr);
      EXPECT_EQ(g.Eval(t), Optimum(g));
      delete t;
      break;
    }
    ASSERT_EQ(t, nullptr) << "k " << k;
    // Either its own failure, or the 2-opt's, which leaves it without a first tour.
    bool own = out.find("ASepEval: erreur, memoire insuffisante\n") != std::string::npos;
    bool inner = out.find("ASepEval: erreur, pas de solution initiale\n") != std::string::npos;
    EXPECT_TRUE(own != inner) << "k " << k << "\n" << out;
  }
  EXPECT_GT(k, 50u);
}

TEST(ASepEval, DrawingBufferFailures) {
  EuclidianGraphe g(4);
  std::mt19937 rng(1);
  FillEuclidean(g, rng, 100);
  // The edge set of the drawn path cannot be allocated.
  pvc::FailAcquisitionAt(1);
  tArretes* t = reinterpret_cast<tArretes*>(1);
  std::string out = CaptureStdout([&] { t = ASERun(&g, kLevel1 | 1, IdentityTour); });
  pvc::FailAcquisitionAt(0);
  EXPECT_EQ(t, nullptr);
  EXPECT_EQ(out,
            "ASepEval: algorithme exact de s\351paration/evaluation, d\351marrage\n"
            "ASepEval: erreur, memoire insuffisante\n");

  // A record of the drawn path cannot be allocated: the pass stops.
  Arbre root;
  Arbre* leaf = new Arbre;
  leaf->s = 2;
  root.AddChild(leaf);
  ASEArretes = tArretes::New(4);
  ASEBuff = static_cast<char*>(malloc(4));
  ASEOptions = 1;
  ASEFailure = kASEOk;
  int chemin[4], best[4] = {0, 1, 2, 3};
  char used[4] = {0, 0, 0, 0};
  uint64_t bestlength = 1000;
  pvc::FailAcquisitionAt(1);
  EXPECT_EQ(ASEParcours(&root, &g, bestlength, chemin, 0, used, best, 0), 0);
  pvc::FailAcquisitionAt(0);
  EXPECT_EQ(ASEFailure, kASEOutOfMemory);
  EXPECT_EQ(leaf->Child, nullptr);
  ASEFailure = kASEOk;
  ASEOptions = 0;
  delete ASEArretes;
  ASEArretes = nullptr;
  free(ASEBuff);
  ASEBuff = nullptr;
  ClearArbre(&root);
}

}  // namespace

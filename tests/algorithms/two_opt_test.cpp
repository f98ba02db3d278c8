// The 2-opt heuristic against a plain array-based best-improvement 2-opt.
#include <gtest/gtest.h>
#include <sys/time.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "algorithms/algorithms.h"
#include "algorithms/tour_test_util.h"

namespace {

using tourtest::Lines;

constexpr unsigned long kLevel1 = 1ul << 16, kLevel2 = 2ul << 16, kLevel3 = 3ul << 16, kLevel5 = 5ul << 16;

struct Reference {
  std::vector<int> tour;
  std::vector<std::string> trace;  // the "test de permutation" and "inversion" lines
  long long gains = 0;
  int moves = 0;
};

// Best improvement on an array: pairs (p, q), q >= p + 2, in scan order from position 0;
// the first pair of strictly largest positive gain reverses t[p+1..q].
Reference ReferenceTwoOpt(const Graphe& g, std::vector<int> t) {
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
        snprintf(line, sizeof line, "H2Opt: test de permutation %d-%d  %d-%d , gain de %lld", a, b, c, d, gain);
        r.trace.push_back(line);
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

std::vector<int> NearestNeighbourTour(EuclidianGraphe& g) {
  tArretes* nn = nullptr;
  CaptureStdout([&] { nn = PVC_HPlusProcheVoisin(&g, 0); });
  std::vector<int> t = tourtest::SequenceOf(*nn);
  delete nn;
  return t;
}

tArretes* RunTwoOpt(EuclidianGraphe& g, unsigned long options, std::string* out = nullptr) {
  tArretes* r = nullptr;
  std::string text = CaptureStdout([&] { r = PVC_H2Opt(&g, options); });
  if (out) *out = text;
  return r;
}

bool TwoOptimal(const Graphe& g, const std::vector<int>& t) {
  const size_t n = t.size();
  for (size_t p = 0; p + 2 < n; ++p)
    for (size_t q = p + 2; q < n; ++q) {
      const int a = t[p], b = t[p + 1], c = t[q], d = t[(q + 1) % n];
      if (static_cast<long long>(g.Get(a, b)) + g.Get(c, d) - g.Get(a, c) - g.Get(b, d) > 0) return false;
    }
  return true;
}

// An instance on which the 2-opt applies at least `moves` moves.
void FillWithMoves(EuclidianGraphe& g, int moves) {
  for (unsigned seed = 1;; ++seed) {
    tourtest::Fill(g, 100, 100, seed);
    if (ReferenceTwoOpt(g, NearestNeighbourTour(g)).moves >= moves) return;
  }
}

// On many random instances (small, ordinary and huge coordinates, many equal weights) the
// result is a 2-optimal tour, the same as the array reference, and its length is the
// nearest-neighbour length minus the applied gains.
TEST(H2Opt, MatchesArrayReferenceOnRandomInstances) {
  unsigned seed = 1;
  for (uint32_t coordmax : {6u, 1000u, 2147483647u})
    for (int n = 4; n <= 40; n += 3)
      for (int trial = 0; trial < 4; ++trial, ++seed) {
        EuclidianGraphe g(n);
        tourtest::Fill(g, 1000, coordmax, seed);
        std::vector<int> nn = NearestNeighbourTour(g);
        Reference ref = ReferenceTwoOpt(g, nn);
        tArretes* r = RunTwoOpt(g, 0);
        ASSERT_NE(r, nullptr);
        SCOPED_TRACE(testing::Message() << "n=" << n << " coordmax=" << coordmax << " seed=" << seed);
        EXPECT_TRUE(tourtest::IsTour(*r));
        EXPECT_EQ(tourtest::EdgesOf(*r), tourtest::EdgesOf(ref.tour));
        EXPECT_TRUE(TwoOptimal(g, tourtest::SequenceOf(*r)));
        EXPECT_EQ(static_cast<long long>(g.Eval(r)), tourtest::Length(g, nn) - ref.gains);
        delete r;
      }
}

// The level-3 trace lists every evaluated pair with its gain and every applied move, in
// the reference's order; the closing line gives the initial length minus the gains.
TEST(H2Opt, TraceFollowsTheScanOrder) {
  for (unsigned seed = 100; seed < 112; ++seed) {
    const int n = 5 + static_cast<int>(seed % 8);
    EuclidianGraphe g(n);
    tourtest::Fill(g, 100, 100, seed);
    std::vector<int> nn = NearestNeighbourTour(g);
    Reference ref = ReferenceTwoOpt(g, nn);
    std::string out;
    delete RunTwoOpt(g, kLevel3, &out);
    std::vector<std::string> got;
    for (const std::string& l : Lines(out))
      if (l.rfind("H2Opt: test", 0) == 0 || l.rfind("H2Opt: inversion", 0) == 0) got.push_back(l);
    EXPECT_EQ(got, ref.trace) << "seed " << seed;
    EXPECT_EQ(ref.trace.size(), static_cast<size_t>((ref.moves + 1) * (n - 1) * (n - 2) / 2 + ref.moves));
    char closing[100];
    snprintf(closing, sizeof closing, "H2Opt: fin, circuit de longueur %lld trouve\n",
             tourtest::Length(g, nn) - ref.gains);
    EXPECT_EQ(out.substr(out.size() - strlen(closing)), closing);
  }
}

TEST(H2Opt, LevelOneAndTwoLines) {
  EuclidianGraphe g(9);
  FillWithMoves(g, 2);
  Reference ref = ReferenceTwoOpt(g, NearestNeighbourTour(g));
  std::string out;
  delete RunTwoOpt(g, kLevel1, &out);
  std::vector<std::string> own;
  for (const std::string& l : Lines(out))
    if (l.rfind("H2Opt:", 0) == 0) own.push_back(l);
  ASSERT_EQ(own.size(), 5u);
  EXPECT_EQ(own[0], "H2Opt: algorithme de voisinage 2-Opt, d\351marrage");
  EXPECT_EQ(own[1], "H2Opt: construction d'un chemin initial");
  EXPECT_EQ(own[2], "H2Opt: initialisation");
  EXPECT_EQ(own[3], "H2Opt: boucle principale");
  delete RunTwoOpt(g, kLevel2, &out);
  size_t inversions = 0;
  for (const std::string& l : Lines(out)) inversions += l.rfind("H2Opt: inversion", 0) == 0;
  EXPECT_EQ(inversions, static_cast<size_t>(ref.moves));
  delete RunTwoOpt(g, 0, &out);
  EXPECT_EQ(out, "");
}

// Level 5 dumps and checks the ring before every pass; after every move it is still valid.
TEST(H2Opt, RingDumpStaysValidAtLevelFive) {
  for (unsigned seed = 200; seed < 210; ++seed) {
    const int n = 6 + static_cast<int>(seed % 20);
    EuclidianGraphe g(n);
    tourtest::Fill(g, 1000, 1000, seed);
    Reference ref = ReferenceTwoOpt(g, NearestNeighbourTour(g));
    std::string out;
    tArretes* r = RunTwoOpt(g, kLevel5, &out);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(tourtest::EdgesOf(*r), tourtest::EdgesOf(ref.tour));
    delete r;
    EXPECT_EQ(out.find("invalide"), std::string::npos);
    // One dump of n lines per pass: the dump's first line "0: 0-x" opens each pass.
    size_t dumps = 0;
    for (const std::string& l : Lines(out)) dumps += l.rfind("0: 0-", 0) == 0;
    EXPECT_EQ(dumps, static_cast<size_t>(ref.moves + 1));
  }
}

TEST(H2Opt, SmallAndFlatInstancesComeBackUnchanged) {
  // Two vertices: no pair at all. Three: only the pair of gain 0.
  for (int n : {2, 3}) {
    EuclidianGraphe g(n);
    tourtest::Fill(g, 100, 100, 5);
    std::string out;
    tArretes* r = RunTwoOpt(g, kLevel3, &out);
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(tourtest::IsTour(*r));
    size_t tests = 0;
    for (const std::string& l : Lines(out)) tests += l.rfind("H2Opt: test", 0) == 0;
    EXPECT_EQ(tests, n == 2 ? 0u : 1u);
    EXPECT_EQ(out.find("inversion"), std::string::npos);
    delete r;
  }
  // All weights 0: one pass, nothing applied, the nearest-neighbour tour 0-1-...-(n-1).
  EuclidianGraphe flat(8);
  tourtest::Fill(flat, 0, 0, 1);
  tArretes* r = RunTwoOpt(flat, kLevel2);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(tourtest::SequenceOf(*r), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  delete r;
}

// Two pairs with the same largest gain: the first in scan order is applied. Small
// coordinates give many equal weights; take the first instance whose first pass has a tie.
TEST(H2Opt, TieGoesToTheFirstPairInScanOrder) {
  bool found = false;
  for (unsigned seed = 1; seed < 500 && !found; ++seed) {
    EuclidianGraphe g(9);
    tourtest::Fill(g, 100, 8, seed);
    std::vector<int> t = NearestNeighbourTour(g);
    const int n = 9;
    long long best = 0;
    int ties = 0;
    std::string first;
    for (int p = 0; p + 2 < n; ++p)
      for (int q = p + 2; q < n; ++q) {
        const int a = t[p], b = t[p + 1], c = t[q], d = t[(q + 1) % n];
        const long long gain = static_cast<long long>(g.Get(a, b)) + g.Get(c, d) - g.Get(a, c) - g.Get(b, d);
        if (gain > best) {
          best = gain, ties = 1;
          first = "H2Opt: inversion " + std::to_string(a) + "-" + std::to_string(b) + " et " + std::to_string(c) +
                  "-" + std::to_string(d) + "\n";
        } else if (gain == best && best > 0) {
          ++ties;
        }
      }
    if (ties < 2) continue;
    found = true;
    std::string out;
    delete RunTwoOpt(g, kLevel2, &out);
    const size_t at = out.find("H2Opt: inversion");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(out.substr(at, first.size()), first) << "seed " << seed;
  }
  EXPECT_TRUE(found);
}

TEST(H2Opt, DrawIntervalDrawsAfterEveryMove) {
  EuclidianGraphe g(7);
  FillWithMoves(g, 2);
  Reference ref = ReferenceTwoOpt(g, NearestNeighbourTour(g));
  std::string out;
  delete RunTwoOpt(g, 1, &out);
  size_t draws = 0;
  for (const std::string& l : Lines(out)) draws += l == "Drawing disabled in this special edition";
  EXPECT_EQ(draws, static_cast<size_t>(6 + ref.moves));  // six from the nearest neighbour
}

TEST(H2Opt, EveryAllocationFailureIsReported) {
  EuclidianGraphe g(8);
  FillWithMoves(g, 2);
  const unsigned long total =
      tourtest::WalkAcquisitionFailures([&] { return PVC_H2Opt(&g, kLevel1); }, "H2Opt: erreur, memoire insuffisante\n");
  EXPECT_GT(total, 20u);
}

volatile std::sig_atomic_t* g_flag = &pvc::g_interrupt;
void OnAlarm(int) { *g_flag = 1; }

TEST(H2Opt, InterruptionReturnsNull) {
  // Set before the call: the nearest neighbour stops, and the 2-opt says so too.
  EuclidianGraphe g(30);
  tourtest::Fill(g, 1000, 1000, 2);
  pvc::g_interrupt = 1;
  std::string out;
  tArretes* r = RunTwoOpt(g, kLevel1, &out);
  pvc::g_interrupt = 0;
  EXPECT_EQ(r, nullptr);
  EXPECT_NE(out.find("HPlusProcheVoisin: interrompu\nH2Opt: interrompu\n"), std::string::npos) << out;

  // Set by a signal while the passes run (a long run: 1500 vertices from their
  // nearest-neighbour tour take far more than the 100 ms of the timer).
  EuclidianGraphe big(1500);
  tourtest::Fill(big, 1000000, 1000000, 3);
  struct sigaction sa = {}, old = {};
  sa.sa_handler = OnAlarm;
  sigaction(SIGALRM, &sa, &old);
  itimerval timer = {{0, 0}, {0, 100000}}, off = {{0, 0}, {0, 0}};
  setitimer(ITIMER_REAL, &timer, nullptr);
  r = RunTwoOpt(big, kLevel1, &out);
  setitimer(ITIMER_REAL, &off, nullptr);
  sigaction(SIGALRM, &old, nullptr);
  pvc::g_interrupt = 0;
  EXPECT_EQ(r, nullptr);
  delete r;
  EXPECT_NE(out.find("HPlusProcheVoisin: fin"), std::string::npos);
  const std::string tail = "H2Opt: interrompu\n";
  ASSERT_GE(out.size(), tail.size());
  EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
}

}  // namespace

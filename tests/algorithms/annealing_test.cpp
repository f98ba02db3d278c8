// The simulated annealing: schedule arithmetic, and a whole run against a plain array
// reimplementation that draws rand() in the documented order.
#include "algorithms/annealing.h"

#include <gtest/gtest.h>
#include <sys/time.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "algorithms/algorithms.h"
#include "algorithms/tour_test_util.h"

namespace {

using tourtest::Lines;

constexpr unsigned long kLevel1 = 1ul << 16, kLevel2 = 2ul << 16, kLevel3 = 3ul << 16, kLevel4 = 4ul << 16;

unsigned long Option(unsigned byte) { return static_cast<unsigned long>(byte) << 24; }

std::string F(float v) {
  char buf[64];
  snprintf(buf, sizeof buf, "%f", static_cast<double>(v));
  return buf;
}

TEST(HRecuitSimuleSchedule, OptionByteSetsStagesAndTransitions) {
  const unsigned n = 10;
  const std::pair<unsigned, std::pair<uint32_t, uint32_t>> cases[] = {
      {0, {35, 280}}, {36, {20, 80}}, {15, {75, 280}}, {240, {35, 600}}, {0x11, {5, 40}}};
  for (const auto& c : cases) {
    pvc::AnnealingSchedule s = pvc::AnnealingScheduleOf(Option(c.first) | kLevel2 | 5, n);
    EXPECT_EQ(s.stages, c.second.first) << "option " << c.first;
    EXPECT_EQ(s.transitions, c.second.second) << "option " << c.first;
  }
}

TEST(HRecuitSimuleSchedule, WorkedTemperatures) {
  const float tlen = pvc::AnnealingTypicalLength(1000, 100);
  EXPECT_EQ(tlen, 100.0f);
  float t = pvc::AnnealingInitialTemperature(tlen);
  std::vector<std::string> got;
  for (int k = 0; k < 4; ++k, t = pvc::AnnealingCool(t)) got.push_back(F(t));
  EXPECT_EQ(got, (std::vector<std::string>{"71.428574", "66.428574", "61.778572", "57.454071"}));
  // The same values in the traces of a run: headline and stage lines.
  EuclidianGraphe g(100);
  tourtest::Fill(g, 1000, 1000, 4);
  std::string out = CaptureStdout([&] { delete PVC_HRecuitSimule(&g, Option(0x14) | kLevel2); });
  std::vector<std::string> lines = Lines(out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0],
            "HRecuitSimule: algorithme du plus proche voisin, graphe de 100 sommets, 20 paliers de 400 transitions, "
            "temperature initiale 71.428574");
  std::vector<std::string> stages;
  for (const std::string& l : lines)
    if (l.rfind("HRecuitSimule: temperature=", 0) == 0) stages.push_back(l.substr(27, 9));
  ASSERT_EQ(stages.size(), 20u);
  // The factor 0.93 is applied in double; a single-precision factor would drift from here
  // (24.050064).
  EXPECT_EQ(stages[15], "24.050062");
  stages.resize(4);
  EXPECT_EQ(stages, (std::vector<std::string>{"71.428574", "66.428574", "61.778572", "57.454071"}));
}

TEST(HRecuitSimuleSchedule, MetropolisComparisonIsExact) {
  // Gain 0 at a positive temperature: 2^31 - 1 rounds up to 2^31 and beats every draw,
  // including those that a float comparison would round up to 2^31 as well.
  const float zero = pvc::MetropolisThreshold(0, 0.001f);
  EXPECT_EQ(zero, 2147483648.0f);
  EXPECT_TRUE(pvc::MetropolisAccepts(zero, 2147483647));
  EXPECT_TRUE(pvc::MetropolisAccepts(zero, 2147483584));
  // A threshold equal to the draw does not accept; one just above does.
  EXPECT_FALSE(pvc::MetropolisAccepts(1000.0f, 1000));
  EXPECT_TRUE(pvc::MetropolisAccepts(1000.0f, 999));
  // Temperature 0: gain 0 gives NaN (never accepts), a loss gives 0 (never above a draw).
  EXPECT_TRUE(std::isnan(pvc::MetropolisThreshold(0, 0.0f)));
  EXPECT_FALSE(pvc::MetropolisAccepts(pvc::MetropolisThreshold(0, 0.0f), 0));
  EXPECT_EQ(pvc::MetropolisThreshold(-5, 0.0f), 0.0f);
  EXPECT_FALSE(pvc::MetropolisAccepts(0.0f, 0));
  // The quotient is formed in double: exp(-1/3) x (2^31 - 1), rounded once to float.
  EXPECT_EQ(pvc::MetropolisThreshold(-1, 3.0f), static_cast<float>(std::exp(-1.0 / 3.0) * 2147483647.0));
}

// The annealing rewritten on arrays. Each record keeps an identity (its index in the ring
// as built) and its stored pair of vertices; the tour is held in the start record's order
// of travel, which follows the record's stored direction, as a fresh cursor reads it.
struct ReferenceRun {
  std::vector<std::string> inversions;
  std::set<tourtest::Edge> edges;
};

ReferenceRun ReferenceAnnealing(const EuclidianGraphe& g, const std::vector<int>& start, unsigned long options) {
  ReferenceRun out;
  const int n = static_cast<int>(start.size());
  const pvc::AnnealingSchedule s = pvc::AnnealingScheduleOf(options, n);
  float temperature = pvc::AnnealingInitialTemperature(pvc::AnnealingTypicalLength(g.GetMaxCoord(), n));
  std::vector<int> t = start;        // t[k] -> t[k+1] is travelled by record rec[k]
  std::vector<int> rec(n);
  std::vector<std::pair<int, int>> stored(n);
  for (int k = 0; k < n; ++k) rec[k] = k, stored[k] = {t[k], t[(k + 1) % n]};
  auto w = [&](int a, int b) { return static_cast<long long>(g.Get(a, b)); };
  char line[120];
  for (uint32_t st = 0; st < s.stages; ++st) {
    for (uint32_t tr = 0; tr < s.transitions; ++tr) {
      const int dep = static_cast<int>(static_cast<unsigned>(rand()) % n);
      const int pos = static_cast<int>(std::find(rec.begin(), rec.end(), dep) - rec.begin());
      // Re-express the tour from dep in its stored direction.
      std::vector<int> v(n), r(n);
      const bool forward = stored[dep].first == t[pos];
      for (int m = 0; m < n; ++m) {
        if (forward) {
          v[m] = t[(pos + m) % n], r[m] = rec[(pos + m) % n];
        } else {
          v[m] = t[(pos - m + 1 + 2 * n) % n], r[m] = rec[(pos - m + 2 * n) % n];
        }
      }
      t = v, rec = r;
      int ai = -1, aj = -1;
      for (int i = 0; i + 2 < n && ai < 0; ++i)
        for (int j = i + 2; j < n; ++j) {
          const long long gain = w(v[i], v[i + 1]) + w(v[j], v[(j + 1) % n]) - w(v[i], v[j]) - w(v[i + 1], v[(j + 1) % n]);
          bool accept = gain > 0;
          if (!accept) {
            const float seuil =
                static_cast<float>(std::exp(static_cast<double>(gain) / static_cast<double>(temperature)) * 2147483647.0);
            const int rnd = rand();
            accept = static_cast<double>(seuil) > static_cast<double>(rnd);
          }
          if (accept) {
            ai = i, aj = j;
            break;
          }
        }
      if (ai < 0) continue;
      const int S1i = v[ai], S2i = v[ai + 1], S1j = v[aj], S2j = v[(aj + 1) % n];
      snprintf(line, sizeof line, "HRecuitSimule: inversion %d-%d et %d-%d", S1i, S2i, S1j, S2j);
      out.inversions.push_back(line);
      // The first record now ends at S1j, the second starts at S2i; the stretch between
      // them is travelled backwards by the same records.
      auto& A = stored[rec[ai]];
      (A.first == S2i ? A.first : A.second) = S1j;
      auto& B = stored[rec[aj]];
      (B.first == S1j ? B.first : B.second) = S2i;
      std::reverse(t.begin() + ai + 1, t.begin() + aj + 1);
      std::reverse(rec.begin() + ai + 1, rec.begin() + aj);
    }
    temperature = pvc::AnnealingCool(temperature);
  }
  out.edges = tourtest::EdgesOf(t);
  return out;
}

std::vector<std::string> Inversions(const std::string& out) {
  std::vector<std::string> got;
  for (const std::string& l : Lines(out))
    if (l.rfind("HRecuitSimule: inversion", 0) == 0) got.push_back(l);
  return got;
}

// Same inversions, same final tour and the same number of rand() draws as the reference,
// at positive temperatures (only first rows), low ones and temperature 0 (every row).
TEST(HRecuitSimule, MatchesArrayReimplementation) {
  struct Case {
    uint32_t maxcoord, coordmax;
    unsigned option;
  };
  const Case cases[] = {{100, 100, 0x11}, {1000, 100, 0x21}, {1, 1000, 0x12}, {0, 1000, 0x11}, {100, 5, 0x11}};
  unsigned seed = 1;
  for (const Case& c : cases)
    for (int n = 3; n <= 13; n += 2)
      for (int trial = 0; trial < 3; ++trial, ++seed) {
        EuclidianGraphe g(n);
        tourtest::Fill(g, c.maxcoord, c.coordmax, seed);
        tArretes* nn = nullptr;
        CaptureStdout([&] { nn = PVC_HPlusProcheVoisin(&g, 0); });
        const std::vector<int> start = tourtest::SequenceOf(*nn);
        delete nn;
        const unsigned long options = Option(c.option) | kLevel3;

        srand(seed);
        ReferenceRun ref = ReferenceAnnealing(g, start, options);
        const int ref_next = rand();

        srand(seed);
        tArretes* r = nullptr;
        std::string out = CaptureStdout([&] { r = PVC_HRecuitSimule(&g, options); });
        const int next = rand();
        SCOPED_TRACE(testing::Message() << "n=" << n << " maxcoord=" << c.maxcoord << " seed=" << seed);
        ASSERT_NE(r, nullptr);
        EXPECT_TRUE(tourtest::IsTour(*r));
        EXPECT_EQ(Inversions(out), ref.inversions);
        EXPECT_EQ(tourtest::EdgesOf(*r), ref.edges);
        EXPECT_EQ(next, ref_next) << "rand() consumed differently";
        delete r;
      }
}

int DrawsUntil(unsigned seed, int value) {
  srand(seed);
  for (int k = 1; k < 1000000; ++k)
    if (rand() == value) return k;
  return -1;
}

TEST(HRecuitSimule, TwoAndThreeVertices) {
  // n = 2: no pair is ever examined; one draw per transition.
  EuclidianGraphe two(2);
  tourtest::Fill(two, 100, 100, 1);
  srand(42);
  std::string out = CaptureStdout([&] {
    tArretes* r = PVC_HRecuitSimule(&two, Option(0x11) | kLevel4);
    EXPECT_NE(r, nullptr);
    delete r;
  });
  EXPECT_EQ(DrawsUntil(42, rand()), 5 * 8 + 1);
  EXPECT_EQ(out.find("gain de"), std::string::npos);
  size_t transitions = 0;
  for (const std::string& l : Lines(out)) transitions += l.rfind("transition ", 0) == 0;
  EXPECT_EQ(transitions, 40u);

  // n = 3: the only pair has gain 0 and is accepted every time; the tour stays the same.
  EuclidianGraphe three(3);
  tourtest::Fill(three, 100, 100, 2);
  srand(43);
  tArretes* r = nullptr;
  out = CaptureStdout([&] { r = PVC_HRecuitSimule(&three, Option(0x11) | kLevel3); });
  ASSERT_NE(r, nullptr);
  EXPECT_TRUE(tourtest::IsTour(*r));
  delete r;
  EXPECT_EQ(Inversions(out).size(), 5u * 12u);
  EXPECT_EQ(DrawsUntil(43, rand()), 5 * 12 * 2 + 1);
}

TEST(HRecuitSimule, ZeroBoundNeverAccepts) {
  // Range 0: all weights and the temperature are 0; every examined pair is 0/0, NaN.
  const int n = 6;
  EuclidianGraphe g(n);
  tourtest::Fill(g, 0, 0, 1);
  srand(7);
  tArretes* r = nullptr;
  std::string out = CaptureStdout([&] { r = PVC_HRecuitSimule(&g, Option(0x11) | kLevel4); });
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(tourtest::SequenceOf(*r), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  delete r;
  EXPECT_TRUE(Inversions(out).empty());
  // 0.0 / 0.0 is the processor's default NaN, which printf shows as "-nan" on x86.
  EXPECT_NE(out.find("nan/2147483647, jet de "), std::string::npos);
  const int transitions = 5 * 4 * n, pairs = (n - 1) * (n - 2) / 2;
  EXPECT_EQ(DrawsUntil(7, rand()), transitions * (1 + pairs) + 1);
}

TEST(HRecuitSimule, LevelLines) {
  EuclidianGraphe g(7);
  tourtest::Fill(g, 100, 100, 9);
  std::string out = CaptureStdout([&] { delete PVC_HRecuitSimule(&g, Option(0x11) | kLevel1); });
  std::vector<std::string> own;
  for (const std::string& l : Lines(out))
    if (l.rfind("HRecuitSimule:", 0) == 0) own.push_back(l);
  ASSERT_EQ(own.size(), 3u);
  EXPECT_EQ(own[1], "HRecuitSimule: recherche d'une solution initiale");
  EXPECT_EQ(own[2].rfind("HRecuitSimule: fin, circuit de longueur ", 0), 0u);
  out = CaptureStdout([&] { delete PVC_HRecuitSimule(&g, Option(0x11)); });
  EXPECT_EQ(out, "");
  // Level 4: one "gain de" line per examined pair, one draw per non-improving pair.
  srand(3);
  out = CaptureStdout([&] { delete PVC_HRecuitSimule(&g, Option(0x11) | kLevel4); });
  size_t draws = 0, transitions = 0;
  for (const std::string& l : Lines(out)) {
    transitions += l.rfind("transition ", 0) == 0;
    draws += l.find(", jet de ") != std::string::npos;
  }
  EXPECT_EQ(transitions, 5u * 28u);
  EXPECT_EQ(DrawsUntil(3, rand()), static_cast<int>(transitions + draws + 1));
}

TEST(HRecuitSimule, DrawIntervalDrawsAfterEveryAcceptedExchange) {
  // Three vertices: every transition accepts its gain-0 pair, draws and pauses 10 ms; two
  // vertices: nothing is ever accepted, so nothing is drawn after the nearest neighbour.
  for (int n : {2, 3}) {
    EuclidianGraphe g(n);
    tourtest::Fill(g, 100, 100, 4);
    std::string out = CaptureStdout([&] { delete PVC_HRecuitSimule(&g, Option(0x11) | kLevel3 | 1); });
    size_t draws = 0;
    for (const std::string& l : Lines(out)) draws += l == "Drawing disabled in this special edition";
    EXPECT_EQ(Inversions(out).size(), n == 3 ? 60u : 0u);
    EXPECT_EQ(draws, n - 1 + Inversions(out).size());  // n - 1 from the nearest neighbour
  }
}

TEST(HRecuitSimule, EveryAllocationFailureIsReported) {
  EuclidianGraphe g(6);
  tourtest::Fill(g, 100, 100, 5);
  const unsigned long total = tourtest::WalkAcquisitionFailures(
      [&] {
        srand(1);
        return PVC_HRecuitSimule(&g, Option(0x11) | kLevel1);
      },
      "HRecuitSimule: erreur, memoire insuffisante\n");
  EXPECT_GT(total, 20u);
}

volatile std::sig_atomic_t* g_flag = &pvc::g_interrupt;
void OnAlarm(int) { *g_flag = 1; }

TEST(HRecuitSimule, InterruptionReturnsNull) {
  EuclidianGraphe g(20);
  tourtest::Fill(g, 100, 100, 2);
  pvc::g_interrupt = 1;
  std::string out = CaptureStdout([&] { EXPECT_EQ(PVC_HRecuitSimule(&g, kLevel1), nullptr); });
  pvc::g_interrupt = 0;
  EXPECT_NE(out.find("HPlusProcheVoisin: interrompu\nHRecuitSimule: interrompu\n"), std::string::npos) << out;

  // Set by a signal during the transitions of a long schedule (75 stages of 60 x 400).
  EuclidianGraphe big(400);
  tourtest::Fill(big, 1000, 1000, 3);
  struct sigaction sa = {}, old = {};
  sa.sa_handler = OnAlarm;
  sigaction(SIGALRM, &sa, &old);
  itimerval timer = {{0, 0}, {0, 100000}}, off = {{0, 0}, {0, 0}};
  setitimer(ITIMER_REAL, &timer, nullptr);
  tArretes* r = nullptr;
  out = CaptureStdout([&] { r = PVC_HRecuitSimule(&big, Option(0xFF) | kLevel1); });
  setitimer(ITIMER_REAL, &off, nullptr);
  sigaction(SIGALRM, &old, nullptr);
  pvc::g_interrupt = 0;
  EXPECT_EQ(r, nullptr);
  delete r;
  EXPECT_NE(out.find("HPlusProcheVoisin: fin"), std::string::npos);
  const std::string tail = "HRecuitSimule: interrompu\n";
  ASSERT_GE(out.size(), tail.size());
  EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
}

}  // namespace

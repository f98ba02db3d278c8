// The simulated annealing: schedule arithmetic, and whole runs against a plain array
// reimplementation that draws the generator at the same points and prints the same trace.
#include "algorithms/annealing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "graph/random.h"
#include "support/tour.h"

namespace {

// The option byte's two nibbles; the temperatures and their roundings show in the
// transcripts' stage lines.
TEST(HRecuitSimule, OptionByte) {
  const unsigned cases[][3] = {{0, 35, 280}, {36, 20, 80}, {15, 75, 280}, {240, 35, 600}, {0x11, 5, 40}};
  for (const auto& c : cases) {
    pvc::AnnealingSchedule s = pvc::AnnealingScheduleOf(pvc::OptionsWord(5, 2, c[0]), 10);
    EXPECT_TRUE(s.stages == c[1] && s.transitions == c[2]) << "option " << c[0];
  }
}

// The cached acceptance test against the literal one at the edges of its shortcuts: gains
// on and off its grid, around its cut-off (beyond 30 x temperature, and 4096 where the grid
// starts to space), draws of 0, 1, right at the threshold and 2^31 - 1, gain 0 (2^31 beats
// every draw), temperature 0 (NaN for gain 0, 0 for a loss). The thresholds themselves are
// held to the literal formula by the level-4 traces below.
TEST(HRecuitSimule, CachedAcceptanceMatchesTheLiteralTest) {
  pvc::MetropolisCache cache;
  for (float t : {0.0f, 0.001f, 35.714287f, 136.5f, 137.0f, 2.2e5f, 1.7e9f}) {
    cache.Reset(t);
    for (double loss : {0.0, 1.0 * t, 15.0 * t, 20.0 * t, 29.99 * t, 30.0 * t, 30.01 * t, 61.0 * t, 4096.0, 5000.0})
      for (long long d : {1, 0, -1, -2}) {
        const long long gain = std::min(0LL, d - static_cast<long long>(loss));
        const float s = pvc::MetropolisThreshold(gain, t);
        const double f = std::isnan(s) ? 0.0 : std::floor(s);
        for (double r : {0.0, 1.0, f - 1, f, f + 1, 2147483647.0}) {
          if (r < 0 || r > 2147483647.0) continue;
          EXPECT_EQ(cache.Accepts(gain, static_cast<int>(r)), pvc::MetropolisAccepts(s, static_cast<int>(r)))
              << "temperature " << t << " gain " << gain << " draw " << r;
        }
      }
  }
}

// The annealing rewritten on arrays; returns the level-4 lines of the stages (temperature,
// transition, gain and inversion lines) and puts the final tour's edges in *edges. Each
// record keeps an identity (its index in the ring as built) and its stored pair of
// vertices; the tour is held in the start record's order of travel, which follows the
// record's stored direction, as a fresh cursor reads it.
std::vector<std::string> ReferenceAnnealing(const EuclidianGraphe& g, std::vector<int> t, unsigned long options,
                                            std::set<tour::Edge>* edges) {
  std::vector<std::string> out;
  const int n = static_cast<int>(t.size());
  const pvc::AnnealingSchedule s = pvc::AnnealingScheduleOf(options, n);
  float temperature = pvc::AnnealingInitialTemperature(pvc::AnnealingTypicalLength(g.GetMaxCoord(), n));
  std::vector<int> rec(n);  // t[k] -> t[k+1] is travelled by record rec[k]
  std::vector<std::pair<int, int>> stored(n);
  for (int k = 0; k < n; ++k) rec[k] = k, stored[k] = {t[k], t[(k + 1) % n]};
  auto w = [&](int a, int b) { return static_cast<long long>(g.Get(a, b)); };
  char line[160];
  for (uint32_t st = 0; st < s.stages; ++st, temperature = pvc::AnnealingCool(temperature)) {
    snprintf(line, sizeof line, "HRecuitSimule: temperature=%f, (circuit actuel: %lld)", temperature,
             n == 2 ? w(t[0], t[1]) : tour::Length(g, t));  // two vertices: one edge
    out.push_back(line);
    for (uint32_t tr = 0; tr < s.transitions; ++tr) {
      out.push_back("transition " + std::to_string(tr) + " sur " + std::to_string(s.transitions));
      const int dep = static_cast<int>(static_cast<unsigned>(pvc::Random()) % n);
      const int pos = static_cast<int>(std::find(rec.begin(), rec.end(), dep) - rec.begin());
      // Re-express the tour from dep in its stored direction.
      std::vector<int> v(n), r(n);
      const bool forward = stored[dep].first == t[pos];
      for (int m = 0; m < n; ++m) {
        v[m] = forward ? t[(pos + m) % n] : t[(pos - m + 1 + 2 * n) % n];
        r[m] = forward ? rec[(pos + m) % n] : rec[(pos - m + 2 * n) % n];
      }
      t = v, rec = r;
      int ai = -1, aj = -1;
      for (int i = 0; i + 2 < n && ai < 0; ++i)
        for (int j = i + 2; j < n && ai < 0; ++j) {
          const long long gain = w(v[i], v[i + 1]) + w(v[j], v[(j + 1) % n]) - w(v[i], v[j]) - w(v[i + 1], v[(j + 1) % n]);
          bool accept = gain > 0;
          if (accept) {
            snprintf(line, sizeof line, "gain de %lld, acceptation automatique", gain);
          } else {
            const float seuil =
                static_cast<float>(std::exp(static_cast<double>(gain) / static_cast<double>(temperature)) * 2147483647.0);
            const int rnd = pvc::Random();
            snprintf(line, sizeof line, "gain de %lld, probabilite de transition de %f/2147483647, jet de %d", gain,
                     static_cast<double>(seuil), rnd);
            accept = static_cast<double>(seuil) > static_cast<double>(rnd);
          }
          out.push_back(line);
          if (accept) ai = i, aj = j;
        }
      if (ai < 0) continue;
      const int S1i = v[ai], S2i = v[ai + 1], S1j = v[aj], S2j = v[(aj + 1) % n];
      snprintf(line, sizeof line, "HRecuitSimule: inversion %d-%d et %d-%d", S1i, S2i, S1j, S2j);
      out.push_back(line);
      // The first record now ends at S1j, the second starts at S2i; the stretch between
      // them is travelled backwards by the same records.
      auto &A = stored[rec[ai]], &B = stored[rec[aj]];
      (A.first == S2i ? A.first : A.second) = S1j;
      (B.first == S1j ? B.first : B.second) = S2i;
      std::reverse(t.begin() + ai + 1, t.begin() + aj + 1);
      std::reverse(rec.begin() + ai + 1, rec.begin() + aj);
    }
  }
  *edges = tour::EdgesOf(t);
  return out;
}

// The lines of the stages that an output level prints, among the reference's level-4 lines.
std::vector<std::string> AtLevel(const std::vector<std::string>& lines, int level) {
  std::vector<std::string> out;
  for (const std::string& l : lines)
    for (const char* p : {"transition ", "gain de ", "HRecuitSimule: inv", "HRecuitSimule: temp"})
      if (l.rfind(p, 0) == 0 && (level >= 4 || p[0] == 'H')) out.push_back(l);
  return out;
}

// Same trace, same final tour and the same number of draws of the generator as the reference, at
// level 4 (every threshold computed and printed) and level 3 (thresholds from the cache:
// the inversion lines show every accepted exchange), with the weights from the square copy
// and from the triangle. Positive temperatures (only first rows), low ones, temperature 0
// (bound 0: every examined pair is 0/0 or a loss over 0, never accepted; 0.0 / 0.0 is the
// processor's default NaN, printed "-nan" on x86), weights 0-4 full of ties, temperatures
// that space the cache's grid, weights beyond 2^31. Two vertices examine no pair at all.
TEST(HRecuitSimule, MatchesArrayReimplementation) {
  const unsigned cases[][3] = {{100, 100, 0x11}, {1000, 100, 0x21}, {1, 1000, 0x12},        {0, 1000, 0x11},
                               {100, 3, 0x11},   {1000000, 1000000, 0x11}, {2147483647, 2147483647, 0x11}};
  const fExec triangle = [](EuclidianGraphe* e, unsigned long o) { return pvc::HRecuitSimule(e, o, false); };
  unsigned seed = 1;
  for (const auto& c : cases)
    for (int n = 2; n <= 13; n += n < 3 ? 1 : 2)
      for (int trial = 0; trial < 3; ++trial, ++seed) {
        EuclidianGraphe g(n);
        tour::Fill(g, c[0], c[1], seed);
        const std::vector<int> start = tour::SequenceOf(*tour::Run(PVC_HPlusProcheVoisin, g, 0));
        pvc::SeedRandom(seed);
        std::set<tour::Edge> edges;
        const std::vector<std::string> ref = ReferenceAnnealing(g, start, pvc::OptionsWord(0, 4, c[2]), &edges);
        const int ref_next = pvc::Random();
        for (int variant = 0; variant < 4; ++variant) {
          const int level = 3 + variant % 2;
          pvc::SeedRandom(seed);
          std::string out;
          const auto r = tour::Run(variant < 2 ? PVC_HRecuitSimule : triangle, g, pvc::OptionsWord(0, level, c[2]), &out);
          const int next = pvc::Random();
          SCOPED_TRACE(testing::Message() << "n=" << n << " maxcoord=" << c[0] << " seed=" << seed << " v=" << variant);
          ASSERT_NE(r, nullptr);
          EXPECT_EQ(AtLevel(tour::Lines(out), level), AtLevel(ref, level));
          EXPECT_EQ(tour::EdgesOf(*r), edges);
          EXPECT_EQ(next, ref_next) << "generator consumed differently";
        }
      }
}

// Three vertices: the only pair has gain 0 and is accepted every time (the inversion lines
// are held to the reference above); the tour stays, yet every transition draws and pauses.
TEST(HRecuitSimule, ThreeVerticesDrawAfterEveryAcceptedExchange) {
  EuclidianGraphe three(3);
  tour::Fill(three, 100, 100, 2);
  std::string out;
  tour::Run(PVC_HRecuitSimule, three, pvc::OptionsWord(1, 3, 0x11), &out);
  EXPECT_EQ(tour::Lines(out, "Drawing").size(), 2u + 60u);  // 2 from the nearest neighbour
}

}  // namespace

// Helpers shared by the algorithm tests: reproducible instances, runs with their output,
// and tours read back as edge sets and vertex sequences.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "algorithms/algorithms.h"
#include "support/capture.h"

namespace tour {

using Edge = std::pair<int, int>;

/// Coordinates drawn from seed in 0 .. coordmax, truncated Euclidean weights; the
/// instance's coordinate bound (MaxCoord) is maxcoord.
inline void Fill(EuclidianGraphe& g, uint32_t maxcoord, uint32_t coordmax, unsigned seed) {
  g.Generate(maxcoord, 1, seed, nullptr);
  std::mt19937 gen(seed);
  std::uniform_int_distribution<uint32_t> d(0, coordmax);
  const int n = static_cast<int>(g.GetSommets());
  for (int i = 0; i < n; ++i) *g.GetCoords(i) = Point2D{d(gen), d(gen)};
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) g.Set(i, j, EuclideanWeight(*g.GetCoords(i), *g.GetCoords(j)));
}

/// An instance of points as `random` makes it (Fill's coordinates), its weights computed
/// on every request: the algorithms take their paths for large instances.
inline std::unique_ptr<EuclidianGraphe> Computed(int n, uint32_t coordmax, unsigned seed) {
  std::unique_ptr<EuclidianGraphe> g(new EuclidianGraphe(n, Metric::kTruncated));
  Fill(*g, 1000, coordmax, seed);
  g->ComputeWeights();
  return g;
}

/// n points of a kind, drawn from seed: 0 uniform in 0 .. range, 1 each point drawn twice
/// or more (duplicates), 2 clustered around a few centres spread over 0 .. range.
inline std::vector<Point2D> Scatter(int n, int kind, uint32_t range, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_int_distribution<uint32_t> d(0, range);
  std::vector<Point2D> out;
  std::vector<Point2D> centres;
  for (int c = 0; c < 4; ++c) centres.push_back({d(gen), d(gen)});
  const uint32_t spread = range / 50 + 1;
  std::uniform_int_distribution<uint32_t> near(0, 2 * spread);
  while (static_cast<int>(out.size()) < n) {
    if (kind == 1 && !out.empty() && gen() % 2) {
      out.push_back(out[gen() % out.size()]);
    } else if (kind == 2) {
      const Point2D c = centres[gen() % centres.size()];
      const uint32_t x = c.x + near(gen), y = c.y + near(gen);
      out.push_back({x > spread ? x - spread : 0, y > spread ? y - spread : 0});
    } else {
      out.push_back({d(gen), d(gen)});
    }
  }
  return out;
}

/// An instance of the given points, weights computed on every request.
inline std::unique_ptr<EuclidianGraphe> OfPoints(const std::vector<Point2D>& points) {
  const int n = static_cast<int>(points.size());
  std::unique_ptr<EuclidianGraphe> g(new EuclidianGraphe(n, Metric::kTruncated));
  g->Generate(1000, 1, 1, nullptr);
  for (int i = 0; i < n; ++i) *g->GetCoords(i) = points[i];
  g->ComputeWeights();
  return g;
}

/// The weights of g as a matrix instance, which the algorithms run by sweeps.
inline std::unique_ptr<EuclidianGraphe> AsMatrix(const Graphe& g) {
  const int n = static_cast<int>(g.GetSommets());
  std::unique_ptr<EuclidianGraphe> m(new EuclidianGraphe(n));
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) m->Set(i, j, g.Get(i, j));
  return m;
}

/// Arbitrary symmetric weights drawn from seed in lo .. hi (narrow ranges give many ties).
inline void FillRandom(Graphe& g, uint32_t lo, uint32_t hi, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_int_distribution<uint32_t> d(lo, hi);
  const int n = static_cast<int>(g.GetSommets());
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) g.Set(i, j, d(gen));
}

/// A matrix instance of n vertices, its weights drawn by FillRandom.
inline std::unique_ptr<EuclidianGraphe> Matrix(int n, uint32_t lo, uint32_t hi, unsigned seed) {
  std::unique_ptr<EuclidianGraphe> g(new EuclidianGraphe(n));
  FillRandom(*g, lo, hi, seed);
  return g;
}

/// Runs an algorithm, its output captured into *out when given; its tour (null when it failed).
inline std::unique_ptr<tArretes> Run(fExec f, EuclidianGraphe& g, unsigned long options, std::string* out = nullptr) {
  tArretes* r = nullptr;
  std::string text = CaptureStdout([&] { r = f(&g, options); });
  if (out) *out = text;
  return std::unique_ptr<tArretes>(r);
}

/// The lines of text that start with prefix.
inline std::vector<std::string> Lines(const std::string& text, const std::string& prefix = "") {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
    if (text.compare(start, prefix.size(), prefix) == 0) out.push_back(text.substr(start, nl - start));
  return out;
}

inline std::set<Edge> EdgesOf(const tArretes& t) {
  std::set<Edge> out;
  tArrete* c = nullptr;
  while (t.Get(&c)) out.insert({c->s1, c->s2});
  return out;
}

/// Edges of the closed tour t[0], ..., t[n-1], t[0].
inline std::set<Edge> EdgesOf(const std::vector<int>& t) {
  std::set<Edge> out;
  for (size_t k = 0; k < t.size(); ++k) out.insert(std::minmax(t[k], t[(k + 1) % t.size()]));
  return out;
}

/// The tour as the sequence 0, c1, ..., c(n-1); empty when the set is no tour.
inline std::vector<int> SequenceOf(tArretes& t) {
  int* c = t.CircuitAsArray();
  if (!c) return {};
  std::vector<int> out(c, c + t.GetSommets());
  free(c);
  return out;
}

/// True when the set is one cycle through every vertex (for two vertices: their edge).
inline bool IsTour(tArretes& t) {
  const size_t n = t.GetSommets();
  std::vector<int> seq = SequenceOf(t);
  if (n == 2) return EdgesOf(t) == std::set<Edge>{{0, 1}};
  return seq.size() == n && EdgesOf(t) == EdgesOf(seq) && std::set<int>(seq.begin(), seq.end()).size() == n;
}

/// Runs f at level Detailed on points of each kind of Scatter in each range, and on the
/// same weights as a matrix (another path through the algorithm): the outputs must agree.
inline void ExpectPointsAsMatrix(fExec f, std::initializer_list<int> sizes, std::initializer_list<uint32_t> ranges,
                                 unsigned seed) {
  for (int n : sizes)
    for (int kind : {0, 1, 2})
      for (uint32_t range : ranges) {
        std::unique_ptr<EuclidianGraphe> points = OfPoints(Scatter(n, kind, range, ++seed));
        std::string fast, slow;
        const auto t = Run(f, *points, pvc::OptionsWord(0, Detailed), &fast);
        Run(f, *AsMatrix(*points), pvc::OptionsWord(0, Detailed), &slow);
        ASSERT_EQ(fast, slow) << "n " << n << " kind " << kind << " range " << range;
        EXPECT_TRUE(IsTour(*t));
      }
}

inline long long Length(const Graphe& g, const std::vector<int>& t) {
  long long sum = 0;
  for (size_t k = 0; k < t.size(); ++k) sum += g.Get(t[k], t[(k + 1) % t.size()]);
  return sum;
}

/// The nearest-neighbour walk by a literal scan: from vertex 0, each time the untaken
/// vertex of least (weight, number) from the last one.
inline std::vector<int> LiteralWalk(const Graphe& g) {
  const int n = static_cast<int>(g.GetSommets());
  std::vector<char> taken(n, 0);
  std::vector<int> out{0};
  taken[0] = 1;
  for (int k = 1; k < n; ++k) {
    int pick = -1;
    for (int v = 0; v < n; ++v)
      if (!taken[v] && (pick < 0 || g.Get(out.back(), v) < g.Get(out.back(), pick))) pick = v;
    taken[pick] = 1;
    out.push_back(pick);
  }
  return out;
}

/// The optimal tour length by Held and Karp's dynamic programming over subsets (n <= 20).
inline uint64_t Optimum(const Graphe& g) {
  const int n = static_cast<int>(g.GetSommets());
  const uint64_t kInf = UINT64_MAX / 4;
  std::vector<uint64_t> dp((size_t{1} << n) * n, kInf);
  dp[1 * n + 0] = 0;
  for (unsigned mask = 1; mask < (1u << n); mask += 2)
    for (int j = 0; j < n; ++j)
      for (int k = 1; k < n && dp[mask * n + j] != kInf; ++k)
        if (!(mask & (1u << k))) {
          uint64_t& t = dp[(mask | (1u << k)) * n + k];
          t = std::min(t, dp[mask * n + j] + g.Get(j, k));
        }
  uint64_t best = kInf;
  for (int j = 1; j < n; ++j) best = std::min(best, dp[((1u << n) - 1) * n + j] + g.Get(j, 0));
  return best;
}

}  // namespace tour

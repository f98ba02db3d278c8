// Helpers shared by the tests of the tour-improving algorithms: reproducible instances,
// reading tours back, and walking the fault hook over every acquisition of a run.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "containers/resources.h"
#include "graph/arretes.h"
#include "graph/graphe.h"
#include "support/capture.h"

namespace tourtest {

/// An instance of n vertices with coordinates drawn from seed in 0 .. coordmax and
/// truncated Euclidean weights; its coordinate bound (MaxCoord) is maxcoord.
inline void Fill(EuclidianGraphe& g, uint32_t maxcoord, uint32_t coordmax, unsigned seed) {
  CaptureStdout([&] { g.Randomise(maxcoord, 1); });
  std::mt19937 gen(seed);
  std::uniform_int_distribution<uint32_t> d(0, coordmax);
  const int n = static_cast<int>(g.GetSommets());
  for (int i = 0; i < n; ++i) *g.GetCoords(i) = Point2D{d(gen), d(gen)};
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) g.Set(i, j, EuclideanWeight(*g.GetCoords(i), *g.GetCoords(j)));
}

using Edge = std::pair<int, int>;

inline Edge Ordered(int a, int b) { return a < b ? Edge{a, b} : Edge{b, a}; }

inline std::set<Edge> EdgesOf(const tArretes& t) {
  std::set<Edge> out;
  tArrete* c = nullptr;
  while (t.Get(&c)) out.insert({c->s1, c->s2});
  return out;
}

/// Edges of the closed tour t[0], ..., t[n-1], t[0].
inline std::set<Edge> EdgesOf(const std::vector<int>& t) {
  std::set<Edge> out;
  for (size_t k = 0; k < t.size(); ++k) out.insert(Ordered(t[k], t[(k + 1) % t.size()]));
  return out;
}

/// Tour of an edge set as the sequence 0, c1, ..., c(n-1); empty when it is no tour.
inline std::vector<int> SequenceOf(tArretes& t) {
  std::vector<int> out;
  int* c = t.CircuitAsArray();
  if (!c) return out;
  out.assign(c, c + t.GetSommets());
  free(c);
  return out;
}

/// True when every vertex has degree 2 and the edges form one cycle through all vertices.
inline bool IsTour(tArretes& t) {
  const int n = static_cast<int>(t.GetSommets());
  std::set<Edge> edges = EdgesOf(t);
  if (n == 2) return edges == std::set<Edge>{{0, 1}};
  std::vector<int> degree(n, 0);
  for (const Edge& e : edges) ++degree[e.first], ++degree[e.second];
  for (int d : degree)
    if (d != 2) return false;
  std::vector<int> seq = SequenceOf(t);
  if (seq.size() != static_cast<size_t>(n)) return false;
  return std::set<int>(seq.begin(), seq.end()).size() == static_cast<size_t>(n);
}

inline long long Length(const Graphe& g, const std::vector<int>& t) {
  long long sum = 0;
  for (size_t k = 0; k < t.size(); ++k) sum += g.Get(t[k], t[(k + 1) % t.size()]);
  return sum;
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
    out.push_back(text.substr(start, nl - start));
  if (start < text.size()) out.push_back(text.substr(start));
  return out;
}

/// Makes the k-th acquisition of run() fail for k = 1, 2, ... until a run completes with
/// no failure injected; every failing run must return null and print the message.
/// Returns the number of acquisitions of the complete run.
template <class Run>
unsigned long WalkAcquisitionFailures(Run run, const std::string& message) {
  for (unsigned long k = 1;; ++k) {
    tArretes* result = nullptr;
    pvc::FailAcquisitionAt(k);
    std::string out = CaptureStdout([&] { result = run(); });
    const unsigned long count = pvc::AcquisitionCount();
    pvc::FailAcquisitionAt(0);
    if (count < k) {
      EXPECT_NE(result, nullptr) << "complete run";
      delete result;
      return count;
    }
    const bool ok = result == nullptr && out.find(message) != std::string::npos;
    EXPECT_TRUE(ok) << "failure at acquisition " << k << ":\n" << out;
    delete result;
    if (!ok) return 0;
  }
}

}  // namespace tourtest

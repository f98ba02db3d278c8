// Helpers shared by the tests of the tour-building algorithms.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "graph/arretes.h"
#include "graph/graphe.h"

namespace tourcheck {

inline std::vector<std::pair<int, int>> Edges(const tArretes& t) {
  std::vector<std::pair<int, int>> out;
  tArrete* c = nullptr;
  while (t.Get(&c)) out.emplace_back(c->s1, c->s2);
  return out;
}

/// True when the set is one cycle through all n vertices (for n = 2: the single edge).
inline bool IsTour(const tArretes& t, unsigned n) {
  std::vector<std::vector<int>> adj(n);
  for (auto e : Edges(t)) {
    adj[e.first].push_back(e.second);
    adj[e.second].push_back(e.first);
  }
  if (n == 2) return adj[0].size() == 1 && adj[1].size() == 1;
  for (auto& a : adj)
    if (a.size() != 2) return false;
  unsigned seen = 1;
  int prev = 0, cur = adj[0][0];
  while (cur != 0) {
    ++seen;
    int next = adj[cur][0] == prev ? adj[cur][1] : adj[cur][0];
    prev = cur;
    cur = next;
  }
  return seen == n;
}

/// Weights drawn uniformly from [0, range] (all 0 for range 0), reproducible.
inline void FillRandom(Graphe& g, uint32_t range, unsigned seed) {
  std::mt19937 rng(seed);
  unsigned n = g.GetSommets();
  for (unsigned i = 0; i < n; ++i)
    for (unsigned j = i + 1; j < n; ++j)
      g.Set(static_cast<int>(i), static_cast<int>(j), range == 0 ? 0 : static_cast<uint32_t>(rng() % (uint64_t(range) + 1)));
}

/// A Euclidean instance with reproducible coordinates in [0, side).
inline void FillEuclidean(EuclidianGraphe& g, uint32_t side, unsigned seed) {
  std::mt19937 rng(seed);
  unsigned n = g.GetSommets();
  for (unsigned i = 0; i < n; ++i) *g.GetCoords(static_cast<int>(i)) = Point2D{static_cast<uint32_t>(rng() % side), static_cast<uint32_t>(rng() % side)};
  for (unsigned i = 0; i < n; ++i)
    for (unsigned j = i + 1; j < n; ++j)
      g.Set(static_cast<int>(i), static_cast<int>(j),
            EuclideanWeight(*g.GetCoords(static_cast<int>(i)), *g.GetCoords(static_cast<int>(j))));
}

inline unsigned long CountLines(const std::string& s, const std::string& prefix) {
  unsigned long count = 0;
  size_t at = 0;
  while (at < s.size()) {
    size_t end = s.find('\n', at);
    if (end == std::string::npos) end = s.size();
    if (s.compare(at, prefix.size(), prefix) == 0) ++count;
    at = end + 1;
  }
  return count;
}

/// Options word with an output level and a draw interval.
inline unsigned long Opts(int level, unsigned interval = 0) {
  return (static_cast<unsigned long>(level) << 16) | interval;
}

}  // namespace tourcheck

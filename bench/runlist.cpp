#include "runlist.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>

namespace bench {
namespace {

constexpr unsigned long long kMaxCost = 1ull << 60;

unsigned long long Mul(unsigned long long a, unsigned long long b) {
  unsigned long long p;
  return __builtin_mul_overflow(a, b, &p) || p > kMaxCost ? kMaxCost : p;
}

unsigned BitLength(unsigned n) { return n ? 32 - static_cast<unsigned>(__builtin_clz(n)) : 0; }

std::string Join(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : ",") + item;
  return out;
}

}  // namespace

unsigned FileDimension(const std::string& path) {
  FILE* f = fopen(path.c_str(), "r");
  if (!f) return 0;
  char line[512];
  unsigned n = 0;
  for (int count = 0; count < 200 && fgets(line, sizeof line, f); ++count) {
    char* p = line;
    while (*p == ' ' || *p == '\t') ++p;
    if (strstr(p, "_SECTION") || strncmp(p, "EOF", 3) == 0) break;
    if (strncmp(p, "DIMENSION", 9) != 0) continue;
    p = strchr(p, ':');
    if (p) n = static_cast<unsigned>(strtoul(p + 1, nullptr, 10));
    break;
  }
  fclose(f);
  return n;
}

RunList BuildRunList(const Settings& s) {
  RunList list;
  if (!s.files.empty()) {
    for (const std::string& file : s.files) list.instances.push_back({file, Kind::kUniform, FileDimension(file), s.seed});
  } else {
    for (const std::string& size : s.sizes) {
      const unsigned n = static_cast<unsigned>(strtoul(size.c_str(), nullptr, 0));
      if (n < 2) continue;
      for (Kind kind : s.kinds)
        for (unsigned r = 0; r < s.reps; ++r) list.instances.push_back({"", kind, n, s.seed + r});
    }
  }
  for (unsigned i = 0; i < list.instances.size(); ++i) {
    if (s.bound) list.runs.push_back({i, kBoundRow});  // first: the rows after it show their excess
    for (int row : s.rows) list.runs.push_back({i, row});
  }
  return list;
}

unsigned long long RunCost(const Settings& s, int row, unsigned n) {
  // Constants from runs at range 10^6 on a quiet 2-core machine: the nearest neighbour
  // and the spanning tree about n log n, the insertion n^2 on stored weights (up to 5000
  // cities) and about n^1.5 log n on computed ones, the 2-opt about n^1.5 log n, the
  // annealing and the elastic net n^2 with large constants, the branch and bound four
  // times longer for each city beyond 10, the bound about linear.
  if (n < 2) n = 1000;  // a file whose header does not say
  const unsigned long long nn = Mul(n, n), nlogn = Mul(n, BitLength(n));
  const unsigned long long n15logn = Mul(Mul(n, static_cast<unsigned long long>(std::sqrt(n))), BitLength(n));
  switch (row) {
    case 0: return Mul(nlogn, 23);
    case 1: return n <= 5000 ? Mul(nn, 9) : Mul(n15logn, 16);
    case 2: return Mul(n15logn, 8);
    case 3: return Mul(nn, 2500);
    case 4: return Mul(nlogn, 150);
    case 5: {
      if (n > s.max_exact) return 0;
      unsigned long long c = 7000000;
      if (n < 10) return c >> (2 * (10 - n));
      for (unsigned k = 10; k < n && c < kMaxCost; ++k) c = Mul(c, 4);
      return c;
    }
    case 6: return n > s.max_net ? 0 : Mul(nn, 13500);
    case kBoundRow: return Mul(n, 400000);  // a few thousand sparse iterations, fewer as n grows
    default: return Mul(nn, 10);
  }
}

std::vector<unsigned> SplitRuns(const Settings& s, const RunList& list, unsigned parts) {
  const size_t count = list.runs.size();
  std::vector<unsigned long long> cost(count);
  for (size_t i = 0; i < count; ++i)
    cost[i] = RunCost(s, list.runs[i].row, list.instances[list.runs[i].instance].n);
  std::vector<size_t> order(count);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return cost[a] > cost[b]; });
  // Beyond one part a run, the parts stay empty: no load is kept for them.
  std::vector<unsigned long long> load(std::max<size_t>(1, std::min<size_t>(parts, count)), 0);
  std::vector<unsigned> part(count, 0);
  for (size_t i : order) {
    const unsigned k = static_cast<unsigned>(std::min_element(load.begin(), load.end()) - load.begin());
    part[i] = k;
    load[k] = std::min(load[k] + cost[i], kMaxCost);
  }
  return part;
}

std::string SweepDefinition(const Settings& s, const RunList& list) {
  std::vector<std::string> items;
  std::string def;
  if (!s.files.empty()) {
    def = "--tsplib " + Join(s.files);
    if (!s.optima.empty()) def += " --optima " + s.optima;
  } else {
    for (const InstanceSpec& inst : list.instances)
      if (inst.seed == s.seed && inst.kind == s.kinds[0]) items.push_back(std::to_string(inst.n));
    std::vector<std::string> kinds;
    for (Kind kind : s.kinds) kinds.push_back(KindName(kind));
    def = "--n " + Join(items) + " --kind " + Join(kinds) + " --reps " + std::to_string(s.reps) + " --range " +
          std::to_string(s.range);
  }
  items.clear();
  for (int row : s.rows) items.push_back(std::to_string(row));
  return def + " --seed " + std::to_string(s.seed) + " --algo " + Join(items) + " --option " +
         std::to_string(s.option) + " --max-exact " + std::to_string(s.max_exact) + " --max-net " +
         std::to_string(s.max_net) + (s.bound ? " --bound" : "");
}

std::string FormatRanges(const std::vector<unsigned>& sorted) {
  std::string out;
  for (size_t i = 0; i < sorted.size();) {
    size_t j = i;
    while (j + 1 < sorted.size() && sorted[j + 1] == sorted[j] + 1) ++j;
    if (!out.empty()) out += ',';
    out += std::to_string(sorted[i]);
    if (j > i) out += '-' + std::to_string(sorted[j]);
    i = j + 1;
  }
  return out;
}

bool ParseRanges(const std::string& text, unsigned limit, size_t count, std::vector<unsigned>* out) {
  out->clear();
  const char* p = text.c_str();
  while (*p) {
    char* end;
    if (*p < '0' || *p > '9') return false;
    const unsigned long first = strtoul(p, &end, 10);
    unsigned long last = first;
    p = end;
    if (*p == '-') {
      if (p[1] < '0' || p[1] > '9') return false;
      last = strtoul(p + 1, &end, 10);
      p = end;
    }
    if (last < first || last >= limit || (!out->empty() && first <= out->back()) || last - first >= count - out->size())
      return false;
    for (unsigned long v = first; v <= last; ++v) out->push_back(static_cast<unsigned>(v));
    if (*p == ',' && p[1]) ++p;
    else if (*p) return false;
  }
  return true;
}

}  // namespace bench

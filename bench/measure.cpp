#include "measure.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bench {

double NowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// For a sequence of pseudo-random "last" vertices, Get(i, last) for every i. Below last the
// triangular layout strides across rows, above it the row is read in order, so the loop
// mixes the two patterns the algorithms meet. One trial runs for at least 20 ms, whole
// sweeps from one "last" vertex; the best of five trials is kept, so a burst of load on a
// shared machine does not inflate the cost.
double CalibrateLookup(const EuclidianGraphe& g) {
  const int n = static_cast<int>(g.GetSommets());
  volatile unsigned long long sink = 0;
  double best = -1;
  int last = 0;
  for (int trial = 0; trial < 5; ++trial) {
    unsigned long long sum = 0, count = 0;
    const double t0 = NowMs();
    double ms = 0;
    do {
      for (int i = 1; i < n; ++i) sum += g.Get(i, last);
      count += static_cast<unsigned long long>(n - 1);
      last = static_cast<int>((static_cast<unsigned>(last) * 7919u + 13u) % static_cast<unsigned>(n));
      ms = NowMs() - t0;
    } while (ms < 20.0);
    sink = sink + sum;
    const double ns = ms * 1e6 / static_cast<double>(count);
    if (best < 0 || ns < best) best = ns;
  }
  return best;
}

double Lookups(int row, const EuclidianGraphe* g) {
  const double n = g->GetSommets();
  const double nn = n * (n - 1) / 2;
  switch (row) {
    case 0:
      return nn;
    case 1: {
      double total = n - 1;  // step 1: one look-up per vertex
      for (double k = 2; k < n; ++k) total += (n - k) * k * 3;
      return total;
    }
    case 4:
      return n * n;
    default:
      return -1;
  }
}

void ResetPeakMemory() {
  FILE* f = fopen("/proc/self/clear_refs", "w");
  if (!f) return;
  fputs("5", f);
  fclose(f);
}

double PeakMemoryMiB() {
  FILE* f = fopen("/proc/self/status", "r");
  if (!f) return -1;
  char line[256];
  double kib = -1;
  while (fgets(line, sizeof line, f))
    if (strncmp(line, "VmHWM:", 6) == 0) kib = strtod(line + 6, nullptr);
  fclose(f);
  return kib < 0 ? -1 : kib / 1024;
}

}  // namespace bench

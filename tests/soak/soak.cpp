// Soak test, run by hand (not in CI): many random instances, every algorithm at every
// output level with small n; every result must be a valid tour. Run it in the asan build
// so that LeakSanitizer checks every run.
//   pvc-soak [instances] [max_n]
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <utility>

#include "algorithms/algorithms.h"

namespace {

// One cycle through all n vertices (for n = 2 the single edge).
bool ValidTour(tArretes& t, unsigned n) {
  std::set<std::pair<int, int>> edges;
  tArrete* c = nullptr;
  while (t.Get(&c)) edges.insert({c->s1, c->s2});
  int* seq = t.CircuitAsArray();
  bool ok = seq != nullptr && edges.size() == (n == 2 ? 1 : n);
  std::set<int> seen;
  for (unsigned k = 0; ok && k < n; ++k) {
    seen.insert(seq[k]);
    ok = n == 2 || edges.count(std::minmax(seq[k], seq[k + 1])) == 1;
  }
  free(seq);
  return ok && seen.size() == n;
}

}  // namespace

int main(int argc, char** argv) {
  const unsigned instances = argc > 1 ? static_cast<unsigned>(atoi(argv[1])) : 200;
  const unsigned max_n = argc > 2 ? static_cast<unsigned>(atoi(argv[2])) : 9;
  FILE* devnull = fopen("/dev/null", "w");
  const int saved = dup(1);
  unsigned runs = 0, failures = 0;
  for (unsigned k = 0; k < instances; ++k) {
    const unsigned n = 2 + k % (max_n - 1), range = k % 7 == 0 ? 0 : (k % 5 == 0 ? 3 : 1000);
    EuclidianGraphe g(static_cast<int>(n));
    g.Generate(range, 1 + k % 3, 1000 + k, nullptr);
    for (int row = 0; Algorithmes[row].Name; ++row)
      for (unsigned long level = 0; level <= 5; ++level, ++runs) {
        // Any option byte; the elastic net with its short schedule.
        const unsigned long options = pvc::OptionsWord(0, level, row == 6 ? 1 : k % 16);
        srand(k);
        fflush(stdout);
        dup2(fileno(devnull), 1);
        tArretes* t = Algorithmes[row].Execute(&g, options);
        fflush(stdout);
        dup2(saved, 1);
        if (!t || !ValidTour(*t, n))
          printf("FAIL %u: instance %u (n=%u range=%u) %s level %lu: %s\n", ++failures, k, n, range,
                 Algorithmes[row].Name, level, t ? "invalid tour" : "no tour");
        delete t;
      }
  }
  printf("%u runs, %u failures\n", runs, failures);
  return failures == 0 ? 0 : 1;
}

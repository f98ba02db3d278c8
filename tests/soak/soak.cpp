// Soak test, run by hand (not in CI): many random instances, every algorithm at every
// output level with small n; every result must be a valid tour whose recorded length is
// its Eval. Run it in the asan build so that LeakSanitizer checks every run.
//   pvc-soak [instances] [max_n]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "algorithms/algorithms.h"

namespace {

bool ValidTour(const tArretes& t, unsigned n) {
  std::vector<int> degree(n, 0);
  tArrete* c = nullptr;
  unsigned edges = 0;
  while (t.Get(&c)) {
    ++degree[c->s1];
    ++degree[c->s2];
    ++edges;
  }
  if (n == 2) return edges == 1;  // the closing edge repeats the only one
  if (edges != n) return false;
  for (unsigned v = 0; v < n; ++v)
    if (degree[v] != 2) return false;
  // One cycle: walk from 0 and come back after n steps.
  int prev = -1, cur = 0;
  for (unsigned k = 0; k < n; ++k) {
    tArrete* cursor = nullptr;
    int next = t.Get(&cursor, cur);
    if (next == prev) next = t.Get(&cursor, cur);
    prev = cur;
    cur = next;
    if (cur == 0 && k + 1 < n) return false;
  }
  return cur == 0;
}

}  // namespace

int main(int argc, char** argv) {
  unsigned instances = argc > 1 ? static_cast<unsigned>(atoi(argv[1])) : 200;
  unsigned max_n = argc > 2 ? static_cast<unsigned>(atoi(argv[2])) : 9;
  FILE* devnull = fopen("/dev/null", "w");
  int saved = dup(1);
  unsigned runs = 0, failures = 0;
  for (unsigned k = 0; k < instances; ++k) {
    unsigned n = 2 + k % (max_n - 1);
    unsigned range = (k % 7 == 0) ? 0 : (k % 5 == 0 ? 3 : 1000);
    EuclidianGraphe g(static_cast<int>(n));
    g.Generate(range, 1 + k % 3, 1000 + k, nullptr);
    for (int row = 0; Algorithmes[row].Name; ++row) {
      for (int level = 0; level <= 5; ++level) {
        unsigned long options = (static_cast<unsigned long>(level) << 16) | ((k % 16ul) << 24);
        if (row == 6) options = (options & 0x00FF0000ul) | (1ul << 24);  // short elastic schedule
        srand(k);
        fflush(stdout);
        dup2(fileno(devnull), 1);
        tArretes* t = Algorithmes[row].Execute(&g, options);
        fflush(stdout);
        dup2(saved, 1);
        ++runs;
        if (!t || !ValidTour(*t, n)) {
          ++failures;
          printf("FAIL: instance %u (n=%u range=%u) %s level %d: %s\n", k, n, range, Algorithmes[row].Name, level,
                 t ? "invalid tour" : "no tour");
        }
        delete t;
      }
    }
  }
  printf("%u runs, %u failures\n", runs, failures);
  fclose(devnull);
  return failures == 0 ? 0 : 1;
}

// pvc-bench: runs algorithms of the table on generated instances at output level 0 with
// drawing off, and prints one row per run: n, algorithm, tour length, wall milliseconds,
// and an efficiency ratio, the time divided by the cost of the weight look-ups the
// algorithm is defined to make. The cost of one look-up is measured in the same process
// by a calibration loop over the same instance, in the access pattern of a nearest-
// neighbour scan. A ratio near 1 means the run costs what its look-ups cost.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "algorithms/algorithms.h"

namespace {

void Usage() {
  printf(
      "usage: pvc-bench [options]\n"
      "  --n LIST       instance sizes, comma separated (default 200,1000,2000)\n"
      "  --algo LIST    table rows or names, comma separated (default 0,1,2,3,4,5,6)\n"
      "  --seed S       generator seed (default 1); repetition r uses seed S + r\n"
      "  --reps R       instances per size (default 1)\n"
      "  --repeat K     runs of each algorithm on each instance; the best time is\n"
      "                 reported (default 1)\n"
      "  --range R      coordinate range (default 1000), factor 1\n"
      "  --option B     the solve option number passed in bits 24-31 (default 0)\n"
      "  --max-exact N  largest n for ASepEval (default 12)\n"
      "  --max-net N    largest n for HElastique (default 500)\n"
      "  --help         this text\n"
      "Columns: n, algorithm, tour length, best wall time in ms, calibrated cost of one\n"
      "Graphe::Get in ns, look-ups the algorithm is defined to make, and the ratio\n"
      "ms / (look-ups x ns/get); '-' when the look-up count is not fixed in advance\n"
      "(annealing, branch and bound, elastic net).\n");
}

std::vector<std::string> Split(const char* s) {
  std::vector<std::string> out;
  std::string cur;
  for (; *s; ++s) {
    if (*s == ',') {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += *s;
    }
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

double NowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// Nanoseconds per Graphe::Get in the pattern of a nearest-neighbour scan: for a sequence
// of pseudo-random "last" vertices, Get(i, last) for every i. Below last the triangular
// layout strides across rows, above it the row is read in order, so the loop mixes the two
// patterns the algorithms meet. One trial sweeps the whole matrix at least once and runs
// for at least 20 ms; the best of five trials is kept, so a burst of load on a shared
// machine does not inflate the cost.
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
      for (int k = 0; k < n; ++k) {
        for (int i = 1; i < n; ++i) sum += g.Get(i, last);
        count += static_cast<unsigned long long>(n - 1);
        last = static_cast<int>((static_cast<unsigned>(last) * 7919u + 13u) % static_cast<unsigned>(n));
      }
      ms = NowMs() - t0;
    } while (ms < 20.0);
    sink = sink + sum;
    const double ns = ms * 1e6 / static_cast<double>(count);
    if (best < 0 || ns < best) best = ns;
  }
  return best;
}

// Runs fn with standard output sent to a file and counts the lines that begin with prefix.
long CountTraceLines(fExec fn, EuclidianGraphe* g, unsigned long options, const char* prefix) {
  fflush(stdout);
  FILE* tmp = tmpfile();
  int saved = dup(1);
  dup2(fileno(tmp), 1);
  tArretes* t = fn(g, options);
  fflush(stdout);
  dup2(saved, 1);
  close(saved);
  delete t;
  rewind(tmp);
  long lines = 0;
  char buf[4096];
  size_t plen = strlen(prefix);
  while (fgets(buf, sizeof buf, tmp))
    if (strncmp(buf, prefix, plen) == 0) ++lines;
  fclose(tmp);
  return lines;
}

// Weight look-ups the algorithm of row is defined to make on g; negative when not fixed.
double Lookups(int row, EuclidianGraphe* g, unsigned long option_bits) {
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
    case 2: {
      long passes = 1 + CountTraceLines(PVC_H2Opt, g, option_bits | pvc::OptionsWord(0, Detailed), "H2Opt: inversion");
      return nn + static_cast<double>(passes) * (n - 1) * (n - 2) / 2 * 4;
    }
    case 4:
      return n * n;
    default:
      return -1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> sizes = {"200", "1000", "2000"};
  std::vector<std::string> algos = {"0", "1", "2", "3", "4", "5", "6"};
  unsigned seed = 1, reps = 1, repeat = 1, range = 1000, option = 0, max_exact = 12, max_net = 500;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
    if (a == "--help" || a == "-h") {
      Usage();
      return 0;
    } else if (v && a == "--n") {
      sizes = Split(v), ++i;
    } else if (v && a == "--algo") {
      algos = Split(v), ++i;
    } else if (v && a == "--seed") {
      seed = static_cast<unsigned>(strtoul(v, nullptr, 0)), ++i;
    } else if (v && a == "--reps") {
      reps = static_cast<unsigned>(strtoul(v, nullptr, 0)), ++i;
    } else if (v && a == "--repeat") {
      repeat = static_cast<unsigned>(strtoul(v, nullptr, 0)), ++i;
      if (repeat == 0) repeat = 1;
    } else if (v && a == "--range") {
      range = static_cast<unsigned>(strtoul(v, nullptr, 0)), ++i;
    } else if (v && a == "--option") {
      option = static_cast<unsigned>(strtoul(v, nullptr, 0)), ++i;
    } else if (v && a == "--max-exact") {
      max_exact = static_cast<unsigned>(strtoul(v, nullptr, 0)), ++i;
    } else if (v && a == "--max-net") {
      max_net = static_cast<unsigned>(strtoul(v, nullptr, 0)), ++i;
    } else {
      fprintf(stderr, "pvc-bench: unknown or incomplete option %s (see --help)\n", a.c_str());
      return 2;
    }
  }
  printf("%6s %-18s %12s %11s %8s %10s %8s\n", "n", "algorithm", "length", "ms", "ns/get", "look-ups", "ratio");
  for (const auto& s : sizes) {
    unsigned n = static_cast<unsigned>(strtoul(s.c_str(), nullptr, 0));
    if (n < 2) continue;
    for (unsigned r = 0; r < reps; ++r) {
      EuclidianGraphe g(static_cast<int>(n));
      if (!g.Valid()) {
        fprintf(stderr, "pvc-bench: no memory for n = %u\n", n);
        return 1;
      }
      g.Generate(range, 1, seed + r, nullptr);
      double ns = CalibrateLookup(g);
      for (const auto& w : algos) {
        int row = pvc::FindAlgorithm(w.c_str());
        if (row < 0) {
          fprintf(stderr, "pvc-bench: unknown algorithm %s\n", w.c_str());
          return 2;
        }
        if ((row == 5 && n > max_exact) || (row == 6 && n > max_net)) continue;
        const unsigned long options = pvc::OptionsWord(0, 0, option);
        double ms = -1;
        unsigned long long len = 0;
        for (unsigned k = 0; k < repeat; ++k) {
          srand(seed + r);  // the annealing draws from the generator's stream
          double t0 = NowMs();
          tArretes* t = Algorithmes[row].Execute(&g, options);
          double run = NowMs() - t0;
          len = t ? g.Eval(t) : 0;
          delete t;
          if (ms < 0 || run < ms) ms = run;
        }
        double lookups = Lookups(row, &g, options);
        char ratio[32] = "-", count[32] = "-";
        if (lookups > 0) {
          snprintf(ratio, sizeof ratio, "%.2f", ms * 1e6 / (lookups * ns));
          snprintf(count, sizeof count, "%.3g", lookups);
        }
        printf("%6u %-18s %12llu %11.3f %8.2f %10s %8s\n", n, Algorithmes[row].Name, len, ms, ns, count, ratio);
        fflush(stdout);
      }
    }
  }
  return 0;
}

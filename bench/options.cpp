#include "options.h"

#include <cstdio>
#include <cstdlib>

#include "algorithms/algorithms.h"
#include "console.h"

namespace bench {
namespace {

void Usage() {
  printf(
      "usage: pvc-bench [options]\n"
      "  --n LIST       instance sizes, comma separated (default 200,1000,2000)\n"
      "  --tsplib FILES TSPLIB files, comma separated, instead of generated instances\n"
      "  --optima FILE  'name : length' lines; adds the gap to the optimum (TSPLIB files)\n"
      "  --algo LIST    table rows or names, comma separated (default 0,1,2,3,4,5,6)\n"
      "  --seed S       generator seed (default 1); repetition r uses seed S + r; the\n"
      "                 annealing's random stream starts from it\n"
      "  --reps R       instances per size (default 1)\n"
      "  --repeat K     runs of each algorithm on each instance; the best time is\n"
      "                 reported (default 1)\n"
      "  --range R      coordinate range (default 1000), factor 1\n"
      "  --option B     the solve option number passed in bits 24-31 (default 0)\n"
      "  --max-exact N  largest n for ASepEval (default 12)\n"
      "  --max-net N    largest n for HElastique (default 500)\n"
      "  --csv          rows as CSV: instance,n,algorithm,length,optimum,gap,ms,peak_mib\n"
      "  --tours DIR    writes each tour to DIR/INSTANCE.ALGORITHM.tour (TSPLIB TOUR)\n"
      "  --svg DIR      writes a picture of each tour to DIR/INSTANCE.ALGORITHM.svg\n"
      "  --help         this text\n"
      "Columns for generated instances: n, algorithm, tour length, best wall time in ms,\n"
      "calibrated cost of one Graphe::Get in ns, look-ups the algorithm is defined to make,\n"
      "and the ratio ms / (look-ups x ns/get); '-' when the look-up count is not fixed in\n"
      "advance (annealing, branch and bound, elastic net).\n"
      "Every row ends with the peak resident memory of the process during its runs (MiB,\n"
      "-1 where /proc cannot tell), the instance included.\n"
      "Columns for TSPLIB files: instance, n, algorithm, length, optimum, gap %% =\n"
      "(length - optimum) / optimum, ms; '-' where no optimum is known.\n"
      "Exit status: 0, 1 when a file was skipped or a run failed, 2 for a usage error,\n"
      "130 after Ctrl-C.\n");
}

}  // namespace

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

int ParseArguments(int argc, char** argv, Settings* s) {
  bool sizes_given = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
    unsigned* number = a == "--seed"        ? &s->seed
                       : a == "--reps"      ? &s->reps
                       : a == "--repeat"    ? &s->repeat
                       : a == "--range"     ? &s->range
                       : a == "--option"    ? &s->option
                       : a == "--max-exact" ? &s->max_exact
                       : a == "--max-net"   ? &s->max_net
                                            : nullptr;
    std::string* text = a == "--optima" ? &s->optima : a == "--tours" ? &s->tours : a == "--svg" ? &s->svg : nullptr;
    if (a == "--help" || a == "-h") {
      Usage();
      return 0;
    } else if (a == "--csv") {
      s->csv = true;
    } else if (v && number) {
      *number = static_cast<unsigned>(strtoul(v, nullptr, 0)), ++i;
    } else if (v && text) {
      *text = v, ++i;
    } else if (v && a == "--n") {
      s->sizes = Split(v), sizes_given = true, ++i;
    } else if (v && a == "--tsplib") {
      s->files = Split(v), ++i;
    } else if (v && a == "--algo") {
      s->rows.clear();
      for (const std::string& w : Split(v)) {
        s->rows.push_back(pvc::FindAlgorithm(w.c_str()));
        if (s->rows.back() < 0) {
          Message("unknown algorithm %s", w.c_str());
          return 2;
        }
      }
      ++i;
    } else {
      Message("unknown or incomplete option %s (see --help)", a.c_str());
      return 2;
    }
  }
  if (s->repeat == 0) s->repeat = 1;
  if (sizes_given && !s->files.empty()) {
    Message("--n and --tsplib exclude each other");
    return 2;
  }
  return -1;
}

}  // namespace bench

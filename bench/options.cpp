#include "options.h"

#include <cctype>
#include <cerrno>
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
      "  --range R      coordinate range (default 1000, at most 2147483647), factor 1\n"
      "  --kind LIST    generated instances, comma separated: uniform (default) or\n"
      "                 clustered (n/10 normal clouds of standard deviation range/sqrt(n)\n"
      "                 around uniform centres); each size gets every kind\n"
      "  --option B     the solve option number passed in bits 24-31 (default 0)\n"
      "  --max-exact N  largest n for ASepEval (default 12)\n"
      "  --max-net N    largest n for HElastique (default 500)\n"
      "  --bound        computes each instance's Held-Karp lower bound first (a row of its\n"
      "                 own, HeldKarp, with its time and memory) and adds every row's\n"
      "                 excess over it in percent; a row at the bound is proved optimal\n"
      "  --csv          rows as CSV: instance,n,algorithm,length,optimum,gap,bound,\n"
      "                 over_bound,ms,peak_mib\n"
      "  --tours DIR    writes each tour to DIR/INSTANCE.ALGORITHM.tour (TSPLIB TOUR)\n"
      "  --svg DIR      writes a picture of each tour to DIR/INSTANCE.ALGORITHM.svg\n"
      "  --shard K/N    runs part K (0 <= K < N) of the runs (instance x algorithm) of the\n"
      "                 same command without --shard, split in N parts of about the same\n"
      "                 cost; prints the rows as CSV with their run number, framed by\n"
      "                 '#' lines that --merge checks\n"
      "  --merge FILE.. (alone) merges the outputs of the N parts of a sweep into the CSV of\n"
      "                 the whole run, in its order; refused (exit 1, nothing written) when\n"
      "                 a part is missing, cut short, present twice or of another sweep\n"
      "  --help         this text\n"
      "Columns for generated instances: n, algorithm, tour length, best wall time in ms,\n"
      "calibrated cost of one Graphe::Get in ns, look-ups the algorithm is defined to make,\n"
      "and the ratio ms / (look-ups x ns/get); '-' when the look-up count is not fixed in\n"
      "advance (annealing, branch and bound, elastic net).\n"
      "Every row ends with the peak resident memory of the process during its runs (MiB,\n"
      "-1 where /proc cannot tell), the instance included.\n"
      "Columns for TSPLIB files: instance, n, algorithm, length, optimum, gap %% =\n"
      "(length - optimum) / optimum, ms; '-' where no optimum is known.\n"
      "With --bound both tables add 'over HK %%' = (length - bound) / bound after the\n"
      "length or the gap, 'optimal' where the length is the bound; in CSV 'bound' is the\n"
      "instance's bound and 'over_bound' that excess with four decimals, both empty where\n"
      "the bound is not known.\n"
      "Exit status: 0, 1 when a file was skipped, a run failed or --merge refused its\n"
      "files, 2 for a usage error, 130 after Ctrl-C (a part then has no end line).\n");
}

// K/N with 0 <= K < N, both whole decimal numbers.
bool ParseShard(const std::string& v, unsigned* k, unsigned* n) {
  const size_t slash = v.find('/');
  auto number = [](const std::string& t, unsigned* out) {
    if (t.empty() || t.size() > 9 || t.find_first_not_of("0123456789") != std::string::npos) return false;
    *out = static_cast<unsigned>(std::stoul(t));
    return true;
  };
  return slash != std::string::npos && number(v.substr(0, slash), k) && number(v.substr(slash + 1), n) && *k < *n;
}

}  // namespace

const char* RowName(int row) { return row == kBoundRow ? "HeldKarp" : Algorithmes[row].Name; }

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
    } else if (a == "--merge") {
      if (i != 1 || i + 1 >= argc) {
        Message("usage: pvc-bench --merge FILE... (alone, with the files of every part)");
        return 2;
      }
      s->merge.assign(argv + i + 1, argv + argc);
      return -1;
    } else if (v && a == "--shard") {
      if (!ParseShard(v, &s->shard, &s->shards)) {
        Message("--shard %s: usage: --shard K/N, whole numbers with 0 <= K < N (see --help)", v);
        return 2;
      }
      ++i;
    } else if (v && a == "--kind") {
      s->kinds.clear();
      bool known = true;
      for (const std::string& w : Split(v)) {
        Kind kind = Kind::kUniform;
        known = ParseKind(w, &kind) && known;
        s->kinds.push_back(kind);
      }
      if (!known || s->kinds.empty()) {
        Message("--kind %s: usage: --kind uniform,clustered or either (see --help)", v);
        return 2;
      }
      s->kinds_given = true, ++i;
    } else if (a == "--csv") {
      s->csv = true;
    } else if (a == "--bound") {
      s->bound = true;
    } else if (v && number) {
      // A whole number (decimal, 0x hexadecimal or 0 octal) that fits; the range at most
      // 2147483647, as random takes it: coordinates beyond would wrap the weights.
      char* end = nullptr;
      errno = 0;
      const unsigned long long value = strtoull(v, &end, 0);
      const unsigned long long limit = number == &s->range ? 2147483647ull : 4294967295ull;
      if (!isdigit(static_cast<unsigned char>(*v)) || *end || errno || value > limit) {
        Message("%s %s: usage: a whole number from 0 to %llu (see --help)", a.c_str(), v, limit);
        return 2;
      }
      *number = static_cast<unsigned>(value), ++i;
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
  if ((sizes_given || s->kinds_given) && !s->files.empty()) {
    Message("%s and --tsplib exclude each other", sizes_given ? "--n" : "--kind");
    return 2;
  }
  return -1;
}

}  // namespace bench

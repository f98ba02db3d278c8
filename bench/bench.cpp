// pvc-bench: runs algorithms of the table at output level 0 with drawing off, on generated
// instances or on TSPLIB files, and prints one row per run.
//
// Generated instances: n, algorithm, tour length, wall milliseconds, and an efficiency
// ratio, the time divided by the cost of the weight look-ups the algorithm is defined to
// make. The cost of one look-up is measured in the same process by a calibration loop over
// the same instance, in the access pattern of a nearest-neighbour scan. A ratio near 1
// means the run costs what its look-ups cost.
//
// TSPLIB files: instance, n, algorithm, length, the published optimum and the gap to it,
// milliseconds. A file that cannot be read is reported on standard error and skipped.
//
// Either kind can be printed as CSV, and each run's tour written as a TOUR file and as an
// SVG picture. Ctrl-C stops the current run; the program ends with the rows done.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "algorithms/algorithms.h"
#include "containers/resources.h"
#include "graph/random.h"
#include "graph/tour_output.h"
#include "graph/tsplib.h"
#include "shell/terminal.h"

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
// patterns the algorithms meet. One trial runs for at least 20 ms, whole sweeps from one
// "last" vertex; the best of five trials is kept, so a burst of load on a shared machine
// does not inflate the cost.
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

// Starts a new peak of resident memory at the present size (Linux: clear_refs 5).
void ResetPeakMemory() {
  FILE* f = fopen("/proc/self/clear_refs", "w");
  if (!f) return;
  fputs("5", f);
  fclose(f);
}

// The peak resident memory in MiB since the last reset (VmHWM); -1 when unknown.
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

// Weight look-ups the algorithm of row is defined to make on g; negative when not fixed.
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

struct Settings {
  std::vector<std::string> sizes = {"200", "1000", "2000"};
  std::vector<std::string> files;  // TSPLIB files; generated instances when empty
  std::vector<int> rows = {0, 1, 2, 3, 4, 5, 6};
  unsigned seed = 1, reps = 1, repeat = 1, range = 1000, option = 0, max_exact = 12, max_net = 500;
  std::string optima, tours, svg;
  bool csv = false;
};

// One instance to run.
struct Job {
  std::string name;       // TSPLIB NAME, or randomN-sS for a generated one
  EuclidianGraphe* g;     // the instance
  const double* picture;  // coordinates for pictures; null without coordinates
  unsigned seed;          // the annealing's random stream starts here
  bool generated;         // table with look-up columns (unless CSV)
  long long optimum;      // -1 when unknown
};

// The progress line on standard error, kept only when that is a terminal: what runs, then
// how far the run is, the figures of the workbench's own line after the instance's name.
class Progress {
 public:
  Progress() : on_(isatty(2) != 0) {}
  void Show(const std::string& text) {
    if (on_) pvc::DrawTerminalLine("", text.c_str()), shown_ = true;
  }
  void Clear() {
    if (shown_) pvc::EraseTerminalLine();
    shown_ = false;
  }
  /// Shows the reports of the run that follows, after the instance's name; Stop ends them.
  void Start(const std::string& instance) {
    if (!on_) return;
    prefix_ = instance + ": ";
    pvc::ShowProgress(Report);
  }
  void Stop() {
    if (on_ && pvc::HideProgress()) shown_ = true;
  }

 private:
  static void Report(const pvc::ProgressReport& r);
  bool on_, shown_ = false;
  static std::string prefix_;
};

std::string Progress::prefix_;
Progress g_progress;

void Progress::Report(const pvc::ProgressReport& r) {
  char line[256];
  pvc::FormatProgress(r, line, sizeof line);
  pvc::DrawTerminalLine(prefix_.c_str(), line);
}

// One line "pvc-bench: ..." on standard error, the progress line cleared first.
void Message(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void Message(const char* fmt, ...) {
  g_progress.Clear();
  va_list ap;
  va_start(ap, fmt);
  fputs("pvc-bench: ", stderr);
  vfprintf(stderr, fmt, ap);
  fputc('\n', stderr);
  va_end(ap);
}

void OnInterrupt(int) { pvc::g_interrupt = 1; }

// A name fit for a file name: characters other than letters, digits and ._+- become _.
std::string FileName(const std::string& dir, const std::string& name, const char* algo, const char* ext) {
  std::string safe = name.empty() ? "instance" : name;
  for (char& c : safe)
    if (!(isalnum(static_cast<unsigned char>(c)) || (c && strchr("._+-", c)))) c = '_';
  return dir + "/" + safe + "." + algo + "." + ext;
}

// A CSV field: quoted when it holds a comma, a quote or a line end.
std::string CsvField(const std::string& s) {
  if (s.find_first_of(",\"\n\r") == std::string::npos) return s;
  std::string q = "\"";
  for (char c : s) q += c == '"' ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}

// False, with a message, when dir is not a directory this program can write into.
bool CheckDirectory(const char* option, const std::string& dir) {
  struct stat st;
  if (dir.empty()) return true;
  if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    Message("%s %s: not an existing directory", option, dir.c_str());
    return false;
  }
  if (access(dir.c_str(), W_OK | X_OK) != 0) {
    Message("%s %s: cannot write there (%s)", option, dir.c_str(), strerror(errno));
    return false;
  }
  return true;
}

// Parses the command line into *s; -1 to go on, else the exit status.
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

class Bench {
 public:
  explicit Bench(const Settings& s) : s_(s) {}

  /// Exit status so far: 0, or 1 after a skipped file or a failed run.
  int status = 0;
  /// True once Ctrl-C stopped a run (or came between runs).
  bool interrupted = false;

  void Header(bool generated) {
    if (s_.csv)
      printf("instance,n,algorithm,length,optimum,gap,ms,peak_mib\n");
    else if (generated)
      printf("%7s %-18s %12s %11s %8s %10s %8s %8s\n", "n", "algorithm", "length", "ms", "ns/get", "look-ups", "ratio",
             "peak MiB");
    else
      printf("%-14s %6s %-18s %12s %12s %8s %11s %8s\n", "instance", "n", "algorithm", "length", "optimum", "gap %", "ms",
             "peak MiB");
    fflush(stdout);
  }

  void Run(const Job& job) {
    const unsigned n = job.g->GetSommets();
    const double ns = job.generated && !s_.csv ? CalibrateLookup(*job.g) : 0;
    if (!s_.svg.empty() && !job.picture) Message("note: %s has no coordinates: no pictures", job.name.c_str());
    for (int row : s_.rows) {
      const char* algo = Algorithmes[row].Name;
      if (pvc::Interrupted()) {
        Message("interrupted before %s on %s", algo, job.name.c_str());
        interrupted = true;
        return;
      }
      if ((row == 5 && n > s_.max_exact) || (row == 6 && n > s_.max_net)) {
        Message("note: %s: %s skipped, n = %u above --max-%s %u", job.name.c_str(), algo, n, row == 5 ? "exact" : "net",
                row == 5 ? s_.max_exact : s_.max_net);
        continue;
      }
      if (row == 6 && !job.picture) {
        Message("note: %s has no coordinates: %s skipped", job.name.c_str(), algo);
        continue;
      }
      g_progress.Show(job.name + ": " + algo);
      const unsigned long options = pvc::OptionsWord(0, 0, s_.option);
      double ms = -1;
      tArretes* tour = nullptr;
      ResetPeakMemory();
      for (unsigned k = 0; k < s_.repeat; ++k) {
        pvc::SeedRandom(job.seed);  // the annealing draws from the generator's stream
        g_progress.Start(job.name);
        const double t0 = NowMs();
        tArretes* t = Algorithmes[row].Execute(job.g, options);
        const double run = NowMs() - t0;
        g_progress.Stop();
        if (!t) break;
        if (ms < 0 || run < ms) ms = run;
        if (tour)
          delete t;
        else
          tour = t;
      }
      const double lookups = tour && job.generated && !s_.csv ? Lookups(row, job.g) : 0;
      if (!tour || pvc::Interrupted()) {
        Failed(job, algo, tour != nullptr);
        delete tour;
        if (interrupted) return;
        continue;
      }
      const unsigned long long len = job.g->Eval(tour);
      Print(job, row, len, ms, ns, lookups, PeakMemoryMiB());
      Save(job, algo, tour, len);
      delete tour;
    }
  }

 private:
  // A run without a row: stopped by Ctrl-C, or no tour for want of memory.
  void Failed(const Job& job, const char* algo, bool tour_found) {
    if (pvc::Interrupted()) {
      Message("interrupted: %s on %s%s", algo, job.name.c_str(), tour_found ? " (row dropped)" : "");
      interrupted = true;
    } else {
      Message("%s on %s: no tour (not enough memory)", algo, job.name.c_str());
      status = 1;
    }
  }

  static std::string Gap(const Job& job, unsigned long long len) {
    if (job.optimum <= 0) return "";
    char b[32];
    snprintf(b, sizeof b, "%.2f", (static_cast<double>(len) - job.optimum) * 100.0 / job.optimum);
    return b;
  }

  void Print(const Job& job, int row, unsigned long long len, double ms, double ns, double lookups, double peak) {
    const unsigned n = job.g->GetSommets();
    const char* algo = Algorithmes[row].Name;
    const std::string gap = Gap(job, len);
    const std::string optimum = job.optimum >= 0 ? std::to_string(job.optimum) : "";
    g_progress.Clear();  // the row starts a clean line
    if (s_.csv) {
      printf("%s,%u,%s,%llu,%s,%s,%.3f,%.1f\n", CsvField(job.name).c_str(), n, algo, len, optimum.c_str(), gap.c_str(),
             ms, peak);
    } else if (job.generated) {
      char ratio[32] = "-", count[32] = "-";
      if (lookups > 0) {
        snprintf(ratio, sizeof ratio, "%.2f", ms * 1e6 / (lookups * ns));
        snprintf(count, sizeof count, "%.3g", lookups);
      }
      printf("%7u %-18s %12llu %11.3f %8.2f %10s %8s %8.1f\n", n, algo, len, ms, ns, count, ratio, peak);
    } else {
      printf("%-14s %6u %-18s %12llu %12s %8s %11.3f %8.1f\n", job.name.c_str(), n, algo, len,
             optimum.empty() ? "-" : optimum.c_str(), gap.empty() ? "-" : gap.c_str(), ms, peak);
    }
    fflush(stdout);
  }

  // Writes the TOUR file and the picture of a run when asked.
  void Save(const Job& job, const char* algo, tArretes* tour, unsigned long long len) {
    if (s_.tours.empty() && (s_.svg.empty() || !job.picture)) return;
    const unsigned n = job.g->GetSommets();
    int* seq = tour->CircuitAsArray();
    std::string error;
    bool ok = seq != nullptr;
    if (!seq) error = "no memory for the tour's sequence";
    if (ok && !s_.tours.empty())
      ok = WriteTourFile(FileName(s_.tours, job.name, algo, "tour").c_str(), job.name,
                         std::string(algo) + ", length " + std::to_string(len), seq, n, &error);
    if (ok && !s_.svg.empty() && job.picture) {
      std::string title = job.name + " - " + algo + " - length " + std::to_string(len);
      const std::string gap = Gap(job, len);
      if (!gap.empty()) title += " - gap " + gap + " %";
      ok = WriteTourSvg(FileName(s_.svg, job.name, algo, "svg").c_str(), title, job.picture, seq, n, &error);
    }
    free(seq);
    if (!ok) {
      Message("%s", error.c_str());
      status = 1;
    }
  }

  const Settings& s_;
};

// Runs the generated instances of the settings.
void RunGenerated(const Settings& s, Bench* bench) {
  bench->Header(true);
  for (const auto& size : s.sizes) {
    if (bench->interrupted) break;
    const unsigned n = static_cast<unsigned>(strtoul(size.c_str(), nullptr, 0));
    if (n < 2) continue;
    for (unsigned r = 0; r < s.reps && !bench->interrupted; ++r) {
      EuclidianGraphe g(static_cast<int>(n), Metric::kTruncated);  // the form `random` makes
      if (!g.Valid()) {
        Message("no memory for n = %u", n);
        bench->status = 1;
        return;
      }
      g.Generate(s.range, 1, s.seed + r, nullptr);
      std::vector<double> picture;
      for (unsigned i = 0; i < n; ++i)
        picture.insert(picture.end(), {1.0 * g.GetCoords(i)->x, 1.0 * g.GetCoords(i)->y});
      const std::string name = "random" + std::to_string(n) + "-s" + std::to_string(s.seed + r);
      bench->Run(Job{name, &g, picture.data(), s.seed + r, true, -1});
    }
  }
}

// Reads and runs the TSPLIB files of the settings; a file that cannot be read is skipped.
void RunFiles(const Settings& s, const std::map<std::string, unsigned long long>& optima, Bench* bench) {
  bench->Header(false);
  for (const std::string& file : s.files) {
    if (pvc::Interrupted()) {
      bench->interrupted = true;
      break;
    }
    g_progress.Show("reading " + file);
    TsplibInstance inst;
    std::string error;
    if (!ReadTsplib(file.c_str(), &inst, &error)) {
      Message("%s", error.c_str());
      bench->status = 1;
      continue;
    }
    const auto known = optima.find(inst.name);
    const long long optimum = known == optima.end() ? -1 : static_cast<long long>(known->second);
    bench->Run(Job{inst.name, inst.graph.get(), inst.picture.get(), s.seed, false, optimum});
  }
}

}  // namespace

int main(int argc, char** argv) {
  Settings s;
  const int usage = ParseArguments(argc, argv, &s);
  if (usage >= 0) return usage;
  std::map<std::string, unsigned long long> optima;
  std::string error;
  if (!s.optima.empty() && !ReadOptima(s.optima.c_str(), &optima, &error)) {
    Message("%s", error.c_str());
    return 2;
  }
  if (!CheckDirectory("--tours", s.tours) || !CheckDirectory("--svg", s.svg)) return 2;
  pvc::InstallUtf8Output();  // the progress line may hold Latin-1 letters

  struct sigaction sa;
  memset(&sa, 0, sizeof sa);
  sa.sa_handler = OnInterrupt;
  sa.sa_flags = SA_RESTART;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);

  Bench bench(s);
  if (s.files.empty())
    RunGenerated(s, &bench);
  else
    RunFiles(s, optima, &bench);
  g_progress.Clear();
  if (bench.interrupted || pvc::Interrupted()) return 130;
  return bench.status;
}

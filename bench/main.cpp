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
//
// A sweep can be split into parts run anywhere (--shard K/N) and merged (--merge).
//
// options.*: the command line; kinds.*: uniform and clustered instances; runlist.*: the run
// list and its split into parts; instances.*: the instances of the list, generated or
// read; runs.*: the runs of one instance; measure.*: time, look-ups and memory; output.*:
// the output forms; merge.*: the merge of the parts; console.*: messages and the progress
// line on standard error.
#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "console.h"
#include "containers/resources.h"
#include "graph/tsplib.h"
#include "instances.h"
#include "merge.h"
#include "options.h"
#include "output.h"
#include "runs.h"
#include "shell/terminal.h"

namespace {

void OnInterrupt(int) { pvc::g_interrupt = 1; }

// --merge: the merged CSV on standard output, written only once every file passed.
int Merge(const std::vector<std::string>& files) {
  std::string merged, error;
  if (!bench::MergeParts(files, &merged, &error)) {
    bench::Message("--merge: %s", error.c_str());
    return 1;
  }
  if (fwrite(merged.data(), 1, merged.size(), stdout) != merged.size() || fflush(stdout) != 0) {
    bench::Message("--merge: cannot write the merged rows (%s)", strerror(errno));
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace bench;
  Settings s;
  const int usage = ParseArguments(argc, argv, &s);
  if (usage >= 0) return usage;
  if (!s.merge.empty()) return Merge(s.merge);
  if (s.shards > 0) s.csv = true;  // a part's rows are for --merge
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
  RunSweep(s, optima, &bench);
  g_progress.Clear();
  if (bench.interrupted || pvc::Interrupted()) return 130;
  return bench.status;
}

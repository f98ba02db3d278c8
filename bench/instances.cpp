#include "instances.h"

#include <algorithm>
#include <vector>

#include "console.h"
#include "containers/resources.h"
#include "graph/tsplib.h"
#include "output.h"
#include "runlist.h"
#include "runs.h"

namespace bench {
namespace {

void RunGenerated(const Settings& s, const InstanceSpec& planned, const std::vector<HeldRun>& runs, Bench* bench) {
  EuclidianGraphe g(static_cast<int>(planned.n), Metric::kTruncated);  // the form `random` makes
  if (!g.Valid()) {
    Message("no memory for n = %u", planned.n);
    bench->status = 1;
    return;
  }
  GenerateInstance(planned.kind, &g, s.range, planned.seed);
  std::vector<double> picture;
  for (unsigned i = 0; i < planned.n; ++i)
    picture.insert(picture.end(), {1.0 * g.GetCoords(i)->x, 1.0 * g.GetCoords(i)->y});
  bench->Run(Job{InstanceName(planned.kind, planned.n, planned.seed), &g, picture.data(), planned.seed, true, -1}, runs);
}

void RunFile(const Settings& s, const std::map<std::string, unsigned long long>& optima, const std::string& file,
             const std::vector<HeldRun>& runs, Bench* bench) {
  g_progress.Show("reading " + file);
  TsplibInstance inst;
  std::string error;
  if (!ReadTsplib(file.c_str(), &inst, &error)) {
    Message("%s", error.c_str());
    bench->status = 1;
    return;
  }
  const auto known = optima.find(inst.name);
  const long long optimum = known == optima.end() ? -1 : static_cast<long long>(known->second);
  bench->Run(Job{inst.name, inst.graph.get(), inst.picture.get(), s.seed, false, optimum}, runs);
}

}  // namespace

void RunSweep(const Settings& s, const std::map<std::string, unsigned long long>& optima, Bench* bench) {
  const RunList list = BuildRunList(s);
  std::vector<unsigned> part(list.runs.size(), 0);
  if (s.shards > 0) {
    part = SplitRuns(s, list, s.shards);
    std::vector<unsigned> held;
    for (unsigned i = 0; i < part.size(); ++i)
      if (part[i] == s.shard) held.push_back(i);
    PrintShardHead(s, SweepDefinition(s, list), held, static_cast<unsigned>(list.runs.size()));
  }
  PrintHeader(s, s.files.empty());
  // Runs of one instance are consecutive in the list.
  for (size_t first = 0; first < list.runs.size() && !bench->interrupted;) {
    const unsigned instance = list.runs[first].instance;
    std::vector<HeldRun> runs;
    size_t end = first;
    for (; end < list.runs.size() && list.runs[end].instance == instance; ++end)
      if (part[end] == s.shard) runs.push_back({static_cast<unsigned>(end), list.runs[end].row});
    first = end;
    if (runs.empty()) continue;
    if (pvc::Interrupted()) {
      bench->interrupted = true;
      break;
    }
    const InstanceSpec& planned = list.instances[instance];
    if (planned.file.empty())
      RunGenerated(s, planned, runs, bench);
    else
      RunFile(s, optima, planned.file, runs, bench);
  }
  if (s.shards > 0 && !bench->interrupted && !pvc::Interrupted()) PrintShardEnd(s, bench->rows);
}

}  // namespace bench

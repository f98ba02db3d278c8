#include "instances.h"

#include <cstdlib>
#include <vector>

#include "console.h"
#include "containers/resources.h"
#include "graph/tsplib.h"
#include "output.h"
#include "runs.h"

namespace bench {

void RunGenerated(const Settings& s, Bench* bench) {
  PrintHeader(s, true);
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

void RunFiles(const Settings& s, const std::map<std::string, unsigned long long>& optima, Bench* bench) {
  PrintHeader(s, false);
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

}  // namespace bench

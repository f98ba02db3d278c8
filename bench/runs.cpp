#include "runs.h"

#include "algorithms/algorithms.h"
#include "algorithms/held_karp_bound.h"
#include "console.h"
#include "containers/resources.h"
#include "graph/random.h"
#include "measure.h"
#include "output.h"

namespace bench {

void Bench::Run(const Job& job, const std::vector<HeldRun>& runs) {
  const unsigned n = job.g->GetSommets();
  const double ns = job.generated && !s_.csv ? CalibrateLookup(*job.g) : 0;
  if (!s_.svg.empty() && !job.picture) Message("note: %s has no coordinates: no pictures", job.name.c_str());
  long long bound = -1;  // known once this process has run the instance's bound
  for (const HeldRun& run : runs) {
    const int row = run.row;
    const char* algo = RowName(row);
    if (pvc::Interrupted()) {
      Message("interrupted before %s on %s", algo, job.name.c_str());
      interrupted = true;
      return;
    }
    if (row == kBoundRow) {
      if (!Bound(job, run.index, ns, &bound) && interrupted) return;
      continue;
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
    PrintRow(s_, job, RunRow{run.index, row, len, ms, ns, lookups, PeakMemoryMiB(), bound});
    ++rows;
    if (!SaveTour(s_, job, algo, tour, len, bound)) status = 1;
    delete tour;
  }
}

bool Bench::Bound(const Job& job, unsigned index, double ns, long long* bound) {
  g_progress.Show(job.name + ": " + RowName(kBoundRow));
  ResetPeakMemory();
  g_progress.Start(job.name);
  pvc::BoundResult r;
  const double t0 = NowMs();
  const pvc::BoundStatus st = pvc::HeldKarpBound(*job.g, &r);
  const double ms = NowMs() - t0;
  g_progress.Stop();
  if (st != pvc::BoundStatus::kDone) {
    if (st == pvc::BoundStatus::kInterrupted || pvc::Interrupted()) {
      Message("interrupted: %s on %s", RowName(kBoundRow), job.name.c_str());
      interrupted = true;
    } else {
      Message("%s on %s: no bound (not enough memory)", RowName(kBoundRow), job.name.c_str());
      status = 1;
    }
    return false;
  }
  *bound = static_cast<long long>(r.value);
  PrintRow(s_, job, RunRow{index, kBoundRow, r.value, ms, ns, 0, PeakMemoryMiB(), *bound});
  ++rows;
  return true;
}

void Bench::Failed(const Job& job, const char* algo, bool tour_found) {
  if (pvc::Interrupted()) {
    Message("interrupted: %s on %s%s", algo, job.name.c_str(), tour_found ? " (row dropped)" : "");
    interrupted = true;
  } else {
    Message("%s on %s: no tour (not enough memory)", algo, job.name.c_str());
    status = 1;
  }
}

}  // namespace bench

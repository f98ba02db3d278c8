#include "output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "algorithms/algorithms.h"
#include "console.h"
#include "graph/tour_output.h"
#include "runlist.h"

namespace bench {
namespace {

// A name fit for a file name: characters other than letters, digits and ._+- become _.
std::string FileName(const std::string& dir, const std::string& name, const char* algo, const char* ext) {
  std::string safe = name.empty() ? "instance" : name;
  for (char& c : safe)
    if (!(isalnum(static_cast<unsigned char>(c)) || (c && strchr("._+-", c)))) c = '_';
  return dir + "/" + safe + "." + algo + "." + ext;
}

// The gap to the optimum in percent, two decimals; empty when no optimum is known.
std::string Gap(const Job& job, unsigned long long len) {
  if (job.optimum <= 0) return "";
  char b[32];
  snprintf(b, sizeof b, "%.2f", (static_cast<double>(len) - job.optimum) * 100.0 / job.optimum);
  return b;
}

// The table's cell of the excess over the bound: "optimal" at the bound, "-" unknown.
std::string ExcessCell(const RunRow& r) {
  if (r.row == kBoundRow || r.bound < 0) return "-";
  if (r.len == static_cast<unsigned long long>(r.bound)) return "optimal";
  const std::string e = OverBound(r.len, r.bound, 2);
  return e.empty() ? "-" : e;
}

}  // namespace

std::string CsvField(const std::string& s) {
  if (s.find_first_of(",\"\n\r") == std::string::npos) return s;
  std::string q = "\"";
  for (char c : s) q += c == '"' ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}

std::string OverBound(unsigned long long len, long long bound, int decimals) {
  if (bound <= 0) return "";
  char b[48];
  snprintf(b, sizeof b, "%.*f", decimals,
           static_cast<double>(static_cast<long long>(len - static_cast<unsigned long long>(bound))) * 100.0 /
               static_cast<double>(bound));
  return b;
}

void PrintShardHead(const Settings& s, const std::string& definition, const std::vector<unsigned>& held,
                    unsigned total) {
  printf("# pvc-bench shard %u/%u holds %zu of %u runs: %s\n", s.shard, s.shards, held.size(), total,
         FormatRanges(held).c_str());
  printf("# sweep %s\n", definition.c_str());
}

void PrintShardEnd(const Settings& s, unsigned rows) {
  printf("# end of shard %u/%u: %u rows\n", s.shard, s.shards, rows);
  fflush(stdout);
}

void PrintHeader(const Settings& s, bool generated) {
  if (s.shards > 0) printf("run,");
  const std::string excess = s.bound ? " over HK %" : "";
  if (s.csv)
    printf("instance,n,algorithm,length,optimum,gap,bound,over_bound,ms,peak_mib\n");
  else if (generated)
    printf("%7s %-18s %12s%s %11s %8s %10s %8s %8s\n", "n", "algorithm", "length", excess.c_str(), "ms", "ns/get",
           "look-ups", "ratio", "peak MiB");
  else
    printf("%-14s %6s %-18s %12s %12s %8s%s %11s %8s\n", "instance", "n", "algorithm", "length", "optimum", "gap %",
           excess.c_str(), "ms", "peak MiB");
  fflush(stdout);
}

void PrintRow(const Settings& s, const Job& job, const RunRow& r) {
  const unsigned n = job.g->GetSommets();
  const char* algo = RowName(r.row);
  const std::string gap = Gap(job, r.len);
  const std::string bound = r.bound >= 0 ? std::to_string(r.bound) : "";
  const std::string over = r.row == kBoundRow ? "" : OverBound(r.len, r.bound, 4);
  char excess[32] = "";
  if (s.bound) snprintf(excess, sizeof excess, " %9s", ExcessCell(r).c_str());
  const std::string optimum = job.optimum >= 0 ? std::to_string(job.optimum) : "";
  g_progress.Clear();  // the row starts a clean line
  if (s.shards > 0) printf("%u,", r.index);
  if (s.csv) {
    printf("%s,%u,%s,%llu,%s,%s,%s,%s,%.3f,%.1f\n", CsvField(job.name).c_str(), n, algo, r.len, optimum.c_str(),
           gap.c_str(), bound.c_str(), over.c_str(), r.ms, r.peak);
  } else if (job.generated) {
    char ratio[32] = "-", count[32] = "-";
    if (r.lookups > 0) {
      snprintf(ratio, sizeof ratio, "%.2f", r.ms * 1e6 / (r.lookups * r.ns));
      snprintf(count, sizeof count, "%.3g", r.lookups);
    }
    printf("%7u %-18s %12llu%s %11.3f %8.2f %10s %8s %8.1f\n", n, algo, r.len, excess, r.ms, r.ns, count, ratio,
           r.peak);
  } else {
    printf("%-14s %6u %-18s %12llu %12s %8s%s %11.3f %8.1f\n", job.name.c_str(), n, algo, r.len,
           optimum.empty() ? "-" : optimum.c_str(), gap.empty() ? "-" : gap.c_str(), excess, r.ms, r.peak);
  }
  fflush(stdout);
}

bool SaveTour(const Settings& s, const Job& job, const char* algo, tArretes* tour, unsigned long long len,
              long long bound) {
  if (s.tours.empty() && (s.svg.empty() || !job.picture)) return true;
  const unsigned n = job.g->GetSommets();
  int* seq = tour->CircuitAsArray();
  std::string error;
  bool ok = seq != nullptr;
  if (!seq) error = "no memory for the tour's sequence";
  if (ok && !s.tours.empty())
    ok = WriteTourFile(FileName(s.tours, job.name, algo, "tour").c_str(), job.name,
                       std::string(algo) + ", length " + std::to_string(len), seq, n, &error);
  if (ok && !s.svg.empty() && job.picture) {
    std::string title = job.name + " - " + algo + " - length " + std::to_string(len);
    const std::string gap = Gap(job, len);
    if (!gap.empty()) title += " - gap " + gap + " %";
    if (bound >= 0 && len == static_cast<unsigned long long>(bound))
      title += " - proved optimal (Held-Karp bound)";
    else if (!OverBound(len, bound, 2).empty())
      title += " - " + OverBound(len, bound, 2) + " % over the Held-Karp bound";
    ok = WriteTourSvg(FileName(s.svg, job.name, algo, "svg").c_str(), title, job.picture, seq, n, &error);
  }
  free(seq);
  if (!ok) Message("%s", error.c_str());
  return ok;
}

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

}  // namespace bench

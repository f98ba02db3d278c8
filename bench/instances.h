// The instances pvc-bench runs on: generated ones (uniform or clustered, from a seed) and
// TSPLIB files (read one at a time, a file that cannot be read reported and skipped),
// walked in the order of the run list, each with the runs this process holds on it.
#pragma once

#include <map>
#include <string>

#include "graph/graphe.h"
#include "options.h"

namespace bench {

class Bench;

/// One instance to run.
struct Job {
  std::string name;       // TSPLIB NAME, or randomN-sS / clusteredN-sS for a generated one
  EuclidianGraphe* g;     // the instance
  const double* picture;  // coordinates for pictures; null without coordinates
  unsigned seed;          // the annealing's random stream starts here
  bool generated;         // table with look-up columns (unless CSV)
  long long optimum;      // -1 when unknown
};

/// Runs the run list of the settings, or with --shard the part of it this process holds
/// (framed for --merge): each instance that holds a run is generated or read once.
void RunSweep(const Settings& s, const std::map<std::string, unsigned long long>& optima, Bench* bench);

}  // namespace bench

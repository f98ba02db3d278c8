// The instances pvc-bench runs on: generated ones (the form `random` makes, from a seed) and
// TSPLIB files (read one at a time, a file that cannot be read reported and skipped).
#pragma once

#include <map>
#include <string>

#include "graph/graphe.h"
#include "options.h"

namespace bench {

class Bench;

/// One instance to run.
struct Job {
  std::string name;       // TSPLIB NAME, or randomN-sS for a generated one
  EuclidianGraphe* g;     // the instance
  const double* picture;  // coordinates for pictures; null without coordinates
  unsigned seed;          // the annealing's random stream starts here
  bool generated;         // table with look-up columns (unless CSV)
  long long optimum;      // -1 when unknown
};

/// Runs the generated instances of the settings, size by size, repetition by repetition.
void RunGenerated(const Settings& s, Bench* bench);

/// Reads and runs the TSPLIB files of the settings, with their optima where known.
void RunFiles(const Settings& s, const std::map<std::string, unsigned long long>& optima, Bench* bench);

}  // namespace bench

// pvc-bench's command line: what to run, on which instances, and how to print it.
#pragma once

#include <string>
#include <vector>

#include "kinds.h"

namespace bench {

struct Settings {
  std::vector<std::string> sizes = {"200", "1000", "2000"};
  std::vector<std::string> files;  // TSPLIB files; generated instances when empty
  std::vector<int> rows = {0, 1, 2, 3, 4, 5, 6};
  unsigned seed = 1, reps = 1, repeat = 1, range = 1000, option = 0, max_exact = 12, max_net = 500;
  std::string optima, tours, svg;
  bool csv = false;
  /// --bound: each instance's Held-Karp lower bound, and every row's excess over it.
  bool bound = false;
  std::vector<Kind> kinds = {Kind::kUniform};  // generated instances
  bool kinds_given = false;
  /// --shard K/N: this process runs part shard of shards (shards 0: the whole run list).
  unsigned shard = 0, shards = 0;
  /// --merge FILE...: the shard files to merge (no run then).
  std::vector<std::string> merge;
};

/// The table row that stands for the bound's run in a run list (never an algorithm).
constexpr int kBoundRow = -1;

/// The name a row prints: the algorithm's, or "HeldKarp" for the bound.
const char* RowName(int row);

/// Parses the command line into *s; -1 to go on, else the exit status (0 after --help, 2
/// for a usage error, reported on standard error).
int ParseArguments(int argc, char** argv, Settings* s);

/// The items of a comma-separated list; empty items inside the list are kept.
std::vector<std::string> Split(const char* s);

}  // namespace bench

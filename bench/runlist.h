// The run list of a command: every instance x algorithm run, in the order an unsharded
// process runs them, and its split into parts of about the same cost for --shard.
//
// The list depends only on the options that decide the rows (instances, algorithms, the
// solve option, the size limits), written out by SweepDefinition: the parts of one sweep
// compute the same list and the same split, each on its own machine, and a file of a part
// names its sweep so that --merge can refuse files of different sweeps.
#pragma once

#include <string>
#include <vector>

#include "kinds.h"
#include "options.h"

namespace bench {

/// One instance of the list: generated from (kind, n, seed), or a TSPLIB file.
struct InstanceSpec {
  std::string file;  // empty for a generated instance
  Kind kind;
  unsigned n;  // cities; for a file its DIMENSION, 0 when the header does not say
  unsigned seed;
};

/// One run: an algorithm (a table row) on an instance of the list.
struct RunEntry {
  unsigned instance;
  int row;
};

struct RunList {
  std::vector<InstanceSpec> instances;
  std::vector<RunEntry> runs;  // instance by instance, rows in the order of --algo
};

/// The run list of the settings: sizes (n >= 2) in order, each with every kind of --kind
/// in order and each kind with its --reps seeds, or the files in order; in each instance,
/// the rows of --algo.
RunList BuildRunList(const Settings& s);

/// A rough cost of one run in nanoseconds of this machine, from the algorithm's growth and
/// measured constants; 0 for a run the size limits skip. In integers, so that every
/// machine splits the list alike.
unsigned long long RunCost(const Settings& s, int row, unsigned n);

/// The part (0 .. parts-1) of each run: the most costly runs first, each to the part with
/// the least cost so far (the lowest on ties). Runs of one size thus spread over the parts.
std::vector<unsigned> SplitRuns(const Settings& s, const RunList& list, unsigned parts);

/// The options that decide the rows, in one canonical line; equal lines, equal lists.
std::string SweepDefinition(const Settings& s, const RunList& list);

/// The DIMENSION of a TSPLIB file from its header; 0 when it cannot be read there.
unsigned FileDimension(const std::string& path);

/// Run numbers as ranges, "0-3,7,9-10" (empty for none), and back: false on a bad list,
/// one not ascending, a number of limit or more, or more than count numbers.
std::string FormatRanges(const std::vector<unsigned>& sorted);
bool ParseRanges(const std::string& text, unsigned limit, size_t count, std::vector<unsigned>* out);

}  // namespace bench

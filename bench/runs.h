// The runs of one instance: each chosen algorithm at output level 0 with drawing off, timed
// (best of --repeat), its peak memory measured, its row printed and its tour saved.
#pragma once

#include <vector>

#include "instances.h"
#include "options.h"

namespace bench {

/// A run of the list held by this process: its number in the list and its table row.
struct HeldRun {
  unsigned index;
  int row;
};

class Bench {
 public:
  explicit Bench(const Settings& s) : s_(s) {}

  /// Exit status so far: 0, or 1 after a skipped file or a failed run.
  int status = 0;
  /// True once Ctrl-C stopped a run (or came between runs).
  bool interrupted = false;

  /// Rows printed.
  unsigned rows = 0;

  /// Runs the given runs of the job's instance, in their order.
  void Run(const Job& job, const std::vector<HeldRun>& runs);

 private:
  // The instance's bound, its row printed; false without one (interrupted, or no memory).
  bool Bound(const Job& job, unsigned index, double ns, long long* bound);
  // A run without a row: stopped by Ctrl-C, or no tour for want of memory.
  void Failed(const Job& job, const char* algo, bool tour_found);

  const Settings& s_;
};

}  // namespace bench

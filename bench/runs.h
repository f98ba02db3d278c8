// The runs of one instance: each chosen algorithm at output level 0 with drawing off, timed
// (best of --repeat), its peak memory measured, its row printed and its tour saved.
#pragma once

#include "instances.h"
#include "options.h"

namespace bench {

class Bench {
 public:
  explicit Bench(const Settings& s) : s_(s) {}

  /// Exit status so far: 0, or 1 after a skipped file or a failed run.
  int status = 0;
  /// True once Ctrl-C stopped a run (or came between runs).
  bool interrupted = false;

  /// Runs every chosen algorithm on the job's instance, in the order of the settings.
  void Run(const Job& job);

 private:
  // A run without a row: stopped by Ctrl-C, or no tour for want of memory.
  void Failed(const Job& job, const char* algo, bool tour_found);

  const Settings& s_;
};

}  // namespace bench

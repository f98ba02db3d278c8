// How far a long run is, reported by the algorithms at their natural steps (a vertex
// placed, a pass, a stage, a node) and shown by whoever asked for it: the shell's line on a
// terminal, the bench's, or a test's recorder.
//
// A step costs a few stores and a countdown; every so many steps a coarse clock is read,
// the stride adapting so that the clock is read about every 10 ms whatever a step costs.
// Nothing is formatted or written unless a display was switched on with ShowProgress and
// its first delay has passed. Runs nest (the 2-opt builds its first tour with the nearest
// neighbour); the innermost one is shown. Single-threaded: only the thread that runs the
// algorithm reports.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pvc {

/// What one display of progress shows.
struct ProgressReport {
  const char* name;     ///< the algorithm
  const char* unit;     ///< what is counted ("palier", "sommet", ...)
  uint64_t done;        ///< units done
  uint64_t total;       ///< units in all; 0 when not known in advance
  const char* measure;  ///< label of the figure ("longueur", "meilleur"); null for none
  uint64_t figure;      ///< the current length; shown when measure is set and known
  unsigned seconds;     ///< since the run started
};

/// Sentinel of ProgressReport::figure: no length yet.
constexpr uint64_t kNoFigure = UINT64_MAX;

/// Shows a report (called a few times a second at most).
typedef void (*ProgressSink)(const ProgressReport& report);

/// Formats "HRecuitSimule  palier 23/110  longueur 1234567  0:12" into out (size > 0),
/// cut to size - 1 characters.
void FormatProgress(const ProgressReport& r, char* out, std::size_t size);

/// Sends the reports of the runs that follow to sink: first after delay_ms, then every
/// interval_ms, from the clock's reading now.
void ShowProgress(ProgressSink sink, unsigned delay_ms = 500, unsigned interval_ms = 250);

/// Stops the display; true when the sink was called since ShowProgress (a line to erase).
bool HideProgress();

/// Replaces the clock (milliseconds, never going back) that paces the display; null
/// restores the monotonic coarse clock. For tests.
void SetProgressClock(uint64_t (*now_ms)());

/// One run's progress, from construction to destruction (every exit of the run).
class ProgressScope {
 public:
  ProgressScope(const char* name, const char* unit, uint64_t total, const char* measure = nullptr);
  ~ProgressScope();
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

  /// done units so far, and the current figure (kNoFigure when there is none yet).
  void Step(uint64_t done, uint64_t figure = kNoFigure) {
    report_.done = done;
    report_.figure = figure;
    if (--countdown_ == 0) Tick();
  }

  /// One more unit done in the innermost run, with its figure: for steps deep in a
  /// recursion that holds no scope.
  static void Advance(uint64_t figure) {
    if (top_ != nullptr) top_->Step(top_->report_.done + 1, figure);
  }

 private:
  static void Tick();
  static ProgressScope* top_;  // the innermost run
  static uint32_t countdown_;  // steps before the next clock reading, shared by all scopes
  ProgressReport report_;
  ProgressScope* outer_;
  friend bool HideProgress();
  friend void ShowProgress(ProgressSink, unsigned, unsigned);
};

}  // namespace pvc

// pvc-bench's standard error: one-line messages and, on a terminal, the progress line.
// Standard output carries only the rows.
#pragma once

#include <string>

namespace bench {

/// One line "pvc-bench: ..." on standard error, the progress line cleared first.
void Message(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

/// The progress line on standard error, kept only when that is a terminal: what runs, then
/// how far the run is, the figures of the workbench's own line after the instance's name.
class Progress {
 public:
  Progress();
  /// Shows text as the whole line.
  void Show(const std::string& text);
  /// Erases the line if one shows.
  void Clear();
  /// Shows the reports of the run that follows, after the instance's name; Stop ends them.
  void Start(const std::string& instance);
  void Stop();

 private:
  bool on_, shown_ = false;
};

/// The one progress line of the process.
extern Progress g_progress;

}  // namespace bench

#include "console.h"

#include <unistd.h>

#include <cstdarg>
#include <cstdio>

#include "containers/progress.h"
#include "shell/terminal.h"

namespace bench {
namespace {

std::string g_prefix;  // the instance's name, before the run's figures

void Report(const pvc::ProgressReport& r) {
  char line[256];
  pvc::FormatProgress(r, line, sizeof line);
  pvc::DrawTerminalLine(g_prefix.c_str(), line);
}

}  // namespace

Progress g_progress;

Progress::Progress() : on_(isatty(2) != 0) {}

void Progress::Show(const std::string& text) {
  if (on_) pvc::DrawTerminalLine("", text.c_str()), shown_ = true;
}

void Progress::Clear() {
  if (shown_) pvc::EraseTerminalLine();
  shown_ = false;
}

void Progress::Start(const std::string& instance) {
  if (!on_) return;
  g_prefix = instance + ": ";
  pvc::ShowProgress(Report);
}

void Progress::Stop() {
  if (on_ && pvc::HideProgress()) shown_ = true;
}

void Message(const char* fmt, ...) {
  g_progress.Clear();
  va_list ap;
  va_start(ap, fmt);
  fputs("pvc-bench: ", stderr);
  vfprintf(stderr, fmt, ap);
  fputc('\n', stderr);
  va_end(ap);
}

}  // namespace bench

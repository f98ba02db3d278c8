// Fuzz target for the command interpreter: the input is split into lines, each handed to
// Command as the main loop would. Instances and schedules are capped so that a case stays
// fast: at most 9 vertices, solve option 1 (short annealing and elastic schedules), at
// most two solve lines per input (the elastic net's thread steps dominate a run), and the
// draw interval is cleared after every line so that no run pauses.
#include <strings.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "algorithms/algorithms.h"
#include "shell/shell.h"

namespace {

constexpr size_t kLineMax = 999;
constexpr unsigned kMaxVertices = 9;
constexpr int kMaxSolves = 2;

// Rewrites a line into its capped form; the interpreter still sees every other byte.
// False when the line is to be skipped.
bool Cap(std::string& line, int& solves) {
  if (strncasecmp(line.c_str(), "random ", 7) == 0) {
    unsigned s, range, factor;
    if (sscanf(line.c_str() + 7, "%u%u%u", &s, &range, &factor) == 3 && s > kMaxVertices && s <= 2147483647u)
      line = "random " + std::to_string(s % (kMaxVertices + 1)) + " " + std::to_string(range) + " " +
             std::to_string(factor);
  } else if (strncasecmp(line.c_str(), "solve ", 6) == 0) {
    char word[50];
    int pos = 0;
    if (sscanf(line.c_str() + 6, "%49s%n", word, &pos) == 1) {
      if (++solves > kMaxSolves) return false;
      line = line.substr(0, 6 + pos) + " 1";
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool quiet = freopen("/dev/null", "w", stdout) != nullptr;
  (void)quiet;
  ResetShell();
  int solves = 0;
  size_t start = 0;
  while (start <= size) {
    size_t end = start;
    while (end < size && data[end] != '\n') ++end;
    if (end - start <= kLineMax && (end > start || end < size)) {
      // The line as a C string ends at its first NUL byte, as in the main loop.
      std::string line(reinterpret_cast<const char*>(data) + start, end - start);
      line.resize(strlen(line.c_str()));
      if (Cap(line, solves)) {
        int go_on = Command(&line[0]);
        CurrentOptions = pvc::OptionsWord(0, pvc::OutputOf(CurrentOptions));
        if (go_on == 0) break;
      }
    }
    start = end + 1;
  }
  ResetShell();
  fflush(stdout);
  return 0;
}

// Runs the pvc executable as a child process with pipes on its standard input and output,
// or on a pseudo-terminal (as a user's console), so that tests can type commands, send
// signals and read what it prints. time() is fixed in the child, so its instances are the
// same on every run. The child sees no display unless one is given, so it prints the
// drawing hooks' fixed line.
#pragma once

#include <sys/types.h>

#include <string>

class PvcProcess {
 public:
  /// terminal: both standard input and output on one pseudo-terminal. output_locale:
  /// standard output and error on a pseudo-terminal that does not translate line ends,
  /// input on a pipe, under that locale (LC_ALL), the coarse clock 1000 times faster.
  /// Otherwise pipes, standard error joining standard output.
  /// display: the X display the child sees (none when null).
  explicit PvcProcess(bool terminal = false, const char* output_locale = nullptr, const char* display = nullptr);
  ~PvcProcess();
  /// Writes text to the program's standard input.
  void Type(const std::string& text);
  /// Closes the program's standard input (end of input).
  void CloseInput();
  /// Reads output until it contains `what` after position `from`, or the timeout passes.
  bool WaitFor(const std::string& what, size_t from = 0, int timeout_ms = 20000);
  /// On a terminal: waits until the program reads keys one by one (the line editor's
  /// mode), so that keys typed next never meet the terminal's own line editing.
  bool WaitForKeyInput(int timeout_ms = 20000);
  /// Sends a signal to the program.
  void Signal(int sig);
  /// Ctrl-C once `what` is printed after `from`; true when the run then says it stopped.
  bool InterruptAfter(const std::string& what, size_t from = 0);
  /// Waits for the program to end and returns its exit status (-1 if killed by a signal).
  int Wait(int timeout_ms = 30000);
  const std::string& Output() const { return out_; }

 private:
  bool Pump(int timeout_ms);  // reads what is there within timeout_ms; false when nothing
  pid_t pid_ = -1;
  int in_ = -1, outfd_ = -1;
  std::string out_;
};

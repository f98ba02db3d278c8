// Runs the pvc executable as a child process with pipes on its standard input and output,
// or a pseudo-terminal, so that tests can type commands, send signals and read what it prints. time() is fixed
// in the child, so its instances are the same on every run.
#pragma once

#include <sys/types.h>

#include <string>

class PvcProcess {
 public:
  /// A pseudo-terminal on standard input, output and error (error on its own pipe when
  /// asked), without echo or output translation, under the locale given as LC_ALL.
  struct Terminal {
    const char* locale;
    bool error_on_pipe;
  };
  explicit PvcProcess(const Terminal* terminal = nullptr);
  ~PvcProcess();
  /// Writes text to the program's standard input.
  void Type(const std::string& text);
  /// Closes the program's standard input (end of input).
  void CloseInput();
  /// Reads output until it contains `what` after position `from`, or the timeout passes.
  bool WaitFor(const std::string& what, size_t from = 0, int timeout_ms = 20000);
  /// Sends a signal to the program.
  void Signal(int sig);
  /// Waits for the program to end and returns its exit status (-1 if killed by a signal).
  int Wait(int timeout_ms = 30000);
  const std::string& Output() const { return out_; }
  /// Standard error, when it is on its own pipe.
  const std::string& Errors() const { return err_; }

 private:
  bool Pump(int timeout_ms);  // reads what is there within timeout_ms; false when nothing
  pid_t pid_ = -1;
  int in_ = -1, outfd_ = -1, errfd_ = -1;
  bool terminal_ = false;
  std::string out_, err_;
};

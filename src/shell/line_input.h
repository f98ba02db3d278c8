// The shell's line input: prints the prompt and reads one command line. When standard
// input and output are both terminals and the line editor (libedit) was built in, lines
// are edited, recalled from a history kept in ~/.pvc_history and completed with Tab;
// otherwise standard input is read as it comes, with read(2). Either way the bytes on
// standard output are the same: the prompt "\n>" and nothing else.
#pragma once

#include <cstddef>

/// Longest command line; one more character holds the NUL.
constexpr size_t kLineMax = 999;

enum class LineStatus {
  kLine,         ///< a line was read (without its newline)
  kEnd,          ///< standard input has ended
  kTooLong,      ///< the line had more than kLineMax characters; it was dropped
  kInterrupted,  ///< Ctrl-C while waiting: the line being typed was dropped
};

class LineInput {
 public:
  LineInput();
  ~LineInput();
  LineInput(const LineInput&) = delete;
  LineInput& operator=(const LineInput&) = delete;

  /// Prints the prompt and reads one line into line (kLineMax + 1 characters).
  LineStatus Read(char* line);

 private:
  LineStatus ReadPlain(char* line);

  class Editor;
  Editor* editor_ = nullptr;  ///< the line editor on a terminal; null otherwise
  char chunk_[4096];          ///< what read(2) gave and the lines have not used yet
  size_t pos_ = 0, end_ = 0;
  bool eof_ = false;
};

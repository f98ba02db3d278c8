// The command shell: global state, the command interpreter and the main loop.
#pragma once

#include <sys/time.h>

#include <cstdint>
#include <string>

#include "graph/graphe.h"
#include "shell/result.h"

/// The current instance; null until the first successful random.
extern EuclidianGraphe* CurrentGraphe;
/// Head of the results list; null when empty.
extern Result* Results;
/// NAME of the current instance, written into saved tours: the file's for a loaded one.
extern std::string CurrentName;
/// Bits 0-15 draw interval, bits 16-23 output level, bits 24-31 always 0.
extern uint32_t CurrentOptions;

/// Runs one command line (NUL-terminated, without its newline). 0 ends the program.
int Command(char* buffer);

/// Greets, then prompts and runs commands until quit or the end of standard input.
/// Returns the exit status (always 0).
int RunShell();

/// Resets the global state to the start of a session (tests): no instance, no results,
/// options 0, the random stream as a new process starts it. Frees what the previous
/// state held.
void ResetShell();

/// Milliseconds between two clock readings, as the solve driver records them: the
/// seconds' difference times 1000 plus the microseconds' difference divided on its own,
/// in signed 32-bit arithmetic.
unsigned long ElapsedMilliseconds(const timeval& t1, const timeval& t2);

// Handlers of the solve driver, called by the dispatcher with the text after the keyword.
int CommandList();
int CommandSolve(const char* args);
int CommandShow();
int CommandView(const char* args);
// Files: load an instance, save the best tour.
int CommandLoad(const char* args);
int CommandSave(const char* args);

/// Reads the algorithm word at the start of args into algo (50 characters) and answers its
/// row, -1 when it names none (a word cut at 49 characters never does), -2 when args holds
/// no word. *end gets the position after the whole word.
int ScanAlgorithm(const char* args, char* algo, const char** end);
/// Prints the answer to an algorithm word that names no row.
void PrintAlgorithmNotFound(const char* algo);

// Captures what a piece of code, or a command line of the shell, prints on standard output.
#pragma once

#include <functional>
#include <string>

std::string CaptureStdout(const std::function<void()>& body);

/// Runs one line through the command interpreter; what it printed. *status gets its answer.
std::string Exec(const std::string& line, int* status = nullptr);

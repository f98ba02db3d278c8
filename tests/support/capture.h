// Captures what a piece of code prints on standard output.
#pragma once

#include <functional>
#include <string>

std::string CaptureStdout(const std::function<void()>& body);

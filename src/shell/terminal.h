// What the workbench does for a person at a terminal, and only there: Latin-1 texts shown
// as UTF-8 when the terminal decodes UTF-8, and the progress line of long runs.
#pragma once

#include "containers/progress.h"

namespace pvc {

/// Replaces stdout and stderr, each when it is a terminal and the locale's character set
/// (LC_CTYPE from the environment) is UTF-8, by streams that write their Latin-1 bytes as
/// UTF-8 to the same descriptors. Elsewhere the bytes stay as they are. The program's
/// own locale stays "C". Returns the streams replaced: bit 0 stdout, bit 1 stderr.
int InstallUtf8Output();

/// True when a run with these options shows its progress: standard error is a terminal,
/// the output level is 0 and the draw interval 0.
bool ProgressWanted(unsigned long options);

/// Draws prefix and text as the line of standard error, in place of the one drawn before,
/// cut to the terminal's width.
void DrawTerminalLine(const char* prefix, const char* text);

/// Erases the line drawn, so that what follows starts a clean line.
void EraseTerminalLine();

/// The shell's progress sink: the report as the terminal line.
void TerminalProgress(const ProgressReport& r);

}  // namespace pvc

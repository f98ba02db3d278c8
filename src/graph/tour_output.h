// Writing tours to files: TSPLIB TOUR files and SVG pictures that any browser shows.
#pragma once

#include <string>

/// Writes a TSPLIB TOUR file: NAME, COMMENT (when not empty), TYPE : TOUR, DIMENSION, then
/// TOUR_SECTION with the 1-based numbers of the cities tour[0] .. tour[n-1] one a line, -1
/// and EOF. The file is written under a temporary name in the same directory, then
/// renamed over path, so an existing file is either replaced whole or left as it was.
/// False, with "path: what" in *error and errno telling why, when the file cannot be
/// created, written completely or renamed; nothing is left behind then.
bool WriteTourFile(const char* path, const std::string& name, const std::string& comment, const int* tour,
                   unsigned n, std::string* error);

/// Writes an SVG picture of a closed tour: the cities at xy (x then y for each of the n
/// cities, y pointing north) scaled into a fixed frame, one circle per city, the tour as
/// one polyline back to its start, and the title above. Bytes of the title outside ASCII
/// are taken as Latin-1. False, with "path: what" in *error, when the file cannot be
/// written.
bool WriteTourSvg(const char* path, const std::string& title, const double* xy, const int* tour, unsigned n,
                  std::string* error);

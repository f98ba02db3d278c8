// Reading TSPLIB files: symmetric TSP instances (.tsp), tours (.tour) and lists of known
// optimal lengths.
//
// An instance becomes the EuclidianGraphe the algorithms read. Every weight is the exact
// TSPLIB distance (EUC_2D, CEIL_2D, ATT, GEO) or the matrix entry (EXPLICIT in FULL_MATRIX,
// UPPER_ROW, LOWER_ROW, UPPER_DIAG_ROW, LOWER_DIAG_ROW). The plane coordinates are the
// file's coordinates (or its display data) shifted so that the smallest is 0 and kept in
// the unit of the weights: unchanged for EUC_2D, CEIL_2D and display data, divided by
// sqrt(10) for ATT, kilometres on an equirectangular map for GEO; rounded to integers, and
// scaled down only when the extent would pass 2147483647. The coordinate bound is that
// extent; without coordinates every city sits at (0, 0) and the bound is the largest
// weight divided by sqrt(2), the side of a square whose diagonal is that weight.
//
// Errors are returned as one line "FILE:LINE: what" (or "FILE: what" when the file cannot
// be read at all); nothing is printed. Files are text: a control character other than
// tab, CR, LF and FF is an error at its line. Reading polls Ctrl-C (pvc::Interrupted) and
// stops with "reading interrupted"; a path is read as it comes, so a pipe, a FIFO or a
// device that never ends or gives nothing is left at Ctrl-C.
#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "containers/resources.h"
#include "graph/graphe.h"

/// One instance read from a TSPLIB file.
struct TsplibInstance {
  std::string name;                        ///< NAME without a ".tsp" suffix, else the file's base name
  std::unique_ptr<EuclidianGraphe> graph;  ///< weights, plane coordinates and their bound
  /// Coordinates for pictures, x then y for each city, y pointing north: the file's
  /// coordinates, its display data, or for GEO (longitude, latitude) in degrees. Null when
  /// the file has neither coordinates nor display data.
  pvc::Array<double> picture;

  /// True when the plane coordinates stand for the cities' places (elastic net possible).
  bool HasCoordinates() const { return picture != nullptr; }
};

/// How an instance file is read.
struct TsplibReading {
  bool french = false;                ///< messages in French (Latin-1), for the shell
  unsigned long long held_bytes = 0;  ///< memory the caller keeps while the file is read
};

/// Reads the TSPLIB file at path into *out, which must be empty. On any fault (file
/// missing or unreadable, TYPE other than TSP, unsupported EDGE_WEIGHT_TYPE or FORMAT,
/// DIMENSION not matching the data or too large for memory beside how.held_bytes, a
/// non-number, a weight negative or above 2147483647, a node number missing, repeated or
/// out of range, an allocation failure) returns false with one message in *error and *out
/// left empty.
bool ReadTsplib(const char* path, TsplibInstance* out, std::string* error, const TsplibReading& how = {});

/// ReadTsplib on an open stream (a memory stream or a file: reading it may block); label
/// names it in messages. The stream is not closed.
bool ReadTsplib(FILE* f, const char* label, TsplibInstance* out, std::string* error, const TsplibReading& how = {});

/// Reads the TOUR_SECTION of a TSPLIB tour file into *tour as 0-based cities. The list
/// ends with -1, a keyword or the end of the file, and must name each city of 1 ..
/// DIMENSION once. False, with one message in *error, on any other content.
bool ReadTour(const char* path, std::vector<int>* tour, std::string* error);

/// Reads "name : value" lines (the colon may be left out, blank lines are skipped, text
/// after the value is ignored) into *optima. False, with one message in *error, for a file
/// that cannot be read, a line without a whole number, or a name given twice.
bool ReadOptima(const char* path, std::map<std::string, unsigned long long>* optima, std::string* error);

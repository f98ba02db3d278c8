// pvc-bench's output forms: the table of generated instances (with the look-up columns),
// the table of TSPLIB files (with the optimum and the gap), CSV, and for each run a TSPLIB
// TOUR file and an SVG picture.
#pragma once

#include <string>
#include <vector>

#include "graph/arretes.h"
#include "instances.h"
#include "options.h"

namespace bench {

/// One measured run, as printed.
struct RunRow {
  unsigned index;           // number in the run list
  int row;                  // table row of the algorithm
  unsigned long long len;   // the tour's length
  double ms;                // best wall time
  double ns;                // cost of one look-up (generated tables only)
  double lookups;           // look-ups the algorithm is defined to make; <= 0 when not fixed
  double peak;              // peak resident MiB
  long long bound;          // the instance's lower bound; -1 when not known here
};

/// A CSV field: quoted when it holds a comma, a quote or a line end.
std::string CsvField(const std::string& s);

/// The excess of a length over a lower bound in percent, (length - bound) x 100 / bound
/// computed in double from the integers and printed with the given decimals; empty when
/// the bound is not known (negative) or 0.
std::string OverBound(unsigned long long len, long long bound, int decimals);

/// The header line of the rows that follow.
void PrintHeader(const Settings& s, bool generated);

/// The lines that open the output of a part (--shard): which part, the runs it holds out
/// of all, and the sweep's definition.
void PrintShardHead(const Settings& s, const std::string& definition, const std::vector<unsigned>& held,
                    unsigned total);
/// The line that closes the output of a part that ran to its end, with its row count.
void PrintShardEnd(const Settings& s, unsigned rows);

/// One row on standard output, the progress line cleared first; with --shard the run's
/// number leads the CSV row.
void PrintRow(const Settings& s, const Job& job, const RunRow& r);

/// Writes the TOUR file and the picture of a run when the settings ask for them; false,
/// with a message, when a file could not be written.
bool SaveTour(const Settings& s, const Job& job, const char* algo, tArretes* tour, unsigned long long len,
              long long bound);

/// False, with a message, when dir is not a directory this program can write into.
bool CheckDirectory(const char* option, const std::string& dir);

}  // namespace bench

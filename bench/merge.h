// --merge: the outputs of the parts of a sweep (pvc-bench --shard K/N) joined into the CSV
// the whole run prints, its rows in the order of the run list.
#pragma once

#include <string>
#include <vector>

namespace bench {

/// Reads the files of every part of one sweep and forms the merged CSV in *merged: the
/// header and the rows without their run number, in the order of the runs. False, with
/// one message naming the file in *error, when a file cannot be read or is not the output
/// of a part, when it was cut short (no end line, or fewer rows than it counts), when
/// files are of different sweeps, when a part or a row comes twice, or a part is missing.
bool MergeParts(const std::vector<std::string>& files, std::string* merged, std::string* error);

}  // namespace bench

#include "merge.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

#include "options.h"
#include "output.h"
#include "runlist.h"

namespace bench {
namespace {

// The output of one part, read and checked on its own.
struct Part {
  std::string file;
  unsigned k = 0, n = 0, total = 0;
  std::vector<unsigned> held;  // ascending
  std::string sweep, header;
  std::vector<std::pair<unsigned, std::string>> rows;  // run number, row without it
};

bool ReadFile(const std::string& file, std::string* text, std::string* error) {
  FILE* f = fopen(file.c_str(), "rb");
  if (!f) {
    *error = file + ": cannot read (" + strerror(errno) + ")";
    return false;
  }
  char buf[65536];
  for (size_t got; (got = fread(buf, 1, sizeof buf, f)) > 0;) text->append(buf, got);
  const bool ok = !ferror(f);
  fclose(f);
  if (!ok) *error = file + ": cannot read";
  return ok;
}

// Reads the numbers of a line that begins exactly as printf(format, v[0], v[1], ...)
// would print it (format holds count %u and nothing else); *rest gets what follows.
bool Scan(const std::string& line, const char* format, unsigned* v, int count, std::string* rest) {
  int used = -1;
  const std::string scan = std::string(format) + "%n";
  const int got = count == 3 ? sscanf(line.c_str(), scan.c_str(), &v[0], &v[1], &v[2], &used)
                             : sscanf(line.c_str(), scan.c_str(), &v[0], &v[1], &v[2], &v[3], &used);
  if (got < count || used < 0) return false;
  char again[200];
  snprintf(again, sizeof again, format, v[0], v[1], v[2], v[3]);
  if (line.compare(0, static_cast<size_t>(used), again) != 0) return false;
  *rest = line.substr(static_cast<size_t>(used));
  return true;
}

bool ReadPart(const std::string& file, Part* p, std::string* error) {
  std::string text;
  if (!ReadFile(file, &text, error)) return false;
  p->file = file;
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
    lines.push_back(text.substr(start, nl - start));
  // A last line without its line end was cut in its middle.
  auto at = [&](size_t i) { return file + ":" + std::to_string(i + 1) + ": "; };
  std::string rest;
  unsigned v[4] = {};
  if (lines.empty() || !Scan(lines[0], "# pvc-bench shard %u/%u holds %u of %u runs: ", v, 4, &rest) ||
      v[0] >= v[1] || !ParseRanges(rest, v[3], v[2], &p->held) || p->held.size() != v[2]) {
    *error = at(0) + "not the output of a part of a sweep (pvc-bench --shard K/N)";
    return false;
  }
  if (lines.size() < 3 || lines[1].compare(0, 8, "# sweep ") != 0 || lines[2].compare(0, 4, "run,") != 0) {
    *error = file + ": cut short or damaged: no sweep line and CSV header after the first line";
    return false;
  }
  p->k = v[0], p->n = v[1], p->total = v[3];
  p->sweep = lines[1];
  p->header = lines[2].substr(4);
  for (size_t i = 3; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.compare(0, 15, "# end of shard ") == 0) {
      if (!Scan(line, "# end of shard %u/%u: %u rows", v, 3, &rest) || !rest.empty() || v[0] != p->k ||
          v[1] != p->n) {
        *error = at(i) + "not the end line of part " + std::to_string(p->k) + "/" + std::to_string(p->n);
        return false;
      }
      if (v[2] != p->rows.size()) {
        *error = at(i) + "the end line counts " + std::to_string(v[2]) + " rows, the file holds " +
                 std::to_string(p->rows.size());
        return false;
      }
      if (i + 1 != lines.size() || start != text.size()) {
        *error = at(i + 1) + "lines after the end line";
        return false;
      }
      return true;
    }
    const size_t comma = line.find(',');
    unsigned run = 0;
    if (comma == 0 || comma == std::string::npos || comma > 9 ||
        line.find_first_not_of("0123456789") != comma ||
        (run = static_cast<unsigned>(std::stoul(line.substr(0, comma)))) >= p->total) {
      *error = at(i) + "not a row of the sweep";
      return false;
    }
    if (!std::binary_search(p->held.begin(), p->held.end(), run)) {
      *error = at(i) + "run " + std::to_string(run) + " is not one this part holds";
      return false;
    }
    p->rows.push_back({run, line.substr(comma + 1)});
  }
  *error = file + ": cut short: no end line";
  return false;
}

// The fields of a CSV line, quoted ones unquoted; Csv joins them back as the rows print.
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> out(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"')
      out.back() += '"', ++i;
    else if (c == '"')
      quoted = !quoted;
    else if (c == ',' && !quoted)
      out.emplace_back();
    else
      out.back() += c;
  }
  return out;
}

std::string Csv(const std::vector<std::string>& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) line += (i ? "," : "") + CsvField(fields[i]);
  return line;
}

// Runs per instance when the sweep holds a bound (each instance's bound first, then one
// run a row of --algo); 0 without --bound.
size_t BoundBlock(const std::string& sweep) {
  const std::string tail = " --bound";
  if (sweep.size() < tail.size() || sweep.compare(sweep.size() - tail.size(), tail.size(), tail) != 0) return 0;
  const size_t algo = sweep.find(" --algo ");
  if (algo == std::string::npos) return 0;
  const size_t begin = algo + 8, end = sweep.find(' ', begin);
  return 1 + static_cast<size_t>(std::count(sweep.begin() + begin, sweep.begin() + end, ',')) + 1;
}

// A row whose part did not hold its instance's bound row gets the bound and the excess
// from that row, as the whole run, which computes the bound first, prints them.
void FillBound(const std::map<unsigned, const std::string*>& rows, size_t block, unsigned run, std::string* row) {
  enum { kAlgo = 2, kLength = 3, kBound = 6, kOver = 7, kCount = 10 };
  std::vector<std::string> f = Fields(*row);
  const auto first = rows.find(static_cast<unsigned>(run - run % block));
  if (first == rows.end() || f.size() != kCount || !f[kBound].empty() || f[kAlgo] == RowName(kBoundRow)) return;
  const std::vector<std::string> b = Fields(*first->second);
  if (b.size() != kCount || b[kAlgo] != RowName(kBoundRow) || b[kBound].empty()) return;
  f[kBound] = b[kBound];
  f[kOver] = OverBound(strtoull(f[kLength].c_str(), nullptr, 10), strtoll(b[kBound].c_str(), nullptr, 10), 4);
  *row = Csv(f);
}

}  // namespace

bool MergeParts(const std::vector<std::string>& files, std::string* merged, std::string* error) {
  std::vector<Part> parts(files.size());
  for (size_t i = 0; i < files.size(); ++i)
    if (!ReadPart(files[i], &parts[i], error)) return false;
  // Maps rather than arrays: memory follows the files, whatever counts their lines claim.
  const Part& first = parts[0];
  std::map<unsigned, const Part*> by_k, holder;  // part number, run number -> its part
  std::map<unsigned, const std::string*> rows;
  for (const Part& p : parts) {
    if (p.n != first.n || p.total != first.total || p.sweep != first.sweep || p.header != first.header) {
      *error = p.file + ": part of another sweep than " + first.file;
      return false;
    }
    const auto part = by_k.emplace(p.k, &p);
    if (!part.second) {
      *error = p.file + ": part " + std::to_string(p.k) + "/" + std::to_string(p.n) + " again, as " +
               part.first->second->file;
      return false;
    }
    for (unsigned run : p.held) {
      const auto held = holder.emplace(run, &p);
      if (!held.second) {
        *error = p.file + ": holds run " + std::to_string(run) + " as " + held.first->second->file +
                 " does: parts of different splits";
        return false;
      }
    }
    for (const auto& row : p.rows)
      if (!rows.emplace(row.first, &row.second).second) {
        *error = p.file + ": run " + std::to_string(row.first) + " twice";
        return false;
      }
  }
  // Numbers below n (below total) all present: the first gap, if any, is at most at size().
  for (unsigned k = 0; by_k.size() < first.n; ++k)
    if (!by_k.count(k)) {
      *error = "part " + std::to_string(k) + "/" + std::to_string(first.n) + " missing (the sweep of " + first.file +
               ")";
      return false;
    }
  for (unsigned run = 0; holder.size() < first.total; ++run)
    if (!holder.count(run)) {
      *error = first.file + ": run " + std::to_string(run) + " held by no part: parts of different splits";
      return false;
    }
  *merged = first.header + "\n";
  const size_t block = BoundBlock(first.sweep);
  for (const auto& row : rows) {
    std::string line = *row.second;
    if (block) FillBound(rows, block, row.first, &line);
    *merged += line + "\n";
  }
  return true;
}

}  // namespace bench

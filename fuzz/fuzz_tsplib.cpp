// Fuzz target for the TSPLIB reader: the input is read as an instance file. A file it
// accepts must hold a valid instance whose cities lie within the coordinate bound; one it
// refuses must give one message and no instance. Inputs whose DIMENSION asks for more than
// kMaxDimension cities are skipped, so that no case allocates beyond the fuzzer's limits.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "graph/tsplib.h"

namespace {

constexpr unsigned long kMaxDimension = 2000;

// True when every number that follows a DIMENSION keyword (after blanks and colons)
// stays within the cap; a DIMENSION that is no number is left to the reader.
bool SmallDimensions(const std::string& text) {
  for (size_t p = text.find("DIMENSION"); p != std::string::npos; p = text.find("DIMENSION", p + 1)) {
    size_t q = p + 9;
    while (q < text.size() && strchr(" \t\r\v\f:", text[q]) != nullptr && text[q] != '\0') ++q;
    unsigned long v = 0;
    for (; q < text.size() && text[q] >= '0' && text[q] <= '9'; ++q)
      if ((v = v * 10 + static_cast<unsigned long>(text[q] - '0')) > kMaxDimension) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  if (!SmallDimensions(text)) return 0;
  FILE* f = fmemopen(size ? &text[0] : nullptr, size, "r");
  if (f == nullptr) return 0;
  TsplibInstance inst;
  std::string error;
  const bool ok = ReadTsplib(f, "fuzz.tsp", &inst, &error);
  fclose(f);
  if (ok != (inst.graph != nullptr) || ok != error.empty()) abort();
  if (!ok) return 0;
  const EuclidianGraphe& g = *inst.graph;
  if (!g.Valid() || g.GetSommets() < 2) abort();
  for (unsigned i = 0; i < g.GetSommets(); ++i) {
    const Point2D* c = g.GetCoords(static_cast<int>(i));
    if (c->x > g.GetMaxCoord() || c->y > g.GetMaxCoord()) abort();
    for (unsigned j = i + 1; j < g.GetSommets(); ++j)
      if (g.Get(static_cast<int>(i), static_cast<int>(j)) > 2147483647u) abort();
  }
  return 0;
}

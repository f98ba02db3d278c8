#include "kinds.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "graph/random.h"

namespace bench {
namespace {

// A uniform draw in [0, 1): one value of the stream over 2^31, exact in a double.
double Uniform() { return pvc::Random() / 2147483648.0; }

}  // namespace

bool ParseKind(const std::string& word, Kind* kind) {
  if (word == "uniform")
    *kind = Kind::kUniform;
  else if (word == "clustered")
    *kind = Kind::kClustered;
  else
    return false;
  return true;
}

const char* KindName(Kind kind) { return kind == Kind::kUniform ? "uniform" : "clustered"; }

std::string InstanceName(Kind kind, unsigned n, unsigned seed) {
  return (kind == Kind::kUniform ? "random" : "clustered") + std::to_string(n) + "-s" + std::to_string(seed);
}

double PortableLog(double x) {
  // x = m 2^e with m in [sqrt(1/2), sqrt(2)); log m = 2 atanh(s), s = (m-1)/(m+1), |s| <=
  // 0.172, whose odd series gains more than 1.5 decimal digits a term: 13 terms pass the
  // double's precision.
  int e = 0;
  double m = std::frexp(x, &e);  // exact
  if (m < 0.70710678118654752) m *= 2, --e;
  const double s = (m - 1) / (m + 1), s2 = s * s;
  double series = 0;
  for (int k = 12; k >= 0; --k) series = series * s2 + 1.0 / (2 * k + 1);
  return e * 0.69314718055994531 + 2 * s * series;
}

void NormalPair(double* a, double* b) {
  double u, v, s;
  do {
    u = 2 * Uniform() - 1;
    v = 2 * Uniform() - 1;
    s = u * u + v * v;
  } while (s >= 1 || s == 0);
  const double f = std::sqrt(-2 * PortableLog(s) / s);  // sqrt is exact to the last bit everywhere
  *a = u * f;
  *b = v * f;
}

void GenerateInstance(Kind kind, EuclidianGraphe* g, unsigned range, unsigned seed) {
  if (kind == Kind::kUniform) {
    g->Generate(range, 1, seed, nullptr);
    return;
  }
  const unsigned n = g->GetSommets();
  pvc::SeedRandom(seed);
  const unsigned centres = n / 10 > 0 ? n / 10 : 1;
  std::vector<double> cx(centres), cy(centres);
  for (unsigned c = 0; c < centres; ++c) {
    cx[c] = range * Uniform();
    cy[c] = range * Uniform();
  }
  const double sd = range / std::sqrt(static_cast<double>(n));
  auto place = [range](double v) {
    const double r = std::floor(v + 0.5);
    return r <= 0 ? 0u : r >= range ? range : static_cast<uint32_t>(r);
  };
  for (unsigned i = 0; i < n; ++i) {
    const unsigned c = static_cast<unsigned>((static_cast<uint64_t>(pvc::Random()) * centres) >> 31);
    double zx, zy;
    NormalPair(&zx, &zy);
    g->GetCoords(static_cast<int>(i))->x = place(cx[c] + sd * zx);
    g->GetCoords(static_cast<int>(i))->y = place(cy[c] + sd * zy);
  }
  g->SetCoordinateBound(range);
  if (g->Stored()) g->FillStoredWeights();
}

}  // namespace bench

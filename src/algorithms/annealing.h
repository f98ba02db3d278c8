// The arithmetic of the simulated annealing's schedule and acceptance test, with the exact
// single-precision roundings the traces show, and a cache that decides the acceptance test
// with the same outcome without an exp() per exchange.
#pragma once

#include <cmath>
#include <cstdint>

#include "algorithms/algorithms.h"

namespace pvc {

struct AnnealingSchedule {
  uint32_t stages;       ///< temperature stages: 5 x low nibble of the option byte, 35 for 0
  uint32_t transitions;  ///< transitions per stage: 4 x high nibble x n, 28 x n for 0
};

/// The schedule that the option byte (bits 24-31 of options) sets for n vertices.
inline AnnealingSchedule AnnealingScheduleOf(unsigned long options, uint32_t n) {
  const uint32_t b = OptionByteOf(options);
  const uint32_t low = b & 0x0F, high = b & 0xF0;
  return {low != 0 ? 5 * low : 35, high != 0 ? (n * high) >> 2 : 28 * n};
}

/// Typical edge length MaxCoord / sqrt(n), computed in double, rounded to float.
inline float AnnealingTypicalLength(uint32_t maxcoord, uint32_t n) {
  return static_cast<float>(static_cast<double>(maxcoord) / std::sqrt(static_cast<double>(n)));
}

/// Initial temperature tlen / 2 / 0.7, computed in double, rounded to float.
inline float AnnealingInitialTemperature(float tlen) {
  return static_cast<float>(static_cast<double>(tlen) / 2.0 / 0.7);
}

/// Temperature of the next stage: times 0.93, rounded to float.
inline float AnnealingCool(float temperature) {
  return static_cast<float>(static_cast<double>(temperature) * 0.93);
}

/// Acceptance threshold of a non-improving exchange: exp(gain / temperature) x (2^31 - 1),
/// the quotient in double, rounded to float. NaN when gain and temperature are both 0.
inline float MetropolisThreshold(long long gain, float temperature) {
  return static_cast<float>(std::exp(static_cast<double>(gain) / static_cast<double>(temperature)) *
                            2147483647.0);
}

/// True when the draw rnd falls below the threshold (compared exactly; NaN never accepts).
/// A gain of 0 at a positive temperature gives 2^31, above every draw.
inline bool MetropolisAccepts(float seuil, int rnd) {
  return static_cast<double>(seuil) > static_cast<double>(rnd);
}

/// Decides the acceptance test of non-improving exchanges at one temperature exactly as
/// MetropolisAccepts(MetropolisThreshold(gain, temperature), rnd) does, without an exp()
/// per exchange. The thresholds of the gains 0, -h, -2h, ... down to a cut-off of at least
/// 30 x temperature are computed on first use, h being the least power of two that covers
/// that range with kCells cells (h = 1 up to a temperature of about 136); each is kept as
/// the least draw that it does not exceed.
///
/// Why the shortcuts are exact, for a temperature T > 0:
/// - A loss beyond the cut-off makes gain / T < -30, so the threshold is below
///   e^-30 x 2^31 < 0.001 and under every draw but 0; a draw of 0 is decided by exp().
/// - A gain on the grid reads its threshold from its cell, computed by the same function.
/// - A gain g between two grid gains lo < g < hi (only when h > 1, so |g| / T < 60): the
///   quotients lo / T < g / T < hi / T lie at least 1 / T > 5e-10 apart (T < 1.8e9 with
///   three vertices or more), far beyond the rounding of such a quotient (1e-14) and
///   exp()'s error (a few 1e-16, relative); the product and the rounding to float keep the
///   order, so threshold(lo) <= threshold(g) <= threshold(hi). A draw below threshold(lo)
///   accepts, one at or above threshold(hi) refuses, and only a draw in between calls exp().
/// At T = 0 h is 1: the cells give NaN for gain 0 (never accepts) and 0 for a loss.
class MetropolisCache {
 public:
  /// Forgets every threshold and takes the next temperature (finite, not negative).
  void Reset(float temperature);
  /// True when the exchange of the given gain (<= 0) is accepted with the draw rnd (>= 0).
  bool Accepts(long long gain, int rnd) {
    const long long loss = -gain;
    const uint32_t r = static_cast<uint32_t>(rnd);
    if (loss > cutoff_) return r == 0 && MetropolisAccepts(MetropolisThreshold(gain, temperature_), 0);
    const long long c = loss >> shift_;
    const uint32_t hi = Limit(c);
    if ((loss & mask_) == 0) return r < hi;
    if (r < Limit(c + 1)) return true;
    if (r >= hi) return false;
    return MetropolisAccepts(MetropolisThreshold(gain, temperature_), rnd);
  }

 private:
  static constexpr int kCells = 4096;
  static constexpr uint32_t kUnset = 0xFFFFFFFFu;
  uint32_t Limit(long long c) { return limit_[c] != kUnset ? limit_[c] : Fill(c); }
  uint32_t Fill(long long c);  // computes the cell of the gain -c x h

  float temperature_ = 0;
  int shift_ = 0;               // h = 2^shift_
  long long mask_ = 0;          // h - 1
  long long cutoff_ = 0;        // kCells x h, at least 30 x temperature
  uint32_t limit_[kCells + 1];  // least draw not below each cell's threshold; kUnset before use
};

/// Vertex counts up to which the annealing reads its weights from a square copy of the
/// matrix (4 n^2 bytes, at most 16 MB) rather than from the instance's triangle.
constexpr unsigned kAnnealingSquareLimit = 2048;

/// The annealing of PVC_HRecuitSimule, its weights read from a square copy of the matrix
/// (square true) or from the instance's triangle, with the same result and output.
tArretes* HRecuitSimule(EuclidianGraphe* e, unsigned long options, bool square);

}  // namespace pvc

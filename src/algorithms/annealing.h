// The arithmetic of the simulated annealing's schedule and acceptance test, with the exact
// single-precision roundings the traces show.
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

}  // namespace pvc

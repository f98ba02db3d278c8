// The workbench's pseudo-random generator: the additive feedback generator of degree 31 and
// separation 3 that the C library's srand()/rand() use on this platform, reproduced here
// without the library's lock. One stream serves the whole program: the instance generator
// seeds it, the annealing continues it. The same seed gives the same numbers on every
// platform, whatever its C library.
#pragma once

#include <cstdint>

namespace pvc {

/// The generator's state: the last 31 values of the recurrence r[i] = r[i-31] + r[i-3]
/// (mod 2^32), value i at slot i mod 31; `front` is the slot of the next value, `rear`
/// that of the value three places behind it.
struct RandomState {
  uint32_t r[31];
  unsigned front, rear;
};

extern RandomState g_random;

/// Seeds the stream as srand(seed) does (0 is taken as 1).
void SeedRandom(unsigned int seed);

/// The next value of the stream, 0 .. 2147483647, as rand() returns it.
inline int Random() {
  RandomState& s = g_random;
  const uint32_t v = s.r[s.front] += s.r[s.rear];
  s.front = s.front == 30 ? 0 : s.front + 1;
  s.rear = s.rear == 30 ? 0 : s.rear + 1;
  return static_cast<int>(v >> 1);
}

}  // namespace pvc

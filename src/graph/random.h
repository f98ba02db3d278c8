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

/// The next value of a state, 0 .. 2147483647, as rand() returns it.
constexpr int NextRandom(RandomState& s) {
  const uint32_t v = s.r[s.front] += s.r[s.rear];
  s.front = s.front == 30 ? 0 : s.front + 1;
  s.rear = s.rear == 30 ? 0 : s.rear + 1;
  return static_cast<int>(v >> 1);
}

/// The state srand(seed) gives (0 is taken as 1).
constexpr RandomState SeededState(unsigned int seed) {
  RandomState s{};
  s.r[0] = seed == 0 ? 1 : seed;
  // r[i] = 16807 r[i-1] mod 2147483647 on signed 32-bit values, by Schrage's method so that
  // no product overflows.
  int32_t word = static_cast<int32_t>(s.r[0]);
  for (int i = 1; i < 31; ++i) {
    const int32_t hi = word / 127773, lo = word % 127773;
    word = 16807 * lo - 2836 * hi;
    if (word < 0) word += 2147483647;
    s.r[i] = static_cast<uint32_t>(word);
  }
  // r[31..33] repeat r[0..2], which already sit in slots 0..2; r[34] is the first value the
  // recurrence forms, in slot 3 from r[3] and r[31]. The first 310 values are discarded.
  s.front = 3;
  s.rear = 0;
  for (int i = 0; i < 310; ++i) NextRandom(s);
  return s;
}

/// The program's stream. Before any seeding it is in the state of seed 1, as the C
/// library's is before the first srand(): a session that never drew an instance (one that
/// began with a file) anneals on that stream, not on an all-zero state.
extern RandomState g_random;

/// Seeds the stream as srand(seed) does (0 is taken as 1).
inline void SeedRandom(unsigned int seed) { g_random = SeededState(seed); }

/// The next value of the stream, 0 .. 2147483647, as rand() returns it.
inline int Random() { return NextRandom(g_random); }

}  // namespace pvc

#include "graph/random.h"

namespace pvc {

RandomState g_random;

void SeedRandom(unsigned int seed) {
  RandomState& s = g_random;
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
  for (int i = 0; i < 310; ++i) Random();
}

}  // namespace pvc

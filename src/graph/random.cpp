#include "graph/random.h"

namespace pvc {

// Formed at compile time, so that no code running before main finds the stream unseeded.
constexpr RandomState kSeedOne = SeededState(1);
RandomState g_random = kSeedOne;

}  // namespace pvc

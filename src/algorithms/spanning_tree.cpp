#include "algorithms/algorithms.h"

// Not built yet: the row answers null.
tArretes* PVC_HARPM(EuclidianGraphe*, unsigned long) { return nullptr; }

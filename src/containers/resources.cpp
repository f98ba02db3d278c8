#include "containers/resources.h"

#include <atomic>
#include <cstdlib>

namespace pvc {

volatile std::sig_atomic_t g_interrupt = 0;

namespace {
// Acquisitions may come from the elastic net's driver while workers run, so the
// counters are atomic; they cost nothing measurable next to malloc itself.
std::atomic<unsigned long> g_fail_at{0};
std::atomic<unsigned long> g_count{0};
}  // namespace

bool AcquireFails() {
  unsigned long n = ++g_count;
  unsigned long at = g_fail_at.load(std::memory_order_relaxed);
  return at != 0 && n == at;
}

void FailAcquisitionAt(unsigned long n) {
  g_count = 0;
  g_fail_at = n;
}

unsigned long AcquisitionCount() { return g_count; }

void* Malloc(std::size_t size) {
  if (AcquireFails()) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}

void* Calloc(std::size_t count, std::size_t size) {
  if (AcquireFails()) return nullptr;
  if (count == 0 || size == 0) return std::calloc(1, 1);
  return std::calloc(count, size);
}

}  // namespace pvc

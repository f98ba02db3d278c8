#include "containers/resources.h"

#include <sys/mman.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace pvc {

volatile std::sig_atomic_t g_interrupt = 0;

namespace {
// Acquisitions may come from the elastic net's driver while workers run, so the
// counters are atomic; they cost nothing measurable next to malloc itself.
std::atomic<unsigned long> g_fail_at{0};
std::atomic<unsigned long> g_count{0};
// Blocks of kLargeBlock bytes and more start on a 2 MiB boundary and ask for huge pages
// where the system grants them: their first touch then costs one page fault per 2 MiB
// instead of one per 4 KiB, and random reads into them miss the address cache far less.
// A hint only: where it is refused the block is an ordinary one.
constexpr std::size_t kLargeBlock = std::size_t{8} << 20;
constexpr std::size_t kHugePage = std::size_t{2} << 20;

void* AllocateLarge(std::size_t size) {
  void* p = nullptr;
  if (posix_memalign(&p, kHugePage, size) != 0) return nullptr;
#ifdef MADV_HUGEPAGE
  madvise(p, size & ~std::size_t{4095}, MADV_HUGEPAGE);
#endif
  return p;
}
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
  if (size >= kLargeBlock) return AllocateLarge(size);
  return std::malloc(size == 0 ? 1 : size);
}

void* Calloc(std::size_t count, std::size_t size) {
  if (AcquireFails()) return nullptr;
  if (count == 0 || size == 0) return std::calloc(1, 1);
  if (count > SIZE_MAX / size) return nullptr;
  if (count * size >= kLargeBlock) {
    void* p = AllocateLarge(count * size);
    if (p) std::memset(p, 0, count * size);
    return p;
  }
  return std::calloc(count, size);
}

}  // namespace pvc

// Resource acquisition and interruption hooks shared by the whole workbench.
//
// Every allocation, thread start and semaphore creation of the system goes through
// AcquireFails(), so that tests can make the n-th acquisition fail and check that each
// caller releases what it holds and reports the failure. Long runs poll Interrupted(),
// which the SIGINT handler of the shell sets, so that Ctrl-C ends the current run.
#pragma once

#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <utility>

namespace pvc {

/// Counts one acquisition; true when the test hook says that this one fails.
bool AcquireFails();

/// Makes the n-th acquisition from now fail (1 = the next one); 0 switches the hook off.
void FailAcquisitionAt(unsigned long n);

/// Number of acquisitions counted since the last FailAcquisitionAt call.
unsigned long AcquisitionCount();

/// malloc that honours the fault hook; null on failure.
void* Malloc(std::size_t size);

/// calloc that honours the fault hook; null on failure (including size overflow).
void* Calloc(std::size_t count, std::size_t size);

/// Releases a block of Malloc or Calloc.
struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};

/// A malloc'd array that is freed when it goes out of scope; what every algorithm holds
/// its working arrays in, so that each exit releases them.
template <class T>
using Array = std::unique_ptr<T[], FreeDeleter>;

/// An array of count Ts from Malloc, or zero-filled from Calloc; empty on failure.
template <class T>
Array<T> NewArray(std::size_t count, bool zeroed = false) {
  return Array<T>(static_cast<T*>(zeroed ? Calloc(count, sizeof(T)) : Malloc(count * sizeof(T))));
}

/// new T(args...) that honours the fault hook and never throws; null on failure.
template <class T, class... Args>
T* New(Args&&... args) {
  if (AcquireFails()) return nullptr;
  return new (std::nothrow) T(std::forward<Args>(args)...);
}

/// Set by the SIGINT handler while an algorithm runs; cleared by the solve driver.
extern volatile std::sig_atomic_t g_interrupt;

/// True when the user asked the current run to stop.
inline bool Interrupted() { return g_interrupt != 0; }

}  // namespace pvc

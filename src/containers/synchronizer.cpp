#include "containers/synchronizer.h"

#include <sched.h>

#include <cerrno>
#include <cstdlib>

#include "containers/resources.h"

namespace {

// Tries before a wait blocks; each failed try gives the processor to any other runnable
// thread. About 20 microseconds on an idle processor.
constexpr int kTries = 20;

// A wait on s. The hand-offs of a step follow one another within microseconds, while
// waking a thread that has gone to sleep costs far more (tens of microseconds, and more
// where an idle virtual processor halts), so the wait first tries the semaphore a few
// times, yielding in between, and only then blocks. sem_wait is never restarted after a
// signal handler (SIGINT has one while the shell runs), whatever SA_RESTART says, so an
// interrupted wait is simply taken up again.
void Take(sem_t* s) {
  for (int i = 0; i < kTries; ++i) {
    if (sem_trywait(s) == 0) return;
    sched_yield();
  }
  while (sem_wait(s) != 0 && errno == EINTR) {
  }
}

bool MakeSemaphore(sem_t* s, unsigned value) {
  if (pvc::AcquireFails()) {
    errno = EAGAIN;
    return false;
  }
  return sem_init(s, 0, value) == 0;
}

}  // namespace

synchronizer* synchronizer_new() {
  synchronizer* sync = static_cast<synchronizer*>(pvc::Malloc(sizeof(synchronizer)));
  if (sync == nullptr) {
    errno = ENOMEM;
    return nullptr;
  }
  // Made in this order; on failure those made so far are destroyed, and errno tells why.
  sem_t* const sems[] = {&sync->internal, &sync->sigwait, &sync->waitwait, &sync->sigack};
  const unsigned values[] = {1, 0, 0, 0};
  for (int made = 0; made < 4; ++made) {
    if (MakeSemaphore(sems[made], values[made])) continue;
    const int err = errno;
    while (made > 0) sem_destroy(sems[--made]);
    free(sync);
    errno = err;
    return nullptr;
  }
  sync->sigwaiters = 0;
  sync->waitwaitcount = 0;
  return sync;
}

void synchronizer_waitforsignal(synchronizer* sync) {
  Take(&sync->internal);
  ++sync->sigwaiters;
  if (sync->waitwaitcount != 0 && sync->sigwaiters >= sync->waitwaitcount) {
    sem_post(&sync->waitwait);
    sync->waitwaitcount = 0;
  }
  sem_post(&sync->internal);
  Take(&sync->sigwait);
  // Released, within a release during which the controller holds internal: this worker
  // no longer counts as waiting; it releases the next one, or, the last, acknowledges.
  if (--sync->sigwaiters != 0)
    sem_post(&sync->sigwait);
  else
    sem_post(&sync->sigack);
}

void synchronizer_signal(synchronizer* sync) {
  Take(&sync->internal);
  // The first wake-up; the workers pass the release on one after the other, each once it
  // has taken its own, and the last one acknowledges.
  if (sync->sigwaiters != 0) {
    sem_post(&sync->sigwait);
    Take(&sync->sigack);
  }
  sem_post(&sync->internal);
}

bool synchronizer_waitforwaiters(synchronizer* sync, unsigned long waiterslimit) {
  Take(&sync->internal);
  if (sync->waitwaitcount != 0) {
    sem_post(&sync->internal);
    return false;
  }
  if (waiterslimit <= sync->sigwaiters) {
    sem_post(&sync->internal);
    return true;
  }
  sync->waitwaitcount = static_cast<uint32_t>(waiterslimit);
  sem_post(&sync->internal);
  Take(&sync->waitwait);
  return true;
}

void synchronizer_destroy(synchronizer* sync) {
  sem_destroy(&sync->internal);
  sem_destroy(&sync->waitwait);
  sem_destroy(&sync->sigwait);
  sem_destroy(&sync->sigack);
  free(sync);
}

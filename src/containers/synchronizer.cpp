#include "containers/synchronizer.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "containers/resources.h"

namespace {

// sem_wait is never restarted after a signal handler (SIGINT has one while the shell
// runs), whatever SA_RESTART says, so an interrupted wait is simply taken up again.
void Take(sem_t* s) {
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
  // On failure the semaphores made so far are destroyed; errno tells why it failed.
  int made = 0;
  if (MakeSemaphore(&sync->internal, 1)) ++made;
  if (made == 1 && MakeSemaphore(&sync->sigwait, 0)) ++made;
  if (made == 2 && MakeSemaphore(&sync->waitwait, 0)) ++made;
  if (made < 3) {
    const int err = errno;
    if (made >= 2) sem_destroy(&sync->sigwait);
    if (made >= 1) sem_destroy(&sync->internal);
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
}

void synchronizer_signal(synchronizer* sync) {
  Take(&sync->internal);
  while (sync->sigwaiters != 0) {
    --sync->sigwaiters;
    sem_post(&sync->sigwait);
    // The next worker is released only once this one has taken its wake-up.
    int value;
    do {
      sem_getvalue(&sync->sigwait, &value);
      usleep(1);
    } while (value != 0);
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
  free(sync);
}

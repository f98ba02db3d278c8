// A rendezvous of one controlling thread and a group of worker threads, built from four
// process-private POSIX semaphores.
//
// Workers announce themselves with synchronizer_waitforsignal and block; the controller
// releases every announced worker with synchronizer_signal, then waits with
// synchronizer_waitforwaiters until the whole group has announced itself again. Between
// that return and the next signal every worker is blocked, so the controller may change
// shared data without locking. The semaphores also order memory across these points.
//
// A signal releases the workers one after the other without waking the controller in
// between: it posts one wake-up, and each released worker, once it has taken its own,
// posts the next one or, the last, acknowledges to the controller. The controller holds
// internal from the start of the release to that acknowledgement, so the counters are
// still guarded and a worker announcing itself meanwhile waits for the next signal. A
// wait tries its semaphore a few times, yielding the processor, before it blocks; no
// thread sleeps for a set time.
#pragma once

#include <semaphore.h>

#include <cstdint>

struct synchronizer {
  sem_t internal;          ///< value 1: a mutex guarding the two counters (held by the
                           ///< controller for a whole release, on the workers' behalf)
  sem_t sigwait;           ///< workers block on it; each post releases one
  uint32_t sigwaiters;     ///< announced workers not yet released
  sem_t waitwait;          ///< the controller blocks on it
  uint32_t waitwaitcount;  ///< announced workers the controller waits for; 0 when none waits
  sem_t sigack;            ///< the last worker of a release posts it once it has taken its wake-up
};

/// A new synchronizer (malloc'd); null when the record or a semaphore cannot be made, with
/// errno ENOMEM when the record could not be allocated. Nothing is left behind on failure.
synchronizer* synchronizer_new();

/// Worker: announces itself, wakes the controller once the number it waits for is reached,
/// then blocks until the next synchronizer_signal.
void synchronizer_waitforsignal(synchronizer* sync);

/// Controller: releases the workers announced so far, one at a time, each only after the
/// previous one has taken its wake-up; returns once the last one has. Workers announcing
/// themselves meanwhile wait for the next signal.
void synchronizer_signal(synchronizer* sync);

/// Controller: returns once at least waiterslimit workers are announced; false at once,
/// changing nothing, when another caller is already waiting.
bool synchronizer_waitforwaiters(synchronizer* sync, unsigned long waiterslimit);

/// Destroys the semaphores and frees the record; no thread may still be using it.
void synchronizer_destroy(synchronizer* sync);

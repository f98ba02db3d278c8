// The synchronizer's protocol with real threads. The data passed between controller and
// workers is plain (not atomic), so that ThreadSanitizer checks the memory ordering that
// the semaphores promise.
#include "containers/synchronizer.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace {

// Reads the two counters under the record's own lock.
std::pair<uint32_t, uint32_t> Counters(synchronizer* s) {
  while (sem_wait(&s->internal) != 0) continue;
  std::pair<uint32_t, uint32_t> c{s->sigwaiters, s->waitwaitcount};
  sem_post(&s->internal);
  return c;
}

// Polls until the counters reach the given values (or about two seconds pass).
bool EventuallyCounters(synchronizer* s, uint32_t waiters, uint32_t count) {
  for (int i = 0; i < 20000 && Counters(s) != std::make_pair(waiters, count); ++i) usleep(100);
  return Counters(s) == std::make_pair(waiters, count);
}

// The values of the release semaphore and of the acknowledgement semaphore.
std::pair<int, int> Pending(synchronizer* s) {
  std::pair<int, int> v;
  sem_getvalue(&s->sigwait, &v.first);
  sem_getvalue(&s->sigack, &v.second);
  return v;
}

// The controller's step number, written before each signal and read by released workers.
int g_step = 0;

struct Worker {
  synchronizer* sync;
  pthread_t thread;
  int released = 0, seen = -1;  // written by the worker, read by the controller
  bool stop = false;            // written by the controller before a signal
  void Start(synchronizer* s) { sync = s, pthread_create(&thread, nullptr, Loop, this); }
  // Announces itself, records each release and the step it saw, ends when told to.
  static void* Loop(void* p) {
    Worker* w = static_cast<Worker*>(p);
    for (;;) {
      synchronizer_waitforsignal(w->sync);
      ++w->released;
      w->seen = g_step;
      if (w->stop) return nullptr;
    }
  }
};

void StopAll(synchronizer* s, Worker* w, int n) {
  for (int i = 0; i < n; ++i) w[i].stop = true;
  synchronizer_signal(s);
  EXPECT_EQ(Counters(s).first, 0u);  // released, and told not to announce again
  for (int i = 0; i < n; ++i) pthread_join(w[i].thread, nullptr);
  synchronizer_destroy(s);
}

TEST(Synchronizer, StepsAGroupOneWorkerAtATimeExactlyOncePerSignal) {
  synchronizer* s = synchronizer_new();
  Worker w[4];
  for (auto& x : w) x.Start(s);
  ASSERT_TRUE(synchronizer_waitforwaiters(s, 4));
  // Already four announced: returns at once and leaves the count at 0.
  EXPECT_TRUE(synchronizer_waitforwaiters(s, 4));
  EXPECT_EQ(Counters(s), std::make_pair(4u, 0u));
  // Each worker re-announces itself at once after its release, often while the release
  // loop still runs: it must be counted for the next signal, never released twice. Every
  // wake-up has been taken and acknowledged when the signal returns.
  for (g_step = 1; g_step <= 200; ++g_step) {
    synchronizer_signal(s);
    ASSERT_EQ(Pending(s), std::make_pair(0, 0));
    ASSERT_TRUE(synchronizer_waitforwaiters(s, 4));
    for (auto& x : w) ASSERT_EQ(std::make_pair(x.released, x.seen), std::make_pair(g_step, g_step));
  }
  StopAll(s, w, 4);
  for (auto& x : w) EXPECT_EQ(x.released, 201);
}

TEST(Synchronizer, LateWorkerWaitsForTheNextSignal) {
  synchronizer* s = synchronizer_new();
  EXPECT_TRUE(synchronizer_waitforwaiters(s, 0));
  synchronizer_signal(s);  // nobody announced yet: returns at once
  Worker w[1];
  w[0].Start(s);
  ASSERT_TRUE(synchronizer_waitforwaiters(s, 1));
  usleep(2000);
  EXPECT_EQ(Pending(s), std::make_pair(0, 0));
  EXPECT_EQ(w[0].released, 0);
  StopAll(s, w, 1);
  EXPECT_EQ(w[0].released, 1);
}

TEST(Synchronizer, BlocksUntilLimitAndRefusesASecondController) {
  synchronizer* s = synchronizer_new();
  Worker w[3];
  w[0].Start(s);
  w[1].Start(s);
  ASSERT_TRUE(EventuallyCounters(s, 2, 0));
  // A controller thread that answers s when its wait succeeds.
  auto wait = [](void* p) -> void* { return synchronizer_waitforwaiters(static_cast<synchronizer*>(p), 3) ? p : nullptr; };
  pthread_t ct;
  ASSERT_EQ(pthread_create(&ct, nullptr, wait, s), 0);
  ASSERT_TRUE(EventuallyCounters(s, 2, 3));
  EXPECT_EQ(pthread_tryjoin_np(ct, nullptr), EBUSY);
  // A second controller is refused at once and changes nothing.
  EXPECT_FALSE(synchronizer_waitforwaiters(s, 1));
  EXPECT_EQ(Counters(s), std::make_pair(2u, 3u));
  // The third announcement releases the first controller and clears the count.
  w[2].Start(s);
  void* result = nullptr;
  pthread_join(ct, &result);
  EXPECT_EQ(result, s);
  EXPECT_EQ(Counters(s), std::make_pair(3u, 0u));
  StopAll(s, w, 3);
}

}  // namespace

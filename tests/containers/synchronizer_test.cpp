// The synchronizer's protocol with real threads.
#include "containers/synchronizer.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>

namespace {

// Reads the two counters under the record's own lock.
std::pair<uint32_t, uint32_t> Counters(synchronizer* s) {
  while (sem_wait(&s->internal) != 0) {
  }
  std::pair<uint32_t, uint32_t> c{s->sigwaiters, s->waitwaitcount};
  sem_post(&s->internal);
  return c;
}

// Polls until the counters reach the given values (or about two seconds pass).
bool EventuallyCounters(synchronizer* s, uint32_t waiters, uint32_t count) {
  for (int i = 0; i < 20000 && Counters(s) != std::make_pair(waiters, count); ++i) usleep(100);
  return Counters(s) == std::make_pair(waiters, count);
}

struct Worker {
  synchronizer* sync;
  pthread_t thread;
  std::atomic<int> released{0};
  std::atomic<bool> stop{false};
  void Start(synchronizer* s) {
    sync = s;
    ASSERT_EQ(pthread_create(&thread, nullptr, Loop, this), 0);
  }
  // Announces itself, counts each release, ends once told to after a release.
  static void* Loop(void* p) {
    Worker* w = static_cast<Worker*>(p);
    for (;;) {
      synchronizer_waitforsignal(w->sync);
      ++w->released;
      if (w->stop) return nullptr;
    }
  }
};

void StopAll(synchronizer* s, Worker* w, int n) {
  for (int i = 0; i < n; ++i) w[i].stop = true;
  synchronizer_signal(s);
  for (int i = 0; i < n; ++i) pthread_join(w[i].thread, nullptr);
  synchronizer_destroy(s);
}

TEST(Synchronizer, StepsAGroupExactlyOncePerSignal) {
  synchronizer* s = synchronizer_new();
  Worker w[3];
  for (auto& x : w) x.Start(s);
  ASSERT_TRUE(synchronizer_waitforwaiters(s, 3));
  EXPECT_EQ(Counters(s), std::make_pair(3u, 0u));
  // Already three announced: returns at once and leaves the count at 0.
  EXPECT_TRUE(synchronizer_waitforwaiters(s, 3));
  EXPECT_EQ(Counters(s).second, 0u);
  // Each worker re-announces itself at once after its release, often while the release
  // loop still runs: it must be counted for the next signal, never released twice.
  for (int round = 1; round <= 50; ++round) {
    synchronizer_signal(s);
    ASSERT_TRUE(synchronizer_waitforwaiters(s, 3));
    for (auto& x : w) ASSERT_EQ(x.released.load(), round);
  }
  StopAll(s, w, 3);
  for (auto& x : w) EXPECT_EQ(x.released.load(), 51);
}

TEST(Synchronizer, LateWorkerWaitsForTheNextSignal) {
  synchronizer* s = synchronizer_new();
  EXPECT_TRUE(synchronizer_waitforwaiters(s, 0));
  synchronizer_signal(s);  // nobody announced yet: returns at once
  Worker w[1];
  w[0].Start(s);
  ASSERT_TRUE(synchronizer_waitforwaiters(s, 1));
  usleep(2000);
  EXPECT_EQ(w[0].released.load(), 0);
  w[0].stop = true;
  synchronizer_signal(s);
  EXPECT_EQ(Counters(s).first, 0u);  // released: no longer counted
  pthread_join(w[0].thread, nullptr);
  synchronizer_destroy(s);
  EXPECT_EQ(w[0].released.load(), 1);
}

struct Controller {
  synchronizer* sync;
  std::atomic<bool> done{false};
  bool result = false;
  static void* Wait(void* p) {
    Controller* c = static_cast<Controller*>(p);
    c->result = synchronizer_waitforwaiters(c->sync, 3);
    c->done = true;
    return nullptr;
  }
};

TEST(Synchronizer, BlocksUntilLimitAndRefusesASecondController) {
  synchronizer* s = synchronizer_new();
  Worker w[3];
  w[0].Start(s);
  w[1].Start(s);
  ASSERT_TRUE(EventuallyCounters(s, 2, 0));
  Controller c;
  c.sync = s;
  pthread_t ct;
  ASSERT_EQ(pthread_create(&ct, nullptr, Controller::Wait, &c), 0);
  ASSERT_TRUE(EventuallyCounters(s, 2, 3));
  EXPECT_FALSE(c.done.load());
  // A second controller is refused at once and changes nothing.
  EXPECT_FALSE(synchronizer_waitforwaiters(s, 1));
  EXPECT_EQ(Counters(s), std::make_pair(2u, 3u));
  // The third announcement releases the first controller and clears the count.
  w[2].Start(s);
  pthread_join(ct, nullptr);
  EXPECT_TRUE(c.result);
  EXPECT_EQ(Counters(s), std::make_pair(3u, 0u));
  StopAll(s, w, 3);
}

}  // namespace

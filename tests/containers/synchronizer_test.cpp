#include "containers/synchronizer.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "containers/resources.h"

namespace {

// Reads both counters under the record's own lock.
void Counters(synchronizer* s, uint32_t* waiters, uint32_t* count) {
  while (sem_wait(&s->internal) != 0) {
  }
  *waiters = s->sigwaiters;
  *count = s->waitwaitcount;
  sem_post(&s->internal);
}

// Polls until the predicate holds (or about two seconds pass).
template <class F>
bool Eventually(F f) {
  for (int i = 0; i < 20000; ++i) {
    if (f()) return true;
    usleep(100);
  }
  return f();
}

struct Worker {
  synchronizer* sync;
  std::atomic<int> released{0};
  std::atomic<bool> stop{false};
};

// Announces itself, counts each release, ends once told to after a release.
void* Loop(void* p) {
  Worker* w = static_cast<Worker*>(p);
  for (;;) {
    synchronizer_waitforsignal(w->sync);
    ++w->released;
    if (w->stop) return nullptr;
  }
}

TEST(Synchronizer, StepsAGroupExactlyOncePerSignal) {
  synchronizer* s = synchronizer_new();
  ASSERT_NE(s, nullptr);
  Worker w[3];
  pthread_t t[3];
  for (int i = 0; i < 3; ++i) {
    w[i].sync = s;
    ASSERT_EQ(pthread_create(&t[i], nullptr, Loop, &w[i]), 0);
  }
  ASSERT_TRUE(synchronizer_waitforwaiters(s, 3));
  uint32_t waiters, count;
  Counters(s, &waiters, &count);
  EXPECT_EQ(waiters, 3u);
  EXPECT_EQ(count, 0u);
  // Already three announced: returns at once and leaves the count at 0.
  EXPECT_TRUE(synchronizer_waitforwaiters(s, 3));
  Counters(s, &waiters, &count);
  EXPECT_EQ(count, 0u);
  // Each worker re-announces itself at once after its release, often while the release
  // loop still runs: it must be counted for the next signal, never released twice.
  for (int round = 1; round <= 50; ++round) {
    synchronizer_signal(s);
    ASSERT_TRUE(synchronizer_waitforwaiters(s, 3));
    for (int i = 0; i < 3; ++i) ASSERT_EQ(w[i].released.load(), round) << "worker " << i;
  }
  for (auto& x : w) x.stop = true;
  synchronizer_signal(s);
  for (auto& x : t) pthread_join(x, nullptr);
  for (auto& x : w) EXPECT_EQ(x.released.load(), 51);
  synchronizer_destroy(s);
}

TEST(Synchronizer, LateWorkerWaitsForTheNextSignal) {
  synchronizer* s = synchronizer_new();
  ASSERT_NE(s, nullptr);
  EXPECT_TRUE(synchronizer_waitforwaiters(s, 0));
  synchronizer_signal(s);  // nobody announced yet: returns at once
  Worker w;
  w.sync = s;
  pthread_t t;
  ASSERT_EQ(pthread_create(&t, nullptr, Loop, &w), 0);
  ASSERT_TRUE(synchronizer_waitforwaiters(s, 1));
  usleep(2000);
  EXPECT_EQ(w.released.load(), 0);
  w.stop = true;
  synchronizer_signal(s);
  uint32_t waiters, count;
  Counters(s, &waiters, &count);
  EXPECT_EQ(waiters, 0u);
  pthread_join(t, nullptr);
  EXPECT_EQ(w.released.load(), 1);
  synchronizer_destroy(s);
}

struct Controller {
  synchronizer* sync;
  unsigned long limit;
  std::atomic<bool> done{false};
  bool result = false;
};

void* Wait(void* p) {
  Controller* c = static_cast<Controller*>(p);
  c->result = synchronizer_waitforwaiters(c->sync, c->limit);
  c->done = true;
  return nullptr;
}

TEST(Synchronizer, BlocksUntilLimitAndRefusesASecondController) {
  synchronizer* s = synchronizer_new();
  ASSERT_NE(s, nullptr);
  Worker w[3];
  pthread_t t[3];
  w[0].sync = w[1].sync = w[2].sync = s;
  for (int i = 0; i < 2; ++i) ASSERT_EQ(pthread_create(&t[i], nullptr, Loop, &w[i]), 0);
  uint32_t waiters, count;
  ASSERT_TRUE(Eventually([&] {
    Counters(s, &waiters, &count);
    return waiters == 2;
  }));

  Controller c;
  c.sync = s;
  c.limit = 3;
  pthread_t ct;
  ASSERT_EQ(pthread_create(&ct, nullptr, Wait, &c), 0);
  ASSERT_TRUE(Eventually([&] {
    Counters(s, &waiters, &count);
    return count == 3;
  }));
  EXPECT_FALSE(c.done.load());
  // A second controller is refused at once and changes nothing.
  EXPECT_FALSE(synchronizer_waitforwaiters(s, 1));
  Counters(s, &waiters, &count);
  EXPECT_EQ(waiters, 2u);
  EXPECT_EQ(count, 3u);

  // The third announcement releases the first controller and clears the count.
  ASSERT_EQ(pthread_create(&t[2], nullptr, Loop, &w[2]), 0);
  pthread_join(ct, nullptr);
  EXPECT_TRUE(c.result);
  Counters(s, &waiters, &count);
  EXPECT_EQ(waiters, 3u);
  EXPECT_EQ(count, 0u);

  for (auto& x : w) x.stop = true;
  synchronizer_signal(s);
  for (auto& x : t) pthread_join(x, nullptr);
  synchronizer_destroy(s);
}

TEST(Synchronizer, CreationFailuresLeaveNothingBehind) {
  // The record, then three semaphores.
  for (unsigned long k = 1;; ++k) {
    pvc::FailAcquisitionAt(k);
    errno = 0;
    synchronizer* s = synchronizer_new();
    int err = errno;
    pvc::FailAcquisitionAt(0);
    if (s != nullptr) {
      EXPECT_EQ(k, 5u);
      synchronizer_destroy(s);
      break;
    }
    if (k == 1)
      EXPECT_EQ(err, ENOMEM);
    else
      EXPECT_NE(err, ENOMEM);
  }
}

}  // namespace

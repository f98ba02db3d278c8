/* Preloaded by the tests: time() answers PVC_FAKE_TIME, so that the instance generator
   draws the same coordinates on every run; with PVC_FAKE_SPEEDUP the coarse monotonic
   clock runs that many times faster, so that short runs pace progress as long ones. */
#define _GNU_SOURCE
#include <stdlib.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

time_t time(time_t* t) {
  const char* v = getenv("PVC_FAKE_TIME");
  time_t now = v ? (time_t)strtoll(v, 0, 10) : 0;
  if (t) *t = now;
  return now;
}

int clock_gettime(clockid_t id, struct timespec* ts) {
  const int r = (int)syscall(SYS_clock_gettime, id, ts);
  const char* v = getenv("PVC_FAKE_SPEEDUP");
  if (r == 0 && v && id == CLOCK_MONOTONIC_COARSE) {
    const long long ns = ((long long)ts->tv_sec * 1000000000 + ts->tv_nsec) * atoll(v);
    ts->tv_sec = ns / 1000000000;
    ts->tv_nsec = ns % 1000000000;
  }
  return r;
}

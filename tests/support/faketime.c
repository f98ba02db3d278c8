/* Preloaded by the transcript tests: time() answers the value of PVC_FAKE_TIME, so that
   the instance generator draws the same coordinates on every run; with PVC_FAKE_SPEEDUP
   the coarse monotonic clock runs that many times faster, so that a short run paces its
   progress line as a long one. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdlib.h>
#include <time.h>

time_t time(time_t* t) {
  const char* v = getenv("PVC_FAKE_TIME");
  time_t now = v ? (time_t)strtoll(v, 0, 10) : 0;
  if (t) *t = now;
  return now;
}

int clock_gettime(clockid_t id, struct timespec* ts) {
  static int (*real)(clockid_t, struct timespec*);
  if (!real) real = (int (*)(clockid_t, struct timespec*))dlsym(RTLD_NEXT, "clock_gettime");
  const int r = real(id, ts);
  const char* v = getenv("PVC_FAKE_SPEEDUP");
  if (r == 0 && v && id == CLOCK_MONOTONIC_COARSE) {
    const long long ns = ((long long)ts->tv_sec * 1000000000 + ts->tv_nsec) * atoll(v);
    ts->tv_sec = ns / 1000000000;
    ts->tv_nsec = ns % 1000000000;
  }
  return r;
}

/* Preloaded by the transcript tests: time() answers the value of PVC_FAKE_TIME, so that
   the instance generator draws the same coordinates on every run. */
#include <stdlib.h>
#include <time.h>

time_t time(time_t* t) {
  const char* v = getenv("PVC_FAKE_TIME");
  time_t now = v ? (time_t)strtoll(v, 0, 10) : 0;
  if (t) *t = now;
  return now;
}

#include "containers/progress.h"

#include <time.h>

#include <cstdarg>
#include <cstdio>

namespace pvc {

namespace {

constexpr uint32_t kIdle = 1u << 30;        // steps between clock readings while nothing shows
constexpr uint32_t kMaxStride = 1u << 20;  // at most this many steps between readings
constexpr uint64_t kReadingMs = 10;        // the stride aims at a reading this often

uint64_t CoarseMs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000 + static_cast<uint64_t>(ts.tv_nsec) / 1000000;
}

struct Display {
  ProgressSink sink = nullptr;  // null: nothing shows, the clock is not read
  uint64_t (*now)() = CoarseMs;
  uint64_t start = 0, next = 0, last = 0;  // run's start, next display, last reading
  unsigned interval = 250;
  uint32_t stride = 1;
  bool shown = false;
};

Display g_display;

// Appends a formatted piece at *len, never beyond size - 1.
void Append(char* out, std::size_t size, std::size_t* len, const char* fmt, ...) __attribute__((format(printf, 4, 5)));
void Append(char* out, std::size_t size, std::size_t* len, const char* fmt, ...) {
  if (*len + 1 >= size) return;
  va_list ap;
  va_start(ap, fmt);
  const int k = vsnprintf(out + *len, size - *len, fmt, ap);
  va_end(ap);
  if (k > 0) *len = *len + static_cast<std::size_t>(k) < size ? *len + static_cast<std::size_t>(k) : size - 1;
}

}  // namespace

uint32_t ProgressScope::countdown_ = kIdle;
ProgressScope* ProgressScope::top_ = nullptr;

void FormatProgress(const ProgressReport& r, char* out, std::size_t size) {
  std::size_t len = 0;
  out[0] = '\0';
  Append(out, size, &len, "%s  %s %llu", r.name, r.unit, static_cast<unsigned long long>(r.done));
  if (r.total != 0) Append(out, size, &len, "/%llu", static_cast<unsigned long long>(r.total));
  if (r.measure != nullptr && r.figure != kNoFigure)
    Append(out, size, &len, "  %s %llu", r.measure, static_cast<unsigned long long>(r.figure));
  Append(out, size, &len, "  %u:%02u", r.seconds / 60, r.seconds % 60);
}

void ShowProgress(ProgressSink sink, unsigned delay_ms, unsigned interval_ms) {
  g_display.sink = sink;
  g_display.interval = interval_ms;
  g_display.shown = false;
  g_display.start = g_display.last = g_display.now();
  g_display.next = g_display.start + delay_ms;
  g_display.stride = 1;
  ProgressScope::countdown_ = sink ? 1 : kIdle;
}

bool HideProgress() {
  const bool shown = g_display.shown;
  g_display.sink = nullptr;
  g_display.shown = false;
  ProgressScope::countdown_ = kIdle;
  return shown;
}

void SetProgressClock(uint64_t (*now_ms)()) { g_display.now = now_ms ? now_ms : CoarseMs; }

// A run that starts or ends changes the cost of a step: the stride is learnt again.
ProgressScope::ProgressScope(const char* name, const char* unit, uint64_t total, const char* measure)
    : report_{name, unit, 0, total, measure, kNoFigure, 0}, outer_(top_) {
  top_ = this;
  g_display.stride = 1;
  countdown_ = g_display.sink ? 1 : kIdle;
}

ProgressScope::~ProgressScope() {
  top_ = outer_;
  g_display.stride = 1;
  countdown_ = g_display.sink ? 1 : kIdle;
}

void ProgressScope::Tick() {
  Display& d = g_display;
  if (d.sink == nullptr) {
    countdown_ = kIdle;
    return;
  }
  const uint64_t now = d.now();
  const uint64_t since = now - d.last;
  d.last = now;
  if (since < kReadingMs && d.stride < kMaxStride)
    d.stride *= 2;
  else if (since > 4 * kReadingMs && d.stride > 1)
    d.stride /= 2;
  countdown_ = d.stride;
  if (now < d.next || top_ == nullptr) return;
  d.next = now + d.interval;
  ProgressReport r = top_->report_;
  r.seconds = static_cast<unsigned>((now - d.start) / 1000);
  d.sink(r);
  d.shown = true;
}

}  // namespace pvc

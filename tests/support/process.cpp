#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>

namespace {
long NowMs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000L + ts.tv_nsec / 1000000L;
}
}  // namespace

PvcProcess::PvcProcess() {
  int in[2], out[2];
  if (pipe(in) != 0 || pipe(out) != 0) abort();
  signal(SIGPIPE, SIG_IGN);
  pid_ = fork();
  if (pid_ == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    close(in[0]);
    close(in[1]);
    close(out[0]);
    close(out[1]);
    // time() fixed, so that every run draws the same instances.
    setenv("LD_PRELOAD", PVC_FAKETIME, 1);
    setenv("PVC_FAKE_TIME", "1700000000", 1);
    setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
    execl(PVC_BINARY, PVC_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  in_ = in[1];
  outfd_ = out[0];
}

PvcProcess::~PvcProcess() {
  if (in_ >= 0) close(in_);
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (outfd_ >= 0) close(outfd_);
}

void PvcProcess::Type(const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t w = write(in_, text.data() + done, text.size() - done);
    if (w <= 0) return;
    done += static_cast<size_t>(w);
  }
}

void PvcProcess::CloseInput() {
  if (in_ >= 0) close(in_);
  in_ = -1;
}

void PvcProcess::Pump(int timeout_ms) {
  pollfd p = {outfd_, POLLIN, 0};
  if (poll(&p, 1, timeout_ms) <= 0) return;
  char buf[65536];
  ssize_t got = read(outfd_, buf, sizeof buf);
  if (got > 0) out_.append(buf, static_cast<size_t>(got));
}

bool PvcProcess::WaitFor(const std::string& what, size_t from, int timeout_ms) {
  long end = NowMs() + timeout_ms;
  while (out_.find(what, from) == std::string::npos) {
    long left = end - NowMs();
    if (left <= 0) return false;
    Pump(static_cast<int>(left < 100 ? left : 100));
  }
  return true;
}

void PvcProcess::Signal(int sig) { kill(pid_, sig); }

int PvcProcess::Wait(int timeout_ms) {
  long end = NowMs() + timeout_ms;
  for (;;) {
    Pump(50);
    int status;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      pid_ = -1;
      // Drain what is left in the pipe.
      for (;;) {
        char buf[65536];
        ssize_t got = read(outfd_, buf, sizeof buf);
        if (got <= 0) break;
        out_.append(buf, static_cast<size_t>(got));
      }
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (NowMs() > end) return -2;
  }
}

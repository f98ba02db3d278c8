#include "support/process.h"

#include <poll.h>
#include <pty.h>
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

PvcProcess::PvcProcess(bool terminal, const char* output_locale, const char* display) {
  const bool pty = terminal || output_locale;  // the output on a pseudo-terminal
  int in[2] = {-1, -1}, out[2] = {-1, -1};
  signal(SIGPIPE, SIG_IGN);
  if ((!terminal && pipe(in) != 0) || (!pty && pipe(out) != 0)) abort();
  pid_ = pty ? forkpty(&outfd_, nullptr, nullptr, nullptr) : fork();
  if (pid_ < 0) abort();
  if (pid_ == 0) {
    if (terminal) setenv("TERM", "xterm", 1);
    if (!terminal) dup2(in[0], 0), close(in[0]), close(in[1]);
    if (!pty) dup2(out[1], 1), dup2(out[1], 2), close(out[0]), close(out[1]);
    if (output_locale) {
      termios t;  // "\n" stays "\n", set before anything is printed
      tcgetattr(1, &t);
      t.c_oflag &= ~tcflag_t{OPOST};
      tcsetattr(1, TCSANOW, &t);
      setenv("LC_ALL", output_locale, 1);
      setenv("PVC_FAKE_SPEEDUP", "1000", 1);  // progress paced as in runs 1000 times longer
    }
    // time() fixed, so that every run draws the same instances.
    setenv("LD_PRELOAD", PVC_FAKETIME, 1);
    setenv("PVC_FAKE_TIME", "1700000000", 1);
    setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
    setenv("LSAN_OPTIONS", "suppressions=" PVC_LSAN_SUPPRESSIONS, 1);
    unsetenv("WAYLAND_DISPLAY");
    display ? setenv("DISPLAY", display, 1) : unsetenv("DISPLAY");
    execl(PVC_BINARY, PVC_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }
  in_ = terminal ? dup(outfd_) : in[1];
  if (!terminal) close(in[0]);
  if (!pty) close(out[1]), outfd_ = out[0];
}

PvcProcess::~PvcProcess() {
  CloseInput();
  if (pid_ > 0) kill(pid_, SIGKILL), waitpid(pid_, nullptr, 0);
  close(outfd_);
}

void PvcProcess::Type(const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t w = write(in_, text.data() + done, text.size() - done);
    if (w <= 0) return;
    done += static_cast<size_t>(w);
  }
}

void PvcProcess::CloseInput() {
  if (in_ >= 0) close(in_);
  in_ = -1;
}

bool PvcProcess::Pump(int timeout_ms) {
  pollfd p = {outfd_, POLLIN, 0};
  if (poll(&p, 1, timeout_ms) <= 0) return false;
  char buf[65536];
  const ssize_t got = read(outfd_, buf, sizeof buf);
  if (got > 0) out_.append(buf, static_cast<size_t>(got));
  return got > 0;
}

bool PvcProcess::WaitFor(const std::string& what, size_t from, int timeout_ms) {
  const long end = NowMs() + timeout_ms;
  while (out_.find(what, from) == std::string::npos) {
    if (NowMs() > end) return false;
    Pump(100);
  }
  return true;
}

bool PvcProcess::WaitForKeyInput(int timeout_ms) {
  const long end = NowMs() + timeout_ms;
  termios t;
  while (tcgetattr(in_, &t) == 0 && (t.c_lflag & ICANON)) {
    if (NowMs() > end) return false;
    Pump(10);
  }
  return true;
}

void PvcProcess::Signal(int sig) { kill(pid_, sig); }

bool PvcProcess::InterruptAfter(const std::string& what, size_t from) {
  if (!WaitFor(what, from)) return false;
  Signal(SIGINT);
  return WaitFor("\nexecution interrompue\n", from);
}

int PvcProcess::Wait(int timeout_ms) {
  const long end = NowMs() + timeout_ms;
  int status;
  while (waitpid(pid_, &status, WNOHANG) != pid_) {
    if (NowMs() > end) return -2;
    Pump(50);
  }
  pid_ = -1;
  while (Pump(0)) {  // what is left in the pipe
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

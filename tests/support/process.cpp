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

PvcProcess::PvcProcess(const char* terminal_locale) : terminal_(terminal_locale != nullptr) {
  int in[2], out[2];
  if (!terminal_ && (pipe(in) != 0 || pipe(out) != 0)) abort();
  signal(SIGPIPE, SIG_IGN);
  pid_ = terminal_ ? forkpty(&in_, nullptr, nullptr, nullptr) : fork();
  if (pid_ == 0 && terminal_) setenv("LC_ALL", terminal_locale, 1);
  if (pid_ == 0 && !terminal_) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(out[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1]}) close(fd);
  }
  if (pid_ == 0) {
    // time() fixed, so that every run draws the same instances.
    setenv("LD_PRELOAD", PVC_FAKETIME, 1);
    setenv("PVC_FAKE_TIME", "1700000000", 1);
    setenv("PVC_FAKE_SPEEDUP", "1000", 1);  // progress lines paced as in runs 1000 times longer
    setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
    execl(PVC_BINARY, PVC_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }
  if (terminal_) {
    termios t;  // what is typed is not echoed, what is printed is not translated
    tcgetattr(in_, &t);
    t.c_lflag &= ~tcflag_t{ECHO}, t.c_oflag &= ~tcflag_t{OPOST};
    tcsetattr(in_, TCSANOW, &t);
    outfd_ = in_;
    return;
  }
  close(in[0]);
  close(out[1]);
  in_ = in[1];
  outfd_ = out[0];
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
  if (in_ >= 0 && terminal_) Type("\x04");  // the terminal's end of input, at a line's start
  if (in_ >= 0 && !terminal_) close(in_);
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

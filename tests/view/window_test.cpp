// The window under a virtual X server of the test's own: a session draws its tour there,
// prints what it printed before less the drawing hooks' line, and Ctrl-C still stops an
// animated run. Skipped where Xvfb is not installed.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "support/process.h"
#include "view/sdl_render.h"

namespace {

class Window : public ::testing::Test {
 protected:
  // Xvfb picks a free display, tells its number on a pipe, and keeps its screen in an
  // XWD file in dir_.
  void SetUp() override {
    char dir[] = "/tmp/pvc-xvfb-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_ = fork();
    if (pid_ == 0) {
      dup2(fds[1], 3);
      freopen("/dev/null", "w", stderr);
      execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "700x700x24", "-fbdir", dir, "-nolisten", "tcp", "-noreset",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    char num[16] = {0};
    const ssize_t got = read(fds[0], num, sizeof num - 1);
    pipe_ = fds[0];  // open while the server runs: it may write its newline later
    if (got <= 0) GTEST_SKIP() << "no Xvfb to open a window on";
    display_ = ":" + std::to_string(atoi(num));
  }
  void TearDown() override {
    if (pid_ > 0) kill(pid_, SIGTERM), waitpid(pid_, nullptr, 0);
    close(pipe_);
    std::remove((dir_ + "/Xvfb_screen0").c_str());
    rmdir(dir_.c_str());
  }

  // Pixels of the screen in the given colour (a 32-bit TrueColor XWD dump).
  int Count(SDL_Color c) {
    std::ifstream in(dir_ + "/Xvfb_screen0", std::ios::binary);
    const std::string d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    uint32_t h[25];
    if (d.size() < sizeof h) return 0;
    memcpy(h, d.data(), sizeof h);
    for (uint32_t& v : h) v = ntohl(v);
    const uint32_t want = static_cast<uint32_t>(c.r << 16 | c.g << 8 | c.b);
    int n = 0;
    for (size_t i = h[0] + h[19] * 12; i + 4 <= d.size(); i += 4) {
      uint32_t p;
      memcpy(&p, d.data() + i, 4);
      n += ((h[7] == 0 ? p : ntohl(p)) & 0xFFFFFF) == want;
    }
    return n;
  }

  std::string dir_, display_;
  pid_t pid_ = -1;
  int pipe_ = -1;
};

TEST_F(Window, ViewDrawsTheTourAndPrintsNothing) {
  const std::string session = "random 20 1000 1\nsolve 2\nview 0\n";
  PvcProcess shown(display_.c_str()), plain;
  shown.Type(session);
  plain.Type(session + "quit\n");
  for (int tries = 0; tries < 100 && Count(pvc::view::kTourColour) < 200; ++tries) usleep(50000);
  EXPECT_GE(Count(pvc::view::kTourColour), 200) << system(("ls -la " + dir_ + " >&2; ps -eo pid,ppid,stat,args | grep -i [x]vfb >&2").c_str());
  EXPECT_GE(Count(pvc::view::kCityColour), 20 * 9);
  shown.Type("quit\n");
  ASSERT_EQ(shown.Wait(), 0);
  ASSERT_EQ(plain.Wait(), 0);
  std::string expected = shown.Output();
  ASSERT_EQ(expected.find("Drawing disabled"), std::string::npos);
  // Without a display: the same bytes, the drawing line after the prompt of view.
  expected.insert(expected.size() - 2, "Drawing disabled in this special edition\n");
  EXPECT_EQ(plain.Output(), expected);
}

TEST_F(Window, CtrlCStopsAnAnimatedRunAndKeepsTheResults) {
  PvcProcess p(display_.c_str());
  p.Type("random 60 1000 1\nsolve 0\ndraw 5\noutput 1\nsolve 2\n");
  ASSERT_TRUE(p.WaitFor("execution de H2Opt"));
  usleep(500000);  // a few drawings of the growing path
  p.Signal(SIGINT);
  ASSERT_TRUE(p.WaitFor("\nexecution interrompue\n"));
  p.Type("show\nquit\n");
  EXPECT_EQ(p.Wait(), 0);
  const std::string& out = p.Output();
  const size_t table = out.rfind("Id Algorithme");
  ASSERT_NE(table, std::string::npos);
  EXPECT_EQ(std::count(out.begin() + table, out.begin() + out.find("\n>", table), '\n'), 2) << out;  // one row
  EXPECT_NE(out.find(" 0   HPlusProcheVoisin", table), std::string::npos);
  EXPECT_EQ(out.find("Drawing disabled"), std::string::npos);
}

}  // namespace

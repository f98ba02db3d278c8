// The window under a virtual X server of the test's own (skipped without Xvfb).
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include "support/files.h"
#include "support/process.h"
#include "view/sdl_render.h"

namespace {

class Window : public ::testing::Test {
 protected:
  // Xvfb picks a free display, tells its number on fd 3, keeps its screen in dir_ as XWD.
  void SetUp() override {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    if ((pid_ = fork()) == 0) {
      dup2(fds[1], 3);
      freopen("/dev/null", "w", stderr);
      execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "700x700x24", "-fbdir", dir_.Path().c_str(),
             "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    pipe_ = fds[0];  // open while the server runs: it may write its newline later
    char num[16] = {0};
    if (read(pipe_, num, sizeof num - 1) <= 0) GTEST_SKIP() << "no Xvfb to open a window on";
    display_ = ":" + std::to_string(atoi(num));
  }
  void TearDown() override {
    if (pid_ > 0) kill(pid_, SIGTERM), waitpid(pid_, nullptr, 0);
    close(pipe_);
  }

  // Pixels of the screen in colour c (32 bits a pixel, after the header and colour map).
  int Count(SDL_Color c) {
    const std::string d = ReadFile(dir_.Path("Xvfb_screen0"));
    uint32_t h[25], p;
    if (d.size() < sizeof h) return 0;
    memcpy(h, d.data(), sizeof h);
    for (uint32_t& v : h) v = ntohl(v);
    int n = 0;
    for (size_t i = h[0] + h[19] * 12; i + 4 <= d.size(); i += 4) {
      memcpy(&p, d.data() + i, 4);
      n += ((h[7] == 0 ? p : ntohl(p)) & 0xFFFFFF) == static_cast<uint32_t>(c.r << 16 | c.g << 8 | c.b);
    }
    return n;
  }

  const TempDir dir_;
  std::string display_;
  pid_t pid_ = -1;
  int pipe_ = -1;
};

// view draws the tour and prints nothing; without a display the same bytes and the drawing
// line; Ctrl-C during an animated run stops it and keeps the earlier result; when the
// display goes away the session goes on, with the drawing line. An instance loaded from a
// file that gives only distances has no picture: one line says so instead of the drawing
// line, and the session goes on.
TEST_F(Window, ViewDrawsSilentlyCtrlCStopsAnAnimatedRunTheDisplayMayGo) {
  const std::string session = "random 20 1000 1\nsolve 2\nview 0\n", line = "Drawing disabled in this special edition\n";
  PvcProcess shown(false, nullptr, display_.c_str()), plain, distances(false, nullptr, display_.c_str());
  shown.Type(session);
  plain.Type(session + "quit\n");
  distances.Type("load " + DataFile("gr24.tsp") + "\nsolve 0\nview 0\nquit\n");
  for (int tries = 0; tries < 100 && Count(pvc::view::kTourColour) < 200; ++tries) usleep(50000);
  EXPECT_GE(Count(pvc::view::kTourColour), 200);
  EXPECT_GE(Count(pvc::view::kCityColour), 20 * 9);
  shown.Type("draw 5\nsolve 0\n");
  ASSERT_TRUE(shown.WaitFor("execution de HPlusProcheVoisin"));
  usleep(300000);  // a few drawings of the growing path
  shown.Signal(SIGINT);
  ASSERT_TRUE(shown.WaitFor("\nexecution interrompue\n"));
  ASSERT_EQ(distances.Wait(), 0);
  const std::string& no_places = distances.Output();
  EXPECT_NE(no_places.find("\n>pas de coordonn\351es: cette instance ne peut pas \352tre dessin\351e\n\n>"),
            std::string::npos) << no_places;
  EXPECT_EQ(no_places.find("Drawing disabled"), std::string::npos) << no_places;
  kill(pid_, SIGTERM), waitpid(pid_, nullptr, 0), pid_ = -1;
  usleep(300000);
  shown.Type("view 0\nshow\nquit\n");
  ASSERT_EQ(shown.Wait(), 0);
  ASSERT_EQ(plain.Wait(), 0);
  const std::string &out = shown.Output(), &ref = plain.Output();
  const size_t cut = ref.find(line), table = out.rfind("Id Algorithme");
  ASSERT_NE(table, std::string::npos);
  EXPECT_EQ(ref.substr(cut), line + "\n>");
  EXPECT_EQ(out.substr(0, cut), ref.substr(0, cut));
  EXPECT_EQ(out.find(line), out.rfind(line));
  EXPECT_GT(out.find(line), out.find("execution interrompue"));
  EXPECT_EQ(std::count(out.begin() + table, out.begin() + out.find("\n>", table), '\n'), 2) << out;  // one row
}

}  // namespace

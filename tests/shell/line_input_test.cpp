// The line editor on a pseudo-terminal: history recalled with Up, completion with Tab,
// Ctrl-C dropping the line being typed, Ctrl-D ending the program, history kept on disk.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include "support/files.h"
#include "support/process.h"

namespace {

TEST(LineInput, EditsRecallsAndCompletesOnATerminal) {
#ifndef PVC_HAVE_LIBEDIT
  GTEST_SKIP() << "built without libedit";
#endif
  const TempDir home;
  setenv("HOME", home.Path().c_str(), 1);
  PvcProcess pvc(true);
  // Types keys once the editor shows its prompt after what the last keys printed and
  // reads key by key, then waits for `then`: keys typed earlier would meet the
  // terminal's own line editing (a Ctrl-D there is an end of line, lost to the editor).
  size_t from = 0;
  auto keys = [&](const char* k, const std::string& then) {
    EXPECT_TRUE(pvc.WaitFor("\r\n>", from) && pvc.WaitForKeyInput()) << k;
    pvc.Type(k);
    EXPECT_TRUE(pvc.WaitFor(then, pvc.Output().rfind("\r\n>") + 1)) << k << "\n" << pvc.Output();
    from = pvc.Output().rfind(then) + then.size();
  };
  keys("random 3 10 1\r", "Coordonnees");
  keys("\x1b[A\r", "Coordonnees");  // Up, Enter: the same line again
  keys("solve H2\t\r", "execution de H2Opt(0)");
  keys("abc", "abc");
  usleep(300000);  // the editor waits for keys: Ctrl-C drops the line
  pvc.Signal(SIGINT);
  keys("show\r", "Id Algorithme         Chemin   Temp\r\n 0               H2Opt");
  keys("\x04", "");
  EXPECT_EQ(pvc.Wait(), 0) << pvc.Output();
  EXPECT_EQ(pvc.Output().find("non reconnue"), std::string::npos) << pvc.Output();
  const std::string history = ReadFile(home.Path(".pvc_history"));
  EXPECT_NE(history.find("solve\\040H2Opt"), std::string::npos) << history;
}

}  // namespace

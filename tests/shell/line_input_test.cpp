// The line editor on a pseudo-terminal: history recalled with Up, completion with Tab,
// Ctrl-C dropping the line being typed, Ctrl-D ending the program, history kept on disk.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "support/process.h"

namespace {

TEST(LineInput, EditsRecallsAndCompletesOnATerminal) {
#ifndef PVC_HAVE_LIBEDIT
  GTEST_SKIP() << "built without libedit";
#endif
  char home[] = "/tmp/pvc-home-XXXXXX";
  ASSERT_NE(mkdtemp(home), nullptr);
  setenv("HOME", home, 1);
  PvcProcess pvc(true);
  ASSERT_TRUE(pvc.WaitFor("\r\n>"));
  pvc.Type("random 3 10 1\r");
  ASSERT_TRUE(pvc.WaitFor("Coordonnees"));
  pvc.Type("\x1b[A\r");  // Up, Enter: the same line again
  ASSERT_TRUE(pvc.WaitFor("Coordonnees", pvc.Output().find("Coordonnees") + 1));
  pvc.Type("solve H2\t\r");
  EXPECT_TRUE(pvc.WaitFor("execution de H2Opt(0)"));
  ASSERT_TRUE(pvc.WaitFor("\r\n>", pvc.Output().find("H2Opt(0)")));
  pvc.Type("abc");
  ASSERT_TRUE(pvc.WaitFor("abc"));
  usleep(300000);  // the editor waits for keys: Ctrl-C drops the line
  pvc.Signal(SIGINT);
  pvc.Type("show\r");
  EXPECT_TRUE(pvc.WaitFor("Id Algorithme         Chemin   Temp\r\n 0               H2Opt"));
  pvc.Type("\x04");
  EXPECT_EQ(pvc.Wait(), 0) << pvc.Output();
  EXPECT_EQ(pvc.Output().find("non reconnue"), std::string::npos) << pvc.Output();
  std::stringstream history;
  history << std::ifstream(std::string(home) + "/.pvc_history").rdbuf();
  EXPECT_NE(history.str().find("solve\\040H2Opt"), std::string::npos) << history.str();
  EXPECT_EQ(system((std::string("rm -r ") + home).c_str()), 0);
}

}  // namespace

// Ctrl-C while an algorithm runs stops that run only; at the prompt it discards the line.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <ostream>
#include <string>

#include "algorithms/algorithms.h"
#include "support/process.h"

namespace {

const char kShowHeader[] = "\nId Algorithme         Chemin   Temp\n";

// The rows of the first results table printed after position from (the table ends with
// an empty line before the prompt).
int CountRows(const std::string& out, size_t from) {
  const size_t p = out.find(kShowHeader, from);
  if (p == std::string::npos) return -1;
  return static_cast<int>(std::count(out.begin() + p, out.begin() + out.find("\n>", p + 1), '\n')) - 2;
}

// Every row is interrupted mid-run: the draw interval makes each step pause long enough,
// and the signal is sent during a pause that follows a line of the row's own work (not of
// the nearest neighbour that some rows start from), at an output level that prints it.
struct Stage {
  int row;
  int level;
  const char* marker;
};

// Named after the row, so that test names stay the same from one discovery to the next.
void PrintTo(const Stage& s, std::ostream* os) { *os << s.row; }

class InterruptRow : public ::testing::TestWithParam<Stage> {};

TEST_P(InterruptRow, StopsTheRunKeepsResultsAndGoesOn) {
  const Stage stage = GetParam();
  const char* name = Algorithmes[stage.row].Name;
  PvcProcess p;
  p.Type("random 9 100 1\nsolve 0\noutput " + std::to_string(stage.level) + "\ndraw 40\nsolve " +
         std::to_string(stage.row) + "\n");
  std::string header = std::string("\nexecution de ") + name + "(";
  ASSERT_TRUE(p.WaitFor(header));
  ASSERT_TRUE(p.WaitFor(stage.marker, p.Output().find(header)));
  ASSERT_TRUE(p.InterruptAfter("Drawing disabled", p.Output().find(stage.marker, p.Output().find(header))));
  p.Type("draw 0\nshow\nsolve 0\nshow\nquit\n");
  EXPECT_EQ(p.Wait(), 0);
  const std::string& out = p.Output();
  EXPECT_NE(out.find(std::string(name) + ": interrompu\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("une erreur est surevenue"), std::string::npos);
  size_t after = out.find("\nexecution interrompue\n");
  EXPECT_EQ(CountRows(out, after), 1);  // the earlier result is intact, nothing recorded
  size_t second = out.find(kShowHeader, after) + 1;
  EXPECT_EQ(CountRows(out, second), 2);  // and the next solve works
}

INSTANTIATE_TEST_SUITE_P(Rows, InterruptRow,
                         ::testing::Values(Stage{0, 1, "execution de"}, Stage{1, 1, "execution de"},
                                           Stage{2, 1, "H2Opt: boucle principale"},
                                           Stage{3, 2, "HRecuitSimule: temperature="},
                                           Stage{4, 1, "Prim: "}, Stage{5, 3, "=>0   (borne"},
                                           Stage{6, 1, "HElastique: heuristique"}),
                         [](const ::testing::TestParamInfo<Stage>& s) { return Algorithmes[s.param.row].Name; });

TEST(Interrupt, CtrlCEndsSolveAll) {
  PvcProcess p;
  p.Type("random 9 100 1\ndraw 40\nsolve A\n");
  ASSERT_TRUE(p.InterruptAfter("Drawing disabled"));
  p.Type("draw 0\nshow\nquit\n");
  EXPECT_EQ(p.Wait(), 0);
  EXPECT_EQ(p.Output().find("execution de HMoindreCout"), std::string::npos);
  EXPECT_EQ(CountRows(p.Output(), 0), 0);
}

TEST(Interrupt, CtrlCAtThePromptDiscardsTheTypedLine) {
  PvcProcess p;
  ASSERT_TRUE(p.WaitFor("\n>"));
  p.Type("random 3");
  usleep(200000);
  p.Signal(SIGINT);
  ASSERT_TRUE(p.WaitFor("\n>\n>"));
  p.Type("00 1\nshow");  // the discarded "random 3" never joins this line; a last line
                         // without its newline is carried out
  p.CloseInput();
  EXPECT_EQ(p.Wait(), 0);
  EXPECT_EQ(p.Output(),
            "Taper \"?\" pour avoir la liste des commandes\n\n>\n>\n command non reconnue, taper ? pour "
            "avoir la liste des commandes\n\n>" +
                std::string(kShowHeader) + "\n>");
}

TEST(MainLoop, LongLinesAreDiscardedWhole) {
  PvcProcess p;
  std::string tail = "random 3 10 1";
  p.Type(std::string(1000 - tail.size(), ' ') + tail + "\nshow\n" + std::string(999, ' ') + "\nquit\n");
  EXPECT_EQ(p.Wait(), 0);
  const std::string& out = p.Output();
  EXPECT_NE(out.find("\n>\nerreur: ligne trop longue (999 caracteres au plus)\n\n>"), std::string::npos);
  EXPECT_EQ(out.find("Coordonnees"), std::string::npos);
  // A line of exactly 999 characters is still a command (here an unknown one).
  EXPECT_NE(out.find(kShowHeader + std::string("\n>\n command non reconnue")), std::string::npos);
}

}  // namespace

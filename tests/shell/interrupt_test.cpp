// Ctrl-C while an algorithm runs stops that run only; at the prompt it discards the line;
// during a load or a listing it stops that, the instance and results kept.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ostream>
#include <string>

#include "algorithms/algorithms.h"
#include "graph/tsplib.h"
#include "support/files.h"
#include "support/process.h"
#include "support/tour.h"

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

// The table that the last show printed before position to (from its header to the prompt).
std::string ShowTable(const std::string& out, size_t to = std::string::npos) {
  const size_t p = out.rfind(kShowHeader, to);
  return p == std::string::npos ? "" : out.substr(p, out.find("\n>", p + 1) - p);
}

// load of a source that never ends is refused at its first NUL, at once; one that gives
// half a file and then nothing (a FIFO) is left at Ctrl-C. The instance and results stay.
TEST(Interrupt, LoadOfAnEndlessOrSlowSourceEndsOrStops) {
  const TempDir dir;
  const std::string fifo = dir.Path("f");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  PvcProcess p;
  p.Type("random 9 100 1\nsolve 0\nshow\n");
  ASSERT_TRUE(p.WaitFor(kShowHeader) && p.WaitFor("\n>", p.Output().find(kShowHeader) + 1));
  const std::string table = ShowTable(p.Output());
  const auto start = std::chrono::steady_clock::now();
  p.Type("load /dev/zero\n");
  ASSERT_TRUE(p.WaitFor("\nerreur: /dev/zero:1: caract\350re de contr\364le 0x00: ce n'est pas un fichier texte\n\n>"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  p.Type("load " + fifo + "\n");
  int writer = -1;  // a FIFO opens for writing once its reader has it open
  for (int k = 0; k < 2000 && writer < 0; ++k)
    if ((writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK)) < 0) usleep(10000);
  ASSERT_GE(writer, 0);
  const char half[] = "NAME: half\nTYPE: TSP\nDIMENSION: 5\nEDGE_WEIGHT_TYPE: EUC_2D\nNODE_COORD_SECTION\n1 0 0\n";
  EXPECT_EQ(write(writer, half, sizeof half - 1), static_cast<ssize_t>(sizeof half - 1));
  usleep(200000);
  p.Signal(SIGINT);
  EXPECT_TRUE(p.WaitFor("\nchargement interrompu: instance et r\351sultats inchang\351s\n"));
  close(writer);
  p.Type("show\nquit\n");
  EXPECT_EQ(p.Wait(), 0);
  EXPECT_EQ(ShowTable(p.Output()), table);
}

// Ctrl-C during the listing of a million cities ends it at the next line and keeps the
// whole instance: the tour that solve 0 finds there is as long on the same instance drawn
// here. (load lists through the same routine.)
TEST(Interrupt, CtrlCCutsTheListingNotTheInstance) {
  const TempDir dir;
  const std::string tourfile = dir.Path("big.tour");
  PvcProcess p;
  p.Type("random 1000000 1000000 1\n");
  ASSERT_TRUE(p.WaitFor("\n2000: "));
  p.Signal(SIGINT);
  ASSERT_TRUE(p.WaitFor(" sur 1000000 affich\351s, l'instance est compl\350te\n\n>"));
  const size_t cut = p.Output().find("\n\nliste interrompue: ");  // at a line's end
  ASSERT_NE(cut, std::string::npos);
  p.Type("output 1\nsolve 0\nsave " + tourfile + "\n");
  ASSERT_TRUE(p.WaitFor(" sauvegard\351 dans " + tourfile + "\n", cut, 300000));
  EXPECT_NE(p.Output().find("graphe de 1000000 sommets", cut), std::string::npos);
  long long length = -1;
  sscanf(p.Output().c_str() + p.Output().find("(HPlusProcheVoisin, longueur ", cut), "(HPlusProcheVoisin, longueur %lld", &length);
  EuclidianGraphe g(1000000, Metric::kTruncated);
  g.Generate(1000000, 1, 1700000000, nullptr);  // the clock of the program's tests
  std::vector<int> cities;
  std::string error;
  ASSERT_TRUE(ReadTour(tourfile.c_str(), &cities, &error)) << error;
  EXPECT_EQ(tour::Length(g, cities), length);
  p.Type("quit\n");
  EXPECT_EQ(p.Wait(120000), 0);
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

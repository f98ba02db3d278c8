// The command interpreter driven line by line, its output captured.
#include "shell/shell.h"

#include <gtest/gtest.h>

#include <string>

#include "containers/resources.h"
#include "support/capture.h"

namespace {

std::string Exec(const char* line, int* status = nullptr) {
  std::string copy = line;
  int r = 0;
  std::string out = CaptureStdout([&] { r = Command(&copy[0]); });
  EXPECT_EQ(copy, line);  // Command leaves the line unchanged
  if (status) *status = r;
  return out;
}

const char kUnknown[] = "\n command non reconnue, taper ? pour avoir la liste des commandes\n";

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetShell(); }
  void TearDown() override { ResetShell(); }
};

TEST_F(ShellTest, QuitMatchesWholeLineInAnyCase) {
  for (const char* q : {"quit", "QUIT", "Quit", "x", "X"}) {
    int status = 1;
    EXPECT_EQ(Exec(q, &status), "");
    EXPECT_EQ(status, 0) << q;
  }
  int status = 0;
  EXPECT_EQ(Exec("quit ", &status), kUnknown);
  EXPECT_EQ(status, 1);
}

TEST_F(ShellTest, HelpKeywordsAndUnknownLines) {
  std::string help = Exec("?");
  EXPECT_EQ(help.rfind("Utilisation du programme:\n", 0), 0u);
  EXPECT_EQ(help.substr(help.size() - 36), "  \"quit\" ou \"x\" quitte le programme\n");
  EXPECT_NE(help.find("diff\351rents"), std::string::npos);
  EXPECT_EQ(Exec("H"), help);
  EXPECT_EQ(Exec("HELP"), help);
  EXPECT_EQ(Exec("Help"), help);
  for (const char* line : {"", "load fichier", "save fichier", "random", "solve", "draw", "show ", "list ",
                           "?x", "randomx 1 2 3"})
    EXPECT_EQ(Exec(line), kUnknown) << line;
}

TEST_F(ShellTest, OptionWordArithmetic) {
  Exec("draw 5");
  Exec("output 2");
  EXPECT_EQ(CurrentOptions, 0x00020005u);
  Exec("draw 0");
  EXPECT_EQ(CurrentOptions, 0x00020000u);
  Exec("output 300");
  EXPECT_EQ(CurrentOptions, 44u << 16);
  Exec("draw 70000");
  EXPECT_EQ(CurrentOptions & 0xFFFF, 4464u);
  Exec("DRAW -1");
  EXPECT_EQ(CurrentOptions & 0xFFFF, 65535u);
  uint32_t before = CurrentOptions;
  EXPECT_EQ(Exec("draw x"), "\nerreur de syntaxe: cette commande prend un  param\350tre\n");
  EXPECT_EQ(Exec("output "), "\nerreur de syntaxe: cette commande prend un  param\350tre\n");
  EXPECT_EQ(CurrentOptions, before);
}

TEST_F(ShellTest, RandomRefusalsKeepInstanceAndResults) {
  Exec("random 4 50 1");
  Exec("solve 0");
  EuclidianGraphe* g = CurrentGraphe;
  ASSERT_NE(g, nullptr);
  ASSERT_NE(Results, nullptr);
  EXPECT_EQ(Exec("random 10 100"), "\nerreur de syntaxe: cette commande prend trois param\350tres entiers\n");
  EXPECT_EQ(Exec("random "), "\nerreur de syntaxe: cette commande prend trois param\350tres entiers\n");
  EXPECT_EQ(Exec("random 1 10 1"), "\nerreur: une instance doit avoir au moins deux sommets\n");
  EXPECT_EQ(Exec("random 0 10 1"), "\nerreur: une instance doit avoir au moins deux sommets\n");
  EXPECT_EQ(Exec("random 5 65536 32768"), "\nerreur: range x facteur ne doit pas depasser 2147483647\n");
  EXPECT_EQ(Exec("random -1 10 1"), "\nerreur: memoire insuffisante pour une instance de 4294967295 sommets\n");
  EXPECT_EQ(Exec("random 3000000000 0 0"), "\nerreur: memoire insuffisante pour une instance de 3000000000 sommets\n");
  EXPECT_EQ(Exec("random 2000000000 1 1"), "\nerreur: memoire insuffisante pour une instance de 2000000000 sommets\n");
  // Checks come in order: the vertex count before the coordinate bound.
  EXPECT_EQ(Exec("random 1 4294967295 4294967295"), "\nerreur: une instance doit avoir au moins deux sommets\n");
  EXPECT_EQ(CurrentGraphe, g);
  EXPECT_NE(Results, nullptr);
  // A failing allocation refuses the instance too, losing nothing.
  pvc::FailAcquisitionAt(2);
  EXPECT_EQ(Exec("random 5 10 1"), "\nerreur: memoire insuffisante pour une instance de 5 sommets\n");
  pvc::FailAcquisitionAt(0);
  EXPECT_EQ(CurrentGraphe, g);
  EXPECT_NE(Results, nullptr);
}

TEST_F(ShellTest, RandomReplacesInstanceAndEmptiesResults) {
  std::string out = Exec("RANDOM 3 100 1");
  EXPECT_EQ(out.rfind("3\nCoordonnees des sommets:\n0: ", 0), 0u);
  Exec("solve 0");
  Exec("random 3 100 1");
  EXPECT_EQ(Results, nullptr);
  EXPECT_EQ(Exec("show"), "\nId Algorithme         Chemin   Temp\n");
  // Boundaries that are accepted: range x facteur exactly 2^31 - 1, factor 0.
  EXPECT_EQ(Exec("random 2 2147483647 1").substr(0, 2), "2\n");
  EXPECT_EQ(Exec("random 2 4294967295 0").substr(0, 2), "2\n");
}

}  // namespace

// The command interpreter and the solve driver, driven line by line, output captured.
#include "shell/shell.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/capture.h"

namespace {

class Shell : public ::testing::Test {
 protected:
  void SetUp() override { ResetShell(); }
  void TearDown() override { ResetShell(); }
};

TEST_F(Shell, OptionsWordAndSolveWords) {
  Exec("random 6 100 1");
  Exec("draw -1");
  Exec("output 300");  // modulo 256: 44
  EXPECT_EQ(Exec("draw x"), "\nerreur de syntaxe: cette commande prend un  param\350tre\n");
  EXPECT_EQ(CurrentOptions, 0x002CFFFFu);
  Exec("draw 0");
  Exec("output 0");
  // By name in any case, by number as strtol reads it with base 0 ("08": octal, stops at
  // 8); the solve line's number fills the top byte, modulo 256.
  const std::pair<const char*, std::string> found[] = {{"solve   H2OPT   ", "\nexecution de H2Opt(0)\n"},
                                                       {"solve 0x2 259", "\nexecution de H2Opt(3000000)\n"},
                                                       {"solve 08 -1", "\nexecution de HPlusProcheVoisin(ff000000)\n"}};
  for (const auto& f : found) EXPECT_EQ(Exec(f.first), f.second) << f.first;
  for (const std::string& word : std::vector<std::string>{"h", "-1", "7", "99999999999", std::string(49, '0')}) {
    // A word longer than 49 characters is shown cut to 49 and not found, even if it reads as 0.
    const std::string line = "solve " + word + (word.size() == 49 ? "0000" : "");
    EXPECT_EQ(Exec(line), "algorithme " + word + " non trouv\351, taper \"list\" pour avoir la liste des algorithmes\n");
  }
}

TEST_F(Shell, RandomRefusalsKeepInstanceAndResults) {
  Exec("random 4 50 1");
  Exec("solve 0");
  EuclidianGraphe* g = CurrentGraphe;
  const std::string memory = "\nerreur: memoire insuffisante pour une instance de ";
  const std::pair<const char*, std::string> refused[] = {
      {"random 10 100", "\nerreur de syntaxe: cette commande prend trois param\350tres entiers\n"},
      {"random 1 10 1", "\nerreur: une instance doit avoir au moins deux sommets\n"},
      {"random 5 65536 32768", "\nerreur: range x facteur ne doit pas depasser 2147483647\n"},
      {"random -1 10 1", memory + "4294967295 sommets\n"},
      {"random 2000000000 1 1", memory + "2000000000 sommets\n"}};
  for (const auto& r : refused) EXPECT_EQ(Exec(r.first), r.second) << r.first;
  EXPECT_TRUE(CurrentGraphe == g && ListeChainee::GetCount(Results) == 1u);
  EXPECT_EQ(Exec("random 2 2147483647 1").substr(0, 2), "2\n");  // range x facteur at the limit
  EXPECT_EQ(Results, nullptr);
}

TEST_F(Shell, ShowPrintsTrueDigits) {
  Results = new Result;
  Results->InitLC();
  Results->Algo = "H2Opt";
  Results->Length = 12345678901ull;  // above 2^32: its true digits
  Results->CalcTime = 5;
  EXPECT_EQ(Exec("show"), "\nId Algorithme         Chemin   Temp\n 0               H2Opt12345678901        5\n");
}

}  // namespace

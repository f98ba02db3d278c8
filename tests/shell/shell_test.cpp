// The command interpreter and the solve driver, driven line by line, output captured.
#include "shell/shell.h"

#include <gtest/gtest.h>
#include <sys/time.h>

#include <string>

#include "containers/resources.h"
#include "support/capture.h"

namespace {

std::string Header(const char* name, unsigned word) {
  char buf[100];
  snprintf(buf, sizeof buf, "\nexecution de %s(%x)\n", name, word);
  return buf;
}

const std::string kUnknown = "\n command non reconnue, taper ? pour avoir la liste des commandes\n";
const std::string kNoMemory = "\nerreur: memoire insuffisante pour une instance de ";

class Shell : public ::testing::Test {
 protected:
  void SetUp() override { ResetShell(); }
  void TearDown() override { ResetShell(); }
};

TEST_F(Shell, KeywordsNeedTheirBlankOrTheWholeLine) {
  int status = 1;
  EXPECT_EQ(Exec("X", &status), "");
  EXPECT_EQ(status, 0);
  for (const char* line : {"quit ", "", "load fichier", "random", "solve", "draw", "show ", "?x", "help "})
    EXPECT_EQ(Exec(line, &status), kUnknown) << line;
  EXPECT_EQ(status, 1);
  EXPECT_EQ(Exec("HELP"), Exec("?"));
}

TEST_F(Shell, OptionsWord) {
  Exec("draw 5");
  Exec("output 300");  // level 44
  EXPECT_EQ(CurrentOptions, 0x002C0005u);
  Exec("DRAW -1");
  EXPECT_EQ(CurrentOptions, 0x002CFFFFu);
  EXPECT_EQ(Exec("draw x"), "\nerreur de syntaxe: cette commande prend un  param\350tre\n");
  EXPECT_EQ(CurrentOptions, 0x002CFFFFu);
  Exec("random 3 10 1");
  Exec("draw 0");
  Exec("output 0");
  // The solve line's number fills the top byte, modulo 256.
  EXPECT_EQ(Exec("solve 0 259"), Header("HPlusProcheVoisin", 0x03000000));
  EXPECT_EQ(Exec("solve 0 -1"), Header("HPlusProcheVoisin", 0xFF000000));
}

TEST_F(Shell, RandomRefusalsKeepInstanceAndResults) {
  Exec("random 4 50 1");
  Exec("solve 0");
  EuclidianGraphe* g = CurrentGraphe;
  const std::pair<const char*, std::string> refused[] = {
      {"random 10 100", "\nerreur de syntaxe: cette commande prend trois param\350tres entiers\n"},
      {"random 1 10 1", "\nerreur: une instance doit avoir au moins deux sommets\n"},
      {"random 5 65536 32768", "\nerreur: range x facteur ne doit pas depasser 2147483647\n"},
      {"random -1 10 1", kNoMemory + "4294967295 sommets\n"},
      {"random 2000000000 1 1", kNoMemory + "2000000000 sommets\n"}};
  for (const auto& r : refused) EXPECT_EQ(Exec(r.first), r.second) << r.first;
  EXPECT_TRUE(CurrentGraphe == g && ListeChainee::GetCount(Results) == 1u);
  EXPECT_EQ(Exec("random 2 2147483647 1").substr(0, 2), "2\n");  // range x facteur at the limit
  EXPECT_EQ(Results, nullptr);
}

TEST_F(Shell, SolveWords) {
  Exec("random 6 100 1");
  // By name in any case, by number as strtol reads it with base 0 ("08": octal, stops at 8).
  const std::pair<const char*, const char*> found[] = {{"solve   H2OPT   ", "H2Opt"}, {"solve 0x2", "H2Opt"},
                                                       {"solve 08", "HPlusProcheVoisin"}, {"solve 2abc", "H2Opt"}};
  for (const auto& f : found) EXPECT_EQ(Exec(f.first), Header(f.second, 0)) << f.first;
  const char* fmt = "algorithme %s non trouv\351, taper \"list\" pour avoir la liste des algorithmes\n";
  char expected[200];
  for (const char* word : {"h", "-1", "7", "99999999999"}) {
    snprintf(expected, sizeof expected, fmt, word);
    EXPECT_EQ(Exec(std::string("solve ") + word), expected) << word;
  }
  // A word longer than 49 characters is not found, shown cut to 49, even if it reads as 0.
  snprintf(expected, sizeof expected, fmt, std::string(49, '0').c_str());
  EXPECT_EQ(Exec("solve " + std::string(60, '0') + " 2"), expected);
  EXPECT_EQ(ListeChainee::GetCount(Results), 4u);
}

TEST_F(Shell, ShowAndMilliseconds) {
  Exec("random 3 10 1");
  Result* r = new Result;
  r->InitLC();
  r->Algo = "H2Opt";
  r->Length = 12345678901ull;  // above 2^32: its true digits
  r->CalcTime = 5;
  Results = r;
  EXPECT_EQ(Exec("show"), "\nId Algorithme         Chemin   Temp\n 0               H2Opt12345678901        5\n");
  auto ms = [](long s1, long u1, long s2, long u2) { return ElapsedMilliseconds(timeval{s1, u1}, timeval{s2, u2}); };
  EXPECT_EQ(ms(100, 999999, 101, 0), 1u);
  EXPECT_EQ(ms(100, 900000, 101, 100000), 200u);
  EXPECT_EQ(ms(5, 500, 7, 400), 2000u);  // -100 us truncates to 0 ms on its own
}

}  // namespace

// The solve driver: name and number look-up, the options word, the results table.
#include <gtest/gtest.h>
#include <sys/time.h>

#include <string>

#include "algorithms/algorithms.h"
#include "shell/shell.h"
#include "support/capture.h"

namespace {

std::string Exec(const char* line) {
  std::string copy = line;
  return CaptureStdout([&] { Command(&copy[0]); });
}

class SolveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetShell();
    Exec("random 6 100 1");
  }
  void TearDown() override { ResetShell(); }
};

std::string Header(const char* name, unsigned word) {
  char buf[100];
  snprintf(buf, sizeof buf, "\nexecution de %s(%x)\n", name, word);
  return buf;
}

TEST_F(SolveTest, RowsByNameAndNumber) {
  for (const char* line : {"solve hplusprochevoisin", "solve 0", "solve 0x0", "solve 00", "solve 08",
                           "solve 0abc", "solve   HPLUSPROCHEVOISIN   "})
    EXPECT_EQ(Exec(line), Header("HPlusProcheVoisin", 0)) << line;
  EXPECT_EQ(ListeChainee::GetCount(Results), 7u);
  EXPECT_STREQ(static_cast<Result*>(Results)->Algo, "HPlusProcheVoisin");
}

TEST_F(SolveTest, NotFoundWordsRunNothing) {
  const char* fmt = "algorithme %s non trouv\351, taper \"list\" pour avoir la liste des algorithmes\n";
  for (const char* word : {"h", "a", "-1", "7", "0x10", "99999999999", "9", "HPlusProcheVoisinX"}) {
    char expected[200];
    snprintf(expected, sizeof expected, fmt, word);
    EXPECT_EQ(Exec((std::string("solve ") + word).c_str()), expected) << word;
  }
  std::string longword(60, '0');  // too long even if it reads as row 0
  char expected[200];
  snprintf(expected, sizeof expected, fmt, std::string(49, '0').c_str());
  EXPECT_EQ(Exec(("solve " + longword + " 2").c_str()), expected);
  std::string exact(49, '0');  // 49 characters is still a word
  EXPECT_EQ(Exec(("solve " + exact).c_str()), Header("HPlusProcheVoisin", 0));
  EXPECT_EQ(ListeChainee::GetCount(Results), 1u);
}

TEST_F(SolveTest, OptionsWordAndHeader) {
  Exec("draw 5");
  Exec("output 2");
  std::string out = Exec("solve 0 3");
  EXPECT_EQ(out.rfind(Header("HPlusProcheVoisin", 0x03020005), 0), 0u);
  Exec("draw 0");
  Exec("output 0");
  EXPECT_EQ(Exec("solve 0 259"), Header("HPlusProcheVoisin", 0x03000000));
  EXPECT_EQ(Exec("solve 0 -1"), Header("HPlusProcheVoisin", 0xFF000000));
}

TEST_F(SolveTest, NoInstanceAnswersOnce) {
  ResetShell();
  for (const char* line : {"solve H", "solve A", "solve nothing", "solve 0"})
    EXPECT_EQ(Exec(line), "\nAucun probl\350me charg\351\n") << line;
  EXPECT_EQ(Exec("solve "), "\nerreur de syntaxe: cette commande prend deux  param\350tres\n");
}

TEST_F(SolveTest, AllHeuristicsAndAllAlgorithmsWalkTheTable) {
  std::string h = Exec("solve H");
  std::string a = Exec("solve A");
  for (int i = 0; i < 7; ++i) {
    std::string header = std::string("\nexecution de ") + Algorithmes[i].Name + "(0)\n";
    EXPECT_EQ(a.find(header) != std::string::npos, true) << i;
    EXPECT_EQ(h.find(header) != std::string::npos, i != 5) << i;
  }
}

TEST_F(SolveTest, ShowAndView) {
  EXPECT_EQ(Exec("view 0"), "\nerreur: indice de r\351sultat trop grand\n");
  Exec("solve 0");
  Exec("solve 0");
  Exec("solve 0");
  std::string show = Exec("show");
  unsigned long long len = static_cast<Result*>(Results)->Length;
  char row[100];
  std::string expected = "\nId Algorithme         Chemin   Temp\n";
  for (unsigned i = 0; i < 3; ++i) {
    Result* r = static_cast<Result*>(ListeChainee::GetElementByPosition(Results, i));
    snprintf(row, sizeof row, "%2u%20s%9llu%9lu\n", i, "HPlusProcheVoisin", len, r->CalcTime);
    expected += row;
  }
  EXPECT_EQ(show, expected);
  EXPECT_EQ(Exec("view 2"), "Drawing disabled in this special edition\n");
  EXPECT_EQ(Exec("view 3"), "\nerreur: indice de r\351sultat trop grand\n");
  EXPECT_EQ(Exec("view x"), "\nerreur de syntaxe: cette commande prend un param\350tre\n");
}

TEST(SolveTiming, MillisecondArithmetic) {
  auto ms = [](long s1, long u1, long s2, long u2) {
    timeval a{s1, u1}, b{s2, u2};
    return ElapsedMilliseconds(a, b);
  };
  EXPECT_EQ(ms(100, 999999, 101, 0), 1u);
  EXPECT_EQ(ms(100, 900000, 101, 100000), 200u);
  EXPECT_EQ(ms(100, 0, 100, 999), 0u);
  EXPECT_EQ(ms(5, 500, 7, 400), 2000u);  // -100 us truncates to 0 ms on its own
  EXPECT_EQ(ms(5, 999000, 7, 0), 1001u);
}

TEST(ShowFormat, ColumnsWithoutSeparator) {
  ResetShell();
  Exec("random 3 10 1");
  Result* r = new Result;
  r->InitLC();
  r->Algo = "H2Opt";
  r->Length = 1234;
  r->CalcTime = 5;
  Results = r;
  EXPECT_EQ(Exec("show"), "\nId Algorithme         Chemin   Temp\n 0               H2Opt     1234        5\n");
  ResetShell();
}

}  // namespace

// The command interpreter and the solve driver, driven line by line, output captured.
#include "shell/shell.h"

#include <gtest/gtest.h>
#include <sys/time.h>

#include <string>

#include "containers/resources.h"
#include "support/capture.h"

namespace {

std::string Exec(const std::string& line, int* status = nullptr) {
  std::string copy = line;
  int r = 0;
  std::string out = CaptureStdout([&] { r = Command(&copy[0]); });
  EXPECT_EQ(copy, line);  // Command leaves the line unchanged
  if (status) *status = r;
  return out;
}

std::string Header(const char* name, unsigned word) {
  char buf[100];
  snprintf(buf, sizeof buf, "\nexecution de %s(%x)\n", name, word);
  return buf;
}

const std::string kUnknown = "\n command non reconnue, taper ? pour avoir la liste des commandes\n";
const std::string kOneParam = "\nerreur de syntaxe: cette commande prend un  param\350tre\n";
const std::string kThreeParams = "\nerreur de syntaxe: cette commande prend trois param\350tres entiers\n";
const std::string kTwoVertices = "\nerreur: une instance doit avoir au moins deux sommets\n";
const std::string kNoMemory = "\nerreur: memoire insuffisante pour une instance de ";
const std::string kShow = "\nId Algorithme         Chemin   Temp\n";

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetShell(); }
  void TearDown() override { ResetShell(); }
};

TEST_F(ShellTest, DispatcherRules) {
  // quit and x: the whole line, any case.
  for (const char* q : {"quit", "QUIT", "Quit", "x", "X"}) {
    int status = 1;
    EXPECT_EQ(Exec(q, &status), "");
    EXPECT_EQ(status, 0) << q;
  }
  int status = 0;
  EXPECT_EQ(Exec("quit ", &status), kUnknown);
  EXPECT_EQ(status, 1);
  const std::string help = Exec("?");
  EXPECT_EQ(help.rfind("Utilisation du programme:\n", 0), 0u);
  for (const char* h : {"H", "HELP", "Help"}) EXPECT_EQ(Exec(h), help) << h;
  // Keywords that take arguments need their one blank; the others are whole lines.
  for (const char* line : {"", "load fichier", "save fichier", "random", "solve", "draw", "show ", "list ", "?x",
                           "help ", "randomx 1 2 3"})
    EXPECT_EQ(Exec(line), kUnknown) << line;
  EXPECT_EQ(Exec("solve "), "\nerreur de syntaxe: cette commande prend deux  param\350tres\n");
  EXPECT_EQ(Exec("view x"), "\nerreur de syntaxe: cette commande prend un param\350tre\n");
  EXPECT_EQ(Exec("view 0"), "\nerreur: indice de r\351sultat trop grand\n");
  for (const char* line : {"solve H", "solve A", "solve nothing", "solve 0"})
    EXPECT_EQ(Exec(line), "\nAucun probl\350me charg\351\n") << line;
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
  const uint32_t before = CurrentOptions;
  EXPECT_EQ(Exec("draw x"), kOneParam);
  EXPECT_EQ(Exec("output "), kOneParam);
  EXPECT_EQ(CurrentOptions, before);
  // The solve line's number fills the top byte; the header shows the whole word.
  Exec("random 3 10 1");
  Exec("draw 5");
  Exec("output 2");
  EXPECT_EQ(Exec("solve 0 3").rfind(Header("HPlusProcheVoisin", 0x03020005), 0), 0u);
  Exec("draw 0");
  Exec("output 0");
  EXPECT_EQ(Exec("solve 0 259"), Header("HPlusProcheVoisin", 0x03000000));
  EXPECT_EQ(Exec("solve 0 -1"), Header("HPlusProcheVoisin", 0xFF000000));
}

TEST_F(ShellTest, RandomRefusalsKeepInstanceAndResults) {
  Exec("random 4 50 1");
  Exec("solve 0");
  EuclidianGraphe* g = CurrentGraphe;
  const std::pair<const char*, std::string> refused[] = {
      {"random 10 100", kThreeParams},
      {"random ", kThreeParams},
      {"random 1 10 1", kTwoVertices},
      {"random 0 10 1", kTwoVertices},
      {"random 5 65536 32768", "\nerreur: range x facteur ne doit pas depasser 2147483647\n"},
      {"random -1 10 1", kNoMemory + "4294967295 sommets\n"},
      {"random 3000000000 0 0", kNoMemory + "3000000000 sommets\n"},
      {"random 2000000000 1 1", kNoMemory + "2000000000 sommets\n"},
      {"random 1 4294967295 4294967295", kTwoVertices}};  // the vertex count is checked first
  for (const auto& r : refused) EXPECT_EQ(Exec(r.first), r.second) << r.first;
  // A failing allocation refuses the instance too, losing nothing.
  pvc::FailAcquisitionAt(2);
  EXPECT_EQ(Exec("random 5 10 1"), kNoMemory + "5 sommets\n");
  pvc::FailAcquisitionAt(0);
  EXPECT_EQ(CurrentGraphe, g);
  EXPECT_EQ(ListeChainee::GetCount(Results), 1u);
  // Accepted: any case, range x facteur exactly 2^31 - 1, factor 0; results emptied.
  EXPECT_EQ(Exec("RANDOM 3 100 1").rfind("3\nCoordonnees des sommets:\n0: ", 0), 0u);
  EXPECT_EQ(Results, nullptr);
  EXPECT_EQ(Exec("random 2 2147483647 1").substr(0, 2), "2\n");
  EXPECT_EQ(Exec("random 2 4294967295 0").substr(0, 2), "2\n");
}

TEST_F(ShellTest, SolveNumberParsing) {
  Exec("random 6 100 1");
  // By name in any case, by number through strtol base 0 ("08": octal, stops at 8).
  const std::pair<const char*, const char*> found[] = {
      {"solve hplusprochevoisin", "HPlusProcheVoisin"}, {"solve   H2OPT   ", "H2Opt"}, {"solve 0x2", "H2Opt"},
      {"solve 02", "H2Opt"}, {"solve 08", "HPlusProcheVoisin"}, {"solve 2abc", "H2Opt"}};
  for (const auto& f : found) EXPECT_EQ(Exec(f.first), Header(f.second, 0)) << f.first;
  EXPECT_EQ(ListeChainee::GetCount(Results), 6u);
  const char* fmt = "algorithme %s non trouv\351, taper \"list\" pour avoir la liste des algorithmes\n";
  char expected[200];
  for (const char* word : {"h", "a", "-1", "7", "0x10", "99999999999", "9", "HPlusProcheVoisinX"}) {
    snprintf(expected, sizeof expected, fmt, word);
    EXPECT_EQ(Exec(std::string("solve ") + word), expected) << word;
  }
  // Longer than 49 characters: not found, even if it reads as row 0; 49 is still a word.
  snprintf(expected, sizeof expected, fmt, std::string(49, '0').c_str());
  EXPECT_EQ(Exec("solve " + std::string(60, '0') + " 2"), expected);
  EXPECT_EQ(Exec("solve " + std::string(49, '0')), Header("HPlusProcheVoisin", 0));
  EXPECT_EQ(ListeChainee::GetCount(Results), 7u);
}

TEST_F(ShellTest, ShowFormatAndMilliseconds) {
  Exec("random 3 10 1");
  Result* r = new Result;
  r->InitLC();
  r->Algo = "H2Opt";
  r->Length = 12345678901ull;  // above 2^32: its true digits
  r->CalcTime = 5;
  Results = r;
  EXPECT_EQ(Exec("show"), kShow + " 0               H2Opt12345678901        5\n");
  auto ms = [](long s1, long u1, long s2, long u2) { return ElapsedMilliseconds(timeval{s1, u1}, timeval{s2, u2}); };
  EXPECT_EQ(ms(100, 999999, 101, 0), 1u);
  EXPECT_EQ(ms(100, 900000, 101, 100000), 200u);
  EXPECT_EQ(ms(100, 0, 100, 999), 0u);
  EXPECT_EQ(ms(5, 500, 7, 400), 2000u);  // -100 us truncates to 0 ms on its own
  EXPECT_EQ(ms(5, 999000, 7, 0), 1001u);
}

}  // namespace

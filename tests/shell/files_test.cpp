// load and save: every TSPLIB kind solved as pvc-bench solves it (the annealing in a new
// session too), refusals that keep the state, and TOUR files that read back, including
// over a file that cannot be replaced.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <map>

#include "algorithms/algorithms.h"
#include "graph/tsplib.h"
#include "shell/shell.h"
#include "support/capture.h"
#include "support/files.h"
#include "support/process.h"
#include "support/tour.h"

namespace {

const std::string kData = PVC_DATA_DIR;

class Files : public ::testing::Test {
 protected:
  void SetUp() override { ResetShell(); }
  void TearDown() override { ResetShell(); }
  std::string Path(const char* name) const { return dir_.Path(name); }
  const TempDir dir_;
};

// The lengths pvc-bench finds with one row of the table on shipped files, by instance.
std::map<std::string, unsigned long long> BenchLengths(int row, const std::vector<const char*>& names) {
  std::string list;
  for (const char* n : names) list += (list.empty() ? "" : ",") + kData + "/" + n + ".tsp";
  FILE* p = popen((std::string(PVC_BENCH) + " --csv --algo " + std::to_string(row) + " --tsplib " + list).c_str(), "r");
  std::map<std::string, unsigned long long> bench;
  char name[64], algo[64];
  unsigned long long len;
  for (char line[256]; fgets(line, sizeof line, p);)
    if (sscanf(line, "%63[^,],%*u,%63[^,],%llu", name, algo, &len) == 3 && Algorithmes[row].Name == std::string(algo))
      bench[name] = len;
  EXPECT_EQ(pclose(p), 0);
  return bench;
}

TEST_F(Files, EachKindSolvesAsTheBenchAndTheNetNeedsCoordinates) {
  const std::vector<const char*> names = {"berlin52", "att48", "ulysses16", "dsj1000", "bays29", "gr24"};
  const std::map<std::string, unsigned long long> bench = BenchLengths(0, names);
  for (const char* n : names) {
    const std::string out = Exec("load " + kData + "/" + n + ".tsp");
    const std::string listing = std::string(n) != "gr24" ? "Coordonnees des sommets:\n0: "
                                : "Coordonnees des sommets: aucune, le fichier ne donne que les distances\n";
    EXPECT_EQ(out.find(listing), out.find('\n') + 1) << n << "\n" << out.substr(0, 200);
    Exec("solve 0");
    ASSERT_EQ(ListeChainee::GetCount(Results), 1u) << n;
    EXPECT_EQ(Results->Length, bench.at(n)) << n;
  }
  Exec("output 1");
  EXPECT_EQ(Exec("solve 6"),
            "\nexecution de HElastique(10000)\nHElastique: erreur, instance sans coordonnees\n\nune erreur est surevenue\n");
  EXPECT_EQ(ListeChainee::GetCount(Results), 1u);
}

// A session that begins with load anneals on the stream a new process starts with, that of
// seed 1, as pvc-bench does by default.
TEST_F(Files, NewSessionAnnealsAsTheBench) {
  const std::vector<const char*> names = {"berlin52", "ulysses16"};
  const std::map<std::string, unsigned long long> bench = BenchLengths(3, names);
  for (const char* n : names) {
    const std::string load = "load " + kData + "/" + n + ".tsp";
    PvcProcess p;
    p.Type(load + "\nsolve 3\nshow\nquit\n");
    EXPECT_EQ(p.Wait(), 0);
    unsigned long long len = 0;
    const size_t row = p.Output().find(" 0       HRecuitSimule");
    ASSERT_NE(row, std::string::npos) << p.Output();
    EXPECT_EQ(sscanf(p.Output().c_str() + row, " 0 HRecuitSimule %llu", &len), 1);
    EXPECT_EQ(len, bench.at(n)) << n;
  }
}

TEST_F(Files, RefusedLoadsKeepInstanceAndResults) {
  Exec("random 5 100 1");
  Exec("solve 0");
  const std::string show = Exec("show");
  std::ofstream(Path("bad.tsp")) << "NAME: t\nDIMENSION: 2\nEDGE_WEIGHT_TYPE: EUC_2D\nNODE_COORD_SECTION\n1 0 0\n";
  const std::pair<std::string, std::string> refused[] = {
      {"load  ", "\nerreur de syntaxe: cette commande prend un param\350tre\n"},
      {"load \"x", "\nerreur de syntaxe: cette commande prend un param\350tre\n"},
      {"LOAD " + Path("bad.tsp"), "\nerreur: " + Path("bad.tsp") +
                                      ":6: NODE_COORD_SECTION s'arr\352te apr\350s 1 sommets sur 2: sommet 2 absent\n"},
      {"load " + dir_.Path(), "\nerreur: " + dir_.Path() + ": impossible de lire le fichier (Is a directory)\n"}};
  for (const auto& r : refused) EXPECT_EQ(Exec(r.first), r.second) << r.first;
  EXPECT_EQ(Exec("show"), show);
}

TEST_F(Files, SaveWritesTheBestTourOrNothing) {
  const std::string file = Path("best.tour");
  EXPECT_EQ(Exec("save " + file), "\nerreur: aucun r\351sultat \340 sauvegarder\n");
  Exec("load \"" + kData + "/berlin52.tsp\"");
  for (const char* row : {"0", "4", "2", "2"}) Exec(std::string("solve ") + row);
  const std::pair<std::string, std::string> answers[] = {
      {"save " + file + " 0", "\nr\351sultat 0 (HPlusProcheVoisin, longueur 8980) sauvegard\351 dans " + file + "\n"},
      {"save " + file + " harpm", "\nr\351sultat 1 (HARPM, longueur 10348) sauvegard\351 dans " + file + "\n"},
      {"save " + file + " 1", "\nerreur: aucun r\351sultat de HMoindreCout \340 sauvegarder\n"},
      {"save " + file + " H", "algorithme H non trouv\351, taper \"list\" pour avoir la liste des algorithmes\n"},
      {"save ", "\nerreur de syntaxe: cette commande prend un ou deux param\350tres\n"},
      {"save /none/x.tour", "\nerreur: impossible d'\351crire /none/x.tour (No such file or directory)\n"},
      {"save " + file, "\nr\351sultat 2 (H2Opt, longueur 7842) sauvegard\351 dans " + file + "\n"}};
  for (const auto& a : answers) EXPECT_EQ(Exec(a.first), a.second) << a.first;
  std::vector<int> tour;
  std::string error;
  ASSERT_TRUE(ReadTour(file.c_str(), &tour, &error)) << error;
  EXPECT_EQ(tour::Length(*CurrentGraphe, tour), 7842);
  // A write that fails half-way (the file size limit) leaves the old file whole, no trace.
  // Only the soft limit: without CAP_SYS_RESOURCE a lowered hard limit could not be raised
  // again, and the tests after this one would write into files of 100 bytes.
  rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  const rlimit small = {100, old.rlim_max};
  signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  EXPECT_EQ(Exec("save " + file + " 0"), "\nerreur: impossible d'\351crire " + file + " (File too large)\n");
  setrlimit(RLIMIT_FSIZE, &old);
  std::vector<int> again;
  ASSERT_TRUE(ReadTour(file.c_str(), &again, &error)) << error;
  EXPECT_EQ(again, tour);
  EXPECT_EQ(RunCommand("ls -A " + dir_.Path()), "best.tour\n");
  // A FIFO that nobody reads is refused at once; one that is read gets the tour.
  const std::string fifo = Path("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(Exec("save " + fifo), "\nerreur: impossible d'\351crire " + fifo + " (No such device or address)\n");
  FILE* reader = popen(("cat " + fifo).c_str(), "r");
  for (int k = 0; k < 500 && Exec("save " + fifo).find("erreur") != std::string::npos; ++k) usleep(10000);
  std::string got;
  for (int c; (c = fgetc(reader)) != EOF;) got += static_cast<char>(c);
  pclose(reader);
  EXPECT_NE(got.find("TOUR_SECTION\n"), std::string::npos) << got;
}

}  // namespace

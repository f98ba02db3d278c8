// TSPLIB files: distances and matrix formats on small fixtures, the published optimal tours
// of the shipped instances, malformed files, sources that never end, the files written,
// and pvc-bench end to end.
#include "graph/tsplib.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>

#include "containers/resources.h"
#include "graph/tour_output.h"
#include "support/files.h"
#include "support/tour.h"

namespace {

const std::string kBench = PVC_BENCH;

bool Parse(const std::string& text, TsplibInstance* inst, std::string* error) {
  FILE* f = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
  const bool ok = ReadTsplib(f, "t.tsp", inst, error);
  fclose(f);
  return ok;
}

std::string Head(const char* type, int n) {
  return "NAME: t\nTYPE: TSP\nDIMENSION: " + std::to_string(n) + "\nEDGE_WEIGHT_TYPE: " + type + "\n";
}

// Weights (i, j, w) with 1-based nodes, shared by the matrix fixtures.
const std::vector<std::array<int, 3>> kMatrix = {{1, 2, 1}, {1, 3, 2}, {1, 4, 3}, {2, 3, 4}, {2, 4, 5}, {3, 4, 6}};

TEST(Tsplib, DistancesAndMatrixFormats) {
  const std::string points = "NODE_COORD_SECTION\n  1 0 0\n 2 3.0 4\n3 -1 -1\n4 2.5 0\n";
  const std::string matrix = Head("EXPLICIT", 4) + "EDGE_WEIGHT_FORMAT: ";
  const struct {
    std::string text;
    std::vector<std::array<int, 3>> weights;
    uint32_t bound;  // coordinate bound: the extent of the coordinates shifted to 0 and rounded
  } cases[] = {
      // Shapes met in real files: spaced colons, remarks, a suffix on NAME, " EOF".
      {"NAME : t.tsp\nTYPE: TSP (remark)\nCOMMENT: optimum 1\nDIMENSION : 4 \nEDGE_WEIGHT_TYPE:EUC_2D\n\n" + points + " EOF\n",
       {{1, 2, 5}, {1, 3, 1}, {1, 4, 3}, {2, 3, 6}}, 5},
      // Text from other systems: CR LF line ends, tabs, a form feed, Latin-1 and UTF-8 letters.
      {"NAME: t\r\nCOMMENT: \xe9t\xc3\xa9\f\r\nTYPE:\tTSP\r\nDIMENSION: 4\r\nEDGE_WEIGHT_TYPE: EUC_2D\r\n" + points,
       {{1, 2, 5}, {1, 3, 1}, {1, 4, 3}, {2, 3, 6}}, 5},
      {Head("CEIL_2D", 4) + points, {{1, 2, 5}, {1, 3, 2}, {1, 4, 3}, {2, 3, 7}}, 5},
      // ATT rounds up whenever nint falls below the distance; coordinates / sqrt(10).
      {Head("ATT", 4) + "NODE_COORD_SECTION\n1 0 0\n2 10 0\n3 30 10\n4 11.7 0\n", {{1, 2, 4}, {1, 3, 10}, {1, 4, 4}}, 9},
      // GEO: DDD.MM, degrees truncated; a city is 1 from itself; plane in kilometres.
      {Head("GEO", 4) + "EDGE_WEIGHT_FORMAT: FUNCTION\nNODE_COORD_SECTION\n1 0 0\n2 0 1.0\n3 0 0.50\n4 0 0\n",
       {{1, 2, 112}, {1, 3, 93}, {1, 4, 1}}, 111},
      {matrix + "FULL_MATRIX\nEDGE_WEIGHT_SECTION\n0 1 2 3\n1 0 4 5\n2 4 0 6\n3 5 6 0\n"
                "DISPLAY_DATA_SECTION\n1 0 0\n2 10 0\n3 0 20\n4 5 5\nEOF\n",
       kMatrix, 20},
      // Without coordinates the bound is the largest weight / sqrt(2).
      {matrix + "UPPER_ROW\nEDGE_WEIGHT_SECTION\n1 2 3 4 5 6\n", kMatrix, 4},
      {matrix + "LOWER_ROW\nEDGE_WEIGHT_SECTION\n1\n2\n4\n3\n5\n6\nEOF\n", kMatrix, 4},
      {matrix + "UPPER_DIAG_ROW\nEDGE_WEIGHT_SECTION\n0 1 2 3 0\n4 5 0 6 0\n", kMatrix, 4},
      {matrix + "LOWER_DIAG_ROW\nEDGE_WEIGHT_SECTION\n0 1 0 2 4 0 3\n 5 6 0\n", kMatrix, 4},
  };
  for (const auto& c : cases) {
    TsplibInstance inst;
    std::string error;
    ASSERT_TRUE(Parse(c.text, &inst, &error)) << error << "\n" << c.text;
    EXPECT_EQ(inst.name, "t");
    for (const auto& w : c.weights) EXPECT_EQ(inst.graph->Get(w[0] - 1, w[1] - 1), uint32_t(w[2])) << c.text;
    inst.graph->ComputeWeights();  // the same weights computed from the file's points
    for (const auto& w : c.weights) EXPECT_EQ(inst.graph->Get(w[0] - 1, w[1] - 1), uint32_t(w[2])) << c.text;
    EXPECT_EQ(inst.graph->GetMaxCoord(), c.bound) << c.text;
    EXPECT_EQ(inst.HasCoordinates(), c.bound != 4) << c.text;
  }
}

TEST(Tsplib, MalformedFilesGiveOneMessage) {
  const std::string euc = Head("EUC_2D", 2) + "NODE_COORD_SECTION\n";
  const std::string full = Head("EXPLICIT", 2) + "EDGE_WEIGHT_FORMAT: FULL_MATRIX\nEDGE_WEIGHT_SECTION\n";
  const std::string upper = Head("EXPLICIT", 4) + "EDGE_WEIGHT_FORMAT: UPPER_ROW\nEDGE_WEIGHT_SECTION\n";
  const std::pair<std::string, std::string> cases[] = {
      {"TYPE: ATSP\n", "t.tsp:1: asymmetric TYPE ATSP"},
      {"NAME: x\nTYPE: CVRP\n", "t.tsp:2: unknown TYPE 'CVRP'"},
      {Head("EUC_3D", 2), "t.tsp:4: unsupported EDGE_WEIGHT_TYPE 'EUC_3D'"},
      {Head("EXPLICIT", 2) + "EDGE_WEIGHT_FORMAT: UPPER_COL\n", "t.tsp:5: unsupported EDGE_WEIGHT_FORMAT"},
      {"DIMENSION: 12a\n", "t.tsp:1: DIMENSION is not a whole number"},
      {"DIMENSION: 99999999999999999999\n", "t.tsp:1: DIMENSION is not a whole number"},
      {"DIMENSION: 4000000000\n", "t.tsp:1: DIMENSION 4000000000 is too large"},
      {"\nDIMENSION: 2000000000\n", "t.tsp:2: DIMENSION 2000000000 does not fit in memory"},
      {euc + "1 0 0\nEOF\n", "t.tsp:7: NODE_COORD_SECTION ends after 1 of 2 nodes: node 2 missing"},
      {euc + "1 0 0\n3 1 1\n", "t.tsp:7: node number 3 not in 1..DIMENSION (2)"},
      {euc + "1 0 0\n2 1 1\n3 1 1\n", "t.tsp:8: NODE_COORD_SECTION has more nodes than DIMENSION 2"},
      {euc + "1 0 0\n1 1 1\n", "t.tsp:7: node 1 given twice"},
      {euc + "1 0 0\n2 1 1,5\n", "t.tsp:7: y is not a number: '1,5'"},
      {euc + "1 0\n2 1 1\n", "t.tsp:6: node 1: two coordinates expected"},
      {euc + "1 0 0 0\n2 1 1\n", "t.tsp:6: extra value after node 1"},
      {euc + "1 " + std::string(100000, '9') + " 0\n",
       "t.tsp:6: x is not a number: '99999999999999999999999999999999...'"},
      {euc + "1 0 0\n2 3000000000 0\n", "t.tsp:5: nodes 1 and 2 are 3000000000 apart, above 2147483647"},
      {upper + "1 2 3 4 5\nEOF\n", "t.tsp:8: EDGE_WEIGHT_SECTION ends after 5 of 6 entries"},
      {upper + "1 2 3 4 5 6 7\n", "t.tsp:7: EDGE_WEIGHT_SECTION has more than 6 entries"},
      {upper + "1 2 -3 4 5 6\n", "t.tsp:7: negative weight -3"},
      {upper + "1 2 3\n2147483648 5 6\n", "t.tsp:8: weight 2147483648 is above 2147483647"},
      {upper + "1 2 3 x 5 6\n", "t.tsp:7: not a number: 'x'"},
      {full + "0 1\n2 0\n", "t.tsp:8: asymmetric matrix: entry (2,1) is 2, entry (1,2) is 1"},
      {Head("EUC_2D", 2) + "EOF\n", "t.tsp:5: no NODE_COORD_SECTION"},
      {"NAME: t\nCAPACITY: 3\n", "t.tsp:2: unknown keyword 'CAPACITY'"},
      // Bytes no text holds end the reading with their line, whatever the data looked like.
      {euc + "1 0 0\n2 1" + std::string(1, '\0') + "5 1\n", "t.tsp:7: control character 0x00: not a text file"},
      {euc + "1 0 0\n2 1 1\n" + std::string(3, '\0'), "t.tsp:8: control character 0x00: not a text file"},
      {"NAME: t\vx\n", "t.tsp:1: control character 0x0B: not a text file"},
      {"DIMENSION: 1\x1b[A2\n", "t.tsp:1: control character 0x1B: not a text file"},
      {upper + "1 2 3 4 5 6\x7f\n", "t.tsp:7: control character 0x7F: not a text file"},
  };
  TsplibInstance inst;
  std::string error;
  for (const auto& c : cases) {
    EXPECT_FALSE(Parse(c.first, &inst, &error));
    EXPECT_EQ(error.compare(0, c.second.size(), c.second), 0) << error << "\nnot " << c.second;
    EXPECT_EQ(inst.graph, nullptr);
  }
  EXPECT_FALSE(ReadTsplib("/nonexistent/x.tsp", &inst, &error));
  EXPECT_EQ(error, "/nonexistent/x.tsp: cannot open (No such file or directory)");
  pvc::FailAcquisitionAt(1);
  EXPECT_FALSE(Parse(Head("EUC_2D", 3), &inst, &error));
  pvc::FailAcquisitionAt(0);
  EXPECT_EQ(error, "t.tsp:3: not enough memory for DIMENSION 3");
}

// Reads path as the shell does, with Ctrl-C (a timer's signal, without restarting the
// reads it interrupts, raising the same flag) after 300 ms; *seconds gets the time the
// reading took.
bool ReadWithCtrlC(const std::string& path, std::string* error, double* seconds) {
  struct sigaction sa = {};
  sa.sa_handler = [](int) { pvc::g_interrupt = 1; };
  sigaction(SIGALRM, &sa, nullptr);
  const itimerval timer = {{0, 0}, {0, 300000}}, off = {};
  setitimer(ITIMER_REAL, &timer, nullptr);
  const auto start = std::chrono::steady_clock::now();
  TsplibInstance inst;
  const bool ok = ReadTsplib(path.c_str(), &inst, error);
  *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  setitimer(ITIMER_REAL, &off, nullptr);  // when the reading ended first
  pvc::g_interrupt = 0;
  return ok;
}

// Sources that never end or come slowly (the shell's test of load meets /dev/zero and a
// FIFO left half written): an endless text through a pipe is read until Ctrl-C; a FIFO
// whose writer finishes gives its file.
TEST(Tsplib, EndlessAndSlowSourcesStopAtCtrlC) {
  std::string error;
  double seconds;
  FILE* endless = popen("yes ''", "r");
  const std::string pipe = "/dev/fd/" + std::to_string(fileno(endless));
  EXPECT_FALSE(ReadWithCtrlC(pipe, &error, &seconds));
  EXPECT_EQ(error.substr(error.rfind(':')), ": reading interrupted") << error;
  EXPECT_GT(std::stol(error.substr(pipe.size() + 1)), 1000);  // the line reached
  EXPECT_LT(seconds, 3);
  pclose(endless);
  const TempDir dir;
  const std::string fifo = dir.Path("f");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  FILE* writer = popen(("cat " + DataFile("burma14.tsp") + " > " + fifo).c_str(), "r");
  TsplibInstance inst;
  EXPECT_TRUE(ReadTsplib(fifo.c_str(), &inst, &error)) << error;
  EXPECT_EQ(pclose(writer), 0);
  EXPECT_EQ(inst.name, "burma14");
  // A tour whose list ends in a NUL is no tour file either.
  const std::string tour = dir.Path("t.tour");
  std::ofstream(tour, std::ios::binary) << "DIMENSION: 2\nTOUR_SECTION\n1\n2\n" << '\0';
  std::vector<int> cities;
  EXPECT_FALSE(ReadTour(tour.c_str(), &cities, &error));
  EXPECT_EQ(error, tour + ":5: control character 0x00: not a text file");
}

// The published tours measured with the loaded weights: proves every distance kind. The
// branch and bound finds burma14's (GEO, larger than its own tests' instances).
TEST(Tsplib, PublishedOptimalToursHaveThePublishedLength) {
  std::map<std::string, unsigned long long> optima;
  std::string error;
  ASSERT_TRUE(ReadOptima(DataFile("OPTIMA").c_str(), &optima, &error)) << error;
  int checked = 0;
  for (const auto& [name, optimum] : optima) {
    const std::string tourfile = DataFile(name + ".opt.tour");
    if (access(tourfile.c_str(), R_OK) != 0) continue;
    const TsplibInstance inst = Shipped(name);
    std::vector<int> tour;
    ASSERT_TRUE(ReadTour(tourfile.c_str(), &tour, &error)) << error;
    EXPECT_EQ(tour::Length(*inst.graph, tour), static_cast<long long>(optimum)) << name;
    ++checked;
  }
  EXPECT_EQ(checked, 12);
  const TsplibInstance burma = Shipped("burma14");
  const auto t = tour::Run(PVC_ASeparationEvaluation, *burma.graph, 0);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(burma.graph->Eval(t.get()), 3323u);
}

// The picture of a tour (its TOUR file is read back in the shell's test of save).
TEST(TourOutput, PictureIsWellFormed) {
  const TempDir dir;
  const TsplibInstance inst = Shipped("berlin52");
  std::vector<int> tour;
  std::string error;
  ASSERT_TRUE(ReadTour(DataFile("berlin52.opt.tour").c_str(), &tour, &error));
  const std::string svg = dir.Path("b.svg");
  ASSERT_TRUE(WriteTourSvg(svg.c_str(), "a<b> & \xe9", inst.picture.get(), tour.data(), 52, &error)) << error;
  const std::string xml = ReadFile(svg);
  EXPECT_EQ(system(("xmllint --noout " + svg).c_str()), 0) << xml;  // well-formed XML
  EXPECT_NE(xml.find("<title>a&lt;b&gt; &amp; &#233;</title>"), std::string::npos);
  size_t circles = 0;
  for (size_t p = xml.find("<circle"); p != std::string::npos; p = xml.find("<circle", p + 1)) ++circles;
  EXPECT_EQ(circles, 52u);
}

// pvc-bench end to end: a bad file is skipped (status 1), the others run with their gap and
// empty bound columns. With --bound, the bound's row first, then each row with the bound
// and its excess ((length - bound) x 100 / bound, four decimals), and in the table a length
// at the bound marked as a proved optimum.
TEST(BenchTsplib, GapsBoundRowsAndExcess) {
  const std::string gr24 = " --tsplib " + DataFile("gr24.tsp"), optima = " --optima " + DataFile("OPTIMA");
  const struct {
    std::string args;
    int status;
    std::vector<std::string> rows;
  } runs[] = {
      {" --csv --algo 0 --tsplib /none.tsp," + DataFile("gr24.tsp") + optima, 1,
       {"\ngr24,24,HPlusProcheVoisin,1553,1272,22.09,,,"}},
      {" --bound --csv --algo 0" + gr24 + optima, 0,
       {"instance,n,algorithm,length,optimum,gap,bound,over_bound,ms,peak_mib\ngr24,24,HeldKarp,1272,1272,0.00,1272,,",
        "\ngr24,24,HPlusProcheVoisin,1553,1272,22.09,1272,22.0912,"}},
      {" --bound --algo HRecuitSimule" + gr24, 0, {"HRecuitSimule              1272            -        -   optimal"}}};
  for (const auto& run : runs) {
    int status;
    const std::string out = RunCommand(kBench + run.args + " 2>/dev/null", &status);
    EXPECT_EQ(status, run.status) << run.args;
    for (const std::string& row : run.rows) EXPECT_NE(out.find(row), std::string::npos) << row << "\n" << out;
  }
}

}  // namespace

// Every acquisition of a solve run (and of random) made to fail in turn: the run ends with
// its message and records nothing, earlier results stay intact, and the shell goes on.
// The asan build runs this with LeakSanitizer, which catches anything left behind.
#include <gtest/gtest.h>

#include <string>

#include "algorithms/algorithms.h"
#include "containers/resources.h"
#include "shell/shell.h"
#include "support/capture.h"

namespace {

std::string Exec(const char* line) {
  std::string copy = line;
  return CaptureStdout([&] { Command(&copy[0]); });
}

class FaultRow : public ::testing::TestWithParam<int> {
 protected:
  void TearDown() override {
    pvc::FailAcquisitionAt(0);
    ResetShell();
  }
};

TEST_P(FaultRow, EveryFailureIsReportedAndLosesNothing) {
  const int row = GetParam();
  const std::string name = Algorithmes[row].Name;
  ResetShell();
  Exec("random 7 100 1");
  Exec("solve 4");
  Exec("output 1");
  const std::string show = Exec("show");
  const std::string solve = "solve " + std::to_string(row) + " 1";
  unsigned long k = 1;
  for (;; ++k) {
    pvc::FailAcquisitionAt(k);
    std::string out = Exec(solve.c_str());
    pvc::FailAcquisitionAt(0);
    if (ListeChainee::GetCount(Results) == 2) break;  // k lies past every acquisition of the run
    // The algorithm's own message, or the driver's when the record itself is refused.
    bool reported = out.find(name + ": erreur, ") != std::string::npos ||
                    out == "\nerreur: memoire insuffisante\n";
    EXPECT_TRUE(reported) << "acquisition " << k << "\n" << out;
    EXPECT_EQ(Exec("show"), show) << "acquisition " << k;
    ASSERT_LT(k, 100000u);
  }
  EXPECT_GT(k, 1u);
  // The run that went through is recorded after the earlier result.
  EXPECT_EQ(ListeChainee::GetCount(Results), 2u);
}

INSTANTIATE_TEST_SUITE_P(Rows, FaultRow, ::testing::Values(0, 1, 2, 3, 4, 5, 6));

TEST(FaultRandom, EveryFailureKeepsTheInstance) {
  ResetShell();
  Exec("random 5 100 1");
  Exec("solve 0");
  const std::string show = Exec("show");
  EuclidianGraphe* before = CurrentGraphe;
  unsigned long k = 1;
  for (;; ++k) {
    pvc::FailAcquisitionAt(k);
    std::string out = Exec("random 6 100 1");
    pvc::FailAcquisitionAt(0);
    if (out.rfind("6\n", 0) == 0) break;
    EXPECT_EQ(out, "\nerreur: memoire insuffisante pour une instance de 6 sommets\n");
    EXPECT_EQ(CurrentGraphe, before);
    EXPECT_EQ(Exec("show"), show);
  }
  EXPECT_EQ(k, 5u);  // object, row pointers, weights, coordinates: four acquisitions
  EXPECT_EQ(Results, nullptr);
  ResetShell();
}

}  // namespace

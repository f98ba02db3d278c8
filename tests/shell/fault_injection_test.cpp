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

class FaultWalk : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override { ResetShell(); }
  void TearDown() override {
    pvc::FailAcquisitionAt(0);
    ResetShell();
  }
};

TEST_P(FaultWalk, EveryFailureIsReportedAndLosesNothing) {
  const std::string name = Algorithmes[GetParam()].Name;
  Exec("random 7 100 1");
  Exec("solve 4");
  Exec("output 1");
  const std::string show = Exec("show");
  unsigned long k = 1;
  for (;; ++k) {
    pvc::FailAcquisitionAt(k);
    std::string out = Exec("solve " + name + " 1");
    pvc::FailAcquisitionAt(0);
    if (ListeChainee::GetCount(Results) == 2) break;  // k lies past every acquisition of the run
    // The algorithm's own message, or the driver's when the record itself is refused.
    EXPECT_TRUE(out.find(name + ": erreur, ") != std::string::npos || out == "\nerreur: memoire insuffisante\n")
        << "acquisition " << k << "\n" << out;
    EXPECT_EQ(Exec("show"), show) << "acquisition " << k;
    ASSERT_LT(k, 100000u);
  }
  EXPECT_GT(k, 2u);
}

INSTANTIATE_TEST_SUITE_P(Rows, FaultWalk, ::testing::Range(0, kAlgorithmCount),
                         [](const ::testing::TestParamInfo<int>& row) { return Algorithmes[row.param].Name; });

TEST_F(FaultWalk, RandomKeepsTheInstance) {
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
    EXPECT_TRUE(CurrentGraphe == before && Exec("show") == show);
  }
  EXPECT_EQ(k, 5u);  // object, row pointers, weights, coordinates: four acquisitions
  // load: the reader's instance, coordinates and node marks, each refused in turn.
  Exec("solve 0");
  before = CurrentGraphe;
  const std::string shown = Exec("show");
  for (k = 1;; ++k) {
    pvc::FailAcquisitionAt(k);
    std::string out = Exec("load " + std::string(PVC_DATA_DIR) + "/burma14.tsp");
    pvc::FailAcquisitionAt(0);
    if (out.rfind("14\n", 0) == 0) break;
    EXPECT_NE(out.find(": m\351moire insuffisante pour "), std::string::npos) << out;
    EXPECT_TRUE(CurrentGraphe == before && Exec("show") == shown);
  }
  EXPECT_EQ(k, 7u);
}

}  // namespace

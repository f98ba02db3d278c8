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

// random, and load (the reader's instance, coordinates and node marks): each acquisition
// refused in turn, the instance and results stay; the number of the first that is not
// refused.
TEST_F(FaultWalk, RandomAndLoadKeepTheInstance) {
  auto walk = [](const std::string& line, const char* done, const std::string& message) {
    Exec("solve 0");
    EuclidianGraphe* before = CurrentGraphe;
    const std::string show = Exec("show");
    unsigned long k = 1;
    for (;; ++k) {
      pvc::FailAcquisitionAt(k);
      std::string out = Exec(line);
      pvc::FailAcquisitionAt(0);
      if (out.rfind(done, 0) == 0) return k;
      EXPECT_NE(out.find(message), std::string::npos) << out;
      EXPECT_TRUE(CurrentGraphe == before && Exec("show") == show);
    }
  };
  Exec("random 5 100 1");
  // Object, row pointers, weights, coordinates: four acquisitions.
  EXPECT_EQ(walk("random 6 100 1", "6\n", "\nerreur: memoire insuffisante pour une instance de 6 sommets\n"), 5u);
  EXPECT_EQ(walk("load " + std::string(PVC_DATA_DIR) + "/burma14.tsp", "14\n", ": m\351moire insuffisante pour "), 7u);
}

}  // namespace

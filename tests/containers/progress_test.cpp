// Progress reports, with a clock that moves a second at every reading: every step shows.
#include "containers/progress.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "algorithms/algorithms.h"

namespace {

std::map<std::string, pvc::ProgressReport> g_last;  // each run's last report
uint64_t g_clock = 0;

void Record(const pvc::ProgressReport& r) {
  EXPECT_GE(r.done, g_last[r.name].done) << r.name;  // a run's steps never go back
  g_last[r.name] = r;
}

TEST(Progress, StepsNeverGoBackAndTheFiguresAreTheTourLengths) {
  EuclidianGraphe g(40);
  g.Generate(1000, 1, 7, nullptr);
  g_last.clear();
  pvc::SetProgressClock([] { return g_clock += 1000; });
  pvc::ShowProgress(Record, 0, 0);
  std::unique_ptr<tArretes> annealed(PVC_HRecuitSimule(&g, pvc::OptionsWord(0, 0, 0x12)));
  g_last.erase("HPlusProcheVoisin");  // the 2-opt starts its own
  std::unique_ptr<tArretes> improved(PVC_H2Opt(&g, 0));
  EXPECT_TRUE(pvc::HideProgress());
  pvc::SetProgressClock(nullptr);
  const pvc::ProgressReport a = g_last["HRecuitSimule"];
  EXPECT_EQ(a.done, 10u);  // low nibble 2: ten stages, the whole schedule
  EXPECT_EQ(a.total, 10u);
  EXPECT_EQ(a.figure, g.Eval(annealed.get()));
  EXPECT_GT(a.seconds, 0u);
  EXPECT_EQ(g_last["H2Opt"].figure, g.Eval(improved.get()));  // the gains of the passes added up

  char line[64];
  pvc::FormatProgress({"HRecuitSimule", "palier", 23, 110, "longueur", 1234567, 72}, line, sizeof line);
  EXPECT_STREQ(line, "HRecuitSimule  palier 23/110  longueur 1234567  1:12");
}

}  // namespace

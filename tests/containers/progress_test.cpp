// The progress reports of long runs, with a clock that moves a second at every reading, so
// that every step is shown.
#include "containers/progress.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "algorithms/algorithms.h"

namespace {

std::vector<pvc::ProgressReport> g_reports;
uint64_t g_clock = 0;

// The last report of the run named and its figure, checking that its steps never go back.
pvc::ProgressReport LastOf(const char* name) {
  pvc::ProgressReport last = {name, "", 0, 0, nullptr, pvc::kNoFigure, 0};
  for (const pvc::ProgressReport& r : g_reports)
    if (strcmp(r.name, name) == 0) {
      EXPECT_GE(r.done, last.done);
      last = r;
    }
  return last;
}

TEST(Progress, StepsNeverGoBackAndTheFiguresAreTheTourLengths) {
  EuclidianGraphe g(40);
  g.Generate(1000, 1, 7, nullptr);
  g_reports.clear();
  pvc::SetProgressClock([] { return g_clock += 1000; });
  pvc::ShowProgress([](const pvc::ProgressReport& r) { g_reports.push_back(r); }, 0, 0);
  std::unique_ptr<tArretes> annealed(PVC_HRecuitSimule(&g, pvc::OptionsWord(0, 0, 0x12)));
  const pvc::ProgressReport a = LastOf("HRecuitSimule");
  EXPECT_EQ(a.done, 10u);  // low nibble 2: ten stages, the whole schedule
  EXPECT_EQ(a.total, 10u);
  EXPECT_EQ(a.figure, g.Eval(annealed.get()));
  EXPECT_EQ(LastOf("HPlusProcheVoisin").done, 39u);
  EXPECT_LT(g_reports.front().seconds, g_reports.back().seconds);
  g_reports.clear();
  std::unique_ptr<tArretes> improved(PVC_H2Opt(&g, 0));
  EXPECT_EQ(LastOf("H2Opt").figure, g.Eval(improved.get()));  // the gains of the passes added up
  EXPECT_TRUE(pvc::HideProgress());
  pvc::SetProgressClock(nullptr);

  char line[64];
  pvc::FormatProgress({"HRecuitSimule", "palier", 23, 110, "longueur", 1234567, 72}, line, sizeof line);
  EXPECT_STREQ(line, "HRecuitSimule  palier 23/110  longueur 1234567  1:12");
  pvc::FormatProgress({"H2Opt", "passe", 7, 0, "longueur", pvc::kNoFigure, 5}, line, 12);
  EXPECT_STREQ(line, "H2Opt  pass");
}

}  // namespace

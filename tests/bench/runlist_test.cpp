// The run list and its split into parts: every run in one part, parts of about the same
// cost, the sweep's definition.
#include "runlist.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace bench {
namespace {

Settings Sweep(std::vector<std::string> sizes, std::vector<int> rows, unsigned reps) {
  Settings s;
  s.sizes = std::move(sizes), s.rows = std::move(rows), s.reps = reps;
  return s;
}

TEST(RunList, SizesThenKindsThenSeedsEachWithItsRows) {
  Settings s = Sweep({"10", "1", "x", "30"}, {2, 0}, 2);  // sizes below 2 give nothing
  s.kinds = {Kind::kClustered, Kind::kUniform};
  const RunList list = BuildRunList(s);
  ASSERT_EQ(list.instances.size(), 8u);
  const InstanceSpec& i2 = list.instances[2];
  EXPECT_TRUE(i2.n == 10 && i2.kind == Kind::kUniform && i2.seed == 1);
  EXPECT_EQ(list.instances[4].n, 30u);
  ASSERT_EQ(list.runs.size(), 16u);
  EXPECT_TRUE(list.runs[9].instance == 4 && list.runs[9].row == 0);
  EXPECT_EQ(SweepDefinition(s, list).substr(0, 35), "--n 10,30 --kind clustered,uniform ");
  // With --bound each instance's bound runs first, so that the rows after it show their
  // excess.
  s.bound = true;
  const RunList bound = BuildRunList(s);
  ASSERT_EQ(bound.runs.size(), 24u);
  EXPECT_TRUE(bound.runs[12].instance == 4 && bound.runs[12].row == kBoundRow && bound.runs[13].row == 2);
  EXPECT_GT(RunCost(s, kBoundRow, 1000), 0u);
}

TEST(RunList, PartsCostAboutTheSame) {
  // Sizes 1000 to 100 000, rows 0, 1, 2, 4, five seeds, in 8 parts.
  const Settings s = Sweep({"1000", "3000", "10000", "30000", "100000"}, {0, 1, 2, 4}, 5);
  const RunList list = BuildRunList(s);
  const std::vector<unsigned> part = SplitRuns(s, list, 8);
  std::vector<unsigned long long> load(8, 0);
  unsigned long long total = 0, largest = 0;
  std::vector<int> large(8, 0);  // insertion and 2-opt at n = 100 000, the costliest ten
  for (size_t i = 0; i < part.size(); ++i) {
    const unsigned n = list.instances[list.runs[i].instance].n;
    const unsigned long long c = RunCost(s, list.runs[i].row, n);
    load.at(part[i]) += c, total += c, largest = std::max(largest, c);
    large[part[i]] += n == 100000 && (list.runs[i].row == 1 || list.runs[i].row == 2);
  }
  // Within 4/3 of the best split, which costs at least the mean and the largest run.
  EXPECT_LE(*std::max_element(load.begin(), load.end()) * 3, 4 * std::max(total / 8, largest));
  EXPECT_LE(*std::max_element(large.begin(), large.end()), 2);
  EXPECT_EQ(SplitRuns(s, list, 8), part);
  // One part holds everything; with more parts than runs, one run a part at most.
  EXPECT_EQ(SplitRuns(s, list, 1), std::vector<unsigned>(part.size(), 0));
  const Settings few = Sweep({"12", "50"}, {0, 5}, 1);  // the branch and bound skipped at 50
  EXPECT_EQ(RunCost(few, 5, 50), 0u);
  std::vector<unsigned> parts = SplitRuns(few, BuildRunList(few), 10);
  std::sort(parts.begin(), parts.end());
  EXPECT_EQ(std::unique(parts.begin(), parts.end()) - parts.begin(), 4);
}

TEST(RunList, DefinitionNamesWhatDecidesTheRows) {
  const Settings a = Sweep({"100", "200"}, {0, 1}, 3);
  const std::string def = SweepDefinition(a, BuildRunList(a));
  EXPECT_EQ(def, "--n 100,200 --kind uniform --reps 3 --range 1000 --seed 1 --algo 0,1 --option 0 "
                 "--max-exact 12 --max-net 500");
  Settings b = a;
  b.repeat = 5, b.csv = true, b.tours = "/tmp";  // timing and output only
  EXPECT_EQ(SweepDefinition(b, BuildRunList(b)), def);
  b.bound = true;  // parts of sweeps with and without the bound differ
  EXPECT_EQ(SweepDefinition(b, BuildRunList(b)), def + " --bound");
  b.kinds = {Kind::kClustered};
  EXPECT_NE(SweepDefinition(b, BuildRunList(b)), def + " --bound");
}

}  // namespace
}  // namespace bench

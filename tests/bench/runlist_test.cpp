// The run list and its split into parts: every run in exactly one part, parts of about
// the same cost, the sweep's definition, and the run numbers' ranges.
#include "runlist.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace bench {
namespace {

Settings Sweep(std::vector<std::string> sizes, std::vector<int> rows, unsigned reps) {
  Settings s;
  s.sizes = std::move(sizes);
  s.rows = std::move(rows);
  s.reps = reps;
  return s;
}

TEST(RunList, InstancesInOrderWithTheirRows) {
  Settings s = Sweep({"10", "1", "x", "30"}, {2, 0}, 2);  // sizes below 2 give nothing
  s.kinds = {Kind::kClustered, Kind::kUniform};
  const RunList list = BuildRunList(s);
  ASSERT_EQ(list.instances.size(), 8u);  // size, then kind, then seed
  EXPECT_EQ(list.instances[1].n, 10u);
  EXPECT_EQ(list.instances[1].kind, Kind::kClustered);
  EXPECT_EQ(list.instances[1].seed, 2u);
  EXPECT_EQ(list.instances[2].kind, Kind::kUniform);
  EXPECT_EQ(list.instances[2].seed, 1u);
  EXPECT_EQ(list.instances[4].n, 30u);
  ASSERT_EQ(list.runs.size(), 16u);
  EXPECT_EQ(list.runs[0].row, 2);
  EXPECT_EQ(list.runs[1].row, 0);
  EXPECT_EQ(list.runs[9].instance, 4u);
  EXPECT_EQ(SweepDefinition(s, list).substr(0, 35), "--n 10,30 --kind clustered,uniform ");
}

// The cost of the most loaded part, and every part's runs.
unsigned long long MaxLoad(const Settings& s, const RunList& list, const std::vector<unsigned>& part, unsigned parts,
                           unsigned long long* total, unsigned long long* largest) {
  std::vector<unsigned long long> load(parts, 0);
  *total = *largest = 0;
  for (size_t i = 0; i < part.size(); ++i) {
    EXPECT_LT(part[i], parts);
    const unsigned long long c = RunCost(s, list.runs[i].row, list.instances[list.runs[i].instance].n);
    load[part[i]] += c, *total += c, *largest = std::max(*largest, c);
  }
  return *std::max_element(load.begin(), load.end());
}

TEST(RunList, PartsCostAboutTheSame) {
  // The sweep of the README: sizes 1000 to 100 000, rows 0, 1, 2, 4, five seeds, 8 parts.
  const Settings s = Sweep({"1000", "3000", "10000", "30000", "100000"}, {0, 1, 2, 4}, 5);
  const RunList list = BuildRunList(s);
  const std::vector<unsigned> part = SplitRuns(s, list, 8);
  unsigned long long total, largest;
  const unsigned long long max = MaxLoad(s, list, part, 8, &total, &largest);
  // Within 4/3 of the best any split can do, which is at least the mean and the largest run.
  EXPECT_LE(max * 3, 4 * std::max(total / 8, largest));
  // The ten costliest runs (insertion and 2-opt at n = 100 000) spread: two a part at most.
  std::vector<int> large(8, 0);
  for (size_t i = 0; i < part.size(); ++i)
    if (list.instances[list.runs[i].instance].n == 100000 && (list.runs[i].row == 1 || list.runs[i].row == 2))
      ++large[part[i]];
  EXPECT_LE(*std::max_element(large.begin(), large.end()), 2);
  // The same list splits the same way every time.
  EXPECT_EQ(SplitRuns(s, list, 8), part);
}

TEST(RunList, OnePartOrMorePartsThanRuns) {
  const Settings s = Sweep({"12", "50"}, {0, 5}, 1);  // the branch and bound skipped at 50
  const RunList list = BuildRunList(s);
  EXPECT_EQ(RunCost(s, 5, 50), 0u);
  EXPECT_EQ(SplitRuns(s, list, 1), std::vector<unsigned>(4, 0));
  const std::vector<unsigned> part = SplitRuns(s, list, 10);
  std::vector<unsigned> sorted = part;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::unique(sorted.begin(), sorted.end()) - sorted.begin(), 4);  // one run a part, six empty
}

TEST(RunList, CostsSaturateInsteadOfWrapping) {
  Settings s;
  s.max_exact = 4000000000u;
  s.max_net = 4000000000u;
  for (int row = 0; row < 7; ++row) {
    EXPECT_LE(RunCost(s, row, 4000000000u), 1ull << 60) << row;
    EXPECT_GE(RunCost(s, row, 4000000000u), RunCost(s, row, 100000)) << row;
  }
  EXPECT_GT(RunCost(s, 5, 14), RunCost(s, 5, 12));
}

TEST(RunList, DefinitionNamesWhatDecidesTheRows) {
  Settings a = Sweep({"100", "200"}, {0, 1}, 3);
  const std::string def = SweepDefinition(a, BuildRunList(a));
  EXPECT_EQ(def, "--n 100,200 --kind uniform --reps 3 --range 1000 --seed 1 --algo 0,1 --option 0 "
                 "--max-exact 12 --max-net 500");
  Settings b = a;
  b.repeat = 5, b.csv = true, b.tours = "/tmp";  // timing and output only
  EXPECT_EQ(SweepDefinition(b, BuildRunList(b)), def);
  for (int change = 0; change < 5; ++change) {
    Settings c = a;
    if (change == 0) c.kinds = {Kind::kUniform, Kind::kClustered};
    if (change == 1) c.seed = 2;
    if (change == 2) c.rows = {1, 0};
    if (change == 3) c.range = 999;
    if (change == 4) c.sizes = {"100", "201"};
    EXPECT_NE(SweepDefinition(c, BuildRunList(c)), def) << change;
  }
}

TEST(RunList, RangesRoundTripAndRefuseBadLists) {
  const std::vector<unsigned> runs = {0, 1, 2, 3, 7, 9, 10, 41};
  EXPECT_EQ(FormatRanges(runs), "0-3,7,9-10,41");
  std::vector<unsigned> back;
  ASSERT_TRUE(ParseRanges("0-3,7,9-10,41", 42, &back));
  EXPECT_EQ(back, runs);
  EXPECT_TRUE(ParseRanges("", 5, &back));
  EXPECT_TRUE(back.empty());
  for (const char* bad : {"0-3,7,9-10,42", "3,2", "1-3,3", "2-1", "1,", ",1", "1-", "a", "1 2", "-1", "0-4294967296"})
    EXPECT_FALSE(ParseRanges(bad, 42, &back)) << bad;
}

}  // namespace
}  // namespace bench

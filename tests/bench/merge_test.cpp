// Merging the files of a sweep's parts: the rows of the whole run in its order, and every
// kind of incomplete or mixed set of files refused with the file named, nothing merged.
#include "merge.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/files.h"

namespace bench {
namespace {

const std::string kSweep = "# sweep --n 10,20 --kind uniform --algo 0,2\n";
const std::string kHeader = "instance,n,algorithm,length,optimum,gap,ms,peak_mib\n";

std::string Row(int run) {
  return std::to_string(run) + ",random10-s1,10,H2Opt," + std::to_string(100 + run) + ",,,0.1,3.0\n";
}

std::string Shard(int k, int n) { return std::to_string(k) + "/" + std::to_string(n); }

// The text of part k/n, holding `held` of 4 runs (listed in `runs`), with the rows of
// `rows` and an end line counting `end` rows.
std::string Part(int k, int n, int held, const char* runs, std::vector<int> rows, int end,
                 const std::string& sweep = kSweep) {
  std::string text = "# pvc-bench shard " + Shard(k, n) + " holds " +
                     std::to_string(held) + " of 4 runs: " + runs + "\n" + sweep + "run," + kHeader;
  for (int r : rows) text += Row(r);
  return text + "# end of shard " + Shard(k, n) + ": " + std::to_string(end) + " rows\n";
}

class Merge : public ::testing::Test {
 protected:
  void SetUp() override {
    // A good sweep in three parts: runs 0 and 3, none, 1 and 2.
    good_ = {Write("p0", Part(0, 3, 2, "0,3", {3, 0}, 2)), Write("p1", Part(1, 3, 0, "", {}, 0)),
             Write("p2", Part(2, 3, 2, "1-2", {1, 2}, 2))};
  }

  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ + "/" + name) << text;
    return dir_ + "/" + name;
  }
  // Merges the first two good parts and the given third: a refusal starting with message.
  void Refused(const std::string& third, const std::string& message) {
    std::string merged = "untouched", error;
    EXPECT_FALSE(MergeParts({good_[0], good_[1], third}, &merged, &error));
    EXPECT_EQ(error.substr(0, message.size()), message) << error;
    EXPECT_EQ(merged, "untouched");
  }

  const TempDir tmp_;
  const std::string dir_ = tmp_.Path();
  std::vector<std::string> good_;
};

TEST_F(Merge, RowsOfTheWholeRunInItsOrder) {
  std::string merged, error, single;
  ASSERT_TRUE(MergeParts({good_[2], good_[1], good_[0]}, &merged, &error)) << error;  // any order
  EXPECT_EQ(merged, kHeader + Row(0).substr(2) + Row(1).substr(2) + Row(2).substr(2) + Row(3).substr(2));
  ASSERT_TRUE(MergeParts({Write("one", Part(0, 1, 4, "0-3", {0, 1, 2, 3}, 4))}, &single, &error)) << error;
  EXPECT_EQ(single, merged);
}

// Every kind of incomplete or mixed set of parts: missing, repeated or stray parts and rows,
// files cut short, files of other sweeps or no part at all.
TEST_F(Merge, IncompleteOrMixedSetsAreRefused) {
  Refused(good_[1], good_[1] + ": part " + Shard(1, 3) + " again, as " + good_[1]);
  Refused(Write("twice", Part(2, 3, 2, "1-2", {1, 2, 1}, 3)), dir_ + "/twice: run 1 twice");
  Refused(Write("stray", Part(2, 3, 2, "1-2", {1, 3}, 2)), dir_ + "/stray:5: run 3 is not one this part holds");
  // Parts of two different splits of the list: a run held twice, or by none.
  Refused(Write("overlap", Part(2, 3, 2, "2-3", {2}, 1)), dir_ + "/overlap: holds run 3 as " + good_[0] + " does");
  Refused(Write("short", Part(2, 3, 1, "2", {2}, 1)), good_[0] + ": run 1 held by no part");
  std::string merged, error;
  EXPECT_FALSE(MergeParts({good_[0], good_[2]}, &merged, &error));
  EXPECT_EQ(error, "part " + Shard(1, 3) + " missing (the sweep of " + good_[0] + ")");
  // Cut at any byte up to the end line's line end, a part is refused.
  const std::string whole = Part(2, 3, 2, "1-2", {1, 2}, 2);
  for (size_t cut = 0; cut < whole.size(); ++cut) Refused(Write("cut", whole.substr(0, cut)), dir_ + "/cut");
  Refused(Write("cut", whole.substr(0, whole.rfind('#'))), dir_ + "/cut: cut short: no end line");
  Refused(Write("count", Part(2, 3, 2, "1-2", {1}, 2)),
          dir_ + "/count:5: the end line counts 2 rows, the file holds 1");
  Refused(Write("other", Part(2, 3, 2, "1-2", {1, 2}, 2, "# sweep --n 10,20 --kind clustered --algo 0,2\n")),
          dir_ + "/other: part of another sweep than " + good_[0]);
  Refused(Write("four", Part(3, 4, 0, "", {}, 0)), dir_ + "/four: part of another sweep than");
  for (const std::string& text : {kHeader + Row(1).substr(2), std::string(), Part(3, 3, 0, "", {}, 0),
                                  Part(2, 3, 1, "1-2", {}, 0), Part(2, 3, 1, "1,", {}, 0)})
    Refused(Write("no", text), dir_ + "/no:1: not the output of a part of a sweep");
  Refused(dir_ + "/none", dir_ + "/none: cannot read");
  std::string bad = Part(2, 3, 2, "1-2", {1, 2}, 2);
  Refused(Write("bad", bad.replace(bad.find("\n1,") + 1, 1, "x")), dir_ + "/bad:4: not a row of the sweep");
  Refused(Write("after", Part(2, 3, 2, "1-2", {1, 2}, 2) + Row(2)), dir_ + "/after:7: lines after the end line");
}

// With --bound each instance's runs start with its bound: a row whose part did not hold
// that run gets the bound and its excess at the merge, as one process prints them.
TEST_F(Merge, RowsGetTheirInstanceBound) {
  const std::string sweep = "# sweep --n 10 --kind uniform --algo 0 --bound\n";
  const std::string header = "instance,n,algorithm,length,optimum,gap,bound,over_bound,ms,peak_mib\n";
  auto part = [&](int k, const char* runs, const std::string& rows, int count) {
    return "# pvc-bench shard " + std::to_string(k) + "/2 holds 2 of 4 runs: " + runs +
           "\n" + sweep + "run," + header + rows + "# end of shard " + std::to_string(k) + "/2: " +
           std::to_string(count) + " rows\n";
  };
  const std::string a = part(0, "0,3", "0,\"x,1\",10,HeldKarp,300,,,300,,5.0,3.0\n3,y,10,HPlusProcheVoisin,400,,,,,0.1,3.0\n", 2);
  const std::string b = part(1, "1-2", "1,\"x,1\",10,HPlusProcheVoisin,333,,,,,0.1,3.0\n", 1);
  std::string merged, error;
  ASSERT_TRUE(MergeParts({Write("a", a), Write("b", b)}, &merged, &error)) << error;
  // Run 2 (y's bound) gave no row: y's rows stay without a bound.
  EXPECT_EQ(merged, header + "\"x,1\",10,HeldKarp,300,,,300,,5.0,3.0\n\"x,1\",10,HPlusProcheVoisin,333,,,300,11.0000,0.1,3.0\n" +
                        "y,10,HPlusProcheVoisin,400,,,,,0.1,3.0\n");
}

}  // namespace
}  // namespace bench

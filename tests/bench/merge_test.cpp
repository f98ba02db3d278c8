// Merging the files of a sweep's parts: the rows of the whole run in its order, and every
// kind of incomplete or mixed set of files refused with the file named, nothing merged.
#include "merge.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace bench {
namespace {

const char* kSweep = "# sweep --n 10,20 --kind uniform --reps 1 --range 1000 --seed 1 --algo 0,2\n";
const char* kHeader = "run,instance,n,algorithm,length,optimum,gap,ms,peak_mib\n";

class Merge : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/pvc-merge-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { EXPECT_EQ(system(("rm -r " + dir_).c_str()), 0); }

  // Writes a file under dir and returns its path.
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = dir_ + "/" + name;
    FILE* f = fopen(path.c_str(), "w");
    fputs(text.c_str(), f);
    fclose(f);
    return path;
  }
  // The head of part k/n holding the given runs out of 4.
  static std::string Head(int k, int n, int held, const char* runs, const char* sweep = kSweep) {
    return "# pvc-bench shard " + std::to_string(k) + "/" + std::to_string(n) + " holds " + std::to_string(held) +
           " of 4 runs: " + runs + "\n" + sweep + kHeader;
  }
  static std::string Row(int run) {
    return std::to_string(run) + ",random" + (run < 2 ? "10" : "20") + "-s1,x," + (run % 2 ? "H2Opt" : "HPlus") +
           "," + std::to_string(100 + run) + ",,,0.1,3.0\n";
  }
  static std::string End(int k, int n, int rows) {
    return "# end of shard " + std::to_string(k) + "/" + std::to_string(n) + ": " + std::to_string(rows) + " rows\n";
  }
  // The three parts of a good sweep: runs 0 and 3, none, 1 and 2.
  std::vector<std::string> Good() {
    return {Write("p0", Head(0, 3, 2, "0,3") + Row(3) + Row(0) + End(0, 3, 2)),
            Write("p1", Head(1, 3, 0, "") + End(1, 3, 0)),
            Write("p2", Head(2, 3, 2, "1-2") + Row(1) + Row(2) + End(2, 3, 2))};
  }
  // Merges and expects a refusal whose message starts with the given text.
  void Refused(const std::vector<std::string>& files, const std::string& message) {
    std::string merged = "untouched", error;
    EXPECT_FALSE(MergeParts(files, &merged, &error));
    EXPECT_EQ(error.substr(0, message.size()), message) << error;
    EXPECT_EQ(merged, "untouched");
  }

  std::string dir_;
};

TEST_F(Merge, RowsOfTheWholeRunInItsOrder) {
  std::vector<std::string> files = Good();
  std::swap(files[0], files[2]);  // any order of the files, a part without rows
  std::string merged, error;
  ASSERT_TRUE(MergeParts(files, &merged, &error)) << error;
  EXPECT_EQ(merged, std::string(kHeader + 4) + Row(0).substr(2) + Row(1).substr(2) + Row(2).substr(2) +
                        Row(3).substr(2));
  // One part: the whole list.
  const std::string one = Write("one", Head(0, 1, 4, "0-3") + Row(0) + Row(1) + Row(2) + Row(3) + End(0, 1, 4));
  std::string single;
  ASSERT_TRUE(MergeParts({one}, &single, &error)) << error;
  EXPECT_EQ(single, merged);
  // Runs a part skipped (a size limit, a file that could not be read) leave no row.
  const std::string some = Write("some", Head(0, 1, 4, "0-3") + Row(0) + Row(3) + End(0, 1, 2));
  ASSERT_TRUE(MergeParts({some}, &single, &error)) << error;
  EXPECT_EQ(single, std::string(kHeader + 4) + Row(0).substr(2) + Row(3).substr(2));
}

TEST_F(Merge, MissingOrRepeatedPartsAndRows) {
  const std::vector<std::string> good = Good();
  Refused({good[0], good[2]}, "part 1/3 missing (the sweep of " + good[0]);
  Refused({good[0], good[1], good[2], good[1]}, good[1] + ": part 1/3 again, as " + good[1]);
  Refused({good[0], good[1], Write("twice", Head(2, 3, 2, "1-2") + Row(1) + Row(2) + Row(1) + End(2, 3, 3))},
          dir_ + "/twice: run 1 twice");
  Refused({good[0], good[1], Write("stray", Head(2, 3, 2, "1-2") + Row(1) + Row(3) + End(2, 3, 2))},
          dir_ + "/stray:5: run 3 is not one this part holds");
  // Parts of two different splits of the list: a run held twice, or by none.
  Refused({good[0], good[1], Write("overlap", Head(2, 3, 2, "2-3") + Row(2) + End(2, 3, 1))},
          dir_ + "/overlap: holds run 3 as " + good[0] + " does");
  Refused({good[0], good[1], Write("short", Head(2, 3, 1, "2") + Row(2) + End(2, 3, 1))},
          good[0] + ": run 1 held by no part");
}

TEST_F(Merge, FilesCutShort) {
  const std::vector<std::string> good = Good();
  const std::string whole = Head(2, 3, 2, "1-2") + Row(1) + Row(2) + End(2, 3, 2);
  // Cut at any byte, up to the end line's line end, a part is refused.
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    std::string merged, error;
    EXPECT_FALSE(MergeParts({good[0], good[1], Write("cut", whole.substr(0, cut))}, &merged, &error)) << cut;
    EXPECT_EQ(error.substr(0, dir_.size() + 4), dir_ + "/cut") << error;
  }
  Refused({good[0], good[1], Write("cut", Head(2, 3, 2, "1-2") + Row(1))}, dir_ + "/cut: cut short: no end line");
  Refused({good[0], good[1], Write("count", Head(2, 3, 2, "1-2") + Row(1) + End(2, 3, 2))},
          dir_ + "/count:5: the end line counts 2 rows, the file holds 1");
  Refused({good[0], good[1], Write("after", whole + Row(2))}, dir_ + "/after:7: lines after the end line");
}

TEST_F(Merge, FilesOfOtherSweepsOrNoPartAtAll) {
  const std::vector<std::string> good = Good();
  const char* other = "# sweep --n 10,20 --kind clustered --reps 1 --range 1000 --seed 1 --algo 0,2\n";
  Refused({good[0], good[1], Write("other", Head(2, 3, 2, "1-2", other) + Row(1) + Row(2) + End(2, 3, 2))},
          dir_ + "/other: part of another sweep than " + good[0]);
  Refused({good[0], Write("four", Head(1, 4, 2, "1-2") + Row(1) + Row(2) + End(1, 4, 2))},
          dir_ + "/four: part of another sweep than " + good[0]);
  Refused({good[0], Write("plain", std::string(kHeader + 4) + Row(1).substr(2))},
          dir_ + "/plain:1: not the output of a part of a sweep");
  Refused({good[0], Write("empty", "")}, dir_ + "/empty:1: not the output of a part of a sweep");
  Refused({good[0], Write("k", Head(3, 3, 2, "1-2") + End(3, 3, 0))}, dir_ + "/k:1: not the output");
  Refused({good[0], dir_ + "/none"}, dir_ + "/none: cannot read");
  Refused({good[0], good[1], Write("bad", Head(2, 3, 2, "1-2") + "x,1\n" + End(2, 3, 1))},
          dir_ + "/bad:4: not a row of the sweep");
}

}  // namespace
}  // namespace bench

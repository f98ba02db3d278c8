// The command line's refusals: every one a usage error (status 2), before any run.
#include "options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bench {
namespace {

// The answer to a command line: -1 to run, 2 a usage error. *s gets the settings.
int Parse(std::vector<std::string> words, Settings* s = nullptr) {
  Settings own;
  words.insert(words.begin(), "pvc-bench");
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(&w[0]);
  return ParseArguments(static_cast<int>(argv.size()), argv.data(), s ? s : &own);
}

TEST(Options, BadShardsAndNumbersAreUsageErrors) {
  for (const char* shard : {"2/2", "0/0", "1", "a/3", "1/b", "-1/3", "1/3x", "/3", "1/", "1/9999999999"})
    EXPECT_EQ(Parse({"--shard", shard}), 2) << shard;
  Settings s;
  ASSERT_EQ(Parse({"--shard", "2/3"}, &s), -1);
  EXPECT_TRUE(s.shard == 2 && s.shards == 3);
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {"--seed", "abc"}, {"--reps", "-1"}, {"--repeat", "2x"}, {"--range", "2147483648"}, {"--max-net", ""},
           {"--option", "99999999999"}})
    EXPECT_EQ(Parse(bad), 2) << bad[0] << " " << bad[1];
  ASSERT_EQ(Parse({"--range", "2147483647", "--seed", "0x10"}, &s), -1);
  EXPECT_TRUE(s.range == 2147483647u && s.seed == 16u);
}

}  // namespace
}  // namespace bench

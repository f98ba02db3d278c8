// At a terminal: Latin-1 shown as UTF-8 under a UTF-8 locale, and the progress line; on pipes neither.
#include <gtest/gtest.h>

#include <string>

#include "support/process.h"

namespace {

std::string Session(const std::string& input, const char* terminal_locale) {
  PvcProcess p(false, terminal_locale);
  p.Type(input);
  p.CloseInput();
  EXPECT_EQ(p.Wait(), 0);
  return p.Output();
}

TEST(Terminal, AccentsAreUtf8OnlyAtAUtf8Terminal) {
  const std::string in = "help\nrandom 8 100 1\noutput 1\nsolve 2\nquit\n", latin1 = Session(in, nullptr);
  ASSERT_NE(latin1.find("H2Opt: algorithme de voisinage 2-Opt, d\xE9marrage"), std::string::npos);
  std::string utf8;
  for (unsigned char c : latin1)
    utf8 += c < 0x80 ? std::string(1, static_cast<char>(c)) : std::string{char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
  EXPECT_EQ(Session(in, "C.UTF-8"), utf8);
  EXPECT_EQ(Session(in, "C"), latin1);
}

TEST(Terminal, ProgressLineIsErasedWhenTheRunEndsOrIsInterruptedAndNeverOnAPipe) {
  PvcProcess p(false, "C.UTF-8");
  p.Type("random 2000 1000 1\nsolve 2\nsolve 3\n");
  ASSERT_TRUE(p.InterruptAfter("\rHRecuitSimule  palier "));
  p.Type("show\nquit\n");
  EXPECT_EQ(p.Wait(), 0);
  const std::string& out = p.Output();
  EXPECT_NE(out.find("\rH2Opt  passe "), std::string::npos);
  // Every line drawn is drawn over or erased before anything else is printed.
  for (size_t at = out.find('\r'); at != std::string::npos; at = out.find('\r', at + 1)) {
    const size_t end = out.find("\033[K", at);
    ASSERT_NE(end, std::string::npos);
    EXPECT_TRUE(end == at + 1 || out[end + 3] == '\r') << out.substr(at, 200);
  }
  EXPECT_NE(out.find("Temp\n 0               H2Opt"), std::string::npos);  // the 2-opt's result is kept

  EXPECT_EQ(Session("random 2000 1000 1\nsolve 2\nquit\n", nullptr).find('\r'), std::string::npos);
}

}  // namespace

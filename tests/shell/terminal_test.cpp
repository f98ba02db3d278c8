// At a terminal: Latin-1 texts shown as UTF-8 under a UTF-8 locale, and the progress line
// of long runs, erased when the run ends or is interrupted; on pipes, neither.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>

#include "support/process.h"

namespace {

std::string Session(const std::string& input, const PvcProcess::Terminal* terminal) {
  PvcProcess p(terminal);
  p.Type(input);
  p.CloseInput();
  EXPECT_EQ(p.Wait(), 0);
  return p.Output();
}

TEST(Terminal, AccentsAreUtf8OnlyAtAUtf8Terminal) {
  const std::string in = "help\nrandom 8 100 1\noutput 1\nsolve 2\nquit\n";
  const PvcProcess::Terminal utf8 = {"C.UTF-8", false}, c = {"C", false};
  const std::string latin1 = Session(in, nullptr);
  ASSERT_NE(latin1.find("H2Opt: algorithme de voisinage 2-Opt, d\xE9marrage"), std::string::npos);
  std::string expected;
  for (unsigned char ch : latin1)
    expected += ch < 0x80 ? std::string(1, static_cast<char>(ch)) : std::string{char(0xC0 | ch >> 6), char(0x80 | (ch & 0x3F))};
  EXPECT_EQ(Session(in, &utf8), expected);
  EXPECT_EQ(Session(in, &c), latin1);
}

// What is left of the output without the progress line's drawings ("\r" text "\033[K"),
// counting in *overprinted the bytes printed while a line was drawn and not erased.
std::string WithoutProgress(const std::string& out, int* overprinted) {
  std::string rest;
  bool drawn = false;
  for (size_t i = 0; i < out.size();) {
    const size_t end = out[i] == '\r' ? out.find("\033[K", i) : std::string::npos;
    if (end != std::string::npos) {
      drawn = end > i + 1;
      i = end + 3;
    } else {
      *overprinted += drawn;
      rest += out[i++];
    }
  }
  return rest;
}

TEST(Terminal, ProgressLineOnATerminalIsErasedWhenTheRunEndsOrIsInterrupted) {
  const PvcProcess::Terminal utf8 = {"C.UTF-8", false}, error_on_pipe = {"C.UTF-8", true};
  PvcProcess p(&utf8);
  p.Type("random 6000 1000 1\nsolve 2\nsolve 3\n");
  ASSERT_TRUE(p.WaitFor("\rHRecuitSimule  palier 0/35  longueur "));
  p.Signal(SIGINT);
  ASSERT_TRUE(p.WaitFor("\nexecution interrompue\n"));
  p.Type("show\nquit\n");
  EXPECT_EQ(p.Wait(), 0);
  int overprinted = 0;
  const std::string rest = WithoutProgress(p.Output(), &overprinted);
  EXPECT_EQ(overprinted, 0);
  EXPECT_NE(p.Output().find("\rH2Opt  passe "), std::string::npos);
  EXPECT_NE(rest.find("\nexecution de HRecuitSimule(0)\n\nexecution interrompue\n"), std::string::npos);
  EXPECT_NE(rest.find("H2Opt"), rest.rfind("Temp\n") + 5);  // the 2-opt's result is kept

  PvcProcess q(&error_on_pipe);  // standard error on a pipe: not a trace of it
  q.Type("random 6000 1000 1\nsolve 2\nquit\n");
  q.CloseInput();
  EXPECT_EQ(q.Wait(), 0);
  EXPECT_EQ(q.Errors(), "");
  EXPECT_NE(q.Output().find("execution de H2Opt(0)\n\n>"), std::string::npos);
}

}  // namespace

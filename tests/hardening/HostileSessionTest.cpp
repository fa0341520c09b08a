// Sessions the fuzzers found that left the engine deaf or running on, kept
// as they were found, with the plainer case each stands for.
#include <gtest/gtest.h>

#include <string>

#include "support/EngineProcess.h"

namespace {
constexpr int Long = 60000;

// "analyze" at the console: analysis has no clock, and the console was not
// read while the engine thought, so nothing could stop it again.
TEST(HostileSessionTest, ConsoleAnalysisListens) {
  EngineProcess engine;
  engine.Send("hello");
  engine.Send("analyze");
  engine.ReadUntil("never printed", 1000);
  engine.Send("exit");
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(10000), 0);
}

// Found by fuzzing: a console session ("xBoard" is not "xboard") that
// analyses and then asks for self-play, which analyses again and again; it
// must still read its input, and end at the end of it.
TEST(HostileSessionTest, ConsoleSelfPlayInAnalysisEndsWithItsInput) {
  const std::string input("xBoard\nnew\nse\0\0\0\0\0 1\ne1c1\ngo\nanalyze\ne8g8move\nsfd 2\nDepth 2\n"
                          "nameflag?\0g\nselfplay\nqu\1\0\0\16it\n",
                          89);
  ProcessResult r = RunEngine({}, input, Long);
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 0);
}
// Found by fuzzing (as above, with "Depth 1"): self-play in analysis with
// a depth limit of one ply ran searches too short to read their input, one
// after the other, and never listened again.
TEST(HostileSessionTest, SelfPlayInShortAnalysisListens) {
  EngineProcess engine;
  engine.Send("xboard");
  engine.Send("sd 1");
  engine.Send("analyze");
  engine.Send("selfplay");
  engine.ReadUntil("never printed", 1000);
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(10000), 0);
}
}  // namespace

// Clock figures as large (or as odd) as a GUI, a person or a command line
// can write them. Each is held to 0 .. MaxClockMs, where the time control's
// 32-bit arithmetic (a budget doubled twice, increments added) cannot
// overflow; the sanitizer build reports any overflow these sessions reach.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/ChessBoard.h"
#include "engine/CommandLine.h"
#include "engine/Status.h"
#include "support/EngineProcess.h"
#include "support/EngineSetup.h"
#include "search/TimeControl.h"

namespace {
constexpr int Long = 60000;

TEST(ClockInputTest, SecondsPerMoveFromTheCommandLineAreHeld) {
  EnsureEngineInitialised();
  const Status saved = MainStatus;
  const struct {
    const char* seconds;
    i32 st, timeLeft;
  } cases[] = {
      {"5", 4500, 300000},
      // Found by fuzzing: 60000 x 99999 overflowed.
      {"99999", 89999100, MaxClockMs},
      {"2147483647", MaxClockMs, MaxClockMs},
      {"-7", MaxClockMs, MaxClockMs},  // refused: the clock keeps its figures
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"vorn", "-st", c.seconds};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    CommandLine line;
    line.Read((int)args.size(), argv.data());
    EXPECT_EQ(Clock.ST, c.st) << c.seconds;
    EXPECT_EQ(Clock.TimeLeft, c.timeLeft) << c.seconds;
  }
  MainStatus = saved;
}

// Found by fuzzing ("level" with a base of 99999 minutes overflowed), with
// the other clock commands at their extremes. The engine is told to move
// now ("?"), which ends the search without a move, and then to quit.
TEST(ClockInputTest, XboardSessionWithHugeClocks) {
  EngineProcess engine;
  engine.Send("xboard");
  engine.Send("new");
  engine.Send("level 40 99999 0");
  engine.Send("st 99999");
  engine.Send("level 1 999999999:99 1e300");
  engine.Send("time 2147483647");
  engine.Send("otim -2147483648");
  engine.Send("level 4 nan inf");
  engine.Send("e2e4");
  engine.ReadUntil("never printed", 500);
  engine.Send("?");
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(Long), 0);
}

TEST(ClockInputTest, UciSessionWithHugeClocks) {
  EngineProcess engine;
  engine.Send("uci");
  bool found;
  engine.ReadUntil("uciok", Long, &found);
  engine.Send("go movetime 2000000000");
  engine.ReadUntil("never printed", 500);
  // "stop" leaves a timed search alone; "quit" ends the program anyway.
  engine.Send("stop");
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(Long), 0);

  EngineProcess analysis;
  analysis.Send("uci");
  analysis.ReadUntil("uciok", Long, &found);
  // A fixed time that analysis mode turns from seconds into milliseconds.
  analysis.Send("go movetime 5000000 depth 1");
  analysis.ReadUntil("bestmove", Long, &found);
  EXPECT_TRUE(found);
  analysis.Send("setoption name UCI_AnalyseMode value true");
  analysis.Send("setoption name UCI_AnalyseMode value false");
  analysis.Send("go wtime 99999999999 winc 99999999999999 movestogo 1 depth 2");
  analysis.ReadUntil("bestmove", Long, &found);
  EXPECT_TRUE(found);
  analysis.Send("quit");
  EXPECT_EQ(analysis.Wait(Long), 0);
}
}  // namespace

// The front end's side of a search: which modes read commands while the
// engine thinks, what a command means to the search, and the thinking
// lines each protocol gets.
#include <gtest/gtest.h>

#include <string>

#include "board/BoardMasks.h"
#include "engine/Status.h"
#include "engine/ThinkingOutput.h"
#include "engine/UCIProtocol.h"
#include "search/InputPoll.h"
#include "search/SearchLimits.h"
#include "search/SearchRoutines.h"
#include "search/TimeControl.h"
#include "support/EngineSetup.h"
#include "support/PipedStdin.h"

namespace {
class ThinkingOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = MainStatus;
    savedLimits = Limits;
    savedClock = Clock;
    savedState = UCI.UCIState;
  }
  void TearDown() override {
    MainStatus = saved;
    Limits = savedLimits;
    Clock = savedClock;
    UCI.UCIState = savedState;
    Search.InitValues();
  }
  void Mode(u8 xboard, u8 uci, u8 analyze, u8 fixedDepth) {
    MainStatus.xboard = xboard;
    MainStatus.UCIMode = uci;
    MainStatus.Post = 0;
    Limits.Analyze = analyze;
    Limits.FD = fixedDepth;
  }

  Status saved;
  SearchLimits savedLimits;
  TimeControl savedClock;
  u8 savedState;
};

TEST_F(ThinkingOutputTest, PollReadsCommandsOnlyWhereAGuiOrAnAnalysisWaits) {
  const struct {
    const char* what;
    u8 xboard, uci, analyze, fixedDepth;
    u8 uciState;
    const char* input;
    PollResult expected;
    bool consumed;
    const char* printed;  // a part of what the poll prints
  } cases[] = {
      {"console game: input waits for the next move", 0, 0, 0, 0, 0, "post\n", PollResult::GoOn, false, ""},
      {"console analysis listens", 0, 0, 1, 0, 0, "post\n", PollResult::GoOn, true, ""},
      {"xboard listens", 1, 0, 0, 0, 0, "post\n", PollResult::GoOn, true, ""},
      {"xboard at a fixed depth does not", 1, 0, 0, 5, 0, "post\n", PollResult::GoOn, false, ""},
      {"UCI at a fixed depth still answers", 0, 1, 0, 5, UCIProtocol::SEARCHING, "isready\n", PollResult::GoOn, true,
       "readyok\n"},
      {"a command that ends the search", 1, 0, 1, 0, 0, "exit\n", PollResult::Stop, true,
       " Search Aborted due to receiveing following string: exit\n"},
      {"UCI stop", 0, 1, 0, 0, UCIProtocol::SEARCHING, "stop\n", PollResult::Stop, true, "Search Aborted"},
      {"UCI ponderhit", 0, 1, 0, 0, UCIProtocol::PONDERING, "ponderhit\n", PollResult::PonderHit, true, ""},
  };
  for (const auto& c : cases) {
    PipedStdin in;
    in.Write(c.input);
    Mode(c.xboard, c.uci, c.analyze, c.fixedDepth);
    UCI.UCIState = c.uciState;
    testing::internal::CaptureStdout();
    const PollResult r = Thinking.Poll();
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(r, c.expected) << c.what;
    EXPECT_EQ(InputWaiting() == 0, c.consumed) << c.what;
    EXPECT_NE(printed.find(c.printed), std::string::npos) << c.what << ": " << printed;
    Search.InitValues();
  }
}

TEST_F(ThinkingOutputTest, RootLinesInEachProtocolsForm) {
  Search.NodeCount = 1200;
  Search.QuiesceNodeCount = 34;
  Search.PVLength = 0;
  Search.IterationDepth = 8;
  Clock.ElapsedSeconds = 2;
  const struct {
    const char* what;
    u8 xboard, uci, post, analyze;
    bool newBest;
    const char* expected;
  } cases[] = {
      {"xboard posting", 1, 0, 1, 0, true, "8 -12 2 1234 e2e4 \n"},
      {"xboard not posting", 1, 0, 0, 0, true, ""},
      {"console", 0, 0, 1, 0, true, ""},
      {"UCI", 0, 1, 0, 0, true, "info depth 8 score cp -12 nodes 1234 pv e2e4 \n"},
      {"UCI analysis gives the time", 0, 1, 0, 1, false, "info depth 8 score cp -12 time 2000 nodes 1234 pv e2e4 \n"},
  };
  for (const auto& c : cases) {
    Mode(c.xboard, c.uci, c.analyze, 0);
    MainStatus.Post = c.post;
    testing::internal::CaptureStdout();
    Thinking.RootResult(8, -123, Squares("e2"), Squares("e4"), NoPromotion, c.newBest);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.expected) << c.what;
  }
}
}  // namespace

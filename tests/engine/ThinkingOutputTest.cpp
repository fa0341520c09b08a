// The front end's side of a search: which modes read commands while the
// engine thinks, what a command means to the search, and the thinking
// lines each protocol gets.
#include <gtest/gtest.h>

#include <cstring>

#include <regex>
#include <string>

#include "board/BitOps.h"
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
      {"UCI stop", 0, 1, 0, 0, UCIProtocol::SEARCHING, "stop\n", PollResult::Stop, true, ""},
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
  };
  for (const auto& c : cases) {
    Mode(c.xboard, c.uci, c.analyze, 0);
    MainStatus.Post = c.post;
    testing::internal::CaptureStdout();
    Thinking.RootResult(8, -123, Squares("e2"), Squares("e4"), NoPromotion, c.newBest);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.expected) << c.what;
  }
}
// Protocol 2: "depth score time nodes pv" with mates as 100000 + N moves
// and promotion letters, for new best moves only (an iteration cut short
// would show the interrupted move's score).
TEST_F(ThinkingOutputTest, ProtocolTwoRootLinesForNewBestMovesOnly) {
  Search.NodeCount = 1200;
  Search.QuiesceNodeCount = 34;
  Search.PVLength = 0;
  Search.IterationDepth = 9;
  const struct {
    int score;
    const char* from;
    const char* to;
    char promote;
    bool newBest;
    const char* head;  // before the time
    const char* tail;  // after it
  } cases[] = {
      {-123, "e2", "e4", NoPromotion, true, "9 -12 ", " 1234 e2e4\n"},
      {109997, "e7", "e8", 'Q', true, "9 100002 ", " 1234 e7e8q\n"},
      {-109998, "e2", "e4", NoPromotion, true, "9 -100001 ", " 1234 e2e4\n"},
      {0, "e2", "e4", NoPromotion, false, "", ""},
  };
  for (const auto& c : cases) {
    Mode(1, 0, 0, 0);
    MainStatus.Post = 1;
    MainStatus.XboardVersion = 2;
    testing::internal::CaptureStdout();
    Thinking.RootResult(9, c.score, Squares(c.from), Squares(c.to), c.promote, c.newBest);
    const std::string printed = testing::internal::GetCapturedStdout();
    MainStatus.XboardVersion = 0;
    if (!c.newBest) {
      EXPECT_EQ(printed, "") << c.score;
      continue;
    }
    EXPECT_EQ(printed.compare(0, strlen(c.head), c.head), 0) << printed;
    ASSERT_GE(printed.size(), strlen(c.tail));
    EXPECT_EQ(printed.substr(printed.size() - strlen(c.tail)), c.tail) << printed;
  }
}

// The table's line as a search may leave it, a move left from another
// branch at its end (no White man stands on d5): every protocol's line
// ends before it.
TEST_F(ThinkingOutputTest, LinesEndBeforeAMoveThatCannotBePlayed) {
  Search.RootPosition = LoadFen("8/8/8/8/8/1k6/8/1K5Q w - - 0 1");
  const char* const moves[] = {"h1f3", "b3b4", "f3e4", "b4c5", "d5d6"};
  for (int j = 0; j < 5; j++) {
    const u64 from = Squares(std::string(moves[j], 2).c_str()), to = Squares(moves[j] + 2);
    Search.PrincipalVariation[0][j] = PVEntry{(u16)(SquareOf(from) * 64 + SquareOf(to)), (i8)NoPromotion};
  }
  Search.PVLength = 5;
  Search.IterationDepth = 9;
  const struct {
    const char* what;
    u8 xboard, version, uci;
    const char* tail;
  } cases[] = {
      {"xboard protocol 1", 1, 0, 0, " h1f3 b3b4 f3e4 b4c5 \n"},
      {"xboard protocol 2", 1, 2, 0, " h1f3 b3b4 f3e4 b4c5\n"},
      {"UCI", 0, 0, 1, " pv h1f3 b3b4 f3e4 b4c5\n"},
  };
  for (const auto& c : cases) {
    Mode(c.xboard, c.uci, 0, 0);
    MainStatus.Post = 1;
    MainStatus.XboardVersion = c.version;
    Thinking.LastUCIResult.Valid = false;
    testing::internal::CaptureStdout();
    Thinking.RootResult(9, 1123, Squares("h1"), Squares("f3"), NoPromotion, true);
    const std::string printed = testing::internal::GetCapturedStdout();
    MainStatus.XboardVersion = 0;
    const std::string tail = c.tail;
    ASSERT_GE(printed.size(), tail.size()) << c.what;
    EXPECT_EQ(printed.substr(printed.size() - tail.size()), tail) << c.what << ": " << printed;
  }
}

// A mate score is the mate score less the plies from the root to the mate:
// a mate given at ply 2N - 1 is "mate N", one suffered at ply 2N "mate -N".
TEST(UCIScoreTextTest, MatesInMovesOthersInCentipawns) {
  const struct {
    int score;
    const char* text;
  } cases[] = {
      {109999, "mate 1"}, {109997, "mate 2"}, {109995, "mate 3"}, {109801, "mate 100"},
      {-110000, "mate 0"}, {-109998, "mate -1"}, {-109996, "mate -2"}, {-109994, "mate -3"},
      {109800, "cp 10980"}, {-109800, "cp -10980"}, {-123, "cp -12"}, {0, "cp 0"}, {7, "cp 0"},
  };
  for (const auto& c : cases) {
    char text[32];
    UCIScoreText(text, c.score);
    EXPECT_STREQ(text, c.text) << c.score;
  }
}

// UCI root lines: the clock's time and the speed, every move spelled as
// "bestmove" (a promotion with its letter); a line that is no new best (an
// iteration cut short) repeats the last completed result, and a stop in the
// poll prints no line of another protocol.
TEST_F(ThinkingOutputTest, UCIRootLinesRepeatTheLastCompletedResult) {
  Mode(0, 1, 0, 0);
  Search.NodeCount = 1200;
  Search.QuiesceNodeCount = 34;
  Search.ClearPrincipalVariation();
  // Both root moves below may be followed by the table's line.
  Search.RootPosition = LoadFen("8/1P2P1k1/8/8/8/8/3P4/K7 w - - 0 1");
  Search.PVLength = 3;
  Search.PrincipalVariation[0][1] = PVEntry{(u16)(54 * 64 + 45), (i8)NoPromotion};  // g7f6
  Search.PrincipalVariation[0][2] = PVEntry{(u16)(49 * 64 + 57), (i8)'q'};         // b7b8q
  Clock.StartTime = ClockMs();
  Thinking.LastUCIResult.Valid = false;
  const std::regex line(
      "info depth (\\d+) seldepth \\d+ score (cp -?\\d+|mate -?\\d+) time (\\d+) nodes 1234 nps (\\d+) hashfull \\d+ pv "
      "([a-h1-8qrbn ]+)\n");
  const struct {
    int depth, score;
    const char* from;
    const char* to;
    char promote;
    bool newBest;
    const char* expected;  // depth, score and line; "" for no line
  } cases[] = {
      {8, -123, "e2", "e4", NoPromotion, false, ""},  // nothing completed yet
      {8, -123, "e7", "e8", 'Q', true, "8|cp -12|e7e8q g7f6 b7b8q"},
      {9, 0, "d2", "d4", NoPromotion, false, "8|cp -12|e7e8q g7f6 b7b8q"},
      {9, 109997, "d2", "d4", NoPromotion, true, "9|mate 2|d2d4 g7f6 b7b8q"},
  };
  for (const auto& c : cases) {
    // A new best move heads the table's line, as the root search has it.
    const u64 from = Squares(c.from), to = Squares(c.to);
    if (c.newBest) Search.PrincipalVariation[0][0] = PVEntry{(u16)(SquareOf(from) * 64 + SquareOf(to)), (i8)c.promote};
    testing::internal::CaptureStdout();
    Thinking.RootResult(c.depth, c.score, from, to, c.promote, c.newBest);
    const std::string printed = testing::internal::GetCapturedStdout();
    if (!c.expected[0]) {
      EXPECT_EQ(printed, "") << c.depth << " " << c.score;
      continue;
    }
    std::smatch m;
    ASSERT_TRUE(std::regex_match(printed, m, line)) << printed;
    EXPECT_EQ(m[1].str() + "|" + m[2].str() + "|" + m[5].str(), c.expected);
    const long long ms = std::stoll(m[3].str()), nps = std::stoll(m[4].str());
    EXPECT_EQ(nps, ms > 0 ? 1234 * 1000 / ms : 0) << printed;
  }

  PipedStdin in;
  in.Write("stop\n");
  UCI.UCIState = UCIProtocol::SEARCHING;
  testing::internal::CaptureStdout();
  EXPECT_EQ(Thinking.Poll(), PollResult::Stop);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  Thinking.LastUCIResult.Valid = false;
  Search.ClearPrincipalVariation();
  Search.PVLength = 0;
}
}  // namespace

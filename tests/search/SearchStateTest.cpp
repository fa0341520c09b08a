// History halving, piece values of the search, and the time budget: the
// clock figures turned into a time per move and a hard limit.
#include <gtest/gtest.h>

#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "search/SearchRoutines.h"
#include "search/SearchLimits.h"
#include "search/TimeControl.h"
#include "support/EngineSetup.h"

namespace {
TEST(SearchStateTest, HistoryHalvesOnlyAboveTheLimitAndOnlyThatSide) {
  Search.ClearHistory();
  Search.History[0][100] = 64;
  Search.History[1][7] = 50;
  Search.AddHistory(0, 7, 256);  // 65536: not above the limit
  EXPECT_EQ(Search.History[0][7], 65536);
  EXPECT_EQ(Search.HistoryMax, 65536);
  EXPECT_EQ(Search.History[0][100], 64);

  Search.AddHistory(0, 7, 1);  // 65537: the whole White table halves
  EXPECT_EQ(Search.History[0][7], 32768);
  EXPECT_EQ(Search.History[0][100], 32);
  EXPECT_EQ(Search.HistoryMax, 32768);
  EXPECT_EQ(Search.History[1][7], 50);

  Search.AddHistory(1, 9, 3);
  EXPECT_EQ(Search.History[1][9], 9);
  EXPECT_EQ(Search.HistoryMax, 32768);
  Search.ClearHistory();
  EXPECT_EQ(Search.History[0][7], 0);
  EXPECT_EQ(Search.HistoryMax, 0);
}

TEST(SearchStateTest, ValueCapturedPieceIsTheOpponentsMan) {
  ChessBoard& b = LoadFen("4k3/8/8/3q4/4P3/8/8/3RK3 w - - 0 1");
  EXPECT_EQ(Search.ValueCapturedPiece(0, Squares("d5"), &b), 9750);
  EXPECT_EQ(Search.ValueCapturedPiece(0, Squares("e4"), &b), 0);  // own man
  EXPECT_EQ(Search.ValueCapturedPiece(1, Squares("e4"), &b), 800);
  EXPECT_EQ(Search.ValueCapturedPiece(1, Squares("d1"), &b), 5000);
  EXPECT_EQ(Search.ValueCapturedPiece(1, Squares("e1"), &b), 1000000);
  EXPECT_EQ(Search.ValueCapturedPiece(0, Squares("a1"), &b), 0);
}

class TimeBudgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedClock = Clock;
    savedLimits = Limits;
    // The plans as they are without a move overhead, unless a case sets one.
    Clock.MoveOverhead = 0;
  }
  void TearDown() override {
    Clock = savedClock;
    Limits = savedLimits;
  }
  TimeControl savedClock;
  SearchLimits savedLimits;
};

TEST_F(TimeBudgetTest, TimePerMoveAndHardLimit) {
  struct Case {
    const char* what;
    int movesPerSession, timeLeft, timeInc, gamePly, st;
    u8 uci;
    int overhead;
    int timePerMove, hardLimit;
  };
  const Case cases[] = {
      {"40 moves in 5 minutes", 40, 300000, 0, 31, 0, 0, 0, 7125, 14250},
      {"2 moves to go: halved", 2, 300000, 0, 31, 0, 0, 0, 71250, 142500},
      {"sudden death", 0, 300000, 0, 31, 0, 0, 0, 10000, 20000},
      {"fixed time per move, ending a little early", 0, 300000, 0, 31, 5000, 0, 0, 4985, 4985},
      {"a fixed 50 ms", 0, 300000, 0, 31, 50, 0, 0, 45, 45},
      {"just out of the book: half as much again", 0, 300000, 0, 5, 0, 0, 0, 15000, 30000},
      {"the book rule is not used under UCI", 0, 300000, 0, 5, 0, 1, 0, 10000, 20000},
      {"ply a multiple of 10 with time to spare", 0, 300000, 0, 40, 0, 0, 0, 17500, 35000},
      {"ply a multiple of 9", 0, 300000, 0, 45, 0, 0, 0, 17500, 35000},
      {"ply a multiple of 10, a minute left", 0, 60000, 0, 40, 0, 0, 0, 2000, 4000},
      {"late in the game: a fortieth", 0, 300000, 0, 131, 0, 0, 0, 7500, 15000},
      {"increment with more than 20 s left", 0, 60000, 2, 31, 0, 0, 0, 2000 + 2000, 8000},
      {"increment with 10 to 20 s left", 0, 15000, 2, 31, 0, 0, 0, 500 + 1000, 3000},
      {"little time: half the emergency figure", 0, 2000, 2, 31, 0, 0, 0, 300, 600},
      {"little time, no increment", 0, 3000, 0, 31, 0, 0, 0, 100, 200},
      // The clock bounds both: all it holds but 50 ms or 3 per cent.
      {"a big increment and almost no clock", 0, 100, 2, 31, 0, 0, 0, 50, 50},
      {"the last move before the control", 1, 9050, 0, 31, 0, 0, 0, 4298, 8596},
      {"the last move, a second left", 1, 1000, 0, 31, 0, 0, 0, 475, 950},
      {"no clock at all", 0, 0, 0, 31, 0, 0, 0, 0, 0},
      // The move overhead comes off the clock's figures before the plan.
      {"sudden death, 100 ms overhead", 0, 300000, 0, 31, 0, 0, 100, 9996, 19992},
      {"40 moves, 100 ms overhead", 40, 300000, 0, 31, 0, 0, 100, 7122, 14244},
      {"fixed time per move, 100 ms overhead", 0, 300000, 0, 31, 5000, 0, 100, 4885, 4885},
      {"an overhead as long as the fixed time", 0, 300000, 0, 31, 100, 0, 100, 0, 0},
      {"the last move, a second left, 500 ms overhead", 1, 1000, 0, 31, 0, 0, 500, 237, 450},
      {"an overhead beyond the clock", 0, 3000, 0, 31, 0, 0, 5000, 0, 0},
  };
  for (const Case& c : cases) {
    Clock.MovesPerSession = c.movesPerSession;
    Clock.TimeLeft = c.timeLeft;
    Clock.TimeInc = c.timeInc;
    Clock.GamePly = c.gamePly;
    Clock.ST = c.st;
    Clock.MoveOverhead = c.overhead;
    Clock.BookExitBonus = !c.uci;
    Limits.Analyze = 0;
    Clock.NodesPerSecond = 1200000;
    Clock.BookExitPly = 0;
    Clock.SetTimeBudget(Limits.Analyze);
    EXPECT_EQ(Clock.TimePerMove, c.timePerMove) << c.what;
    EXPECT_EQ(Clock.EmergencyTimeThreshold, c.hardLimit) << c.what;
    EXPECT_EQ(Clock.NpsCalibrated, 0) << c.what;
  }
}

TEST_F(TimeBudgetTest, FailLowExtensionStaysInsideTheClock) {
  Clock.MovesPerSession = 0;
  Clock.TimeInc = 0;
  Clock.GamePly = 31;
  Clock.ST = 0;
  Clock.TimeLeft = 300000;
  Clock.SetTimeBudget(false);
  u8 timeUp = 0;
  Clock.ExtendForFailLow(&timeUp);
  EXPECT_EQ(Clock.TimePerMove, 20000);
  EXPECT_EQ(Clock.EmergencyTimeThreshold, 40000);
  EXPECT_EQ(Clock.TimeExtended, 1);

  // Twice more when the soft stop was already given, which is taken back;
  // never beyond what the clock holds (all but 3 per cent).
  Clock.MovesPerSession = 1;
  Clock.TimeLeft = 3000;
  Clock.SetTimeBudget(false);
  ASSERT_EQ(Clock.TimePerMove, 1425);
  timeUp = 1;
  Clock.ExtendForFailLow(&timeUp);
  EXPECT_EQ(timeUp, 0);
  EXPECT_EQ(Clock.TimePerMove, 2910);
  EXPECT_EQ(Clock.EmergencyTimeThreshold, 2910);
}

TEST_F(TimeBudgetTest, AnalysisPollsEightTimesASecond) {
  Clock.ST = AnalysisTime;
  Clock.NodesPerSecond = 800000;
  Limits.Analyze = 1;
  Clock.SetTimeBudget(Limits.Analyze);
  EXPECT_EQ(Clock.PollCountdown, 100000);
}

TEST_F(TimeBudgetTest, PollsOftenEnoughForSmallBudgets) {
  Limits.Analyze = 0;
  Clock.NodesPerSecond = 1200000;
  struct Case {
    int st;
    i64 interval;
  };
  // A hundredth of a second of nodes, or a tenth of the budget if smaller.
  const Case cases[] = {{50, 5400}, {200, 12000}, {10000, 12000}, {1, 120}};
  for (const Case& c : cases) {
    Clock.ST = c.st;
    Clock.SetTimeBudget(Limits.Analyze);
    EXPECT_EQ(Clock.PollCountdown, c.interval) << "budget " << c.st << " ms";
    EXPECT_EQ(Clock.PollInterval(), c.interval) << "budget " << c.st << " ms";
  }
}
}  // namespace

// History halving, piece values of the search, and the time budget: the
// clock figures turned into a time per move and a node budget.
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
  }
  void TearDown() override {
    Clock = savedClock;
    Limits = savedLimits;
  }
  TimeControl savedClock;
  SearchLimits savedLimits;
};

TEST_F(TimeBudgetTest, TimePerMoveAndNodeBudget) {
  struct Case {
    const char* what;
    int movesPerSession, timeLeft, timeInc, gamePly, st;
    u8 uci;
    int timePerMove;
  };
  const Case cases[] = {
      {"40 moves in 5 minutes", 40, 300000, 0, 31, 0, 0, 7125},
      {"2 moves to go: halved", 2, 300000, 0, 31, 0, 0, 71250},
      {"sudden death", 0, 300000, 0, 31, 0, 0, 10000},
      {"fixed time per move", 0, 300000, 0, 31, 5000, 0, 5000},
      {"just out of the book: half as much again", 0, 300000, 0, 5, 0, 0, 15000},
      {"the book rule is not used under UCI", 0, 300000, 0, 5, 0, 1, 10000},
      {"ply a multiple of 10 with time to spare", 0, 300000, 0, 40, 0, 0, 17500},
      {"ply a multiple of 9", 0, 300000, 0, 45, 0, 0, 17500},
      {"ply a multiple of 10, a minute left", 0, 60000, 0, 40, 0, 0, 2000},
      {"late in the game: a fortieth", 0, 300000, 0, 131, 0, 0, 7500},
      {"increment with more than 20 s left", 0, 60000, 2, 31, 0, 0, 2000 + 2000},
      {"increment with 10 to 20 s left", 0, 15000, 2, 31, 0, 0, 500 + 1000},
      {"little time: half the emergency figure", 0, 2000, 2, 31, 0, 0, 300},
      {"little time, no increment", 0, 3000, 0, 31, 0, 0, 100},
  };
  for (const Case& c : cases) {
    Clock.MovesPerSession = c.movesPerSession;
    Clock.TimeLeft = c.timeLeft;
    Clock.TimeInc = c.timeInc;
    Clock.GamePly = c.gamePly;
    Clock.ST = c.st;
    Clock.BookExitBonus = !c.uci;
    Limits.Analyze = 0;
    Clock.NodesPerSecond = 1200000;
    Clock.BookExitPly = 0;
    Clock.SetTimeBudget(Limits.Analyze);
    EXPECT_EQ(Clock.TimePerMove, c.timePerMove) << c.what;
    EXPECT_EQ(Clock.NodesPerMove, 600LL * c.timePerMove) << c.what;
    EXPECT_EQ(Clock.EmergencyTimeThreshold, 1200LL * c.timePerMove) << c.what;
    EXPECT_EQ(Clock.NpsCalibrated, 0) << c.what;
  }
}

TEST_F(TimeBudgetTest, NodeBudgetsBeyondThirtyOneBits) {
  // An infinite analysis budget: 1209600000 ms at 800000 nodes a second.
  Clock.ST = 1209600000;
  Clock.NodesPerSecond = 800000;
  Limits.Analyze = 1;
  Clock.SetTimeBudget(Limits.Analyze);
  EXPECT_EQ(Clock.NodesPerMove, 400LL * 1209600000);
  EXPECT_EQ(Clock.EmergencyTimeThreshold, 800LL * 1209600000);
  EXPECT_EQ(Clock.PollCountdown, 100000);  // analysis polls eight times a second
}

TEST_F(TimeBudgetTest, PollsOftenEnoughForSmallBudgets) {
  Limits.Analyze = 0;
  Clock.NodesPerSecond = 1200000;
  struct Case {
    int st;
    i64 interval;
  };
  // A hundredth of a second of nodes, or a tenth of the budget if smaller.
  const Case cases[] = {{50, 3000}, {200, 12000}, {10000, 12000}, {1, 60}};
  for (const Case& c : cases) {
    Clock.ST = c.st;
    Clock.SetTimeBudget(Limits.Analyze);
    EXPECT_EQ(Clock.PollCountdown, c.interval) << "budget " << c.st << " ms";
    EXPECT_EQ(Clock.PollInterval(), c.interval) << "budget " << c.st << " ms";
  }
}
}  // namespace

// The time control: a small budget is honoured closely, and a search that
// had a legal move always ends with a move, however its time runs out.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "board/ChessBoard.h"
#include "board/MoveHistory.h"
#include "engine/Status.h"
#include "engine/ThinkingOutput.h"
#include "search/InputPoll.h"
#include "search/SearchRoutines.h"
#include "search/TranspositionTables.h"
#include "search/SearchLimits.h"
#include "search/TimeControl.h"
#include "support/EngineSetup.h"

namespace {
const char* const Middlegame = "rnbqkb1r/p3pppp/1p6/2ppP3/3N4/2P5/PPP1QPPP/R1B1KB1R w KQkq - 0 0";

class TimeControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = MainStatus;
    savedLimits = Limits;
    savedClock = Clock;
    Status& s = MainStatus;
    Limits.OwnBook = 0;
    s.xboard = s.UCIMode = 0;
    Limits.Analyze = Limits.Pondering = s.Post = 0;
    Limits.FD = 0;
    Clock.MovesPerSession = 0;
    Clock.TimeInc = 0;
    Clock.GamePly = 31;
    PositionCache.ClearTranspositionTables();
    Search.ClearHistory();
    MoveList.Init();
  }
  void TearDown() override {
    MainStatus = saved;
    Limits = savedLimits;
    Clock = savedClock;
  }

  // Searches the middlegame position as the game loop does; returns the
  // score and the time taken, and whether the board got a move.
  int Think(i32* elapsed, bool* moved) {
    LoadFen(Middlegame);
    ChessBoard before = MainBoard;
    ChessBoard& b = MainBoard;
    i32 start = ClockMs();
    int v = Search.ProgressiveDeepening(b, 0, &b.BestMoveFrom, &b.BestMoveTo, &b.BestMovePromote);
    *elapsed = ClockMs() - start;
    if (Search.MoveToPlay(v)) b.PlayMove(b.BestMoveFrom, b.BestMoveTo, b.BestMovePromote);
    *moved = MainBoard.AllPieces != before.AllPieces;
    return v;
  }

  // This machine's speed on the position, as the engine's estimate.
  void MeasureSpeed() {
    // Every page of the table mapped first: a search that writes to pages
    // for the first time runs several times slower, so the estimate, and
    // with it the time the next search takes, would depend on what the
    // tests before had searched.
    memset(static_cast<void*>(PositionCache.Table), 0, sizeof(TTBucket) * ((size_t)PositionCache.IndexMask + 1));
    LoadFen(Middlegame);
    Limits.FD = 6;
    i32 start = ClockMs();
    ChessBoard& b = MainBoard;
    Search.ProgressiveDeepening(b, 6, &b.BestMoveFrom, &b.BestMoveTo, &b.BestMovePromote);
    i32 ms = ClockMs() - start;
    Limits.FD = 0;
    Clock.NodesPerSecond = (i32)((Search.NodeCount + Search.QuiesceNodeCount) * 1000 / (ms > 0 ? ms : 1));
    PositionCache.ClearTranspositionTables();
  }

  Status saved;
  SearchLimits savedLimits;
  TimeControl savedClock;
};

TEST_F(TimeControlTest, FiftyMillisecondsPerMoveIsKept) {
  MeasureSpeed();
  Clock.ST = 50;
  i32 elapsed;
  bool moved;
  int v = Think(&elapsed, &moved);
  EXPECT_TRUE(moved);
  EXPECT_LT(v, 109800);
  EXPECT_FALSE(Search.Aborted);
  // Polling only every half second of nodes would overstep by far more.
  EXPECT_LT(elapsed, 100) << "speed estimate " << Clock.NodesPerSecond;
}

TEST_F(TimeControlTest, TinyBudgetStillPlaysAMove) {
  Clock.NodesPerSecond = 1200000;
  Clock.ST = 1;
  i32 elapsed;
  bool moved;
  Think(&elapsed, &moved);
  EXPECT_TRUE(moved);
  EXPECT_FALSE(Search.Aborted);
}

TEST_F(TimeControlTest, TimeUpPlaysTheBestMoveSoFar) {
  // The speed estimate is far too low: the clock, not the node count,
  // ends the search.
  Clock.NodesPerSecond = 40000;
  Clock.ST = 100;
  i32 elapsed;
  bool moved;
  int v = Think(&elapsed, &moved);
  EXPECT_TRUE(moved);
  EXPECT_FALSE(Search.Aborted);
  // Stopped by a poll in mid-iteration, or after an iteration that ended
  // past the time (a loaded machine polls later in wall-clock time).
  EXPECT_TRUE(Search.StopSearch || Clock.FixedTimeSpent());
  EXPECT_GT(v, -109800);
  EXPECT_LT(v, 109800);
  EXPECT_LT(elapsed, 1000);
}

TEST_F(TimeControlTest, SuddenDeathStopsNearItsBudget) {
  MeasureSpeed();
  Clock.TimeLeft = 3000;  // 100 ms a move
  i32 elapsed;
  bool moved;
  Think(&elapsed, &moved);
  EXPECT_TRUE(moved);
  EXPECT_LT(elapsed, 200) << "speed estimate " << Clock.NodesPerSecond;
}

TEST_F(TimeControlTest, AnalysisReportsNoSpeedUnderHalfASecond) {
  Limits.Analyze = 1;
  Clock.ST = 1209600000;
  Clock.NodesPerSecond = 800000;
  LoadFen(Middlegame);
  ChessBoard& b = MainBoard;
  SearchListener* installed = Search.Listener;
  Search.Listener = &Thinking;
  testing::internal::CaptureStdout();
  Search.ProgressiveDeepening(b, 2, &b.BestMoveFrom, &b.BestMoveTo, &b.BestMovePromote);
  fflush(stdout);
  std::string out = testing::internal::GetCapturedStdout();
  Search.Listener = installed;
  EXPECT_NE(out.find("info nps 0\ninfo time 0\n"), std::string::npos) << out;
  EXPECT_EQ(Clock.NodesPerSecond, 800000);  // the estimate is kept
}
}  // namespace

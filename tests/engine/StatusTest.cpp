// Engine settings: what initVars resets for a new game, what it keeps for a
// UCI GUI and for "-kibitz", and the constant board masks.
#include <gtest/gtest.h>

#include "board/BoardMasks.h"
#include "engine/Status.h"
#include "support/EngineSetup.h"
#include "search/TimeControl.h"
#include "search/SearchLimits.h"

namespace {
class StatusTest : public testing::Test {
 protected:
  void SetUp() override {
    EnsureEngineInitialised();
    saved_ = MainStatus;
  }
  void TearDown() override { MainStatus = saved_; }

 private:
  Status saved_;
};

TEST_F(StatusTest, NewGameInConsoleMode) {
  Status& s = MainStatus;
  s.UCIMode = 0;
  Limits.OwnBook = 0;
  Clock.DefaultMovesPerSession = 7;
  Clock.GamePly = 40;
  s.HumanToMove = 0;
  s.GameInProgress = 0;
  Limits.FD = 9;
  Clock.ST = 5;
  s.Post = 1;
  Limits.Trace = 1;
  s.Kibitz = 1;
  s.initVars();
  EXPECT_EQ(Limits.OwnBook, 1);
  EXPECT_EQ(Clock.DefaultMovesPerSession, 50);
  EXPECT_EQ(Clock.GamePly, 1);
  EXPECT_EQ(s.HumanToMove, 1);
  EXPECT_EQ(s.GameInProgress, 1);
  EXPECT_EQ(Limits.FD, 0);
  EXPECT_EQ(Clock.ST, 0);
  EXPECT_EQ(s.Post, 0);
  EXPECT_EQ(Limits.Trace, 0);
  EXPECT_EQ(s.Kibitz, 1);  // set once on the command line, kept for every game
}

TEST_F(StatusTest, UCISettingsSurviveANewGame) {
  Status& s = MainStatus;
  s.UCIMode = 1;
  Limits.FD = 9;
  Clock.ST = 5000;
  Limits.OwnBook = 0;
  Clock.MovesPerSession = 40;
  s.Post = 1;
  s.initVars();
  EXPECT_EQ(s.UCIMode, 1);
  EXPECT_EQ(Limits.FD, 9);
  EXPECT_EQ(Clock.ST, 5000);
  EXPECT_EQ(Limits.OwnBook, 0);
  EXPECT_EQ(Clock.MovesPerSession, 40);
  EXPECT_EQ(s.Post, 0);
}
}  // namespace

// Engine settings: what initVars resets for a new game, what it keeps for a
// UCI GUI and for "-kibitz", and the constant board masks.
#include <gtest/gtest.h>

#include "engine/Status.h"
#include "support/EngineSetup.h"

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
  s.OwnBook = 0;
  s.DefaultMovesPerSession = 7;
  s.GamePly = 40;
  s.HumanToMove = 0;
  s.GameInProgress = 0;
  s.FD = 9;
  s.ST = 5;
  s.Post = 1;
  s.Trace = 1;
  s.Kibitz = 1;
  s.initVars();
  EXPECT_EQ(s.OwnBook, 1);
  EXPECT_EQ(s.DefaultMovesPerSession, 50);
  EXPECT_EQ(s.GamePly, 1);
  EXPECT_EQ(s.HumanToMove, 1);
  EXPECT_EQ(s.GameInProgress, 1);
  EXPECT_EQ(s.FD, 0);
  EXPECT_EQ(s.ST, 0);
  EXPECT_EQ(s.Post, 0);
  EXPECT_EQ(s.Trace, 0);
  EXPECT_EQ(s.Kibitz, 1);  // set once on the command line, kept for every game
}

TEST_F(StatusTest, UCISettingsSurviveANewGame) {
  Status& s = MainStatus;
  s.UCIMode = 1;
  s.FD = 9;
  s.ST = 5000;
  s.OwnBook = 0;
  s.MovesPerSession = 40;
  s.Post = 1;
  s.initVars();
  EXPECT_EQ(s.UCIMode, 1);
  EXPECT_EQ(s.FD, 9);
  EXPECT_EQ(s.ST, 5000);
  EXPECT_EQ(s.OwnBook, 0);
  EXPECT_EQ(s.MovesPerSession, 40);
  EXPECT_EQ(s.Post, 0);
}

TEST_F(StatusTest, BoardMasks) {
  const Status& s = MainStatus;
  EXPECT_EQ(s.FileMask[0], 0x0101010101010101ULL);
  EXPECT_EQ(s.FileMask[7], 0x8080808080808080ULL);
  EXPECT_EQ(s.RankMask[0], 0xFFULL);
  EXPECT_EQ(s.RankMask[7], 0xFF00000000000000ULL);
  EXPECT_EQ(s.FilesGH, s.FileMask[6] | s.FileMask[7]);
  EXPECT_EQ(s.FilesABC, s.FileMask[0] | s.FileMask[1] | s.FileMask[2]);
  EXPECT_EQ(s.LightSquareMask & Squares("a1 b1 h1 a8 h8"), Squares("b1 h1 a8"));
  EXPECT_EQ(s.DarkSquareMask, ~s.LightSquareMask);
  EXPECT_EQ(s.Corners, Squares("a1 h1 a8 h8"));
  EXPECT_EQ(s.WhiteHalf, s.RankMask[0] | s.RankMask[1] | s.RankMask[2] | s.RankMask[3]);
  EXPECT_EQ(s.SquareH8, 1ULL << 63);
  EXPECT_EQ(s.SquareB1, 1ULL << 1);
  EXPECT_EQ(s.SquareA2, 1ULL << 8);
}
}  // namespace

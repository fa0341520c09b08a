// Draws: material (with the cornered-king exception and the wrong rook-pawn
// bishop), the fifty-move counter at game level, and repetition over the
// history stack (same side to move, both codes, the window).
#include <gtest/gtest.h>

#include <memory>

#include "board/BitOps.h"
#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "board/HashCodes.h"
#include "board/MoveHistory.h"
#include "support/EngineSetup.h"

namespace {
TEST(DrawRulesTest, CheckDrawByMaterialAndFiftyMoves) {
  const struct {
    const char* fen;
    int fifty;
    int expected;
    int matingMaterial;
  } cases[] = {
      {"8/8/8/4k3/8/8/8/4K3 w - -", 0, 8, 0x00},
      {"8/8/8/4k3/8/8/8/2N1K1N1 w - -", 0, 8, 0x00},  // two knights cannot force mate
      {"8/8/8/4k3/8/8/8/2N1KN1N w - -", 0, 0, 0x01},  // three can
      {"8/8/8/4k3/8/8/8/2B1K3 w - -", 0, 8, 0x00},
      {"8/8/8/4k3/8/8/8/2BNK3 w - -", 0, 0, 0x01},
      {"8/8/8/4k3/8/8/8/2B1KB2 w - -", 0, 0, 0x01},
      {"8/8/8/4k3/8/8/8/R3K3 w - -", 0, 0, 0x01},
      {"8/8/8/4k3/8/8/8/r3K3 w - -", 0, 0, 0x20},
      {"8/8/8/4k3/8/8/3P4/4K3 w - -", 0, 0, 0x01},
      {"8/8/8/4k3/8/8/8/4K2Q w - -", 0, 0, 0x01},
      // Bishop against knight: a cornered king with the other two files or
      // ranks away can still be mated.
      {"8/8/8/8/8/2n5/3B4/5k1K w - -", 0, 0, 0x00},
      {"8/8/8/8/8/2n5/3B4/4k2K w - -", 0, 8, 0x00},
      {"k7/8/K7/8/8/8/8/8 w - -", 0, 0, 0x00},
      {"k7/8/1K6/8/8/8/8/8 w - -", 0, 0, 0x00},
      {"k7/8/8/K7/8/8/8/8 w - -", 0, 8, 0x00},
      {"7k/8/8/8/8/8/8/7K w - -", 0, 8, 0x00},
      // Fifty moves: material first, then the counter.
      {"8/8/8/4k3/8/8/8/R3K3 w - -", 100, 7, 0x01},
      {"8/8/8/4k3/8/8/8/R3K3 w - -", 99, 0, 0x01},
      {"8/8/8/4k3/8/8/8/4K3 w - -", 100, 8, 0x00},
      // A rook pawn whose promotion square the bishop cannot cover, with the
      // defending king in front of it.
      {"7k/8/8/8/7P/8/8/1KB5 w - -", 0, 0, 0x01},
      {"7k/8/8/8/7P/8/8/1K1B4 w - -", 0, 8, 0x01},
      {"8/6k1/8/8/7P/8/8/1K1B4 w - -", 0, 8, 0x01},
      {"3k4/8/8/8/7P/8/8/1K1B4 w - -", 0, 0, 0x01},
      {"1k6/8/8/8/P7/8/8/1KB5 w - -", 0, 8, 0x01},
      {"1k6/8/8/8/P7/8/8/1K1B4 w - -", 0, 0, 0x01},
      {"7k/8/8/8/7P/8/7P/1K1B4 w - -", 0, 0, 0x01},
      {"7k/6n1/8/8/7P/8/8/1K1B4 w - -", 0, 0, 0x01},
      {"1k1b4/8/8/7p/8/8/8/7K w - -", 0, 8, 0x20},
      {"1k2b3/8/8/7p/8/8/8/7K w - -", 0, 0, 0x20},
      {"1k1b4/8/8/7p/8/8/8/5K2 w - -", 0, 0, 0x20},
      {"1k1b4/8/8/p7/8/8/8/1K6 w - -", 0, 0, 0x20},
      {"1k2b3/8/8/p7/8/8/8/1K6 w - -", 0, 8, 0x20},
  };
  for (const auto& c : cases) {
    ChessBoard& b = LoadFen(c.fen);
    b.FiftyMoveCount = c.fifty;
    EXPECT_EQ(b.CheckDraw(0), c.expected) << c.fen << " fifty " << c.fifty;
    EXPECT_EQ(b.MatingMaterial, c.matingMaterial) << c.fen;
  }
}

// A result may claim a draw only where no sequence of legal moves mates;
// the search's own rule stays wider (two knights, bishop against knight,
// the wrong rook-pawn bishop), so both are checked side by side.
TEST(DrawRulesTest, DeadPositionsAreOnlyThoseNoMoveSequenceCanMate) {
  const struct {
    const char* fen;
    bool dead;
    int checkDraw;
  } cases[] = {
      {"8/8/8/4k3/8/8/8/4K3 w - -", true, 8},               // king against king
      {"8/8/8/4k3/8/8/8/4KN2 w - -", true, 8},              // a knight
      {"8/8/8/4k3/8/2n5/8/4K3 b - -", true, 8},             // Black's knight
      {"8/8/8/4k3/8/8/8/2B1K3 w - -", true, 8},             // a bishop
      {"5b2/8/8/4k3/8/8/8/2B1K3 w - -", true, 8},           // bishops both on dark squares
      {"2b5/8/8/4k3/8/8/8/2B1K3 w - -", false, 8},          // on squares of both colours
      {"8/8/8/4k3/8/4B3/8/2B1K3 w - -", true, 0},           // two dark-square bishops of one side
      {"5b2/8/8/4k3/8/4B3/8/2B1K3 w - -", true, 0},         // and one more of the other side
      {"5b2/8/8/4k3/8/4B3/8/2B1K1b1 w - -", true, 0},       // two dark-square bishops a side
      {"2b5/8/8/4k3/8/8/8/4KB2 w - -", true, 8},            // both on light squares
      {"8/8/8/4k3/8/8/8/2B1KB2 w - -", false, 0},           // a pair on both colours
      {"8/8/8/4k3/8/8/8/1N2K1N1 w - -", false, 8},          // two knights
      {"8/8/8/4k3/8/2n5/8/4KN2 w - -", false, 8},           // knight against knight
      {"8/8/8/4k3/8/2b5/8/4KN2 w - -", false, 8},           // knight against bishop
      {"8/8/8/8/8/2n5/3B4/4k2K w - -", false, 8},           // bishop against knight
      {"8/8/8/4k3/8/2n5/3P4/2B1K3 w - -", false, 0},        // bishop and pawn against knight
      {"8/8/8/3pk3/8/2n5/3P4/2B1K3 w - -", false, 0},       // and a pawn each
      {"7k/8/8/8/7P/8/8/1K1B4 w - -", false, 8},            // the wrong bishop for the rook pawn
      {"8/8/8/4k3/8/8/3P4/4K3 w - -", false, 0},            // a pawn
      {"8/8/8/4k3/8/8/8/R3K3 w - -", false, 0},             // a rook
      {"8/8/8/4k3/8/8/8/3QK3 w - -", false, 0},             // a queen
  };
  for (const auto& c : cases) {
    ChessBoard& b = LoadFen(c.fen);
    EXPECT_EQ(b.IsDeadPosition(), c.dead) << c.fen;
    EXPECT_EQ(b.CheckDraw(0), c.checkDraw) << c.fen << ": the search's rule";
  }
}

TEST(DrawRulesTest, Test50MoveRuleResetsOnPawnMovesAndCaptures) {
  const struct {
    const char* from;
    const char* to;
    int before;
    bool expected;
    int after;
  } cases[] = {
      {"g1", "h3", 10, false, 11},
      {"g1", "h3", 98, false, 99},
      {"g1", "h3", 99, true, 100},
      {"e2", "e4", 99, false, 0},   // White pawn
      {"d7", "d6", 99, false, 0},   // Black pawn
      {"f3", "e5", 99, false, 0},   // onto a man: a capture
      {"e1", "d1", 99, false, 0},   // onto an own man, as after the engine's move
  };
  for (const auto& c : cases) {
    ChessBoard& b = LoadFen("4k3/3p4/8/4p3/8/5N2/4P3/3QK1N1 w - -");
    b.FiftyMoveCount = c.before;
    int from = RightMostBit(Squares(c.from)) - 1, to = RightMostBit(Squares(c.to)) - 1;
    EXPECT_EQ(b.Test50MoveRule(from, to), c.expected) << c.from << c.to << " at " << c.before;
    EXPECT_EQ(b.FiftyMoveCount, c.after) << c.from << c.to << " at " << c.before;
  }
}

struct Codes {
  u64 code1, code2;
};

Codes CodesOf(const ChessBoard& b, char side) {
  Codes c;
  genhashcode(side, 15, &c.code1, &c.code2, &b);
  return c;
}

TEST(DrawRulesTest, RepetitionCountsEarlierPositionsWithTheSameSideToMove) {
  auto history = std::make_unique<MoveHistory>();
  ChessBoard b = LoadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
  const Codes start = CodesOf(b, 0);
  history->InsertMoveHistory(start.code1, start.code2);
  EXPECT_EQ(history->ThreeFoldRepDetection(50, start.code1, start.code2), 0);
  EXPECT_EQ(history->ThreeFoldRepDetection(0, start.code1, start.code2), -1);

  // Knights out and back on both sides: the start position four records on.
  const char* const moves[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
  char side = 0, mask;
  for (const char* m : moves) {
    std::string text = m;
    b.MakeMove(Squares(text.substr(0, 2).c_str()), Squares(text.substr(2, 2).c_str()), NoPromotion, &mask);
    side ^= 1;
    Codes c = CodesOf(b, side);
    history->InsertMoveHistory(c.code1, c.code2);
  }
  EXPECT_EQ(history->ThreeFoldRepDetection(5, start.code1, start.code2), 1);
  EXPECT_EQ(history->ThreeFoldRepDetection(4, start.code1, start.code2), 0);  // the window misses it
  EXPECT_EQ(history->ThreeFoldRepDetection(5, start.code1, start.code2 ^ 1), -1);  // code2 must match too

  // The same codes one record back (the other side to move) do not count.
  history->Init();
  history->InsertMoveHistory(7, 8);
  history->InsertMoveHistory(7, 8);
  EXPECT_EQ(history->ThreeFoldRepDetection(10, 7, 8), 0);
  history->InsertMoveHistory(7, 8);
  EXPECT_EQ(history->ThreeFoldRepDetection(10, 7, 8), 1);
  history->RetractMove();
  EXPECT_EQ(history->NumMoves, 2);
}

TEST(DrawRulesTest, HistoryWarnsNearItsEndAndStaysInBounds) {
  constexpr int warning = MoveHistory::WarningLevel;
  ASSERT_GE(MoveHistory::Capacity, 10000);  // the longest game and the deepest line
  auto history = std::make_unique<MoveHistory>();
  testing::internal::CaptureStdout();
  for (int i = 0; i < warning; i++) history->InsertMoveHistory(i, i);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

  testing::internal::CaptureStdout();
  history->InsertMoveHistory(1, 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "MAJOR ERROR: NumMoves > " + std::to_string(warning) + " in InsertHashCodeMoveHistor \n");

  // Past the end nothing is written outside the records.
  testing::internal::CaptureStdout();
  for (int i = 0; i < 100; i++) history->InsertMoveHistory(1, 1);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(history->NumMoves, warning + 101);
  EXPECT_GE(history->ThreeFoldRepDetection(200, 1, 1), 0);
  for (int i = 0; i < 101; i++) history->RetractMove();
  EXPECT_EQ(history->NumMoves, warning);
}
}  // namespace

// The position's set-up and queries: the start position with its counts,
// the cleared board (an empty square answers "Black"), the
// promotion toggle and the console display.
#include <gtest/gtest.h>

#include <string>

#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "support/EngineSetup.h"

namespace {
TEST(ChessBoardTest, InitRepSetsTheStartPosition) {
  ChessBoard b;
  b.InitRep();
  EXPECT_EQ(b.WhitePawns, 0x000000000000FF00ULL);
  EXPECT_EQ(b.BlackPawns, 0x00FF000000000000ULL);
  EXPECT_EQ(b.WhiteKing, Squares("e1"));
  EXPECT_EQ(b.BlackQueens, Squares("d8"));
  EXPECT_EQ(b.AllPieces, 0xFFFF00000000FFFFULL);
  EXPECT_EQ(b.CastleFlags, 15);
  EXPECT_EQ(b.SideToMove, 0);
  EXPECT_EQ(b.LastFrom, 0u);
  EXPECT_EQ(b.LastTo, 0u);
  EXPECT_EQ(b.MaxDepth, 56);
  b.InitPieceCounts();
  const int expected[5] = {1, 2, 2, 2, 8};  // queens, rooks, bishops, knights, pawns
  for (int i = 0; i < 5; i++) {
    EXPECT_EQ(b.WhiteCounts[i], expected[i]) << i;
    EXPECT_EQ(b.BlackCounts[i], expected[i]) << i;
  }
}

TEST(ChessBoardTest, ClearedBoardAnswersEmptyAndEmptySquaresCountAsBlack) {
  ChessBoard b;
  b.InitRep();
  b.InitPieceCounts();
  b.SideToMove = 1;
  b.FiftyMoveCount = 7;
  b.ClearField();
  for (int sq = 0; sq < 64; sq++) {
    u64 m = 1ULL << sq;
    EXPECT_TRUE(b.IsEmptySquare(m)) << sq;
    EXPECT_EQ(b.PieceColor(m), 1) << sq;
    for (char side = 0; side < 2; side++) {
      EXPECT_FALSE(b.IsPawn(side, m) || b.IsKnight(side, m) || b.IsBishop(side, m) || b.IsRook(side, m) ||
                   b.IsQueen(side, m) || b.IsKing(side, m))
          << sq;
    }
  }
  EXPECT_EQ(b.CastleFlags, 0);
  EXPECT_EQ(b.WhitePieceCount + b.BlackPieceCount, 0);
  for (int i = 0; i < 5; i++) EXPECT_EQ(b.WhiteCounts[i] + b.BlackCounts[i], 0);
  EXPECT_EQ(b.SideToMove, 1);  // left for the caller
  EXPECT_EQ(b.FiftyMoveCount, 7);
}

TEST(ChessBoardTest, QueriesAnswerForTheirSideAndKindOnly) {
  ChessBoard& b = LoadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
  EXPECT_TRUE(b.IsKnight(0, Squares("b1")));
  EXPECT_FALSE(b.IsKnight(1, Squares("b1")));
  EXPECT_FALSE(b.IsBishop(0, Squares("b1")));
  EXPECT_TRUE(b.IsKing(1, Squares("e8")));
  EXPECT_TRUE(b.IsQueen(0, Squares("d1")));
  EXPECT_TRUE(b.IsRook(1, Squares("h8")));
  EXPECT_TRUE(b.IsPawn(1, Squares("a7")));
  EXPECT_EQ(b.PieceColor(Squares("e2")), 0);
  EXPECT_EQ(b.PieceColor(Squares("e7")), 1);
  EXPECT_EQ(b.PieceColor(Squares("e4")), 1);
}

TEST(ChessBoardTest, PromoteTogglesThePawnAndTheChosenKind) {
  const struct {
    char side;
    int kind;
    u64 ChessBoard::*board;
  } cases[] = {
      {0, WKnight, &ChessBoard::WhiteKnights}, {0, WBishop, &ChessBoard::WhiteBishops},
      {0, WRook, &ChessBoard::WhiteRooks},     {0, WQueen, &ChessBoard::WhiteQueens},
      {1, BKnight, &ChessBoard::BlackKnights}, {1, BBishop, &ChessBoard::BlackBishops},
      {1, BRook, &ChessBoard::BlackRooks},     {1, BQueen, &ChessBoard::BlackQueens},
  };
  for (const auto& c : cases) {
    ChessBoard b = LoadFen("4k3/P7/8/8/8/8/p7/4K3 w - -");
    u64 sq = c.side ? Squares("a2") : Squares("a7");
    b.Promote(c.side, sq, c.kind);
    EXPECT_FALSE(b.IsPawn(c.side, sq)) << c.kind;
    EXPECT_EQ(b.*c.board, sq) << c.kind;
  }
  // Any other kind takes the pawn off and puts nothing on.
  ChessBoard b = LoadFen("4k3/P7/8/8/8/8/8/4K3 w - -");
  b.Promote(0, Squares("a7"), WKingKind);
  EXPECT_EQ(b.WhitePawns, 0u);
  EXPECT_EQ(b.WhiteKing, Squares("e1"));
}

// The diagram and nothing else: the evaluation's line after it is the
// caller's to print.
TEST(ChessBoardTest, DisplayShowsRankEightFirst) {
  ChessBoard b{};
  b.InitRep();
  testing::internal::CaptureStdout();
  b.DisplayBoard();
  const std::string out = testing::internal::GetCapturedStdout();
  const std::string board =
      "   A B C D E F G H\n\n"
      "8  r n b q k b n r  8\n"
      "7  p p p p p p p p  7\n"
      "6  - - - - - - - -  6\n"
      "5  - - - - - - - -  5\n"
      "4  - - - - - - - -  4\n"
      "3  - - - - - - - -  3\n"
      "2  P P P P P P P P  2\n"
      "1  R N B Q K B N R  1\n\n"
      "   A B C D E F G H\n";
  EXPECT_EQ(out, board);
}

TEST(ChessBoardTest, DisplayReportsMenOfNoKnownKind) {
  ChessBoard b;
  b.InitRep();
  b.ClearField();
  const struct {
    u64 ChessBoard::*board;
    const char* expected;
  } cases[] = {
      {&ChessBoard::WhitePieces, "Major Error: DisplayPiece unknown White Piece\n "},
      {&ChessBoard::BlackPieces, "Major Error: DisplayPiece unknown Black Piece\n "},
      {&ChessBoard::AllPieces, "Major Error: DisplayPiece has unknown Color\n "},
  };
  for (const auto& c : cases) {
    ChessBoard broken = b;
    broken.AllPieces = Squares("d4");
    broken.*c.board = Squares("d4");
    testing::internal::CaptureStdout();
    broken.DisplayPiece(Squares("d4"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.expected);
  }
}
}  // namespace

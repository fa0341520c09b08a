// Moves at game level: a typed or sent move matched against the legal moves
// (promotion letters, castling, pins, en passant, garbage), the move text
// sent back, castling rights as game moves clear them, and the game's
// repetition record.
#include <gtest/gtest.h>

#include <string>

#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "board/MoveHistory.h"
#include "engine/GameMoves.h"
#include "engine/Status.h"
#include "support/EngineSetup.h"

namespace {
const char* const Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
const char* const Castles = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq -";
const char* const Promotion = "8/4P1k1/8/8/8/8/8/4K3 w - -";

std::string Word(const GameMove& m) {
  char text[8];
  MoveWord(text, m);
  return text;
}

TEST(GameMovesTest, MoveWordsAreMatchedAgainstTheLegalMoves) {
  const struct {
    const char* fen;
    const char* word;
    const char* played;  // the move as sent back; "" when refused
  } cases[] = {
      {Start, "e2e4", "e2e4"},
      {Start, "g1f3", "g1f3"},
      {Start, "e2e5", ""},  // no such pawn step
      {Start, "e7e5", ""},  // the other side's man
      {Start, "e1g1", ""},  // castling through men
      {Start, "e3e4", ""},  // no man there
      {Start, "e2", ""},
      {Start, "e2e", ""},
      {Start, "i2i4", ""},
      {Start, "e9e4", ""},
      {Castles, "e1g1", "e1g1"},
      {Castles, "e1c1", "e1c1"},
      {"r3k2r/8/8/8/8/8/5r2/R3K2R w KQkq -", "e1g1", ""},  // f1 attacked
      {"4k3/4r3/8/8/8/8/4N3/4K3 w - -", "e2c3", ""},       // pinned knight
      {"4k3/8/8/8/8/8/3r4/4K3 w - -", "e1d2", "e1d2"},
      {"4k3/8/8/8/8/8/3r4/4K3 w - -", "e1f2", ""},  // into the rook's rank
      {Promotion, "e7e8", "e7e8q"},                 // a queen when none is named
      {Promotion, "e7e8q", "e7e8q"},
      {Promotion, "e7e8n", "e7e8n"},
      {Promotion, "e7e8R", "e7e8r"},
      {Promotion, "e7e8b", "e7e8b"},
      {"4k3/8/8/8/8/8/2p5/4K3 b - -", "c2c1n", "c2c1n"},
      {Start, "e2e4 e7e5", "e2e4"},  // a word ends at a blank
  };
  for (const auto& c : cases) {
    ChessBoard& board = LoadFen(c.fen);
    GameMove move;
    const bool legal = FindLegalMove(c.word, board, &move);
    EXPECT_EQ(legal, c.played[0] != 0) << c.fen << " " << c.word;
    if (legal) {
      EXPECT_EQ(Word(move), c.played) << c.fen << " " << c.word;
      EXPECT_TRUE(IsLegalMove(board, move)) << c.fen << " " << c.word;
    }
  }
}

// Words that are no move, each refused with the reason the UCI front end
// prints; nothing a GUI sends is read as a move it did not mean.
TEST(GameMovesTest, WordsThatNameNoMoveAreRefusedWithTheirReason) {
  const char* const notation = "not a move in coordinate notation";
  const char* const piece = "a pawn promotes to q, r, b or n";
  const struct {
    const char* fen;
    const char* word;
    const char* problem;
  } cases[] = {
      {Promotion, "e7e8k", piece},
      {Promotion, "e7e8p", piece},
      {Promotion, "e7e8x", piece},
      {Promotion, "e7e8qq", notation},
      {Start, "e2e4q", "a promotion letter after a move that does not promote"},
      {Start, "e2e4n", "a promotion letter after a move that does not promote"},
      {Start, "zz9", notation},
      {Start, "E2E4", notation},
      {Start, "e2E4", notation},
      {Start, "e2e", notation},
      {Start, "e2e4e5", notation},
      {Start, "", notation},
      {Start, "e2e5", "not a legal move of that man"},
      {Start, "e7e5", "the side to move has no man on its square"},
  };
  for (const auto& c : cases) {
    ChessBoard& board = LoadFen(c.fen);
    GameMove move;
    const char* problem = MoveWordProblem(c.word, board, &move);
    ASSERT_NE(problem, nullptr) << c.fen << " " << c.word;
    EXPECT_STREQ(problem, c.problem) << c.fen << " " << c.word;
    EXPECT_FALSE(FindLegalMove(c.word, board, &move)) << c.word;
  }
}

TEST(GameMovesTest, APromotionMustNameAPieceToBeLegalAndNoMoveIsLegalWhenMated) {
  ChessBoard& board = LoadFen(Promotion);
  GameMove move{Squares("e7"), Squares("e8"), NoPromotion};
  EXPECT_FALSE(IsLegalMove(board, move));
  move.Promote = 'Q';
  EXPECT_TRUE(IsLegalMove(board, move));
  move.From = 0;  // nothing a search left behind may pass for a move
  EXPECT_FALSE(IsLegalMove(board, move));

  EXPECT_TRUE(FirstLegalMove(LoadFen(Start), &move));
  EXPECT_FALSE(FirstLegalMove(LoadFen("3R2k1/5ppp/8/8/8/8/5PPP/6K1 b - -"), &move));  // mated
  EXPECT_FALSE(FirstLegalMove(LoadFen("7k/8/6Q1/8/8/8/8/7K b - -"), &move));          // stalemated
}

TEST(GameMovesTest, EnPassantRightAfterTheDoubleStep) {
  ChessBoard& board = LoadFen("4k3/3p4/8/4P3/8/8/8/4K3 b - -");
  GameMove move;
  ASSERT_TRUE(FindLegalMove("d7d5", board, &move));
  PlayGameMove(move);
  MainBoard.SideToMove = 0;
  ASSERT_TRUE(FindLegalMove("e5d6", MainBoard, &move));
  PlayGameMove(move);
  EXPECT_EQ(MainBoard.BlackPawns, 0u);
  EXPECT_EQ(MainBoard.WhitePawns, Squares("d6"));
}

TEST(GameMovesTest, CastlingRightsEndWithTheManThatLeavesHomeOrARookTakenThere) {
  const struct {
    const char* fen;
    const char* word;
    int rights;
  } cases[] = {
      {Castles, "e1g1", 12}, {Castles, "a1b1", 13}, {Castles, "h1g1", 14}, {Castles, "h1h8", 10},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", "e8c8", 3},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", "a8a1", 5},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", "h8g8", 11},
  };
  for (const auto& c : cases) {
    LoadFen(c.fen);
    GameMove move;
    ASSERT_TRUE(FindLegalMove(c.word, MainBoard, &move)) << c.word;
    PlayGameMove(move);
    EXPECT_EQ(MainBoard.CastleFlags, c.rights) << c.fen << " " << c.word;
  }
  // Castling moves the rook as well.
  LoadFen(Castles);
  GameMove castle;
  ASSERT_TRUE(FindLegalMove("e1g1", MainBoard, &castle));
  PlayGameMove(castle);
  EXPECT_EQ(MainBoard.WhiteRooks, Squares("a1 f1"));
}

TEST(GameMovesTest, ARookArrivingWhereTheCastlingRookWasTakenCannotCastle) {
  // The bishop takes the rook on h1, the other rook takes back onto h1: the
  // king never moved, but that rook may not castle.
  LoadFen("4k3/8/8/8/8/7R/6b1/4K2R b K -");
  for (const char* word : {"g2h1", "h3h1", "e8d8"}) {
    GameMove move;
    ASSERT_TRUE(FindLegalMove(word, MainBoard, &move)) << word;
    PlayGameMove(move);
    MainBoard.SideToMove ^= 1;
  }
  EXPECT_EQ(MainBoard.CastleFlags, 0);
  GameMove castle;
  EXPECT_FALSE(FindLegalMove("e1g1", MainBoard, &castle));
}

TEST(GameMovesTest, RecountingFollowsTheMen) {
  ChessBoard& board = LoadFen(Start);
  board.ClearField();
  board.WhiteQueens = Squares("d1 d4");
  board.BlackKnights = Squares("b8");
  board.BlackPawns = Squares("a7 b7 c7");
  board.RecountPieces();
  EXPECT_EQ(board.WhiteCounts[0], 2);
  EXPECT_EQ(board.BlackCounts[3], 1);
  EXPECT_EQ(board.BlackCounts[4], 3);
  EXPECT_EQ(board.WhitePieceCount, 2);
  EXPECT_EQ(board.BlackPieceCount, 4);
}

TEST(GameMovesTest, TheGameRecordCountsRepetitionsSinceTheLastPawnMove) {
  LoadFen(Start);
  StartGameRecord();
  auto play = [](const char* word) {
    GameMove move;
    ASSERT_TRUE(FindLegalMove(word, MainBoard, &move)) << word;
    PlayGameMove(move);
    MainBoard.SideToMove ^= 1;
    RecordGamePosition(MainBoard.SideToMove);
  };
  for (const char* m : {"g1f3", "g8f6", "f3g1", "f6g8"}) play(m);
  EXPECT_EQ(GameRepetitions(0), 1);
  for (const char* m : {"g1f3", "g8f6", "f3g1"}) play(m);
  EXPECT_EQ(GameRepetitions(1), 1);
  play("f6g8");
  EXPECT_EQ(GameRepetitions(0), 2);  // the third time
  // A pawn move starts a new count: nothing before it can come back.
  play("e2e4");
  EXPECT_EQ(GameRepetitions(1), 0);
  EXPECT_EQ(MoveList.NumMoves, 10);
}
// xboard's "level 40 ..." gives the clock to the moves left to the control,
// not to all forty at every move.
TEST(GameMovesTest, MovesToTheNextTimeControl) {
  const struct {
    int levelMoves, gamePly, expected;
  } cases[] = {
      {40, 1, 41},  // White's first move (and one more, for a margin)
      {40, 2, 41},  // Black's first move
      {40, 3, 40},  {40, 79, 2}, {40, 80, 2}, {40, 81, 41},  // the control is reached and starts again
      {1, 57, 2},   {30, 61, 31},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MovesToControl(c.levelMoves, c.gamePly), c.expected) << c.levelMoves << " moves, ply " << c.gamePly;
}
}  // namespace

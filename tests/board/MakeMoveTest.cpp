// MakeMove and UndoMove on the cases that move more than one man or none:
// en passant (only straight after the double step), castling rooks and the
// castle mask, promotion letters in either case, captures of a rook at home.
// Every move is also taken back on a copy and must restore the board.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "board/HashCodes.h"
#include "board/PositionText.h"
#include "support/EngineSetup.h"
#include "support/ReferenceMoves.h"

namespace {
std::string Placement(const ChessBoard& b) {
  char text[256];
  pos2fenString(&b, text);
  return std::string(text).substr(0, std::string(text).find(' '));
}

// Plays "e7e8q"-style words; the fifth letter is handed to MakeMove as it
// stands. Returns the castle mask of the last move.
char Play(ChessBoard& b, const std::string& moves, std::string* failure) {
  std::istringstream words(moves);
  std::string m;
  char mask = 0;
  while (words >> m) {
    char promote = m.size() > 4 ? m[4] : NoPromotion;
    const ChessBoard before = b;
    const u32 scratch = PawnAndKingCode(b);
    b.MakeMove(Squares(m.substr(0, 2).c_str()), Squares(m.substr(2, 2).c_str()), promote, &mask);

    std::string stale = DerivedFieldsDifference(b);
    if (!stale.empty()) *failure += m + " leaves stale " + stale + "\n";
    if ((before.PawnHashCode ^ b.PawnHashCode) != (scratch ^ PawnAndKingCode(b)))
      *failure += m + " changes PawnHashCode wrongly\n";
    ChessBoard undone = b;
    undone.UndoMove(0);
    std::string lost = UndoDifference(before, undone);
    if (!lost.empty()) *failure += "UndoMove of " + m + " does not restore " + lost + "\n";
  }
  return mask;
}

struct MoveCase {
  const char* fen;
  const char* moves;
  const char* placement;  // after the moves
  int castleMask;         // of the last move
  int fiftyMoveCount;     // counting from 10
};

const MoveCase Cases[] = {
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", "e2e4",
     "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR", 15, 0},
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", "g1f3 g8f6",
     "rnbqkb1r/pppppppp/5n2/8/8/5N2/PPPPPPPP/RNBQKB1R", 15, 12},
    // En passant straight after the double step, from either side.
    {"4k3/3p4/8/4P3/8/8/8/4K3 b - -", "d7d5 e5d6", "4k3/8/3P4/8/8/8/8/4K3", 15, 0},
    {"4k3/3p4/8/2P5/8/8/8/4K3 b - -", "d7d5 c5d6", "4k3/8/3P4/8/8/8/8/4K3", 15, 0},
    {"4k3/7p/8/6P1/8/8/8/4K3 b - -", "h7h5 g5h6", "4k3/8/7P/8/8/8/8/4K3", 15, 0},
    {"4k3/8/8/8/3p4/8/4P3/4K3 w - -", "e2e4 d4e3", "4k3/8/8/8/8/4p3/8/4K3", 15, 0},
    {"4k3/8/8/8/5p2/8/4P3/4K3 w - -", "e2e4 f4e3", "4k3/8/8/8/8/4p3/8/4K3", 15, 0},
    // Two single steps are no double step: the diagonal move just moves.
    {"4k3/3p4/8/4P3/8/8/8/4K3 b - -", "d7d6 e1e2 d6d5 e5d6", "4k3/8/3P4/3p4/8/8/4K3/8", 15, 0},
    // A move in between spends the chance.
    {"4k3/3p4/8/4P3/8/8/8/4K3 b - -", "d7d5 e1e2 e8e7 e5d6", "8/4k3/3P4/3p4/8/8/4K3/8", 15, 0},
    // Castling moves the rook too; any king move loses both rights.
    {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "e1g1", "r3k2r/8/8/8/8/8/8/R4RK1", 12, 11},
    {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "e1c1", "r3k2r/8/8/8/8/8/8/2KR3R", 12, 11},
    {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", "e8g8", "r4rk1/8/8/8/8/8/8/R3K2R", 3, 11},
    {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", "e8c8", "2kr3r/8/8/8/8/8/8/R3K2R", 3, 11},
    {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "e1f1", "r3k2r/8/8/8/8/8/8/R4K1R", 12, 11},
    {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", "e8d8", "r2k3r/8/8/8/8/8/8/R3K2R", 3, 11},
    // A rook leaving its corner loses that right only.
    {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "h1h5", "r3k2r/8/8/7R/8/8/8/R3K3", 14, 11},
    {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "a1b1", "r3k2r/8/8/8/8/8/8/1R2K2R", 13, 11},
    {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", "h8h7", "r3k3/7r/8/8/8/8/8/R3K2R", 11, 11},
    {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", "a8a1", "4k2r/8/8/8/8/8/8/r3K2R", 7, 0},
    {"4k3/8/8/8/8/8/8/3RK3 w - -", "d1d5", "4k3/8/8/3R4/8/8/8/4K3", 15, 11},
    // Capturing a rook at home leaves the captured side's rights alone.
    {"r3k2r/8/8/8/8/8/1B6/4K3 w kq -", "b2h8", "r3k2B/8/8/8/8/8/8/4K3", 15, 0},
    // Promotion letters in either case; the colour comes from the pawn.
    {"4k3/P7/8/8/8/8/8/4K3 w - -", "a7a8Q", "Q3k3/8/8/8/8/8/8/4K3", 15, 0},
    {"4k3/P7/8/8/8/8/8/4K3 w - -", "a7a8q", "Q3k3/8/8/8/8/8/8/4K3", 15, 0},
    {"4k3/P7/8/8/8/8/8/4K3 w - -", "a7a8n", "N3k3/8/8/8/8/8/8/4K3", 15, 0},
    {"4k3/P7/8/8/8/8/8/4K3 w - -", "a7a8R", "R3k3/8/8/8/8/8/8/4K3", 15, 0},
    {"4k3/P7/8/8/8/8/8/4K3 w - -", "a7a8b", "B3k3/8/8/8/8/8/8/4K3", 15, 0},
    {"4k3/8/8/8/8/8/p7/4K3 b - -", "a2a1Q", "4k3/8/8/8/8/8/8/q3K3", 15, 0},
    {"4k3/8/8/8/8/8/p7/4K3 b - -", "a2a1N", "4k3/8/8/8/8/8/8/n3K3", 15, 0},
    {"1r2k3/P7/8/8/8/8/8/4K3 w - -", "a7b8Q", "1Q2k3/8/8/8/8/8/8/4K3", 15, 0},
    {"4k3/8/8/8/8/8/6p1/4K2R b K -", "g2h1q", "4k3/8/8/8/8/8/8/4K2q", 15, 0},
};

TEST(MakeMoveTest, MovesEveryManItShouldAndKeepsTheBoardConsistent) {
  for (const MoveCase& c : Cases) {
    ChessBoard b = LoadFen(c.fen);
    b.FiftyMoveCount = 10;
    const char side = b.SideToMove, rights = b.CastleFlags;
    std::string failure;
    char mask = Play(b, c.moves, &failure);
    const std::string where = std::string(c.fen) + " after " + c.moves;
    EXPECT_EQ(failure, "") << where;
    EXPECT_EQ(Placement(b), c.placement) << where;
    EXPECT_EQ((int)mask, c.castleMask) << where;
    EXPECT_EQ(b.FiftyMoveCount, c.fiftyMoveCount) << where;
    // The game-level code owns the side to move and the rights.
    EXPECT_EQ(b.SideToMove, side) << where;
    EXPECT_EQ(b.CastleFlags, rights) << where;
    std::string last = std::string(c.moves).substr(std::string(c.moves).rfind(' ') + 1);
    EXPECT_EQ(b.LastFrom, Squares(last.substr(0, 2).c_str())) << where;
    EXPECT_EQ(b.LastTo, Squares(last.substr(2, 2).c_str())) << where;
  }
}

TEST(MakeMoveTest, PromotionCountsMoveFromPawnToThePiece) {
  const struct {
    const char* letters;
    int slot;  // queens, rooks, bishops, knights
  } cases[] = {{"Qq", 0}, {"Rr", 1}, {"Bb", 2}, {"Nn", 3}};
  for (const auto& c : cases) {
    for (const char* letter = c.letters; *letter; letter++) {
      ChessBoard b = LoadFen("4k3/P7/8/8/8/8/p7/4K3 w - -");
      char mask;
      b.MakeMove(Squares("a7"), Squares("a8"), *letter, &mask);
      b.MakeMove(Squares("a2"), Squares("a1"), *letter, &mask);
      for (const i32* counts : {b.WhiteCounts, b.BlackCounts}) {
        EXPECT_EQ(counts[4], 0) << "pawns after promoting with " << *letter;
        EXPECT_EQ(counts[c.slot], 1) << "promoting with " << *letter;
      }
      EXPECT_EQ(b.WhitePieceCount, 1);
      EXPECT_EQ(b.BlackPieceCount, 1);
    }
  }
}

TEST(MakeMoveTest, PawnHashCodeChangesByTheEntriesOfTheSquaresLeftAndReached) {
  ChessBoard b = LoadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
  b.PawnHashCode = 0;
  char mask;
  b.MakeMove(Squares("e2"), Squares("e4"), NoPromotion, &mask);
  EXPECT_EQ(b.PawnHashCode, PawnCodeEntry(WPawn, 12) ^ PawnCodeEntry(WPawn, 28));
  b.UndoMove(0);
  EXPECT_EQ(b.PawnHashCode, 0u);
  // A knight's move leaves it alone.
  b.MakeMove(Squares("g1"), Squares("f3"), NoPromotion, &mask);
  EXPECT_EQ(b.PawnHashCode, 0u);
}
}  // namespace

// Check evasions, list by list: king moves first (never back along the
// checking line), only king moves against a double check, then captures of
// the checker and blocks in the order knight, rook, bishop, pawn, queen,
// with en passant against a pawn that just checked by its double step.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "movegen/MoveGen.h"
#include "support/EngineSetup.h"
#include "support/ReferenceMoves.h"

namespace {
std::string Evasions(const char* fen, const char* before) {
  ChessBoard b = LoadFen(fen);
  char side = b.SideToMove, mask;
  std::istringstream words(before);
  std::string m;
  while (words >> m) {
    b.MakeMove(Squares(m.substr(0, 2).c_str()), Squares(m.substr(2, 2).c_str()), NoPromotion, &mask);
    side ^= 1;
  }
  EXPECT_TRUE(b.InCheck(b.SideKing(side), side)) << fen << " after " << before;
  MoveGen list;
  int n = list.GenCheckEvasions(side, &b);
  std::string text;
  for (const std::string& name : MoveNames(list, n)) text += (text.empty() ? "" : " ") + name;
  return text;
}

TEST(CheckEvasionsTest, ListsHoldTheAnswersToTheCheckInOrder) {
  const struct {
    const char* what;
    const char* fen;
    const char* before;  // moves played first
    const char* expected;
  } cases[] = {
      {"double check: king moves only", "3qk3/8/3N4/1B6/8/8/8/4K3 b - -", "", "e8e7 e8f8"},
      {"no step back along the rook's file", "4r1k1/8/8/8/8/8/4K3/8 w - -", "",
       "e2d1 e2f1 e2d2 e2f2 e2d3 e2f3"},
      {"every kind, in the fixed order", "4r2k/3P4/8/R6Q/1B6/2N5/8/4K3 w - -", "",
       "e1d1 e1f1 e1d2 e1f2 c3e2 c3e4 a5e5 b4e7 d7e8Q h5e2 h5e5 h5e8"},
      {"pawn blocks: single step, then double steps", "4k3/8/8/8/r3K3/3P4/1PP5/8 w - -", "",
       "e4e3 e4f3 e4d5 e4e5 e4f5 d3d4 b2b4 c2c4"},
      {"a pawn's double step blocked behind", "4k3/8/8/8/r3K3/1N6/1P6/8 w - -", "",
       "e4d3 e4e3 e4f3 e4d5 e4e5 e4f5 b3d4"},
      {"en passant takes the checking pawn", "8/8/8/4k3/4p3/8/3P4/4K3 w - -", "d2d4",
       "e5d4 e5f4 e5d5 e5f5 e5d6 e5e6 e5f6 e4d3"},
      {"en passant takes the checking pawn, White", "4k3/3p4/8/4P3/4K3/8/8/8 b - -", "d7d5",
       "e4d3 e4e3 e4f3 e4d4 e4f4 e4d5 e4f5 e5d6"},
      {"promotion takes the checker", "1r2k3/P7/8/8/8/8/8/1K6 w - -", "", "b1a1 b1c1 b1a2 b1c2 a7b8Q"},
      {"promotion takes the checker, Black", "1k6/8/8/8/8/8/p7/1R2K3 b - -", "", "b8a7 b8c7 b8a8 b8c8 a2b1q"},
      {"a knight's check cannot be blocked", "4k3/8/8/8/8/5n2/3P2B1/R3K3 w - -", "", "e1d1 e1f1 e1e2 e1f2 g2f3"},
  };
  for (const auto& c : cases) EXPECT_EQ(Evasions(c.fen, c.before), c.expected) << c.what << ": " << c.fen;
}

// The evasion list after the legality filter against the reference, on
// positions where pinned men and lines through the king's own square are
// the point.
TEST(CheckEvasionsTest, FilteredEvasionsAreExactlyTheLegalMoves) {
  const struct {
    const char* fen;
    const char* before;
  } cases[] = {
      {"4r1k1/8/8/8/1b6/8/3N4/4K3 w - -", ""},  // the knight that could block is pinned
      {"4k3/8/8/8/8/8/3N4/r3K2R w K -", ""},    // no castling out of check
      {"7r/8/8/1k5Q/8/8/8/1RK5 b - -", ""},      // two checks along straight lines
      {"4k3/8/8/8/2b5/8/4K3/8 w - -", ""},       // not back along the diagonal
      {"8/8/8/4k3/4p3/8/3P4/4RK2 w - -", "d2d4"},  // en passant would open the file
  };
  for (const auto& c : cases) {
    ChessBoard b = LoadFen(c.fen);
    char side = b.SideToMove, mask;
    std::istringstream words(c.before);
    std::string m;
    while (words >> m) {
      b.MakeMove(Squares(m.substr(0, 2).c_str()), Squares(m.substr(2, 2).c_str()), NoPromotion, &mask);
      side ^= 1;
    }
    ASSERT_TRUE(b.InCheck(b.SideKing(side), side)) << c.fen;
    std::vector<std::string> engine = EngineLegalMoves(b, side, b.CastleFlags);
    std::vector<std::string> reference;
    for (const RefMove& r : ReferenceLegalMoves(ReferenceFromBoard(b, side, b.CastleFlags)))
      reference.push_back(MoveName(r));
    std::sort(engine.begin(), engine.end());
    std::sort(reference.begin(), reference.end());
    EXPECT_EQ(engine, reference) << c.fen << " after " << c.before;
  }
}
}  // namespace

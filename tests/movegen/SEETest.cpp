// Static exchange evaluation: who wins the exchange on a square, including
// the sliders revealed behind a man that has just captured, and the edge of
// the board that an x-ray must not wrap around.
#include <gtest/gtest.h>

#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "movegen/SEE.h"
#include "support/EngineSetup.h"

namespace {
struct ExchangeCase {
  const char* fen;
  const char* from;
  const char* to;
  int expected;
};

const ExchangeCase Cases[] = {
    // Pawn takes an undefended knight.
    {"4k3/8/8/3n4/4P3/8/8/4K3 w - - 0 1", "e4", "d5", 3250},
    // Queen takes a pawn defended by a pawn.
    {"4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1", "d1", "d5", 800 - 9750},
    // Rook takes a rook defended by a rook; the second White rook behind the
    // first on the file recaptures.
    {"3r2k1/3r4/8/8/8/8/3R4/3RK3 w - - 0 1", "d2", "d7", 5000},
    // The same with the White rooks lined up on the rank, east of the target.
    {"k7/8/8/8/r2r1RR1/8/8/K7 w - - 0 1", "f4", "d4", 5000},
    // Without the x-ray the defender wins the exchange back.
    {"3r2k1/3r4/8/8/8/8/3R4/4K3 w - - 0 1", "d2", "d7", 0},
    // Knight takes a bishop defended only by the king.
    {"8/8/4k3/3b4/8/4N3/8/4K3 w - - 0 1", "e3", "d5", 0},
    // The walk east from h4 must stop at the edge: the queen on a5 is not
    // behind the rook.
    {"4k3/8/8/Q4p2/6nR/8/8/4K3 w - - 0 1", "h4", "g4", 3250 - 5000},
    // Black captures a pawn defended by a pawn with a knight.
    {"4k3/8/2n5/3P4/4P3/8/8/2B1K3 b - - 0 1", "c6", "d5", 800 - 3250},
};

int Square(const char* name) { return (name[1] - '1') * 8 + (name[0] - 'a'); }

TEST(SEETest, ExchangeOutcomes) {
  for (const ExchangeCase& c : Cases) {
    ChessBoard& b = LoadFen(c.fen);
    u64 to = Squares(c.to);
    char victim = (char)b.PieceColor(to);
    EXPECT_EQ(see.StaticExchangeEvaluation(victim, Squares(c.from), to, &b), c.expected)
        << c.fen << " " << c.from << c.to;
  }
}

TEST(SEETest, DirectionTable) {
  struct Case {
    const char* target;
    const char* from;
    int step;
  };
  const Case cases[] = {{"e4", "e8", 8}, {"e4", "e1", -8}, {"e4", "h4", 1}, {"e4", "a4", -1},
                        {"a1", "h8", 9}, {"h8", "a1", -9}, {"e4", "a8", 7}, {"e4", "h1", -7},
                        {"e4", "f6", 0}, {"e4", "e4", 0},  {"h4", "a5", 0}};
  for (const Case& c : cases)
    EXPECT_EQ(see.Direction[Square(c.target)][Square(c.from)], c.step) << c.target << " from " << c.from;
}

TEST(SEETest, LeastValuablePieceFirst) {
  ChessBoard& b = LoadFen("4k1B1/8/8/3p4/2P2N2/8/3Q4/3RK3 w - - 0 1");
  see.board = &b;
  u64 attackers = see.SquareAttacksDefences(Squares("d5"));
  EXPECT_EQ(attackers, Squares("c4 f4 g8 d2"));  // the rook is hidden behind the queen
  EXPECT_EQ(see.LVP(0, attackers), Square("c4"));
  EXPECT_EQ(see.LVP(0, attackers & ~Squares("c4")), Square("f4"));
  EXPECT_EQ(see.LVP(1, attackers), -1);
}
}  // namespace

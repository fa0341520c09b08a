// Knights, bishops, rooks and queens: placement tables (the right way up),
// mobility, outposts, the bishop pair and fianchetto, rook files, trapped
// queens and the traps. Expected values are worked out by hand from the
// tables; each case has White's men only where that is enough.
#include <gtest/gtest.h>

#include "eval/EvalHelpers.h"
#include "eval/PositionEvaluate.h"

namespace {
struct Term {
  const char* fen;
  int mg, eg, returned;
};

// Runs one term on a prepared position and checks its accumulators and its
// returned value.
void ExpectTerm(const Term& c, int (PositionEvaluate::*term)()) {
  PrepareTerms(c.fen);
  const int returned = (PE.*term)();
  EXPECT_EQ(PE.MgScore, c.mg) << c.fen;
  EXPECT_EQ(PE.EgScore, c.eg) << c.fen;
  EXPECT_EQ(returned, c.returned) << c.fen;
}

TEST(PieceTerms, Knights) {
  const Term cases[] = {
      // a1 with both squares taken by its own pawns: -400 - 160, -250 - 160.
      {"4k3/8/8/8/8/1P6/2P5/N3K3 w - -", -560, -410, 0},
      // d5 attacked by a pawn on c6: no outpost bonus. 80 + 112, 150 + 112.
      {"4k3/8/2p5/3N4/8/8/8/4K3 w - -", 192, 262, 0},
      // A pawn on d6 does not attack d5: outpost 120.
      {"4k3/8/3p4/3N4/8/8/8/4K3 w - -", 312, 262, 0},
      // Black's twin tables.
      {"4k3/8/8/8/3n4/3P4/8/4K3 w - -", -312, -262, 0},
  };
  for (const Term& c : cases) ExpectTerm(c, &PositionEvaluate::KnightEval);
}

TEST(PieceTerms, Bishops) {
  const Term cases[] = {
      // Fianchetto on g2: 25 + 330 mobility (9 squares) + 200; -50 + 330.
      {"4k3/8/8/8/8/6P1/5PBP/4K3 w - -", 555, 280, 0},
      // The pair is returned unblended; two squares each, 100 mobility.
      {"4k3/8/8/8/8/8/3PP3/2B1KB2 w - -", -200, -40, 500},
      // No free square: -300 in both phases.
      {"4k3/8/8/8/8/8/PPP5/1B2K3 w - -", -500, -450, 0},
  };
  for (const Term& c : cases) ExpectTerm(c, &PositionEvaluate::BishopEval);
}

TEST(PieceTerms, Rooks) {
  const Term cases[] = {
      // Open file: 175 mobility + 320, 350 + 140, and no half-open value.
      {"4k3/p7/8/8/8/8/P7/3RK3 w - -", 495, 490, 0},
      // Half-open file: +50 returned.
      {"4k3/3p4/8/8/8/8/P7/3RK3 w - -", 175, 350, 50},
      // On the first rank with an enemy pawn right in front: -100, -200.
      {"4k3/8/8/8/8/8/3p4/3RK3 w - -", 5, 10, 50},
      // Behind its own passed pawn: +37, +75.
      {"4k3/8/8/3P4/8/8/8/3RK3 w - -", 207, 415, 0},
      {"3rk3/8/8/8/3p4/8/8/4K3 w - -", -207, -415, 0},
  };
  for (const Term& c : cases) ExpectTerm(c, &PositionEvaluate::RookEval);
}

TEST(PieceTerms, Queens) {
  const Term cases[] = {
      // On h7 with all five squares covered by Black: 210, 420 - 2 x 3250.
      {"5r1k/5ppQ/6pp/8/8/8/5PPP/6K1 b - -", 210, -6080, 0},
      // h8 left free: one safe square, one penalty.
      {"7k/5ppQ/6pp/8/8/8/5PPP/6K1 b - -", 210, -2830, 0},
  };
  for (const Term& c : cases) ExpectTerm(c, &PositionEvaluate::QueenEval);
}

struct Trap {
  const char* fen;
  int expected;
};

TEST(PieceTerms, Traps) {
  const Trap cases[] = {
      {"4k2N/7p/8/8/8/8/8/4K3 w - -", -1219},       // h8 knight, either pawn will do
      {"4k2N/5p2/8/8/8/8/8/4K3 w - -", -1219},
      {"4k3/5pNp/6p1/8/8/8/8/4K3 w - -", -1219},    // g7 needs all three pawns
      {"4k3/5pNp/8/8/8/8/8/4K3 w - -", 0},
      {"N3k2N/p6p/8/8/8/8/8/4K3 w - -", -2438},     // two rules add up
      {"1B2k3/2p5/1p6/8/8/8/8/4K3 w - -", -1600},
      {"4k3/8/8/8/8/6P1/5P1b/4K3 w - -", 1600},
      // A rook shut in by its king matters only against heavy pieces.
      {"r3k3/8/8/8/8/8/5PPP/5KR1 w - -", -1670},
      {"4k3/8/8/8/8/8/5PPP/5KR1 w - -", 0},
      {"rk6/ppp5/8/8/8/8/8/R3K3 w - -", 1670},
  };
  for (const Trap& c : cases) {
    PrepareTerms(c.fen);
    EXPECT_EQ(PE.Traps(), c.expected) << c.fen;
  }
}
}  // namespace

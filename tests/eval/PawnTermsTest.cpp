// Pawn structure: the cached structural scores, passed-pawn values, the
// rule of the square, the pawn race and the central chains. Expected values
// are worked out by hand from the tables.
#include <gtest/gtest.h>

#include "board/ChessBoard.h"
#include "eval/EvalHelpers.h"
#include "eval/PawnHash.h"
#include "eval/PositionEvaluate.h"

namespace {
struct Structure {
  const char* fen;
  int whiteStatic, blackStatic, mgPawn, egPawn, whiteDoubled;
};

const Structure Structures[] = {
    // An isolated passer on e2: -10 square, -10 d/e-file, -50 no enemy on the
    // file, +50 refunded as a passer; Black without pawns -30.
    {"8/8/8/4k3/8/8/4P3/4K3 w - -", -20, -30, -110, -110, 0},
    // c4 gets the advanced-pawn bonus 40 outside the king's zone, d4 (inside
    // it) only its square 187; Black's isolated d6 112 - 10.
    {"4k3/8/3p4/8/2PP4/8/8/4K3 w - -", 227, 102, 170, 110, 0},
    // c3 is backward on a file holding a Black pawn (-40).
    {"4k3/8/8/2p5/1P6/2P5/8/4K3 w - -", 20, 40, 100, 100, 0},
    // Three pawns on a file count two doubled pawns.
    {"4k3/8/8/8/2P5/2P5/2P5/4K3 w - -", -100, -30, -300, -300, 2},
    {"4k3/8/8/8/8/2P5/2P5/4K3 w - -", -50, -30, -200, -200, 1},
};

TEST(PawnStructure, StaticScoresAndAccumulators) {
  for (const Structure& c : Structures) {
    PrepareTerms(c.fen);
    EXPECT_EQ(PE.WhiteStatic, c.whiteStatic) << c.fen;
    EXPECT_EQ(PE.BlackStatic, c.blackStatic) << c.fen;
    EXPECT_EQ(PE.MgPawnScore, c.mgPawn) << c.fen;
    EXPECT_EQ(PE.EgPawnScore, c.egPawn) << c.fen;
    EXPECT_EQ(PE.WhiteDoubled, c.whiteDoubled) << c.fen;
  }
}

// The passed-pawn scores as cached, before the terms that depend on pieces
// and kings are added.
struct Passed {
  const char* fen;
  int whitePassed, blackPassed;
};

const Passed PassedCases[] = {
    // Side by side on the fifth: both connected, 2 x 320.
    {"4k3/8/8/2PP4/8/8/8/4K3 w - -", 640, 0},
    // One rank apart: connected 180 + 320.
    {"4k3/8/8/3P4/2P5/8/8/4K3 w - -", 500, 0},
    // Two ranks apart: plain 270 + 80.
    {"4k3/8/8/2P5/8/3P4/8/4K3 w - -", 350, 0},
    // d5 protected by c4 (300); c4 is a candidate: one enemy in front, two
    // own pawns, 160 / 3.
    {"4k3/8/1p6/3P4/2P5/8/8/4K3 w - -", 353, 0},
    // Doubled passers on d: the front one's 270 x 15 >> 4.
    {"4k3/8/8/3P4/3P4/8/8/4K3 w - -", 253, 0},
    // Black's mirror of the protected case.
    {"4k3/8/8/2p5/3p4/1P6/8/4K3 w - -", 0, 353},
};

TEST(PawnStructure, PassedPawnValuesAsCached) {
  for (const Passed& c : PassedCases) {
    ChessBoard& b = PrepareTerms(c.fen);
    const PawnHashEntry& e = PE.PawnCache->Slot(b.PawnHashCode);
    EXPECT_EQ(e.WhitePassed, c.whitePassed) << c.fen;
    EXPECT_EQ(e.BlackPassed, c.blackPassed) << c.fen;
  }
}

TEST(PawnStructure, PasserRanksKeepTheMostAdvancedPawn) {
  PrepareTerms("4k3/3p4/3p4/8/3P4/3P4/8/4K3 w - -");
  EXPECT_EQ(PE.WhitePasserRank[3], 0);  // facing Black pawns: not passed
  PrepareTerms("4k3/8/8/8/3p4/8/P2p4/4K3 w - -");
  EXPECT_EQ(PE.BlackPasserRank[3], 1);
  EXPECT_EQ(PE.BlackPasserCount, 2);
  PrepareTerms("4k3/8/3P4/8/3P4/8/8/4K3 w - -");
  EXPECT_EQ(PE.WhitePasserRank[3], 5);
  EXPECT_EQ(PE.WhitePasserCount, 2);
}

struct Promotion {
  const char* fen;  // sets the king squares
  int pawnSide, rank, promotionSquare;
  bool whiteToMove, blackToMove;
};

const Promotion Promotions[] = {
    // A pawn on its second rank needs five moves thanks to the double step.
    {"8/8/8/8/8/8/P7/4K2k w - -", 0, 1, 56, true, true},     // king 7 away
    {"8/8/8/8/8/8/P5k1/4K3 w - -", 0, 1, 56, true, false},   // 6 away
    {"8/8/8/8/8/5k2/P7/4K3 w - -", 0, 1, 56, false, false},  // 5 away
    // A pawn on the fifth needs three moves.
    {"8/8/8/P7/8/4k3/8/4K3 w - -", 0, 4, 56, true, true},    // 5 away
    {"8/8/8/P7/4k3/8/8/4K3 w - -", 0, 4, 56, true, false},   // 4 away
    {"8/8/8/P2k4/8/8/8/4K3 w - -", 0, 4, 56, false, false},  // 3 away
    // Black's pawn on its seventh rank; the White king defends.
    {"4k3/7p/8/8/8/8/8/K7 w - -", 1, 6, 7, true, true},
    {"4k3/7p/8/8/8/8/1K6/8 w - -", 1, 6, 7, false, true},
};

TEST(PawnStructure, RuleOfTheSquare) {
  for (const Promotion& c : Promotions) {
    PrepareTerms(c.fen);
    EXPECT_EQ(PE.DoesPawnPromote((char)c.pawnSide, c.rank, c.promotionSquare, 0), c.whiteToMove) << c.fen;
    EXPECT_EQ(PE.DoesPawnPromote((char)c.pawnSide, c.rank, c.promotionSquare, 1), c.blackToMove) << c.fen;
  }
}

struct Race {
  const char* fen;
  int expected;
};

const Race Races[] = {
    {"7k/8/8/8/8/8/P7/K7 w - -", 5700},          // only White's pawn runs
    {"7k/8/8/8/8/8/P7/K5n1 w - -", 0},           // a piece: no race
    {"k7/8/8/8/8/8/P7/K7 w - -", 0},             // nothing runs
    {"7k/8/P7/8/7p/8/8/K7 w - -", 5700},         // White queens a move earlier
    {"7k/8/P7/8/7p/8/8/K7 b - -", 5700},
    {"7k/8/8/P7/8/7p/8/K7 b - -", -5700},        // Black queens a move earlier
    // Same distance: the first queen checks along the back rank.
    {"7k/8/1P6/8/8/6p1/8/K7 w - -", 5700},
    {"7k/8/1P6/8/8/6p1/8/K7 b - -", -5700},
    // Same distance, no check and no attack on the other queening square.
    {"8/8/1P6/7k/8/6p1/8/K7 w - -", 0},
};

TEST(PawnStructure, PawnRace) {
  for (const Race& c : Races) {
    ChessBoard& b = PrepareTerms(c.fen);
    EXPECT_EQ(PE.RuleofSquare(b.SideToMove), c.expected) << c.fen;
  }
}

TEST(PawnStructure, CentralChains) {
  PrepareTerms("4k3/8/3P4/4P3/8/8/8/4K3 w - -");
  EXPECT_EQ(PE.PawnPhalanx(), 60);  // d6 lies on two chains
  PrepareTerms("4k3/8/8/8/4p3/3p4/8/4K3 w - -");
  EXPECT_EQ(PE.PawnPhalanx(), -60);
}
}  // namespace

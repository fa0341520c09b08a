// Attack sets at the edges of the board and at the first blocker, the
// attacked-square test with its pawn wrap guards, and the check-ray masks
// the evasion generator builds on.
#include <gtest/gtest.h>

#include "board/BitOps.h"
#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "support/EngineSetup.h"
#include "support/ReferenceMoves.h"

namespace {
enum Kind { Knight, King, Bishop, Rook };

u64 MaskOf(const ChessBoard& b, Kind kind, u64 square) {
  switch (kind) {
    case Knight: return b.KnightMask(square);
    case King: return b.KingMask(square);
    case Bishop: return b.BishopMask(square);
    case Rook: return b.RookMask(square);
  }
  return 0;
}

const char* const EmptyBoard = "8/8/8/8/8/8/8/8 w - -";

TEST(AttacksTest, MasksStopAtEdgesAndIncludeTheFirstBlocker) {
  const struct {
    const char* fen;
    Kind kind;
    const char* square;
    const char* expected;
  } cases[] = {
      {EmptyBoard, Knight, "a1", "b3 c2"},
      {EmptyBoard, Knight, "h8", "g6 f7"},
      {EmptyBoard, Knight, "d4", "c2 e2 b3 f3 b5 f5 c6 e6"},
      {EmptyBoard, Knight, "g1", "e2 f3 h3"},
      {EmptyBoard, Knight, "b8", "a6 c6 d7"},
      {EmptyBoard, Knight, "h4", "g2 f3 f5 g6"},
      {EmptyBoard, Knight, "a5", "b3 c4 c6 b7"},
      // The knight's targets ignore the men on them.
      {"8/8/8/8/8/1P6/2p5/8 w - -", Knight, "a1", "b3 c2"},
      {EmptyBoard, King, "a1", "a2 b1 b2"},
      {EmptyBoard, King, "h8", "g8 g7 h7"},
      {EmptyBoard, King, "a5", "a4 a6 b4 b5 b6"},
      {EmptyBoard, King, "h4", "h3 h5 g3 g4 g5"},
      {EmptyBoard, King, "e1", "d1 f1 d2 e2 f2"},
      {EmptyBoard, Bishop, "a1", "b2 c3 d4 e5 f6 g7 h8"},
      {"8/8/8/8/3p4/8/8/8 w - -", Bishop, "a1", "b2 c3 d4"},
      {EmptyBoard, Bishop, "h1", "g2 f3 e4 d5 c6 b7 a8"},
      {EmptyBoard, Bishop, "h4", "g3 f2 e1 g5 f6 e7 d8"},
      {EmptyBoard, Bishop, "a5", "b4 c3 d2 e1 b6 c7 d8"},
      // Own and enemy blockers alike end a ray and are included.
      {"8/1P3p2/8/3B4/8/5N2/8/8 w - -", Bishop, "d5", "c6 b7 e6 f7 e4 f3 c4 b3 a2"},
      {EmptyBoard, Rook, "h1", "h2 h3 h4 h5 h6 h7 h8 g1 f1 e1 d1 c1 b1 a1"},
      {EmptyBoard, Rook, "a8", "a7 a6 a5 a4 a3 a2 a1 b8 c8 d8 e8 f8 g8 h8"},
      {"8/8/8/8/8/p7/8/3N4 w - -", Rook, "a1", "a2 a3 b1 c1 d1"},
      {"8/8/4p3/8/2P5/8/8/4k3 w - -", Rook, "e4", "e5 e6 e3 e2 e1 d4 c4 f4 g4 h4"},
      {EmptyBoard, Bishop, "", ""},
      {EmptyBoard, Rook, "", ""},
  };
  for (const auto& c : cases) {
    const ChessBoard& b = LoadFen(c.fen);
    const char* names[] = {"knight", "king", "bishop", "rook"};
    EXPECT_EQ(MaskOf(b, c.kind, Squares(c.square)), Squares(c.expected))
        << names[c.kind] << " on " << c.square << " in " << c.fen;
  }
}

TEST(AttacksTest, InCheckAsksWhetherTheOtherSideAttacks) {
  const struct {
    const char* fen;
    const char* square;
    char defender;
    int expected;
  } cases[] = {
      {"8/8/8/8/8/8/3p4/4K3 w - -", "e1", 0, 1},
      {"8/8/8/8/8/8/4p3/4K3 w - -", "e1", 0, 0},  // a pawn does not attack straight ahead
      {"8/8/8/8/8/8/5p2/4K3 w - -", "e1", 0, 1},
      {"8/8/8/8/8/8/3P4/4K3 w - -", "e1", 0, 0},  // own pawn
      // The pawn tests must not wrap from one edge file to the other.
      {"8/8/p7/8/8/8/8/8 w - -", "h4", 0, 0},
      {"8/8/8/8/7P/8/8/8 w - -", "a6", 1, 0},
      {"8/8/8/1P6/8/8/8/8 w - -", "a6", 1, 1},
      {"8/8/8/8/7p/8/8/8 w - -", "a4", 0, 0},
      {"8/8/8/P7/8/8/8/8 w - -", "h5", 1, 0},
      {"8/8/8/8/8/5n2/8/4K3 w - -", "e1", 0, 1},
      {"8/8/8/8/8/8/8/4K1n1 w - -", "e1", 0, 0},
      {"4r3/8/8/8/8/8/8/4K3 w - -", "e1", 0, 1},
      {"4r3/8/8/8/4P3/8/8/4K3 w - -", "e1", 0, 0},
      {"4r3/8/8/8/4p3/8/8/4K3 w - -", "e1", 0, 0},
      {"4R3/8/8/8/8/8/8/4K3 w - -", "e1", 0, 0},
      {"8/8/8/q7/8/8/8/4K3 w - -", "e1", 0, 1},
      {"8/8/8/q7/8/2P5/8/4K3 w - -", "e1", 0, 0},
      {"8/8/8/8/7b/8/8/4K3 w - -", "e1", 0, 1},
      {"8/8/8/8/8/4k3/8/8 w - -", "f2", 0, 1},
      {"8/8/8/8/8/4k3/8/8 w - -", "g1", 0, 0},
      {"4k3/8/8/8/8/8/8/4R3 b - -", "e8", 1, 1},
      {"4k3/8/8/8/B7/8/8/8 b - -", "e8", 1, 1},
      {"4k3/8/8/8/8/8/8/4r3 b - -", "e8", 1, 0},
  };
  for (const auto& c : cases) {
    const ChessBoard& b = LoadFen(c.fen);
    EXPECT_EQ(b.InCheck(Squares(c.square), c.defender), c.expected)
        << c.square << " defended by " << (int)c.defender << " in " << c.fen;
    EXPECT_EQ(b.IsAttacked(Squares(c.square), c.defender), c.expected) << c.square << " in " << c.fen;
  }
}

TEST(AttacksTest, InCheckAgreesWithThePlainReferenceOnBusyBoards) {
  const char* const fens[] = {
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
      "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
      "Q6n/1p4P1/7p/p1B5/5b2/P6P/1p4q1/N6R w - -",
  };
  for (const char* fen : fens) {
    ChessBoard& b = LoadFen(fen);
    RefPosition ref = ReferenceFromBoard(b, 0, 0);
    for (int sq = 0; sq < 64; sq++) {
      for (char defender = 0; defender < 2; defender++) {
        EXPECT_EQ(b.InCheck(SquareMask(sq), defender) != 0, ReferenceAttacked(ref, sq, defender ^ 1))
            << "square " << sq << " defended by " << (int)defender << " in " << fen;
      }
    }
  }
}

TEST(AttacksTest, CheckMasksHoldTheRaysThatReachASlider) {
  const struct {
    const char* fen;
    const char* king;
    bool diagonal;
    const char* expected;
  } cases[] = {
      {"4r3/8/8/8/8/8/8/4K3 w - -", "e1", false, "e2 e3 e4 e5 e6 e7 e8"},
      {"4r3/8/8/4P3/8/8/8/4K3 w - -", "e1", false, ""},  // the ray ends at the pawn
      {"4r3/8/8/8/8/8/8/r3K3 w - -", "e1", false, "b1 c1 d1 a1 e2 e3 e4 e5 e6 e7 e8"},
      {"8/8/8/8/8/8/8/q1N1K3 w - -", "e1", false, ""},
      {"8/8/8/8/r6K/8/8/8 w - -", "h4", false, "g4 f4 e4 d4 c4 b4 a4"},
      {"7b/8/8/8/8/8/8/K7 w - -", "a1", true, "b2 c3 d4 e5 f6 g7 h8"},
      {"8/8/8/8/7K/8/8/4b3 w - -", "h4", true, "g3 f2 e1"},
      {"7q/8/8/8/8/8/8/K6q w - -", "a1", true, "b2 c3 d4 e5 f6 g7 h8"},
      {"7q/8/8/8/8/8/8/K6q w - -", "a1", false, "b1 c1 d1 e1 f1 g1 h1"},
  };
  for (const auto& c : cases) {
    const ChessBoard& b = LoadFen(c.fen);
    u64 king = Squares(c.king);
    u64 result = c.diagonal ? b.BishopCheckMask(king, b.BlackBishops | b.BlackQueens)
                            : b.RookCheckMask(king, b.BlackRooks | b.BlackQueens);
    EXPECT_EQ(result, Squares(c.expected)) << (c.diagonal ? "diagonal" : "straight") << " rays in " << c.fen;
  }
}
}  // namespace

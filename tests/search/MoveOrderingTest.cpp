// Ordering values of the full-width and quiescence lists, and best-first
// selection with generation order as the tie-break.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "movegen/MoveGen.h"
#include "search/MoveOrdering.h"
#include "search/SearchRoutines.h"
#include "support/EngineSetup.h"

namespace {
int Code(const char* move) {
  return ((move[1] - '1') * 8 + (move[0] - 'a')) * 64 + (move[3] - '1') * 8 + (move[2] - 'a');
}

class MoveOrderingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    memset(Search.History, 0, sizeof Search.History);
    memset(Search.KillerMoves, 0, sizeof Search.KillerMoves);
    Search.ClearPrincipalVariation();
  }

  // Generates the side to move's moves in `fen` and values them.
  void Order(const char* fen, int ply = 3, int hashMove = 0, int nodeType = 2) {
    board = LoadFen(fen);
    const char side = board.SideToMove;
    count = list.GenerateAllMoves(side, &board, board.CastleFlags);
    AssignMoveOrderValues(Search, list, count, ply, board.SideKing(side ^ 1), hashMove, nodeType);
  }
  void OrderQuiesce(const char* fen) {
    board = LoadFen(fen);
    count = list.GenerateQuiesceMoves(board.SideToMove, &board, 0);
    QuiesceAssignMoveOrderValues(list, count, 0);
  }
  int Value(const char* move) {
    for (int i = 0; i < count; i++)
      if ((RightMostBit(list.from[i]) - 1) * 64 + RightMostBit(list.to[i]) - 1 == Code(move)) return list.value[i];
    ADD_FAILURE() << move << " not in the list";
    return -1;
  }

  ChessBoard board;
  MoveGen list;
  int count = 0;
};

TEST_F(MoveOrderingTest, CapturesByVictimAndAttacker) {
  struct Case {
    const char* fen;
    const char* move;
    int expected;
  };
  const Case cases[] = {
      // Pawn takes queen (a Black pawn ahead: no passed pawn is made).
      {"4k3/3p4/8/3q4/4P3/8/8/4K3 w - - 0 1", "e4d5", 9750 + 9750 - 3},
      // The same capture leaving a passed pawn: Passers[4] - Passers[3].
      {"4k3/8/8/3q4/4P3/8/8/4K3 w - - 0 1", "e4d5", 9750 + 9750 - 3 + 270 - 160},
      // Black pawn: advance counted from Black's side.
      {"4k3/8/8/4p3/3Q4/8/8/4K3 b - - 0 1", "e5d4", 9750 + 9750 - 3 + 270 - 160},
      // Queen takes pawn.
      {"4k3/8/8/3p4/8/8/8/3QK3 w - - 0 1", "d1d5", 9750 + 800 - 38},
      // Knight takes pawn on an outpost square (d5: 120), either colour.
      {"4k3/8/8/3p4/8/4N3/8/4K3 w - - 0 1", "e3d5", 9750 + 800 + 120 - 10},
      {"4k3/8/4n3/8/3P4/8/8/4K3 b - - 0 1", "e6d4", 9750 + 800 + 120 - 10},
      // Bishop takes knight.
      {"4k3/8/8/3n4/8/1B6/8/4K3 w - - 0 1", "b3d5", 9750 + 3248 - 12},
      // Rook takes on the seventh rank of a file without pawns: both bonuses.
      {"4k3/1n6/8/8/8/8/8/1R2K3 w - - 0 1", "b1b7", 9750 + 3248 - 19 + 185 + 350},
      // The file holds a pawn: the seventh-rank bonus only.
      {"4k3/1n5R/8/8/8/8/1P6/4K3 w - - 0 1", "h7b7", 9750 + 3248 - 19 + 350},
      // King takes pawn ranks below the killers.
      {"8/8/8/8/8/3k4/3p4/3K4 w - - 0 1", "d1d2", 9750 + 800 - 14625},
      // A rook capture on the enemy king's file earns the king-line bonus.
      {"4k3/8/8/4n3/8/8/8/4RK2 w - - 0 1", "e1e5", 9750 + 3248 - 19 + 200 + 28},
  };
  for (const Case& c : cases) {
    Order(c.fen);
    EXPECT_EQ(Value(c.move), c.expected) << c.fen << " " << c.move;
  }
}

TEST_F(MoveOrderingTest, HashPrincipalVariationAndKillers) {
  const char* fen = "4k3/8/8/8/8/8/P7/RN2K3 w - - 0 1";
  const int ply = 3;
  Search.KillerMoves[ply][0] = (u16)Code("b1c3");
  Search.KillerMoves[ply][1] = (u16)Code("a2a3");
  Search.PrincipalVariation[ply][ply] = PVEntry{(u16)Code("a2a4"), (i8)NoPromotion};
  Search.History[0][Code("e1d2")] = 1000;

  Order(fen, ply, Code("b1c3"), 2);
  EXPECT_EQ(Value("b1c3"), 29000);  // hash move and killer: the hash rule first
  EXPECT_EQ(Value("a2a3"), 1010);
  EXPECT_EQ(Value("a2a4"), 28998);
  EXPECT_EQ(Value("e1d2"), 1000 >> 7);
  EXPECT_EQ(Value("b1a3"), 0);

  // Null-window nodes of the second kind do not use the previous iteration's
  // move; the first killer gets its own value when it is not the hash move.
  Order(fen, ply, 0, 3);
  EXPECT_EQ(Value("a2a4"), 0);
  EXPECT_EQ(Value("b1c3"), 1020);

  // Another ply has its own killers.
  Order(fen, ply + 1, 0, 2);
  EXPECT_EQ(Value("b1c3"), 0);
}

TEST_F(MoveOrderingTest, QuietMoveValues) {
  // A promotion without capture; a rook move onto the enemy king's rank.
  Order("4k3/1P6/8/8/8/8/8/R3K3 w - - 0 1");
  EXPECT_EQ(Value("b7b8"), 500);
  EXPECT_EQ(Value("a1a8"), 28);  // history 0 plus the king-line bonus
  EXPECT_EQ(Value("a1a2"), 0);
  // The king's own moves never get the bonus.
  Order("4k3/8/8/8/8/8/8/3QK3 w - - 0 1");
  EXPECT_EQ(Value("d1e2"), 28);
  EXPECT_EQ(Value("e1e2"), 0);
}

TEST_F(MoveOrderingTest, QuiescenceValues) {
  OrderQuiesce("4k3/8/8/3q4/4P3/8/1p6/4K3 b - - 0 1");
  EXPECT_EQ(Value("b2b1"), 750);          // a pawn reaching its last rank
  EXPECT_EQ(Value("d5e4"), 800 + 10 - 38);  // queen takes pawn
  OrderQuiesce("4k3/8/8/3q4/4P3/8/8/4K3 w - - 0 1");
  EXPECT_EQ(Value("e4d5"), 9750 + 10 - 3);
  EXPECT_EQ(Value("e4e5"), 0);
}

TEST_F(MoveOrderingTest, NextMoveTakesBestFirstAndKeepsListOrderOnTies) {
  board = LoadFen("4k3/8/8/8/8/8/8/RN2K3 w - - 0 1");
  count = list.GenerateAllMoves(0, &board, 0);
  u64 from[64], to[64];
  for (int i = 0; i < count; i++) {
    from[i] = list.from[i];
    to[i] = list.to[i];
    list.value[i] = 0;
  }
  list.value[count - 1] = 5;
  list.value[2] = 5;
  u64 f, t;
  char p;
  list.NextMove(0, count, &f, &t, &p);
  EXPECT_EQ(f, from[2]);  // the first of the two best
  EXPECT_EQ(t, to[2]);
  list.NextMove(1, count, &f, &t, &p);
  EXPECT_EQ(t, to[count - 1]);
  // The rest, all equal, come in the list's order as the swaps left it: the
  // first move now stands in place 2.
  list.NextMove(2, count, &f, &t, &p);
  EXPECT_EQ(t, to[0]);
  list.NextMove(3, count, &f, &t, &p);
  EXPECT_EQ(t, to[3]);
}
}  // namespace

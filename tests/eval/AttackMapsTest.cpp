// The evaluation builds its attack maps from its own tables; they must be
// exactly the sets the board's mask functions give (first blocker included,
// pawns capturing diagonally forward, no wrap across the board's edge), on
// every position of a few seeded random games.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "board/ChessBoard.h"
#include "eval/PositionEvaluate.h"
#include "movegen/MoveGen.h"
#include "support/EngineSetup.h"

namespace {
u64 Union(const ChessBoard& b, u64 men, u64 (ChessBoard::*mask)(u64) const) {
  u64 all = 0;
  for (; men; men &= men - 1) all |= (b.*mask)(men & (0 - men));
  return all;
}

u64 QueenUnion(const ChessBoard& b, u64 men) {
  return Union(b, men, &ChessBoard::RookMask) | Union(b, men, &ChessBoard::BishopMask);
}

void ExpectMapsMatchBoard(ChessBoard& b) {
  PE.PosEval(b.SideToMove, -MateScore, MateScore, &b);
  PE.AttackMasks();  // the pawnless shortcut returns before building them
  const u64 notA = ~0x0101010101010101ULL, notH = ~0x8080808080808080ULL;
  EXPECT_EQ(PE.WhitePawnAttacks, ((b.WhitePawns & notH) << 9) | ((b.WhitePawns & notA) << 7));
  EXPECT_EQ(PE.BlackPawnAttacks, ((b.BlackPawns & notH) >> 7) | ((b.BlackPawns & notA) >> 9));
  EXPECT_EQ(PE.WhiteKnightAttacks, Union(b, b.WhiteKnights, &ChessBoard::KnightMask));
  EXPECT_EQ(PE.BlackKnightAttacks, Union(b, b.BlackKnights, &ChessBoard::KnightMask));
  EXPECT_EQ(PE.WhiteBishopAttacks, Union(b, b.WhiteBishops, &ChessBoard::BishopMask));
  EXPECT_EQ(PE.BlackBishopAttacks, Union(b, b.BlackBishops, &ChessBoard::BishopMask));
  EXPECT_EQ(PE.WhiteRookAttacks, Union(b, b.WhiteRooks, &ChessBoard::RookMask));
  EXPECT_EQ(PE.BlackRookAttacks, Union(b, b.BlackRooks, &ChessBoard::RookMask));
  EXPECT_EQ(PE.WhiteQueenAttacks, QueenUnion(b, b.WhiteQueens));
  EXPECT_EQ(PE.BlackQueenAttacks, QueenUnion(b, b.BlackQueens));
  EXPECT_EQ(PE.WhiteKingAttacks, b.KingMask(b.WhiteKing));
  EXPECT_EQ(PE.BlackKingAttacks, b.KingMask(b.BlackKing));
  for (u64 men = b.AllPieces & ~(b.WhitePawns | b.BlackPawns | b.WhiteKing | b.BlackKing); men; men &= men - 1) {
    const u64 man = men & (0 - men);
    const int s = __builtin_ctzll(man);
    u64 expected = (b.WhiteKnights | b.BlackKnights) & man ? b.KnightMask(man)
                 : (b.WhiteBishops | b.BlackBishops) & man ? b.BishopMask(man)
                 : (b.WhiteRooks | b.BlackRooks) & man   ? b.RookMask(man)
                                                          : b.RookMask(man) | b.BishopMask(man);
    EXPECT_EQ(PE.PieceAttacks[s], expected) << "square " << s;
  }
}

TEST(AttackMaps, MatchTheBoardsMaskFunctions) {
  std::mt19937 rng(7);
  for (int game = 0; game < 10; game++) {
    ChessBoard b = LoadFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -");
    for (int ply = 0; ply < 60; ply++) {
      ExpectMapsMatchBoard(b);
      const char side = b.SideToMove;
      MoveGen list;
      const std::vector<int> legal = LegalMoveIndices(b, 0, &list);
      if (legal.empty()) break;
      const int i = legal[rng() % legal.size()];
      char mask;
      b.MakeMove(list.from[i], list.to[i], list.promote[i], &mask);
      b.SideToMove = side ^ 1;
    }
  }
}
}  // namespace

// The looked-up attack sets against the ray walks they replace: every
// square with every occupancy of the squares that can block it (so every
// first-blocker and edge case), the leapers on every square, and the
// attacked-square test on random boards crowded and sparse.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "board/AttackTables.h"
#include "board/ChessBoard.h"

namespace {
// Every subset of `mask`, with random men added outside it: those squares
// are either beyond the first blocker or the ray's last square, which is
// attacked whether it is occupied or not.
template <typename Check>
void ForEveryBlockerSet(u64 mask, std::mt19937_64& rng, Check check) {
  u64 subset = 0;
  do {
    check(subset | (rng() & rng() & ~mask));
    subset = (subset - mask) & mask;
  } while (subset != 0);
}

TEST(AttackTablesTest, SlidersMatchTheRayWalkOnEveryBlockerSet) {
  std::mt19937_64 rng(11);
  long long compared = 0;
  for (int sq = 0; sq < 64; sq++) {
    const u64 square = 1ULL << sq;
    ForEveryBlockerSet(BishopMagics[sq].Mask, rng, [&](u64 occupied) {
      ASSERT_EQ(BishopLookup(sq, occupied), BishopMaskByWalk(square, occupied))
          << "bishop on " << sq << " occupancy " << std::hex << occupied;
      compared++;
    });
    ForEveryBlockerSet(RookMagics[sq].Mask, rng, [&](u64 occupied) {
      ASSERT_EQ(RookLookup(sq, occupied), RookMaskByWalk(square, occupied))
          << "rook on " << sq << " occupancy " << std::hex << occupied;
      compared++;
    });
    // Full and empty boards: only the neighbours, and every ray to the edge.
    for (u64 occupied : {u64{0}, ~u64{0}, ~square}) {
      EXPECT_EQ(QueenLookup(sq, occupied), BishopMaskByWalk(square, occupied) | RookMaskByWalk(square, occupied))
          << "queen on " << sq << " occupancy " << std::hex << occupied;
    }
  }
  EXPECT_EQ(compared, 5248 + 102400);
}

TEST(AttackTablesTest, LeapersAndPawnsMatchTheShiftsOnEverySquare) {
  for (int sq = 0; sq < 64; sq++) {
    const u64 square = 1ULL << sq;
    EXPECT_EQ(KnightSquares[sq], KnightMaskByWalk(square)) << "knight on " << sq;
    EXPECT_EQ(KingSquares[sq], KingMaskByWalk(square)) << "king on " << sq;
    // The pawn tables never wrap from one edge file to the other.
    const int file = sq & 7;
    for (int side = 0; side < 2; side++) {
      for (u64 target = PawnCaptureSquares[side][sq]; target; target &= target - 1) {
        const int t = __builtin_ctzll(target);
        EXPECT_EQ(std::abs((t & 7) - file), 1) << "pawn of side " << side << " on " << sq;
        EXPECT_EQ((t >> 3) - (sq >> 3), side == 0 ? 1 : -1) << "pawn of side " << side << " on " << sq;
      }
    }
    const int inside = (file > 0) + (file < 7);
    EXPECT_EQ(__builtin_popcountll(PawnCaptureSquares[0][sq]), sq < 56 ? inside : 0) << sq;
    EXPECT_EQ(__builtin_popcountll(PawnCaptureSquares[1][sq]), sq >= 8 ? inside : 0) << sq;
  }
}

// The board's functions use the tables for one square and the walk for any
// other mask; both must answer alike where both apply.
TEST(AttackTablesTest, InCheckMatchesTheWalkOnRandomBoards) {
  std::mt19937_64 rng(5);
  for (int board = 0; board < 400; board++) {
    ChessBoard b{};
    u64* const boards[12] = {&b.WhitePawns, &b.WhiteBishops, &b.WhiteKnights, &b.WhiteRooks,
                             &b.WhiteQueens, &b.WhiteKing,   &b.BlackPawns,   &b.BlackBishops,
                             &b.BlackKnights, &b.BlackRooks, &b.BlackQueens,  &b.BlackKing};
    // Crowded boards early, nearly empty ones later.
    const int men = 2 + (board * 30) / 400;
    for (int i = 0; i < men; i++) {
      const u64 square = 1ULL << (rng() % 64);
      if (b.AllPieces & square) continue;
      *boards[rng() % 12] |= square;
      b.AllPieces |= square;
    }
    b.WhitePieces = b.WhitePawns | b.WhiteBishops | b.WhiteKnights | b.WhiteRooks | b.WhiteQueens | b.WhiteKing;
    b.BlackPieces = b.BlackPawns | b.BlackBishops | b.BlackKnights | b.BlackRooks | b.BlackQueens | b.BlackKing;
    for (int sq = 0; sq < 64; sq++) {
      const u64 square = 1ULL << sq;
      for (char defender = 0; defender < 2; defender++) {
        ASSERT_EQ(b.InCheck(square, defender), b.InCheckByWalk(square, defender))
            << "square " << sq << " defended by " << (int)defender << " on board " << board;
      }
      ASSERT_EQ(b.BishopMask(square), BishopMaskByWalk(square, b.AllPieces)) << sq;
      ASSERT_EQ(b.RookMask(square), RookMaskByWalk(square, b.AllPieces)) << sq;
    }
  }
}

TEST(AttackTablesTest, MasksOfNoSquareOrSeveralSquaresKeepTheWalksAnswer) {
  ChessBoard b{};
  b.BlackRooks = b.BlackPieces = b.AllPieces = 1ULL << 60;  // e8
  EXPECT_EQ(b.BishopMask(0), 0u);
  EXPECT_EQ(b.RookMask(0), 0u);
  EXPECT_EQ(b.InCheck(0, 0), 0);
  // Two White kings on e1 and a1: the rook on e8 sees e1.
  const u64 kings = (1ULL << 4) | 1ULL;
  EXPECT_EQ(b.InCheck(kings, 0), 1);
}
}  // namespace

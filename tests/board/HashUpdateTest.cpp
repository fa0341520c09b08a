// The codes carried from a position to the next one by UpdateHashCodes, and
// the lower code LowerCodeAfter works out before the move, against the codes
// computed from scratch, for every move of positions met in random games:
// captures, castling, en passant, promotions, king and rook moves that end
// castling rights.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "board/ChessBoard.h"
#include "board/HashCodes.h"
#include "movegen/MoveGen.h"
#include "support/EngineSetup.h"

namespace {
TEST(HashUpdateTest, UpdatedCodesEqualCodesFromScratchAfterEveryMove) {
  const char* const starts[] = {
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
      "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
      "4k3/1P6/8/2pP4/8/8/6p1/4K2R w K -",
  };
  std::mt19937 rng(23);
  long long moves = 0, foreseen = 0;
  for (const char* fen : starts) {
    for (int game = 0; game < 4; game++) {
      ChessBoard board = LoadFen(fen);
      char side = board.SideToMove, rights = board.CastleFlags;
      for (int ply = 0; ply < 60; ply++) {
        u64 code1, code2;
        genhashcode(side, rights, &code1, &code2, &board);
        MoveGen list;
        const int n = board.InCheck(board.SideKing(side), side) ? list.GenCheckEvasions(side, &board)
                                                                : list.GenerateAllMoves(side, &board, rights);
        int legal[MoveGen::Capacity], count = 0;
        for (int i = 0; i < n; i++) {
          ChessBoard next = board;
          char mask;
          next.MakeMove(list.from[i], list.to[i], list.promote[i], &mask);
          u64 updated1 = code1, updated2 = code2, fresh1, fresh2;
          UpdateHashCodes(side, rights, side ^ 1, rights & mask, &updated1, &updated2, &next);
          genhashcode(side ^ 1, rights & mask, &fresh1, &fresh2, &next);
          ASSERT_EQ(updated1, fresh1) << fen << " ply " << ply << " move " << i;
          ASSERT_EQ(updated2, fresh2) << fen << " ply " << ply << " move " << i;
          u64 before;
          if (LowerCodeAfter(board, side, rights, list.from[i], list.to[i], list.promote[i], code2, &before)) {
            ASSERT_EQ(before, fresh2) << fen << " ply " << ply << " move " << i << " worked out before it";
            foreseen++;
          }
          moves++;
          if (!next.InCheck(next.SideKing(side), side)) legal[count++] = i;
        }
        if (count == 0) break;
        const int i = legal[rng() % count];
        char mask;
        board.MakeMove(list.from[i], list.to[i], list.promote[i], &mask);
        rights &= mask;
        side ^= 1;
      }
    }
  }
  EXPECT_GT(moves, 5000);
  // Only castling and en passant are left out.
  EXPECT_GT(foreseen, moves * 9 / 10);
}
}  // namespace

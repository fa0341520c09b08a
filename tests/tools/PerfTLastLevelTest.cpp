// Perft counts its last level without making most moves; these tests hold
// it against the plain count that makes every move and asks InCheck, on
// positions from random games (pins, checks, en passant, castling,
// promotions) and on boards with no king or two.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "board/ChessBoard.h"
#include "engine/Status.h"
#include "movegen/MoveGen.h"
#include "support/EngineSetup.h"
#include "tools/PerfT.h"

namespace {
struct Counts {
  u64 total = 0;
  u64 leaves = 0;
};

// The count as perft defines it: every move made, then the mover's king
// tested.
void PlainCount(char side, int depth, ChessBoard board, char rights, Counts& c) {
  if (depth < 1) {
    c.leaves++;
    return;
  }
  MoveGen list;
  const int n = board.InCheck(board.SideKing(side), side) ? list.GenCheckEvasions(side, &board)
                                                          : list.GenerateAllMoves(side, &board, rights);
  for (int i = 0; i < n; i++) {
    char mask;
    board.MakeMove(list.from[i], list.to[i], list.promote[i], &mask);
    if (!board.InCheck(board.SideKing(side), side)) {
      c.total++;
      PlainCount(side ^ 1, depth - 1, board, rights & mask, c);
    }
    board.UndoMove(i);
  }
}

Counts PerftOf(const ChessBoard& board, int depth) {
  MainBoard = board;
  testing::internal::CaptureStdout();
  PerfT perft(depth);
  testing::internal::GetCapturedStdout();
  return {perft.TotalNodes, perft.LeafNodes};
}

void ExpectSameCounts(const ChessBoard& board, int depth, const std::string& what) {
  Counts plain;
  PlainCount(board.SideToMove, depth, board, board.CastleFlags, plain);
  const Counts perft = PerftOf(board, depth);
  EXPECT_EQ(perft.leaves, plain.leaves) << what << " depth " << depth;
  EXPECT_EQ(perft.total, plain.total) << what << " depth " << depth;
}

// A random legal move played on `board`; false when there is none.
bool PlayRandomMove(ChessBoard& board, std::mt19937& rng) {
  const char side = board.SideToMove;
  MoveGen list;
  const int n = board.InCheck(board.SideKing(side), side) ? list.GenCheckEvasions(side, &board)
                                                          : list.GenerateAllMoves(side, &board, board.CastleFlags);
  for (int tries = 0; tries < 3 * n + 3 && n > 0; tries++) {
    const int i = (int)(rng() % n);
    ChessBoard next = board;
    char mask;
    next.MakeMove(list.from[i], list.to[i], list.promote[i], &mask);
    if (next.InCheck(next.SideKing(side), side)) continue;
    next.CastleFlags &= mask;
    next.SideToMove ^= 1;
    board = next;
    return true;
  }
  return false;
}

TEST(PerfTLastLevelTest, CountsLikeMakingEveryMoveAlongRandomGames) {
  const char* const starts[] = {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
      "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
      "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -",
      "4k3/1P6/8/2pP4/8/8/6p1/4K2R w K -",
  };
  std::mt19937 rng(17);
  int positions = 0;
  for (const char* fen : starts) {
    for (int game = 0; game < 6; game++) {
      ChessBoard board = LoadFen(fen);
      for (int ply = 0; ply < 40; ply++) {
        ExpectSameCounts(board, ply % 5 == 0 ? 3 : 2, std::string(fen) + " after " + std::to_string(ply) + " plies");
        positions++;
        if (!PlayRandomMove(board, rng)) break;
      }
    }
  }
  EXPECT_GT(positions, 500);
}

TEST(PerfTLastLevelTest, CountsLikeMakingEveryMoveWhereTheShortCutsDoNotHold) {
  const char* const fens[] = {
      // After e2-e4: en passant that would expose the king along the fourth
      // rank, and en passant that takes the checking pawn.
      "8/8/8/8/k2p3R/8/4P3/4K3 w - -",
      "8/8/8/5k2/3p4/8/4P3/4K3 w - -",
      // e2-e4 blocks the bishop's check; taking it en passant opens the
      // diagonal again, though the capturing pawn stands on none of the
      // king's lines.
      "8/7k/8/8/3p4/8/2B1P3/4K3 w - -",
      // Men pinned to the king: a knight along the rank, a rook along the
      // file, a pawn on the diagonal with nothing to take; a queen along
      // the rank and a pawn that takes its pinner; a queen along a
      // diagonal, with two pawns on one rank that pin neither; a pawn
      // pinned along its rank.
      "4r1k1/8/8/8/1b6/4R3/3P4/q1N1K3 w - -",
      "3k4/8/8/8/b7/1q6/2PN4/3KQ2r w - -",
      "k7/8/8/8/r1P1P1K1/5Q2/8/3b4 w - -",
      "4k3/8/8/8/1b6/8/K2P3r/8 w - -",
      // Castling through and out of attacked squares.
      "r3k2r/8/8/8/8/8/8/R3K2R w KQkq -",
      "r3k2r/8/8/8/3q4/8/8/R3K2R w KQkq -",
      // No king, and two kings of one side.
      "8/pppppppp/8/8/8/8/PPPPPPPP/8 w - -",
      "4k3/8/8/8/8/8/8/K3K2R w K -",
  };
  for (const char* fen : fens) {
    ChessBoard board = LoadFen(fen);
    for (int depth = 1; depth <= 3; depth++) ExpectSameCounts(board, depth, fen);
  }
}
}  // namespace

#include "tools/PerfT.h"

#include <cinttypes>
#include <cstdio>

#include "board/AttackTables.h"
#include "board/BitOps.h"
#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "board/MoveText.h"
#include "movegen/MoveGen.h"
#include "search/SearchLimits.h"

namespace {
// Whether the side's king would stand attacked on the board MakeMove leaves
// after from-to: InCheck's test on that board, worked out on this one. The
// man on `to`, if any, is gone; `from` is empty and `to` occupied; a king
// that moves is tested on its new square. Not for castling, which moves a
// rook as well, nor en passant, which removes a man from another square.
bool LeavesKingAttacked(const ChessBoard& b, char side, u64 king, u64 from, u64 to) {
  const int sq = SquareIndex(from == king ? to : king);
  const u64 occupied = (b.AllPieces & ~from) | to;
  const u64 attackers =
      side == 0 ? (b.BlackPawns & PawnCaptureSquares[0][sq]) | (b.BlackKnights & KnightSquares[sq]) |
                      (b.BlackKing & KingSquares[sq]) |
                      ((b.BlackBishops | b.BlackQueens) & BishopLookup(sq, occupied)) |
                      ((b.BlackRooks | b.BlackQueens) & RookLookup(sq, occupied))
                : (b.WhitePawns & PawnCaptureSquares[1][sq]) | (b.WhiteKnights & KnightSquares[sq]) |
                      (b.WhiteKing & KingSquares[sq]) |
                      ((b.WhiteBishops | b.WhiteQueens) & BishopLookup(sq, occupied)) |
                      ((b.WhiteRooks | b.WhiteQueens) & RookLookup(sq, occupied));
  return (attackers & ~to) != 0;
}
}  // namespace

PerfT::PerfT(int depth) {
  printf("Starting PerfT test \n");
  TotalNodes = 0;
  LeafNodes = 0;
  Consistent = MainBoard.PieceBoardsAgree();
  const bool tracing = Limits.Trace == 1;
  if (tracing) printf("<Trace name=\"Perft\">\n");
  ChessBoard copy = MainBoard;
  PerformanceTest(MainBoard.SideToMove, depth, copy, MainBoard.CastleFlags);
  if (tracing) printf("</Trace>\n");
  printf("%" PRIu64 " Total Nodes at Depth = %d\n", TotalNodes, depth);
  printf("%" PRIu64 " Leaf Nodes at Depth = %d\n", LeafNodes, depth);
  fflush(stdout);
}

void PerfT::PerformanceTest(char side, int depth, ChessBoard board, char castleRights) {
  if (depth < 1) {
    LeafNodes++;
    return;
  }
  const bool tracing = Limits.Trace == 1;
  // The last level only counts: each legal move adds one to both counters.
  const bool countLastLevel = !tracing && Consistent;
  if (depth == 1 && countLastLevel) {
    const u64 n = CountLegalMoves(side, board, castleRights);
    TotalNodes += n;
    LeafNodes += n;
    return;
  }
  MoveGen list;
  int n = board.InCheck(board.SideKing(side), side) ? list.GenCheckEvasions(side, &board)
                                                    : list.GenerateAllMoves(side, &board, castleRights);
  for (int i = 0; i < n; i++) {
    u64 from, to;
    char promote, mask;
    list.GetMove(i, n, &from, &to, &promote);
    board.MakeMove(from, to, promote, &mask);
    if (board.InCheck(board.SideKing(side), side)) {
      board.UndoMove(i);
      continue;
    }
    TotalNodes++;
    if (tracing) {
      char text[512];
      fillmovestring(text, 0, (char)SquareOf(from), (char)SquareOf(to), promote, 0);
      printf("<Move name=\"{ %snodes %" PRIu64 "\">\n", text, TotalNodes);
    }
    if (depth == 2 && countLastLevel) {
      // Counted on this board, which needs no copy: the count leaves it as
      // it found it.
      const u64 leaves = CountLegalMoves(side ^ 1, board, castleRights & mask);
      TotalNodes += leaves;
      LeafNodes += leaves;
    } else {
      PerformanceTest(side ^ 1, depth - 1, board, castleRights & mask);
    }
    if (tracing) printf("</Move >\n} \n");
    board.UndoMove(i);
  }
}

// The moves are generated as for any level; a move is made (on a copy, so
// the board's own undo record survives) only where its legality cannot be
// read off the board: castling, en passant, a move from a square without
// an own man, or a side with no king or several. A side not in check can
// only expose its king by moving it or by opening one of its lines, so a
// man standing on none of them moves legally (a pawn beside the pawn that
// just made a double step aside: en passant takes a second man away).
u64 PerfT::CountLegalMoves(char side, ChessBoard& board, char castleRights) {
  MoveGen list;
  const u64 king = board.SideKing(side);
  const bool inCheck = board.InCheck(king, side);
  const int n = inCheck ? list.GenCheckEvasions(side, &board) : list.GenerateAllMoves(side, &board, castleRights);
  const u64 own = side ? board.BlackPieces : board.WhitePieces;
  const u64 pawns = side ? board.BlackPawns : board.WhitePawns;
  const u64 enemy = side ? board.WhitePieces : board.BlackPieces;
  const bool oneKing = OneSquare(king);
  u64 free = 0;
  if (oneKing && !inCheck) {
    const u64 lastTo = board.LastTo;
    const u64 besideLast = ((lastTo & ~FileA) >> 1) | ((lastTo & ~FileH) << 1);
    free = own & ~QueenLookup(SquareIndex(king), 0) & ~king & ~(pawns & besideLast);
  }
  u64 legal = 0;
  for (int i = 0; i < n; i++) {
    const u64 from = list.from[i], to = list.to[i];
    if (from & free) {
      legal++;
      continue;
    }
    const int fromSq = SquareIndex(from), toSq = SquareIndex(to);
    const bool castling = from == king && (fromSq - toSq == 2 || toSq - fromSq == 2);
    const bool enPassant = (from & pawns) && !(to & enemy) && ((fromSq ^ toSq) & 7);
    if (oneKing && (from & own) && !castling && !enPassant) {
      legal += !LeavesKingAttacked(board, side, king, from, to);
      continue;
    }
    ChessBoard copy = board;
    char mask;
    copy.MakeMove(from, to, list.promote[i], &mask);
    legal += !copy.InCheck(copy.SideKing(side), side);
  }
  return legal;
}

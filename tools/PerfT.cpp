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

// Calls pinned(man, line) for every own man alone between the side's king
// and an enemy slider on the slider's kind of line; `line` holds the
// squares between the two and the slider's own, the only ones the man may
// still move to. True when a slider with nothing between gives check.
template <typename Pinned>
bool ForEachPin(const ChessBoard& b, char side, Pinned pinned) {
  const u64 king = b.SideKing(side);
  const int kingSq = SquareIndex(king);
  const u64 enemy = side ? b.WhitePieces : b.BlackPieces;
  const u64 enemyLines = side ? b.WhiteRooks | b.WhiteQueens : b.BlackRooks | b.BlackQueens;
  const u64 enemyDiagonals = side ? b.WhiteBishops | b.WhiteQueens : b.BlackBishops | b.BlackQueens;
  // The sliders that see the king through own men only.
  bool check = false;
  auto along = [&](u64 snipers, u64 (*lookup)(int, u64)) {
    for (; snipers; snipers &= snipers - 1) {
      const u64 sniper = LowestBit(snipers);
      const u64 between = lookup(kingSq, sniper) & lookup(SquareIndex(sniper), king);
      const u64 men = between & b.AllPieces;
      if (OneSquare(men)) pinned(men, between | sniper);
      check |= men == 0;
    }
  };
  along(RookLookup(kingSq, enemy) & enemyLines, RookLookup);
  along(BishopLookup(kingSq, enemy) & enemyDiagonals, BishopLookup);
  return check;
}

// The own men whose moves keep the king safe without a test on the board
// after them, for a side with one king, not in check: men off the king's
// lines or not alone on them, but not the king, nor a pawn that may take
// en passant (which takes a man off a second square).
u64 MenMovingFreely(const ChessBoard& b, char side) {
  const u64 king = b.SideKing(side);
  const u64 own = side ? b.BlackPieces : b.WhitePieces;
  const u64 pawns = side ? b.BlackPawns : b.WhitePawns;
  u64 pinned = 0;
  ForEachPin(b, side, [&](u64 man, u64) { pinned |= man; });
  return own & ~king & ~pinned & ~(pawns & ((b.LastTo >> 1) | (b.LastTo << 1)));
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
  const u64 king = board.SideKing(side);
  const bool inCheck = board.InCheck(king, side);
  const int n = inCheck ? list.GenCheckEvasions(side, &board) : list.GenerateAllMoves(side, &board, castleRights);
  const u64 free = countLastLevel && !inCheck && OneSquare(king) ? MenMovingFreely(board, side) : 0;
  for (int i = 0; i < n; i++) {
    u64 from, to;
    char promote, mask;
    list.GetMove(i, n, &from, &to, &promote);
    board.MakeMove(from, to, promote, &mask);
    if (!(from & free) && board.InCheck(board.SideKing(side), side)) {
      board.UndoMove(i);
      continue;
    }
    TotalNodes++;
    // A rook taken on its square takes its right along: no rook that comes
    // there later castles (MakeMove's mask only follows the man that moves).
    // Another rook needs a move to get there and one more to castle, so
    // the last three plies cannot tell.
    if (depth >= 4 && (to & (Rank1 | Rank8) & board.SavedAllPieces) && (castleRights & mask))
      mask &= ~board.RightsOfRookSquare(to);
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

// A side in check, or with no king or several, generates its moves as at
// any level; a move is made (on a copy, so that the board's own undo record
// survives) only where its legality cannot be read off the board:
// castling, en passant, a move from a square without an own man, or a side
// with no king or several. Any other side is counted without a list.
u64 PerfT::CountLegalMoves(char side, ChessBoard& board, char castleRights) {
  const u64 king = board.SideKing(side);
  const bool oneKing = OneSquare(king);
  u64 count;
  if (oneKing && CountOutOfCheck(side, board, castleRights, &count)) return count;
  MoveGen list;
  const bool inCheck = oneKing || board.InCheck(king, side);
  const int n = inCheck ? list.GenCheckEvasions(side, &board) : list.GenerateAllMoves(side, &board, castleRights);
  const u64 own = side ? board.BlackPieces : board.WhitePieces;
  const u64 pawns = side ? board.BlackPawns : board.WhitePawns;
  const u64 enemy = side ? board.WhitePieces : board.BlackPieces;
  u64 legal = 0;
  for (int i = 0; i < n; i++) {
    const u64 from = list.from[i], to = list.to[i];
    const int fromSq = SquareIndex(from), toSq = SquareIndex(to);
    const bool castling = from == king && (fromSq - toSq == 2 || toSq - fromSq == 2 || (to & own));
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

// The generator's moves of a side with one king, not in check, counted off
// the board: each man's targets, with the men pinned to the king held to
// their line. A man off the king's lines cannot expose it; a king's step
// is tested on the board without it; castling that GenCastle lets through
// never ends in check (its squares were tested, and the rook only moves
// beside the king); en passant, which takes a man off a second square, is
// made. Promotions count once: the generator promotes to a queen only.
bool PerfT::CountOutOfCheck(char side, ChessBoard& board, char castleRights, u64* legal) {
  const ChessBoard& b = board;
  const u64 king = b.SideKing(side);
  const int kingSq = SquareIndex(king);
  // A check by a man that does not slide; a slider's shows among the pins.
  const u64 leapers = side ? (b.WhitePawns & PawnCaptureSquares[1][kingSq]) | (b.WhiteKnights & KnightSquares[kingSq]) |
                                 (b.WhiteKing & KingSquares[kingSq])
                           : (b.BlackPawns & PawnCaptureSquares[0][kingSq]) | (b.BlackKnights & KnightSquares[kingSq]) |
                                 (b.BlackKing & KingSquares[kingSq]);
  if (leapers) return false;
  const u64 own = side ? b.BlackPieces : b.WhitePieces;
  const u64 enemy = side ? b.WhitePieces : b.BlackPieces;
  const u64 occupied = b.AllPieces;
  const u64 empty = ~occupied;
  const u64 pawns = side ? b.BlackPawns : b.WhitePawns;
  const u64 knights = side ? b.BlackKnights : b.WhiteKnights;
  const u64 bishops = side ? b.BlackBishops : b.WhiteBishops;
  const u64 rooks = side ? b.BlackRooks : b.WhiteRooks;
  const u64 queens = side ? b.BlackQueens : b.WhiteQueens;

  // A pawn's moves onto the squares allowed: pushes onto empty squares, a
  // double step from its start rank over an empty square, captures.
  auto pawnMoves = [&](u64 men, u64 allowed) -> u64 {
    u64 single, twice, west, east;
    if (side == 0) {
      single = (men << 8) & empty;
      twice = ((single & Rank3) << 8) & empty;
      west = ((men & ~FileA) << 7) & enemy;
      east = ((men & ~FileH) << 9) & enemy;
    } else {
      single = (men >> 8) & empty;
      twice = ((single & Rank6) >> 8) & empty;
      west = ((men & ~FileA) >> 9) & enemy;
      east = ((men & ~FileH) >> 7) & enemy;
    }
    return BitCount64(single & allowed) + BitCount64(twice & allowed) + BitCount64(west & allowed) +
           BitCount64(east & allowed);
  };

  // Pinned men move along their line only.
  u64 count = 0;
  u64 pinned = 0;
  const bool check = ForEachPin(b, side, [&](u64 man, u64 line) {
    pinned |= man;
    const int sq = SquareIndex(man);
    if (man & pawns) count += pawnMoves(man, line);
    else if (man & bishops) count += BitCount64(BishopLookup(sq, occupied) & line);
    else if (man & rooks) count += BitCount64(RookLookup(sq, occupied) & line);
    else if (man & queens) count += BitCount64(QueenLookup(sq, occupied) & line);
  });
  if (check) return false;

  // The free men.
  const u64 targets = ~own;
  for (u64 men = knights & ~pinned; men; men &= men - 1) count += BitCount64(KnightSquares[SquareIndex(men)] & targets);
  for (u64 men = bishops & ~pinned; men; men &= men - 1)
    count += BitCount64(BishopLookup(SquareIndex(men), occupied) & targets);
  for (u64 men = rooks & ~pinned; men; men &= men - 1)
    count += BitCount64(RookLookup(SquareIndex(men), occupied) & targets);
  for (u64 men = queens & ~pinned; men; men &= men - 1)
    count += BitCount64(QueenLookup(SquareIndex(men), occupied) & targets);
  count += pawnMoves(pawns & ~pinned, ~0ULL);

  // The king's steps.
  for (u64 steps = KingSquares[kingSq] & targets; steps; steps &= steps - 1)
    count += !LeavesKingAttacked(b, side, king, king, LowestBit(steps));

  // Castling and en passant, as the generator has them (mostly neither is
  // there to look for).
  const bool mayCastle =
      (castleRights & (side ? BlackKingSide | BlackQueenSide : WhiteKingSide | WhiteQueenSide)) &&
      (king & (side ? Rank8 : Rank1));
  const bool mayTakeEnPassant = pawns & ((b.LastTo >> 1) | (b.LastTo << 1));
  if (!mayCastle && !mayTakeEnPassant) {
    *legal = count;
    return true;
  }
  MoveGen list;
  list.board = &board;
  if (mayCastle) count += list.GenCastle(side, 0, castleRights);
  const int captures = mayTakeEnPassant ? list.GenEnPassant(side, 0) : 0;
  for (int i = 0; i < captures; i++) {
    ChessBoard copy = board;
    char mask;
    copy.MakeMove(list.from[i], list.to[i], list.promote[i], &mask);
    count += !copy.InCheck(copy.SideKing(side), side);
  }
  *legal = count;
  return true;
}

// Moves that may answer a check. King moves come first; against a single
// checker also captures of it and blocks of a slider's ray. Pinned men are
// still produced: callers reject them after making the move.
#include "board/BitOps.h"
#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "movegen/MoveGen.h"

int MoveGen::GenCheckEvasions(char side, ChessBoard* b) {
  board = b;
  const u64 king = b->SideKing(side);
  const u64 enemyPieces = side ? b->WhitePieces : b->BlackPieces;
  const u64 enemyPawns = side ? b->WhitePawns : b->BlackPawns;
  const u64 enemyKnights = side ? b->WhiteKnights : b->BlackKnights;
  const u64 enemyRooksQueens = side ? (b->WhiteRooks | b->WhiteQueens) : (b->BlackRooks | b->BlackQueens);
  const u64 enemyBishopsQueens = side ? (b->WhiteBishops | b->WhiteQueens) : (b->BlackBishops | b->BlackQueens);

  // The checkers, and the check mask: their squares and the rays of the
  // sliders among them.
  int checkers = 0;
  u64 checkMask = 0;
  u64 pawnSquares[2];
  if (side) {
    pawnSquares[0] = (king & FileH) ? 0 : king >> 7;
    pawnSquares[1] = (king & FileA) ? 0 : king >> 9;
  } else {
    pawnSquares[0] = (king & FileA) ? 0 : king << 7;
    pawnSquares[1] = (king & FileH) ? 0 : king << 9;
  }
  for (u64 sq : pawnSquares) {
    if (sq & enemyPawns) {
      checkMask |= sq;
      checkers++;
    }
  }
  u64 knights = enemyKnights & b->KnightMask(king);
  if (knights) {
    checkMask |= knights;
    checkers++;
  }
  u64 rookRays = b->RookCheckMask(king, enemyRooksQueens);
  if (rookRays & enemyRooksQueens) {
    checkMask |= rookRays;
    checkers++;
  }
  u64 bishopRays = b->BishopCheckMask(king, enemyBishopsQueens);
  if (bishopRays & enemyBishopsQueens) {
    checkMask |= bishopRays;
    checkers++;
  }

  // King moves first; only the king can answer a double check.
  int n = GenKingEvasions(side, checkMask, enemyPieces, 0);
  if (checkers != 1) return n;

  // Captures of the single checker and blocks of its ray, by the other men.
  const u64 ownPawns = side ? b->BlackPawns : b->WhitePawns;
  n = GenKnightEvasions(side, checkMask, enemyPieces, n);
  n = GenRookEvasions(side, checkMask, enemyPieces, n);
  n = GenBishopEvasions(side, checkMask, enemyPieces, n);
  n = GenPawnEvasions(side, checkMask, ownPawns, enemyPieces, n);
  n = GenQueenEvasions(side, checkMask, enemyPieces, n);
  return n;
}

// The king is lifted off the board while its squares are tested, so a
// slider's ray runs through its square and it cannot retreat along the line.
int MoveGen::GenKingEvasions(char side, u64, u64, int n) {
  ChessBoard& b = *board;
  u64& own = side ? b.BlackPieces : b.WhitePieces;
  for (u64 kings = b.SideKing(side); kings; kings &= kings - 1) {
    u64 king = LowestBit(kings);
    own &= ~king;
    b.AllPieces &= ~king;
    for (u64 targets = b.KingMask(king) & ~own; targets; targets &= targets - 1) {
      u64 target = LowestBit(targets);
      if (b.InCheck(target, side) == 0) n = AddMove(king, target, NoPromotion, n);
    }
    own |= king;
    b.AllPieces |= king;
  }
  return n;
}

int MoveGen::GenKnightEvasions(char side, u64 checkMask, u64, int n) {
  return AddTargets(Knight, side ? board->BlackKnights : board->WhiteKnights,
                    ~board->SidePieces(side) & checkMask, n);
}

int MoveGen::GenBishopEvasions(char side, u64 checkMask, u64, int n) {
  return AddTargets(Bishop, side ? board->BlackBishops : board->WhiteBishops,
                    ~board->SidePieces(side) & checkMask, n);
}

int MoveGen::GenRookEvasions(char side, u64 checkMask, u64, int n) {
  return AddTargets(Rook, side ? board->BlackRooks : board->WhiteRooks,
                    ~board->SidePieces(side) & checkMask, n);
}

int MoveGen::GenQueenEvasions(char side, u64 checkMask, u64, int n) {
  return AddTargets(Queen, side ? board->BlackQueens : board->WhiteQueens,
                    ~board->SidePieces(side) & checkMask, n);
}

int MoveGen::GenPawnEvasions(char side, u64 checkMask, u64 ownPawns, u64 enemyPieces, int n) {
  const ChessBoard& b = *board;
  const u64 king = b.SideKing(side);
  const u64 empty = ~b.AllPieces;

  if (side == 0) {
    // En passant against a pawn that has just checked with a double step.
    if (king & Rank4) {
      u64 checkers[2] = {(king & FileA) ? 0 : king << 7, (king & FileH) ? 0 : king << 9};
      for (u64 checker : checkers) {
        if (!(checker & b.BlackPawns)) continue;
        u64 beside = ((checker & FileA) ? 0 : checker >> 1) | ((checker & FileH) ? 0 : checker << 1);
        n = AddEnPassant(side, ownPawns & beside, n);
      }
    }
    // Single pushes that block.
    for (u64 t = checkMask & empty & (ownPawns << 8); t; t &= t - 1) {
      u64 target = LowestBit(t);
      n = AddMove(target >> 8, target, (target & Rank8) ? 'Q' : NoPromotion, n);
    }
    // Double pushes that block.
    for (u64 t = Rank4 & (ownPawns << 16) & checkMask & empty; t; t &= t - 1) {
      u64 target = LowestBit(t);
      if (empty & (target >> 8)) n = AddMove(target >> 16, target, NoPromotion, n);
    }
    // Captures of the checker.
    for (u64 t = ((ownPawns & ~FileA) << 7) & checkMask & enemyPieces; t; t &= t - 1) {
      u64 target = LowestBit(t);
      n = AddMove(target >> 7, target, (target & Rank8) ? 'Q' : NoPromotion, n);
    }
    for (u64 t = ((ownPawns & ~FileH) << 9) & checkMask & enemyPieces; t; t &= t - 1) {
      u64 target = LowestBit(t);
      n = AddMove(target >> 9, target, (target & Rank8) ? 'Q' : NoPromotion, n);
    }
    return n;
  }

  if (king & Rank5) {
    u64 checkers[2] = {(king & FileH) ? 0 : king >> 7, (king & FileA) ? 0 : king >> 9};
    for (u64 checker : checkers) {
      if (!(checker & b.WhitePawns)) continue;
      u64 beside = ((checker & FileA) ? 0 : checker >> 1) | ((checker & FileH) ? 0 : checker << 1);
      n = AddEnPassant(side, ownPawns & beside, n);
    }
  }
  for (u64 t = checkMask & empty & (ownPawns >> 8); t; t &= t - 1) {
    u64 target = LowestBit(t);
    n = AddMove(target << 8, target, (target & Rank1) ? 'q' : NoPromotion, n);
  }
  for (u64 t = Rank5 & (ownPawns >> 16) & checkMask & empty; t; t &= t - 1) {
    u64 target = LowestBit(t);
    if (empty & (target << 8)) n = AddMove(target << 16, target, NoPromotion, n);
  }
  for (u64 t = ((ownPawns & ~FileH) >> 7) & checkMask & enemyPieces; t; t &= t - 1) {
    u64 target = LowestBit(t);
    n = AddMove(target << 7, target, (target & Rank1) ? 'q' : NoPromotion, n);
  }
  for (u64 t = ((ownPawns & ~FileA) >> 9) & checkMask & enemyPieces; t; t &= t - 1) {
    u64 target = LowestBit(t);
    n = AddMove(target << 9, target, (target & Rank1) ? 'q' : NoPromotion, n);
  }
  return n;
}

// One node's move list and the generators that fill it. Generation is
// pseudo-legal (callers reject moves that leave their king attacked), except
// castling, whose squares are tested here. Promotions are to a queen only.
#pragma once
#include "board/Types.h"

class ChessBoard;

class MoveGen {
 public:
  static constexpr int Capacity = 335;

  ChessBoard* board;
  u64 from[Capacity];
  u64 to[Capacity];
  char promote[Capacity];
  i32 value[Capacity];
  i32 count;

  // Full list in the fixed generation order; stores and returns the count.
  int GenerateAllMoves(char side, ChessBoard* b, char castleRights);
  // Captures and all pawn moves for the quiescence search.
  int GenerateQuiesceMoves(char side, ChessBoard* b, char castleRights);
  // Moves that may answer a check: king moves, and with a single checker
  // captures of it and blocks.
  int GenCheckEvasions(char side, ChessBoard* b);

  void GetMove(int i, int count, u64* fromOut, u64* toOut, char* promoteOut) const;

  // Swaps the best of moves i .. count-1 into place i (the earliest on ties)
  // and returns it.
  void NextMove(int i, int count, u64* fromOut, u64* toOut, char* promoteOut);

  int GenKnights(char side, int n);
  int GenBishops(char side, int n);
  int GenRooks(char side, int n);
  int GenQueens(char side, int n);
  int GenKings(char side, int n);
  int GenKnightCaptures(char side, int n);
  int GenBishopCaptures(char side, int n);
  int GenRookCaptures(char side, int n);
  int GenQueenCaptures(char side, int n);
  int GenKingCaptures(char side, int n);
  int GenCastle(char side, int n, char castleRights);
  // Castling for a king and rooks on any squares of their first rank.
  int GenCastleAnywhere(char side, int n, char castleRights);
  int GenPawns(char side, int n);
  // The en-passant captures GenPawns makes, alone.
  int GenEnPassant(char side, int n);

  int GenKingEvasions(char side, u64 checkMask, u64 enemyPieces, int n);
  int GenKnightEvasions(char side, u64 checkMask, u64 enemyPieces, int n);
  int GenBishopEvasions(char side, u64 checkMask, u64 enemyPieces, int n);
  int GenRookEvasions(char side, u64 checkMask, u64 enemyPieces, int n);
  int GenQueenEvasions(char side, u64 checkMask, u64 enemyPieces, int n);
  int GenPawnEvasions(char side, u64 checkMask, u64 ownPawns, u64 enemyPieces, int n);

 private:
  enum Slider { Knight, Bishop, Rook, Queen, King };
  // Appends one move per target of every man in `men`, lowest first.
  int AddTargets(Slider kind, u64 men, u64 allowed, int n);
  template <Slider kind>
  int AddTargetsOf(u64 men, u64 allowed, int n);
  int AddMove(u64 f, u64 t, char p, int n);
  int AddEnPassant(char side, u64 pawns, int n);
  bool KingPresent(char side) const;
};

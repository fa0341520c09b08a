// The static evaluation: material, placement, mobility, pawn structure and
// king safety blended by game phase. One instance: PE. Every term reads the
// position through the global pointer bb.
#pragma once
#include "board/Types.h"

class ChessBoard;

class PositionEvaluate {
 public:
  // Score from the side to move's view; alpha and beta only drive the lazy
  // exits (pass -110000, 110000 for the exact value).
  int PosEval(char side, int alpha, int beta, ChessBoard* board);
  int MaterialOnly(char side, const ChessBoard& board) const;
  int SideMaterialValue(char side, const ChessBoard* board) const;
};

extern PositionEvaluate PE;
extern ChessBoard* bb;

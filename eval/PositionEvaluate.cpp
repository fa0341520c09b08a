#include "eval/PositionEvaluate.h"

#include "board/ChessBoard.h"

PositionEvaluate PE;
ChessBoard* bb = nullptr;

// Placeholder until the full evaluation lands: material only.
int PositionEvaluate::PosEval(char side, int, int, ChessBoard* board) {
  bb = board;
  return MaterialOnly(side, *board);
}

int PositionEvaluate::MaterialOnly(char side, const ChessBoard& b) const {
  const i32* w = b.WhiteCounts;
  const i32* k = b.BlackCounts;
  int v = 9750 * (w[0] - k[0]) + 5000 * (w[1] - k[1]) + 3250 * (w[2] + w[3] - k[2] - k[3]) + 800 * (w[4] - k[4]);
  return side == 1 ? -v : v;
}

int PositionEvaluate::SideMaterialValue(char side, const ChessBoard* b) const {
  const i32* c = side ? b->BlackCounts : b->WhiteCounts;
  return 5000 * c[1] + 9750 * c[0] + 3250 * (c[2] + c[3]);
}

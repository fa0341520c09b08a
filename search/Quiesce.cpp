// Quiescence: below the horizon the side to move may stand pat on its static
// score or try captures and promotions, until no capture improves it. No
// depth limit, no check test, no poll, no transposition table.
#include "board/ChessBoard.h"
#include "eval/PawnHash.h"
#include "eval/PositionEvaluate.h"
#include "movegen/MoveGen.h"
#include "movegen/SEE.h"
#include "search/MoveOrdering.h"
#include "search/SearchRoutines.h"

int SearchRoutines::Quiesce(char side, int alpha, int beta, ChessBoard board, int ply) {
  QuiesceNodeCount++;
  PollCountdown--;
  if (ply > SelDepth) SelDepth = ply;
  // The evaluation's first look-up.
  __builtin_prefetch(&Eval.PawnCache->Slot(board.PawnHashCode));
  if (board.CheckDraw(side) != 0) return 0;

  // A side in check stands pat too: evasions are not generated here.
  int best = Eval.PosEval(side, alpha, beta, &board);
  if (best >= beta) return best;
  if (best > alpha) alpha = best;

  MoveGen list;
  const int count = list.GenerateQuiesceMoves(side, &board, board.CastleFlags);
  QuiesceAssignMoveOrderValues(list, count, ply);
  const char enemy = side ^ 1;

  for (int i = 0; i < count; i++) {
    u64 from, to;
    char promote;
    list.NextMove(i, count, &from, &to, &promote);
    // Captures and promotions come first; the first quiet move ends them.
    if (board.IsEmptySquare(to) && promote == NoPromotion) break;
    // Taking the king: the move that led here was illegal.
    if (board.IsKing(enemy, to)) return beta;
    // A capture of a cheaper man is searched only when the exchange does not
    // lose; a promotion to an empty square always goes through the exchange.
    if (ValueCapturedPiece(side, to, &board) < ValueCapturedPiece(enemy, from, &board) &&
        Exchange.StaticExchangeEvaluation(enemy, from, to, &board) < 0)
      continue;

    char castleMask;
    board.MakeMove(from, to, promote, &castleMask);
    if (board.InCheck(board.SideKing(side), side)) {
      board.UndoMove(i);
      continue;
    }
    int v = -Quiesce(enemy, -beta, -alpha, board, ply + 1);
    if (v > best) {
      best = v;
      if (v > alpha) alpha = v;
    }
    board.UndoMove(i);
    if (best >= beta) return best;
  }
  return best;
}

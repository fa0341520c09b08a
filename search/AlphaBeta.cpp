// The full-width node below the root: negamax alpha-beta, fail-soft, with
// the transposition table, reverse futility pruning, the null move and its
// mate-threat detector, internal iterative deepening, check, single-reply
// and mate-threat extensions, late-move reductions, futility at depth 2,
// principal-variation search and a triangular principal-variation table.
#include <cinttypes>
#include <cstdio>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/HashCodes.h"
#include "board/MoveHistory.h"
#include "eval/PositionEvaluate.h"
#include "movegen/MoveGen.h"
#include "search/MoveOrdering.h"
#include "search/SearchRoutines.h"
#include "search/TranspositionTables.h"

namespace {
// Reverse futility margins by remaining depth 1..3.
constexpr int FutilityMargin[4] = {0, 1100, 1925, 2700};
// Doing nothing loses to mate below this.
constexpr int MateThreatBound = -109699;
// A quiet move at depth 2 that cannot bring the material up to alpha.
constexpr int FutilityGap = 3440;
// No null move with this little material of one's own (men other than
// pawns and king) deeper than depth 6, nor when the material is this far
// below beta; one ply less with this much material on the board.
constexpr int NullMoveEndgame = 9300;
constexpr int NullMoveMargin = 2000;
constexpr int NullMoveOpening = 33000;
constexpr int ReducibleMaxValue = 950;

// The position's codes stay on the repetition stack while the node is open.
struct RepetitionEntry {
  RepetitionEntry(MoveHistory& record, u64 code1, u64 code2) : Record(record) {
    Record.InsertHashCodeMoveHistory(code1, code2);
  }
  ~RepetitionEntry() { Record.RetractMove(); }
  MoveHistory& Record;
};

bool Repeated(const MoveHistory& record, const ChessBoard& board, u64 code1, u64 code2) {
  return board.FiftyMoveCount > 2 && record.ThreeFoldRepDetection(board.FiftyMoveCount, code1, code2) > 0;
}

bool HasLegalMove(const ChessBoard& board, char side) {
  ChessBoard b = board;
  MoveGen list;
  const int count = list.GenCheckEvasions(side, &b);
  for (int i = 0; i < count; i++) {
    u64 from, to;
    char promote, castleMask;
    list.GetMove(i, count, &from, &to, &promote);
    b.MakeMove(from, to, promote, &castleMask);
    const bool legal = !b.InCheck(b.SideKing(side), side);
    b.UndoMove(i);
    if (legal) return true;
  }
  return false;
}

bool HasPieces(const ChessBoard& board, char side) {
  u64 own = board.SidePieces(side);
  u64 pawnsAndKing = side ? board.BlackPawns | board.BlackKing : board.WhitePawns | board.WhiteKing;
  return (own & ~pawnsAndKing) != 0;
}

void TraceProbe(const char* what, int v, int alpha, int beta, u64 code1, u64 code2) {
  printf("%s v=%d alpha=%d beta=%d\n", what, v, alpha, beta);
  printf("Upper HC %" PRIu64 " Lower HC %" PRIu64 "\n", code1, code2);
  fflush(stdout);
}
}  // namespace

int SearchRoutines::Search(char side, int alpha, int beta, ChessBoard board, int depth, int ply, char allowNull,
                           char castleRights, char inCheck, char nodeType, int maxPly, const u64* codes) {
  const bool stopping = Settings->FD == 0;  // a fixed depth is never cut short

  if (PollNode()) return 0;
  if (ply > SelDepth) SelDepth = ply;

  // Hash codes, on the repetition stack until every return. A parent
  // that made the move has them already (and has started loading the
  // table's bucket).
  u64 code1, code2;
  if (codes) {
    code1 = codes[0];
    code2 = codes[1];
  } else {
    genhashcode(side, castleRights, &code1, &code2, &board);
    PositionCache.Prefetch(code2);
  }
  RepetitionEntry onStack(Repetitions, code1, code2);
  const char enemy = side ^ 1;

  // Horizon. A side in check is searched on, unless the line has reached
  // the end of the search's tables.
  if (((ply > maxPly || depth <= 0) && !inCheck) || ply >= MaxSearchPly)
    return Horizon(side, alpha, beta, board, depth, ply, code1, code2);

  // Draws, and the opponent's men as they stand. A mate given with the
  // hundredth half-move is still a mate: the fifty-move rule draws only a
  // position the side to move can play on from.
  if (const int draw = board.CheckDraw(side)) {
    if (draw != DrawByFiftyMoves || !inCheck || HasLegalMove(board, side)) return 0;
    return -MateScore + ply;
  }
  const u64 enemyMen = board.SidePieces(enemy);
  const u64 enemyKing = board.SideKing(enemy);
  if (Repeated(Repetitions, board, code1, code2)) return 0;

  // Table probe. A principal-variation node ignores a cut-off but still
  // orders by the table's move.
  int hashMove = 0;
  int probe;
  {
    int v;
    probe = PositionCache.Probe(code1, code2, depth, alpha, beta, &v, &hashMove, TableHits, TableMisses, ply);
    if (probe <= TTExact) {
      if (Settings->Trace) TraceProbe("Position Cache Hit:", v, alpha, beta, code1, code2);
      if (nodeType != PVNode) {
        // The table keeps no promotion byte; its move is recorded as a plain
        // move.
        PrincipalVariation[ply][ply] = PVEntry{(u16)hashMove, (i8)NoPromotion};
        PrincipalVariation[ply][0].Move = (u16)(ply + 1);
        return v;
      }
    }
  }
  // A search for a mate prunes nothing that could hide one: every move is
  // searched to full depth, so a mate in N shows at 2N - 1 plies.
  const bool mateSearch = Settings->Mate != 0;
  const bool pruning = nodeType != PVNode && !mateSearch;

  // Reverse futility pruning (static null move).
  if (pruning && allowNull == 1 && !inCheck && depth <= 3 && beta >= -MateReported && beta <= MateReported &&
      HasPieces(board, side)) {
    int e = Eval.PosEval(side, alpha, beta, &board) - FutilityMargin[depth < 1 ? 1 : depth];
    if (e >= beta) return e;
  }

  // Null move.
  bool mateThreat = false;
  if (pruning && allowNull == 1 && !inCheck && probe != TTAvoidNull) {
    int settled;
    if (NullMove(side, alpha, beta, board, depth, ply, castleRights, nodeType, maxPly, code1, code2, &settled,
                 &mateThreat))
      return settled;
  }

  // Internal iterative deepening, for the table's move.
  if (pruning && beta - alpha >= 2 && depth >= 4) {
    const u64 sameCodes[2] = {code1, code2};
    Search(side, alpha, beta, board, depth - 3, ply, 0, castleRights, inCheck, nodeType, maxPly, sameCodes);
    if (StopSearch && stopping && !Settings->Pondering) return 0;
    int v;
    PositionCache.Probe(code1, code2, depth, alpha, beta, &v, &hashMove, TableHits, TableMisses, ply);
  }

  // Moves.
  MoveGen list;
  bool singleReply = false;
  int count;
  if (inCheck) {
    count = list.GenCheckEvasions(side, &board);
    singleReply = count == 1;
  } else {
    count = list.GenerateAllMoves(side, &board, castleRights);
  }
  AssignMoveOrderValues(*this, list, count, ply, enemyKing, hashMove, nodeType);

  // Move loop.
  int best = NoMoveYet;
  int legal = 0;
  bool alphaRaised = false;
  int bestFutile = 0;
  char childType = nodeType;
  int selected = -1;  // the move already selected into place i + 1
  for (int i = 0; best < beta && i < count; i++) {
    u64 from, to;
    char promote, castleMask;
    if (selected == i) {
      list.GetMove(i, count, &from, &to, &promote);
    } else {
      list.NextMove(i, count, &from, &to, &promote);
    }
    // The next move's child bucket starts loading while this move is
    // searched (the first move of a node expected to cut off mostly ends
    // it). Selecting the next move early selects the same move: the values
    // do not change while the loop runs.
    if (depth > 1 && i + 1 < count && (i > 0 || nodeType != CutNode)) {
      u64 nextFrom, nextTo, nextCode;
      char nextPromote;
      list.NextMove(i + 1, count, &nextFrom, &nextTo, &nextPromote);
      selected = i + 1;
      if (LowerCodeAfter(board, side, castleRights, nextFrom, nextTo, nextPromote, code2, &nextCode))
        PositionCache.Prefetch(nextCode);
    }
    board.MakeMove(from, to, promote, &castleMask);
    if (board.InCheck(board.SideKing(side), side)) {
      board.UndoMove(i);
      continue;
    }
    legal++;
    NodeCount++;
    const char givesCheck = (char)board.InCheck(enemyKing, enemy);
    const bool capture = board.SidePieces(enemy) != enemyMen;
    const bool promotion = promote != NoPromotion;
    const int x = (int)mateThreat + (int)singleReply + givesCheck;
    const char childRights = castleRights & castleMask;
    // A child that may be searched in full (rather than by quiescence) gets
    // its codes from this node's, and its bucket starts loading now.
    u64 childCodes[2] = {code1, code2};
    const u64* knownCodes = nullptr;
    if (depth > 1 || x > 0) {
      UpdateHashCodes(side, castleRights, enemy, childRights, &childCodes[0], &childCodes[1], &board);
      PositionCache.Prefetch(childCodes[1]);
      knownCodes = childCodes;
    }

    const bool reducible = legal >= 3 && !promotion && depth >= 3 && !givesCheck && ply != 1 && !mateThreat &&
                           !singleReply && !capture && list.value[i] <= ReducibleMaxValue &&
                           (!board.IsPawn(side, to) || EnemyPawnAhead(board, side, to));
    const int extension = (childType == PVNode || givesCheck) && x > 0 ? 1 : 0;
    int r = 0, f = 0;
    if (extension == 0 && !mateSearch) {
      if (reducible && !inCheck) r = depth > 3 ? 2 : 1;
      if (depth == 2 && !inCheck && childType != PVNode && !promotion && !capture &&
          alpha > Eval.MaterialOnly(side, board) + FutilityGap)
        f = 1;
    }
    if (legal == 1 || nodeType != PVNode) childType = nodeType == CutNode ? AllNode : nodeType == AllNode ? CutNode : PVNode;
    const int cd = depth - 1 + extension - f - r;
    // The child's line starts empty: a child that records none (quiescence,
    // a draw, a mate, a pruned node) must not pass on another branch's moves.
    PrincipalVariation[ply + 1][0].Move = (u16)(ply + 1);

    int v;
    if (legal == 1 || nodeType != PVNode) {
      if (cd > 0 || givesCheck)
        v = -Search(enemy, -beta, -alpha, board, cd, ply + 1, 1, childRights, givesCheck, childType, maxPly,
                    knownCodes);
      else
        v = -Quiesce(enemy, -beta, -alpha, board, ply + 1);
    } else {
      if (cd > 0 || givesCheck) {
        v = -Search(enemy, -alpha - 1, -alpha, board, cd, ply + 1, 1, childRights, givesCheck, AllNode, maxPly,
                    knownCodes);
        if (!(StopSearch && stopping) && alpha < v && v < beta)
          v = -Search(enemy, -beta, -alpha, board, cd, ply + 1, 1, childRights, givesCheck, AllNode, maxPly,
                      knownCodes);
      } else {
        v = -Quiesce(enemy, -beta, -alpha, board, ply + 1);
      }
      childType = AllNode;
    }
    if (!(StopSearch && stopping) && r > 0 && v > alpha)
      v = -Search(enemy, -beta, -alpha, board, depth - 1 + extension, ply + 1, 1, childRights, givesCheck, PVNode,
                  maxPly, knownCodes);
    if (StopSearch && stopping) return 0;

    board.UndoMove(i);
    if (Aborted) return 0;

    if (v > best) {
      best = v;
      bestFutile = f;
      if (v > alpha) {
        const int m = SquareOf(from) * 64 + SquareOf(to);
        RecordLine(ply, m, promote, depth + extension == 1);
        if (v >= beta) {
          AddHistory(side, m, depth);
          if (board.IsEmptySquare(to) && !promotion) AddKiller(ply, m);
        }
        alpha = v;
        alphaRaised = true;
      }
    }
  }

  // No legal move: mated, stalemated, or the opponent is in check (an
  // illegal position).
  if (legal == 0) {
    if (inCheck) best = -MateScore + ply;
    else if (board.InCheck(enemyKing, enemy)) best = MateScore - ply;
    else best = -ply;
  }

  // Store, unless the best move was a futile one. A node without a move
  // has its exact score (a mate or a stalemate), whatever the window: kept
  // as the window's alpha it would say the node is worse than it is.
  if (!bestFutile)
    StoreBound(code1, code2, depth, ply, PrincipalVariation[ply][ply].Move, best, alpha, beta,
               alphaRaised || legal == 0);
  return best;
}

int SearchRoutines::Horizon(char side, int alpha, int beta, const ChessBoard& board, int depth, int ply, u64 code1,
                            u64 code2) {
  if (Repeated(Repetitions, board, code1, code2)) return 0;
  int v, move = 0;
  if (PositionCache.Probe(code1, code2, depth, alpha, beta, &v, &move, TableHits, TableMisses, ply) <= TTExact) {
    LeafNodeCount++;
    return v;
  }
  v = Quiesce(side, alpha, beta, board, ply + 1);
  StoreBound(code1, code2, depth, ply, 0, v, alpha, beta, v > alpha);
  LeafNodeCount++;
  return v;
}

void SearchRoutines::StoreBound(u64 code1, u64 code2, int depth, int ply, int move, int v, int alpha, int beta,
                                bool aboveAlpha) {
  if (v >= beta) PositionCache.InsertTranspositionTables(code1, code2, depth, (short)move, v, LowerBound, ply);
  else if (aboveAlpha) PositionCache.InsertTranspositionTables(code1, code2, depth, (short)move, v, ExactBound, ply);
  else PositionCache.InsertTranspositionTables(code1, code2, depth, (short)move, alpha, UpperBound, ply);
}

void SearchRoutines::RecordLine(int ply, int move, char promote, bool lastPly) {
  PVEntry* row = PrincipalVariation[ply];
  row[ply] = PVEntry{(u16)move, (i8)promote};
  if (lastPly) {
    row[0].Move = (u16)(ply + 1);
    return;
  }
  const PVEntry* child = PrincipalVariation[ply + 1];
  int end = child[0].Move;
  if (end > SearchTableRows) end = SearchTableRows;
  row[0].Move = (u16)end;
  for (int j = ply + 1; j < end; j++) row[j] = child[j];
}

bool SearchRoutines::NullMove(char side, int alpha, int beta, const ChessBoard& board, int depth, int ply,
                              char castleRights, char nodeType, int maxPly, u64 code1, u64 code2, int* settled,
                              bool* mateThreat) {
  // Against a mate in hand a pass proves nothing: its shallow search ends
  // in quiescence, whose standing pat would wave away the mate and let a
  // longer one be reported.
  if (beta < -MateReported) return false;
  const int own = Eval.SideMaterialValue(side, &board);
  if (own <= NullMoveEndgame && depth > 6) return false;
  if (beta > Eval.MaterialOnly(side, board) + NullMoveMargin) return false;
  const char enemy = side ^ 1;
  const int opp = Eval.SideMaterialValue(enemy, &board);
  int d = depth <= 5 ? depth - 3 : depth - 4;
  if (own + opp > NullMoveOpening) d -= 1;
  // The same men with the other side to move.
  const u64 nullCodes[2] = {code1 ^ WtoMove ^ BtoMove, code2 ^ WtoMove ^ BtoMove};
  PositionCache.Prefetch(nullCodes[1]);
  int v = -Search(enemy, -beta, -beta + 1, board, d, ply + 2, 0, castleRights, 0, nodeType, maxPly, nullCodes);
  if (StopSearch && Settings->FD == 0) {
    *settled = 0;
    return true;
  }
  if (v >= beta) {
    // A mate behind the null move is no mate of this node: passing is not a
    // move, and the child counts its plies from ply + 2. The table learns
    // only that the node holds beta.
    const int bound = v > MateBound || v < -MateBound ? beta : v;
    PositionCache.InsertTranspositionTables(code1, code2, depth - 3, 0, bound, LowerBound, ply);
    if (Settings->Trace) TraceProbe("Position Cache Insert (NullM):", v, alpha, beta, code1, code2);
    PrincipalVariation[ply][0].Move = 0;
    *settled = beta;
    return true;
  }
  *mateThreat = v < MateThreatBound;
  return false;
}

// One iteration at the root: the book at depth 1, then every root move
// through the full-width search (the first with the full window, the others
// with null-window probes and a reduced probe for quiet late moves), keeping
// the best move, the second-best score and the principal variation, and
// printing the thinking lines. Also the exact-depth search of the benchmarks.
#include <cstdio>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/HashCodes.h"
#include "board/MoveHistory.h"
#include "board/MoveText.h"
#include "engine/OpeningBook.h"
#include "engine/Status.h"
#include "engine/UCIProtocol.h"
#include "movegen/MoveGen.h"
#include "search/InputPoll.h"
#include "search/SearchRoutines.h"

namespace {
int SquareOf(u64 mask) { return RightMostBit(mask) - 1; }

constexpr int ReducibleMaxValue = 950;
}  // namespace

// The xboard thinking line (when posting, and for a new best move only from
// depth 8 on) or the UCI info line of a root result.
void SearchRoutines::PrintRootLine(int depth, int v, u64 from, u64 to, char promote, bool newBest) {
  const Status& s = MainStatus;
  char text[PVTextSize];
  fillmovestring(text, v, (char)SquareOf(from), (char)SquareOf(to), promote, 1);
  const long long nodes = NodeCount + QuiesceNodeCount;
  if (s.Post && s.xboard && !(newBest && IterationDepth <= 7)) {
    printf("%d %d %d %lld%s", depth, v / 10, s.ElapsedSeconds, nodes, text);
    fflush(stdout);
  }
  if (s.UCIMode) {
    printf("info depth %d score cp %d", depth, v / 10);
    if (s.Analyze) printf(" time %d", s.ElapsedSeconds * 1000);
    printf(" nodes %lld pv%s", nodes, text);
    fflush(stdout);
  }
}

int SearchRoutines::SearchTreeRoot(char side, ChessBoard board, int alpha, int beta, int depth, u64* from, u64* to,
                                   char* promo, char castleRights) {
  Status& s = MainStatus;
  const bool stopping = s.FD == 0;
  const char enemy = side ^ 1;

  // 1. The book answers the first iteration without a search.
  if (s.BenchNumber == 0 && s.OwnBook == 1 && depth == 1) {
    int index = InBook(side, castleRights, MainBoard);
    if (index >= 0) {
      MoveGen list;
      int count = list.GenerateAllMoves(side, &board, castleRights);
      list.GetMove(index, count, from, to, promo);
      BookMove = 1;
      BookExitPly = s.GamePly;
      return count;
    }
    s.BookMisses++;
  }

  // 2.-4. The previous iteration's best move is the answer until a root move
  // is completed.
  if (s.UCIMode) {
    printf("info depth %d\n", depth);
    fflush(stdout);
  }
  const PVEntry previous = PrincipalVariation[0][0];
  u64 answerFrom = SquareMask((previous.Move >> 6) & 63);
  u64 answerTo = SquareMask(previous.Move & 63);
  char answerPromote = (char)previous.Promote;
  WriteLogLine("Init Tree Root Search Choice From=%d  To=%d  Promo=%c\n", (previous.Move >> 6) & 63,
               previous.Move & 63, answerPromote);

  SecondBestValue = NoMoveYet;
  IterationDepth = depth;
  MoveGen list;
  const int count = list.GenerateAllMoves(side, &board, castleRights);
  RootMoveCount = count;
  const u64 enemyKing = board.SideKing(enemy);
  list.AssignMoveOrderValues(count, 0, enemyKing, 0, 1);
  const int maxPly = board.RootDepth;
  int best = NoMoveYet;
  int legal = 0;
  int v = NoMoveYet;
  int report = 0;  // 1 or 2: a hard stop inside or after a root move's search
  bool normalEnd = true;
  int i;

  // 5. The root moves.
  for (i = 0; i < count && best < beta; i++) {
    if (TimeUp && stopping && !s.Pondering) {
      WriteLogLine("Tree Root Search Interrupted at m=%d LegalMoves=%d NumMove=%d\n", i, legal, count);
      normalEnd = false;
      break;
    }
    RootMoveNumber = i + 1;
    u64 f, t;
    char p, castleMask;
    list.NextMove(i, count, &f, &t, &p);
    const u64 enemyMen = board.SidePieces(enemy);
    board.MakeMove(f, t, p, &castleMask);
    if (board.InCheck(board.SideKing(side), side)) {
      board.UndoMove(i);
      continue;
    }
    legal++;
    NodeCount++;

    if (s.UCIMode) {
      if (UCI.UCIShowCurrLine && depth > 8 && NodeCount + QuiesceNodeCount > 3LL * s.NodesPerSecond) {
        const int fs = SquareOf(f), ts = SquareOf(t);
        printf("info currmove %c%d%c%d currmovenumber %d\n", files[fs & 7], fs / 8 + 1, files[ts & 7], ts / 8 + 1,
               legal);
      }
      fflush(stdout);
    }

    const char gives = (char)board.InCheck(enemyKing, enemy);
    const bool capture = board.SidePieces(enemy) != enemyMen;
    const int pieces = board.WhiteCounts[0] + board.WhiteCounts[1] + board.WhiteCounts[2] + board.WhiteCounts[3] +
                       board.BlackCounts[0] + board.BlackCounts[1] + board.BlackCounts[2] + board.BlackCounts[3];
    const bool reducible = p == NoPromotion && depth >= 3 && legal >= 3 && !gives && !capture &&
                           list.value[i] <= ReducibleMaxValue && pieces > 2;
    const char childRights = castleRights & castleMask;
    const int childDepth = depth + gives - 1;
    // The child's line starts empty, so that no other branch's moves follow
    // this one in the principal variation.
    PrincipalVariation[1][0].Move = 1;

    if (depth + gives == 1) {
      v = -Quiesce(enemy, -beta, -alpha, board, 1);
    } else if (legal == 1) {
      v = -Search(enemy, -beta, -alpha, board, childDepth, 1, 1, childRights, gives, 1, maxPly);
    } else {
      bool done = false;
      if (reducible) {
        v = -Search(enemy, -alpha - 1, -alpha, board, depth - 2, 1, 1, childRights, 0, 3, maxPly);
        if (StopSearch && stopping && !s.Pondering) {
          report = 1;
          break;
        }
        done = v <= alpha;
      }
      if (!done) {
        v = -Search(enemy, -alpha - 1, -alpha, board, childDepth, 1, 1, childRights, gives, 3, maxPly);
        if (StopSearch && stopping && !s.Pondering) {
          report = 1;
          break;
        }
        if (alpha < v && v < beta) v = -Search(enemy, -beta, -alpha, board, childDepth, 1, 1, childRights, gives, 1, maxPly);
      }
    }

    board.UndoMove(i);
    if (StopSearch && stopping && !s.Pondering) {
      report = 2;
      break;
    }
    if (Aborted) {
      normalEnd = false;
      break;
    }

    if (v > best) {
      SecondBestValue = best;
      answerFrom = f, answerTo = t, answerPromote = p;
      if (depth > 9 && (s.MovesPerSession == 0 || s.MovesPerSession > 2) && v + 200 < RootValue &&
          s.TimeLeft / 4 >= s.TimeInc * 1000)
        FailingLow = 1;
      best = v;
      if (v > alpha) {
        BestMoveChanges++;
        PrincipalVariation[0][0] = PVEntry{(u16)(SquareOf(f) * 64 + SquareOf(t)), (i8)p};
        PVLength = PrincipalVariation[1][0].Move;
        if (PVLength > SearchTableRows) PVLength = SearchTableRows;
        for (int j = 1; j < PVLength; j++) PrincipalVariation[0][j] = PrincipalVariation[1][j];
        if (depth > 7) {
          char text[PVTextSize];
          fillmovestring(text, v, (char)SquareOf(f), (char)SquareOf(t), p, 1);
          WriteLogLine("ply %d  v %d  TimeLastPly %d  TotalNodes %lld  %s", depth, v, s.ElapsedSeconds,
                       (long long)(NodeCount + QuiesceNodeCount), text);
        }
        PrintRootLine(depth, v, f, t, p, true);
        alpha = v;
      }
    } else if (v > SecondBestValue) {
      SecondBestValue = v;
    }
  }

  // 6. A hard stop: the answer is the best completed move (or the previous
  // iteration's), and the score the interrupted search's.
  if (report != 0) {
    WriteLogLine("Tree Search #%d Interrupted at m=%d LegalMoves=%d NumMove=%d\n", report, i, legal, count);
    *from = answerFrom, *to = answerTo, *promo = answerPromote;
    WriteLogLine("Tree Root Search Choice #1 From=%d  To=%d  Promo=%d\n", SquareOf(answerFrom), SquareOf(answerTo),
                 (int)answerPromote);
    PrintRootLine(depth, v, answerFrom, answerTo, answerPromote, false);
    return v;
  }

  // 7. End of the loop.
  if ((Aborted || TimeUp || StopSearch) && !s.Pondering) {
    PrintRootLine(depth, v, answerFrom, answerTo, answerPromote, false);
    if (StopSearch) return best;
  }
  if (normalEnd) {
    LegalMoves = legal;
    if (legal == 0) {
      if (board.InCheck(board.SideKing(side), side)) best = -MateScore;
      else if (board.InCheck(enemyKing, enemy)) best = MateScore;
      else best = StalemateScore;
    }
  }
  *from = answerFrom, *to = answerTo, *promo = answerPromote;
  return best;
}

int SearchRoutines::SearchExactDepth(ChessBoard board, char depth, u64* from, u64* to, char* promo) {
  Status& s = MainStatus;
  s.ElapsedSeconds = 0;
  s.MaxPlyReached = 0;
  NodeCount = LeafNodeCount = QuiesceNodeCount = 0;
  BookMove = TimeUp = StopSearch = Aborted = 0;
  LegalMoves = 0;

  const int searchDepth = depth < 1 ? 200 : depth;
  const int plyLimit = depth < 1 ? 400 : 2 * depth;

  u64 code1, code2;
  PrepareRoot(board, &code1, &code2);
  MoveList.InsertMoveHistory(code1, code2);
  s.MaxPlyReached = 0;
  board.RootDepth = plyLimit;
  s.CompletedDepth = s.FD;

  InitValues();
  return SearchTreeRoot(board.SideToMove, board, -MateScore, MateScore, searchDepth, from, to, promo,
                        board.CastleFlags);
}

// One iteration at the root: the book at depth 1, then every root move
// through the full-width search (the first with the full window, the others
// with null-window probes and a reduced probe for quiet late moves), keeping
// the best move, the second-best score and the principal variation, and
// reporting each new best move; with several lines, the best moves with
// their scores and lines. Also the exact-depth search of the benchmarks.
#include <algorithm>
#include <cstring>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/MoveHistory.h"
#include "movegen/MoveGen.h"
#include "search/MoveOrdering.h"
#include "search/OpeningBook.h"
#include "search/PolyglotBook.h"
#include "search/SearchRoutines.h"
#include "search/SearchThreads.h"
#include "search/InputPoll.h"
#include "search/TimeControl.h"

namespace {
constexpr int ReducibleMaxValue = 950;
}  // namespace

int SearchRoutines::BookAnswer(char side, ChessBoard& board, char castleRights, u64* from, u64* to, char* promo) {
  const int index = InBook(side, castleRights, MainBoard);
  MoveGen list;
  const int count = list.GenerateAllMoves(side, &board, castleRights);
  if (index >= 0) {
    list.GetMove(index, count, from, to, promo);
  } else {
    // The book file, when one is open: its move is one of the position's
    // legal moves, and what is wrong with the file is reported. Its lines
    // are standard chess's: a Chess960 game plays none of them.
    if (Chess960 || !Book.Asks(Clock.GamePly)) return -1;
    Listener->BookLookup();
    LegalMove chosen;
    std::vector<std::string> problems;
    const bool found = Book.Probe(board, Clock.GamePly, &chosen, &problems);
    for (const std::string& problem : problems) Listener->BookProblem(problem.c_str());
    if (!found) return -1;
    *from = chosen.From, *to = chosen.To, *promo = chosen.Promote;
  }
  BookMove = 1;
  Clock.BookExitPly = Clock.GamePly;
  return count;
}

int SearchRoutines::SearchTreeRoot(char side, ChessBoard board, int alpha, int beta, int depth, u64* from, u64* to,
                                   char* promo, char castleRights) {
  const bool stopping = Settings->FD == 0;
  const char enemy = side ^ 1;

  // The book answers the first iteration without a search; analysis and a
  // mate search want a search whatever the book knows.
  if (!Settings->Benchmark && Settings->OwnBook == 1 && depth == 1 && Settings->SearchMoves.empty() &&
      !Settings->Analyze && Settings->Mate == 0) {
    const int count = BookAnswer(side, board, castleRights, from, to, promo);
    if (count >= 0) return count;
  }

  // The previous iteration's best move is the answer until a root move is
  // completed.
  Listener->IterationStarted(depth);
  const PVEntry previous = PrincipalVariation[0][0];
  u64 answerFrom = SquareMask((previous.Move >> 6) & 63);
  u64 answerTo = SquareMask(previous.Move & 63);
  char answerPromote = (char)previous.Promote;

  SecondBestValue = NoMoveYet;
  IterationDepth = depth;
  MoveGen list;
  const int count = list.GenerateAllMoves(side, &board, castleRights);
  RootMoveCount = count;
  const u64 enemyKing = board.SideKing(enemy);
  AssignMoveOrderValues(*this, list, count, 0, enemyKing, 0, PVNode);
  // Several lines (the main search's): the first LineCount moves are
  // searched with the full window, each later one against the score of the
  // last line (alpha), which it must beat to become a line.
  const bool severalLines = LineCount > 1 && HelperNumber == 0;
  const int firstAlpha = alpha;
  if (severalLines) {
    LinesFound.clear();
    OrderPreviousLines(*this, list, count);
  }
  const int maxPly = board.RootDepth;
  int best = NoMoveYet;
  int legal = 0;
  int skipped = 0;  // legal moves the front end left out
  int v = NoMoveYet;
  bool stoppedInMove = false;  // a hard stop inside or after a root move's search
  bool normalEnd = true;
  int i;

  // The root moves.
  for (i = 0; i < count && best < beta; i++) {
    if (TimeUp && stopping && !Settings->Pondering) {
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
    if (!Settings->RootMoveAllowed(SquareOf(f), SquareOf(t))) {
      board.UndoMove(i);
      skipped++;
      continue;
    }
    legal++;
    NodeCount++;

    Listener->CurrentMove(depth, f, t, legal);

    const char gives = (char)board.InCheck(enemyKing, enemy);
    const bool capture = board.SidePieces(enemy) != enemyMen;
    // Queens, rooks, bishops and knights of both sides.
    int pieces = 0;
    for (int kind = Queens; kind <= Knights; kind++) pieces += board.WhiteCounts[kind] + board.BlackCounts[kind];
    // A search for a mate reduces no root move: a mate there must show.
    const bool reducible = p == NoPromotion && depth >= 3 && legal >= 3 && !gives && !capture &&
                           list.value[i] <= ReducibleMaxValue && pieces > 2 && Settings->Mate == 0;
    const char childRights = castleRights & castleMask;
    const int childDepth = depth + gives - 1;
    // The child's line starts empty, so that no other branch's moves follow
    // this one in the principal variation.
    PrincipalVariation[1][0].Move = 1;

    if (depth + gives == 1) {
      v = -Quiesce(enemy, -beta, -alpha, board, 1);
    } else if (legal == 1 || (severalLines && (int)LinesFound.size() < LineCount)) {
      v = -Search(enemy, -beta, -alpha, board, childDepth, 1, 1, childRights, gives, PVNode, maxPly);
    } else {
      bool done = false;
      if (reducible) {
        v = -Search(enemy, -alpha - 1, -alpha, board, depth - 2, 1, 1, childRights, 0, AllNode, maxPly);
        if (StopSearch && stopping && !Settings->Pondering) {
          stoppedInMove = true;
          break;
        }
        done = v <= alpha;
      }
      if (!done) {
        v = -Search(enemy, -alpha - 1, -alpha, board, childDepth, 1, 1, childRights, gives, AllNode, maxPly);
        if (StopSearch && stopping && !Settings->Pondering) {
          stoppedInMove = true;
          break;
        }
        if (alpha < v && v < beta)
          v = -Search(enemy, -beta, -alpha, board, childDepth, 1, 1, childRights, gives, PVNode, maxPly);
      }
    }

    board.UndoMove(i);
    if (StopSearch && stopping && !Settings->Pondering) {
      stoppedInMove = true;
      break;
    }
    if (Aborted) {
      normalEnd = false;
      break;
    }

    if (v > best) {
      SecondBestValue = best;
      answerFrom = f, answerTo = t, answerPromote = p;
      // A helper keeps no clock (the main search's front end may be
      // changing it).
      if (HelperNumber == 0 && depth > 9 && (Clock.MovesPerSession == 0 || Clock.MovesPerSession > 2) &&
          v + 200 < RootValue &&
          Clock.TimeLeft / 4 >= Clock.TimeInc * 1000)
        FailingLow = 1;
      best = v;
      if (v > alpha) {
        BestMoveChanges++;
        PrincipalVariation[0][0] = PVEntry{(u16)(SquareOf(f) * 64 + SquareOf(t)), (i8)p};
        PVLength = PrincipalVariation[1][0].Move;
        if (PVLength > SearchTableRows) PVLength = SearchTableRows;
        for (int j = 1; j < PVLength; j++) PrincipalVariation[0][j] = PrincipalVariation[1][j];
        Listener->RootResult(depth, v, f, t, p, true);
        if (!severalLines) alpha = v;
      }
    } else if (v > SecondBestValue) {
      SecondBestValue = v;
    }
    if (severalLines) KeepLine(v, f, t, p, firstAlpha, &alpha);
  }

  // A hard stop: the answer is the best completed move (or the previous
  // iteration's), and the score the interrupted search's.
  if (stoppedInMove) {
    *from = answerFrom, *to = answerTo, *promo = answerPromote;
    Listener->RootResult(depth, v, answerFrom, answerTo, answerPromote, false);
    return v;
  }

  // The end of the loop: an interrupted iteration reports its answer.
  if ((Aborted || TimeUp || StopSearch) && !Settings->Pondering) {
    Listener->RootResult(depth, v, answerFrom, answerTo, answerPromote, false);
    if (StopSearch) return best;
  }
  if (normalEnd) {
    // Every move searched: the lines are the iteration's, also when the
    // search played fewer moves than lines were asked for (each has its
    // line then).
    const int found = (int)LinesFound.size();
    if (severalLines && found > 0 && (found == LineCount || (i == count && found == legal))) {
      Lines.swap(LinesFound);
      LinesDepth = depth;
    }
    LegalMoves = legal + skipped;
    if (LegalMoves == 0) {
      if (board.InCheck(board.SideKing(side), side)) best = -MateScore;
      else if (board.InCheck(enemyKing, enemy)) best = MateScore;
      else best = StalemateScore;
    }
  }
  *from = answerFrom, *to = answerTo, *promo = answerPromote;
  return best;
}

void SearchRoutines::KeepLine(int v, u64 from, u64 to, char promote, int firstAlpha, int* alpha) {
  if ((int)LinesFound.size() >= LineCount && v <= *alpha) return;
  RootLine line;
  line.Score = v;
  line.From = from, line.To = to, line.Promote = promote;
  line.PVLength = std::clamp<int>(PrincipalVariation[1][0].Move, 1, SearchTableRows);
  line.Line[0] = PVEntry{(u16)(SquareOf(from) * 64 + SquareOf(to)), (i8)promote};
  for (int j = 1; j < line.PVLength; j++) line.Line[j] = PrincipalVariation[1][j];
  // Best first; of equal scores the line found first stays first.
  const auto place = std::upper_bound(LinesFound.begin(), LinesFound.end(), v,
                                      [](int score, const RootLine& other) { return score > other.Score; });
  LinesFound.insert(place, line);
  if ((int)LinesFound.size() > LineCount) LinesFound.pop_back();
  *alpha = (int)LinesFound.size() == LineCount ? LinesFound.back().Score : firstAlpha;
}

int SearchRoutines::SearchExactDepth(ChessBoard board, char depth, u64* from, u64* to, char* promo) {
  Clock.ElapsedSeconds = 0;
  NodeCount = LeafNodeCount = QuiesceNodeCount = 0;
  BookMove = TimeUp = StopSearch = Aborted = 0;
  LegalMoves = 0;

  const int searchDepth = depth < 1 ? 200 : depth;
  const int plyLimit = depth < 1 ? 400 : 2 * depth;

  u64 code1, code2;
  if (this == &::Search) Threads.SearchAlone();
  PrepareRoot(board, MoveList, &code1, &code2);
  Clock.StartTime = ClockMs();
  Repetitions.InsertMoveHistory(code1, code2);
  board.RootDepth = plyLimit;
  CompletedDepth = Settings->FD;

  InitValues();
  SelDepth = 0;
  LineCount = 1;
  return SearchTreeRoot(board.SideToMove, board, -MateScore, MateScore, searchDepth, from, to, promo,
                        board.CastleFlags);
}

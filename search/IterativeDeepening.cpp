// The driver between a front end and the root search: the per-move budget
// from the clock, iterations at depth 1, 2, 3 ... with the full window, and
// the decision to go on. What it finds it reports to the front end's
// listener; the move is left to the caller to play.
#include <algorithm>
#include <cstring>

#include "board/ChessBoard.h"
#include "board/HashCodes.h"
#include "search/InputPoll.h"
#include "search/SearchLimits.h"
#include "search/SearchRoutines.h"
#include "search/SearchThreads.h"
#include "search/StrengthLevel.h"
#include "search/TimeControl.h"

namespace {
// A first iteration whose best move is this far ahead of the rest.
constexpr int EasyMoveGap = 2949;
// Deepest iteration when no depth is asked for.
constexpr int DefaultDepthLimit = 100;
}  // namespace

// The check before an iteration: true when the budget is spent and the
// search must finish with the move it has. (The budget running out here
// finishes with the best move so far rather than aborting without a move.)
bool SearchRoutines::BudgetSpentAtIteration() {
  TimeControl& clock = Clock;
  if (!Limits.Analyze && !Limits.Pondering && Limits.FD == 0 && clock.Elapsed() >= clock.TimePerMove) {
    if (FailingLow && !clock.TimeExtended && clock.ST == 0) {
      clock.ExtendForFailLow(&TimeUp);
      clock.NpsCalibrated = 2;
      return false;
    }
    TimeUp = 1;
    StopSearch = 1;
    return true;
  }
  if (Limits.Analyze) {
    const i32 ownSpeed = clock.MeasureAnalysisSpeed(NodeCount + QuiesceNodeCount);
    Listener->AnalysisSpeed(AllThreadsSpeed(ownSpeed));
  }
  return false;
}

int SearchRoutines::PlayAtLevel(const ChessBoard& board, int v, u64* from, u64* to, char* promotion) {
  // The level's move among the last complete iteration's lines.
  if (LinesDepth > 0 && !Lines.empty()) {
    const char enemy = board.SideToMove ^ 1;
    const bool loneKing = (enemy ? board.BlackPieces : board.WhitePieces) == board.SideKing(enemy);
    const RootLine& chosen = Lines[Level.ChooseLine(Lines.data(), (int)Lines.size(), loneKing)];
    *from = chosen.From, *to = chosen.To, *promotion = chosen.Promote;
    v = chosen.Score;
    PVLength = chosen.PVLength;
    memcpy(PrincipalVariation[0], chosen.Line, sizeof(PVEntry) * chosen.PVLength);
  }
  // A person takes some time over a move: a timed search that was quicker
  // waits (hearing its commands) for the time the level gives the move.
  // A search that only nodes or a mate to find end has no such time.
  if (Limits.FD != 0 || Limits.Pondering || Aborted || StopSearch || Clock.ST == AnalysisTime) return v;
  const i32 think = Level.ThinkTime(Clock.TimePerMove, LegalMoves, Lines.data(), (int)Lines.size());
  for (;;) {
    const i32 left = think - Clock.Elapsed();
    if (left <= 0 || Aborted || StopSearch) break;
    if (Listener->Poll() == PollResult::Stop) {
      Aborted = StopSearch = TimeUp = 1;
      break;
    }
    PauseForInput(std::min<i32>(left, 10));
  }
  return v;
}

bool SearchRoutines::LinesDecided() const {
  if (LineCount <= 1) return true;
  for (const RootLine& line : Lines)
    if (line.Score <= MateReported && line.Score >= -MateReported) return false;
  return true;
}

void SearchRoutines::PrepareRoot(ChessBoard& board, const MoveHistory& record, u64* code1, u64* code2) {
  Engine = &ChosenEngine();
  board.InitPieceCounts();
  Repetitions.CopyRecord(record);
  RootPosition = board;
  ClearPrincipalVariation();
  PromoteKillers();
  unsigned long pawnCode;
  genpawnhashcode(board.SideToMove, &board, &pawnCode);
  board.PawnHashCode = (u32)pawnCode;
  genhashcode(board.SideToMove, board.CastleFlags, code1, code2, &board);
}

int SearchRoutines::ProgressiveDeepening(ChessBoard board, char depth, u64* from, u64* to, char* promotion) {
  TimeControl& clock = Clock;

  // Set-up. A fixed depth read as a negative byte still gets one iteration,
  // so that the search has a move to play.
  clock.ElapsedSeconds = 0;
  const int fixedDepth = (char)Limits.FD;
  int limit = fixedDepth != 0 ? fixedDepth : (depth >= 1 ? depth : DefaultDepthLimit);
  // A mate in N moves is N moves of the winner and N - 1 replies deep.
  if (Limits.Mate > 0) limit = std::min(limit, 2 * Limits.Mate - 1);
  NodeCount = LeafNodeCount = QuiesceNodeCount = 0;
  BookMove = clock.TimeExtended = StopSearch = TimeUp = Aborted = 0;
  RootValue = 0;
  LegalMoves = 0;
  FirstIteration = 1;
  HeldStop = 0;
  u64 code1, code2;
  PrepareRoot(board, MoveList, &code1, &code2);
  clock.StartTime = ClockMs();

  if (fixedDepth == 0) {
    if (clock.SetTimeBudget(Limits.Analyze)) Listener->BudgetSet();
    PollCountdown = clock.PollCountdown;
  } else {
    CompletedDepth = fixedDepth;
    clock.NpsCalibrated = 0;
  }

  // A level below full strength (the main search's, when it plays a move)
  // looks only so deep and keeps a few lines to choose from.
  const bool levelled = this == &::Search && Level.Active() && !Limits.Analyze && !Limits.Benchmark;
  if (levelled) limit = std::min(limit, Level.DepthLimit(board));
  const int linesWanted = levelled ? std::max(Settings->MultiPV, LevelLines) : Settings->MultiPV;

  // Several lines: as many as asked for, or as the root moves allowed.
  LineCount = 1;
  if (linesWanted > 1)
    LineCount = std::max(1, std::min({linesWanted, MaxLines, Settings->AllowedMoves(board)}));
  LinesDepth = 0;
  Lines.clear();

  // The helper threads search beside the main search, from the same root.
  // With several lines the main search's lines are the answer: a helper's
  // deeper iteration has only one.
  // A search without helpers counts no helper of the search before.
  const bool helped = this == &::Search && Threads.Count() > 1;
  if (helped) Threads.StartHelpers(board, Repetitions, MainBoard.SideToMove, MainBoard.CastleFlags, limit, Limits);
  else if (this == &::Search) Threads.SearchAlone();
  // A node budget is polled as soon as it may be spent, by every thread.
  if (Limits.Nodes != 0) NextNodeCheck = NextBudgetCheck();
  const bool overtakable = helped && LineCount == 1;
  HelpedLimit = overtakable ? limit : 0;
  Overtaken = 0;
  OvertakeCountdown = HelperPollNodes;
  // However the search is left, no helper goes on searching.
  struct HelpersStopped {
    bool helped;
    ~HelpersStopped() {
      if (helped) Threads.StopHelpers();
    }
  } stoppedAtEnd{helped};

  int v = 0;
  int previousBest = -MateScore;
  bool easyMove = false;
  bool aborted = false;
  int completed = 0;  // the deepest iteration completed
  int d;
  for (d = 1;; d++) {
    if (d > 1 && (BudgetSpentAtIteration() || NodesSpent())) {
      d--;
      break;
    }
    // A helper has completed the last depth: its result is the answer.
    if (overtakable && d > 1 && !Limits.Pondering && !Limits.Analyze && Threads.HelperDepth() >= limit) {
      d--;
      break;
    }

    // The iteration, with the line's ply limit growing faster from depth 7.
    BestMoveChanges = -1;
    FailingLow = 0;
    board.RootDepth = d <= 6 ? 2 * d : 4 * d;
    SelDepth = 0;
    v = SearchTreeRoot(MainBoard.SideToMove, board, -MateScore, MateScore, d, from, to, promotion,
                       MainBoard.CastleFlags);
    // A helper completed the last depth during the iteration: its result
    // is the answer, and the search was not stopped.
    if (Overtaken) {
      Aborted = StopSearch = TimeUp = 0;
      break;
    }
    RootValue = v;

    if (BookMove == 1) {
      // The root answered with the number of moves: a book move has no
      // score of its own.
      v = RootValue = 0;
      ReleaseHeldStop();
      Listener->BookMoveFound();
      break;
    }
    // The elapsed time is estimated from the node count; a stopped
    // iteration's score is the previous one's.
    const i64 nodes = NodeCount + QuiesceNodeCount;
    clock.ElapsedSeconds = clock.NodesPerSecond > 0 ? (i32)(nodes / clock.NodesPerSecond) : 0;
    if (StopSearch) v = previousBest;
    else if (!Aborted) completed = d;
    if (LineCount > 1 && LinesDepth == d && !StopSearch) Listener->LinesDone(d, Lines.data(), (int)Lines.size());
    else Listener->IterationDone(d, v, *from, *to, *promotion);
    // A stop that came during the first iteration takes effect now that
    // the search has a move to play.
    if (d == 1) ReleaseHeldStop();

    // Decide whether to go on.
    if (Aborted && !Limits.Pondering) {
      aborted = true;
      break;
    }
    // A hard stop without an abort (xboard's "?", a spent fixed time) plays
    // the move in hand at once.
    if (StopSearch && !Limits.Pondering) break;
    if (fixedDepth == 0 && !Limits.Pondering) {
      if (clock.ST != 0) {
        if (clock.FixedTimeSpent()) break;
      } else {
        if (d == 1) easyMove = SecondBestValue < v - EasyMoveGap;
        if (d > 10 && BestMoveChanges == 0 && !FailingLow && easyMove) break;
        // The next iteration would take longer than all before it: with
        // half the time gone it could not finish even its first move.
        if (2 * (i64)clock.Elapsed() >= clock.TimePerMove) {
          CompletedDepth = d;
          break;
        }
      }
    }
    if (Limits.Pondering && (v > MateReported || v < -MateReported || LegalMoves == 1 || (v == 0 && d > 71))) {
      // A ponder search with nothing left to find waits for the next
      // command and ends with it.
      if (Listener->WaitForCommand() == PollResult::PonderHit) Limits.Pondering = Limits.PonderSearch = 0;
      Aborted = StopSearch = TimeUp = 1;
      break;
    }
    if (Limits.Pondering && levelled && d + 1 > limit) {
      // A level that has looked as deep as it may waits for the opponent's
      // move; after "ponderhit" it takes its time over the move from then,
      // as it would have without pondering.
      if (Listener->WaitForCommand() == PollResult::PonderHit) {
        Limits.Pondering = Limits.PonderSearch = 0;
        clock.StartTime = ClockMs();
      } else {
        Aborted = StopSearch = TimeUp = 1;
      }
      break;
    }
    // A mate ends the deepening once the iteration is as deep as the mate
    // is long: before that, a shorter mate (or a longer defence) may hide
    // in the lines not yet searched to its length, and checks and the
    // table can bring a long mate into a shallow iteration.
    const bool mateSettled = (v > MateReported || v < -MateReported) && d >= MateScore - (v < 0 ? -v : v);
    if ((fixedDepth != 0 && d == fixedDepth) || d + 1 > limit || (v <= -(MateReported + 1) && mateSettled)) break;
    if (Limits.Mate > 0) {
      // A mate search goes on until it has a mate in the moves asked for or
      // fewer: a longer mate, or a single legal move, does not end it.
      if (v >= MateScore - (2 * Limits.Mate - 1)) break;
    } else if ((v > MateReported && (levelled || (mateSettled && LinesDecided()))) || LegalMoves == 1) {
      // (A level plays the mate it found: its other lines do not matter.)
      break;
    }
    previousBest = v;
  }
  if (levelled && BookMove != 1) v = PlayAtLevel(board, v, from, to, promotion);

  HelpedLimit = 0;
  if (helped) {
    // A helper that completed the depth asked for gives the move, its
    // score and its line; a book move stays. A timed search plays the main
    // search's own move: taking a helper's deeper iteration instead lost
    // games (two threads scored -40 Elo against one at 8 s + 0.08 s a move
    // that way, +97 playing the main search's move).
    Threads.StopHelpers();
    HelperResult deeper;
    if (BookMove != 1 && overtakable && Threads.DeeperResult(completed, &deeper) && deeper.Depth >= limit) {
      d = deeper.Depth;
      v = deeper.Score;
      *from = deeper.From, *to = deeper.To, *promotion = deeper.Promote;
      memcpy(PrincipalVariation[0], deeper.Line, sizeof deeper.Line);
      PVLength = deeper.PVLength;
      if (fixedDepth == 0 && CompletedDepth < d) CompletedDepth = d;
    }
  }
  if (aborted) return v;
  Listener->SearchDone(d, v, *from, *to, *promotion);
  return v;
}

void SearchRoutines::HelperDeepening(ChessBoard board, const MoveHistory& record, char side, char castleRights,
                                     int limit) {
  NodeCount = LeafNodeCount = QuiesceNodeCount = 0;
  BookMove = StopSearch = TimeUp = Aborted = 0;
  RootValue = 0;
  LegalMoves = 0;
  FirstIteration = HeldStop = 0;
  HelperPollEvery = Threads.NodeBudgetInterval(Settings->Nodes);
  PollCountdown = HelperPollEvery;
  NextNodeCheck = HelperPollEvery;
  u64 code1, code2;
  PrepareRoot(board, record, &code1, &code2);

  for (int d = 1; d <= limit; d++) {
    // Every helper searches the last depth, whatever its own depths are.
    if (d < limit && !SearchThreads::HelperSearchesDepth(HelperNumber, d)) continue;
    BestMoveChanges = -1;
    FailingLow = 0;
    board.RootDepth = d <= 6 ? 2 * d : 4 * d;
    u64 from, to;
    char promote;
    const int v = SearchTreeRoot(side, board, -MateScore, MateScore, d, &from, &to, &promote, castleRights);
    if (Aborted || StopSearch) break;
    RootValue = v;
    // No legal move: the main search says so.
    if (LegalMoves == 0) break;
    Threads.PublishResult(HelperNumber, d, v, from, to, promote, *this);
  }
  Threads.PublishNodes(HelperNumber, NodeCount + QuiesceNodeCount);
}

i32 SearchRoutines::AllThreadsSpeed(i32 ownSpeed) const {
  const i64 own = NodeCount + QuiesceNodeCount, all = TotalNodes();
  if (all == own || own <= 0) return ownSpeed;
  return (i32)std::min<i64>((i64)((double)ownSpeed * all / own), MaxClockMs);
}

i64 SearchRoutines::TotalNodes() const {
  const i64 own = NodeCount + QuiesceNodeCount;
  return this == &::Search ? own + Threads.HelperNodes() : own;
}

// The driver between a front end and the root search: the per-move budget
// from the clock figures, iterations at depth 1, 2, 3 ... with the full
// window, the decision to go on, the thinking output, and the move made on
// the game board. The budget is counted in nodes: a time is turned into a
// node count through the running speed estimate NodesPerSecond.
#include <cstdio>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/HashCodes.h"
#include "board/MoveHistory.h"
#include "board/MoveText.h"
#include "engine/CommandInterpreter.h"
#include "engine/LogFile.h"
#include "engine/Status.h"
#include "engine/UCIProtocol.h"
#include "search/InputPoll.h"
#include "search/SearchRoutines.h"

namespace {
int SquareOf(u64 mask) { return RightMostBit(mask) - 1; }

// |v| above this is a mate.
constexpr int MateReported = 109899;
// A first iteration whose best move is this far ahead of the rest.
constexpr int EasyMoveGap = 2949;
}  // namespace

void SearchRoutines::SetTimeBudget() {
  Status& s = MainStatus;
  if (s.ST != 0) {
    s.TimePerMove = s.ST;
    WriteLogLine(" TimePeMove after ST = %d \n", s.TimePerMove);
  } else if (s.MovesPerSession != 0) {
    s.TimePerMove = (i32)((i64)s.TimeLeft * 95 / s.MovesPerSession / 100);
    if (s.MovesPerSession < 4) s.TimePerMove /= 2;
  } else {
    // Sudden death, with or without increment.
    s.TimePerMove = (s.GamePly < 121 || s.TimeInc > 0) ? s.TimeLeft / 30 : s.TimeLeft / 40;
    WriteLogLine(" TimePerMove Before Inc = %d \n", s.TimePerMove);
    if (!s.UCIMode && s.GamePly <= BookExitPly + 7) s.TimePerMove = (s.TimePerMove * 3) >> 1;
    else if ((s.GamePly % 10 == 0 || s.GamePly % 9 == 0) && s.TimeLeft > 60000) s.TimePerMove = (s.TimePerMove * 7) >> 2;

    s.EmergencyTimeThreshold = (s.TimeInc > 0 ? 1000 * (i64)s.TimeInc : 0) + 2 * (i64)s.TimePerMove;
    if (s.TimeLeft < s.EmergencyTimeThreshold) {
      WriteLogLine("EmergencyTimeThreshold = %lld > TimeLeft %d\n", (long long)s.EmergencyTimeThreshold, s.TimeLeft);
      s.EmergencyTimeThreshold = 300 * (i64)s.TimeInc;
    }
    WriteLogLine(" EmergencyTimeThreshold = %lld \n", (long long)s.EmergencyTimeThreshold);
    if (s.TimeInc > 0) {
      if (s.TimeLeft >= 20001) s.TimePerMove += 1000 * s.TimeInc;
      else if (s.TimeLeft > 10000) s.TimePerMove += 500 * s.TimeInc;
      WriteLogLine(" TimePerMove After Inc = %d \n", s.TimePerMove);
      WriteLogLine(" Inc = %d \n", s.TimeInc);
    }
    if (s.EmergencyTimeThreshold <= s.TimePerMove + 1000) {
      s.TimePerMove = (i32)(s.EmergencyTimeThreshold / 2);
      WriteLogLine(" EmergencyTimeThreshold after comparing to Inc = %lld \n", (long long)s.EmergencyTimeThreshold);
    }
    if (!s.xboard && !s.UCIMode) {
      printf("Time Per Move = %d\n", s.TimePerMove);
      printf("Time Left = %d\n", s.TimeLeft);
      printf("DefaultMovesPerSession = %d\n", s.DefaultMovesPerSession);
    }
  }
  WriteLogLine(" Initial Nodes Per Second = %d\n", s.NodesPerSecond);
  NodesPerMove = (i64)(s.NodesPerSecond / 2000) * s.TimePerMove;
  s.EmergencyTimeThreshold = 2 * NodesPerMove;
  PollCountdown = InitMoveTimer();
  NpsCalibrated = 0;
  WriteLogLine(" Initial NodesPeMove  = %lld   Emergency Threshold = %lld\n", (long long)NodesPerMove,
               (long long)s.EmergencyTimeThreshold);
  WriteLogLine("Current TimerPerMove is %d\n", s.TimePerMove);
}

// The check before an iteration: true when the budget is spent and the
// search must finish with the move it has. (The budget running out here
// finishes with the best move so far rather than aborting without a move.)
bool SearchRoutines::BudgetSpentAtIteration() {
  Status& s = MainStatus;
  const i64 nodes = NodeCount + QuiesceNodeCount;
  if (!s.Analyze && !s.Pondering && nodes > NodesPerMove && s.FD == 0) {
    if (NpsCalibrated == 0) {
      int seconds = (ClockMs() - s.StartTime + 500) / 1000;
      if (seconds > 0) {
        s.NodesPerSecond = (i32)((double)nodes / seconds);
        NodesPerMove = (i64)(s.NodesPerSecond / 1000) * s.TimePerMove;
        s.EmergencyTimeThreshold = 2 * NodesPerMove;
      }
      NpsCalibrated = 1;
      if (nodes <= NodesPerMove) return false;
    }
    if (NpsCalibrated == 1 && FailingLow && !TimeExtended && s.ST == 0) {
      s.TimePerMove *= 2;
      NodesPerMove *= 2;
      s.EmergencyTimeThreshold *= 2;
      TimeExtended = 1;
      NpsCalibrated = 2;
      WriteLogFile("Timer Extended - Failing Low\n");
      if (TimeUp) {
        s.TimePerMove *= 2;
        NodesPerMove *= 2;
        s.EmergencyTimeThreshold *= 2;
        TimeUp = 0;
      }
      return false;
    }
    TimeUp = 1;
    StopSearch = 1;
    return true;
  }
  if (s.Analyze) {
    // Under half a second the speed cannot be measured: 0 is reported and
    // the estimate kept.
    int seconds = (ClockMs() - s.StartTime + 500) / 1000;
    int nps = 0;
    if (seconds > 0) nps = s.NodesPerSecond = (i32)((double)nodes / seconds);
    printf("info nps %d\n", nps);
    printf("info time %d\n", 1000 * s.ElapsedSeconds);
    fflush(stdout);
  }
  return false;
}

// The post line (console, xboard) or the UCI info line of an iteration.
void SearchRoutines::PrintDriverLine(bool uci, int depth, int v, u64 from, u64 to, char promote) {
  const Status& s = MainStatus;
  char text[PVTextSize];
  fillmovestring(text, v, (char)SquareOf(from), (char)SquareOf(to), promote, 1);
  const long long nodes = NodeCount + QuiesceNodeCount;
  if (uci) printf("info depth %d score cp %d time %d nodes %lld pv%s", depth, v / 10, 1000 * s.ElapsedSeconds, nodes, text);
  else printf("%d %d %d %lld %s", depth, v / 10, s.ElapsedSeconds, nodes, text);
  fflush(stdout);
}

// A ponder search that has nothing left to find waits for the next word and
// ends with it.
void SearchRoutines::WaitForInput() {
  Status& s = MainStatus;
  if (!s.xboard && !s.UCIMode) {
    for (;;) PauseForInput(1000);
  }
  while (!InputDetected()) PauseForInput(10);
  char word[512] = "";
  if (scanf("%511s", word) != 1) word[0] = 0;
  if (s.UCIMode) UCI.UCIPrep(word);
  else DoCommand(word);
  printf(" Search Aborted due to receiveing following string: %s\n", word);
  fflush(stdout);
  Aborted = StopSearch = TimeUp = 1;
}

void SearchRoutines::PrepareRoot(ChessBoard& board, u64* code1, u64* code2) {
  board.InitPieceCounts();
  ClearPrincipalVariation();
  PromoteKillers();
  MainStatus.StartTime = ClockMs();
  unsigned long pawnCode;
  genpawnhashcode(board.SideToMove, &board, &pawnCode);
  board.PawnHashCode = (u32)pawnCode;
  genhashcode(board.SideToMove, board.CastleFlags, code1, code2, &board);
}

int SearchRoutines::ProgressiveDeepening(ChessBoard board, char depth, u64* from, u64* to, char* promotion) {
  Status& s = MainStatus;

  // Set-up. A fixed depth read as a negative byte still gets one iteration,
  // so that the search has a move to play.
  s.MaxPlyReached = 0;
  s.ElapsedSeconds = 0;
  const int fixedDepth = s.getFD();
  const int limit = fixedDepth != 0 ? fixedDepth : (depth >= 1 ? depth : 100);
  NodeCount = LeafNodeCount = QuiesceNodeCount = 0;
  BookMove = TimeExtended = StopSearch = TimeUp = Aborted = 0;
  RootValue = 0;
  LegalMoves = 0;
  u64 code1, code2;
  PrepareRoot(board, &code1, &code2);
  if (s.xboard) MoveList.InsertMoveHistory(code1, code2);

  if (fixedDepth == 0) {
    SetTimeBudget();
  } else {
    s.CompletedDepth = fixedDepth;
    NpsCalibrated = 0;
  }

  int v = 0;
  int previousBest = -MateScore;
  bool easyMove = false;
  int d;
  for (d = 1;; d++) {
    // 1. Before the iteration.
    if (d > 1 && BudgetSpentAtIteration()) {
      d--;
      break;
    }

    // 2.-3. The iteration.
    s.MaxPlyReached = 0;
    BestMoveChanges = -1;
    FailingLow = 0;
    board.RootDepth = d <= 6 ? 2 * d : 4 * d;
    v = SearchTreeRoot(MainBoard.SideToMove, board, -MateScore, MateScore, d, from, to, promotion,
                       MainBoard.CastleFlags);
    RootValue = v;

    // 4.-7. Book move, elapsed time by the node count, a stopped iteration's
    // score, the report.
    if (BookMove == 1) {
      printf("tellics kibitz Opening Book Move\n");
      fflush(stdout);
      WriteLogFile("Opening Book Move\n");
      break;
    }
    const i64 nodes = NodeCount + QuiesceNodeCount;
    s.ElapsedSeconds = s.NodesPerSecond > 0 ? (i32)(nodes / s.NodesPerSecond) : 0;
    if (StopSearch) {
      v = previousBest;
      WriteLogLine("New v from PreviousBestValue %d\n", v);
    }
    if (s.Post && s.ElapsedSeconds >= 4) PrintDriverLine(false, d, v, *from, *to, *promotion);
    if (s.Post || s.Analyze) PrintDriverLine(s.UCIMode != 0, d, v, *from, *to, *promotion);

    // 8. Decide.
    if (Aborted && !s.Pondering) return v;
    // A hard stop without an abort (xboard's "?", a spent fixed time) plays
    // the move in hand at once.
    if (StopSearch && !s.Pondering) break;
    if (fixedDepth == 0 && !s.Pondering) {
      if (s.ST != 0) {
        if (ClockMs() - s.StartTime > s.ST) break;
      } else {
        if (d == 1) easyMove = SecondBestValue < v - EasyMoveGap;
        if (d > 10 && BestMoveChanges == 0 && !FailingLow && easyMove) break;
        if (nodes >= NodesPerMove) {
          s.CompletedDepth = d;
          break;
        }
      }
    }
    if (s.Pondering && (v > MateReported || v < -MateReported || LegalMoves == 1 || (v == 0 && d > 71))) {
      WaitForInput();
      break;
    }
    if (v > MateReported || v <= -(MateReported + 1) || LegalMoves == 1 || (fixedDepth != 0 && d == fixedDepth) ||
        d + 1 > limit)
      break;
    previousBest = v;
  }

  // Finish: the move is made unless the side to move is mated or stalemated.
  if (v != StalemateScore && v != -MateScore) {
    char castleMask;
    MainBoard.MakeMove(*from, *to, *promotion, &castleMask);
    MainBoard.CastleFlags &= castleMask;
    // The engine's capture of a rook at home ends that side's right too.
    MainBoard.ClearCastleRights(*to);
  }
  if (s.Post && !Aborted && !s.UCIMode) {
    PrintDriverLine(false, d, v, *from, *to, *promotion);
    printf("\n");
  }
  if (s.UCIMode) PrintDriverLine(true, d, v, *from, *to, *promotion);
  if (s.Kibitz && !s.UCIMode) {
    if (BookMove == 1) {
      printf("tellics kibitz Book Move\n");
    } else {
      if (s.ElapsedSeconds == 0) s.ElapsedSeconds = 1;
      char text[PVTextSize];
      fillmovestring(text, v, (char)SquareOf(*from), (char)SquareOf(*to), *promotion, 1);
      printf("tellics kibitz ply=%d v=%d centipawns millisecs=%d Nodes=%lld nps=%d %s\n", s.CompletedDepth, v / 10,
             s.ElapsedSeconds, (long long)(NodeCount + QuiesceNodeCount), s.NodesPerSecond, text);
    }
    fflush(stdout);
  }
  return v;
}

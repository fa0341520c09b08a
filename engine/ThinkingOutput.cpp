#include "engine/ThinkingOutput.h"

#include <cstdio>

#include "board/BitOps.h"
#include "board/MoveText.h"
#include "engine/CommandInterpreter.h"
#include "engine/Status.h"
#include "engine/UCIProtocol.h"
#include "search/InputPoll.h"
#include "search/SearchLimits.h"
#include "search/SearchRoutines.h"
#include "search/TimeControl.h"

ThinkingOutput Thinking;

namespace {
constexpr int WordSize = 512;

long long SearchNodes() { return Search.NodeCount + Search.QuiesceNodeCount; }

// Standard input is read during a search under a GUI, and at the console
// only in analysis, which has no end of its own: there a move, "exit" or
// "quit" is read as under xboard, or the engine would never listen again.
// A fixed depth is never cut short, but a UCI GUI must still have "stop",
// "isready" and "quit" answered.
bool Listening() {
  const Status& s = MainStatus;
  if (Limits.FD != 0 && !s.UCIMode) return false;
  return s.xboard == 1 || s.UCIMode == 1 || Limits.Analyze;
}
}  // namespace

PollResult ThinkingOutput::HandleWord(bool announceStop) {
  char word[WordSize] = "";
  if (scanf("%511s", word) != 1) word[0] = 0;
  const int r = MainStatus.UCIMode ? UCI.UCIPrep(word) : DoCommand(word);
  const bool stop = MainStatus.UCIMode ? r == UCIProtocol::StopResult : r == LeaveReader;
  if (stop || announceStop) {
    printf(" Search Aborted due to receiveing following string: %s\n", word);
    fflush(stdout);
  }
  if (MainStatus.UCIMode && r == UCIProtocol::PonderHitResult) return PollResult::PonderHit;
  return stop ? PollResult::Stop : PollResult::GoOn;
}

PollResult ThinkingOutput::Poll() {
  if (!Listening()) return PollResult::GoOn;
  if (InputWaiting()) return HandleWord(false);
  if (Limits.FD == 0 && Search.IterationDepth > 7 && Limits.Analyze && MainStatus.xboard) PrintStatus();
  return PollResult::GoOn;
}

PollResult ThinkingOutput::WaitForCommand() {
  while (!InputWaiting()) PauseForInput(10);
  const PollResult r = HandleWord(true);
  return r == PollResult::PonderHit ? r : PollResult::Stop;
}

void ThinkingOutput::PrintStatus() const {
  printf("stat01: %d %lld %d %d %d\n", Clock.Elapsed() / 10, SearchNodes(), Search.IterationDepth,
         Search.RootMoveCount - Search.RootMoveNumber, Search.RootMoveCount);
  fflush(stdout);
}

void ThinkingOutput::IterationStarted(int depth) {
  if (!MainStatus.UCIMode) return;
  printf("info depth %d\n", depth);
  fflush(stdout);
}

void ThinkingOutput::CurrentMove(int depth, u64 from, u64 to, int number) {
  if (!MainStatus.UCIMode) return;
  if (UCI.UCIShowCurrLine && depth > 8 && SearchNodes() > 3LL * Clock.NodesPerSecond) {
    const int fs = SquareOf(from), ts = SquareOf(to);
    printf("info currmove %c%d%c%d currmovenumber %d\n", files[fs & 7], fs / 8 + 1, files[ts & 7], ts / 8 + 1,
           number);
  }
  fflush(stdout);
}

// The xboard thinking line (when posting, and for a new best move only from
// depth 8 on) or the UCI info line of a root result.
void ThinkingOutput::RootResult(int depth, int v, u64 from, u64 to, char promote, bool newBest) {
  const Status& s = MainStatus;
  char text[PVTextSize];
  Search.LineText(text, v, from, to, promote);
  if (s.Post && s.xboard && !(newBest && Search.IterationDepth <= 7)) {
    printf("%d %d %d %lld%s", depth, v / 10, Clock.ElapsedSeconds, SearchNodes(), text);
    fflush(stdout);
  }
  if (s.UCIMode) {
    printf("info depth %d score cp %d", depth, v / 10);
    if (Limits.Analyze) printf(" time %d", Clock.ElapsedSeconds * 1000);
    printf(" nodes %lld pv%s", SearchNodes(), text);
    fflush(stdout);
  }
}

void ThinkingOutput::PrintDriverLine(bool uci, int depth, int v, u64 from, u64 to, char promote) const {
  char text[PVTextSize];
  Search.LineText(text, v, from, to, promote);
  if (uci) {
    printf("info depth %d score cp %d time %d nodes %lld pv%s", depth, v / 10, 1000 * Clock.ElapsedSeconds,
           SearchNodes(), text);
  } else {
    printf("%d %d %d %lld %s", depth, v / 10, Clock.ElapsedSeconds, SearchNodes(), text);
  }
  fflush(stdout);
}

void ThinkingOutput::IterationDone(int depth, int v, u64 from, u64 to, char promote) {
  const Status& s = MainStatus;
  if (s.Post && Clock.ElapsedSeconds >= 4) PrintDriverLine(false, depth, v, from, to, promote);
  if (s.Post || Limits.Analyze) PrintDriverLine(s.UCIMode != 0, depth, v, from, to, promote);
}

void ThinkingOutput::SearchDone(int depth, int v, u64 from, u64 to, char promote) {
  const Status& s = MainStatus;
  if (s.Post && !Search.Aborted && !s.UCIMode) {
    PrintDriverLine(false, depth, v, from, to, promote);
    printf("\n");
  }
  if (s.UCIMode) PrintDriverLine(true, depth, v, from, to, promote);
  if (!s.Kibitz || s.UCIMode) return;
  if (Search.BookMove == 1) {
    printf("tellics kibitz Book Move\n");
  } else {
    if (Clock.ElapsedSeconds == 0) Clock.ElapsedSeconds = 1;
    char text[PVTextSize];
    Search.LineText(text, v, from, to, promote);
    printf("tellics kibitz ply=%d v=%d centipawns millisecs=%d Nodes=%lld nps=%d %s\n", Search.CompletedDepth, v / 10,
           Clock.ElapsedSeconds, SearchNodes(), Clock.NodesPerSecond, text);
  }
  fflush(stdout);
}

void ThinkingOutput::BookMoveFound() {
  printf("tellics kibitz Opening Book Move\n");
  fflush(stdout);
}

// The console shows the budget it was given.
void ThinkingOutput::BudgetSet() {
  const Status& s = MainStatus;
  if (s.xboard || s.UCIMode) return;
  printf("Time Per Move = %d\n", Clock.TimePerMove);
  printf("Time Left = %d\n", Clock.TimeLeft);
  printf("DefaultMovesPerSession = %d\n", Clock.DefaultMovesPerSession);
}

void ThinkingOutput::SpeedMeasured(i32 nodesPerSecond, i32 milliseconds) {
  printf("info nps %d time %g\n", nodesPerSecond, (double)milliseconds);
  fflush(stdout);
}

void ThinkingOutput::AnalysisSpeed(i32 nodesPerSecond) {
  printf("info nps %d\n", nodesPerSecond);
  printf("info time %d\n", 1000 * Clock.ElapsedSeconds);
  fflush(stdout);
}

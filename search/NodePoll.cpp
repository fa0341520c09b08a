// The poll every Search node runs: it reads commands that arrive while the
// engine thinks and keeps time by counting nodes against the budget. The
// clock is read only to measure the real speed once per move.
#include <algorithm>
#include <cstdio>

#include "engine/CommandInterpreter.h"
#include "engine/Status.h"
#include "engine/LogFile.h"
#include "engine/UCIProtocol.h"
#include "search/InputPoll.h"
#include "search/SearchRoutines.h"

i64 SearchRoutines::InitMoveTimer() {
  if (MainStatus.Analyze) return MainStatus.NodesPerSecond >> 3;
  return PollInterval();
}

// A poll every hundredth of a second's worth of nodes, and at least ten per
// budget: a search then stops within a few percent of a budget as small as
// 50 ms, where two polls a second could not stop it in time.
i64 SearchRoutines::PollInterval() const {
  i64 interval = std::min<i64>(MainStatus.NodesPerSecond / 100, NodesPerMove / 10);
  return std::max<i64>(interval, 1);
}

// The console is not read while the engine thinks, except in analysis,
// which has no end of its own: there a move, "exit" or "quit" is read as
// under xboard, or the engine would never listen again.
int SearchRoutines::InputDetected() {
  const Status& s = MainStatus;
  if (s.xboard != 1 && s.UCIMode != 1 && !s.Analyze) return 0;
  return InputWaiting();
}

// Measures the real speed once per move (in whole seconds, rounded) and
// turns the time per move into a node budget with it.
void SearchRoutines::Calibrate(i64 nodes) {
  Status& s = MainStatus;
  double seconds = (double)((ClockMs() - s.StartTime + 500) / 1000);
  WriteLogLine("Time Consumption for first half of search was %f \n", seconds);
  if (seconds > 0) {
    WriteLogLine("Current TimerPerMove is %d\n", s.TimePerMove);
    WriteLogLine("Previous NPS was %d\n", s.NodesPerSecond);
    WriteLogLine("Previous NodesPerMove was %lld\n", (long long)NodesPerMove);
    WriteLogLine("Nodes for the first 7 ply %lld\n", (long long)nodes);
    s.NodesPerSecond = (i32)(nodes / seconds);
    NodesPerMove = (i64)(s.NodesPerSecond / 1000) * s.TimePerMove;
    printf("info nps %d time %g\n", s.NodesPerSecond, seconds * 1000);
    fflush(stdout);
    WriteLogLine(" Dynamic Nodes Per Second = %d\n", s.NodesPerSecond);
    s.EmergencyTimeThreshold = 2 * NodesPerMove;
    WriteLogLine(" NodesPeMove after Dynamic Adjustment = %lld   Emergency Threshold = %lld\n",
                 (long long)NodesPerMove, (long long)s.EmergencyTimeThreshold);
  }
  NpsCalibrated = 1;
}

// The budget is spent: a fixed time per move stops at once; a root move that
// is failing low earns one doubling (two when the soft stop was already
// given); otherwise the root stops after the move in hand. True when the
// node must return at once.
bool SearchRoutines::Overrun(bool mayStop) {
  Status& s = MainStatus;
  if (s.ST != 0) {
    TimeUp = 1;
    if (!mayStop) return false;
    StopSearch = 1;
    return true;
  }
  if (FailingLow && !TimeExtended) {
    NodesPerMove *= 2;
    s.TimePerMove *= 2;
    s.EmergencyTimeThreshold *= 2;
    TimeExtended = 1;
    WriteLogFile("Timer Extended - Failing Low\n");
    if (TimeUp) {
      NodesPerMove *= 2;
      s.TimePerMove *= 2;
      s.EmergencyTimeThreshold *= 2;
      TimeUp = 0;
    }
    return false;
  }
  TimeUp = 1;
  return false;
}

int SearchRoutines::PollNode() {
  Status& s = MainStatus;
  // A fixed depth is never cut short by the clock; under a UCI GUI it still
  // reads its input, so that "stop", "isready" and "quit" are answered.
  const bool fixedDepth = s.FD != 0;
  if ((fixedDepth && !s.UCIMode) || s.BenchNumber != 0 || Aborted) return 0;
  if (PollCountdown-- > 0) return 0;

  bool command = false;
  if (InputDetected()) {
    char word[512] = "";
    if (scanf("%511s", word) != 1) word[0] = 0;
    int r = s.UCIMode ? UCI.UCIPrep(word) : DoCommand(word);
    if (r == 2) {
      printf(" Search Aborted due to receiveing following string: %s\n", word);
      fflush(stdout);
      Aborted = StopSearch = TimeUp = 1;
      return 1;
    }
    if (s.xboard) fflush(stdin);
    command = true;
  }

  if (fixedDepth) {
    PollCountdown = std::max<i64>(s.NodesPerSecond / 100, 1);
    return 0;
  }

  if (!command && IterationDepth > 7 && s.Analyze && s.xboard) {
    printf("stat01: %d %lld %d %d %d\n", (ClockMs() - s.StartTime) / 10, (long long)(NodeCount + QuiesceNodeCount),
           IterationDepth, RootMoveCount - RootMoveNumber, RootMoveCount);
    fflush(stdout);
  }

  if (s.Analyze) {
    PollCountdown = s.NodesPerSecond >> 3;
    return 0;
  }
  if (s.Pondering) {
    // As often as a timed search: "ponderhit" starts the engine's clock, and
    // "stop" must be answered at once.
    PollCountdown = PollInterval();
    return 0;
  }

  // The first iteration is never cut short: it is tiny, and without it the
  // search would have no move to play.
  const bool mayStop = IterationDepth > 1;
  const i64 nodes = NodeCount + QuiesceNodeCount;
  if (!NpsCalibrated) {
    // Until the speed is measured the budget is the estimate's.
    if (nodes > NodesPerMove) {
      Calibrate(nodes);
      if (nodes > NodesPerMove && Overrun(mayStop)) return 1;
    }
  } else {
    if (nodes > NodesPerMove && Overrun(mayStop)) return 1;
    if (mayStop && nodes >= s.EmergencyTimeThreshold) {
      StopSearch = 1;
      return 1;
    }
  }

  PollCountdown = PollInterval();
  return 0;
}

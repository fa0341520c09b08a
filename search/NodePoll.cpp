// The poll every Search node runs: it lets the front end handle commands
// that arrive while the engine thinks, and holds a timed search to the
// clock's soft and hard limits.
#include <algorithm>

#include "search/InputPoll.h"
#include "search/SearchLimits.h"
#include "search/SearchRoutines.h"
#include "search/SearchThreads.h"
#include "search/TimeControl.h"

// The budget is spent: a fixed time per move stops at once; a root move that
// is failing low earns the one extension; otherwise the root stops after the
// move in hand. True when the node must return at once.
bool SearchRoutines::Overrun() {
  if (Clock.ST != 0) {
    TimeUp = StopSearch = 1;
    return true;
  }
  if (FailingLow && !Clock.TimeExtended) {
    Clock.ExtendForFailLow(&TimeUp);
    return false;
  }
  TimeUp = 1;
  return false;
}

bool SearchRoutines::NodesSpent() const {
  return Limits.Nodes != 0 && !Limits.Pondering && TotalNodes() >= Limits.Nodes;
}

int SearchRoutines::PollHelper() {
  if (Aborted) return 1;
  if (PollCountdown-- > 0) return 0;
  PollCountdown = HelperPollNodes;
  Threads.PublishNodes(HelperNumber, NodeCount + QuiesceNodeCount);
  if (!Threads.StopRequested()) return 0;
  Aborted = StopSearch = TimeUp = 1;
  return 1;
}

bool SearchRoutines::PollOvertaken() {
  if (Overtaken) return true;
  // A search already stopped otherwise ends as it was stopped.
  if (Aborted || --OvertakeCountdown > 0) return false;
  OvertakeCountdown = HelperPollNodes;
  if (Limits.Pondering || Limits.Analyze || Threads.HelperDepth() < HelpedLimit) return false;
  Overtaken = Aborted = StopSearch = TimeUp = 1;
  return true;
}

int SearchRoutines::PollNode() {
  if (HelperNumber != 0) return PollHelper();
  if (HelpedLimit != 0 && PollOvertaken()) return 1;
  if (Limits.Benchmark || Aborted) return 0;
  if (PollCountdown-- > 0) return 0;
  // A spent node budget ends the search as "stop" does, but never in the
  // first iteration, which gives the move to play.
  if (NodesSpent() && IterationDepth > 1) {
    Aborted = StopSearch = TimeUp = 1;
    return 1;
  }
  const int r = PollClock();
  // A node budget is polled when it runs out, not up to a hundredth of a
  // second of nodes later.
  if (Limits.Nodes != 0) {
    // Every thread of the search spends the nodes left.
    const i64 left = (Limits.Nodes - TotalNodes()) / (this == &::Search ? Threads.Searching() : 1);
    PollCountdown = std::clamp<i64>(left, 1, std::max<i64>(PollCountdown, 1));
  }
  return r;
}

int SearchRoutines::PollClock() {
  TimeControl& clock = Clock;

  switch (Listener->Poll()) {
    case PollResult::Stop:
      // The GUI's "stop", held for the end of the first iteration, lets it
      // finish; any other command that ends the search ends it now.
      if (HeldStop == AbortHeld) break;
      Aborted = StopSearch = TimeUp = 1;
      return 1;
    case PollResult::PonderHit:
      // The engine's clock runs from now.
      Limits.Pondering = 0;
      Limits.PonderSearch = 0;
      clock.StartTime = ClockMs();
      break;
    case PollResult::GoOn:
      break;
  }

  // A fixed depth is never cut short by the clock; the front end still
  // hears its commands.
  if (Limits.FD != 0) {
    PollCountdown = std::max<i64>(clock.NodesPerSecond / 100, 1);
    return 0;
  }
  if (Limits.Analyze) {
    PollCountdown = clock.NodesPerSecond >> 3;
    return 0;
  }
  if (Limits.Pondering) {
    // As often as a timed search: "ponderhit" starts the engine's clock, and
    // "stop" must be answered at once.
    PollCountdown = clock.PollInterval();
    return 0;
  }

  // The first iteration is never cut short, however little is left on the
  // clock: it takes well under a millisecond, and a move played before it
  // is complete has not been searched (one root move searched of twenty
  // may hang a piece).
  const bool mayStop = IterationDepth > 1;
  const i32 elapsed = clock.Elapsed();
  clock.MeasureSpeed(NodeCount + QuiesceNodeCount, elapsed);
  // Half way through the budget the speed is reported, once.
  if (!clock.NpsCalibrated && 2 * (i64)elapsed >= clock.TimePerMove) {
    clock.NpsCalibrated = 1;
    if (elapsed >= 500) Listener->SpeedMeasured(AllThreadsSpeed(clock.NodesPerSecond), elapsed);
  }
  if (mayStop && elapsed >= clock.TimePerMove && Overrun()) return 1;
  if (mayStop && elapsed >= clock.EmergencyTimeThreshold) {
    StopSearch = 1;
    return 1;
  }
  PollCountdown = clock.PollInterval();
  return 0;
}

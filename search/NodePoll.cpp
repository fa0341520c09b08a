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
  // Counted in nodes, not by the countdown: a move answered by the table at
  // the horizon counts a node but no poll.
  const i64 own = NodeCount + QuiesceNodeCount;
  if (own < NextNodeCheck) return 0;
  NextNodeCheck = own + HelperPollEvery;
  Threads.PublishNodes(HelperNumber, own);
  // A helper stops itself once every thread together has spent the node
  // budget: the main search may still be in its first iteration, which it
  // completes whatever the budget.
  const bool spent = Settings->Nodes != 0 && Threads.PublishedNodes() >= Settings->Nodes;
  if (!spent && !Threads.StopRequested()) return 0;
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
  if (PollCountdown-- > 0 && !NodeCheckDue()) return 0;
  // A spent node budget ends the search as "stop" does, but never in the
  // first iteration, which gives the move to play; the helpers stop with it.
  if (NodesSpent() && IterationDepth > 1) {
    Aborted = StopSearch = TimeUp = 1;
    if (this == &::Search) Threads.RequestStop();
    return 1;
  }
  const int r = PollClock();
  if (Limits.Nodes != 0) {
    NextNodeCheck = NextBudgetCheck();
    if (this == &::Search) Threads.PublishMainNodes(NodeCount + QuiesceNodeCount);
  }
  return r;
}

bool SearchRoutines::NodeCheckDue() const {
  return Limits.Nodes != 0 && NodeCount + QuiesceNodeCount >= NextNodeCheck;
}

// Every thread of the search spends the nodes left, so this one looks again
// once it has searched its share of them, and hands on its count at least
// as often as a helper does.
i64 SearchRoutines::NextBudgetCheck() const {
  const i64 threads = this == &::Search ? Threads.Searching() : 1;
  const i64 share = (Limits.Nodes - TotalNodes()) / threads;
  return NodeCount + QuiesceNodeCount + std::clamp<i64>(share, 1, Threads.NodeBudgetInterval(Limits.Nodes));
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

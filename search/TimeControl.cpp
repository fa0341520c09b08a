#include "search/TimeControl.h"

#include <algorithm>

#include "search/InputPoll.h"

TimeControl Clock;

namespace {
// What a move leaves on the clock at the least: the GUI, an adapter such as
// polyglot and the pipes between them take their share, and a GUI forfeits
// an engine on time with little or no tolerance.
constexpr i32 MinimumReserveMs = 50;
constexpr i32 ReservePercent = 3;
// A fixed time per move stops this much early (at most a tenth of it), so
// that the answer arrives inside the time.
constexpr i32 FixedTimeMarginMs = 15;
// Speeds are measured over at least this long.
constexpr i32 MinimumMeasureMs = 10;
}  // namespace

bool TimeControl::SetTimeBudget(bool analyze) {
  bool suddenDeath = false;
  if (ST != 0) {
    // The answer is due when the time is up: the search stops a poll or two
    // and the overhead before it.
    TimePerMove = std::max(ST - std::min(ST / 10, FixedTimeMarginMs) - MoveOverhead, 0);
    EmergencyTimeThreshold = TimePerMove;
  } else {
    // The plan rests on the clock less the overhead.
    const i32 usable = UsableTime();
    if (MovesPerSession != 0) {
      TimePerMove = (i32)((i64)usable * 95 / MovesPerSession / 100);
      if (MovesPerSession < 4) TimePerMove /= 2;
    } else {
      suddenDeath = true;
      TimePerMove = (GamePly < 121 || TimeInc > 0) ? usable / 30 : usable / 40;
      // More time just out of the book; a little more every ninth and tenth
      // move while the clock is comfortable.
      if (BookExitBonus && GamePly <= BookExitPly + 7) TimePerMove = (TimePerMove * 3) >> 1;
      else if ((GamePly % 10 == 0 || GamePly % 9 == 0) && usable > 60000) TimePerMove = (TimePerMove * 7) >> 2;

      // The increment and twice the time, or, when that is more than the
      // clock holds, 300 increments: a move never takes more than half of it.
      i64 emergency = (TimeInc > 0 ? 1000 * (i64)TimeInc : 0) + 2 * (i64)TimePerMove;
      if (usable < emergency) emergency = 300 * (i64)TimeInc;
      if (TimeInc > 0) {
        if (usable >= 20001) TimePerMove += 1000 * TimeInc;
        else if (usable > 10000) TimePerMove += 500 * TimeInc;
      }
      if (emergency <= TimePerMove + 1000) TimePerMove = (i32)(emergency / 2);
    }
    // The hard limit: twice the time per move, and neither ever more than
    // the clock holds.
    const i32 bound = ClockBound();
    EmergencyTimeThreshold = (i32)std::min<i64>(2 * (i64)TimePerMove, bound);
    TimePerMove = std::min(TimePerMove, bound);
  }
  PollCountdown = InitMoveTimer(analyze);
  NpsCalibrated = 0;
  return suddenDeath;
}

i32 TimeControl::UsableTime() const { return std::max(TimeLeft - MoveOverhead, 0); }

i32 TimeControl::ClockBound() const {
  const i32 usable = UsableTime();
  const i32 reserve = std::max(MinimumReserveMs, (i32)((i64)usable * ReservePercent / 100));
  return std::max(usable - reserve, 0);
}

i64 TimeControl::InitMoveTimer(bool analyze) const {
  if (analyze) return NodesPerSecond >> 3;
  return PollInterval();
}

// A poll every hundredth of a second's worth of nodes, and at least ten per
// budget: a search then stops within a few percent of a budget as small as
// 50 ms.
i64 TimeControl::PollInterval() const {
  i64 interval = std::min<i64>(NodesPerSecond / 100, (i64)NodesPerSecond * TimePerMove / 10000);
  return std::max<i64>(interval, 1);
}

void TimeControl::MeasureSpeed(i64 nodes, i32 elapsed) {
  if (elapsed < MinimumMeasureMs) return;
  NodesPerSecond = (i32)std::clamp<i64>(nodes * 1000 / elapsed, 1, MaxClockMs);
}

void TimeControl::ExtendForFailLow(u8* timeUp) {
  const int factor = *timeUp ? 4 : 2;
  *timeUp = 0;
  const i32 bound = ClockBound();
  TimePerMove = (i32)std::min<i64>((i64)TimePerMove * factor, bound);
  EmergencyTimeThreshold = (i32)std::min<i64>((i64)EmergencyTimeThreshold * factor, bound);
  TimeExtended = 1;
}

i32 TimeControl::MeasureAnalysisSpeed(i64 nodes) {
  const i32 seconds = (Elapsed() + 500) / 1000;
  if (seconds <= 0) return 0;
  NodesPerSecond = (i32)((double)nodes / seconds);
  return NodesPerSecond;
}

bool TimeControl::FixedTimeSpent() const { return ST != 0 && Elapsed() > ST - MoveOverhead; }

i32 TimeControl::Elapsed() const { return ClockMs() - StartTime; }

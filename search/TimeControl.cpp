#include "search/TimeControl.h"

#include <algorithm>

#include "search/InputPoll.h"

TimeControl Clock;

bool TimeControl::SetTimeBudget(bool analyze) {
  bool suddenDeath = false;
  if (ST != 0) {
    TimePerMove = ST;
  } else if (MovesPerSession != 0) {
    TimePerMove = (i32)((i64)TimeLeft * 95 / MovesPerSession / 100);
    if (MovesPerSession < 4) TimePerMove /= 2;
  } else {
    suddenDeath = true;
    TimePerMove = (GamePly < 121 || TimeInc > 0) ? TimeLeft / 30 : TimeLeft / 40;
    // More time just out of the book; a little more every ninth and tenth
    // move while the clock is comfortable.
    if (BookExitBonus && GamePly <= BookExitPly + 7) TimePerMove = (TimePerMove * 3) >> 1;
    else if ((GamePly % 10 == 0 || GamePly % 9 == 0) && TimeLeft > 60000) TimePerMove = (TimePerMove * 7) >> 2;

    // The hard limit: the increment and twice the time, or, when that is
    // more than the clock holds, 300 increments.
    EmergencyTimeThreshold = (TimeInc > 0 ? 1000 * (i64)TimeInc : 0) + 2 * (i64)TimePerMove;
    if (TimeLeft < EmergencyTimeThreshold) EmergencyTimeThreshold = 300 * (i64)TimeInc;
    if (TimeInc > 0) {
      if (TimeLeft >= 20001) TimePerMove += 1000 * TimeInc;
      else if (TimeLeft > 10000) TimePerMove += 500 * TimeInc;
    }
    if (EmergencyTimeThreshold <= TimePerMove + 1000) TimePerMove = (i32)(EmergencyTimeThreshold / 2);
  }
  NodesPerMove = (i64)(NodesPerSecond / 2000) * TimePerMove;
  EmergencyTimeThreshold = 2 * NodesPerMove;
  PollCountdown = InitMoveTimer(analyze);
  NpsCalibrated = 0;
  return suddenDeath;
}

i64 TimeControl::InitMoveTimer(bool analyze) const {
  if (analyze) return NodesPerSecond >> 3;
  return PollInterval();
}

// A poll every hundredth of a second's worth of nodes, and at least ten per
// budget: a search then stops within a few percent of a budget as small as
// 50 ms, where two polls a second could not stop it in time.
i64 TimeControl::PollInterval() const {
  i64 interval = std::min<i64>(NodesPerSecond / 100, NodesPerMove / 10);
  return std::max<i64>(interval, 1);
}

i32 TimeControl::Calibrate(i64 nodes) {
  const i32 seconds = (Elapsed() + 500) / 1000;
  if (seconds > 0) {
    NodesPerSecond = (i32)((double)nodes / seconds);
    NodesPerMove = (i64)(NodesPerSecond / 1000) * TimePerMove;
    EmergencyTimeThreshold = 2 * NodesPerMove;
  }
  NpsCalibrated = 1;
  return seconds * 1000;
}

void TimeControl::ExtendForFailLow(u8* timeUp) {
  NodesPerMove *= 2;
  TimePerMove *= 2;
  EmergencyTimeThreshold *= 2;
  TimeExtended = 1;
  if (*timeUp) {
    NodesPerMove *= 2;
    TimePerMove *= 2;
    EmergencyTimeThreshold *= 2;
    *timeUp = 0;
  }
}

i32 TimeControl::MeasureAnalysisSpeed(i64 nodes) {
  const i32 seconds = (Elapsed() + 500) / 1000;
  if (seconds <= 0) return 0;
  NodesPerSecond = (i32)((double)nodes / seconds);
  return NodesPerSecond;
}

bool TimeControl::FixedTimeSpent() const { return ST != 0 && Elapsed() > ST; }

i32 TimeControl::Elapsed() const { return ClockMs() - StartTime; }

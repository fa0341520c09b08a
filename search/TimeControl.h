// The keeper of the clock: the clock figures the front ends fill in, the
// per-move time made from them, the hard limit that keeps a move inside the
// clock the GUI gave, the speed estimate, the fail-low extension and the
// poll interval. The search reads the clock at every poll (about every
// hundredth of a second of nodes); a fixed depth never reads it. One
// instance: Clock.
#pragma once
#include "board/Types.h"

// Clock figures from a GUI or the command line (milliseconds) are held to
// 0 .. MaxClockMs, about two days and a quarter: the budget doubles a time
// twice and adds increments in 32 bits, which any larger figure would
// overflow.
constexpr i32 MaxClockMs = 200000000;
constexpr i32 ClampClock(i64 ms) { return ms < 0 ? 0 : ms > MaxClockMs ? MaxClockMs : (i32)ms; }

// Analysis and "go infinite" have no clock: a fixed time of two weeks.
constexpr i32 AnalysisTime = 1209600000;

// The time kept back on every move for the delay between a GUI's clock and
// the engine (pipes, an adapter, a server in between), milliseconds.
constexpr i32 DefaultMoveOverheadMs = 10;
constexpr i32 MaxMoveOverheadMs = 5000;

class TimeControl {
 public:
  // The clock figures, as the front ends set them.
  i32 TimeLeft = 0;                 // on the engine's clock, milliseconds
  i32 TimeInc = 0;                  // increment per move, seconds
  i32 MovesPerSession = 0;          // moves to the next time control; 0 none
  i32 DefaultMovesPerSession = 0;
  i32 ST = 0;                       // fixed time per move, milliseconds; 0 none
  i32 GamePly = 0;                  // the game's half-move counter
  // Taken off the clock's figures (the time left, a fixed time per move)
  // before the move's time is planned.
  i32 MoveOverhead = DefaultMoveOverheadMs;
  // Half as much time again for the first moves after the book (not under
  // a UCI GUI, which sends the game's moves anew with every position).
  u8 BookExitBonus = 1;

  // The budget of the current move.
  i32 StartTime = 0;                // clock reading when the search began
  i32 ElapsedSeconds = 0;           // estimated from the node count
  i32 TimePerMove = 0;              // soft limit, milliseconds
  i32 EmergencyTimeThreshold = 0;   // hard limit, milliseconds
  i32 NodesPerSecond = 1200000;     // running speed estimate
  u8 NpsCalibrated = 0;             // 0 before the speed was reported, 1 after, 2 after the extension
  u8 TimeExtended = 0;              // the fail-low extension was given
  i64 PollCountdown = 0;            // nodes to the first poll (the search counts its own down)
  i32 BookExitPly = 0;              // GamePly of the last book move

  // Turns the clock figures into TimePerMove and the hard limit. True for a
  // sudden-death budget (the console shows it).
  bool SetTimeBudget(bool analyze);
  // Nodes between two polls: an eighth of a second's worth while analysing,
  // else PollInterval().
  i64 InitMoveTimer(bool analyze) const;
  // Nodes between two polls of a timed search: a hundredth of a second's
  // worth, and at least ten polls per budget.
  i64 PollInterval() const;
  // The speed estimate from the nodes searched in the milliseconds elapsed
  // (kept when too little time has passed to tell).
  void MeasureSpeed(i64 nodes, i32 elapsed);
  // The one extension of a move whose root is failing low: time and hard
  // limit doubled, twice when the soft stop was already given (which is
  // then taken back); never beyond what the clock holds.
  void ExtendForFailLow(u8* timeUp);
  // Nodes a second over the search so far, for analysis reports; 0 under
  // half a second.
  i32 MeasureAnalysisSpeed(i64 nodes);
  // A fixed time per move that has run out (the overhead kept back).
  bool FixedTimeSpent() const;
  // Milliseconds since the search began.
  i32 Elapsed() const;

 private:
  // The time left on the engine's clock less the move overhead.
  i32 UsableTime() const;
  // The most a move may take of the engine's clock: all of it but the
  // overhead and a reserve for the GUI and any adapter between them.
  i32 ClockBound() const;
};

extern TimeControl Clock;

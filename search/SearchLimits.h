// What a front end asks of the next search besides the clock: a fixed
// depth, analysis, pondering, the book, tracing. The front ends write these;
// the search reads them, also while it runs (a command may end analysis or
// turn a ponder search into a timed one). One instance: Limits.
#pragma once
#include "board/Types.h"

class SearchLimits {
 public:
  u8 FD = 0;            // fixed search depth; 0 means the clock governs
  u8 Analyze = 0;       // analysis: no clock, no move is played
  u8 Pondering = 0;     // a ponder search runs: its clock has not started
  u8 PonderSearch = 0;  // set together with Pondering
  u8 OwnBook = 0;       // the first iteration asks the opening book
  u8 Benchmark = 0;     // a benchmark runs: the search never polls
  u8 Trace = 0;         // trace lines of the table and the book
};

extern SearchLimits Limits;

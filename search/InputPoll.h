// The platform layer of the search: a test for waiting input on standard
// input that never consumes it, and the clock.
#pragma once
#include "board/Types.h"

// Non-zero when standard input has something to read, or has reached its
// end or failed (both count as something waiting, so the reader finds out).
// Never blocks and never reads.
int InputWaiting();

// Sleeps until input is waiting or `ms` milliseconds have passed: a wait
// loop that does not burn the processor.
void PauseForInput(int ms);

// Wall-clock milliseconds since the program started, from a steady clock:
// the search keeps time by elapsed time, which processor time would misjudge
// on a busy machine.
i32 ClockMs();

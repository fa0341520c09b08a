// Coordinate move text ("e2e4") for everything the engine prints.
#pragma once
#include "board/Types.h"

extern const char files[9];

// Writes " e2e4 " (or " e7e8q;" for a piece-kind promote code), then the
// rest of the root principal variation when withPV is set, then "\n".
void fillmovestring(char* buffer, int score, char fromIndex, char toIndex, char promote, int withPV);
// Sends the engine's move in console/xboard form and flushes.
void MakeGUIMove(u64 from, u64 to, char promote, int score);

// Coordinate move text ("e2e4") for everything the engine prints.
#pragma once
#include "board/Types.h"

extern const char files[9];

// One move of a principal variation: from x 64 + to, and the promotion
// byte. In rows 1 and up of the search's table, column 0 holds the row's
// end index.
struct PVEntry {
  u16 Move;
  i8 Promote;
};

// Writes " e2e4 " (or " e7e8q;" for a piece-kind promote code), then the
// rest of a principal variation when one is given (its entries 1 to
// lineLength - 1, up to the first empty one), then "\n".
void fillmovestring(char* buffer, int score, char fromIndex, char toIndex, char promote,
                    const PVEntry* line = nullptr, int lineLength = 0);
// Sends the engine's move in console/xboard form and flushes.
void MakeGUIMove(u64 from, u64 to, char promote, int score);

#include "board/MoveText.h"

#include <cstdio>
#include <cstring>

#include "board/BitOps.h"

const char files[9] = "abcdefgh";

namespace {
// The suffix is chosen by piece-kind code, not by letter: the generator's
// 'Q'/'q' promotions therefore print no piece letter here.
const char* PromotionSuffix(char promote) {
  switch (promote) {
    case 1: case 7: return "n;";
    case 2: case 8: return "b;";
    case 3: case 9: return "r;";
    case 4: case 10: return "q;";
    default: return " ";
  }
}
}  // namespace

void fillmovestring(char* buffer, int, char fromIndex, char toIndex, char promote, const PVEntry* line,
                    int lineLength) {
  int from = fromIndex & 63, to = toIndex & 63;
  int n = sprintf(buffer, " %c%d%c%d%s", files[from & 7], from / 8 + 1, files[to & 7], to / 8 + 1,
                  PromotionSuffix(promote));
  // The rest of the line, from its second move, up to the first empty
  // entry. Callers printing a line give a buffer with room for it.
  if (line != nullptr && lineLength >= 2) {
    for (int j = 1; j < lineLength; j++) {
      const PVEntry& e = line[j];
      int f = (e.Move >> 6) & 63, t = e.Move & 63;
      if (f == t) break;
      n += sprintf(buffer + n, "%c%d%c%d ", files[f & 7], f / 8 + 1, files[t & 7], t / 8 + 1);
    }
  }
  strcpy(buffer + n, "\n");
}

void MakeGUIMove(u64 from, u64 to, char promote, int score) {
  char buffer[512];
  fillmovestring(buffer, score, (char)SquareOf(from), (char)SquareOf(to), promote);
  fputs(buffer, stdout);
  fflush(stdout);
}

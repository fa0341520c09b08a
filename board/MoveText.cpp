#include "board/MoveText.h"

#include <cstdio>
#include <cstring>

#include "board/BitOps.h"
#include "search/SearchRoutines.h"

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

void fillmovestring(char* buffer, int, char fromIndex, char toIndex, char promote, int withPV) {
  int from = fromIndex & 63, to = toIndex & 63;
  int n = sprintf(buffer, " %c%d%c%d%s", files[from & 7], from / 8 + 1, files[to & 7], to / 8 + 1,
                  PromotionSuffix(promote));
  // The rest of the root line, from its second move, up to the first empty
  // entry. Callers printing a line give a buffer of PVTextSize.
  if (withPV && Search.PVLength >= 2) {
    const int length = Search.PVLength < SearchTableRows ? Search.PVLength : SearchTableRows;
    for (int j = 1; j < length; j++) {
      const PVEntry& e = Search.PrincipalVariation[0][j];
      int f = (e.Move >> 6) & 63, t = e.Move & 63;
      if (f == t) break;
      n += sprintf(buffer + n, "%c%d%c%d ", files[f & 7], f / 8 + 1, files[t & 7], t / 8 + 1);
    }
  }
  strcpy(buffer + n, "\n");
}

void MakeGUIMove(u64 from, u64 to, char promote, int score) {
  char buffer[512];
  fillmovestring(buffer, score, (char)(RightMostBit(from) - 1), (char)(RightMostBit(to) - 1), promote, 0);
  fputs(buffer, stdout);
  fflush(stdout);
}

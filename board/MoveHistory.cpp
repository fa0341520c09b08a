#include "board/MoveHistory.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

MoveHistory MoveList;

// Records at and above NumMoves are never read, so the records are left as
// they are: the global's start zeroed, without a write that would map all
// its pages at start-up.
MoveHistory::MoveHistory() : NumMoves(0) {}

void MoveHistory::InsertHashCodeMoveHistory(u64 code1, u64 code2) {
  // Past the end the count still grows, so pushes and pops stay balanced,
  // but nothing is stored there.
  if (NumMoves >= 0 && NumMoves < Capacity) {
    entries[NumMoves].code1 = code1;
    entries[NumMoves].code2 = code2;
  }
  NumMoves += 1;
  if (NumMoves > WarningLevel) printf("MAJOR ERROR: NumMoves > %d in InsertHashCodeMoveHistor \n", WarningLevel);
  if (NumMoves < 0) printf("MAJOR ERROR: NumMoves < 0 in InsertHashCodeMoveHistor \n");
}

int MoveHistory::ThreeFoldRepDetection(int window, u64 code1, u64 code2) const {
  int low = NumMoves < window ? 0 : NumMoves - window;
  int result = -1;
  for (int i = NumMoves - 1; i >= low && i >= 0; i -= 2) {
    if (i >= Capacity) continue;
    if (entries[i].code1 == code1 && entries[i].code2 == code2) result += 1;
  }
  return result;
}

void MoveHistory::CopyRecord(const MoveHistory& record) {
  const int used = std::clamp(record.NumMoves, 0, Capacity);
  memcpy(entries, record.entries, used * sizeof(Record));
  NumMoves = record.NumMoves;
}

// The repetition stack: both Zobrist codes of every position of the game and
// of the current search line, alternating sides. MoveList is the game's
// record, kept by the front ends; each search thread walks its own copy of
// it (the search's Repetitions), taken when a search starts.
#pragma once
#include "board/Types.h"

class MoveHistory {
 public:
  // Room for the longest game plus the deepest search line; a UCI GUI
  // sends the whole game again with every move.
  static constexpr int Capacity = 10000;
  // The warning comes this close to the end, before anything is lost.
  static constexpr int WarningLevel = Capacity - 10;

  struct Record {
    u64 code1;
    u64 code2;
    u64 spare;
  };
  Record entries[Capacity];
  int NumMoves;

  MoveHistory();
  void Init() { NumMoves = 0; }
  void InsertMoveHistory(u64 code1, u64 code2) { InsertHashCodeMoveHistory(code1, code2); }
  void InsertHashCodeMoveHistory(u64 code1, u64 code2);
  void RetractMove() { NumMoves -= 1; }
  // Becomes a copy of `record`: its records in use and their count.
  void CopyRecord(const MoveHistory& record);
  // Earlier occurrences of the current position among the last `window`
  // records (same side to move); 0 when it is new, -1 for an empty window.
  int ThreeFoldRepDetection(int window, u64 code1, u64 code2) const;
};

extern MoveHistory MoveList;

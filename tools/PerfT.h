// Perft: counts the move tree of the game position to a fixed depth, as a
// check of move generation, check evasion and make/unmake.
#pragma once
#include "board/Types.h"

class ChessBoard;

class PerfT {
 public:
  u64 TotalNodes;  // every legal move made at any depth
  u64 LeafNodes;   // positions reached at depth 0

  // Runs the whole count from MainBoard and prints the report.
  explicit PerfT(int depth);
  void PerformanceTest(char side, int depth, ChessBoard board, char castleRights);
};

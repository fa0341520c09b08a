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
  // The number of legal moves of the position: what a level of depth 1
  // adds to both counters. Moves are not made where their legality can be
  // read off the board (see PerfT.cpp).
  u64 CountLegalMoves(char side, ChessBoard& board, char castleRights);
  // The same for a side with one king, into *legal; false, with nothing
  // counted, when the side is in check.
  bool CountOutOfCheck(char side, ChessBoard& board, char castleRights, u64* legal);

 private:
  // The root position keeps the board's invariants (one man per square,
  // aggregates the unions of the piece boards), which the counting of the
  // last level relies on; otherwise every move is made.
  bool Consistent = false;
};

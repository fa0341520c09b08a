// What a front end asks of the next search besides the clock: a fixed
// depth, a node budget, a mate to find, the root moves to search or leave
// out, the number of lines to report, analysis, pondering, the book,
// tracing. The front ends write these; the search
// reads them, also while it runs (a command may end analysis or turn a
// ponder search into a timed one). One instance: Limits.
#pragma once
#include <vector>

#include "board/Types.h"

class ChessBoard;

// Lines a search may report at each iteration.
constexpr int MaxLines = 256;

class SearchLimits {
 public:
  u8 FD = 0;            // fixed search depth; 0 means the clock governs
  u8 Analyze = 0;       // analysis: no clock, no move is played
  u8 Pondering = 0;     // a ponder search runs: its clock has not started
  u8 PonderSearch = 0;  // set together with Pondering
  u8 OwnBook = 0;       // the first iteration asks the opening book
  u8 Benchmark = 0;     // a benchmark runs: the search never polls
  u8 Trace = 0;         // trace lines of the table and the book
  i64 Nodes = 0;        // stop after about this many nodes; 0 none
  i32 Mate = 0;         // look for a mate in this many moves; 0 none
  // The root moves to search (from x 64 + to), all when empty. The front
  // end lists only legal moves, at least one.
  std::vector<u16> SearchMoves;
  // Root moves left out of the search (from x 64 + to), as an analysing
  // GUI excludes them.
  std::vector<u16> ExcludedMoves;
  // The best root moves each iteration reports, best first, each with its
  // own score and line (1 .. MaxLines); the move played is the first's.
  int MultiPV = 1;

  // Whether the root search may try the move.
  bool RootMoveAllowed(int from, int to) const;
  // The legal moves of the position the root search may try, as it plays
  // them (a promotion once, to a queen).
  int AllowedMoves(const ChessBoard& position) const;
};

extern SearchLimits Limits;

#include "tools/PerfT.h"

#include <cinttypes>
#include <cstdio>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/MoveText.h"
#include "engine/Status.h"
#include "movegen/MoveGen.h"

PerfT::PerfT(int depth) {
  printf("Starting PerfT test \n");
  TotalNodes = 0;
  LeafNodes = 0;
  const bool tracing = MainStatus.Trace == 1;
  if (tracing) printf("<Trace name=\"Perft\">\n");
  ChessBoard copy = MainBoard;
  PerformanceTest(MainBoard.SideToMove, depth, copy, MainBoard.CastleFlags);
  if (tracing) printf("</Trace>\n");
  printf("%" PRIu64 " Total Nodes at Depth = %d\n", TotalNodes, depth);
  printf("%" PRIu64 " Leaf Nodes at Depth = %d\n", LeafNodes, depth);
  fflush(stdout);
}

void PerfT::PerformanceTest(char side, int depth, ChessBoard board, char castleRights) {
  if (depth < 1) {
    LeafNodes++;
    return;
  }
  MoveGen list;
  int n = board.InCheck(board.SideKing(side), side) ? list.GenCheckEvasions(side, &board)
                                                    : list.GenerateAllMoves(side, &board, castleRights);
  const bool tracing = MainStatus.Trace == 1;
  for (int i = 0; i < n; i++) {
    u64 from, to;
    char promote, mask;
    list.GetMove(i, n, &from, &to, &promote);
    board.MakeMove(from, to, promote, &mask);
    if (board.InCheck(board.SideKing(side), side)) {
      board.UndoMove(i);
      continue;
    }
    TotalNodes++;
    if (tracing) {
      char text[512];
      fillmovestring(text, 0, (char)(RightMostBit(from) - 1), (char)(RightMostBit(to) - 1), promote, 0);
      printf("<Move name=\"{ %snodes %" PRIu64 "\">\n", text, TotalNodes);
    }
    PerformanceTest(side ^ 1, depth - 1, board, castleRights & mask);
    if (tracing) printf("</Move >\n} \n");
    board.UndoMove(i);
  }
}

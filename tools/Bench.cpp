#include "tools/Bench.h"

#include <cstdio>

#include "board/ChessBoard.h"
#include "board/MoveHistory.h"
#include "board/PositionText.h"
#include "search/SearchLimits.h"
#include "eval/PawnHash.h"
#include "search/InputPoll.h"
#include "search/SearchRoutines.h"
#include "search/SearchThreads.h"
#include "search/TranspositionTables.h"

const char* const BenchPositions[6] = {
    "3r1k2/4npp1/1ppr3p/p6P/P2PPPP1/1NR5/5K2/2R5 w - - 0 0",
    "rnbqkb1r/p3pppp/1p6/2ppP3/3N4/2P5/PPP1QPPP/R1B1KB1R w KQkq - 0 0",
    "4b3/p3kp2/6p1/3pP2p/2pP1P2/4K1P1/P3N2P/8 w - - 0 0",
    "r3r1k1/ppqb1ppp/8/4p1NQ/8/2P5/PP3PPP/R3R1K1 b - - 0 0",
    "2r2rk1/1bqnbpp1/1p1ppn1p/pP6/N1P1P3/P2B1N1P/1B2QPP1/R2R2K1 b - - 0 0",
    "r1bqk2r/pp2bppp/2p5/3pP3/P2Q1P2/2N1B3/1PP3PP/R4RK1 b kq - 0 0",
};

namespace {
struct NodeSums {
  i64 interior = 0;
  i64 quiesce = 0;
  i64 leaf = 0;

  // The main search's and its helpers'.
  void Add() {
    i64 helperInterior, helperQuiesce, helperLeaf;
    Threads.HelperNodeCounts(&helperInterior, &helperQuiesce, &helperLeaf);
    interior += Search.NodeCount + helperInterior;
    quiesce += Search.QuiesceNodeCount + helperQuiesce;
    leaf += Search.LeafNodeCount + helperLeaf;
  }
};

void Report(i32 t, const NodeSums& sums) {
  const long long total = sums.interior + sums.quiesce;
  printf("    Time Interior Nodes Quiesce Nodes Total Nodes        NPS\n");
  printf("%8d%12lld%14lld%14lld%12lld\n", t, (long long)sums.interior, (long long)sums.quiesce, total,
         total / t * 1000);
  fflush(stdout);
  printf("Leaf Interior Nodes searched = %lld\n", (long long)sums.leaf);
  TranspositionTables& tt = PositionCache;
  if (tt.Hits == 0 && tt.Misses == 0) tt.Misses = 1;
  printf("Transposition Table Hits %lld  Misses  %lld  Ratio = %lld\n", (long long)tt.Hits, (long long)tt.Misses,
         (long long)(100 * tt.Hits / (tt.Hits + tt.Misses)));
  const PawnHashTable& pawns = *PE.PawnCache;
  printf("Pawn misses %d Pawn attempts %d Pawn miss rate = %g\n", pawns.Phashmisses, pawns.Phashattempts,
         100.0 * pawns.Phashmisses / pawns.Phashattempts);
  fflush(stdout);
}

i32 Since(i32 t0) {
  i32 t = ClockMs() - t0;
  return t == 0 ? 1 : t;
}

// One position, set up afresh with empty history and repetition stack.
void SetUpPosition(int number) {
  MoveList.Init();
  SetupBoard(BenchPositions[number - 1]);
  Search.ClearHistory();
}

// The counters, and the tables mapped before the clock starts, as a front
// end has them mapped before a game's first search.
void ZeroCounters() {
  Search.NodeCount = 0;
  Search.QuiesceNodeCount = 0;
  Search.LeafNodeCount = 0;
  Search.MapTables();
}

// The move found is played on the board, whose state (the fifty-move
// count among it) the next position's set-up keeps: the benchmark's figures
// have always been measured so.
int Deepen() {
  ChessBoard& b = MainBoard;
  const int v =
      Search.ProgressiveDeepening(b, (char)Limits.FD, &b.BestMoveFrom, &b.BestMoveTo, &b.BestMovePromote);
  if (Search.MoveToPlay(v)) b.PlayMove(b.BestMoveFrom, b.BestMoveTo, b.BestMovePromote);
  return v;
}

// Position 5 through the driver, then through the exact-depth search.
void RunTwoWays(bool withText) {
  ZeroCounters();
  printf("Running benchmark \n");
  printf("Progressive Deepening\n");
  fflush(stdout);
  i32 t0 = ClockMs();
  SetUpPosition(5);
  Deepen();
  NodeSums sums;
  sums.Add();
  PositionCache.ClearTranspositionTables();
  if (withText) {
    char text[128];
    for (int i = 0; i < 3; i++) pos2fenString(&MainBoard, text);
  }
  Report(Since(t0), sums);

  ZeroCounters();
  printf("Running benchmark \n");
  printf("Search Exact Depth\n");
  fflush(stdout);
  t0 = ClockMs();
  SetUpPosition(5);
  ChessBoard& b = MainBoard;
  Search.SearchExactDepth(b, (char)Limits.FD, &b.BestMoveFrom, &b.BestMoveTo, &b.BestMovePromote);
  NodeSums exact;
  exact.Add();
  PositionCache.ClearTranspositionTables();
  Report(Since(t0), exact);
}
}  // namespace

void Bench() {
  ZeroCounters();
  printf("Running benchmark ");
  fflush(stdout);
  const i32 t0 = ClockMs();
  NodeSums sums;
  for (int n = 1; n <= 6; n++) {
    printf(n < 6 ? "%d " : "%d\n", n);
    fflush(stdout);
    SetUpPosition(n);
    Deepen();
    sums.Add();
    PositionCache.ClearTranspositionTables();
  }
  Report(Since(t0), sums);
}

void Bench2() { RunTwoWays(false); }

void Bench3() { RunTwoWays(true); }

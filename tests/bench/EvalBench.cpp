// Nanoseconds per static evaluation over a fixed set of positions: the six
// benchmark positions, the start position and a few endings. The warm run
// is what the search sees (pawn structures repeat, the pawn cache hits); the
// cold one misses the pawn cache on every call.
#include <benchmark/benchmark.h>

#include <iterator>
#include <vector>

#include "board/ChessBoard.h"
#include "board/HashCodes.h"
#include "board/PositionText.h"
#include "engine/Engine.h"
#include "eval/PawnHash.h"
#include "eval/PositionEvaluate.h"
#include "tools/Bench.h"

namespace {
// Besides the benchmark positions.
const char* const MorePositions[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "8/5k2/8/2PP4/8/8/5K2/8 b - -",
    "6k1/1R3ppp/8/8/8/8/5PPP/1r4K1 w - -",
    "r1b2rk1/ppq2ppp/2n1p3/3pP1N1/3P2Q1/2PB4/P4PPP/R4RK1 w - -",
};

std::vector<ChessBoard> Boards() {
  static bool initialised = false;
  if (!initialised) {
    StartEngine();
    initialised = true;
  }
  std::vector<ChessBoard> boards;
  std::vector<const char*> fens(std::begin(BenchPositions), std::end(BenchPositions));
  fens.insert(fens.end(), std::begin(MorePositions), std::end(MorePositions));
  for (const char* fen : fens) {
    SetupBoard(fen);
    ChessBoard b = MainBoard;
    b.InitPieceCounts();
    unsigned long code = 0;
    genpawnhashcode(0, &b, &code);
    b.PawnHashCode = (u32)code;
    b.CheckDraw(b.SideToMove);
    boards.push_back(b);
  }
  return boards;
}

void BM_PosEvalWarm(benchmark::State& state) {
  std::vector<ChessBoard> boards = Boards();
  PE.PawnCache->Clear();
  size_t i = 0;
  for (auto _ : state) {
    ChessBoard& b = boards[i];
    benchmark::DoNotOptimize(PE.PosEval(b.SideToMove, -MateScore, MateScore, &b));
    if (++i == boards.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PosEvalWarm);

void BM_PosEvalColdPawnCache(benchmark::State& state) {
  std::vector<ChessBoard> boards = Boards();
  size_t i = 0;
  for (auto _ : state) {
    ChessBoard& b = boards[i];
    // A new code every call: every probe misses and stores.
    b.PawnHashCode += 0x00010001u;
    benchmark::DoNotOptimize(PE.PosEval(b.SideToMove, -MateScore, MateScore, &b));
    if (++i == boards.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PosEvalColdPawnCache);
}  // namespace

BENCHMARK_MAIN();

// Nanoseconds per static evaluation over a fixed set of positions: the six
// benchmark positions, the start position and a few endings. The warm run
// is what the search sees (pawn structures repeat, the pawn cache hits); the
// cold one misses the pawn cache on every call.
#include <benchmark/benchmark.h>

#include <vector>

#include "board/ChessBoard.h"
#include "board/HashCodes.h"
#include "board/PositionText.h"
#include "engine/Engine.h"
#include "eval/PawnHash.h"
#include "eval/PositionEvaluate.h"

namespace {
const char* const Positions[] = {
    "3r1k2/4npp1/1ppr3p/p6P/P2PPPP1/1NR5/5K2/2R5 w - -",
    "rnbqkb1r/p3pppp/1p6/2ppP3/3N4/2P5/PPP1QPPP/R1B1KB1R w KQkq -",
    "4b3/p3kp2/6p1/3pP2p/2pP1P2/4K1P1/P3N2P/8 w - -",
    "r3r1k1/ppqb1ppp/8/4p1NQ/8/2P5/PP3PPP/R3R1K1 b - -",
    "2r2rk1/1bqnbpp1/1p1ppn1p/pP6/N1P1P3/P2B1N1P/1B2QPP1/R2R2K1 b - -",
    "r1bqk2r/pp2bppp/2p5/3pP3/P2Q1P2/2N1B3/1PP3PP/R4RK1 b kq -",
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
  for (const char* fen : Positions) {
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
  ClearPawnHash();
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

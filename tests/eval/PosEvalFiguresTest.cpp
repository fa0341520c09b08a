// Whole-position evaluation figures.
#include <gtest/gtest.h>

#include "board/ChessBoard.h"
#include "eval/PawnHash.h"
#include "eval/PositionEvaluate.h"
#include "support/EngineSetup.h"

namespace {
enum Mating { MatingZero, AsCheckDraw };

int EvaluateFresh(const char* fen, Mating mating) {
  ChessBoard& b = LoadFen(fen);
  ClearPawnHash();
  if (mating == AsCheckDraw) b.CheckDraw(b.SideToMove);
  else b.MatingMaterial = 0;
  return PE.PosEval(b.SideToMove, -MateScore, MateScore, &b);
}

struct Figure {
  const char* fen;
  Mating mating;
  int expected;
};

const Figure Figures[] = {
    {"8/8/8/4k3/8/8/4P3/4K3 w - -", MatingZero, 820},
    {"8/8/8/4k3/8/8/4P3/4K3 w - -", AsCheckDraw, 1620},
    {"8/8/8/4k3/8/8/4P3/4K3 b - -", MatingZero, -820},
    {"4k3/8/8/8/8/8/4P3/R3K3 w - -", MatingZero, 6470},
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", AsCheckDraw, 0},
    {"3r1k2/4npp1/1ppr3p/p6P/P2PPPP1/1NR5/5K2/2R5 w - - 0 0", AsCheckDraw, 400},
    {"rnbqkb1r/p3pppp/1p6/2ppP3/3N4/2P5/PPP1QPPP/R1B1KB1R w KQkq - 0 0", AsCheckDraw, 310},
    {"4b3/p3kp2/6p1/3pP2p/2pP1P2/4K1P1/P3N2P/8 w - - 0 0", AsCheckDraw, 50},
    {"r3r1k1/ppqb1ppp/8/4p1NQ/8/2P5/PP3PPP/R3R1K1 b - - 0 0", AsCheckDraw, -190},
    {"2r2rk1/1bqnbpp1/1p1ppn1p/pP6/N1P1P3/P2B1N1P/1B2QPP1/R2R2K1 b - - 0 0", AsCheckDraw, -640},
    {"r1bqk2r/pp2bppp/2p5/3pP3/P2Q1P2/2N1B3/1PP3PP/R4RK1 b kq - 0 0", AsCheckDraw, -590},
};

TEST(PosEvalFigures, MatchIndependentReading) {
  for (const Figure& f : Figures) EXPECT_EQ(EvaluateFresh(f.fen, f.mating), f.expected) << f.fen;
}
}  // namespace

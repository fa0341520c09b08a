// Whole evaluations: figures for whole positions, the pawnless shortcut,
// the phase, the lazy exits, the material corrections and the evaluation
// line printed after the board display.
#include <gtest/gtest.h>

#include <string>

#include "board/ChessBoard.h"
#include "eval/EvalHelpers.h"
#include "eval/PawnHash.h"
#include "eval/PositionEvaluate.h"
#include "support/EngineSetup.h"

namespace {
struct Figure {
  const char* fen;
  Mating mating;
  int expected;
};

TEST(PosEval, WholePositionFigures) {
  const Figure figures[] = {
      // The lone pawn: 800 + 200, pawn structure +10, passer and king terms;
      // +800 once White is known to have mating material.
      {"8/8/8/4k3/8/8/4P3/4K3 w - -", Mating::Zero, 820},
      {"8/8/8/4k3/8/8/4P3/4K3 w - -", Mating::AsCheckDraw, 1620},
      {"8/8/8/4k3/8/8/4P3/4K3 b - -", Mating::Zero, -820},
      {"4k3/8/8/8/8/8/4P3/R3K3 w - -", Mating::Zero, 6470},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", Mating::AsCheckDraw, 0},
      // The six benchmark positions.
      {"3r1k2/4npp1/1ppr3p/p6P/P2PPPP1/1NR5/5K2/2R5 w - - 0 0", Mating::AsCheckDraw, 400},
      {"rnbqkb1r/p3pppp/1p6/2ppP3/3N4/2P5/PPP1QPPP/R1B1KB1R w KQkq - 0 0", Mating::AsCheckDraw, 310},
      {"4b3/p3kp2/6p1/3pP2p/2pP1P2/4K1P1/P3N2P/8 w - - 0 0", Mating::AsCheckDraw, 50},
      {"r3r1k1/ppqb1ppp/8/4p1NQ/8/2P5/PP3PPP/R3R1K1 b - - 0 0", Mating::AsCheckDraw, -190},
      {"2r2rk1/1bqnbpp1/1p1ppn1p/pP6/N1P1P3/P2B1N1P/1B2QPP1/R2R2K1 b - - 0 0", Mating::AsCheckDraw, -640},
      {"r1bqk2r/pp2bppp/2p5/3pP3/P2Q1P2/2N1B3/1PP3PP/R4RK1 b kq - 0 0", Mating::AsCheckDraw, -590},
  };
  for (const Figure& f : figures) EXPECT_EQ(EvaluateFresh(f.fen, f.mating), f.expected) << f.fen;
}

TEST(PosEval, PawnlessShortcutIsNotRounded) {
  const Figure cases[] = {
      // Bare kings: KingEnding c6 (12) - b2 (-70), from the side to move.
      {"8/8/2K5/8/8/8/1k6/8 w - -", Mating::Zero, 82},
      {"8/8/2K5/8/8/8/1k6/8 b - -", Mating::Zero, -82},
      // Identical material: the kings only.
      {"8/8/2K5/2N5/8/8/1k3n2/8 w - -", Mating::Zero, 82},
      // One minor piece up: three quarters of 3250, truncated.
      {"8/8/2K5/2N5/8/8/1k6/8 w - -", Mating::Zero, 82 + 2437},
      {"8/8/2K5/2N5/8/8/1k6/8 b - -", Mating::Zero, -82 - 2437},
      {"8/8/2K5/8/8/8/1k2n3/8 b - -", Mating::Zero, -70 - 12 + 2437},
      // Mating material plays no part here.
      {"8/8/2K5/2N5/8/8/1k6/8 w - -", Mating::AsCheckDraw, 82 + 2437},
  };
  for (const Figure& c : cases) EXPECT_EQ(EvaluateFresh(c.fen, c.mating), c.expected) << c.fen;
}

TEST(PosEval, BishopPairAgainstKnightIsEvaluatedInFull) {
  const char* const fens[] = {"8/8/2K5/8/8/2BB4/1k6/6n1 w - -", "8/8/2K5/8/8/2bb4/1k6/6N1 b - -"};
  for (const char* fen : fens) {
    const int v = EvaluateFresh(fen, Mating::Zero);
    EXPECT_NE(v, 82 + 2437) << fen;
    EXPECT_EQ(v % 10, 0) << fen;
  }
}

TEST(PosEval, PhaseNeverDropsBelowOne) {
  const struct {
    const char* fen;
    int phase;
  } cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", 1},
      {"qqqqk3/pppppppp/8/8/8/8/PPPPPPPP/QQQQK3 w - -", 1},
      {"r3k3/p7/8/8/8/8/P7/R3K3 w - -", 20},
      {"4k3/p7/8/8/8/8/P7/4K3 w - -", 24},
  };
  for (const auto& c : cases) {
    EvaluateFresh(c.fen, Mating::Zero);
    EXPECT_EQ(PE.Phase, c.phase) << c.fen;
  }
}

TEST(PosEval, LazyExitsReturnUnroundedScores) {
  // After king placement the score is 5989; the middle block adds 335 for
  // the rook on the seventh; the completed evaluation is 6774, rounded.
  const struct {
    const char* fen;
    int alpha, beta, expected;
  } cases[] = {
      {"4k3/R7/8/8/8/8/4P3/4K3 w - -", -MateScore, MateScore, 6770},
      {"4k3/R7/8/8/8/8/4P3/4K3 w - -", -MateScore, -100, 5989},   // first exit, above beta
      {"4k3/R7/8/8/8/8/4P3/4K3 w - -", 12000, MateScore, 5989},   // first exit, below alpha
      {"4k3/R7/8/8/8/8/4P3/4K3 w - -", -MateScore, 4000, 6324},   // second exit
      {"4k3/R7/8/8/8/8/4P3/4K3 b - -", -MateScore, MateScore, -6770},
      {"4k3/R7/8/8/8/8/4P3/4K3 b - -", 100, MateScore, -5989},
  };
  for (const auto& c : cases) {
    ChessBoard& b = LoadFen(c.fen);
    PE.PawnCache->Clear();
    b.MatingMaterial = 0;
    EXPECT_EQ(PE.PosEval(b.SideToMove, c.alpha, c.beta, &b), c.expected)
        << c.fen << " window " << c.alpha << " " << c.beta;
  }
}

TEST(PosEval, MaterialCorrections) {
  const struct {
    const char* fen;
    int expected;
  } cases[] = {
      {"8/8/4k3/3p4/8/2N5/8/1K6 w - -", -800},  // a lone knight against pawns
      {"8/8/4k3/3p4/8/2B5/8/1K6 w - -", -750},
      {"8/8/4k3/8/8/2b5/3P4/1K6 w - -", 750},
      // Doubled pawns by the owner's heavy pieces.
      {"4k3/8/8/8/2P5/2P5/8/4K3 w - -", -190},
      {"4k3/8/8/8/2P5/2P5/8/R3K3 w - -", -125},
      {"4k3/8/8/8/2P5/2P5/8/R3K2R w - -", -62},
      {"4k3/8/8/8/2P5/2P5/8/3QK3 w - -", -62},
      {"4k3/2p5/2p5/8/8/8/8/4K3 w - -", 190},
  };
  for (const auto& c : cases) {
    PrepareTerms(c.fen);
    EXPECT_EQ(PE.DynamicPieceAdjustments(), c.expected) << c.fen;
  }
}

TEST(PosEval, MaterialFunctions) {
  ChessBoard& start = LoadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
  EXPECT_EQ(PE.MaterialOnly(0, start), 0);
  EXPECT_EQ(PE.SideMaterialValue(0, &start), 32750);
  EXPECT_EQ(PE.SideMaterialValue(1, &start), 32750);
  ChessBoard& b = LoadFen("4k3/8/8/8/8/8/4P3/R3K3 w - -");
  EXPECT_EQ(PE.MaterialOnly(0, b), 5800);
  EXPECT_EQ(PE.MaterialOnly(1, b), -5800);
  EXPECT_EQ(PE.SideMaterialValue(0, &b), 5000);
  EXPECT_EQ(PE.SideMaterialValue(1, &b), 0);
}

// Black to move, and the line still gives White's view.
TEST(PosEval, ScoreLinePrintsWhitesView) {
  ChessBoard& b = LoadFen("8/8/8/4k3/8/8/4P3/4K3 b - -");
  PE.PawnCache->Clear();
  b.MatingMaterial = 0;
  testing::internal::CaptureStdout();
  PE.PrintWhiteScore(&b);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n PosEval from White view 820\n");
}
}  // namespace

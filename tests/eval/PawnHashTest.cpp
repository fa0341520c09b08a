// The pawn hash table: hits give the same result as a fresh analysis, the
// counters move once per probe and once per store, the keys are exactly the
// pawn code and the pawn bitboard, and an emptied table never hits.
#include <gtest/gtest.h>

#include "board/ChessBoard.h"
#include "eval/EvalHelpers.h"
#include "eval/PawnHash.h"
#include "eval/PositionEvaluate.h"
#include "support/EngineSetup.h"

namespace {
int Evaluate(ChessBoard& b) { return PE.PosEval(b.SideToMove, -MateScore, MateScore, &b); }

TEST(PawnHash, SecondEvaluationHitsWithTheSameValue) {
  const char* const fens[] = {
      "3r1k2/4npp1/1ppr3p/p6P/P2PPPP1/1NR5/5K2/2R5 w - -",
      "4k3/8/1p6/3P4/2P5/8/8/4K3 b - -",
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
  };
  for (const char* fen : fens) {
    ChessBoard& b = LoadFen(fen);
    b.CheckDraw(b.SideToMove);
    PE.PawnCache->Clear();
    const int attempts = PE.PawnCache->Phashattempts, misses = PE.PawnCache->Phashmisses;
    const int first = Evaluate(b);
    EXPECT_EQ(PE.PawnCache->Phashattempts, attempts + 1) << fen;
    EXPECT_EQ(PE.PawnCache->Phashmisses, misses + 1) << fen;
    const int second = Evaluate(b);
    EXPECT_EQ(second, first) << fen;
    EXPECT_EQ(PE.PawnCache->Phashattempts, attempts + 2) << fen;
    EXPECT_EQ(PE.PawnCache->Phashmisses, misses + 1) << fen;
  }
}

TEST(PawnHash, ShortcutsDoNotProbe) {
  ChessBoard& b = LoadFen("8/8/2K5/2N5/8/8/1k6/8 w - -");
  const int attempts = PE.PawnCache->Phashattempts;
  Evaluate(b);
  EXPECT_EQ(PE.PawnCache->Phashattempts, attempts);
}

TEST(PawnHash, SharedLowBitsEvictEachOther) {
  ChessBoard a = LoadFen("4k3/pp6/8/8/8/8/PP6/4K3 w - -");
  ChessBoard c = LoadFen("4k3/p1p5/8/8/8/8/P1P5/4K3 w - -");
  a.PawnHashCode = 0x12340005;
  c.PawnHashCode = 0x56780005;
  PE.PawnCache->Clear();
  const int misses = PE.PawnCache->Phashmisses;
  Evaluate(a);
  Evaluate(c);
  Evaluate(a);
  EXPECT_EQ(PE.PawnCache->Phashmisses, misses + 3);
}

TEST(PawnHash, PawnBitboardGuardsAgainstEqualCodes) {
  ChessBoard a = LoadFen("4k3/pp6/8/8/8/8/PP6/4K3 w - -");
  ChessBoard c = LoadFen("4k3/8/1p6/3P4/2P5/8/8/4K3 w - -");
  a.PawnHashCode = c.PawnHashCode = 0x9ABC0001;
  PE.PawnCache->Clear();
  const int fresh = Evaluate(c);
  PE.PawnCache->Clear();
  Evaluate(a);
  const int misses = PE.PawnCache->Phashmisses;
  EXPECT_EQ(Evaluate(c), fresh);
  EXPECT_EQ(PE.PawnCache->Phashmisses, misses + 1);
}

// The code is the only thing that tells king squares apart: within a search
// it follows the king moves. Equal codes and equal pawns hit, whatever else
// differs.
TEST(PawnHash, KeysAreTheCodeAndThePawnsOnly) {
  ChessBoard a = LoadFen("4k3/p7/8/8/8/8/P7/4K3 w - -");
  ChessBoard c = LoadFen("8/p4k2/8/8/8/8/P7/2R3K1 b - -");
  a.PawnHashCode = c.PawnHashCode = 0x00420042;
  PE.PawnCache->Clear();
  Evaluate(a);
  const int misses = PE.PawnCache->Phashmisses;
  Evaluate(c);
  EXPECT_EQ(PE.PawnCache->Phashmisses, misses);
}

// A pawnless position at the root has pawn code 0, the same key as an
// emptied slot 0; it must be analysed, not handed an empty summary (which
// would, among other things, show no open file to its rook).
TEST(PawnHash, EmptiedTableNeverHits) {
  ChessBoard& b = LoadFen("4k3/8/8/8/8/8/8/R3K3 w - -");
  b.MatingMaterial = 0;
  b.PawnHashCode = 0x00010001;
  PE.PawnCache->Clear();
  const int expected = Evaluate(b);
  b.PawnHashCode = 0;
  PE.PawnCache->Clear();
  const int misses = PE.PawnCache->Phashmisses;
  EXPECT_EQ(Evaluate(b), expected);
  EXPECT_EQ(PE.PawnCache->Phashmisses, misses + 1);
  EXPECT_EQ(PE.OpenFiles, ~0ULL);
}
}  // namespace

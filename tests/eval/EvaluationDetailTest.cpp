// The evaluation by term: its terms add up to PosEval's score on the
// benchmark positions, on positions picked for the terms they exercise and
// on positions from random games, for either side to move; each colour's
// share of a term is the other colour's share in the colour mirror; and a
// few terms land with the side they belong to.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "board/ChessBoard.h"
#include "board/PositionText.h"
#include "eval/EvalHelpers.h"
#include "eval/EvaluationDetail.h"
#include "eval/PawnHash.h"
#include "eval/PositionEvaluate.h"
#include "movegen/SANText.h"
#include "support/EngineSetup.h"
#include "tools/Bench.h"

namespace {
// Each reaches a term the middle game seldom does.
const char* const Picked[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "8/5k2/8/2PP4/8/8/5K2/8 b - -",  // connected passers
    "8/6p1/8/8/k7/8/1P6/7K w - -",   // a pawn race
    "8/1p6/8/8/8/8/6P1/k6K w - -",
    "N5k1/p1p2ppp/8/8/8/8/5PPP/6K1 w - -",  // trapped knights, bishops, rooks
    "6k1/5p1B/6p1/8/8/8/5PPP/6K1 b - -",
    "r5k1/5ppp/8/8/8/8/5PPP/5KR1 w - -",
    "3r2k1/5ppp/8/8/8/8/PPP5/1KR5 b - -",
    "6k1/5pQp/5bp1/8/8/8/5PPP/6K1 w - -",  // a trapped queen
    "6k1/RR3ppp/8/8/8/8/r4PPP/6K1 b - -",  // the seventh rank
    "6k1/Q4ppp/8/8/8/8/q4PPP/6K1 w - -",
    "4k3/5p2/2b5/4P3/3B4/8/5K2/8 w - -",  // opposite-coloured bishops
    "4k3/p4p2/2b5/P3P3/8/8/4BK2/8 b - -",
    "8/8/4k3/3p4/8/2N5/8/1K6 w - -",      // a lone minor piece
    "8/2p5/4k3/3p4/8/2N5/4P3/1K6 w - -",  // a minor piece against pawns
    "8/8/3k4/8/8/2BB4/8/4K1n1 w - -",     // pawnless: in full, and the shortcuts
    "8/8/3k4/8/8/2B5/8/4K1n1 b - -",
    "8/8/3k4/8/8/2B5/8/4K3 w - -",
    "8/8/3k4/8/3r4/8/2Q5/4K3 w - -",
    "8/8/3k4/8/8/8/2R5/4K3 b - -",                                // a king pulled to the bare king
    "r1b2rk1/ppq2ppp/2n1p3/3pP1N1/3P2Q1/2PB4/P4PPP/R4RK1 w - -",  // king attacks, storms
    "2kr3r/pppq1ppp/2n5/8/4PPP1/2N5/PPPQ3P/R3K2R w KQ -",
    "rnbqk2r/ppppppbp/5np1/8/8/5NP1/PPPPPPBP/RNBQK2R w KQkq -",  // fianchettos
    "r2q1rk1/1b2bppp/p2p1n2/1p1Np3/4P3/1B3N2/PPP2PPP/R2QR1K1 w - -",
    "r5k1/1pp2ppp/1pp5/8/8/2P5/P1P2PPP/R5K1 w - -",              // doubled pawns
    "rnbqkb1r/pp1p1ppp/3p4/8/8/3P4/PP1P1PPP/RNBQKB1R w KQkq -",  // blocked centre pawns
    "k7/8/8/8/8/QQQQQ3/QQQQ4/RRBBNNK1 b - -",                    // so far ahead that the evaluation stops early
};

std::string Fen(const ChessBoard& b) {
  char text[256];
  pos2fenString(&b, text);
  return text;
}

// The breakdown of the board as a search node sees it (counts current,
// mating material as the draw rules find it), from an empty pawn cache
// unless the board's pawn code holds its kings.
EvaluationDetail Explain(ChessBoard board, bool emptyCache = true) {
  board.CheckDraw(board.SideToMove);
  if (emptyCache) PE.PawnCache->Clear();
  EvaluationDetail d;
  d.Explain(&board);
  return d;
}

void ExpectTermsAddUp(const ChessBoard& board, bool emptyCache = true) {
  const EvaluationDetail d = Explain(board, emptyCache);
  const int whiteView = board.SideToMove ? -d.Evaluation : d.Evaluation;
  EXPECT_EQ(d.Total, whiteView) << Fen(board);
  int sum = d.OppositeBishops + d.Rounding;
  for (int t = 0; t < EvalTermCount; t++) sum += d.Blended(d.White[t]) - d.Blended(d.Black[t]);
  EXPECT_EQ(sum, d.Total) << Fen(board);
  // Blending each share on its own and rounding to tens costs a few units,
  // never a term's worth.
  EXPECT_LT(d.Rounding < 0 ? -d.Rounding : d.Rounding, 10 + 2 * EvalTermCount) << Fen(board);
}

// Both sides to move: the passed-pawn terms and the pawn races depend on it.
void ExpectTermsAddUpEitherSide(ChessBoard board) {
  ExpectTermsAddUp(board);
  board.SideToMove ^= 1;
  if (!board.InCheck(board.SideKing(board.SideToMove ^ 1), board.SideToMove ^ 1)) ExpectTermsAddUp(board);
}

TEST(EvaluationDetailTest, TermsAddUpToTheEvaluation) {
  for (const char* fen : BenchPositions) ExpectTermsAddUpEitherSide(LoadFen(fen));
  for (const char* fen : Picked) ExpectTermsAddUpEitherSide(LoadFen(fen));
}

TEST(EvaluationDetailTest, TermsAddUpInRandomGames) {
  std::mt19937 rng(5);
  int positions = 0;
  for (const char* start : RandomGameStarts) {
    for (int game = 0; game < 6; game++) {
      ChessBoard b = LoadFen(start);
      for (int ply = 0; ply < 100; ply++) {
        const std::vector<LegalMove> moves = LegalMoves(b);
        if (moves.empty()) break;
        const LegalMove& m = moves[rng() % moves.size()];
        b.PlayMove(m.From, m.To, m.Promote);
        b.SideToMove ^= 1;
        SetPawnCodeWithKings(b);
        ExpectTermsAddUp(b, false);
        positions++;
      }
    }
  }
  EXPECT_GT(positions, 1500);
}

// White's share of every term in a position is Black's share in its colour
// mirror, and the other way round: no term is given to the wrong colour or
// counted from the wrong side's view.
TEST(EvaluationDetailTest, SharesFollowTheColours) {
  for (const char* fen : Picked) {
    const ChessBoard p = LoadFen(fen);
    const EvaluationDetail d = Explain(p);
    const EvaluationDetail m = Explain(MirrorBoard(p));
    EXPECT_EQ(d.Total, -m.Total) << fen;
    for (int t = 0; t < EvalTermCount; t++) {
      EXPECT_EQ(d.White[t].Plain, m.Black[t].Plain) << fen << " term " << t;
      EXPECT_EQ(d.White[t].Mg, m.Black[t].Mg) << fen << " term " << t;
      EXPECT_EQ(d.White[t].Eg, m.Black[t].Eg) << fen << " term " << t;
      EXPECT_EQ(d.Black[t].Plain, m.White[t].Plain) << fen << " term " << t;
      EXPECT_EQ(d.Black[t].Mg, m.White[t].Mg) << fen << " term " << t;
      EXPECT_EQ(d.Black[t].Eg, m.White[t].Eg) << fen << " term " << t;
    }
  }
}

TEST(EvaluationDetailTest, TermsLandWithTheirSide) {
  const struct {
    const char* fen;
    EvalTerm term;
    EvaluationDetail::Share white, black;
  } cases[] = {
      // White's knight on a8 is shut in by the pawns on a7 and c7.
      {"N5k1/p1p2ppp/8/8/8/8/5PPP/6K1 w - -", TrappedPieceTerm, {0, -1219, -1219}, {0, 0, 0}},
      // One White rook on the seventh: 350 in the ending, half of it before.
      {"6k1/1R3ppp/8/8/8/8/5PPP/6K1 w - -", SeventhRankTerm, {0, 175, 350}, {0, 0, 0}},
      // A rook against the bare king: White's king is pulled towards
      // Black's, 80 a square of the distance (five from e1 to d6).
      {"8/8/3k4/8/8/8/2R5/4K3 b - -", KingPlacementTerm, {-400, -210, -50}, {0, -100, 32}},
  };
  for (const auto& c : cases) {
    const EvaluationDetail d = Explain(LoadFen(c.fen));
    EXPECT_EQ(d.White[c.term].Plain, c.white.Plain) << c.fen;
    EXPECT_EQ(d.White[c.term].Mg, c.white.Mg) << c.fen;
    EXPECT_EQ(d.White[c.term].Eg, c.white.Eg) << c.fen;
    EXPECT_EQ(d.Black[c.term].Plain, c.black.Plain) << c.fen;
    EXPECT_EQ(d.Black[c.term].Mg, c.black.Mg) << c.fen;
    EXPECT_EQ(d.Black[c.term].Eg, c.black.Eg) << c.fen;
  }
}
}  // namespace

// The evaluation must not favour a colour: a position and its colour mirror
// (flipped top to bottom, colours, side to move and castling rights
// exchanged) score the same for their side to move. Checked over seeded
// random games and hand-made endings, with the full window and with a narrow
// one that triggers the lazy exits.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "board/ChessBoard.h"
#include "board/PositionText.h"
#include "eval/EvalHelpers.h"
#include "eval/PositionEvaluate.h"
#include "movegen/MoveGen.h"
#include "support/EngineSetup.h"

namespace {
// Endings and middle games picked for the terms they exercise.
const char* const HandMade[] = {
    // Passed pawns: lone, connected, protected, doubled, blocked, free path.
    "8/5k2/8/3P4/8/8/5K2/8 w - -",
    "8/5k2/8/2PP4/8/8/5K2/8 b - -",
    "8/1k6/8/2P5/1P6/8/5K2/8 w - -",
    "8/3k4/8/8/2P5/2P5/2P2K2/8 w - -",
    "6k1/1P6/8/8/8/8/5K2/1r6 w - -",
    "6k1/8/1P6/8/8/8/5K2/8 b - -",
    "4k3/1p6/8/8/8/5N2/1P3K2/8 w - -",
    // Pawn races, unstoppable pawns and queening with check.
    "8/6p1/8/8/k7/8/1P6/7K w - -",
    "8/6p1/8/8/k7/8/1P6/7K b - -",
    "7k/p7/8/8/8/8/7P/K7 w - -",
    "8/1p6/8/8/8/8/6P1/k6K w - -",
    "2k5/8/8/P7/7p/8/8/5K2 b - -",
    // Trapped knights, bishops, rooks and queens.
    "N5k1/p1p2ppp/8/8/8/8/5PPP/6K1 w - -",
    "6k1/Np3ppp/p1p5/8/8/8/5PPP/6K1 b - -",
    "6k1/1Np2ppp/pp6/8/8/8/5PPP/6K1 w - -",
    "6k1/B1p2ppp/1p6/8/8/8/5PPP/6K1 w - -",
    "6k1/5p1B/6p1/8/8/8/5PPP/6K1 b - -",
    "r5k1/5ppp/8/8/8/8/5PPP/5KR1 w - -",
    "3r2k1/5ppp/8/8/8/8/PPP5/1KR5 b - -",
    "6k1/5pQp/5bp1/8/8/8/5PPP/6K1 w - -",
    // Rooks and queens on the seventh.
    "6k1/1R3ppp/8/8/8/8/5PPP/1r4K1 w - -",
    "6k1/RR3ppp/8/8/8/8/r4PPP/6K1 b - -",
    "6k1/Q4ppp/8/8/8/8/q4PPP/6K1 w - -",
    // Opposite-coloured and same-coloured bishops.
    "4k3/5p2/2b5/4P3/3B4/8/5K2/8 w - -",
    "4k3/p4p2/2b5/P3P3/8/8/4BK2/8 b - -",
    "4k3/5p2/3b4/4P3/3B4/8/5K2/8 w - -",
    // A lone minor piece against pawns, and one minor piece against pawns.
    "8/8/4k3/3p4/8/2N5/8/1K6 w - -",
    "8/8/4k3/3p4/8/2B5/8/1K6 b - -",
    "8/2p5/4k3/3p4/8/2N5/4P3/1K6 w - -",
    // Pawnless endings: shortcut and full evaluation.
    "8/8/3k4/8/8/2BB4/8/4K1n1 w - -",
    "8/8/3k4/8/8/2B5/8/4K1n1 b - -",
    "8/8/3k4/8/3r4/8/2Q5/4K3 w - -",
    "8/8/3k4/8/8/8/2R5/4K3 b - -",
    // King attacks, pawn storms on opposite wings, fianchettos.
    "r1b2rk1/ppq2ppp/2n1p3/3pP1N1/3P2Q1/2PB4/P4PPP/R4RK1 w - -",
    "2kr3r/pppq1ppp/2n5/8/4PPP1/2N5/PPPQ3P/R3K2R w KQ -",
    "r4rk1/pp3ppp/2n5/3q4/6PP/2N2P2/PPPQ4/2KR3R b - -",
    "rnbqk2r/ppppppbp/5np1/8/8/5NP1/PPPPPPBP/RNBQK2R w KQkq -",
    "r2q1rk1/1b2bppp/p2p1n2/1p1Np3/4P3/1B3N2/PPP2PPP/R2QR1K1 w - -",
    // Knight outposts and doubled pawns.
    "6k1/pp3ppp/8/3N4/8/8/PP3PPP/6K1 w - -",
    "6k1/pp3ppp/2p5/3N4/8/8/PP3PPP/6K1 b - -",
    "r5k1/1pp2ppp/1pp5/8/8/2P5/P1P2PPP/R5K1 w - -",
};

std::vector<ChessBoard> RandomGame(const char* fen, unsigned seed, int plies) {
  std::mt19937 rng(seed);
  ChessBoard b = LoadFen(fen);
  char rights = b.CastleFlags;
  std::vector<ChessBoard> positions;
  for (int ply = 0; ply < plies; ply++) {
    const char side = b.SideToMove;
    MoveGen list;
    const std::vector<int> legal = LegalMoveIndices(b, rights, &list);
    if (legal.empty()) break;
    int i = legal[rng() % legal.size()];
    char mask;
    b.MakeMove(list.from[i], list.to[i], list.promote[i], &mask);
    rights &= mask;
    b.CastleFlags = rights;
    b.SideToMove = side ^ 1;
    ChessBoard sample = b;
    SetPawnCodeWithKings(sample);
    sample.CheckDraw(sample.SideToMove);
    positions.push_back(sample);
  }
  return positions;
}

std::string Fen(const ChessBoard& b) {
  char text[256];
  pos2fenString(&b, text);
  return text;
}

void ExpectMirrorEqual(ChessBoard p, int alpha, int beta) {
  ChessBoard m = MirrorBoard(p);
  const int vp = PE.PosEval(p.SideToMove, alpha, beta, &p);
  const int vm = PE.PosEval(m.SideToMove, alpha, beta, &m);
  EXPECT_EQ(vp, vm) << Fen(p) << " against its mirror " << Fen(m) << ", window " << alpha << " " << beta;
}

TEST(MirrorTest, HandMadePositionsScoreAsTheirMirrors) {
  for (const char* fen : HandMade) {
    ChessBoard p = LoadFen(fen);
    SetPawnCodeWithKings(p);
    p.CheckDraw(p.SideToMove);
    ExpectMirrorEqual(p, -MateScore, MateScore);
    p.MatingMaterial = 0;
    ExpectMirrorEqual(p, -MateScore, MateScore);
    ExpectMirrorEqual(p, -300, 300);
  }
}

TEST(MirrorTest, RandomGamesScoreAsTheirMirrors) {
  int seed = 1;
  size_t total = 0;
  for (const char* start : RandomGameStarts) {
    for (int game = 0; game < 8; game++) {
      std::vector<ChessBoard> positions = RandomGame(start, seed++, 80);
      total += positions.size();
      for (const ChessBoard& p : positions) {
        ExpectMirrorEqual(p, -MateScore, MateScore);
        ExpectMirrorEqual(p, -1500, 1500);
      }
    }
  }
  EXPECT_GT(total, 1000u);
}
}  // namespace

// Perft counts from positions rich in castling, en passant, checks, pins and
// promotions. Promotions are generated to a queen only, so positions that
// promote within the horizon count fewer moves than under-promoting engines.
#include <gtest/gtest.h>

#include "board/ChessBoard.h"
#include "engine/Status.h"
#include "support/EngineSetup.h"
#include "support/EngineProcess.h"
#include "tools/PerfT.h"

namespace {
struct PerftCase {
  const char* fen;
  int depth;
  u64 total;
  u64 leaves;
};

const char* const Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Totals are every legal move made at any depth; leaves the usual perft
// figure. Where no promotion falls within the depth the leaves equal the
// published counts.
const PerftCase Cases[] = {
    {Start, 0, 0, 1},
    {Start, 1, 20, 20},
    {Start, 2, 420, 400},
    {Start, 3, 9322, 8902},
    {Start, 4, 206603, 197281},
    {Start, 5, 5072212, 4865609},
    {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", 3, 99949, 97862},
    {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -", 3, 8321, 8087},
    {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -", 3, 55421, 54007},
    // En passant, including the horizontal pin along the fifth rank.
    {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", 5, 0, 674624},
    // Castling through and out of attacked squares, rooks captured at home.
    {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", 3, 0, 13744},
    {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", 3, 0, 13744},
    // The rook taken on h1 takes the right along: the rook from h5 that
    // retakes there two plies later does not castle (stockfish's figure).
    {"k7/8/8/7R/4b3/8/8/4K2R b K - 0 1", 4, 0, 99248},
    // En passant named by the position text (figures of an independent
    // move generator), pinned along the rank in the third.
    {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", 4, 0, 524138},
    {"rnbqkbnr/ppp1pppp/8/8/2Pp4/8/PP1PPPPP/RNBQKBNR b KQkq c3 0 3", 4, 0, 437149},
    {"8/8/8/K2pP2r/8/8/8/7k w - d6 0 1", 4, 0, 8288},
    {"k7/2K5/8/8/Pp6/1P2B3/8/8 b - a3 0 1", 1, 0, 1},
};

TEST(PerftTest, CountsMatchKnownFigures) {
  for (const PerftCase& c : Cases) {
    LoadFen(c.fen);
    PerfT perft(c.depth);
    EXPECT_EQ(perft.LeafNodes, c.leaves) << c.fen << " depth " << c.depth;
    if (c.total) {
      EXPECT_EQ(perft.TotalNodes, c.total) << c.fen << " depth " << c.depth;
    }
  }
}

TEST(PerftTest, ReportFromTheCommandLine) {
  ProcessResult r = RunEngine({"-perft", "-fd", "3"}, "", 30000);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.output,
            "Vorn \n"
            "Starting PerfT test \n"
            "9322 Total Nodes at Depth = 3\n"
            "8902 Leaf Nodes at Depth = 3\n");
}

TEST(PerftTest, TraceWritesTheMoveTree) {
  ProcessResult r = RunEngine({"-trace", "-perft", "-fd", "1"}, "", 30000);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.output.find("<Trace name=\"Perft\">\n<Move name=\"{  b1a3 \nnodes 1\">\n</Move >\n} \n"),
            std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("</Trace>\n20 Total Nodes at Depth = 1\n"), std::string::npos);
}
}  // namespace

// Deep perft counts (tens of seconds): run by `make slow`, not `make test`.
// The engine promotes to a queen only, so a tree with promotions counts
// one leaf where the published figures count four.
#include <gtest/gtest.h>

#include "support/EngineSetup.h"
#include "tools/PerfT.h"

namespace {
TEST(PerftSlowTest, StartPositionToDepthSix) {
  LoadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  PerfT perft(6);
  EXPECT_EQ(perft.LeafNodes, 119060324u);
  // Every legal move made on the way: the counts of depths 1 to 6 added up.
  EXPECT_EQ(perft.TotalNodes, 20u + 400u + 8902u + 197281u + 4865609u + 119060324u);
}

TEST(PerftSlowTest, EnPassantAndPinsToDepthSix) {
  LoadFen("8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -");
  PerfT perft(6);
  // Published: 11030083, of which 7552 leaves are promotions, four for each
  // of 1888 pawn moves; here each of those is one queen.
  EXPECT_EQ(perft.LeafNodes, 11030083u - 7552u + 1888u);
}
}  // namespace

// Kings: placement tables, the king-distance drive against a bare king, the
// pawn shield, pawn storms and the attack count. Expected values are worked
// out by hand from the tables.
#include <gtest/gtest.h>

#include "eval/EvalHelpers.h"
#include "eval/PositionEvaluate.h"

namespace {
struct KingCase {
  const char* fen;
  int mg, eg, returned;
};

TEST(KingTerms, PlacementAndDistance) {
  const KingCase cases[] = {
      // g1 210 against e8's -210; end-game -150 against -50.
      {"4k3/8/8/8/8/8/7P/6K1 w - -", 420, -100, 0},
      // Rook against a bare king, no pawns: -80 x distance.
      {"4k3/8/8/8/8/8/8/R3K3 w - -", 0, 0, -560},
      {"8/8/8/3k4/8/8/8/R3K3 w - -", 190, -130, -320},
      {"4k3/8/8/8/8/8/8/4K2r w - -", 0, 0, 560},
  };
  for (const KingCase& c : cases) {
    PrepareTerms(c.fen);
    const int returned = PE.KingEval();
    EXPECT_EQ(PE.MgScore, c.mg) << c.fen;
    EXPECT_EQ(PE.EgScore, c.eg) << c.fen;
    EXPECT_EQ(returned, c.returned) << c.fen;
  }
}

struct Shield {
  const char* fen;
  int side, penalty, weakFiles;
};

TEST(KingTerms, PawnShield) {
  const Shield cases[] = {
      {"6k1/8/8/8/8/8/5PPP/6K1 w - -", 0, 0, 0},
      {"6k1/8/8/8/8/8/5P1P/6K1 w - -", 0, 700, 1},  // bare king file counts double
      {"6k1/8/8/8/8/8/5PNP/6K1 w - -", 0, 350, 1},  // unless a piece stands in front
      {"6k1/8/8/8/6P1/7P/5P2/6K1 w - -", 0, 175, 0},
      {"6k1/8/8/6P1/8/8/5P1P/6K1 w - -", 0, 210, 1},  // past the fourth rank: weak
      {"k7/8/8/8/8/8/5PP1/7K w - -", 0, 700, 1},      // h-file king looks at f, g, h
      {"6k1/5p1p/8/8/8/8/8/6K1 w - -", 1, 700, 1},
      {"6k1/5pnp/8/8/8/8/8/6K1 w - -", 1, 350, 1},
      {"6k1/5p2/6p1/7p/8/8/8/6K1 w - -", 1, 140, 0},
  };
  for (const Shield& c : cases) {
    PrepareTerms(c.fen);
    EXPECT_EQ(PE.PawnShield((char)c.side), c.penalty) << c.fen;
    EXPECT_EQ(c.side == 0 ? PE.WhiteWeakShieldFiles : PE.BlackWeakShieldFiles, c.weakFiles) << c.fen;
  }
}

struct Storm {
  const char* fen;
  int side, expected;
};

TEST(KingTerms, PawnStorm) {
  const Storm cases[] = {
      {"6k1/8/7P/6P1/5P2/8/8/6K1 w - -", 0, 1000},  // 100 + 300 + 600
      {"7k/8/7P/6P1/5P2/8/8/6K1 w - -", 0, 1000},   // h-file king: f-file too
      {"4k3/8/7P/6P1/5P2/8/8/6K1 w - -", 0, 100},   // e-file king: d, e, f only
      {"k7/8/2P5/8/8/8/8/6K1 w - -", 0, 600},       // a-file king: c-file too
      {"6k1/8/8/5p2/6p1/7p/8/6K1 w - -", 1, 1000},
  };
  for (const Storm& c : cases) {
    PrepareTerms(c.fen);
    EXPECT_EQ(PE.PawnStorm((char)c.side), c.expected) << c.fen;
  }
}

TEST(KingTerms, AttackCounts) {
  const Storm cases[] = {
      // A rook alone is one kind of attacker: no swarm; no rook on the king's
      // files (-30) halved without a queen, so the danger is negative.
      {"4k3/8/8/8/8/8/r4PPP/6K1 w - -", 0, -15},
      // Queen and bishop on f2 and h2: (15 x 2 + 125 x 5) x 2 / 4, plus the
      // bishop on the f2-a7 diagonal.
      {"6k1/8/8/2b5/7q/8/5PPP/6K1 w - -", 0, 337},
      // A knight beside the king defends twice.
      {"6k1/8/8/2b5/7q/8/5PPP/5NK1 w - -", 0, 137},
      // Black's king, mirrored.
      {"6k1/5ppp/8/7Q/2B5/8/8/6K1 w - -", 1, 337},
  };
  for (const Storm& c : cases) {
    PrepareTerms(c.fen);
    PE.PawnShield((char)c.side);  // sets the weak-file count the attack count reads
    EXPECT_EQ(PE.AttackCounts((char)c.side), c.expected) << c.fen;
  }
}
}  // namespace

// Several lines at every iteration: they are legal, distinct and best first,
// the first is the move and score the search returns, and there are as many
// as asked for or as the root moves allowed (searchmoves, exclusions; a
// promotion counted once, as the search plays it). Also the deepest ply a
// search reaches, counted afresh for every search.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/MoveHistory.h"
#include "movegen/SANText.h"
#include "search/SearchLimits.h"
#include "search/SearchRoutines.h"
#include "search/TranspositionTables.h"
#include "support/EngineSetup.h"

namespace {
const char* const StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

std::string MoveText(int from, int to) {
  return std::string{files[from & 7], (char)('1' + from / 8), files[to & 7], (char)('1' + to / 8)};
}

std::string MoveText(const PVEntry& e) { return MoveText((e.Move >> 6) & 63, e.Move & 63); }

u16 Code(const std::string& move) {
  return (u16)((move[0] - 'a' + 8 * (move[1] - '1')) * 64 + move[2] - 'a' + 8 * (move[3] - '1'));
}

class SeveralLinesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PositionCache.ClearTranspositionTables();
    Search.ClearHistory();
    memset(Search.KillerMoves, 0, sizeof Search.KillerMoves);
    MoveList.Init();
    Limits.OwnBook = 0;
  }

  // The driver at a fixed depth, as the tools run it; the move it returns.
  int SearchFixed(const char* fen, int depth, std::string* move) {
    LoadFen(fen);
    Limits.FD = (u8)depth;
    ChessBoard& b = MainBoard;
    const int v = Search.ProgressiveDeepening(b, (char)depth, &b.BestMoveFrom, &b.BestMoveTo, &b.BestMovePromote);
    *move = MoveText(SquareOf(b.BestMoveFrom), SquareOf(b.BestMoveTo));
    return v;
  }
};

TEST_F(SeveralLinesTest, LinesAreLegalDistinctBestFirstAndTheFirstIsPlayed) {
  struct Case {
    const char* what;
    const char* fen;
    int lines;                         // asked for
    std::vector<std::string> only;     // searchmoves
    std::vector<std::string> without;  // excluded
    int expected;                      // lines the iterations report
  };
  const Case cases[] = {
      {"the start position", StartFen, 4, {}, {}, 4},
      {"a middle game", "r1bqk2r/pp2bppp/2p5/3pP3/P2Q1P2/2N1B3/1PP3PP/R4RK1 b kq - 0 1", 3, {}, {}, 3},
      {"more lines than legal moves", "7k/8/8/8/8/8/6PP/7K w - - 0 1", 8, {}, {}, 5},
      // The search promotes to a queen only: a promotion is one line.
      {"more lines than moves, a pawn promoting", "8/P7/8/8/8/8/7k/K7 w - - 0 1", 5, {}, {}, 4},
      {"a promotion among seventeen moves", "4k3/P7/8/8/8/8/8/K6R w - - 0 1", 18, {}, {}, 17},
      {"searchmoves", StartFen, 5, {"e2e4", "d2d4", "g1f3"}, {}, 3},
      {"excluded moves", StartFen, 3, {}, {"e2e4", "d2d4", "g1f3"}, 3},
  };
  const int depth = 4;
  for (const Case& c : cases) {
    SetUp();
    Limits.MultiPV = c.lines;
    Limits.SearchMoves.clear();
    Limits.ExcludedMoves.clear();
    for (const std::string& m : c.only) Limits.SearchMoves.push_back(Code(m));
    for (const std::string& m : c.without) Limits.ExcludedMoves.push_back(Code(m));
    std::string played;
    const int v = SearchFixed(c.fen, depth, &played);

    ASSERT_EQ(Search.LineCount, c.expected) << c.what;
    ASSERT_EQ((int)Search.Lines.size(), c.expected) << c.what;
    EXPECT_EQ(Search.LinesDepth, depth) << c.what;
    const std::vector<RootLine>& lines = Search.Lines;
    // The first line is the answer, with its score and its line the
    // principal variation (the ponder move comes from it).
    EXPECT_EQ(MoveText(SquareOf(lines[0].From), SquareOf(lines[0].To)), played) << c.what;
    EXPECT_EQ(lines[0].Score, v) << c.what;
    EXPECT_EQ(MoveText(Search.PrincipalVariation[0][0]), played) << c.what;

    const std::vector<LegalMove> legal = LegalMoves(MainBoard);
    std::set<std::string> seen;
    for (int k = 0; k < c.expected; k++) {
      const RootLine& line = lines[k];
      const std::string move = MoveText(SquareOf(line.From), SquareOf(line.To));
      EXPECT_TRUE(seen.insert(move).second) << c.what << ": " << move << " twice";
      EXPECT_TRUE(std::any_of(legal.begin(), legal.end(),
                              [&](const LegalMove& m) { return m.From == line.From && m.To == line.To; }))
          << c.what << ": " << move;
      EXPECT_TRUE(Limits.RootMoveAllowed(SquareOf(line.From), SquareOf(line.To))) << c.what << ": " << move;
      if (k > 0) {
        EXPECT_LE(line.Score, lines[k - 1].Score) << c.what << ": line " << k + 1;
      }
      // Each line is its own move's: it starts with the move and goes on
      // past it (a reply at least, unless the move mates).
      EXPECT_EQ(MoveText(line.Line[0]), move) << c.what << ": line " << k + 1;
      PVEntry shown[SearchTableRows];
      const int length = Search.ShownLine(line, shown);
      EXPECT_GE(length, 2) << c.what << ": line " << k + 1 << " " << move;
    }
  }
}

// A mate found heads the lines, and the search goes on to the depth asked
// for while the other lines are not decided.
TEST_F(SeveralLinesTest, AMateHeadsTheLinesAndTheOthersGoOn) {
  Limits.MultiPV = 3;
  std::string played;
  const int v = SearchFixed("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", 4, &played);
  EXPECT_EQ(played, "d1d8");
  EXPECT_EQ(v, MateScore - 1);
  ASSERT_EQ(Search.Lines.size(), 3u);
  EXPECT_EQ(Search.LinesDepth, 4);
  EXPECT_LT(Search.Lines[1].Score, MateBound);
}

// A mated or stalemated side has no line to show, however many are asked.
TEST_F(SeveralLinesTest, NoLegalMoveGivesTheMateOrStalemateScore) {
  const struct {
    const char* fen;
    int score;
  } cases[] = {{"7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", -MateScore}, {"7k/8/6QK/8/8/8/8/8 b - - 0 1", StalemateScore}};
  for (const auto& c : cases) {
    SetUp();
    Limits.MultiPV = 4;
    std::string played;
    EXPECT_EQ(SearchFixed(c.fen, 3, &played), c.score) << c.fen;
    EXPECT_TRUE(Search.Lines.empty()) << c.fen;
  }
}

// The deepest ply belongs to the search that reached it: a shallow search
// after a deep one reports its own.
TEST_F(SeveralLinesTest, TheDeepestPlyIsCountedForEachSearch) {
  const char* fen = "r1bqk2r/pp2bppp/2p5/3pP3/P2Q1P2/2N1B3/1PP3PP/R4RK1 b kq - 0 1";
  std::string played;
  SearchFixed(fen, 6, &played);
  const int deep = Search.SelDepth;
  EXPECT_GE(deep, 6);
  EXPECT_LT(deep, MaxSearchPly);
  SetUp();
  SearchFixed(fen, 1, &played);
  EXPECT_GE(Search.SelDepth, 1);
  EXPECT_LT(Search.SelDepth, deep);
}
}  // namespace

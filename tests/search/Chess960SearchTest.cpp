// The search and the evaluation in Chess960: kings and rooks start on
// squares standard chess never has them on, castling moves the king onto
// its rook's square and back out, and every position still searches to a
// legal move (and, under the sanitizers, no term reads past its tables).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "board/BitOps.h"
#include "board/Chess960Start.h"
#include "board/ChessBoard.h"
#include "board/MoveHistory.h"
#include "board/PositionText.h"
#include "tools/EPDSuite.h"
#include "eval/PositionEvaluate.h"
#include "movegen/SANText.h"
#include "search/SearchLimits.h"
#include "search/SearchRoutines.h"
#include "search/TranspositionTables.h"
#include "support/EngineSetup.h"

namespace {
class Chess960SearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RestoreStartUpState();
    Limits.OwnBook = 0;
    Chess960 = true;
  }
  void TearDown() override {
    Chess960 = false;
    RestoreStartUpState();
  }
};

// The tricky positions of the perft data, and start positions with the
// king in a corner's neighbourhood and the rooks far from theirs.
std::vector<std::string> Positions() {
  std::vector<std::string> fens;
  std::ifstream data(VORN_TEST_DATA "/chess960-perft.txt");
  for (std::string line; std::getline(data, line);) {
    if (line.rfind("tricky;", 0) != 0) continue;
    const size_t start = line.find(';') + 1;
    fens.push_back(line.substr(start, line.find(';', start) - start));
  }
  for (int number : {0, 1, 95, 440, 518, 959}) fens.push_back(Chess960Fen(number, CastlingStyle::Files));
  return fens;
}

std::string Coordinates(u64 from, u64 to) {
  const int f = SquareOf(from), t = SquareOf(to);
  return {(char)('a' + (f & 7)), (char)('1' + (f >> 3)), (char)('a' + (t & 7)), (char)('1' + (t >> 3))};
}

TEST_F(Chess960SearchTest, EveryPositionSearchesToALegalMove) {
  const std::vector<std::string> fens = Positions();
  ASSERT_GE(fens.size(), 16u);
  for (const std::string& fen : fens) {
    SCOPED_TRACE(fen);
    ASSERT_EQ(LoadPosition(fen.c_str()), nullptr);
    MainBoard.RecountPieces();
    MoveList.Init();
    PositionCache.ClearTranspositionTables();
    std::vector<std::string> legal;
    for (const LegalMove& m : LegalMoves(MainBoard)) legal.push_back(Coordinates(m.From, m.To));
    ChessBoard& b = MainBoard;
    const ChessBoard before = b;
    Limits.FD = 5;
    Search.ProgressiveDeepening(b, 5, &b.BestMoveFrom, &b.BestMoveTo, &b.BestMovePromote);
    const std::string played = Coordinates(b.BestMoveFrom, b.BestMoveTo);
    EXPECT_NE(std::find(legal.begin(), legal.end(), played), legal.end()) << played;
    // The evaluation term by term, from both sides.
    testing::internal::CaptureStdout();
    PrintEvaluationDetail(before);
    ChessBoard other = before;
    other.SideToMove ^= 1;
    PrintEvaluationDetail(other);
    const std::string detail = testing::internal::GetCapturedStdout();
    EXPECT_NE(detail.find("Total, White's view"), std::string::npos);
  }
}

TEST_F(Chess960SearchTest, CastlingIsSearchedAndPlayed) {
  // Black's only move is castling: the rook from h8 to f8, the king stays.
  ASSERT_EQ(LoadPosition("6kr/7p/7P/8/8/8/8/K4R2 b h - 0 1"), nullptr);
  MainBoard.RecountPieces();
  MoveList.Init();
  ChessBoard& b = MainBoard;
  Limits.FD = 4;
  Search.ProgressiveDeepening(b, 4, &b.BestMoveFrom, &b.BestMoveTo, &b.BestMovePromote);
  EXPECT_EQ(Coordinates(b.BestMoveFrom, b.BestMoveTo), "g8h8");
}
}  // namespace

// Chess960 perft against the figures of Debian's stockfish ("go perft" with
// UCI_Chess960 true, tests/data/chess960-perft.txt, made by
// scripts/chess960.py perft-data): all 960 start positions to depth 4, every
// sixteenth to depth 5, and the middle-game positions where castling is
// tricky to their deepest depth. A few minutes: run by `make slow`.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "board/Chess960Start.h"
#include "board/ChessBoard.h"
#include "board/PositionText.h"
#include "support/EngineSetup.h"
#include "tools/PerfT.h"

namespace {
TEST(Chess960PerftSlowTest, EveryStartPositionAndTheTrickyOnesCountAsStockfish) {
  RestoreStartUpState();
  Chess960 = true;
  std::ifstream data(VORN_TEST_DATA "/chess960-perft.txt");
  ASSERT_TRUE(data.good());
  int starts = 0, deep = 0, tricky = 0;
  for (std::string line; std::getline(data, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string kind, fen, field;
    std::getline(fields, kind, ';');
    std::getline(fields, fen, ';');
    // A start position's text is the one its number gives.
    if (kind.rfind("sp ", 0) == 0) {
      EXPECT_EQ(Chess960Fen(std::stoi(kind.substr(3)), CastlingStyle::Files), fen);
      starts++;
    } else {
      tricky++;
    }
    while (std::getline(fields, field, ';')) {
      std::istringstream numbers(field);
      int depth;
      u64 count;
      numbers >> depth >> count;
      ASSERT_EQ(LoadPosition(fen.c_str()), nullptr) << fen;
      PerfT perft(depth);
      EXPECT_EQ(perft.LeafNodes, count) << kind << " " << fen << " depth " << depth;
      deep += kind != "tricky" && depth == 5;
    }
  }
  Chess960 = false;
  EXPECT_EQ(starts, 960);
  EXPECT_EQ(deep, 60);
  EXPECT_GE(tricky, 10);
}
}  // namespace

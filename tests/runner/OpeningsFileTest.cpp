// The balanced openings the game runner plays by default: enough of them,
// each a position once, each reached by the moves its c0 names.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "scripts/runner/GamePosition.h"

TEST(OpeningsFileTest, TwoThousandDistinctPositionsEachReachedByItsLine) {
  const std::string path = std::string(VORN_TEST_DATA) + "/../../scripts/openings-2000.epd";
  std::ifstream file(path);
  ASSERT_TRUE(file) << path;
  std::set<std::string> positions;
  std::string line;
  int number = 0;
  while (std::getline(file, line)) {
    number++;
    if (line.empty() || line[0] == '#') continue;
    const std::string where = "line " + std::to_string(number) + ": " + line;
    GamePosition opening;
    std::string problem;
    ASSERT_TRUE(opening.Set(line, &problem)) << where << ": " << problem;
    std::istringstream fields(opening.Fen());
    std::string placement, side, castling, passant;
    fields >> placement >> side >> castling >> passant;
    EXPECT_TRUE(positions.insert(placement + " " + side + " " + castling).second) << "again: " << where;

    const size_t open = line.find("c0 \""), close = line.rfind('"');
    ASSERT_TRUE(open != std::string::npos && close > open + 4) << where;
    std::istringstream moves(line.substr(open + 4, close - open - 4));
    GamePosition replay;
    ASSERT_TRUE(replay.Set("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", &problem));
    std::string word;
    int plies = 0;
    while (moves >> word) {
      LegalMove move;
      ASSERT_TRUE(replay.FindMove(word, &move)) << word << " in " << where;
      replay.Play(move);
      plies++;
    }
    EXPECT_GE(plies, 8) << where;
    EXPECT_LE(plies, 10) << where;
    EXPECT_EQ(replay.Fen(), opening.Fen()) << where;
    EXPECT_EQ(opening.GameEnd(), Ending::None) << where;
  }
  EXPECT_GE(positions.size(), 2000u);
}

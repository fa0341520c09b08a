// The constant square sets: square names read as the board numbers them
// (a1 = bit 0, h8 = bit 63), files and ranks that split the board, and
// square colours as on a real board (a1 dark, h1 light).
#include <gtest/gtest.h>

#include "board/BoardMasks.h"

namespace {
TEST(BoardMasksTest, SquaresReadsNamesAndSkipsTheRest) {
  const struct {
    const char* names;
    u64 expected;
  } cases[] = {
      {"a1", 1ULL},
      {"h1", 1ULL << 7},
      {"a2", 1ULL << 8},
      {"h8", 1ULL << 63},
      {"f5 e6 d7", (1ULL << 37) | (1ULL << 44) | (1ULL << 51)},
      {"e4e5", (1ULL << 28) | (1ULL << 36)},
      {"i1 a9 a0 h", 0},
      {"", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(Squares(c.names), c.expected) << c.names;
}

TEST(BoardMasksTest, FilesAndRanksSplitTheBoard) {
  const u64 ranks[8] = {Rank1, Rank2, Rank3, Rank4, Rank5, Rank6, Rank7, Rank8};
  u64 files = 0, allRanks = 0;
  for (int i = 0; i < 8; i++) {
    EXPECT_EQ(files & FileMask[i], 0u) << i;
    EXPECT_EQ(allRanks & ranks[i], 0u) << i;
    files |= FileMask[i];
    allRanks |= ranks[i];
    for (int j = 0; j < 8; j++) EXPECT_EQ(__builtin_popcountll(FileMask[i] & ranks[j]), 1) << i << " " << j;
    EXPECT_TRUE(FileMask[i] & 1ULL << i) << i;
    EXPECT_TRUE(ranks[i] & 1ULL << (8 * i)) << i;
  }
  EXPECT_EQ(files, ~0ULL);
  EXPECT_EQ(allRanks, ~0ULL);
  EXPECT_EQ(FileA, Squares("a1 a2 a3 a4 a5 a6 a7 a8"));
  EXPECT_EQ(FileH, Squares("h1 h2 h3 h4 h5 h6 h7 h8"));
  EXPECT_EQ(Rank8, Squares("a8 b8 c8 d8 e8 f8 g8 h8"));
}

TEST(BoardMasksTest, SquareColoursAndCorners) {
  EXPECT_EQ(LightSquareMask & Squares("a1 b1 h1 a8 h8 d1 e1 d8 e8"), Squares("b1 h1 a8 d1 e8"));
  EXPECT_EQ(DarkSquareMask, ~LightSquareMask);
  // Neighbours along a rank or a file differ in colour.
  EXPECT_EQ((LightSquareMask << 1) & ~FileA & LightSquareMask, 0u);
  EXPECT_EQ((LightSquareMask << 8) & LightSquareMask, 0u);
  EXPECT_EQ(Corners, Squares("a1 h1 a8 h8"));
}
}  // namespace

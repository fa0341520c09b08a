// Coordinate move text: corner squares, the promotion suffix chosen by
// piece-kind code (so the generator's 'Q'/'q' letters print none), the
// principal-variation tail and the console/xboard move line.
#include <gtest/gtest.h>

#include <string>

#include "board/BoardMasks.h"
#include "board/MoveText.h"

namespace {
std::string Text(int from, int to, char promote, const PVEntry* line = nullptr, int length = 0) {
  char buffer[512];
  fillmovestring(buffer, 0, (char)from, (char)to, promote, line, length);
  return buffer;
}

TEST(MoveTextTest, SquaresAndPromotionSuffix) {
  const struct {
    int from, to;
    char promote;
    const char* expected;
  } cases[] = {
      {0, 63, NoPromotion, " a1h8 \n"},
      {63, 0, NoPromotion, " h8a1 \n"},
      {6, 21, NoPromotion, " g1f3 \n"},
      {52, 60, 'Q', " e7e8 \n"},  // the generator's letters print no piece
      {12, 4, 'q', " e2e1 \n"},
      {52, 60, 1, " e7e8n;\n"},
      {52, 60, 2, " e7e8b;\n"},
      {52, 60, 3, " e7e8r;\n"},
      {52, 60, 4, " e7e8q;\n"},
      {12, 4, 7, " e2e1n;\n"},
      {12, 4, 8, " e2e1b;\n"},
      {12, 4, 9, " e2e1r;\n"},
      {12, 4, 10, " e2e1q;\n"},
      {12, 4, 5, " e2e1 \n"},  // a king is no promotion
  };
  for (const auto& c : cases) EXPECT_EQ(Text(c.from, c.to, c.promote), c.expected) << (int)c.promote;
}

TEST(MoveTextTest, PrincipalVariationFollowsFromItsSecondMove) {
  PVEntry line[4] = {{12 * 64 + 28, 0}, {52 * 64 + 36, 0}, {6 * 64 + 21, 0}, {0, 0}};  // e2e4 e7e5 g1f3

  EXPECT_EQ(Text(12, 28, NoPromotion, line, 3), " e2e4 e7e5 g1f3 \n");
  EXPECT_EQ(Text(12, 28, NoPromotion), " e2e4 \n");
  EXPECT_EQ(Text(12, 28, NoPromotion, line, 1), " e2e4 \n");
  // An empty entry ends the line early.
  line[1].Move = 0;
  EXPECT_EQ(Text(12, 28, NoPromotion, line, 3), " e2e4 \n");
}

TEST(MoveTextTest, GUIMoveIsWrittenAndFlushed) {
  testing::internal::CaptureStdout();
  MakeGUIMove(Squares("e7"), Squares("e5"), NoPromotion, 0);
  MakeGUIMove(Squares("b7"), Squares("a8"), 'q', 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), " e7e5 \n b7a8 \n");
}
}  // namespace

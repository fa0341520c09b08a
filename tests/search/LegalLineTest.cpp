// Principal variations as they are shown: a line is cut before the first
// move that cannot be played where it stands (the table may hold a move
// from another branch), promotions the table kept without a piece are
// completed, and the search's own line is checked from the position it
// searched, whatever the board holds by the time the line is printed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/MoveText.h"
#include "engine/Status.h"
#include "search/LegalLine.h"
#include "search/SearchLimits.h"
#include "search/SearchRoutines.h"
#include "support/EngineSetup.h"
#include "support/ReferenceMoves.h"

namespace {
int Square(const std::string& text, size_t at) { return (text[at] - 'a') + 8 * (text[at + 1] - '1'); }

// "e2e4", "e7e8Q" (a promotion letter), "e7e8" or "" (an empty entry).
PVEntry Entry(const std::string& text) {
  if (text.empty()) return PVEntry{0, 0};
  const char promote = text.size() > 4 ? text[4] : NoPromotion;
  return PVEntry{(u16)(Square(text, 0) * 64 + Square(text, 2)), (i8)promote};
}

std::vector<PVEntry> Line(const std::vector<std::string>& moves) {
  std::vector<PVEntry> line;
  for (const std::string& m : moves) line.push_back(Entry(m));
  return line;
}

std::string Text(const PVEntry& e) {
  const int f = (e.Move >> 6) & 63, t = e.Move & 63;
  std::string s{files[f & 7], (char)('1' + f / 8), files[t & 7], (char)('1' + t / 8)};
  if ((char)e.Promote != NoPromotion) s += (char)e.Promote;
  return s;
}

TEST(LegalLineTest, TheLineEndsBeforeTheFirstMoveThatCannotBePlayed) {
  const struct {
    const char* what;
    const char* fen;
    std::vector<std::string> moves;
    int legal;
  } cases[] = {
      {"a legal line", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", {"e2e4", "e7e5", "g1f3", "b8c6"}, 4},
      {"a Black king move on White's turn", "8/8/8/8/8/1k6/8/1K5Q w - -", {"h1d5", "b3c3", "c3d4"}, 2},
      {"no man on the square", "8/8/8/8/8/1k6/8/1K5Q w - -", {"h1f3", "b3b4", "f3e4", "b4c5", "d5d6"}, 4},
      {"an empty entry", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", {"e2e4", "", "e7e5"}, 1},
      {"a pinned knight", "4k3/4r3/8/8/8/8/4N3/4K3 w - -", {"e2c3"}, 0},
      {"the pin left behind", "4k3/4r3/8/8/8/8/4N3/4K3 w - -", {"e1d1", "e8d8", "e2c3"}, 3},
      {"castling", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", {"e1g1", "e8c8"}, 2},
      {"castling after the king moved", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", {"e1f1", "e8f8", "f1e1", "f8e8", "e1g1"},
       4},
      {"en passant after the double step", "4k3/8/8/8/3p4/8/4P3/4K3 w - -", {"e2e4", "d4e3"}, 2},
      {"en passant a move too late", "4k3/8/8/8/3p4/8/4P3/4K3 w - -", {"e2e4", "e8d8", "e1d1", "d4e3"}, 3},
      {"a promotion letter on a king move", "8/4P1k1/8/8/8/8/8/4K3 w - -", {"e1d1Q"}, 0},
      {"the promoted queen moves on", "8/4P1k1/8/8/8/8/8/4K3 w - -", {"e7e8", "g7h7", "e8e4"}, 3},
  };
  for (const auto& c : cases) {
    ChessBoard& board = LoadFen(c.fen);
    std::vector<PVEntry> line = Line(c.moves);
    EXPECT_EQ(LegalLineLength(board, line.data(), (int)line.size()), c.legal) << c.what;
  }
}

// The table keeps no promotion piece: the line gets the queen the search
// made, in the side's case, and the root position is left as it was.
TEST(LegalLineTest, APromotionWithoutAPieceBecomesTheQueen) {
  const struct {
    const char* fen;
    std::vector<std::string> moves;
    std::vector<std::string> shown;
  } cases[] = {
      {"8/4P1k1/8/8/8/8/8/4K3 w - -", {"e7e8", "g7h7"}, {"e7e8Q", "g7h7"}},
      {"8/8/8/8/8/6k1/2p5/K7 b - -", {"c2c1", "a1a2"}, {"c2c1q", "a1a2"}},
      {"8/8/8/8/8/6k1/2p5/K7 b - -", {"c2c1n", "a1b2"}, {"c2c1n", "a1b2"}},
  };
  for (const auto& c : cases) {
    ChessBoard& board = LoadFen(c.fen);
    const ChessBoard before = board;
    std::vector<PVEntry> line = Line(c.moves);
    ASSERT_EQ(LegalLineLength(board, line.data(), (int)line.size()), (int)c.moves.size()) << c.fen;
    for (size_t i = 0; i < line.size(); i++) EXPECT_EQ(Text(line[i]), c.shown[i]) << c.fen;
    EXPECT_EQ(Mailbox(board), Mailbox(before)) << c.fen;
  }
}

class ShownLineTest : public ::testing::Test {
 protected:
  // The driver at a fixed depth, as the test suite runs it; the move found
  // is then played on the board, as the suite does before printing.
  void SearchAndPlay(const char* fen, int depth) {
    Limits.OwnBook = 0;
    MainStatus.xboard = MainStatus.UCIMode = 0;
    Limits.FD = (u8)depth;
    ChessBoard& b = LoadFen(fen);
    const int v = Search.ProgressiveDeepening(b, (char)depth, &b.BestMoveFrom, &b.BestMoveTo, &b.BestMovePromote);
    from = b.BestMoveFrom, to = b.BestMoveTo, promote = b.BestMovePromote;
    if (!Search.MoveToPlay(v)) return;
    b.PlayMove(from, to, promote);
    b.SideToMove ^= 1;
  }
  std::vector<std::string> Shown() const {
    PVEntry line[SearchTableRows];
    const int n = Search.ShownLine(from, to, promote, line);
    std::vector<std::string> moves;
    for (int i = 0; i < n; i++) moves.push_back(Text(line[i]));
    return moves;
  }
  u64 from = 0, to = 0;
  char promote = NoPromotion;
};

// A legal line is shown whole: every move of the table up to its end.
TEST_F(ShownLineTest, ALegalLineIsShownWhole) {
  SearchAndPlay("r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 10", 4);
  const std::vector<std::string> expected = {"d5f6", "g7f6", "c4f7"};
  EXPECT_EQ(Shown(), expected);
  char text[PVTextSize];
  Search.LineText(text, 0, from, to, promote);
  EXPECT_STREQ(text, " d5f6 g7f6 c4f7 \n");
}

// Entries planted in the table as a stale one lies there: the shown line,
// and every text made from it, ends before them.
TEST_F(ShownLineTest, AStaleEntryEndsTheShownLine) {
  SearchAndPlay("8/8/8/8/8/1k6/8/1K5Q w - - 0 1", 5);
  ASSERT_GE(Search.PVLength, 4);
  const std::vector<std::string> whole = Shown();
  ASSERT_EQ((int)whole.size(), Search.PVLength);

  // A move of the side that is not to move at ply 2.
  Search.PrincipalVariation[0][2] = Entry(whole[1].substr(2, 2) + "a1");
  EXPECT_EQ(Shown(), std::vector<std::string>(whole.begin(), whole.begin() + 2));
  char text[PVTextSize];
  Search.LineText(text, 0, from, to, promote);
  EXPECT_EQ(std::string(text), " " + whole[0] + " " + whole[1] + " \n");

  // A root move other than the table's first: its line is not the table's.
  const std::string other = whole[0] == "h1h2" ? "h1h3" : "h1h2";
  PVEntry line[SearchTableRows];
  EXPECT_EQ(Search.ShownLine(SquareMask(Square(other, 0)), SquareMask(Square(other, 2)), NoPromotion, line), 1);
}

// No move at the root (mated): the line is the root move alone.
TEST_F(ShownLineTest, NoRootMoveShowsNothingAfterIt) {
  SearchAndPlay("6rk/5Npp/8/8/8/8/8/6K1 b - - 0 1", 3);
  PVEntry line[SearchTableRows];
  EXPECT_EQ(Search.ShownLine(0, 0, NoPromotion, line), 1);
}
}  // namespace

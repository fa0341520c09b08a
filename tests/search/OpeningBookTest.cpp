// The opening book: the empty book misses everywhere; with entries, the move
// into the book position of lowest value is chosen, the earliest on ties,
// and the root search plays it at depth 1 without searching.
#include <gtest/gtest.h>

#include <string>

#include "board/BoardMasks.h"
#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/HashCodes.h"
#include "search/OpeningBook.h"
#include "engine/Status.h"
#include "movegen/MoveGen.h"
#include "search/SearchRoutines.h"
#include "support/EngineSetup.h"
#include "search/TimeControl.h"
#include "search/SearchLimits.h"

namespace {
const char* const Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// The two codes of the position after `move` from the start position.
BookEntry After(const char* move) {
  ChessBoard b = LoadFen(Start);
  u64 from = Squares(std::string(move, 2).c_str()), to = Squares(move + 2);
  char mask;
  b.MakeMove(from, to, NoPromotion, &mask);
  BookEntry e;
  genhashcode(1, 15 & mask, &e.Code1, &e.Code2, &b);
  return e;
}

// The index of `move` in White's generated list at the start.
int IndexOf(const char* move) {
  ChessBoard b = LoadFen(Start);
  MoveGen list;
  int n = list.GenerateAllMoves(0, &b, 15);
  for (int i = 0; i < n; i++)
    if (list.from[i] == Squares(std::string(move, 2).c_str()) && list.to[i] == Squares(move + 2)) return i;
  return -1;
}

class OpeningBookTest : public ::testing::Test {
 protected:
  void SetUp() override { saved = MainStatus; }
  void TearDown() override {
    MainStatus = saved;
    buildbook();
  }
  // A book of (position after move, value) entries, in this order.
  void Fill(std::initializer_list<std::pair<const char*, int>> entries) {
    long n = 0;
    // Entry 0 is the tree's root; an all-zero entry matches no position.
    OpeningBook[n] = BookEntry{0, 0};
    BookValue[n++] = 0;
    for (const auto& e : entries) {
      OpeningBook[n] = After(e.first);
      BookValue[n++] = e.second;
    }
    booksize = n;
    buildbooktree(n);
  }
  int Probe() {
    MainStatus.xboard = 1;  // no "Look through the Opening Book" line
    return InBook(0, 15, LoadFen(Start));
  }
  Status saved;
};

TEST_F(OpeningBookTest, EmptyBookMisses) {
  buildbook();
  EXPECT_EQ(booksize, 0);
  EXPECT_EQ(BookTreeSearch(treeroot, 123, 456), -1);
  EXPECT_EQ(Probe(), -100);
}

TEST_F(OpeningBookTest, LowestValueWinsAndTheFirstGeneratedOnTies) {
  Fill({{"e2e4", 30}, {"d2d4", 20}});
  EXPECT_EQ(Probe(), IndexOf("d2d4"));
  Fill({{"e2e4", 20}, {"d2d4", 20}});
  EXPECT_EQ(Probe(), IndexOf("d2d4"));  // the d-pawn is generated before the e-pawn
  Fill({{"g1f3", 20}, {"d2d4", 20}});
  EXPECT_EQ(Probe(), IndexOf("g1f3"));  // knight moves come before pawn moves
  Fill({{"e2e4", 110000}});
  EXPECT_EQ(Probe(), -100);  // a value of 110000 is never chosen
}

TEST_F(OpeningBookTest, TreeFindsEveryEntryAndDropsDuplicates) {
  Fill({{"e2e4", 1}, {"d2d4", 2}, {"g1f3", 3}, {"c2c4", 4}, {"e2e4", 5}});
  for (long i = 1; i <= 4; i++)
    EXPECT_EQ(BookTreeSearch(treeroot, OpeningBook[i].Code1, OpeningBook[i].Code2), i);
  EXPECT_EQ(BookTreeSearch(treeroot, OpeningBook[1].Code1, OpeningBook[2].Code2), -1);
}

TEST_F(OpeningBookTest, RootPlaysTheBookMoveAtDepthOne) {
  Fill({{"c2c4", 5}});
  Status& s = MainStatus;
  s.BenchNumber = 0;
  Limits.OwnBook = 1;
  s.xboard = 1;
  Clock.GamePly = 3;
  ChessBoard& b = LoadFen(Start);
  Search.BookMove = 0;
  u64 from = 0, to = 0;
  char promote = 0;
  int r = Search.SearchTreeRoot(0, b, -110000, 110000, 1, &from, &to, &promote, 15);
  EXPECT_EQ(r, 20);  // the number of moves generated
  EXPECT_EQ(from, Squares("c2"));
  EXPECT_EQ(to, Squares("c4"));
  EXPECT_EQ(Search.BookMove, 1);
  EXPECT_EQ(Clock.BookExitPly, 3);

  // A position out of the book is searched.
  buildbook();
  Search.BookMove = 0;
  b.RootDepth = 2;
  Search.SearchTreeRoot(0, b, -110000, 110000, 1, &from, &to, &promote, 15);
  EXPECT_EQ(Search.BookMove, 0);
  EXPECT_EQ(Search.LegalMoves, 20);
}
}  // namespace

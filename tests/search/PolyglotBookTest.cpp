// Opening books in the file format GUIs and book tools share, written by
// the tests: the moves of a position decoded and matched against its legal
// moves (castling as the king taking its rook, promotions), the weighted,
// heaviest and weightless choices, the book's depth and the game leaving
// the book, every kind of bad file, and the root search playing the move.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "board/BitOps.h"
#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "engine/Status.h"
#include "search/PolyglotBook.h"
#include "search/SearchLimits.h"
#include "search/SearchRoutines.h"
#include "search/TimeControl.h"
#include "support/BookFile.h"
#include "support/EngineSetup.h"

namespace {
const char* const Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char* const AfterE4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1";
const char* const AfterE4E5 = "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2";
const char* const Castles = "r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1";
const char* const BlackCastles = "r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R b KQkq - 0 1";
const char* const WhitePromotes = "1n5k/P7/8/8/8/8/8/K7 w - - 0 1";
const char* const BlackPromotes = "k7/8/8/8/8/8/p7/7K b - - 0 1";

std::string Coordinates(const LegalMove& m) {
  const int from = SquareIndex(m.From), to = SquareIndex(m.To);
  std::string text = {(char)('a' + from % 8), (char)('1' + from / 8), (char)('a' + to % 8), (char)('1' + to / 8)};
  if (m.Promote != NoPromotion) text += m.Promote;
  return text;
}

// "e2e4 3, d2d4 1": the moves with their weights, in the order given.
std::string Listed(const std::vector<BookMove>& moves) {
  std::string text;
  for (const BookMove& m : moves) text += (text.empty() ? "" : ", ") + Coordinates(m.Move) + " " + std::to_string(m.Weight);
  return text;
}

bool IsLegal(const ChessBoard& board, const LegalMove& m) {
  for (const LegalMove& legal : LegalMoves(board))
    if (legal.From == m.From && legal.To == m.To && legal.Promote == m.Promote) return true;
  return false;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(PolyglotBookTest, MovesDecodedAsTheLegalMovesOfThePosition) {
  struct Case {
    const char* what;
    std::vector<BookLine> lines;
    const char* fen;
    const char* moves;
  } cases[] = {
      {"heaviest first, a weight of 0 kept",
       {{Start, "d2d4", 1}, {Start, "g1f3", 0}, {Start, "e2e4", 3}, {AfterE4, "e7e5", 9}},
       Start,
       "e2e4 3, d2d4 1, g1f3 0"},
      {"the same move twice adds its weights", {{Start, "e2e4", 2}, {Start, "e2e4", 3}}, Start, "e2e4 5"},
      {"castling as the king takes its rook", {{Castles, "e1h1", 2}, {Castles, "e1a1", 1}}, Castles, "e1g1 2, e1c1 1"},
      {"black castling", {{BlackCastles, "e8h8", 1}, {BlackCastles, "e8a8", 1}}, BlackCastles, "e8g8 1, e8c8 1"},
      {"promotions, to a knight too",
       {{WhitePromotes, "a7a8q", 3}, {WhitePromotes, "a7b8n", 2}, {WhitePromotes, "a7a8n", 1}},
       WhitePromotes,
       "a7a8Q 3, a7b8N 2, a7a8N 1"},
      {"black promotes", {{BlackPromotes, "a2a1r", 1}}, BlackPromotes, "a2a1r 1"},
      {"a position with no entries", {{Start, "e2e4", 1}}, AfterE4, ""},
  };
  for (const Case& c : cases) {
    TestBookFile file(c.lines);
    ASSERT_EQ(Book.Open(file.Path()), "") << c.what;
    std::vector<std::string> problems;
    const ChessBoard board = LoadFen(c.fen);
    EXPECT_EQ(Listed(Book.Moves(board, &problems)), c.moves) << c.what;
    EXPECT_EQ(Joined(problems), "") << c.what;
  }
}

TEST(PolyglotBookTest, ChoiceByWeightOrTheHeaviestAndNeverAWeightOfZero) {
  TestBookFile file({{Start, "e2e4", 3}, {Start, "d2d4", 1}, {Start, "g1f3", 0}});
  ASSERT_EQ(Book.Open(file.Path()), "");
  std::vector<std::string> problems;
  const std::vector<BookMove> moves = Book.Moves(LoadFen(Start), &problems);
  ASSERT_EQ(moves.size(), 3u);

  Book.Seed(1);
  std::map<std::string, int> picked;
  const int draws = 4000;
  for (int i = 0; i < draws; i++) {
    LegalMove m;
    ASSERT_TRUE(Book.Choose(moves, &m));
    picked[Coordinates(m)]++;
  }
  EXPECT_EQ(picked.count("g1f3"), 0u);
  // Three to one, within a margin no fair draw of this size leaves.
  EXPECT_GT(picked["e2e4"], draws * 70 / 100);
  EXPECT_LT(picked["e2e4"], draws * 80 / 100);
  EXPECT_EQ(picked["e2e4"] + picked["d2d4"], draws);

  Book.BestMove = true;
  for (int i = 0; i < 20; i++) {
    LegalMove m;
    ASSERT_TRUE(Book.Choose(moves, &m));
    EXPECT_EQ(Coordinates(m), "e2e4");
  }
  // Only weights of 0: nothing to choose, either way.
  const std::vector<BookMove> weightless = {moves[2]};
  LegalMove m;
  EXPECT_FALSE(Book.Choose(weightless, &m));
  Book.BestMove = false;
  EXPECT_FALSE(Book.Choose(weightless, &m));
}

TEST(PolyglotBookTest, BookDepthAndLeavingTheBookAtItsFirstMiss) {
  TestBookFile file({{Start, "e2e4", 1}, {AfterE4, "e7e5", 1}, {AfterE4E5, "g1f3", 1}});
  ASSERT_EQ(Book.Open(file.Path()), "");
  std::vector<std::string> problems;
  LegalMove m;

  // One move of each side: White's second move is searched.
  Book.DepthMoves = 1;
  EXPECT_TRUE(Book.Probe(LoadFen(Start), 1, &m, &problems));
  EXPECT_TRUE(Book.Probe(LoadFen(AfterE4), 2, &m, &problems));
  EXPECT_FALSE(Book.Probe(LoadFen(AfterE4E5), 3, &m, &problems));
  Book.DepthMoves = DefaultBookDepth;
  ASSERT_TRUE(Book.Probe(LoadFen(AfterE4E5), 3, &m, &problems));
  EXPECT_EQ(Coordinates(m), "g1f3");

  // A position the book does not know: the game leaves the book, and a
  // later position it knows is searched all the same.
  EXPECT_FALSE(Book.Probe(LoadFen("rnbqkbnr/pppppppp/8/8/8/7N/PPPPPPPP/RNBQKB1R b KQkq - 1 1"), 4, &m, &problems));
  EXPECT_FALSE(Book.Asks(5));
  EXPECT_FALSE(Book.Probe(LoadFen(AfterE4E5), 5, &m, &problems));
  // A position before the miss (a take-back, or a GUI's next game without
  // a word) and a new game look in the book again.
  EXPECT_TRUE(Book.Probe(LoadFen(Start), 1, &m, &problems));
  Book.NewGame();
  EXPECT_TRUE(Book.Probe(LoadFen(AfterE4E5), 5, &m, &problems));
  EXPECT_EQ(Joined(problems), "");
}

// The order of a large file is checked where no clock runs, never by a
// probe: a probe reads a few entries whatever the file's size. The check
// goes piece by piece or at once, says what is wrong once, and the verdict
// is kept. (A sparse file: 32 MB that are never written.)
TEST(PolyglotBookTest, ALargeBookIsCheckedOnceAndNeverOnTheProbesClock) {
  const u64 start = TestBookFile::Key(Start);
  const long long zeros = 2 << 20;
  const std::string tail = TestBookFile::EntryBytes(start, TestBookFile::MoveField("e2e4"), 1) +
                           TestBookFile::EntryBytes(start + 2, 0, 1) + TestBookFile::EntryBytes(start + 1, 0, 1);
  const std::string problem = "entry " + std::to_string(zeros + 3) + " is out of order";
  for (const long long piece : {0LL, 1LL << 16, 1000003LL}) {  // 0: all at once
    TestBookFile file(zeros, tail);
    ASSERT_EQ(Book.Open(file.Path()), "");
    EXPECT_FALSE(Book.OrderChecked());
    std::vector<std::string> problems;
    const ChessBoard board = LoadFen(Start);
    EXPECT_EQ(Listed(Book.Moves(board, &problems)), "e2e4 1");
    EXPECT_EQ(Joined(problems), "") << "the probe read the whole file";
    EXPECT_FALSE(Book.OrderChecked());
    std::string said;
    int pieces = 0;
    if (piece == 0) {
      said = Book.CheckOrder();
    } else {
      // A probe between the pieces leaves the check where it was.
      for (; !Book.OrderChecked() && said.empty(); pieces++) {
        said = Book.CheckSomeOrder(piece);
        if (Book.IsOpen()) Book.Moves(board, &problems);
      }
      EXPECT_EQ(pieces, (zeros + 3 + piece - 1) / piece) << piece;
    }
    EXPECT_NE(said.find(problem), std::string::npos) << piece << ": " << said;
    EXPECT_FALSE(Book.IsOpen());
    EXPECT_TRUE(Book.OrderChecked());
    EXPECT_EQ(Book.CheckOrder(), "");  // said once
    EXPECT_EQ(Joined(problems), "");
  }
  // A sound large file passes, and stays open.
  TestBookFile sound(zeros, tail.substr(0, 2 * PolyglotBook::EntrySize));
  ASSERT_EQ(Book.Open(sound.Path()), "");
  EXPECT_EQ(Book.CheckOrder(), "");
  EXPECT_TRUE(Book.IsOpen());
  EXPECT_TRUE(Book.OrderChecked());
  Book.Open("");
}

TEST(PolyglotBookTest, BadBooksSayWhatIsWrongInOneLineAndPlayNoIllegalMove) {
  const u64 start = TestBookFile::Key(Start);
  const std::string e4 = TestBookFile::EntryBytes(start, TestBookFile::MoveField("e2e4"), 1);
  std::string manyIllegal;
  for (int i = 0; i < 20; i++) manyIllegal += TestBookFile::EntryBytes(start, TestBookFile::MoveField("e2e6"), 1);
  struct Case {
    const char* what;
    std::string bytes;
    const char* openProblem;  // "" when the file opens
    const char* moves;        // what the start position is given
    std::vector<const char*> problems;
    bool stillOpen;
  } cases[] = {
      {"a size that is no whole number of entries", e4 + "x", "17 bytes are not a whole number of 16-byte entries", "",
       {}, false},
      {"keys that go down", TestBookFile::EntryBytes(start + 1, 0, 1) + e4, "", "",
       {"entry 2 is out of order"}, false},
      {"a move the position does not allow",
       TestBookFile::EntryBytes(start, TestBookFile::MoveField("e2e5"), 7) + e4, "", "e2e4 1",
       {"the move e2e5 of key 463b96181691fc9c is not legal in its position; left out"}, true},
      {"a promotion code that names no piece", TestBookFile::EntryBytes(start, TestBookFile::MoveField("e2e4") | 5 << 12, 1),
       "", "", {"the move e2e4? of key"}, true},
      {"many illegal moves", manyIllegal, "", "",
       {"e2e6", "e2e6", "e2e6", "e2e6", "e2e6", "e2e6", "e2e6", "e2e6", "12 more moves of this position"}, true},
      {"an empty file", "", "", "", {}, true},
  };
  for (const Case& c : cases) {
    TestBookFile file(c.bytes);
    const std::string problem = Book.Open(file.Path());
    if (c.openProblem[0] == 0) {
      EXPECT_EQ(problem, "") << c.what;
    } else {
      EXPECT_EQ(problem, "book " + file.Path() + ": " + c.openProblem + "; playing without a book") << c.what;
    }
    std::vector<std::string> problems;
    const ChessBoard board = LoadFen(Start);
    EXPECT_EQ(Listed(Book.Moves(board, &problems)), c.moves) << c.what;
    ASSERT_EQ(problems.size(), c.problems.size()) << c.what << ":\n" << Joined(problems);
    for (size_t i = 0; i < problems.size(); i++) {
      EXPECT_EQ(problems[i].rfind("book " + file.Path() + ": ", 0), 0u) << problems[i];
      EXPECT_NE(problems[i].find(c.problems[i]), std::string::npos) << c.what << ": " << problems[i];
    }
    EXPECT_EQ(Book.IsOpen(), c.stillOpen) << c.what;
    LegalMove m;
    if (Book.Probe(board, 1, &m, &problems)) {
      EXPECT_TRUE(IsLegal(board, m)) << c.what;
    }
  }
  // The promotion without a piece is no move of the position it was
  // written for either.
  TestBookFile bare({{WhitePromotes, "a7a8", 1}});
  ASSERT_EQ(Book.Open(bare.Path()), "");
  std::vector<std::string> problems;
  EXPECT_EQ(Listed(Book.Moves(LoadFen(WhitePromotes), &problems)), "");
  EXPECT_EQ(problems.size(), 1u);

  // Files that are not there or no files.
  EXPECT_EQ(Book.Open("/nonexistent/book.bin"), "book /nonexistent/book.bin: no such file; playing without a book");
  EXPECT_FALSE(Book.IsOpen());
  EXPECT_EQ(Book.Open("/tmp"), "book /tmp: not a file; playing without a book");
  EXPECT_FALSE(Book.IsOpen());
}

TEST(PolyglotBookTest, WeightlessPositionLeavesTheBookWithOneLine) {
  TestBookFile file({{Start, "e2e4", 0}, {Start, "d2d4", 0}, {AfterE4E5, "g1f3", 1}});
  ASSERT_EQ(Book.Open(file.Path()), "");
  std::vector<std::string> problems;
  LegalMove m;
  EXPECT_FALSE(Book.Probe(LoadFen(Start), 1, &m, &problems));
  EXPECT_EQ(Joined(problems), "book " + file.Path() + ": every move of this position has weight 0; leaving the book\n");
  EXPECT_FALSE(Book.Asks(3));
}

class BookRootTest : public ::testing::Test {
 protected:
  // The root search's first iteration at the position, as the game asks it.
  LegalMove RootAnswer(const char* fen, int gamePly) {
    MainStatus.xboard = 1;
    MainStatus.BenchNumber = 0;
    Limits.OwnBook = 1;
    Clock.GamePly = gamePly;
    ChessBoard& b = LoadFen(fen);
    b.RootDepth = 2;
    Search.BookMove = 0;
    LegalMove m;
    Search.SearchTreeRoot(b.SideToMove, b, -MateScore, MateScore, 1, &m.From, &m.To, &m.Promote, b.CastleFlags);
    return m;
  }
};

TEST_F(BookRootTest, RootPlaysTheBookMoveAndTheDriverGivesItNoScore) {
  TestBookFile file({{Start, "b2b3", 1}, {WhitePromotes, "a7b8n", 1}});
  ASSERT_EQ(Book.Open(file.Path()), "");

  EXPECT_EQ(Coordinates(RootAnswer(Start, 1)), "b2b3");
  EXPECT_EQ(Search.BookMove, 1);
  EXPECT_EQ(Clock.BookExitPly, 1);
  // An underpromotion reaches the search's answer with its piece.
  EXPECT_EQ(Coordinates(RootAnswer(WhitePromotes, 9)), "a7b8N");
  EXPECT_EQ(Clock.BookExitPly, 9);

  // The whole search: the book's move, with a score of 0 rather than the
  // number of moves the root counted.
  Limits.FD = 4;
  ChessBoard& b = LoadFen(Start);
  Clock.GamePly = 1;
  u64 from, to;
  char promote;
  EXPECT_EQ(Search.ProgressiveDeepening(b, 4, &from, &to, &promote), 0);
  EXPECT_EQ(Search.BookMove, 1);
  EXPECT_EQ(from, Squares("b2"));

  // With the book off, in analysis and in a mate search the root searches.
  Limits.FD = 0;
  const struct {
    const char* what;
    u8 SearchLimits::*flag;
    int mate;
  } searched[] = {
      {"book off", nullptr, 0},
      {"analysis", &SearchLimits::Analyze, 0},
      {"a mate search", nullptr, 2},
  };
  for (const auto& c : searched) {
    Limits.OwnBook = c.flag == nullptr && c.mate == 0 ? 0 : 1;
    Limits.Analyze = 0;
    if (c.flag != nullptr) Limits.*c.flag = 1;
    Limits.Mate = c.mate;
    Search.BookMove = 0;
    ChessBoard& again = LoadFen(Start);
    again.RootDepth = 2;
    Search.SearchTreeRoot(0, again, -MateScore, MateScore, 1, &from, &to, &promote, AllCastleRights);
    EXPECT_EQ(Search.BookMove, 0) << c.what;
    EXPECT_EQ(Search.LegalMoves, 20) << c.what;
  }
}
}  // namespace

// The opening book as GUIs and a person use it, over pipes: the UCI options
// (off until the GUI turns it on, the file, the heaviest move, the depth in
// the game's moves), xboard's features and options, the console's "book",
// "-nobook" kept for every game, "-listbook", and bad books reported in one
// line while the engine goes on playing legal moves. Each book is written
// by the test.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/BookFile.h"
#include "support/EngineProcess.h"

namespace {
const char* const Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char* const AfterB3E5 = "rnbqkbnr/pppp1ppp/8/4p3/8/1P6/P1PPPPPP/RNBQKBNR w KQkq - 0 2";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The index of the first line starting with `prefix` at or after `from`;
// -1 when none.
int Find(const std::vector<std::string>& lines, const std::string& prefix, int from = 0) {
  for (int i = from; i < (int)lines.size(); i++)
    if (lines[i].rfind(prefix, 0) == 0) return i;
  return -1;
}

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) n++;
  return n;
}

// A session sent as a GUI sends it: a line "#wait TEXT" holds the rest back
// until a line starting with TEXT has come; "quit" ends it.
struct Session {
  std::string output;
  bool complete = true;
};
Session RunSession(const std::vector<std::string>& args, const std::vector<std::string>& lines) {
  EngineProcess engine(args);
  Session s;
  for (const std::string& line : lines) {
    if (line.rfind("#wait ", 0) == 0) {
      bool found = false;
      engine.ReadUntil(line.substr(6), 20000, &found);
      s.complete = s.complete && found;
    } else {
      engine.Send(line);
    }
  }
  engine.Send("quit");
  s.complete = engine.Wait(20000) == 0 && s.complete;
  s.output = engine.Output();
  return s;
}

// A move no search of the start position plays, and one for the position
// after 1. b3 e5: whatever comes from the book is seen to.
std::vector<BookLine> SmallBook() { return {{Start, "b2b3", 1}, {AfterB3E5, "c1b2", 1}}; }

TEST(BookSessionTest, UCIPlaysFromTheBookOnlyOnceTheGUITurnsItOn) {
  TestBookFile book(SmallBook());
  const Session r = RunSession({"-book", book.Path()}, {"uci", "position startpos", "go depth 3", "#wait bestmove",
                                                 "setoption name OwnBook value true", "position startpos",
                                                 "go depth 3", "#wait bestmove", "position startpos moves b2b3 e7e5",
                                                 "go depth 3", "#wait bestmove"});
  ASSERT_TRUE(r.complete) << r.output;
  const std::vector<std::string> lines = Lines(r.output);
  EXPECT_GE(Find(lines, "option name BookFile type string default " + book.Path()), 0) << r.output;
  EXPECT_GE(Find(lines, "option name BookBestMove type check default false"), 0);
  EXPECT_GE(Find(lines, "option name BookDepth type spin default 16 min 1 max 100"), 0);

  // Off after "uci": the first search is a search.
  const int first = Find(lines, "bestmove");
  ASSERT_GE(first, 0) << r.output;
  EXPECT_EQ(Find(lines, "info string Opening Book Move"), Find(lines, "info string Opening Book Move", first));
  // Then each book move: the info line naming it, its line, "bestmove".
  const int named = Find(lines, "info string Opening Book Move", first);
  ASSERT_GT(named, first) << r.output;
  EXPECT_EQ(lines[named + 1].rfind("info depth 1 ", 0), 0u) << lines[named + 1];
  EXPECT_NE(lines[named + 1].find(" score cp 0 "), std::string::npos) << lines[named + 1];
  EXPECT_NE(lines[named + 1].find(" pv b2b3"), std::string::npos) << lines[named + 1];
  EXPECT_EQ(Find(lines, "bestmove", named), Find(lines, "bestmove b2b3", named)) << r.output;
  const int second = Find(lines, "info string Opening Book Move", named + 1);
  ASSERT_GT(second, named) << r.output;
  EXPECT_EQ(Find(lines, "bestmove", second), Find(lines, "bestmove c1b2", second)) << r.output;
}

TEST(BookSessionTest, UCIBookFileBestMoveAndDepthOptions) {
  TestBookFile book({{Start, "b2b3", 1}, {Start, "g2g3", 5}, {AfterB3E5, "c1b2", 1}});
  const Session r = RunSession({}, {"uci", "setoption name OwnBook value true",
                             "setoption name BookFile value /nonexistent/book.bin",
                             "setoption name BookFile value " + book.Path(), "setoption name BookBestMove value true",
                             "position startpos", "go depth 3", "#wait bestmove", "position startpos", "go depth 3",
                             "#wait bestmove",
                             // One move of each side: White's second is searched.
                             "setoption name BookDepth value 1", "position startpos moves b2b3 e7e5", "go depth 3",
                             "#wait bestmove",
                             // The game's move number, as "d" shows it.
                             "d", "#wait Key:"});
  ASSERT_TRUE(r.complete) << r.output;
  EXPECT_NE(r.output.find("info string book /nonexistent/book.bin: no such file; playing without a book\n"),
            std::string::npos)
      << r.output;
  EXPECT_EQ(Count(r.output, "bestmove g2g3"), 2) << r.output;
  EXPECT_EQ(Count(r.output, "info string Opening Book Move"), 2) << r.output;
  EXPECT_NE(r.output.find("Fen: rnbqkbnr/pppp1ppp/8/4p3/8/1P6/P1PPPPPP/RNBQKBNR w KQkq e6 0 2\n"), std::string::npos)
      << r.output;
}

TEST(BookSessionTest, AnalysisSearchesPositionsTheBookKnows) {
  TestBookFile book(SmallBook());
  Session r = RunSession({"-book", book.Path()},
                         {"uci", "setoption name OwnBook value true", "position startpos", "go infinite",
                          "#wait info depth 3", "stop", "#wait bestmove"});
  ASSERT_TRUE(r.complete) << r.output;
  EXPECT_EQ(Count(r.output, "Opening Book"), 0) << r.output;
  r = RunSession({"-book", book.Path()}, {"xboard", "protover 2", "new", "post", "analyze", "#wait 3 ", "exit"});
  ASSERT_TRUE(r.complete) << r.output;
  EXPECT_EQ(Count(r.output, "Opening Book"), 0) << r.output;
}

TEST(BookSessionTest, XboardAnnouncesTheOptionsAndPlaysTheBookMoveWithItsLine) {
  TestBookFile book(SmallBook());
  const Session r = RunSession({"-book", book.Path()}, {"xboard", "protover 2", "new", "post", "go", "#wait move",
                                                 "new", "option OwnBook=0", "post", "sd 2", "go", "#wait move"});
  ASSERT_TRUE(r.complete) << r.output;
  EXPECT_NE(r.output.find("feature option=\"OwnBook -check 1\" option=\"BookFile -file " + book.Path() +
                          "\" option=\"BookBestMove -check 0\" option=\"BookDepth -spin 16 1 100\"\n"),
            std::string::npos)
      << r.output;
  // Depth 1, score 0, the time however long it was, no nodes.
  EXPECT_TRUE(std::regex_search(r.output, std::regex("tellics kibitz Opening Book Move\n1 0 [0-9]+ 0 b2b3\nmove b2b3\n")))
      << r.output;
  // Turned off, and kept off by the next "new": searched.
  EXPECT_EQ(Count(r.output, "Opening Book Move"), 1) << r.output;
  EXPECT_EQ(Count(r.output, "\nmove "), 2) << r.output;
}

TEST(BookSessionTest, NoBookHoldsForEveryGameAndTheConsoleSwitchesTheBook) {
  TestBookFile book(SmallBook());
  // "-nobook" outlives "new".
  Session r = RunSession({"-book", book.Path(), "-nobook", "-sd", "2"},
                  {"xboard", "new", "go", "#wait 1. ... ", "new", "go", "#wait 1. ... "});
  ASSERT_TRUE(r.complete) << r.output;
  EXPECT_EQ(Count(r.output, "Opening Book"), 0) << r.output;
  EXPECT_EQ(Count(r.output, "1. ... "), 2) << r.output;

  // The console's first word only picks the protocol.
  r = RunSession({"-book", book.Path(), "-sd", "2"},
          {"hello", "book", "book off", "book", "book sideways", "book on", "go", "#wait Vorn plays"});
  ASSERT_TRUE(r.complete) << r.output;
  EXPECT_NE(r.output.find("book on: " + book.Path() + ", 2 entries\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("book off\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("Error (book takes on or off): book sideways\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("Look through the Opening Book\ntellics kibitz Opening Book Move\n"), std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("Vorn plays 1. b3 (b2b3)\n"), std::string::npos) << r.output;
}

TEST(BookSessionTest, ListBookShowsTheMovesOfAPositionWithWeightsAndShares) {
  TestBookFile book({{Start, "e2e4", 3}, {Start, "g1f3", 1}, {AfterB3E5, "c1b2", 2}, {AfterB3E5, "e1h1", 0}});
  struct Case {
    std::vector<std::string> args;
    int exit;
    std::vector<std::string> expected;
  } cases[] = {
      {{"-listbook"}, 0, {"  e4       weight     3   75.0%", "  Nf3      weight     1   25.0%", "2 moves, total weight 4"}},
      // The FEN in one argument or field by field.
      {{"-listbook", AfterB3E5}, 0, {"  Bb2      weight     2  100.0%", "1 moves, total weight 2"}},
      {{"-listbook", "rnbqkbnr/pppp1ppp/8/4p3/8/1P6/P1PPPPPP/RNBQKBNR", "w", "KQkq", "-", "0", "2"},
       0,
       {"  Bb2      weight     2  100.0%"}},
      {{"-listbook", "8/8/8/8/8/8/8/8 w - - 0 1"}, 1, {"Illegal position (not exactly one king of each colour)"}},
      {{"-listbook", "4k3/8/8/8/8/8/8/4K3 w - - 0 1"}, 0, {"No book moves for this position"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"-book", book.Path()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProcessResult r = RunEngine(args);
    EXPECT_EQ(r.exitCode, c.exit) << r.output;
    for (const std::string& line : c.expected) EXPECT_NE(r.output.find(line), std::string::npos) << line << "\n" << r.output;
  }
  // Without a book there is nothing to list.
  const ProcessResult none = RunEngine({"-listbook"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_NE(none.output.find("No opening book is open: give one with -book FILE\n"), std::string::npos) << none.output;
  // Nor with a book found unfit, on opening (a broken entry) or at its
  // first lookup (keys out of order).
  const u64 start = TestBookFile::Key(Start);
  const std::string e4 = TestBookFile::EntryBytes(start, TestBookFile::MoveField("e2e4"), 1);
  for (const std::string& bytes : {e4 + "abc", TestBookFile::EntryBytes(start + 1, 0, 1) + e4}) {
    TestBookFile bad(bytes);
    const ProcessResult r = RunEngine({"-book", bad.Path(), "-listbook"});
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_NE(r.output.find("book " + bad.Path() + ": "), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("No book moves"), std::string::npos) << r.output;
  }
}

TEST(BookSessionTest, BadBooksAreReportedAndTheEnginePlaysOn) {
  const u64 start = TestBookFile::Key(Start);
  const std::string e4 = TestBookFile::EntryBytes(start, TestBookFile::MoveField("e2e4"), 1);
  struct Case {
    const char* what;
    std::string bytes;
    const char* problem;
  } cases[] = {
      {"a broken entry", e4 + "abc", "19 bytes are not a whole number of 16-byte entries; playing without a book"},
      {"keys out of order", TestBookFile::EntryBytes(start + 1, 0, 1) + e4,
       "entry 2 is out of order (the keys must not go down); playing without a book"},
      {"an illegal move", TestBookFile::EntryBytes(start, TestBookFile::MoveField("e2e5"), 1),
       "the move e2e5 of key 463b96181691fc9c is not legal in its position; left out"},
      {"weights of 0", TestBookFile::EntryBytes(start, TestBookFile::MoveField("e2e4"), 0),
       "every move of this position has weight 0; leaving the book"},
  };
  for (const Case& c : cases) {
    TestBookFile book(c.bytes);
    for (const char* protocol : {"xboard", "uci"}) {
      const bool uci = std::string(protocol) == "uci";
      const Session r =
          uci ? RunSession({"-book", book.Path()},
                    {"uci", "setoption name OwnBook value true", "position startpos", "go depth 2", "#wait bestmove"})
              : RunSession({"-book", book.Path()}, {"xboard", "new", "sd 2", "go", "#wait 1. ... "});
      ASSERT_TRUE(r.complete) << c.what << "\n" << r.output;
      const std::string line = uci ? "info string book " : "book ";
      EXPECT_EQ(Count(r.output, line + book.Path() + ": " + c.problem + "\n"), 1) << c.what << "\n" << r.output;
      EXPECT_EQ(Count(r.output, "Opening Book Move"), 0) << c.what << "\n" << r.output;
      // A searched move, never the book's illegal one.
      EXPECT_EQ(Count(r.output, "bestmove ") + Count(r.output, "1. ... "), 1) << c.what << "\n" << r.output;
      EXPECT_EQ(Count(r.output, "bestmove e2e5") + Count(r.output, "1. ... e2e5"), 0) << c.what;
    }
  }
}
}  // namespace

namespace {
// A large book is checked where no clock runs: UCI at "isready", which
// answers once the check is done; xboard and the console while they wait for
// a command. Each says what is wrong with it once, and the engine plays on
// searching. (A sparse file of 32 MB, its last entry out of order.)
TEST(BookSessionTest, ALargeBookIsCheckedWhileNoClockRuns) {
  const u64 start = TestBookFile::Key(Start);
  const long long zeros = 2 << 20;
  TestBookFile book(zeros, TestBookFile::EntryBytes(start + 2, TestBookFile::MoveField("e2e4"), 1) +
                               TestBookFile::EntryBytes(start + 1, TestBookFile::MoveField("e2e4"), 1));
  const std::string problem = "book " + book.Path() + ": entry " + std::to_string(zeros + 2) +
                              " is out of order (the keys must not go down); playing without a book\n";
  const Session uci = RunSession({"-book", book.Path()}, {"uci", "setoption name OwnBook value true", "isready",
                                                          "#wait readyok", "position startpos", "go depth 2",
                                                          "#wait bestmove"});
  ASSERT_TRUE(uci.complete) << uci.output;
  EXPECT_EQ(Count(uci.output, "info string " + problem), 1) << uci.output;
  EXPECT_LT(uci.output.find(problem), uci.output.find("readyok")) << uci.output;
  // xboard hears it before its first move, the console before its prompt
  // is answered.
  const Session xboard = RunSession({"-book", book.Path()}, {"xboard", "protover 2",
                                                             "#wait book ", "new", "sd 2", "go", "#wait move "});
  ASSERT_TRUE(xboard.complete) << xboard.output;
  EXPECT_EQ(Count(xboard.output, problem), 1) << xboard.output;
  EXPECT_LT(xboard.output.find(problem), xboard.output.find("\nmove ")) << xboard.output;
}
}  // namespace

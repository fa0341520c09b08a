// The PGN reader on the awkward parts of real files: comments of both
// kinds, escape lines, nested variations, NAGs and suffixes, "1..."
// continuations, every result, escaped tag values, CR LF, a FEN start;
// and on broken games, each reported with its number and line while the
// games around it are read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/ChessBoard.h"
#include "movegen/SANText.h"
#include "tools/PGNReader.h"

namespace {
std::vector<PGNGame> ReadAll(const std::string& text) {
  std::vector<PGNGame> games;
  PGNReader reader(text);
  for (PGNGame g; reader.Next(&g);) {
    games.push_back(g);
    if (games.size() > 100) break;  // a reader that never ends
  }
  return games;
}

// The moves of a game in SAN, as it replays them from its start.
std::string Moves(const PGNGame& game) {
  std::string text;
  ChessBoard b = game.Start;
  for (const PGNMove& m : game.Moves) {
    char san[16];
    WriteSAN(b, m.Move, san);
    text += (text.empty() ? "" : " ") + std::string(san);
    PlayLegalMove(&b, m.Move);
  }
  return text;
}

struct ReadCase {
  const char* name;
  const char* text;
  const char* moves;   // the main line, in SAN
  const char* result;
  const char* comment; // the first move's comment
};

TEST(PGNReaderTest, ReadsTheAwkwardPartsOfRealFiles) {
  const ReadCase cases[] = {
      {"brace and line comments, escape lines",
       "% produced by some program\n[Event \"x\"]\n\n1. e4 {best by test; (so they say)} e5 ; Black answers { in kind\n"
       "%ignored 1. d4\n2. Nf3 *\n",
       "e4 e5 Nf3", "*", "best by test; (so they say)"},
      {"nested variations with comments and results inside",
       "1. e4 (1. d4 d5 (1... Nf6 2. c4 {a ) in a comment} 1-0) 2. c4) 1... c5 (1... e5 2. Nf3 (2. f4)) 2. Nf3 0-1",
       "e4 c5 Nf3", "0-1", ""},
      {"NAGs and suffixes", "1. e4! $1 e5?! $6 2. Qh5?? $4 Nc6!? 1/2-1/2", "e4 e5 Qh5 Nc6", "1/2-1/2", ""},
      {"move numbers glued, spaced and continued",
       "1.e4 {c} 1...e5 2. Nf3 2... Nc6 3 . Bb5 3 ... a6 1-0", "e4 e5 Nf3 Nc6 Bb5 a6", "1-0", "c"},
      {"castling with zeros, en passant, promotion",
       "[FEN \"4k3/1P6/8/3pP3/8/8/8/R3K2R w KQ d6 0 30\"]\n30. exd6 e.p. Kd7 31. 0-0-0 Ke6 32. b8=Q 1-0",
       "exd6 Kd7 O-O-O Ke6 b8=Q", "1-0", ""},
      {"CR LF line ends and a result only in the tags",
       "[Event \"crlf\"]\r\n[Result \"1-0\"]\r\n\r\n1. e4 e5\r\n2. Bc4\r\n", "e4 e5 Bc4", "1-0", ""},
      {"a game from a FEN with Black to move",
       "[SetUp \"1\"]\n[FEN \"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1\"]\n1... c5 2. Nf3 *",
       "c5 Nf3", "*", ""},
      {"check and mate marks, long algebraic", "1. e2-e4 f7f6 2. d4 g5 3. Qh5# 1-0", "e4 f6 d4 g5 Qh5#", "1-0", ""},
  };
  for (const ReadCase& c : cases) {
    const std::vector<PGNGame> games = ReadAll(c.text);
    ASSERT_EQ(games.size(), 1u) << c.name;
    const PGNGame& g = games[0];
    EXPECT_EQ(g.Error, "") << c.name << " (line " << g.ErrorLine << ")";
    EXPECT_EQ(Moves(g), c.moves) << c.name;
    EXPECT_EQ(g.Result, c.result) << c.name;
    if (!g.Moves.empty()) {
      EXPECT_EQ(g.Moves[0].Comment, c.comment) << c.name;
    }
  }
}

TEST(PGNReaderTest, KeepsTagsWithTheirEscapesAndTheFensMoveNumber) {
  const std::vector<PGNGame> games =
      ReadAll("[White \"Kasparov, \\\"Garry\\\"\"]\n[Black \"back\\\\slash\"]\n"
              "[FEN \"8/8/8/4k3/8/8/4P3/4K3 b - - 3 41\"]\n{before} 41... Kd5 42. e4+ *\n");
  ASSERT_EQ(games.size(), 1u);
  const PGNGame& g = games[0];
  ASSERT_EQ(g.Error, "");
  ASSERT_EQ(g.Tags.size(), 3u);
  EXPECT_EQ(g.Tags[0].second, "Kasparov, \"Garry\"");
  EXPECT_EQ(g.Tags[1].second, "back\\slash");
  EXPECT_EQ(g.FirstMoveNumber, 41);
  EXPECT_EQ(g.Start.FiftyMoveCount, 3);
  EXPECT_EQ(g.Comment, "before");
  EXPECT_EQ(Moves(g), "Kd5 e4+");
}

struct BrokenCase {
  const char* name;
  const char* game;  // the second game of three, from line 4 on
  const char* error;
  int line;
};

// Each broken game between two good ones: the error names the game's
// fault and line, and both neighbours are read whole.
TEST(PGNReaderTest, ReportsABrokenGameAndReadsTheOthers) {
  const BrokenCase cases[] = {
      {"an illegal move", "[Event \"2\"]\n1. e4 e5\n2. Ke3 Nc6 1-0\n", "\"Ke3\" is no legal move", 6},
      {"an ambiguous move", "[Event \"2\"]\n1. e4 a6 2. Nc3 a5 3. Ne2 1-0\n", "\"Ne2\" fits more than one legal move", 5},
      {"a move after mate", "[Event \"2\"]\n1. f3 e5 2. g4 Qh4# 3. a3 0-1\n", "\"a3\" is no legal move", 5},
      {"a null move", "[Event \"2\"]\n1. e4 -- 2. d4 *\n", "\"--\" is no legal move", 5},
      {"a stray closing bracket", "[Event \"2\"]\n1. e4 ) e5 *\n", "a ')' without its '('", 5},
      {"a tag without its closing quote", "[Event \"2]\n1. e4 *\n", "a tag value without its closing quote", 4},
      {"a tag without a value", "[Event]\n1. e4 *\n", "a tag without a quoted value", 4},
      {"a FEN that is no position", "[FEN \"8/8/8/8/8/8/8/8 w - - 0 1\"]\n1. e4 *\n",
       "the FEN tag is no chess position (not exactly one king of each colour)", 4},
      {"a byte that PGN has no use for", "[Event \"2\"]\n1. e4 \x01 e5 *\n", "unexpected byte 0x01", 5},
      {"a word that is no move", "[Event \"2\"]\nhello world *\n", "\"hello\" is no legal move", 5},
  };
  for (const BrokenCase& c : cases) {
    const std::string text = std::string("[Event \"1\"]\n1. d4 d5 *\n\n") + c.game + "\n[Event \"3\"]\n1. c4 *\n";
    const std::vector<PGNGame> games = ReadAll(text);
    ASSERT_EQ(games.size(), 3u) << c.name;
    EXPECT_EQ(games[0].Error, "") << c.name;
    EXPECT_EQ(Moves(games[0]), "d4 d5") << c.name;
    EXPECT_EQ(games[1].Number, 2) << c.name;
    EXPECT_EQ(games[1].Error, c.error) << c.name;
    EXPECT_EQ(games[1].ErrorLine, c.line) << c.name;
    EXPECT_EQ(games[2].Error, "") << c.name;
    EXPECT_EQ(games[2].Number, 3) << c.name;
    EXPECT_EQ(Moves(games[2]), "c4") << c.name;
  }
}

// Text that ends inside something: the game is reported and the reader
// stops; nothing is read past the end.
TEST(PGNReaderTest, TextCutShortIsAnErrorNotAHang) {
  const BrokenCase cases[] = {
      {"a comment", "1. e4 { never closed\n", "a comment that is not closed", 1},
      {"a variation", "1. e4 (1. d4 d5\n", "a variation that is not closed", 2},
      {"a tag", "[Event \"cut", "a tag value without its closing quote", 1},
      {"a bracket", "[", "a tag without a name", 1},
  };
  for (const BrokenCase& c : cases) {
    const std::vector<PGNGame> games = ReadAll(c.game);
    ASSERT_EQ(games.size(), 1u) << c.name;
    EXPECT_EQ(games[0].Error, c.error) << c.name;
    EXPECT_EQ(games[0].ErrorLine, c.line) << c.name;
  }
}

TEST(PGNReaderTest, TextWithoutAGameHasNone) {
  for (const char* text : {"", "\n\r\n  \t", "% only an escape line\n", "\xEF\xBB\xBF"}) {
    EXPECT_TRUE(ReadAll(text).empty()) << '"' << text << '"';
  }
  // A comment after the last game is no game of its own.
  const std::vector<PGNGame> games = ReadAll("1. e4 1-0\n{the end}\n");
  ASSERT_EQ(games.size(), 1u);
  EXPECT_EQ(Moves(games[0]), "e4");
}
}  // namespace

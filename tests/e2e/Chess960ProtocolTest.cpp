// Chess960 over the protocols, as GUIs drive it: UCI with UCI_Chess960
// (castling read and written as the king taking its own rook, the FEN of
// "d" by the rooks' files), xboard's variant fischerandom (castling read
// and sent as O-O and O-O-O), and position texts or castling moves in the
// wrong form refused with one line, the position kept.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/ProtocolSession.h"

namespace {
// Black's only legal move is castling: the rook goes h8 to f8 past the king,
// which stays on g8 (f8 may be attacked; the king does not go there).
const char* const OnlyCastling = "6kr/7p/7P/8/8/8/8/K4R2 b h - 0 1";
// The king on f1 between its rooks on e1 and g1; Black alike.
const char* const Swap = "4rkr1/pppppppp/8/8/8/8/PPPPPPPP/4RKR1 w GEge - 0 1";

// The FEN "d" shows, without its move number (the game's count of moves is
// not what these tests are about).
std::string FenLine(const std::vector<std::string>& lines) {
  for (const std::string& line : lines)
    if (line.rfind("Fen: ", 0) == 0) return line.substr(5, line.rfind(' ') - 5);
  return "";
}

TEST(Chess960ProtocolTest, UCICastlesAsTheKingTakingItsRook) {
  UCIEngine engine;
  EXPECT_NE(engine.Output().find("option name UCI_Chess960 type check default false\n"), std::string::npos);
  engine.Send("setoption name UCI_Chess960 value true");
  engine.Send(std::string("position fen ") + Swap + " moves f1g1 f8e8");
  engine.Send("d");
  EXPECT_EQ(FenLine(engine.ReadUntil("Key: ", 5000)), "2kr2r1/pppppppp/8/8/8/8/PPPPPPPP/4RRK1 w - - 2");

  // The standard start in Chess960: e1h1 castles, e1g1 is refused.
  engine.Send("position fen r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1 moves e1h1");
  engine.Send("d");
  EXPECT_EQ(FenLine(engine.ReadUntil("Key: ", 5000)), "r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R4RK1 b ha - 1");
  engine.Send("position fen r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1 moves e1g1");
  engine.Send("d");
  std::vector<std::string> lines = engine.ReadUntil("Key: ", 5000);
  EXPECT_EQ(lines.front(), "info string Illegal move e1g1 after 0 moves: castling is written e1h1 here; the position "
                           "stays before it");
  EXPECT_EQ(FenLine(lines), "r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w HAha - 0");

  // The engine's own castling, and in its principal variation.
  engine.Send(std::string("position fen ") + OnlyCastling);
  BestMove best = engine.Go("go depth 3");
  EXPECT_EQ(best.move, "g8h8");
  best = engine.Go("go depth 3 searchmoves g8h8");
  EXPECT_EQ(best.move, "g8h8");
  engine.Send("position fen r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1");
  best = engine.Go("go depth 2 searchmoves e1a1");
  EXPECT_EQ(best.move, "e1a1");
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(5000), 0);
}

TEST(Chess960ProtocolTest, UCIWithoutTheOptionKeepsStandardCastling) {
  UCIEngine engine;
  engine.Send("position startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 e1h1");
  engine.Send("d");
  std::vector<std::string> lines = engine.ReadUntil("Key: ", 5000);
  EXPECT_EQ(lines.front(), "info string Illegal move e1h1 after 6 moves: castling is written e1g1 here; the position "
                           "stays before it");
  EXPECT_EQ(FenLine(lines), "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4");
  engine.Send("position startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 e1g1");
  engine.Send("d");
  EXPECT_EQ(FenLine(engine.ReadUntil("Key: ", 5000)),
            "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQ1RK1 b kq - 5");
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(5000), 0);
}

TEST(Chess960ProtocolTest, BadChess960PositionsAreRefusedAndTheGameKept) {
  struct Case {
    const char* fen;
    const char* problem;
  };
  const Case cases[] = {
      {"1r1k2r1/pppppppp/8/8/8/8/PPPPPPPP/1R1K2R1 w H - 0 1",
       "the castling letter H names no White rook on that file of its first rank"},
      {"1r1k2r1/pppppppp/8/8/8/8/PPPPPPPP/1R1KR1R1 w GE - 0 1", "two king-side castling rights for White"},
      {"1r1k2r1/pppppppp/8/8/8/8/PPPPPPPP/1R1K2R1 w Kkq - 0 1", nullptr},
      {"1r1k2r1/pppppppp/8/8/8/8/PPPPPPPP/1R4R1 w - - 0 1", "not exactly one king of each colour"},
  };
  UCIEngine engine;
  engine.Send("setoption name UCI_Chess960 value true");
  engine.Send(std::string("position fen ") + Swap);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fen);
    engine.Send(std::string("position fen ") + c.fen);
    engine.Send("d");
    std::vector<std::string> lines = engine.ReadUntil("Key: ", 5000);
    if (c.problem == nullptr) {
      EXPECT_EQ(FenLine(lines), "1r1k2r1/pppppppp/8/8/8/8/PPPPPPPP/1R1K2R1 w Ggb - 0");
      engine.Send(std::string("position fen ") + Swap);
      continue;
    }
    EXPECT_EQ(lines.front(), std::string("info string Illegal position: ") + c.problem);
    EXPECT_EQ(FenLine(lines) + " 1", Swap);
  }
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(5000), 0);
}

TEST(Chess960ProtocolTest, XboardFischerandomCastlesAsOO) {
  XboardEngine engine;
  engine.Send("protover 2");
  engine.ReadUntil("feature done=1", 5000);
  EXPECT_NE(engine.Output().find(" variants=\"normal,fischerandom\""), std::string::npos) << engine.Output();

  // The GUI's castling, as xboard sends it in this variant.
  engine.Send("new");
  engine.Send("variant fischerandom");
  engine.Send(std::string("setboard ") + Swap);
  engine.Send("force");
  engine.Send("usermove O-O");
  engine.Send("usermove O-O-O");
  engine.Send("d");
  EXPECT_EQ(FenLine(engine.ReadUntil("Key: ", 5000)), "2kr2r1/pppppppp/8/8/8/8/PPPPPPPP/4RRK1 w - - 2");
  // A right whose rook is not there: refused, the game kept.
  engine.Send("setboard 4rkr1/pppppppp/8/8/8/8/PPPPPPPP/4RK2 w GEge - 0 1");
  engine.Send("d");
  std::vector<std::string> refused = engine.ReadUntil("Key: ", 5000);
  EXPECT_EQ(refused.front(),
            "tellusererror Illegal position: the castling letter G names no White rook on that file of its first rank");
  EXPECT_EQ(FenLine(refused), "2kr2r1/pppppppp/8/8/8/8/PPPPPPPP/4RRK1 w - - 2");

  // The engine's castling, sent the same way.
  engine.Send("new");
  engine.Send("variant fischerandom");
  engine.Send(std::string("setboard ") + OnlyCastling);
  engine.Send("go");
  bool found = false;
  const std::vector<std::string> lines = engine.ReadUntil("move ", 10000, &found);
  ASSERT_TRUE(found) << engine.Output();
  EXPECT_EQ(lines.back(), "move O-O");

  // "new" is standard chess again: castling is the king's two files.
  engine.Send("new");
  engine.Send("force");
  engine.Send("usermove e2e4");
  engine.Send("usermove e7e5");
  engine.Send("usermove g1f3");
  engine.Send("usermove b8c6");
  engine.Send("usermove f1c4");
  engine.Send("usermove g8f6");
  engine.Send("usermove e1h1");
  engine.Send("usermove O-O");
  engine.Send("d");
  const std::vector<std::string> after = engine.ReadUntil("Key: ", 5000);
  EXPECT_NE(engine.Output().find("Illegal move: e1h1\n"), std::string::npos);
  EXPECT_EQ(FenLine(after), "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQ1RK1 b kq - 5");
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(5000), 0);
}
}  // namespace

namespace {
// Edit mode gives the rights its men support: in Chess960 the outermost
// rooks on either side of a king on its first rank, in standard chess the
// king on e1/e8 with the rooks in the corners, whatever position came before.
TEST(Chess960ProtocolTest, EditModeGivesTheRightsOfTheGame) {
  XboardEngine engine;
  engine.Send("force");
  engine.Send("variant fischerandom");
  engine.Send("edit");
  for (const char* word : {"#", "Kb1", "Ra1", "Rc1", "Rh1", "c", "Kg8", "Rf8", "Rh8", "."}) engine.Send(word);
  engine.Send("d");
  EXPECT_EQ(FenLine(engine.ReadUntil("Key: ", 5000)), "5rkr/8/8/8/8/8/8/RKR4R w KQkq - 0");

  // Standard chess after a position whose rights name other files.
  engine.Send("new");
  engine.Send("force");
  engine.Send("setboard 1r4kr/8/8/8/8/8/8/1R4KR w HBhb - 0 1");
  engine.Send("edit");
  for (const char* word : {"xg1", "xb1", "Ke1", "Ra1", "c", "xg8", "xb8", "Ke8", "Ra8", "."}) engine.Send(word);
  engine.Send("usermove e1g1");
  engine.Send("usermove e8c8");
  engine.Send("d");
  const std::vector<std::string> lines = engine.ReadUntil("Key: ", 5000);
  EXPECT_EQ(engine.Output().find("Illegal move"), std::string::npos) << engine.Output();
  EXPECT_EQ(FenLine(lines), "2kr3r/8/8/8/8/8/8/R4RK1 w - - 2");
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(5000), 0);
}
}  // namespace

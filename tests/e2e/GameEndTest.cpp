// Whole games to every kind of ending, at the console and under xboard: the
// moves fed in force mode, or the last of them found by the engine itself.
// The result line is checked, then that a move after the end is refused
// with its reason, that "go" plays nothing, and that "new" starts a fresh
// game. Positions where a draw claim would be false play on, a take-back
// after the end lets the game go on, and analysis announces nothing.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "e2e/GameReferee.h"
#include "e2e/ProtocolSession.h"

namespace {
const char* const FiftyFen = "r3k3/8/8/8/8/8/8/R3K3 w - -";

struct Ending {
  const char* name;
  const char* fen;                 // nullptr: the start position
  std::vector<std::string> moves;  // all legal, in order
  bool byVorn;                     // the engine finds the last move ("go")
  const char* referee;             // how GameReferee sees the end ("" for none)
  const char* result;              // "": no result, play goes on
};

bool IsResult(const std::string& line) {
  return line.compare(0, 4, "1-0 ") == 0 || line.compare(0, 4, "0-1 ") == 0 || line.compare(0, 8, "1/2-1/2 ") == 0;
}

// A quiet walk of 100 plies from FiftyFen after whose 99th ply every move
// is quiet and ends nothing but the count, so that the engine's own move
// is bound to complete it.
std::vector<std::string> FiftyMoveWalk() {
  for (unsigned seed = 1; seed < 200; seed++) {
    const std::vector<std::string> walk = QuietWalk(FiftyFen, 100, seed);
    if (walk.size() != 100) continue;
    GameReferee referee(FiftyFen);
    for (int i = 0; i < 99; i++) referee.Play(walk[i]);
    const std::vector<std::string> moves = referee.LegalMoves();
    bool bound = moves.size() == referee.QuietMoves().size();
    for (const std::string& m : moves) {
      GameReferee next = referee;
      next.Play(m);
      bound = bound && next.Over() == "fifty-move rule";
    }
    if (bound) return walk;
  }
  return {};
}

std::vector<Ending> Endings() {
  const std::vector<std::string> scholar = {"e2e4", "e7e5", "d1h5", "b8c6", "f1c4", "g8f6", "h5f7"};
  const std::vector<std::string> fool = {"f2f3", "e7e5", "g2g4", "d8h4"};
  // The shortest known stalemate from the start.
  const std::vector<std::string> stalemate = {"e2e3", "a7a5", "d1h5", "a8a6", "h5a5", "h7h5", "h2h4",
                                              "a6h6", "a5c7", "f7f6", "c7d7", "e8f7", "d7b7", "d8d3",
                                              "b7b8", "d3h7", "b8c8", "f7g6", "c8e6"};
  const std::vector<std::string> knights = {"g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1", "f6g8"};
  // White's king can only go from h1 to g1 and back.
  const std::vector<std::string> shuffle = {"e8d8", "h1g1", "d8e8", "g1h1", "e8d8", "h1g1", "d8e8", "g1h1"};
  const std::vector<std::string> fifty = FiftyMoveWalk();
  return {
      {"White mates", nullptr, scholar, false, "checkmate", "1-0 {White mates}"},
      {"White mates (Vorn)", nullptr, scholar, true, "checkmate", "1-0 {White mates}"},
      {"Black mates", nullptr, fool, false, "checkmate", "0-1 {Black mates}"},
      {"Black mates (Vorn)", nullptr, fool, true, "checkmate", "0-1 {Black mates}"},
      {"stalemate", nullptr, stalemate, false, "stalemate", "1/2-1/2 {Stalemate}"},
      // The rook's capture of the checking rook is White's only move.
      {"stalemate (Vorn)", "k7/P7/1PP5/8/7R/8/PP6/K6r w - -", {"h4h1"}, true, "stalemate", "1/2-1/2 {Stalemate}"},
      {"bishops on one colour", "4kb2/8/8/6p1/8/8/8/2B1K3 w - -", {"c1g5"}, false, "",
       "1/2-1/2 {Draw by insufficient material}"},
      // Taking the pawn is White's only move.
      {"king against king (Vorn)", "8/8/8/8/8/2k5/p7/K7 w - -", {"a1a2"}, true, "",
       "1/2-1/2 {Draw by insufficient material}"},
      {"repetition", nullptr, knights, false, "threefold repetition", "1/2-1/2 {Draw by repetition}"},
      {"repetition (Vorn)", "4k3/8/8/1b6/8/8/r7/7K b - -", shuffle, true, "threefold repetition",
       "1/2-1/2 {Draw by repetition}"},
      {"fifty moves", FiftyFen, fifty, false, "fifty-move rule", "1/2-1/2 {Draw by 50 Move Rule}"},
      {"fifty moves (Vorn)", FiftyFen, fifty, true, "fifty-move rule", "1/2-1/2 {Draw by 50 Move Rule}"},
      // The mate completes the hundredth half-move: it is a mate, not a draw.
      {"mate on the hundredth half-move (Vorn)", "k7/8/1K6/8/8/8/8/7R w - - 99 80", {"h1h8"}, true, "checkmate",
       "1-0 {White mates}"},
      // A mate is still possible in these: a claim would lose the game.
      {"bishops on both colours", "4k1b1/8/8/6p1/8/8/8/2B1K3 w - -", {"c1g5"}, false, "", ""},
      {"knight against bishop", "4k1b1/8/8/6p1/8/5N2/8/4K3 w - -", {"f3g5"}, false, "", ""},
      {"two knights", "4k3/8/8/6p1/8/5N2/8/4KN2 w - -", {"f3g5"}, false, "", ""},
  };
}

// The move of an xboard move line "N. ... e2e4 ", or "".
std::string MoveOf(const std::string& line) {
  std::istringstream words(line);
  std::string number, dots, move;
  words >> number >> dots >> move;
  return dots == "..." ? move : "";
}

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) n++;
  return n;
}

TEST(GameEndTest, EveryEndingIsAnnouncedAndNewStartsAFreshGame) {
  const std::vector<Ending> endings = Endings();
  for (const bool xboard : {false, true}) {
    const std::string moveLine = xboard ? ". ... " : "Game Score";  // after each move the engine makes
    for (const Ending& e : endings) {
      const std::string name = std::string(xboard ? "xboard, " : "console, ") + e.name;
      ASSERT_FALSE(e.moves.empty()) << name;
      GameReferee referee(e.fen ? e.fen : StartFen);
      EngineProcess engine;
      engine.Send(xboard ? "xboard" : "hello");
      if (xboard) engine.Send("new");
      // Three plies at most, or a second without a clock.
      engine.Send("st 1");
      engine.Send("sd 3");
      if (e.fen) engine.Send(std::string("setboard ") + e.fen);
      engine.Send("force");
      const size_t fed = e.byVorn ? e.moves.size() - 1 : e.moves.size();
      for (size_t i = 0; i < fed; i++) {
        ASSERT_TRUE(referee.Play(e.moves[i])) << name << ": " << e.moves[i];
        engine.Send(e.moves[i]);
      }
      // Mate, stalemate and a dead position end the game with the move fed;
      // a draw by repetition or by the fifty-move rule is claimed by the
      // engine once it is to move ("go").
      const std::string ending = e.referee;
      const bool claim = ending == "threefold repetition" || ending == "fifty-move rule";
      if (e.byVorn || claim || e.result[0] == 0) engine.Send("go");
      if (!e.byVorn) {
        EXPECT_EQ(referee.Over(), e.referee) << name;
      }

      bool found = false;
      if (e.result[0] == 0) {
        // Play goes on: the engine answers with a move and claims nothing.
        std::vector<std::string> lines = engine.ReadUntil(moveLine, 10000, &found);
        EXPECT_TRUE(found) << name << "\n" << engine.Output();
        if (xboard) {
          EXPECT_TRUE(referee.IsLegal(MoveOf(lines.back()))) << name << ": " << lines.back();
        }
        for (const std::string& line : lines) EXPECT_FALSE(IsResult(line)) << name << ": " << line;
        engine.Send("quit");
        EXPECT_EQ(engine.Wait(5000), 0) << name;
        continue;
      }

      std::vector<std::string> lines = engine.ReadUntil(e.result, 10000, &found);
      ASSERT_TRUE(found) << name << "\n" << engine.Output();
      EXPECT_EQ(lines.back(), e.result) << name;
      EXPECT_FALSE(AnyStartsWith(lines, "Illegal move")) << name;
      for (size_t i = 0; i + 1 < lines.size(); i++) EXPECT_FALSE(IsResult(lines[i])) << name << ": " << lines[i];
      if (xboard) {
        // The engine's own last move comes just before the result; a move
        // fed in force mode gets no answer.
        const std::string move = lines.size() >= 2 ? MoveOf(lines[lines.size() - 2]) : "";
        if (e.byVorn) {
          EXPECT_TRUE(referee.Play(move)) << name << ": " << move;
          EXPECT_EQ(referee.Over(), e.referee) << name << ": " << move;
        } else {
          EXPECT_EQ(move, "") << name;
        }
      }

      // The game is over: a move is refused with its reason and "go" plays
      // nothing; "new" starts the next game from the start position.
      for (const char* command : {"e2e4", "go", "new", "st 1", "sd 3", "e2e4"}) engine.Send(command);
      GameReferee fresh;
      ASSERT_TRUE(fresh.Play("e2e4"));
      if (!xboard) engine.ReadUntil(moveLine, 10000, &found);  // the board after e2e4
      lines = engine.ReadUntil(moveLine, 10000, &found);
      ASSERT_TRUE(found) << name << ": no reply in the new game\n" << engine.Output();
      if (xboard) {
        EXPECT_TRUE(fresh.IsLegal(MoveOf(lines.back()))) << name << ": " << lines.back();
      }
      engine.Send("quit");
      EXPECT_EQ(engine.Wait(5000), 0) << name;

      const std::string out = engine.Output();
      const std::string after = out.substr(out.find(std::string("\n") + e.result + "\n") + 1);
      EXPECT_EQ(Count(after, "Illegal move (the game is over): e2e4\n"), 1) << name << "\n" << after;
      EXPECT_EQ(Count(after, "Illegal move"), 1) << name << "\n" << after;
      // The new game's e2e4 and the engine's reply, and nothing played
      // before them.
      EXPECT_EQ(Count(after, moveLine), xboard ? 1 : 2) << name << "\n" << after;
      if (!xboard) {
        EXPECT_NE(after.find("Enter Move: new\n   A B C D E F G H\n\n8  r n b q k b n r  8\n"), std::string::npos)
            << name << ": the new game's board\n" << after;
      }
      EXPECT_EQ(Count(after, "Bye, Thanks for the match.\n"), 1) << name;
    }
  }
}

// A take-back after the end leaves a position to play on from: under xboard
// in force mode, as xboard takes back, and at the console after the
// engine's own mate.
TEST(GameEndTest, TakeBackAfterTheEndLetsPlayGoOn) {
  {
    EngineProcess engine;
    for (const char* command : {"xboard", "new", "st 1", "sd 3", "force", "e2e4", "e7e5", "d1h5", "b8c6", "f1c4",
                                "g8f6", "h5f7"})
      engine.Send(command);
    bool found = false;
    engine.ReadUntil("1-0 {White mates}", 10000, &found);
    ASSERT_TRUE(found) << engine.Output();
    // Still in force mode: the other capture gets no answer until "go".
    for (const char* command : {"undo", "c4f7", "go"}) engine.Send(command);
    GameReferee referee;
    for (const char* move : {"e2e4", "e7e5", "d1h5", "b8c6", "f1c4", "g8f6", "c4f7"}) ASSERT_TRUE(referee.Play(move));
    std::vector<std::string> lines = engine.ReadUntil(". ... ", 10000, &found);
    ASSERT_TRUE(found) << engine.Output();
    EXPECT_TRUE(referee.IsLegal(MoveOf(lines.back()))) << lines.back();
    EXPECT_FALSE(AnyStartsWith(lines, "Illegal move")) << engine.Output();
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(5000), 0);
  }
  {
    EngineProcess engine;
    for (const char* command : {"hello", "st 1", "sd 3", "setboard 6k1/p4ppp/8/8/8/8/5PPP/3R2K1 b - -", "a7a6"})
      engine.Send(command);
    bool found = false;
    engine.ReadUntil("1-0 {White mates}", 10000, &found);
    ASSERT_TRUE(found) << engine.Output();
    // Both moves back, and Black makes room for the king instead.
    for (const char* command : {"remove", "h7h6"}) engine.Send(command);
    std::vector<std::string> lines = engine.ReadUntil("Enter Move: h7h6", 5000, &found);
    ASSERT_TRUE(found) << engine.Output();
    engine.ReadUntil("Game Score", 10000, &found);  // the board after h7h6
    ASSERT_TRUE(found) << engine.Output();
    lines = engine.ReadUntil("Game Score", 10000, &found);  // and after the engine's reply
    EXPECT_TRUE(found) << "no reply after the take-back\n" << engine.Output();
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(5000), 0);
    const std::string out = engine.Output();
    const std::string after = out.substr(out.find("Enter Move: remove\n"));
    EXPECT_EQ(Count(after, "Illegal move"), 0) << after;
    EXPECT_EQ(Count(after, "Game Score"), 2) << after;
    EXPECT_NE(after.find("7  p - - - - p p -  7"), std::string::npos) << "a7a6 was not taken back\n" << after;
  }
}

// Analysis plays no game: a position the moves repeat a third time is
// analysed like any other, and the analysis follows the next move.
TEST(GameEndTest, AnalysisAnnouncesNothing) {
  EngineProcess engine;
  for (const char* command : {"xboard", "new", "analyze"}) engine.Send(command);
  bool found = false;
  for (const char* move : {"g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1", "f6g8", "e2e4"}) {
    engine.Send(move);
    engine.ReadUntil(std::string("Search Aborted due to receiveing following string: ") + move, 5000, &found);
    ASSERT_TRUE(found) << move << "\n" << engine.Output();
  }
  engine.Send("exit");
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(5000), 0);
  std::istringstream lines(engine.Output());
  for (std::string line; std::getline(lines, line);) EXPECT_FALSE(IsResult(line)) << line;
}
}  // namespace

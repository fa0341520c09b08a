// The strength setting as a GUI, a person and a script give it: values out
// of range held to it with one line, words that are no number refused with
// one line (the setting kept), in every protocol and on the command line;
// a level's moves under UCI are legal and repeat with the same seed, and a
// level that pondered still takes its time after "ponderhit".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/GameReferee.h"
#include "e2e/ProtocolSession.h"

namespace {
size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) n++;
  return n;
}

TEST(StrengthLevelSessionTest, BadValuesAreHeldToTheRangeOrRefusedWithOneLine) {
  const struct {
    const char* what;
    std::vector<std::string> args;
    const char* input;
    const char* said;  // the one line that answers the bad value
    int exit = 0;      // a command line that cannot run ends with 2
  } cases[] = {
      {"UCI below the range", {}, "uci\nsetoption name UCI_Elo value 1000\nisready\nquit\n",
       "info string UCI_Elo 1000 is out of range: 1350\n"},
      {"UCI above it", {}, "uci\nsetoption name UCI_Elo value 3300\nisready\nquit\n",
       "info string UCI_Elo 3300 is out of range: 2100\n"},
      {"UCI not a number", {}, "uci\nsetoption name UCI_Elo value strong\nisready\nquit\n",
       "info string UCI_Elo needs a number\n"},
      {"UCI check neither true nor false", {}, "uci\nsetoption name UCI_LimitStrength value yes\nisready\nquit\n",
       "info string UCI_LimitStrength needs true or false\n"},
      {"UCI negative seed", {}, "uci\nsetoption name LevelSeed value -4\nisready\nquit\n",
       "info string LevelSeed -4 is out of range: 0\n"},
      {"console below the range", {}, "hello\nelo 900\nquit\n", "elo 900 is out of range: 1350\n"},
      {"console above it", {}, "hello\nelo 4000\nquit\n", "elo 4000 is out of range: 2100\n"},
      {"console not a number", {}, "hello\nelo 17x\nquit\n", "Error (elo needs a number or off): 17x\n"},
      {"console without a value", {}, "hello\nelo\nquit\n", "Error (missing argument): elo\n"},
      {"xboard below the range", {}, "xboard\nprotover 2\noption Strength=1\nquit\n",
       "Strength 1 is out of range: 1350\n"},
      {"xboard not a number", {}, "xboard\nprotover 2\noption Strength=max\nquit\n",
       "Error (Strength needs a number): Strength=max\n"},
      {"command line above the range", {"-elo", "9000"}, "quit\n", "-elo 9000 is out of range: 2100\n"},
      {"command line not a number", {"-elo", "weak"}, "quit\n",
       "-elo needs a number or off: weak (vorn -help lists the options)\n", 2},
  };
  for (const auto& c : cases) {
    const ProcessResult r = RunEngine(c.args, c.input, 20000);
    EXPECT_EQ(r.exitCode, c.exit) << c.what;
    EXPECT_EQ(Count(r.output, c.said), 1u) << c.what << "\n" << r.output;
  }
  // Values in range are taken without a word.
  const ProcessResult quiet = RunEngine({"-elo", "1700", "-seed", "3"},
                                        "uci\nsetoption name UCI_LimitStrength value true\n"
                                        "setoption name UCI_Elo value 1800\nsetoption name LevelSeed value 9\n"
                                        "isready\nquit\n",
                                        20000);
  EXPECT_EQ(quiet.output.find("info string"), std::string::npos) << quiet.output;
  EXPECT_EQ(quiet.output.find("range"), std::string::npos) << quiet.output;
}

// Under UCI at the lowest level a game's moves are legal, and two engines
// given the same seed play the same moves in the same positions.
TEST(StrengthLevelSessionTest, UCILevelPlaysLegalMovesThatRepeatWithTheSeed) {
  std::vector<std::string> played[2];
  for (std::vector<std::string>& moves : played) {
    UCIEngine engine;
    engine.Send("setoption name UCI_LimitStrength value true");
    engine.Send("setoption name UCI_Elo value 1350");
    engine.Send("setoption name LevelSeed value 42");
    engine.Send("ucinewgame");
    GameReferee referee;
    std::string line = "position startpos moves";
    for (int ply = 0; ply < 24 && referee.Over().empty(); ply++) {
      engine.Send(line);
      const BestMove best = engine.Go("go depth 30");
      ASSERT_TRUE(best.found) << line;
      ASSERT_TRUE(referee.Play(best.move)) << line << " " << best.move;
      moves.push_back(best.move);
      line += " " + best.move;
    }
  }
  EXPECT_EQ(played[0], played[1]);
}

// A level's ponder search reaches its few plies at once and then waits:
// "ponderhit" starts its time over the move (as long as it would have
// taken without pondering, not an instant answer), "stop" ends it at once.
TEST(StrengthLevelSessionTest, PonderingLevelTakesItsTimeAfterPonderHit) {
  const struct {
    const char* end;
    long long atLeastMs;
  } cases[] = {{"ponderhit", 150}, {"stop", 0}};
  for (const auto& c : cases) {
    UCIEngine engine;
    engine.Send("setoption name UCI_LimitStrength value true");
    engine.Send("setoption name UCI_Elo value 1350");
    engine.Send("setoption name LevelSeed value 7");
    engine.Send("position startpos moves e2e4 e7e5 g1f3");
    engine.Send("go ponder wtime 60000 btime 60000");
    bool early = false;
    engine.ReadUntil("bestmove", 300, &early);
    EXPECT_FALSE(early) << c.end;
    engine.Send("isready");  // answered; the wait goes on
    engine.ReadUntil("readyok", 2000);
    const TestClock::time_point start = TestClock::now();
    engine.Send(c.end);
    const BestMove best = AwaitBestMove(engine, start, 20000);
    ASSERT_TRUE(best.found) << c.end;
    EXPECT_GE(best.ms, c.atLeastMs) << c.end;
    GameReferee referee;
    for (const char* move : {"e2e4", "e7e5", "g1f3"}) referee.Play(move);
    EXPECT_TRUE(referee.IsLegal(best.move)) << best.move;
  }
}
}  // namespace

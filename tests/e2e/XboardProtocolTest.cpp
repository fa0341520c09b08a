// The xboard and console front ends over pipes, as xboard or a person drives
// them: a game move by move, refused moves, promotions both ways, the clock
// commands, "?" and "force" while the engine thinks, set-up by FEN and by
// edit mode, analysis, the result lines, and the end of the program. Every
// move the engine sends is checked against the reference move generator.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "e2e/GameReferee.h"
#include "e2e/ProtocolSession.h"
#include "search/TranspositionTables.h"

namespace {
void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The first move of a thinking line "depth score time nodes  pv...".
std::string FirstPVMove(const std::string& line) {
  std::istringstream words(line);
  std::string depth, score, time, nodes, move;
  if (!(words >> depth >> score >> time >> nodes >> move)) return "";
  if (depth.find_first_not_of("0123456789") != std::string::npos) return "";
  return move;
}

TEST(XboardProtocolTest, PlaysAGameMoveByMoveWithNumberedMoveLines) {
  XboardEngine engine;
  engine.Send("level 0 0:02 0");
  GameReferee referee;
  for (int move = 1; move <= 4; move++) {
    const std::string ours = referee.LegalMoves().front();
    ASSERT_TRUE(referee.Play(ours));
    engine.Send("time 200");
    engine.Send("otim 200");
    engine.Send(ours);
    std::vector<std::string> lines;
    const std::string reply = engine.AwaitMove(5000, &lines);
    ASSERT_FALSE(reply.empty()) << engine.Output();
    EXPECT_EQ(lines.back(), std::to_string(move) + ". ... " + reply + " ");
    ASSERT_TRUE(referee.Play(reply)) << reply;
  }
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(5000), 0);
  EXPECT_NE(engine.Output().find("Bye, Thanks for the match.\n"), std::string::npos);
}

TEST(XboardProtocolTest, IllegalMovesAreRefusedAndLeaveThePositionAlone) {
  XboardEngine engine;
  engine.Send("st 1");
  // Not moves at all ("h9", words), and moves the position does not allow:
  // a blocked pawn step, the other side's move, castling through men, a
  // king into check on the next move list, a piece that is not there.
  // A letter after a move that does not promote makes no move either.
  for (const char* word : {"h9", "zz", "e2e5", "e7e5", "e1g1", "a1a1", "d1d3", "b1d2", "e3e4", "e2e4q", "e2e4x"})
    engine.Send(word);
  engine.Send("e2e4");
  const std::string reply = engine.AwaitMove(5000);
  GameReferee referee;
  ASSERT_TRUE(referee.Play("e2e4"));
  EXPECT_TRUE(referee.IsLegal(reply)) << reply;
  const std::string out = engine.Output();
  for (const char* refused : {"e2e5", "e7e5", "e1g1", "a1a1", "d1d3", "b1d2", "e3e4", "e2e4q", "e2e4x"})
    EXPECT_NE(out.find(std::string("Illegal move: ") + refused + "\n"), std::string::npos) << refused;
  EXPECT_EQ(out.find("Illegal move: h9"), std::string::npos);
  EXPECT_EQ(out.find("Illegal move: zz"), std::string::npos);
}

TEST(XboardProtocolTest, PromotionsCarryTheirPieceBothWays) {
  // The engine's own promotion is sent with its letter.
  {
    XboardEngine engine;
    engine.Send("setboard 8/4P1k1/8/8/8/8/8/4K3 w - -");
    engine.Send("sd 4");
    engine.Send("go");
    EXPECT_EQ(engine.AwaitMove(5000), "e7e8q");
  }
  // The opponent's piece is taken as given, in either case; none is a queen.
  const struct {
    const char* move;
    const char* rankOne;
  } cases[] = {
      {"c2c1n", "1  - - n - K - - -  1"},
      {"c2c1N", "1  - - n - K - - -  1"},
      {"c2c1r", "1  - - r - K - - -  1"},
      {"c2c1b", "1  - - b - K - - -  1"},
      {"c2c1", "1  - - q - K - - -  1"},
  };
  for (const auto& c : cases) {
    XboardEngine engine;
    engine.Send("setboard 4k3/8/8/8/8/8/2p5/4K3 b - -");
    engine.Send("force");
    engine.Send(c.move);
    engine.Send("displayboard");
    bool found = false;
    std::vector<std::string> lines = engine.ReadUntil("1  ", 5000, &found);
    ASSERT_TRUE(found) << c.move;
    EXPECT_EQ(lines.back(), c.rankOne) << c.move;
  }
}

// "st n" is n seconds a move; "sd n" stops the iterations after depth n.
// The time is kept by counting nodes against a budget made from the speed
// estimate, so a fast build may move well inside its second: the lower
// bound only shows that the engine searched rather than moved at once.
TEST(XboardProtocolTest, TimeAndDepthLimitsHoldAsTheHelpSays) {
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> commands;
    long long minMs, maxMs;
    int deepest;  // largest depth a thinking line may show; 0 for no check
  } cases[] = {
      {{}, {"st 1"}, 100, 2500, 0},
      {{"-st", "1"}, {}, 100, 2500, 0},
      {{}, {"st 20", "sd 3", "post"}, 0, 2000, 3},
      {{"-sd", "3"}, {"st 20", "post"}, 0, 2000, 3},
  };
  for (const auto& c : cases) {
    EngineProcess engine(c.args);
    engine.Send("xboard");
    engine.Send("new");
    for (const std::string& command : c.commands) engine.Send(command);
    TestClock::time_point start = TestClock::now();
    engine.Send("go");
    bool found = false;
    std::vector<std::string> lines = engine.ReadUntil(". ... ", 10000, &found);
    const long long ms = MsSince(start);
    ASSERT_TRUE(found) << engine.Output();
    const std::string what = c.commands.empty() ? c.args.front() : c.commands.front();
    EXPECT_GE(ms, c.minMs) << what;
    EXPECT_LE(ms, c.maxMs) << what;
    if (c.deepest == 0) continue;
    for (const std::string& line : lines) {
      if (FirstPVMove(line).empty()) continue;
      EXPECT_LE(std::stoi(line), c.deepest) << line;
    }
  }
}

TEST(XboardProtocolTest, MoveNowPlaysTheBestMoveSoFarAndForceDropsTheSearch) {
  XboardEngine engine;
  engine.Send("st 30");
  GameReferee referee;
  engine.Send("e2e4");
  ASSERT_TRUE(referee.Play("e2e4"));
  Sleep(500);
  TestClock::time_point start = TestClock::now();
  engine.Send("?");
  std::string reply = engine.AwaitMove(3000);
  EXPECT_LT(MsSince(start), 1500);
  ASSERT_TRUE(referee.Play(reply)) << reply;

  // The game goes on, with the thinking output still on.
  engine.Send("post");
  engine.Send("d2d4");
  ASSERT_TRUE(referee.Play("d2d4"));
  Sleep(300);
  engine.Send("force");
  bool moved = false;
  engine.ReadUntil(". ... ", 1000, &moved);
  EXPECT_FALSE(moved) << "a move after force";
  // In force mode both sides' moves are entered; "go" plays for the side to
  // move on the position as the GUI sees it.
  for (int i = 0; i < 2; i++) {
    const std::string m = referee.LegalMoves().front();
    engine.Send(m);
    ASSERT_TRUE(referee.Play(m));
  }
  engine.Send("st 1");
  engine.Send("go");
  reply = engine.AwaitMove(5000);
  EXPECT_TRUE(referee.IsLegal(reply)) << reply;
}

TEST(XboardProtocolTest, QuitOrEndOfInputEndsTheProgramInEveryState) {
  const struct {
    std::vector<std::string> commands;
    bool quit;  // else the input is closed
  } cases[] = {
      {{}, true},
      {{}, false},
      {{"st 30", "go"}, true},
      {{"st 30", "go"}, false},
      {{"analyze"}, true},
      {{"analyze"}, false},
      {{"edit", "Ke1"}, false},  // inside edit mode
      {{"setboard"}, false},
      {{"level 40"}, false},
  };
  for (const auto& c : cases) {
    XboardEngine engine;
    for (const std::string& command : c.commands) engine.Send(command);
    Sleep(300);
    if (c.quit) engine.Send("quit");
    else engine.CloseInput();
    const std::string shown = (c.commands.empty() ? "waiting" : c.commands.back()) + (c.quit ? " quit" : " eof");
    EXPECT_EQ(engine.Wait(3000), 0) << shown;
  }
}

TEST(XboardProtocolTest, SetboardAndEditModeSetUpThePosition) {
  // A FEN with Black to move.
  {
    XboardEngine engine;
    const std::string fen = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq -";
    engine.Send("setboard " + fen);
    engine.Send("st 1");
    engine.Send("go");
    const std::string reply = engine.AwaitMove(5000);
    EXPECT_TRUE(GameReferee(fen).IsLegal(reply)) << reply;
  }
  // Edit mode, with Black to move the way xboard arranges it: a move in
  // force mode first.
  {
    XboardEngine engine;
    for (const char* c : {"force", "a2a3", "edit", "#", "Ke1", "Rh1", "Pa2", "c", "Ke8", "Pa7", "Nb8", ".", "st 1", "go"})
      engine.Send(c);
    const std::string reply = engine.AwaitMove(5000);
    GameReferee referee("1n2k3/p7/8/8/8/8/P7/4K2R b K -");
    ASSERT_TRUE(referee.Play(reply)) << reply;
    // White still has its right to castle.
    engine.Send("e1g1");
    const std::string next = engine.AwaitMove(5000);
    ASSERT_TRUE(referee.Play("e1g1"));
    EXPECT_TRUE(referee.IsLegal(next)) << next;
    EXPECT_EQ(engine.Output().find("Illegal move"), std::string::npos);
  }
}

TEST(XboardProtocolTest, AnalysisFollowsTheMovesAndPlaysNothing) {
  XboardEngine engine;
  engine.Send("analyze");
  bool found = false;
  engine.ReadUntil("  ", 5000, &found);  // a thinking line
  ASSERT_TRUE(found);
  engine.Send(".");
  engine.ReadUntil("stat01: ", 3000, &found);
  EXPECT_TRUE(found);

  // A move during analysis is played, and the new position analysed.
  GameReferee referee;
  engine.Send("e2e4");
  ASSERT_TRUE(referee.Play("e2e4"));
  engine.ReadUntil("Search Aborted", 3000, &found);
  ASSERT_TRUE(found);
  // The interrupted search may still report; the new one starts at depth 1.
  std::vector<std::string> lines = engine.ReadUntil("no such text", 1500);
  int checked = 0;
  bool started = false;
  for (const std::string& line : lines) {
    const std::string move = FirstPVMove(line);
    if (move.empty()) continue;
    started = started || line.compare(0, 2, "1 ") == 0;
    if (!started) continue;
    EXPECT_TRUE(referee.IsLegal(move)) << line;
    checked++;
  }
  EXPECT_GT(checked, 0);

  engine.Send("exit");
  engine.ReadUntil(". ... ", 1000, &found);
  EXPECT_FALSE(found) << "analysis played a move";
  engine.Send("st 1");
  engine.Send("go");
  const std::string reply = engine.AwaitMove(5000);
  EXPECT_TRUE(referee.IsLegal(reply)) << reply;
}

// The opponent's move ends each game: the engine, to reply, sends the
// result instead of a move.
TEST(XboardProtocolTest, ResultLinesEndTheGameInPGNForm) {
  std::vector<std::string> fifty = {"setboard r3k3/8/8/8/8/8/8/R3K3 w - -", "force"};
  std::vector<std::string> walk = QuietWalk("r3k3/8/8/8/8/8/8/R3K3 w - -", 100);
  ASSERT_EQ(walk.size(), 100u);
  fifty.insert(fifty.end(), walk.begin(), walk.end() - 1);
  fifty.push_back("?");  // leaves force mode without a move
  fifty.push_back(walk.back());

  const struct {
    const char* name;
    std::vector<std::string> commands;
    const char* result;
  } cases[] = {
      {"White mates", {"setboard 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -", "d1d8"}, "1-0 {White mates}"},
      {"Black mates", {"setboard 3r2k1/5ppp/8/8/8/8/5PPP/6K1 b - -", "d8d1"}, "0-1 {Black mates}"},
      {"stalemate", {"setboard 7k/8/8/8/8/8/8/6QK w - -", "g1g6"}, "1/2-1/2 {Stalemate}"},
      {"material", {"setboard 8/8/8/4k3/8/8/3nK3/8 w - -", "e2d2"}, "1/2-1/2 {Draw by insufficient material}"},
      {"repetition",
       {"force", "g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1", "?", "f6g8"},
       "1/2-1/2 {Draw by repetition}"},
      {"fifty moves", fifty, "1/2-1/2 {Draw by 50 Move Rule}"},
  };
  for (const auto& c : cases) {
    XboardEngine engine;
    engine.Send("st 1");
    for (const std::string& command : c.commands) engine.Send(command);
    bool found = false;
    std::vector<std::string> lines = engine.ReadUntil(c.result, 5000, &found);
    ASSERT_TRUE(found) << c.name << "\n" << engine.Output().substr(0, 2000);
    EXPECT_EQ(lines.back(), c.result) << c.name;
    EXPECT_FALSE(AnyStartsWith(lines, "Illegal move")) << c.name;
    EXPECT_FALSE(AnyStartsWith(lines, "1. ... ")) << c.name << ": no move after the game's end";

    // xboard keeps its engine for the next game.
    engine.Send("new");
    engine.Send("st 1");
    engine.Send("e2e4");
    GameReferee referee;
    ASSERT_TRUE(referee.Play("e2e4"));
    EXPECT_TRUE(referee.IsLegal(engine.AwaitMove(5000))) << c.name;
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(3000), 0) << c.name;
  }
}

// The game's positions reach the search: Black, a queen down, sees that
// going back to g4 repeats the position and takes the draw.
TEST(XboardProtocolTest, TheSearchSeesRepetitionsOfTheGame) {
  XboardEngine engine;
  for (const char* c : {"setboard 6k1/5ppp/5n2/8/8/8/5PPP/3Q2K1 b - -", "force", "f6g4", "g1h1", "g4f6", "h1g1", "st 5", "sd 5",
                        "post", "go"})
    engine.Send(c);
  std::vector<std::string> lines;
  EXPECT_EQ(engine.AwaitMove(10000, &lines), "f6g4");
  ASSERT_GE(lines.size(), 2u);
  const std::string last = lines[lines.size() - 2].empty() ? lines[lines.size() - 3] : lines[lines.size() - 2];
  EXPECT_EQ(last.substr(0, 4), "5 0 ") << last;
}

TEST(ConsoleTest, GreetsShowsTheBoardRefusesIllegalMovesAndPlays) {
  EngineProcess engine;
  for (const char* word : {"hello", "e2e5", "st 1", "e2e4"}) engine.Send(word);
  bool found = false;
  engine.ReadUntil("Game Score", 5000, &found);
  ASSERT_TRUE(found);
  engine.ReadUntil("Game Score", 10000, &found);  // after the engine's reply
  ASSERT_TRUE(found);
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(5000), 0);

  const std::string out = engine.Output();
  const std::string greeting =
      "Vorn \n\nHello! I am Vorn.\nMAXDEPTH = 56\n   A B C D E F G H\n\n8  r n b q k b n r  8\n";
  EXPECT_EQ(out.compare(0, greeting.size(), greeting), 0) << out.substr(0, 200);
  for (const char* text : {"Enter Move: e2e5\nIllegal move: e2e5\n", "Enter Move: st\n", "Enter Move: e2e4\n",
                           "Game Score 0\n", "4  - - - - P - - -  4\n", "Enter Move: quit\n",
                           "Bye, Thanks for the match.\n"})
    EXPECT_NE(out.find(text), std::string::npos) << text;
  // The board after each side's move: two more, each framed by file letters.
  int frames = 0;
  for (size_t at = out.find("   A B C D E F G H\n"); at != std::string::npos; at = out.find("   A B C D E F G H\n", at + 1))
    frames++;
  EXPECT_EQ(frames, 6);
}

// A person at the console may type moves in algebraic notation; a position
// text that is malformed is refused with what is wrong, and the game stays.
TEST(ConsoleTest, AlgebraicMovesAreReadAndMalformedPositionsRefused) {
  EngineProcess engine;
  for (const char* line : {"hello", "setboard rnbqkbnr/pppppppp/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "sd 2", "Nf3"})
    engine.Send(line);
  bool found = false;
  engine.ReadUntil("Game Score", 5000, &found);
  ASSERT_TRUE(found) << engine.Output();
  engine.ReadUntil("Game Score", 10000, &found);  // after the engine's reply
  ASSERT_TRUE(found) << engine.Output();
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(5000), 0);
  const std::string out = engine.Output();
  for (const char* text : {"Illegal position: the placement has 7 ranks, not 8\n", "Enter Move: Nf3\n",
                           "3  - - - - - N - -  3\n", "1  R N B Q K B - R  1\n"})
    EXPECT_NE(out.find(text), std::string::npos) << text << "\n" << out;
  EXPECT_EQ(out.find("Illegal move"), std::string::npos) << out;
}

// An xboard GUI of protocol 2: "xboard", "protover 2" and the features read
// up to done=1, then "new". Its moves come as "move e2e4".
class Xboard2Engine : public EngineProcess {
 public:
  Xboard2Engine() {
    start = TestClock::now();
    Send("xboard");
    Send("protover 2");
    bool found = false;
    features = ReadUntil("done=1", 5000, &found);
    featuresMs = MsSince(start);
    EXPECT_TRUE(found) << Output();
    Send("new");
  }
  // Reads until a line "move X"; returns X (empty when none came in time).
  std::string AwaitMove(int timeoutMs, std::vector<std::string>* lines = nullptr) {
    std::vector<std::string> read;
    for (;;) {
      bool found = false;
      std::vector<std::string> more = ReadUntil("move ", timeoutMs, &found);
      read.insert(read.end(), more.begin(), more.end());
      if (!found) break;
      if (read.back().compare(0, 5, "move ") == 0) {
        if (lines) *lines = read;
        return read.back().substr(5);
      }
    }
    if (lines) *lines = read;
    return "";
  }
  // "ping N", and every line read until "pong N".
  std::vector<std::string> Sync(int number, int timeoutMs = 5000) {
    Send("ping " + std::to_string(number));
    bool found = false;
    std::vector<std::string> lines = ReadUntil("pong " + std::to_string(number), timeoutMs, &found);
    EXPECT_TRUE(found) << "no pong " << number << "\n" << Output();
    return lines;
  }

  TestClock::time_point start;
  std::vector<std::string> features;
  long long featuresMs = 0;
};

bool AnyContains(const std::vector<std::string>& lines, const std::string& text) {
  for (const std::string& line : lines)
    if (line.find(text) != std::string::npos) return true;
  return false;
}

TEST(XboardProtocolTest, ProtocolTwoGetsTheFeaturesAtOnceWithDoneLast) {
  Xboard2Engine engine;
  EXPECT_LT(engine.featuresMs, 1000) << "xboard would wait for them";
  std::string all;
  for (const std::string& line : engine.features) {
    if (line == "Vorn ") continue;  // the greeting before the first word
    EXPECT_EQ(line.compare(0, 8, "feature "), 0) << line;
    all += line + " ";
  }
  for (const char* feature : {"myname=\"Vorn 1.", "ping=1", "setboard=1", "usermove=1", "analyze=1", "colors=0",
                              "sigint=0", "sigterm=0", "memory=1", "reuse=1", "time=1", "draw=0", "exclude=1",
                              "option=\"MultiPV -spin 1 1 256\"", "option=\"Strength -spin 2100 1350 2100\"",
                              "option=\"Move Overhead -spin 10 0 5000\"", "option=\"Classic -check 0\""})
    EXPECT_NE(all.find(feature), std::string::npos) << feature;
  EXPECT_EQ(engine.features.back(), "feature done=1");
  // The answers are read and ignored, as xboard sends them; a game follows.
  for (const char* feature : {"myname", "ping", "setboard", "usermove", "analyze", "colors", "sigint", "sigterm",
                              "memory", "reuse", "time", "draw", "done"})
    engine.Send(std::string("accepted ") + feature);
  engine.Send("rejected colors");
  EXPECT_EQ(engine.Sync(1), std::vector<std::string>{"pong 1"});
  engine.Send("st 1");
  engine.Send("usermove e2e4");
  GameReferee referee;
  ASSERT_TRUE(referee.Play("e2e4"));
  EXPECT_TRUE(referee.IsLegal(engine.AwaitMove(5000))) << engine.Output();
  engine.Send("usermove e2e5");
  EXPECT_TRUE(AnyStartsWith(engine.Sync(2), "Illegal move: e2e5"));
}

// Started as the classic engine, Vorn announces the features it always
// has, without the option that chooses the engine; "option Classic=0" is
// understood all the same, without a word.
TEST(XboardProtocolTest, TheClassicEngineAnnouncesNoClassicOption) {
  EngineProcess engine({"-classic"});
  engine.Send("xboard");
  engine.Send("protover 2");
  bool found = false;
  const std::vector<std::string> features = engine.ReadUntil("done=1", 5000, &found);
  ASSERT_TRUE(found) << engine.Output();
  EXPECT_FALSE(AnyContains(features, "Classic")) << engine.Output();
  engine.Send("option Classic=0");
  engine.Send("ping 1");
  const std::vector<std::string> answer = engine.ReadUntil("pong 1", 5000, &found);
  EXPECT_EQ(answer, std::vector<std::string>{"pong 1"});
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(5000), 0);
}

// However little the clock holds, the move comes from a complete first
// iteration: the move "sd 1" plays, not the first root move searched (here
// f3e5, which loses the knight). A "?" that is waiting when the search
// starts is read in the first iteration and takes effect at its end.
TEST(XboardProtocolTest, NoClockIsTooShortForTheFirstIteration) {
  const std::string position = "setboard r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4";
  // The commands go in one write, so that all of them wait from the start.
  auto play = [&](const std::string& commands) {
    Xboard2Engine engine;
    engine.Send("force");
    engine.Send(position);
    engine.Send(commands);
    return engine.AwaitMove(10000);
  };
  const std::string fixed = play("sd 1\ngo");
  ASSERT_FALSE(fixed.empty());
  ASSERT_NE(fixed, "f3e5");
  for (const char* commands : {"time 0\notim 0\ngo", "time 3\notim 3\ngo", "st 0\ngo", "level 40 0 0\ntime 0\ngo",
                               "level 0 0 0\ngo", "time 0\notim 0\ngo\n?"})
    EXPECT_EQ(play(commands), fixed) << commands;
}

// Resident memory of a process in kB, -1 when it cannot be read.
long ResidentKB(int pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.compare(0, 6, "VmRSS:") == 0) return std::stol(line.substr(6));
  return -1;
}

// The features come before the search's memory is touched: mapping the
// whole transposition table first kept xboard waiting for them up to half
// a second on a busy machine, only for the table to be replaced by the
// "memory" command that follows them. The engine maps its memory while it
// waits for commands, and reads a command that comes (here half a word
// keeps it reading).
TEST(XboardProtocolTest, FeaturesComeBeforeTheTablesAreMappedAndIdleTimeMapsThem) {
  if (ResidentKB(getpid()) < 0) GTEST_SKIP() << "no /proc";
  EngineProcess engine;
  engine.SendText("xboard\nprotover 2\npi");
  bool found = false;
  engine.ReadUntil("done=1", 5000, &found);
  ASSERT_TRUE(found) << engine.Output();
  const long tableKB = TTDefaultMB * 1024L;
  EXPECT_LT(ResidentKB(engine.Pid()), tableKB / 2);
  engine.SendText("ng 1\n");
  engine.ReadUntil("pong 1", 5000, &found);
  ASSERT_TRUE(found) << engine.Output();
  // With nothing to read, the engine maps the table.
  long kb = 0;
  for (int i = 0; i < 300 && (kb = ResidentKB(engine.Pid())) < tableKB; i++) Sleep(50);
  EXPECT_GE(kb, tableKB);
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(5000), 0);
}

// "pong N" comes once every command before it is done: after the move the
// engine was thinking about, at once in force mode and in analysis.
// A position set up with its move counters: the move that completes the
// fifty-move count ends the game, as one played to it does. Malformed
// text and move words that name no move are refused, and the game stays.
TEST(XboardProtocolTest, SetboardCountersEndTheGameAndMalformedTextIsRefused) {
  Xboard2Engine engine;
  engine.Send("setboard 8/8/8/4k3/8/8/8/4K2Q b - - 99 80");
  engine.Send("usermove e5d6");
  std::vector<std::string> lines = engine.Sync(1);
  EXPECT_TRUE(AnyStartsWith(lines, "1/2-1/2 {Draw by 50 Move Rule}")) << engine.Output();
  engine.Send("go");
  lines = engine.Sync(2);
  EXPECT_FALSE(AnyStartsWith(lines, "move ")) << engine.Output();

  engine.Send("new");
  engine.Send("setboard 4k3/P7/8/8/8/8/8/4K3 w - - 0 1");
  for (const char* text : {"setboard rnbqkbnr/pppppppp/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
                           "setboard rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1"})
    engine.Send(text);
  for (const char* word : {"a7a8k", "a7a8p", "a7a8x", "A7A8", "zz9"}) engine.Send(std::string("usermove ") + word);
  lines = engine.Sync(3);
  for (const char* refusal : {"tellusererror Illegal position: the placement has 7 ranks, not 8",
                              "tellusererror Illegal position: the side to move \"x\" is neither w nor b",
                              "Illegal move: a7a8k", "Illegal move: a7a8p", "Illegal move: a7a8x", "Illegal move: A7A8",
                              "Illegal move: zz9"})
    EXPECT_TRUE(AnyStartsWith(lines, refusal)) << refusal << "\n" << engine.Output();
  engine.Send("usermove a7a8r");
  engine.Send("sd 2");
  engine.Send("go");
  GameReferee referee("4k3/P7/8/8/8/8/8/4K3 w - -");
  ASSERT_TRUE(referee.Play("a7a8r"));
  const std::string reply = engine.AwaitMove(10000);
  EXPECT_TRUE(referee.IsLegal(reply)) << reply << "\n" << engine.Output();
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(5000), 0);
}

TEST(XboardProtocolTest, PongComesAfterEverythingBeforeThePing) {
  const struct {
    const char* name;
    std::vector<std::string> commands;
    int sleepMs;     // before the ping
    bool moveFirst;  // a move line must come before the pong
  } cases[] = {
      {"own search", {"st 2", "usermove e2e4"}, 100, true},
      {"own search, at once", {"st 1", "usermove e2e4"}, 0, true},
      {"force mode", {"force", "usermove e2e4", "usermove e7e5"}, 0, false},
      {"analysis", {"analyze", "usermove e2e4"}, 500, false},
      {"analysis, a take-back", {"analyze", "usermove e2e4", "undo"}, 300, false},
  };
  for (const auto& c : cases) {
    Xboard2Engine engine;
    for (const std::string& command : c.commands) engine.Send(command);
    Sleep(c.sleepMs);
    const TestClock::time_point sent = TestClock::now();
    std::vector<std::string> lines = engine.Sync(77, 10000);
    ASSERT_FALSE(lines.empty()) << c.name;
    int moveAt = -1;
    for (int i = 0; i < (int)lines.size(); i++)
      if (lines[i].compare(0, 5, "move ") == 0) moveAt = i;
    EXPECT_EQ(moveAt >= 0, c.moveFirst) << c.name << "\n" << engine.Output();
    if (!c.moveFirst) {
      EXPECT_LT(MsSince(sent), 2000) << c.name;
    }
    // The pong is the last word on the matter, a second one never comes.
    engine.Send("ping 78");
    bool found = false;
    std::vector<std::string> after = engine.ReadUntil("pong 78", 5000, &found);
    EXPECT_TRUE(found) << c.name;
    EXPECT_FALSE(AnyContains(after, "pong 77")) << c.name;
    EXPECT_FALSE(AnyStartsWith(after, "move ")) << c.name;
    EXPECT_EQ(engine.Output().find("Search Aborted"), std::string::npos) << c.name;
    EXPECT_FALSE(AnyStartsWith(lines, "info ")) << c.name;
  }
}

// Take-backs under protocol 2, each followed by a move that is legal only
// where the take-back left the game: the opponent's pawn back on e2, the
// rights to castle back, a rook back on its home square.
TEST(XboardProtocolTest, UndoAndRemoveGoBackToTheEarlierPosition) {
  const char* const castles = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq -";
  const struct {
    const char* name;
    const char* fen;
    std::vector<std::string> commands;
  } cases[] = {
      {"king's move", castles, {"force", "usermove e1f1", "undo", "usermove e1g1"}},
      {"rook's move", castles, {"force", "usermove h1h2", "usermove a8a7", "remove", "usermove e1g1", "usermove e8c8"}},
      {"rook captured", castles, {"force", "usermove a1a8", "undo", "usermove a1b1", "usermove e8c8"}},
      {"pawn steps", StartFen, {"force", "usermove e2e4", "usermove e7e5", "undo", "undo", "usermove e2e3"}},
  };
  for (const auto& c : cases) {
    Xboard2Engine engine;
    engine.Send(std::string("setboard ") + c.fen);
    for (const std::string& command : c.commands) engine.Send(command);
    const std::vector<std::string> lines = engine.Sync(1);
    EXPECT_FALSE(AnyStartsWith(lines, "Illegal move")) << c.name << "\n" << engine.Output();
    EXPECT_FALSE(AnyStartsWith(lines, "Error")) << c.name << "\n" << engine.Output();
  }
  // Nothing to take back.
  Xboard2Engine engine;
  engine.Send("undo");
  engine.Send("usermove e2e4");
  engine.Send("force");
  engine.Send("remove");
  const std::vector<std::string> lines = engine.Sync(2);
  EXPECT_TRUE(AnyStartsWith(lines, "Error (no move to undo): undo")) << engine.Output();
}

// After new, e2e4 and the engine's answer, "remove" takes both back: the
// engine answers d2d4 and then e2e3 on the board the GUI shows, under both
// protocol levels.
TEST(XboardProtocolTest, RemoveDuringAGameTakesBackBothMoves) {
  for (int protocol : {1, 2}) {
    std::unique_ptr<EngineProcess> process;
    std::function<std::string()> awaitMove;
    if (protocol == 2) {
      auto* engine = new Xboard2Engine;
      process.reset(engine);
      awaitMove = [engine] { return engine->AwaitMove(5000); };
    } else {
      auto* engine = new XboardEngine;
      process.reset(engine);
      awaitMove = [engine] { return engine->AwaitMove(5000); };
    }
    EngineProcess& engine = *process;
    engine.Send("st 1");
    engine.Send("e2e4");
    const std::string first = awaitMove();
    ASSERT_FALSE(first.empty()) << protocol;
    engine.Send("remove");
    GameReferee referee;
    for (const char* ours : {"d2d4", "e2e3"}) {
      engine.Send(ours);
      ASSERT_TRUE(referee.Play(ours));
      const std::string reply = awaitMove();
      ASSERT_TRUE(referee.Play(reply)) << "protocol " << protocol << ": " << reply << "\n" << engine.Output();
    }
    EXPECT_EQ(engine.Output().find("Illegal move"), std::string::npos) << protocol;
  }
}

// Positions and quiet moves taken back no longer count: a position seen
// twice before two moves were taken back is seen once more without a draw,
// and the fifty-move count goes back with the moves.
TEST(XboardProtocolTest, TakenBackPositionsNoLongerCountForDraws) {
  std::vector<std::string> fifty = {"setboard r3k3/8/8/8/8/8/8/R3K3 w - -", "force"};
  const std::vector<std::string> walk = QuietWalk("r3k3/8/8/8/8/8/8/R3K3 w - -", 100);
  ASSERT_EQ(walk.size(), 100u);
  fifty.insert(fifty.end(), walk.begin(), walk.end() - 1);  // 99 quiet plies
  for (const char* command : {"undo", "undo", "undo"}) fifty.push_back(command);
  fifty.insert(fifty.end(), walk.end() - 4, walk.end() - 2);  // 98
  fifty.push_back("?");
  fifty.push_back(walk[98]);  // the 99th quiet ply: no draw yet

  const struct {
    const char* name;
    std::vector<std::string> commands;
  } cases[] = {
      {"repetition", {"force", "g1f3", "g8f6", "f3g1", "f6g8", "undo", "undo", "f3g1", "?", "f6g8"}},
      {"fifty moves", fifty},
  };
  for (const auto& c : cases) {
    XboardEngine engine;
    engine.Send("st 1");
    for (const std::string& command : c.commands) engine.Send(command);
    std::vector<std::string> lines;
    const std::string reply = engine.AwaitMove(5000, &lines);
    EXPECT_FALSE(reply.empty()) << c.name << "\n" << engine.Output().substr(0, 3000);
    EXPECT_FALSE(AnyStartsWith(lines, "1/2-1/2")) << c.name;
    EXPECT_FALSE(AnyStartsWith(lines, "Illegal move")) << c.name;
  }
}

// "?" just after the engine's move plays nothing and leaves the thinking
// output on.
TEST(XboardProtocolTest, MoveNowAfterAMoveKeepsPosting) {
  for (int protocol : {1, 2}) {
    std::unique_ptr<EngineProcess> process;
    if (protocol == 2) process.reset(new Xboard2Engine);
    else process.reset(new XboardEngine);
    EngineProcess& engine = *process;
    for (const char* command : {"post", "st 1", "e2e4"}) engine.Send(command);
    bool found = false;
    engine.ReadUntil(protocol == 2 ? "move " : ". ... ", 5000, &found);
    ASSERT_TRUE(found) << protocol;
    engine.Send("?");
    engine.Send("d2d4");
    std::vector<std::string> lines = engine.ReadUntil(protocol == 2 ? "move " : ". ... ", 5000, &found);
    ASSERT_TRUE(found) << protocol;
    int thinking = 0;
    for (const std::string& line : lines) thinking += !FirstPVMove(line).empty();
    EXPECT_GT(thinking, 0) << "protocol " << protocol << "\n" << engine.Output();
  }
}

// Protocol-2 thinking lines: "depth score time nodes pv", the time in
// centiseconds, mates as 100000 + N (a win in N moves) or -100000 - N,
// every move of the line with its promotion letter; nothing but protocol
// lines, and no result shown twice in a row (an iteration's end and the
// search's end report the same one).
TEST(XboardProtocolTest, ProtocolTwoThinkingLinesFollowTheProtocol) {
  const std::regex line("(\\d+) (-?\\d+) (\\d+) (\\d+) ([a-h][1-8][a-h][1-8][qrbn]?)( [a-h][1-8][a-h][1-8][qrbn]?)*");
  const struct {
    const char* fen;
    const char* limits;
    std::string score;   // of the last thinking line; empty for any ordinary score
    std::string inLine;  // a move some line must show
  } cases[] = {
      {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -", "sd 4", "100001", "d1d8"},
      {"7k/1p6/6K1/8/8/8/8/R7 b - -", "sd 4", "-100001", ""},
      {"8/P7/8/8/8/8/k7/7K b - -", "sd 4", "", " a7a8q"},
      {"8/5pk1/6p1/8/3R4/6P1/5PK1/2r5 w - -", "st 2", "", ""},
  };
  for (const auto& c : cases) {
    Xboard2Engine engine;
    for (const std::string& command : {std::string("setboard ") + c.fen, std::string("st 2"), std::string(c.limits),
                                       std::string("post")})
      engine.Send(command);
    const TestClock::time_point start = TestClock::now();
    engine.Send("go");
    std::vector<std::string> lines;
    const std::string move = engine.AwaitMove(10000, &lines);
    const long long ms = MsSince(start);
    ASSERT_FALSE(move.empty()) << c.fen << "\n" << engine.Output();
    std::smatch last;
    std::string previous;
    bool shown = c.inLine.empty();
    for (const std::string& text : lines) {
      if (text.compare(0, 5, "move ") == 0 || text.empty()) continue;
      std::smatch m;
      ASSERT_TRUE(std::regex_match(text, m, line)) << c.fen << ": " << text;
      last = m;
      const std::string result = m[1].str() + " " + m[2].str() + " " + text.substr(m.position(5));
      EXPECT_NE(result, previous) << c.fen << ": shown twice";
      previous = result;
      shown = shown || (" " + text.substr(m.position(5)) + " ").find(c.inLine + " ") != std::string::npos;
      const int score = std::stoi(m[2]);
      if (c.score.empty()) {
        EXPECT_LT(std::abs(score), 100000) << text;
      }
    }
    ASSERT_FALSE(last.empty()) << c.fen;
    if (!c.score.empty()) {
      EXPECT_EQ(last[2].str(), c.score) << c.fen;
    }
    EXPECT_TRUE(shown) << c.fen << ": no line with" << c.inLine;
    // Centiseconds from the clock: never more than the search took, and for a
    // search of over a second more than the whole seconds a node count gives.
    EXPECT_LE(std::stoll(last[3]), ms / 10 + 10) << c.fen;
    if (ms > 1000) {
      EXPECT_GE(std::stoll(last[3]), 20) << c.fen;
    }
  }
}

// In analysis the status line is the answer to "." alone, however deep the
// search goes; it is not mixed into the thinking lines.
TEST(XboardProtocolTest, TheAnalysisStatusLineAnswersTheDotOnly) {
  Xboard2Engine engine;
  engine.Send("analyze");
  std::vector<std::string> lines;
  bool deep = false;
  while (!deep) {
    std::vector<std::string> more = engine.ReadUntil("", 20000);  // a line
    lines.insert(lines.end(), more.begin(), more.end());
    ASSERT_FALSE(more.empty()) << "no thinking line of depth 10\n" << engine.Output().substr(0, 3000);
    for (const std::string& line : more) deep = deep || (!FirstPVMove(line).empty() && std::stoi(line) >= 10);
  }
  std::vector<std::string> synced = engine.Sync(1);
  lines.insert(lines.end(), synced.begin(), synced.end());
  EXPECT_FALSE(AnyStartsWith(lines, "stat01")) << engine.Output().substr(0, 3000);
  engine.Send(".");
  int status = 0;
  for (const std::string& line : engine.Sync(2)) status += line.compare(0, 8, "stat01: ") == 0;
  EXPECT_EQ(status, 1);
  engine.Send("exit");
}

// Outside analysis "." is read without a word: in force mode, and after
// "exit" ended an analysis (whose figures would be stale).
TEST(XboardProtocolTest, TheDotIsAnsweredDuringAnalysisOnly) {
  const struct {
    std::vector<std::string> before;  // sent before "."
    int statusLines;
  } steps[] = {
      {{"force"}, 0},
      {{"analyze"}, 1},
      {{"exit"}, 0},
      {{"new", "force", "usermove e2e4"}, 0},
  };
  Xboard2Engine engine;
  int ping = 1;
  for (const auto& step : steps) {
    for (const std::string& command : step.before) engine.Send(command);
    engine.Send(".");
    int status = 0;
    for (const std::string& line : engine.Sync(ping++)) status += line.compare(0, 8, "stat01: ") == 0;
    EXPECT_EQ(status, step.statusLines) << step.before[0] << "\n" << engine.Output().substr(0, 3000);
  }
}

// Some GUIs and adapters open with "protover 2". With the argument
// "xboard" the first word picks nothing and is a command like any other;
// without it, "protover" as the first word means an xboard GUI. Either way
// the features come at once and the game is played in protocol 2.
TEST(XboardProtocolTest, ProtoverAsTheFirstLineIsReadAsTheCommand) {
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> first;
  } cases[] = {
      {{"xboard"}, {"protover 2"}},
      {{}, {"protover 2"}},
      {{"xboard"}, {"xboard", "protover 2"}},
      {{"-xboard"}, {"protover 2"}},
  };
  for (const auto& c : cases) {
    EngineProcess engine(c.args);
    for (const std::string& line : c.first) engine.Send(line);
    bool found = false;
    const std::vector<std::string> features = engine.ReadUntil("feature done=1", 5000, &found);
    ASSERT_TRUE(found) << c.first.back() << "\n" << engine.Output();
    engine.Send("new");
    engine.Send("sd 2");
    engine.Send("usermove e2e4");
    const std::vector<std::string> reply = engine.ReadUntil("move ", 20000, &found);
    ASSERT_TRUE(found) << engine.Output();
    EXPECT_EQ(reply.back().compare(0, 5, "move "), 0) << reply.back();
    EXPECT_EQ(engine.Output().find("Error"), std::string::npos) << engine.Output();
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(10000), 0);
  }
  // The first word of a console game still picks nothing and does nothing.
  const ProcessResult console = RunEngine({}, "hello\nquit\n", 20000);
  EXPECT_EQ(console.output.find("Error"), std::string::npos) << console.output;
  EXPECT_EQ(console.output.find("feature"), std::string::npos) << console.output;
}

// The thinking lines of the analysis that runs once the ping is answered
// (a command that starts the analysis again owes its pong until then), up
// to the first line two depths deeper than the first: the depth between
// them is complete.
std::vector<std::string> AnalysisAfterPing(Xboard2Engine& engine, int number, std::vector<std::string>* synced) {
  *synced = engine.Sync(number);
  std::vector<std::string> lines;
  for (;;) {
    const std::vector<std::string> more = engine.ReadUntil("", 20000);
    if (more.empty()) return lines;
    for (const std::string& line : more) {
      if (FirstPVMove(line).empty()) continue;
      lines.push_back(line);
      if (std::stoi(line) >= std::stoi(lines.front()) + 2) return lines;
    }
  }
}

// Analysis leaves out the moves the GUI excludes: "exclude all" and an
// "include" analyse that move alone, "include all" brings every move back,
// and a move (here one made and taken back) clears the exclusions; with
// every move excluded nothing is searched or shown. A word that is no legal
// move is refused. "option MultiPV=N" shows N lines a
// depth, each its own thinking line with a first move of its own, and
// starts the analysis again.
TEST(XboardProtocolTest, AnalysisExcludesAndIncludesRootMovesAndShowsSeveralLines) {
  const struct {
    std::vector<std::string> commands;
    std::set<std::string> only;   // every line starts with one of these
    std::set<std::string> never;  // no line starts with one of these
    std::set<std::string> some;   // some line starts with one of these
    size_t perDepth;              // lines of a complete depth; 0 no analysis
    const char* said;             // a refusal; "" for silence
  } steps[] = {
      {{}, {}, {}, {"e2e4", "d2d4"}, 3, ""},
      {{"exclude e2e4", "exclude d2d4"}, {}, {"e2e4", "d2d4"}, {}, 3, ""},
      {{"exclude all"}, {}, {}, {}, 0, ""},
      {{"include g1f3"}, {"g1f3"}, {}, {}, 1, ""},
      {{"include all"}, {}, {}, {"e2e4", "d2d4"}, 3, ""},
      {{"exclude e2e5"}, {}, {}, {}, 0, "Illegal move: e2e5"},
      {{"option Hash=3"}, {}, {}, {}, 0, "Error (unknown option): Hash=3"},
      {{"option MultiPV=x"}, {}, {}, {}, 0, "Error (MultiPV needs a number): MultiPV=x"},
      {{"exclude all", "include g1f3", "usermove g1f3", "undo", "option MultiPV=2"}, {}, {}, {"e2e4", "d2d4"}, 2, ""},
  };
  Xboard2Engine engine;
  engine.Send("option MultiPV=3");
  engine.Send("analyze");
  int ping = 1;
  for (const auto& step : steps) {
    std::string what;
    for (const std::string& command : step.commands) {
      engine.Send(command);
      what += command + "; ";
    }
    if (step.perDepth == 0) {
      std::vector<std::string> synced = engine.Sync(ping++);
      if (step.said[0]) {
        EXPECT_TRUE(AnyStartsWith(synced, step.said)) << what;
        continue;
      }
      // The analysis that was stopped may show its last line, a legal one.
      const GameReferee start;
      for (const std::string& line : synced) {
        const std::string first = FirstPVMove(line);
        EXPECT_TRUE(first.empty() || start.IsLegal(first)) << what << line;
      }
      Sleep(300);
      synced = engine.Sync(ping++);
      for (const std::string& line : synced) EXPECT_TRUE(FirstPVMove(line).empty()) << what << line;
      continue;
    }
    std::vector<std::string> synced;
    const std::vector<std::string> lines = AnalysisAfterPing(engine, ping++, &synced);
    ASSERT_FALSE(lines.empty()) << what << "\n" << engine.Output().substr(0, 3000);
    EXPECT_FALSE(AnyStartsWith(synced, "Illegal move")) << what;
    std::map<int, std::vector<std::string>> byDepth;
    bool some = step.some.empty();
    for (const std::string& line : lines) {
      const std::string first = FirstPVMove(line);
      if (!step.only.empty()) {
        EXPECT_TRUE(step.only.count(first)) << what << line;
      }
      EXPECT_FALSE(step.never.count(first)) << what << line;
      some = some || step.some.count(first);
      byDepth[std::stoi(line)].push_back(first);
    }
    EXPECT_TRUE(some) << what;
    const std::vector<std::string>& complete = byDepth[std::stoi(lines.front()) + 1];
    EXPECT_EQ(complete.size(), step.perDepth) << what;
    EXPECT_EQ(std::set<std::string>(complete.begin(), complete.end()).size(), complete.size()) << what;
  }
  engine.Send("exit");
}

// Analysis of a side without a move, mated or stalemated, shows one line
// with the score of the ending (a stalemate a draw) and no move: no
// made-up move from a1 to a1. The analysis goes on as the GUI steps
// through the game: a move into the ending, "undo" out of it, "setboard"
// to another position, also after an analysis that ended by itself.
TEST(XboardProtocolTest, AnalysisOfAPositionWithoutAMoveShowsTheScoreAndNoMove) {
  const char* const mateInOne = "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1";
  const struct {
    std::string command;
    std::string line;  // a thinking line, as a pattern
  } steps[] = {
      {std::string("setboard ") + mateInOne, "\\d+ 100001 \\d+ \\d+ a1a8"},
      {"usermove a1a8", "1 -100000 \\d+ \\d+"},
      {"undo", "\\d+ 100001 \\d+ \\d+ a1a8"},
      {"setboard 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "1 0 \\d+ \\d+"},
      {"setboard R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1", "1 -100000 \\d+ \\d+"},
      {std::string("setboard ") + mateInOne, "\\d+ 100001 \\d+ \\d+ a1a8"},
  };
  Xboard2Engine engine;
  engine.Send("analyze");
  int ping = 1;
  for (const auto& step : steps) {
    engine.Sync(ping++);
    engine.Send(step.command);
    const std::regex wanted(step.line);
    bool shown = false;
    while (!shown) {
      const std::vector<std::string> more = engine.ReadUntil("", 10000);  // a line
      ASSERT_FALSE(more.empty()) << step.command << ": no line " << step.line << "\n" << engine.Output();
      for (const std::string& line : more) shown = shown || std::regex_match(line, wanted);
    }
  }
  engine.Send("exit");
  engine.Sync(ping++);
  EXPECT_EQ(engine.Output().find("a1a1"), std::string::npos) << engine.Output();

  // A protocol-1 GUI: the same scores in its units.
  const struct {
    const char* fen;
    std::string line;
  } endings[] = {
      {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "1 0 0 0 "},
      {"R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1", "1 -11000 0 0 "},
  };
  for (const auto& e : endings) {
    const ProcessResult r =
        RunEngine({}, std::string("xboard\nsetboard ") + e.fen + "\nanalyze\nexit\nquit\n", 10000);
    EXPECT_NE(r.output.find("\n" + e.line + "\n"), std::string::npos) << e.fen << "\n" << r.output;
    EXPECT_EQ(r.output.find("a1a1"), std::string::npos) << e.fen << "\n" << r.output;
  }
}

// xboard's "result" ends the game, however it ended (a resignation, a flag):
// the engine plays no more moves in it, in whatever state the result finds
// it, and refuses the moves of a game that is over until "new" or "go".
TEST(XboardProtocolTest, ResultEndsTheGameUntilNewOrGo) {
  const struct {
    const char* name;
    std::vector<std::string> before;  // up to the result
    int waitMs;                       // before the result
    bool engineMoves;                 // the engine replies to the first move before the result
  } cases[] = {
      {"after the engine's move", {"sd 3", "usermove e2e4"}, 0, true},
      {"during the engine's search", {"st 30", "usermove e2e4"}, 300, false},
      {"in force mode", {"force", "usermove e2e4"}, 0, false},
  };
  for (const auto& c : cases) {
    for (const char* next : {"new", "go"}) {
      Xboard2Engine engine;
      for (const std::string& command : c.before) engine.Send(command);
      GameReferee referee;
      ASSERT_TRUE(referee.Play("e2e4"));
      if (c.engineMoves) {
        const std::string reply = engine.AwaitMove(5000);
        ASSERT_TRUE(referee.Play(reply)) << c.name << ": " << reply;
      }
      Sleep(c.waitMs);
      engine.Send("result 0-1 {White resigns}");
      const std::string ours = referee.LegalMoves().front();
      engine.Send("usermove " + ours);
      std::vector<std::string> lines = engine.Sync(1);
      EXPECT_FALSE(AnyStartsWith(lines, "move ")) << c.name << "\n" << engine.Output();
      EXPECT_TRUE(AnyStartsWith(lines, "Illegal move (the game is over): " + ours)) << c.name << "\n" << engine.Output();

      // A new game, or the same one played on from where it stood.
      if (std::string(next) == "new") {
        referee = GameReferee();
        ASSERT_TRUE(referee.Play("d2d4"));
        for (const char* command : {"new", "sd 3", "usermove d2d4"}) engine.Send(command);
      } else {
        engine.Send("sd 3");
        engine.Send("go");
      }
      const std::string reply = engine.AwaitMove(5000);
      EXPECT_TRUE(referee.IsLegal(reply)) << c.name << ", then " << next << ": " << reply << "\n" << engine.Output();
    }
  }
}

// A command that lacks its argument is an error of that command alone: the
// next line is a command of its own (here "ping", which must be answered).
TEST(XboardProtocolTest, ACommandWithoutItsArgumentIsRefusedAlone) {
  for (const char* command : {"usermove", "st", "sd", "level 40", "level 40 5", "time", "otim", "memory", "ping",
                              "protover", "setboard", "accepted", "rejected", "name", "result", "sfd", "ics", "rating"}) {
    Xboard2Engine engine;
    engine.Send(command);
    const std::vector<std::string> lines = engine.Sync(1);
    const std::string word = std::string(command).substr(0, std::string(command).find(' '));
    EXPECT_TRUE(AnyStartsWith(lines, "Error (missing argument): " + word)) << command << "\n" << engine.Output();
    EXPECT_FALSE(AnyStartsWith(lines, "Illegal move")) << command;
    // The game goes on.
    engine.Send("sd 2");
    engine.Send("usermove e2e4");
    GameReferee referee;
    ASSERT_TRUE(referee.Play("e2e4"));
    EXPECT_TRUE(referee.IsLegal(engine.AwaitMove(5000))) << command << "\n" << engine.Output();
  }
}

// A word that is no command is answered in the protocol's error form; the
// commands xboard sends that the engine has no use for stay silent.
TEST(XboardProtocolTest, UnknownWordsAreErrorsAndIgnoredCommandsStaySilent) {
  Xboard2Engine engine;
  for (const char* word : {"hello", "clear", "resign", "E2E4", "h9"}) {
    engine.Send(word);
    EXPECT_EQ(engine.Sync(1), (std::vector<std::string>{std::string("Error (unknown command): ") + word, "pong 1"}))
        << word;
  }
  for (const char* command : {"random", "hard", "easy", "computer", "accepted ping", "rejected colors", "draw", "hint",
                              "bogus", "name Fairy-Max 5.0b", "rating 2100 1800", "ics -", "nopost", "otim 6000"}) {
    engine.Send(command);
    EXPECT_EQ(engine.Sync(2), std::vector<std::string>{"pong 2"}) << command;
  }
}

// A person at the console: "help" lists the commands, a word that is no
// command says so (the first word, which starts the console, is none of
// them), and "resign" gives the game up for the side to move, which ends
// it as any other ending does.
TEST(ConsoleTest, HelpUnknownWordsAndResigning) {
  const struct {
    std::vector<std::string> words;
    const char* result;
  } cases[] = {
      {{"hello", "help", "clear", "resign"}, "0-1 {White resigns}"},
      {{"hello", "force", "e2e4", "resign"}, "1-0 {Black resigns}"},
  };
  for (const auto& c : cases) {
    EngineProcess engine;
    for (const std::string& word : c.words) engine.Send(word);
    engine.Send("e2e4");
    engine.Send("new");
    engine.Send("sd 2");
    engine.Send("e2e4");
    bool found = false;
    engine.ReadUntil("Vorn plays 1... ", 10000, &found);
    EXPECT_TRUE(found) << c.result << ": no game after new\n" << engine.Output();
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(5000), 0);
    const std::string out = engine.Output();
    EXPECT_EQ(out.find("Error (unknown command): hello"), std::string::npos);
    const size_t resigned = out.find(std::string("Enter Move: resign\n") + c.result + "\n");
    ASSERT_NE(resigned, std::string::npos) << c.result << "\n" << out;
    EXPECT_NE(out.find("Enter Move: e2e4\nIllegal move (the game is over): e2e4\n", resigned), std::string::npos)
        << c.result;
    if (c.words[1] != "help") continue;
    EXPECT_NE(out.find("Enter Move: clear\nError (unknown command): clear\n"), std::string::npos);
    for (const char* line : {"  new ", "  go ", "  undo ", "  resign ", "  st N ", "  level ", "  post, nopost ",
                             "  help ", "  quit ", "Nf3", "  exclude MOVE ", "  option MultiPV=N ",
                             "  elo N, elo off "})
      EXPECT_NE(out.find(line), std::string::npos) << "help without " << line;
  }
  // "help" as the first word shows it at once, after the board.
  ProcessResult r = RunEngine({}, "help\nquit\n", 10000);
  EXPECT_NE(r.output.find("  quit "), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("Error (unknown command)"), std::string::npos) << r.output;
}

// The console says the engine's move in words, in standard algebraic
// notation with its number and in coordinates, below the board and above
// the prompt.
TEST(ConsoleTest, SaysItsMoveInWords) {
  const struct {
    std::vector<std::string> words;
    const char* said;
  } cases[] = {
      {{"setboard 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -", "go"}, "\nVorn plays 1. Rd8# (d1d8)\n1-0 {White mates}\n"},
      {{"setboard 8/4P1k1/8/8/8/8/8/4K3 w - -", "sd 4", "go"}, "\nVorn plays 1. e8=Q (e7e8q)\n"},
      {{"sd 3", "e2e4"}, "\nVorn plays 1... "},
  };
  for (const auto& c : cases) {
    EngineProcess engine;
    engine.Send("hello");
    for (const std::string& word : c.words) engine.Send(word);
    bool found = false;
    engine.ReadUntil("Vorn plays", 10000, &found);
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(5000), 0);
    const std::string out = engine.Output();
    ASSERT_TRUE(found) << c.said << "\n" << out;
    const size_t at = out.find(c.said);
    ASSERT_NE(at, std::string::npos) << c.said << "\n" << out;
    const size_t previous = out.rfind('\n', at - 1) + 1;
    EXPECT_EQ(out.compare(previous, 24, " PosEval from White view"), 0) << "not just below the board\n" << out;
  }
  // A move of the game: legal after e2e4, and the same move in both notations.
  EngineProcess engine;
  for (const char* word : {"hello", "sd 3", "e2e4"}) engine.Send(word);
  bool found = false;
  const std::vector<std::string> lines = engine.ReadUntil("Vorn plays", 10000, &found);
  ASSERT_TRUE(found) << engine.Output();
  std::smatch m;
  ASSERT_TRUE(std::regex_match(lines.back(), m, std::regex("Vorn plays 1\\.\\.\\. (\\S+) \\(([a-h][1-8][a-h][1-8])\\)")))
      << lines.back();
  GameReferee referee;
  ASSERT_TRUE(referee.Play("e2e4"));
  EXPECT_TRUE(referee.IsLegal(m[2])) << lines.back();
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(5000), 0);
}

// With "post" the console's thinking lines show the time from the clock,
// in seconds to the hundredth.
TEST(ConsoleTest, ThinkingLinesShowTheTime) {
  EngineProcess engine;
  for (const char* word : {"hello", "post", "st 2", "e2e4"}) engine.Send(word);
  const TestClock::time_point start = TestClock::now();
  bool found = false;
  engine.ReadUntil("Game Score", 10000, &found);  // after e2e4
  ASSERT_TRUE(found) << engine.Output();
  const std::vector<std::string> lines = engine.ReadUntil("Game Score", 10000, &found);
  const long long ms = MsSince(start);
  ASSERT_TRUE(found) << engine.Output();
  const std::regex thinking("\\d+ -?\\d+ .*");
  const std::regex line("(\\d+) (-?\\d+) (\\d+)\\.(\\d\\d) (\\d+)  [a-h][1-8][a-h][1-8].*");
  long long last = -1;
  for (const std::string& text : lines) {
    if (!std::regex_match(text, thinking)) continue;
    std::smatch m;
    ASSERT_TRUE(std::regex_match(text, m, line)) << text;
    const long long cs = std::stoll(m[3]) * 100 + std::stoll(m[4]);
    EXPECT_GE(cs, last) << text;
    last = cs;
  }
  ASSERT_GE(last, 0) << engine.Output();
  // From the clock: within the search's time, and more than nothing for a
  // search of over a second.
  EXPECT_LE(last, ms / 10 + 10);
  if (ms > 1000) {
    EXPECT_GT(last, 0);
  }
}
}  // namespace

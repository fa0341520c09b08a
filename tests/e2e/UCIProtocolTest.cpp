// The UCI front end over pipes, as a GUI drives it: the handshake, positions
// and searches of every kind, "isready" and "stop" in every state, pondering,
// the options, the end of the program, and the input a GUI may send (CR LF,
// extra blanks, odd move lists). Every move the engine names is checked
// against the reference move generator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "board/ChessBoard.h"
#include "e2e/GameReferee.h"
#include "e2e/ProtocolSession.h"
#include "eval/PositionEvaluate.h"
#include "support/EngineSetup.h"

namespace {
// White to move with a single legal reply (the king takes the rook on b2).
const char* const OneLegalMove = "k7/8/8/8/8/8/1r6/K1r5 w - -";
// White mates at once with Qb8; the line has one move.
const char* const MateInOne = "7k/8/6K1/8/8/8/8/1Q6 w - -";

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

GameReferee RefereeAfter(const std::string& fen, const std::vector<std::string>& moves) {
  GameReferee referee(fen);
  for (const std::string& m : moves) EXPECT_TRUE(referee.Play(m)) << m;
  return referee;
}

// The words of a line after `key` up to the next key word of an info line
// ("score" gives "mate 2"; "pv" the whole line); "" when the key is absent.
std::string Field(const std::string& line, const std::string& key) {
  static const std::set<std::string> keys = {"depth",    "seldepth", "multipv", "score",  "time",    "nodes",
                                             "nps",      "hashfull", "pv",      "string", "currmove"};
  std::istringstream words(line);
  std::string word, value;
  bool in = false;
  while (words >> word) {
    if (in && keys.count(word) && key != "pv") break;
    if (in) value += (value.empty() ? "" : " ") + word;
    if (word == key) in = true;
  }
  return value;
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// Info lines with a principal variation.
std::vector<std::string> PVLines(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const std::string& l : lines)
    if (l.rfind("info ", 0) == 0 && !Field(l, "pv").empty()) out.push_back(l);
  return out;
}

// The final line of a search: its nodes (the stop, or the last iteration).
long long FinalNodes(const BestMove& best) {
  const std::vector<std::string> pvs = PVLines(best.lines);
  return pvs.empty() ? -1 : std::stoll(Field(pvs.back(), "nodes"));
}

// Every line a UCI GUI may read: nothing of another protocol.
bool IsUCILine(const std::string& line) {
  for (const char* start : {"info ", "bestmove ", "readyok", "uciok", "id ", "option ", "Vorn "})
    if (line.rfind(start, 0) == 0) return true;
  return false;
}

// Started as the classic engine ("-classic"), Vorn introduces itself as it
// always has, without the option that chooses the engine.
TEST(UCIProtocolTest, HandshakeNamesTheEngineAndItsOptions) {
  const std::vector<std::string> expected = {
      "Vorn ",
      "id name Vorn 1.005-64W",
      "id author the Vorn authors",
      "option name Hash type spin default 192 min 1 max 4096",
      "option name Clear Hash type button",
      "option name Threads type spin default 1 min 1 max 256",
      "option name Move Overhead type spin default 10 min 0 max 5000",
      "option name MultiPV type spin default 1 min 1 max 256",
      "option name UCI_LimitStrength type check default false",
      "option name UCI_Elo type spin default 2100 min 1350 max 2100",
      "option name LevelSeed type spin default 0 min 0 max 2147483647",
      "option name UCI_AnalyseMode type check default false",
      "option name OwnBook type check default false",
      "option name SecondaryBook type check default false",
      "option name BookFile type string default <empty>",
      "option name BookBestMove type check default false",
      "option name BookDepth type spin default 16 min 1 max 100",
      "option name UCI_ShowCurrLine type check default true",
      "option name Ponder type check default false",
      "option name UCI_Chess960 type check default false",
      "option name Classic type check default false",
      "option name UCI_EngineAbout type string default Vorn, a chess engine by the Vorn authors",
      "uciok"};
  for (const bool classic : {false, true}) {
    EngineProcess engine(classic ? std::vector<std::string>{"-classic"} : std::vector<std::string>{});
    engine.Send("uci");
    bool found = false;
    const std::vector<std::string> lines = engine.ReadUntil("uciok", 10000, &found);
    ASSERT_TRUE(found) << engine.Output();
    std::vector<std::string> shown = expected;
    if (classic) shown.erase(std::find(shown.begin(), shown.end(), "option name Classic type check default false"));
    EXPECT_EQ(lines, shown) << (classic ? "-classic" : "the default engine");
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(5000), 0);
  }
}

// "Classic" chooses the engine between searches: true and false are taken
// without a word, in any case of the name, and a search plays what
// "-classic" plays; during a search the option is refused with one line
// and the search goes on to its move.
TEST(UCIProtocolTest, ClassicChoosesTheEngineBetweenSearchesOnly) {
  const char* const position = "position fen r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R b KQkq - 3 3";
  // The same search by each way of choosing the engine, each in a fresh
  // process: what it plays and the nodes it takes.
  auto searched = [&](const std::vector<std::string>& args, const char* option) {
    EngineProcess engine(args);
    engine.Send("uci");
    bool found = false;
    engine.ReadUntil("uciok", 10000, &found);
    EXPECT_TRUE(found) << engine.Output();
    if (option[0]) engine.Send(std::string("setoption name ") + option);
    engine.Send("isready");
    const std::vector<std::string> answer = engine.ReadUntil("readyok", 5000, &found);
    EXPECT_EQ(answer, std::vector<std::string>{"readyok"}) << option;
    engine.Send(position);
    engine.Send("go depth 6");
    const BestMove best = AwaitBestMove(engine, TestClock::now(), 20000);
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(5000), 0);
    return std::to_string(FinalNodes(best)) + " " + best.move;
  };
  const std::string classic = searched({"-classic"}, "");
  const std::string standard = searched({}, "");
  EXPECT_EQ(searched({}, "Classic value true"), classic);
  EXPECT_EQ(searched({}, "classic value true"), classic);
  EXPECT_EQ(searched({"-classic"}, "Classic value false"), standard);
  EXPECT_EQ(searched({}, "Classic value false"), standard);

  UCIEngine engine;
  engine.Send(std::string("position fen ") + MateInOne);
  engine.Send("go infinite");
  Sleep(300);
  engine.Send("setoption name Classic value true");
  bool refused = false;
  engine.ReadUntil("info string Classic is set only while no search runs", 3000, &refused);
  EXPECT_TRUE(refused);
  engine.Send("stop");
  const BestMove best = AwaitBestMove(engine, TestClock::now(), 3000);
  EXPECT_EQ(best.move, "b1b8");
}

TEST(UCIProtocolTest, FixedDepthSearchReportsEachIterationThenTheMove) {
  UCIEngine engine;
  engine.Send("position startpos moves e2e4 e7e5");
  BestMove best = engine.Go("go depth 3");
  for (const char* depth : {"info depth 1", "info depth 2", "info depth 3", "info score cp "})
    EXPECT_TRUE(AnyStartsWith(best.lines, depth)) << depth;
  EXPECT_FALSE(AnyStartsWith(best.lines, "info depth 4"));
  EXPECT_TRUE(RefereeAfter(StartFen, {"e2e4", "e7e5"}).IsLegal(best.move)) << best.move;
}

// Each search must end by itself within its time and name a legal move.
TEST(UCIProtocolTest, TimedSearchesAnswerWithinTheirTime) {
  const struct {
    const char* go;
    long long maxMs;
  } cases[] = {
      {"go wtime 2000 btime 2000", 1000},
      {"go wtime 2000 btime 2000 winc 100 binc 100", 1000},
      {"go btime 500 wtime 500", 500},  // within the clock
      {"go movetime 300", 900},
      {"go wtime 30000 btime 30000 movestogo 40", 2500},
      // Whatever the budget says, the answer comes before the clock runs out.
      {"go wtime 9050 btime 9050 movestogo 1", 9050},
      {"go wtime 300 btime 300", 300},
      {"go wtime 100 btime 100 winc 2000 binc 2000", 100},
  };
  UCIEngine engine;
  for (const auto& c : cases) {
    engine.Send("position startpos moves d2d4");
    BestMove best = engine.Go(c.go);
    EXPECT_LT(best.ms, c.maxMs) << c.go;
    EXPECT_TRUE(RefereeAfter(StartFen, {"d2d4"}).IsLegal(best.move)) << c.go << ": " << best.move;
  }
}

// However little the clock holds, the move comes from a complete first
// iteration: the same move and result as "go depth 1", not the first root
// move searched. Here that is f3e5, which loses the knight. A "stop" that
// is waiting when the search starts (sent in the same write as "go") is
// read in the first iteration and takes effect at its end.
TEST(UCIProtocolTest, NoClockIsTooShortForTheFirstIteration) {
  const std::string position =
      "position fen r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4";
  // The score and line of the last "info depth 1" line.
  auto firstIteration = [](const BestMove& best) {
    std::string found;
    for (const std::string& l : PVLines(best.lines))
      if (Field(l, "depth") == "1") found = Field(l, "score") + " pv " + Field(l, "pv");
    return found;
  };
  UCIEngine reference;
  reference.Send(position);
  const BestMove fixed = reference.Go("go depth 1");
  ASSERT_NE(fixed.move, "f3e5");
  ASSERT_FALSE(firstIteration(fixed).empty());
  for (const char* go : {"go wtime 30 btime 30", "go wtime 0 btime 0", "go wtime 1 btime 1", "go movetime 0", "go",
                         "go btime 1000", "go wtime 0 btime 0 winc 0 binc 0 movestogo 1", "go wtime 0 btime 0\nstop",
                         "go movetime 0\nstop", "go ponder wtime 0 btime 0\nstop"}) {
    UCIEngine engine;
    engine.Send(position);
    const BestMove best = engine.Go(go);
    EXPECT_EQ(best.move, fixed.move) << go;
    EXPECT_EQ(firstIteration(best), firstIteration(fixed)) << go;
  }
}

// "isready" is a ping: one "readyok" for each, at once, whatever runs.
TEST(UCIProtocolTest, IsReadyIsAnsweredPromptlyInEveryState) {
  const char* const searches[] = {"", "go wtime 60000 btime 60000", "go infinite", "go ponder wtime 60000 btime 60000",
                                  "go depth 40", "go movetime 20000"};
  for (const char* go : searches) {
    UCIEngine engine;
    engine.Send("position startpos");
    if (go[0]) engine.Send(go);
    Sleep(200);
    for (int i = 0; i < 2; i++) {
      TestClock::time_point start = TestClock::now();
      engine.Send(i == 0 ? "isready" : " isready \r");
      bool found = false;
      engine.ReadUntil("readyok", 3000, &found);
      EXPECT_TRUE(found) << go;
      EXPECT_LT(MsSince(start), 1500) << go;
    }
    if (go[0]) {
      engine.Send("stop");
      BestMove best = AwaitBestMove(engine, TestClock::now(), 3000);
      EXPECT_TRUE(best.found) << go;
    }
    // Nothing is answered twice.
    engine.Send("quit");
    engine.Wait(5000);
    const std::string out = engine.Output();
    size_t count = 0;
    for (size_t at = out.find("readyok"); at != std::string::npos; at = out.find("readyok", at + 1)) count++;
    EXPECT_EQ(count, 2u) << go;
  }
}

TEST(UCIProtocolTest, StopEndsEverySearchPromptlyWithALegalMove) {
  const char* const searches[] = {"go infinite", "go ponder wtime 60000 btime 60000", "go depth 40",
                                  "go movetime 60000", "go wtime 600000 btime 600000"};
  const GameReferee referee = RefereeAfter(StartFen, {"e2e4"});
  for (const char* go : searches) {
    UCIEngine engine;
    engine.Send("position startpos moves e2e4");
    engine.Send(go);
    bool early = false;
    engine.ReadUntil("bestmove", 400, &early);
    EXPECT_FALSE(early) << go;
    TestClock::time_point start = TestClock::now();
    engine.Send("stop");
    BestMove best = AwaitBestMove(engine, start, 5000);
    ASSERT_TRUE(best.found) << go;
    EXPECT_LT(best.ms, 1500) << go;
    EXPECT_TRUE(referee.IsLegal(best.move)) << go << ": " << best.move;
    // The engine is ready for the next search.
    engine.Send("position startpos");
    EXPECT_TRUE(GameReferee().IsLegal(engine.Go("go depth 2").move)) << go;
  }
}

// A search with nothing left to find (one legal move, a mate) must still not
// answer an infinite or ponder "go" before "stop" or "ponderhit".
TEST(UCIProtocolTest, InfiniteAndPonderSearchesWaitForTheirEnd) {
  const struct {
    const char* fen;
    const char* go;
    const char* end;
    const char* move;
  } cases[] = {
      {OneLegalMove, "go infinite", "stop", "a1b2"},
      {MateInOne, "go infinite", "stop", "b1b8"},
      {OneLegalMove, "go ponder wtime 60000 btime 60000", "ponderhit", "a1b2"},
      {OneLegalMove, "go ponder wtime 60000 btime 60000", "stop", "a1b2"},
      {MateInOne, "go ponder wtime 60000 btime 60000", "ponderhit", "b1b8"},
  };
  for (const auto& c : cases) {
    UCIEngine engine;
    engine.Send(std::string("position fen ") + c.fen);
    engine.Send(c.go);
    bool early = false;
    engine.ReadUntil("bestmove", 600, &early);
    EXPECT_FALSE(early) << c.fen << " " << c.go;
    engine.Send("isready");  // a ping does not end the wait
    engine.ReadUntil("readyok", 2000);
    engine.ReadUntil("bestmove", 200, &early);
    EXPECT_FALSE(early) << c.fen << " " << c.go;
    TestClock::time_point start = TestClock::now();
    engine.Send(c.end);
    BestMove best = AwaitBestMove(engine, start, 3000);
    ASSERT_TRUE(best.found) << c.fen << " " << c.go;
    EXPECT_LT(best.ms, 1500);
    EXPECT_EQ(best.move, c.move) << c.fen << " " << c.go;
  }
}

TEST(UCIProtocolTest, PonderHitTurnsThePonderSearchIntoATimedOne) {
  UCIEngine engine;
  engine.Send("position startpos moves e2e4 e7e5 g1f3");
  engine.Send("go ponder wtime 3000 btime 3000");
  bool early = false;
  engine.ReadUntil("bestmove", 500, &early);
  EXPECT_FALSE(early);
  TestClock::time_point start = TestClock::now();
  engine.Send("ponderhit");
  BestMove best = AwaitBestMove(engine, start, 5000);
  ASSERT_TRUE(best.found);
  EXPECT_LT(best.ms, 1500);  // half the clock at most, on a loaded machine
  GameReferee referee = RefereeAfter(StartFen, {"e2e4", "e7e5", "g1f3"});
  EXPECT_TRUE(referee.IsLegal(best.move)) << best.move;
}

// "quit" ends the program at once, also inside a search; so does the end of
// input, wherever the engine reads.
TEST(UCIProtocolTest, QuitAndEndOfInputEndTheProgramInEveryState) {
  const struct {
    const char* fen;
    const char* go;
    bool quit;  // else the input is closed
  } cases[] = {
      {StartFen, "", true},
      {StartFen, "", false},
      {StartFen, "go infinite", true},
      {StartFen, "go infinite", false},
      {StartFen, "go depth 40", true},
      {StartFen, "go depth 40", false},
      {StartFen, "go wtime 600000 btime 600000", true},
      {StartFen, "go ponder wtime 60000 btime 60000", false},
      {OneLegalMove, "go ponder wtime 60000 btime 60000", false},  // the ponder wait
      {OneLegalMove, "go infinite", false},                       // the wait for "stop"
  };
  for (const auto& c : cases) {
    UCIEngine engine;
    engine.Send(std::string("position fen ") + c.fen);
    if (c.go[0]) engine.Send(c.go);
    Sleep(300);
    if (c.quit) engine.Send("quit");
    else engine.CloseInput();
    EXPECT_EQ(engine.Wait(3000), 0) << c.go << (c.quit ? " quit" : " end of input");
  }
}

TEST(UCIProtocolTest, OptionsAreAcceptedAndPonderDecidesThePonderMove) {
  UCIEngine engine;
  const char* const options[] = {
      "setoption name OwnBook value true",       "setoption name OwnBook value false",
      "setoption name SecondaryBook value true", "setoption name UCI_ShowCurrLine value false",
      "setoption name UCI_EngineAbout value x",  "setoption name NoSuchOption value 3",
  };
  for (const char* option : options) engine.Send(option);
  engine.Send("isready");
  bool ready = false;
  engine.ReadUntil("readyok", 3000, &ready);
  EXPECT_TRUE(ready);

  const GameReferee start;
  engine.Send("setoption  name   Ponder  value  true");
  engine.Send("position startpos");
  BestMove best = engine.Go("go depth 4");
  ASSERT_FALSE(best.ponder.empty()) << best.lines.back();
  GameReferee after = start;
  ASSERT_TRUE(after.Play(best.move));
  EXPECT_TRUE(after.IsLegal(best.ponder)) << best.lines.back();

  engine.Send("setoption name Ponder value false");
  best = engine.Go("go depth 4");
  EXPECT_EQ(best.ponder, "") << best.lines.back();

  // After "ucinewgame" the ponder move comes back; never one the line lacks.
  engine.Send("ucinewgame");
  engine.Send(std::string("position fen ") + MateInOne);
  best = engine.Go("go depth 3");
  EXPECT_EQ(best.lines.back(), "bestmove b1b8");
  engine.Send("position startpos");
  best = engine.Go("go depth 4");
  EXPECT_FALSE(best.ponder.empty());

  // An analysis mode left on does not turn a timed search into an endless one.
  engine.Send("setoption name UCI_AnalyseMode value true");
  engine.Send("position startpos");
  best = engine.Go("go wtime 1000 btime 1000", 5000);
  EXPECT_LT(best.ms, 1000);
  EXPECT_TRUE(start.IsLegal(best.move));
}

// Every move of a position line must be legal where it is played, and the
// text must be a chess position: the first fault ends the line with one
// "info string" naming it, and what came before it stands.
TEST(UCIProtocolTest, PositionsAndMovesThatNoGameReachesAreRefused) {
  const struct {
    const char* position;
    const char* refusal;  // the "info string" line, "" when none
    const char* fen;      // the position the engine must search
    std::vector<std::string> moves;
    const char* bestmove;  // when one move is right
  } cases[] = {
      {"position startpos moves e1g1", "info string Illegal move e1g1 after 0 moves: not a legal move of that man",
       StartFen, {}, ""},
      {"position startpos moves e2e4 e7e5 e2e5",
       "info string Illegal move e2e5 after 2 moves: the side to move has no man on its square", StartFen,
       {"e2e4", "e7e5"}, ""},
      {"position startpos moves e2e4 e7e5 e1e8", "info string Illegal move e1e8 after 2 moves", StartFen,
       {"e2e4", "e7e5"}, ""},
      {"position fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 moves e1g1 a7a8q",
       "info string Illegal move e1g1", StartFen, {}, ""},
      // A refused text keeps the position before it.
      {"position startpos moves d2d4", "", StartFen, {"d2d4"}, ""},
      {"position fen kkkkkkkk/KKKKKKKK/8/8/8/8/8/8 w KQkq", "info string Illegal position: more than one king of a colour",
       StartFen, {"d2d4"}, ""},
      {"position fen 8/8/8/8/8/8/8/8 w - -", "info string Illegal position: not exactly one king of each colour",
       StartFen, {"d2d4"}, ""},
      {"position fen rnbqkbnr/pppppppp/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
       "info string Illegal position: the placement has 7 ranks, not 8", StartFen, {"d2d4"}, ""},
      {"position fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1 moves e2e4",
       "info string Illegal position: the side to move \"x\" is neither w nor b", StartFen, {"d2d4"}, ""},
      {"position fen rnbqkbnrr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
       "info string Illegal position: rank 8 has 9 squares, not 8", StartFen, {"d2d4"}, ""},
      {"position fen rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
       "info string Illegal position: the digit 9 in rank 6", StartFen, {"d2d4"}, ""},
      // Words that name no move: the list ends before them, aloud.
      {"position startpos moves e2e4 zz9", "info string Illegal move zz9 after 1 moves: not a move in coordinate notation",
       StartFen, {"e2e4"}, ""},
      {"position startpos moves E2E4", "info string Illegal move E2E4 after 0 moves: not a move in coordinate notation",
       StartFen, {}, ""},
      {"position startpos moves e2e4q e7e5",
       "info string Illegal move e2e4q after 0 moves: a promotion letter after a move that does not promote", StartFen,
       {}, ""},
      {"position fen 4k3/P7/8/8/8/8/8/4K3 w - - 0 1 moves a7a8k",
       "info string Illegal move a7a8k after 0 moves: a pawn promotes to q, r, b or n", "4k3/P7/8/8/8/8/8/4K3 w - -",
       {}, ""},
      {"position fen 4k3/P7/8/8/8/8/8/4K3 w - - 0 1 moves a7a8p", "info string Illegal move a7a8p after 0 moves",
       "4k3/P7/8/8/8/8/8/4K3 w - -", {}, ""},
      {"position fen 4k3/P7/8/8/8/8/8/4K3 w - - 0 1 moves a7a8x", "info string Illegal move a7a8x after 0 moves",
       "4k3/P7/8/8/8/8/8/4K3 w - -", {}, ""},
      // GUIs name promotions in lower case, and a bare promotion is a queen.
      {"position fen 4k3/P7/8/8/8/8/8/4K3 w - - 0 1 moves a7a8r e8d7", "", "4k3/P7/8/8/8/8/8/4K3 w - -",
       {"a7a8r", "e8d7"}, ""},
      {"position fen 4k3/P7/8/8/8/8/8/4K3 w - - 0 1 moves a7a8 e8e7", "", "4k3/P7/8/8/8/8/8/4K3 w - -",
       {"a7a8q", "e8e7"}, ""},
      // The en-passant field is read: b4a3 is the only move.
      {"position fen k7/2K5/8/8/Pp6/1P2B3/8/8 b - a3 0 1", "", "k7/2K5/8/8/Pp6/1P2B3/8/8 b - -", {}, "b4a3"},
  };
  UCIEngine engine;
  for (const auto& c : cases) {
    engine.Send(c.position);
    BestMove best = engine.Go("go depth 3");
    if (c.refusal[0]) {
      EXPECT_TRUE(AnyStartsWith(best.lines, c.refusal)) << c.position;
    } else {
      EXPECT_FALSE(AnyStartsWith(best.lines, "info string")) << c.position;
    }
    if (c.bestmove[0]) {
      EXPECT_EQ(best.move, c.bestmove) << c.position;
    } else {
      EXPECT_TRUE(RefereeAfter(c.fen, c.moves).IsLegal(best.move)) << c.position << ": " << best.move;
    }
  }
}

TEST(UCIProtocolTest, PositionsFromTheGUIAreSetUpAsSent) {
  const struct {
    const char* position;
    const char* fen;
    std::vector<std::string> moves;  // what the engine must have played
    const char* bestmove;            // when one move is right
  } cases[] = {
      {"position startpos moves e2e4 e7e5 g1f3", StartFen, {"e2e4", "e7e5", "g1f3"}, ""},
      // A promotion is named with its lower-case letter.
      {"position fen 8/4P1k1/8/8/8/8/8/4K3 w - -", "8/4P1k1/8/8/8/8/8/4K3 w - -", {}, "e7e8q"},
      {"position fen 4k3/8/8/8/8/8/2p5/4K3 b - - moves c2c1q e1f2", "4k3/8/8/8/8/8/2p5/4K3 b - -", {"c2c1q", "e1f2"}, ""},
      // The list ends at the first word that is not a move (which is
      // refused aloud), and at its line.
      {"position startpos moves e2e4 e7", StartFen, {"e2e4"}, ""},
      {"position startpos moves e2e4 e7e5 junk g1f3", StartFen, {"e2e4", "e7e5"}, ""},
      {"position startpos moves", StartFen, {}, ""},
      // Blanks and a CR LF end as a GUI on another system may send them.
      {"  position   startpos  moves  e2e4   e7e5\tg1f3 \r", StartFen, {"e2e4", "e7e5", "g1f3"}, ""},
      {"position fen rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1 moves c7c5",
       "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -", {"c7c5"}, ""},
  };
  UCIEngine engine;
  for (const auto& c : cases) {
    engine.Send(c.position);
    BestMove best = engine.Go("go depth 3\r");
    GameReferee referee = RefereeAfter(c.fen, c.moves);
    EXPECT_TRUE(referee.IsLegal(best.move)) << c.position << ": " << best.move;
    if (c.bestmove[0]) {
      EXPECT_EQ(best.move, c.bestmove) << c.position;
    }
  }
}

// The FEN's half-move counter is the fifty-move count: every Black move
// completes it (there is nothing to take) and the position is a draw, also
// when the count comes to 99 through the moves of the line. Without the
// counter the rook wins.
TEST(UCIProtocolTest, TheFiftyMoveCountComesFromTheFen) {
  const struct {
    const char* position;
    bool draw;
  } cases[] = {
      {"position fen 8/1R6/5k2/8/8/8/8/5K2 b - - 99 50", true},
      {"position fen 8/1R6/5k2/8/8/8/8/5K2 w - - 97 50 moves f1e1 f6e6", true},
      {"position fen 8/1R6/5k2/8/8/8/8/5K2 b - - 0 50", false},
      {"position fen 8/1R6/5k2/8/8/8/8/5K2 b - -", false},
  };
  UCIEngine engine;
  for (const auto& c : cases) {
    engine.Send(c.position);
    BestMove best = engine.Go("go depth 8");
    ASSERT_TRUE(best.found) << c.position;
    EXPECT_EQ(AnyStartsWith(best.lines, "info score cp 0"), c.draw) << c.position << "\n" << best.lines.back();
  }
}

// The moves after a FEN with Black to move are recorded for the right side:
// Black, a queen down, sees that going back to g4 repeats the position and
// takes the draw.
TEST(UCIProtocolTest, RepetitionsAfterAFenAreRecognised) {
  UCIEngine engine;
  engine.Send("position fen 6k1/5ppp/5n2/8/8/8/5PPP/3Q2K1 b - - 0 1 moves f6g4 g1h1 g4f6 h1g1");
  BestMove best = engine.Go("go depth 5");
  EXPECT_EQ(best.move, "f6g4");
  EXPECT_TRUE(AnyStartsWith(best.lines, "info score cp 0")) << engine.Output();
}

TEST(UCIProtocolTest, MimicOracleReportsTheStaticValueWithoutSearching) {
  const char* const fens[] = {StartFen, "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R b KQkq -"};
  UCIEngine engine;
  for (const char* fen : fens) {
    ChessBoard& b = LoadFen(fen);
    const int v = PE.PosEval(b.SideToMove, -110000, 110000, &b);
    engine.Send(std::string("position fen ") + fen);
    engine.Send("go Mimic Oracle");
    bool found = false;
    std::vector<std::string> lines = engine.ReadUntil("Mimic info Oracle", 5000, &found);
    ASSERT_TRUE(found) << fen;
    EXPECT_EQ(lines.back(), "Mimic info Oracle " + std::to_string(v)) << fen;
    engine.ReadUntil("bestmove", 300, &found);
    EXPECT_FALSE(found) << fen;
  }
}

TEST(UCIProtocolTest, NewGameDuringASearchEndsItAndStartsAfresh) {
  UCIEngine engine;
  engine.Send("position startpos moves e2e4");
  engine.Send("go infinite");
  Sleep(300);
  TestClock::time_point start = TestClock::now();
  engine.Send("ucinewgame");
  BestMove best = AwaitBestMove(engine, start, 3000);
  ASSERT_TRUE(best.found);
  EXPECT_TRUE(RefereeAfter(StartFen, {"e2e4"}).IsLegal(best.move));
  engine.Send("position startpos");
  EXPECT_TRUE(GameReferee().IsLegal(engine.Go("go depth 3").move));
}
// A mate is given in moves from the side to move's view: "mate N" when it
// mates in N, "mate -N" when it is mated in N, on every line that carries
// the score and on the final "info score".
TEST(UCIProtocolTest, MatesAreScoredInMoves) {
  const struct {
    const char* fen;
    const char* go;
    const char* score;
    const char* bestmove;  // "" when more than one move mates as fast
  } cases[] = {
      {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", "go depth 4", "mate 1", "d1d8"},
      {"r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 10", "go depth 5", "mate 2", "d5f6"},
      {"k7/8/2K5/8/8/8/8/7R w - -", "go depth 6", "mate 2", "c6b6"},
      {"7k/p7/8/4K3/8/8/8/5Q2 w - -", "go depth 8", "mate 3", "f1f8"},
      {"7k/p4Q2/6K1/8/8/8/8/8 b - -", "go depth 4", "mate -1", ""},
      {"7k/p7/6K1/8/8/8/8/5Q2 b - -", "go depth 5", "mate -2", ""},
      {"6k1/p7/6K1/8/8/8/8/5Q2 b - -", "go depth 5", "mate -2", ""},
  };
  UCIEngine engine;
  for (const auto& c : cases) {
    engine.Send(std::string("position fen ") + c.fen);
    BestMove best = engine.Go(c.go, 30000);
    ASSERT_TRUE(best.found) << c.fen;
    const std::vector<std::string> pvs = PVLines(best.lines);
    ASSERT_FALSE(pvs.empty()) << c.fen;
    EXPECT_EQ(Field(pvs.back(), "score"), c.score) << c.fen << "\n" << pvs.back();
    EXPECT_EQ(best.lines[best.lines.size() - 2], std::string("info score ") + c.score) << c.fen;
    if (c.bestmove[0]) {
      EXPECT_EQ(best.move, c.bestmove) << c.fen;
    }
    // No mate is ever given in centipawns.
    for (const std::string& l : best.lines) {
      const std::vector<std::string> score = Words(Field(l, "score"));
      if (score.size() == 2 && score[0] == "cp") {
        EXPECT_LT(std::abs(std::stoi(score[1])), 10980) << c.fen << ": " << l;
      }
    }
  }
}

// Each info line with nodes has the time from the clock in milliseconds and
// the speed those give; the time grows and ends near the time searched.
TEST(UCIProtocolTest, InfoLinesCarryTimeAndSpeed) {
  UCIEngine engine;
  engine.Send("position startpos moves e2e4 e7e5 g1f3 b8c6 f1b5 a7a6");
  BestMove best = engine.Go("go movetime 1500", 10000);
  long long lastTime = 0;
  int lines = 0;
  bool offTheSecond = false;
  for (const std::string& l : best.lines) {
    if (Field(l, "nodes").empty()) continue;
    lines++;
    ASSERT_FALSE(Field(l, "time").empty()) << l;
    ASSERT_FALSE(Field(l, "nps").empty()) << l;
    const long long time = std::stoll(Field(l, "time")), nodes = std::stoll(Field(l, "nodes"));
    const long long nps = std::stoll(Field(l, "nps"));
    EXPECT_GE(time, lastTime) << l;
    EXPECT_EQ(nps, time > 0 ? nodes * 1000 / time : 0) << l;
    offTheSecond |= time % 1000 != 0;
    lastTime = time;
  }
  EXPECT_GT(lines, 5);
  EXPECT_TRUE(offTheSecond) << "times are whole seconds";
  EXPECT_GT(lastTime, 700);
  EXPECT_LT(lastTime, 5000);
}

// "Hash" sizes the table in megabytes (a power of two of buckets, which the
// engine says when it rounds); the default size is the table the engine
// starts with, so a fixed-depth search gives the same tree; "Clear Hash"
// forgets what earlier searches stored. Neither acts during a search.
TEST(UCIProtocolTest, HashSizesTheTableAndClearHashEmptiesIt) {
  const char* const position = "position fen r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R b KQkq - 3 3";
  long long fresh;
  std::string freshMove;
  {
    UCIEngine engine;
    engine.Send(position);
    BestMove best = engine.Go("go depth 7");
    fresh = FinalNodes(best);
    freshMove = best.move;
  }
  const struct {
    const char* option;
    const char* answer;  // "" when none
  } sizes[] = {
      {"setoption name Hash value 1", ""},
      {"setoption name Hash value 100", "info string Hash 100 MB: the table takes 96 MB"},
      {"setoption name Hash value 0", "info string Hash 0 MB: the table takes 1 MB"},
      {"setoption name hash value 64", "info string Hash 64 MB: the table takes 48 MB"},
      {"setoption name Hash value 192", ""},
  };
  UCIEngine engine;
  for (const auto& c : sizes) {
    engine.Send(c.option);
    engine.Send("isready");
    bool ready = false;
    std::vector<std::string> lines = engine.ReadUntil("readyok", 5000, &ready);
    ASSERT_TRUE(ready) << c.option;
    EXPECT_EQ(lines.size(), c.answer[0] ? 2u : 1u) << c.option;
    if (c.answer[0]) {
      EXPECT_EQ(lines[0], c.answer) << c.option;
    }
    engine.Send(position);
    BestMove best = engine.Go("go depth 4");
    EXPECT_TRUE(RefereeAfter("r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R b KQkq -", {}).IsLegal(best.move))
        << c.option << ": " << best.move;
  }

  // A second search finds its tree in the table; after "Clear Hash" it
  // must search about as much as the first time.
  engine.Send(position);
  const long long first = FinalNodes(engine.Go("go depth 7"));
  engine.Send(position);
  EXPECT_LT(FinalNodes(engine.Go("go depth 7")), first / 2);
  engine.Send("setoption name Clear Hash");
  engine.Send(position);
  EXPECT_GT(FinalNodes(engine.Go("go depth 7")), first / 2);

  // The table is resized only between searches, not while an infinite
  // search that has finished waits for "stop".
  engine.Send(std::string("position fen ") + MateInOne);
  engine.Send("go infinite");
  Sleep(300);
  engine.Send("setoption name Hash value 16");
  bool refused = false;
  engine.ReadUntil("info string Hash is set only while no search runs", 3000, &refused);
  EXPECT_TRUE(refused);
  engine.Send("stop");
  EXPECT_TRUE(AwaitBestMove(engine, TestClock::now(), 3000).found);

  // The default size is the table the engine starts with: the same tree as
  // a fresh engine's; a small table gives another.
  for (const char* size : {"192", "1"}) {
    UCIEngine other;
    other.Send(std::string("setoption name Hash value ") + size);
    other.Send(position);
    BestMove best = other.Go("go depth 7");
    if (std::string(size) == "192") {
      EXPECT_EQ(FinalNodes(best), fresh);
      EXPECT_EQ(best.move, freshMove);
    } else {
      EXPECT_NE(FinalNodes(best), fresh);
    }
  }
}

// "Move Overhead" (milliseconds kept back on every move) in both protocols:
// a value out of range is held to it with one line, one that is no number
// is refused with one; the option's name has a blank and any case. The
// console shows the plan it makes: sudden death, a minute, the first moves
// after the book (half as much again): (60000 - overhead) / 30 x 3 / 2.
TEST(UCIProtocolTest, MoveOverheadIsTakenOffTheClockInBothProtocols) {
  const struct {
    const char* what;
    const char* input;
    const char* said;
  } cases[] = {
      {"UCI above the range", "uci\nsetoption name Move Overhead value 6000\nisready\nquit\n",
       "info string Move Overhead 6000 is out of range: 5000 ms\n"},
      {"UCI below it", "uci\nsetoption name Move Overhead value -5\nisready\nquit\n",
       "info string Move Overhead -5 is out of range: 0 ms\n"},
      {"UCI not a number", "uci\nsetoption name move overhead value soon\nisready\nquit\n",
       "info string Move Overhead needs a number of milliseconds\n"},
      {"xboard above the range", "xboard\nprotover 2\noption Move Overhead=9000\nquit\n",
       "Move Overhead 9000 is out of range: 5000\n"},
      {"xboard not a number", "xboard\nprotover 2\noption Move Overhead=x\nquit\n",
       "Error (Move Overhead needs a number): Move Overhead=x\n"},
      {"console, the default", "new\nlevel 0 1 0\nsd 1\ngo\nquit\n", "Time Per Move = 2998\n"},
      {"console, a second kept back", "new\noption Move Overhead=1000\nlevel 0 1 0\nsd 1\ngo\nquit\n",
       "Time Per Move = 2949\n"},
  };
  for (const auto& c : cases) {
    const ProcessResult r = RunEngine({}, c.input, 20000);
    EXPECT_EQ(r.exitCode, 0) << c.what;
    size_t count = 0;
    for (size_t at = r.output.find(c.said); at != std::string::npos; at = r.output.find(c.said, at + 1)) count++;
    EXPECT_EQ(count, 1u) << c.what << "\n" << r.output;
  }
  const ProcessResult quiet =
      RunEngine({}, "uci\nsetoption name Move Overhead value 50\nposition startpos\ngo movetime 100\nquit\n", 20000);
  EXPECT_EQ(quiet.output.find("info string"), std::string::npos) << quiet.output;
}

// "go nodes N" stops after about N nodes (never inside the first
// iteration); without a clock nothing else ends it. The nodes of every
// thread count together: two threads stop as close to N as one.
TEST(UCIProtocolTest, GoNodesStopsNearTheBudget) {
  UCIEngine engine;
  for (int threads : {1, 2}) {
    engine.Send("setoption name Threads value " + std::to_string(threads));
    for (const char* moves : {"d2d4 d7d5 c2c4", "e2e4 c7c5 g1f3 d7d6 d2d4 c5d4 f3d4 g8f6 b1c3"}) {
      for (long long budget : {5000LL, 50000LL, 400000LL}) {
        engine.Send(std::string("position startpos moves ") + moves);
        BestMove best = engine.Go("go nodes " + std::to_string(budget), 30000);
        const long long nodes = FinalNodes(best);
        EXPECT_GE(nodes, budget) << threads << " threads, " << moves;
        // A few per cent, and the first iteration, which is never cut short.
        EXPECT_LE(nodes, budget + budget / 20 + 1000) << threads << " threads, " << moves;
        EXPECT_TRUE(RefereeAfter(StartFen, Words(moves)).IsLegal(best.move)) << best.move;
      }
    }
  }
  engine.Send("setoption name Threads value 1");
  // With a clock as well, the first limit reached ends the search.
  engine.Send("position startpos");
  BestMove best = engine.Go("go wtime 600000 btime 600000 nodes 20000");
  EXPECT_LE(FinalNodes(best), 20000 + 2000 + 2000);
}

// "go mate N" ends when a mate in N or fewer is found, or after 2N - 1
// plies of iterations; the clock does not end it. Nothing is pruned that
// could hide a mate: the king-and-rook mate, which a normal search sees
// only at six plies, is found at three.
TEST(UCIProtocolTest, GoMateStopsAtTheMateOrItsDepth) {
  const struct {
    const char* fen;
    const char* go;
    int deepest;         // the deepest iteration allowed
    const char* score;   // of the final line, "" when no mate
    const char* bestmove;
  } cases[] = {
      {"r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 10", "go mate 2", 3, "mate 2", "d5f6"},
      {"r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 10", "go mate 5", 9, "mate 2", "d5f6"},
      {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", "go mate 1", 1, "mate 1", "d1d8"},
      {"k7/8/2K5/8/8/8/8/7R w - - 0 1", "go mate 2", 3, "mate 2", "c6b6"},
      {StartFen, "go mate 1", 1, "", ""},
      {StartFen, "go mate 3", 5, "", ""},
  };
  UCIEngine engine;
  for (const auto& c : cases) {
    engine.Send(std::string("position fen ") + c.fen);
    BestMove best = engine.Go(c.go, 30000);
    ASSERT_TRUE(best.found) << c.fen << " " << c.go;
    int deepest = 0;
    for (const std::string& l : best.lines)
      if (l.rfind("info depth ", 0) == 0) deepest = std::max(deepest, std::stoi(Field(l, "depth")));
    EXPECT_LE(deepest, c.deepest) << c.fen << " " << c.go;
    const std::string score = Field(PVLines(best.lines).back(), "score");
    if (c.score[0]) {
      EXPECT_EQ(score, c.score) << c.fen << " " << c.go;
      EXPECT_EQ(best.move, c.bestmove) << c.fen << " " << c.go;
    } else {
      EXPECT_EQ(score.rfind("mate", 0), std::string::npos) << c.fen << " " << c.go;
    }
  }
}

// "go searchmoves" searches only the listed legal moves at the root (a
// word that is no legal move is named and left out; none left, all moves);
// the next "go" searches every move again.
TEST(UCIProtocolTest, SearchmovesRestrictsTheRootMoves) {
  const struct {
    const char* position;
    const char* fen;
    std::vector<std::string> played;
    const char* go;
    std::vector<std::string> allowed;  // empty: every move
    const char* refusal;
  } cases[] = {
      {"position startpos", StartFen, {}, "go searchmoves a2a3 h2h3 depth 6", {"a2a3", "h2h3"}, ""},
      {"position startpos", StartFen, {}, "go depth 5 searchmoves g1h3", {"g1h3"}, ""},
      {"position startpos", StartFen, {}, "go searchmoves e7e5 b1a3 depth 4", {"b1a3"},
       "info string searchmoves: e7e5 is not a legal move here"},
      {"position startpos moves e2e4", StartFen, {"e2e4"}, "go searchmoves e2e4 depth 4", {},
       "info string searchmoves: e2e4 is not a legal move here"},
      // The promotions left out, or the only one searched.
      {"position fen 1r2k3/P7/8/8/8/8/8/4K3 w - -", "1r2k3/P7/8/8/8/8/8/4K3 w - -", {},
       "go searchmoves e1d2 e1f2 depth 5", {"e1d2", "e1f2"}, ""},
      {"position fen 1r2k3/P7/8/8/8/8/8/4K3 w - -", "1r2k3/P7/8/8/8/8/8/4K3 w - -", {},
       "go searchmoves a7b8q depth 5", {"a7b8q"}, ""},
      // The single legal move listed, in a position with many.
      {"position startpos moves e2e4", StartFen, {"e2e4"}, "go wtime 2000 btime 2000 searchmoves b8c6", {"b8c6"},
       ""},
  };
  UCIEngine engine;
  for (const auto& c : cases) {
    engine.Send(c.position);
    BestMove best = engine.Go(c.go);
    ASSERT_TRUE(best.found) << c.go;
    EXPECT_EQ(AnyStartsWith(best.lines, "info string"), c.refusal[0] != 0) << c.go;
    if (c.refusal[0]) {
      EXPECT_TRUE(AnyStartsWith(best.lines, c.refusal)) << c.go;
    }
    EXPECT_TRUE(RefereeAfter(c.fen, c.played).IsLegal(best.move)) << c.go << ": " << best.move;
    if (c.allowed.empty()) continue;
    EXPECT_NE(std::find(c.allowed.begin(), c.allowed.end(), best.move), c.allowed.end()) << c.go << ": " << best.move;
    for (const std::string& l : PVLines(best.lines)) {
      const std::string first = Words(Field(l, "pv"))[0];
      EXPECT_NE(std::find(c.allowed.begin(), c.allowed.end(), first), c.allowed.end()) << c.go << ": " << l;
    }
    // The list is the one "go" only (from the start position a depth-2
    // search shows more than one best move).
    if (std::string(c.fen) != StartFen) continue;
    BestMove next = engine.Go("go depth 2");
    bool other = false;
    for (const std::string& l : PVLines(next.lines))
      other |= std::find(c.allowed.begin(), c.allowed.end(), Words(Field(l, "pv"))[0]) == c.allowed.end();
    EXPECT_TRUE(other) << c.go;
  }
}

// Stopped or not, with UCI_AnalyseMode or not, the engine prints only UCI
// lines; a stopped search's last line repeats a result it completed (never
// the score of a move it broke off), "info score" gives that score, and
// "bestmove" is the line's first move.
TEST(UCIProtocolTest, OutputIsCleanAndAStopReportsACompletedResult) {
  const struct {
    const char* what;
    std::vector<std::string> options;
    const char* go;
    int stopAfterMs;  // 0: the search ends by itself
  } cases[] = {
      {"go infinite, stop", {}, "go infinite", 1500},
      {"analysis mode, stop", {"setoption name UCI_AnalyseMode value true"}, "go infinite", 2500},
      {"fixed depth, stop", {}, "go depth 40", 1000},
      {"long clock, stop", {}, "go wtime 600000 btime 600000", 1000},
      {"ponder, stop", {"setoption name Ponder value true"}, "go ponder wtime 60000 btime 60000", 1000},
      {"timed, analysis mode", {"setoption name UCI_AnalyseMode value true"}, "go movetime 1000", 0},
      {"nodes", {}, "go nodes 300000", 0},
  };
  for (const auto& c : cases) {
    UCIEngine engine;
    for (const std::string& o : c.options) engine.Send(o);
    engine.Send("position startpos moves e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5a4 g8f6");
    BestMove best;
    if (c.stopAfterMs) {
      engine.Send(c.go);
      Sleep(c.stopAfterMs);
      engine.Send("stop");
      best = AwaitBestMove(engine, TestClock::now(), 5000);
    } else {
      best = engine.Go(c.go, 20000);
    }
    ASSERT_TRUE(best.found) << c.what;
    engine.Send("quit");
    engine.Wait(5000);
    std::istringstream out(engine.Output());
    for (std::string l; std::getline(out, l);) EXPECT_TRUE(IsUCILine(l)) << c.what << ": " << l;
    const std::vector<std::string> pvs = PVLines(best.lines);
    ASSERT_GE(pvs.size(), 2u) << c.what;
    const std::string& last = pvs.back();
    // The same depth, score and line were reported as they were completed.
    bool earlier = false;
    for (size_t i = 0; i + 1 < pvs.size(); i++)
      earlier |= Field(pvs[i], "depth") == Field(last, "depth") && Field(pvs[i], "score") == Field(last, "score") &&
                 Field(pvs[i], "pv") == Field(last, "pv");
    EXPECT_TRUE(earlier) << c.what << ": " << last;
    EXPECT_EQ(best.lines[best.lines.size() - 2], "info score " + Field(last, "score")) << c.what;
    EXPECT_EQ(Words(Field(last, "pv"))[0], best.move) << c.what;
  }
}

// Every move of every line is spelled as "bestmove" spells it, promotions
// with their letter: each line plays out legally from the position.
TEST(UCIProtocolTest, PrincipalVariationsSpellPromotions) {
  const struct {
    const char* fen;
    const char* promotion;  // a move the lines must contain
  } cases[] = {
      {"8/4P1k1/8/8/8/8/8/4K3 w - -", "e7e8q"},
      {"8/8/8/8/8/6k1/2p5/K7 w - -", "c2c1q"},
      {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1P/PPPBBPpP/R3K2R b KQkq -", "g2h1q"},
  };
  UCIEngine engine;
  for (const auto& c : cases) {
    engine.Send(std::string("position fen ") + c.fen);
    BestMove best = engine.Go("go depth 6", 30000);
    bool seen = false;
    for (const std::string& l : PVLines(best.lines)) {
      GameReferee referee(c.fen);
      for (const std::string& m : Words(Field(l, "pv"))) {
        ASSERT_TRUE(referee.Play(m)) << c.fen << ": " << m << " in " << l;
        seen |= m == c.promotion;
      }
    }
    EXPECT_TRUE(seen) << c.fen << " " << c.promotion;
  }
}
// Mated or stalemated at the root there is no move: the score of the
// ending at depth 0, then "bestmove 0000", and no line of a move that does
// not exist.
TEST(UCIProtocolTest, NoLegalMoveIsScoredBeforeBestmove0000) {
  const struct {
    const char* fen;
    const char* go;
    const char* score;
  } cases[] = {
      {"7k/6Q1/6K1/8/8/8/8/8 b - -", "go depth 3", "info depth 0 score mate 0"},
      {"7k/5Q2/6K1/8/8/8/8/8 b - -", "go depth 3", "info depth 0 score cp 0"},
      {"7k/6Q1/6K1/8/8/8/8/8 b - -", "go wtime 1000 btime 1000", "info depth 0 score mate 0"},
      {"7k/5Q2/6K1/8/8/8/8/8 b - -", "go mate 3", "info depth 0 score cp 0"},
  };
  UCIEngine engine;
  for (const auto& c : cases) {
    engine.Send(std::string("position fen ") + c.fen);
    BestMove best = engine.Go(c.go);
    ASSERT_GE(best.lines.size(), 2u) << c.fen;
    EXPECT_EQ(best.lines.back(), "bestmove 0000") << c.fen << " " << c.go;
    EXPECT_EQ(best.lines[best.lines.size() - 2], c.score) << c.fen << " " << c.go;
    EXPECT_TRUE(PVLines(best.lines).empty()) << c.fen << ": " << PVLines(best.lines)[0];
  }
  // Stopped in an endless search, the same.
  engine.Send(std::string("position fen ") + cases[0].fen);
  engine.Send("go infinite");
  Sleep(200);
  engine.Send("stop");
  BestMove best = AwaitBestMove(engine, TestClock::now(), 5000);
  ASSERT_TRUE(best.found);
  ASSERT_GE(best.lines.size(), 2u);
  EXPECT_EQ(best.lines[best.lines.size() - 2], "info depth 0 score mate 0");
}

// The principal-variation table may hold moves left from other branches:
// no line shows one. Each line of these searches is played out from the
// position by the reference rules (the second search once showed "h1f3
// b3b4 f3e4 b4c5 d5d6", with no White man on d5, and "h1d5 b3c3 c3d4").
TEST(UCIProtocolTest, EveryPrincipalVariationCanBePlayedFromThePosition) {
  const struct {
    const char* fen;
    const char* go;
  } searches[] = {
      {"8/8/8/8/2k5/8/8/2K1Q3 w - - 0 1", "go depth 10"},
      {"8/8/8/8/8/1k6/8/1K5Q w - - 0 1", "go depth 10"},
      {"r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4", "go depth 8"},
      {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1P/PPPBBPpP/R3K2R b KQkq -", "go depth 7"},
  };
  UCIEngine engine;
  for (const auto& c : searches) {
    engine.Send(std::string("position fen ") + c.fen);
    BestMove best = engine.Go(c.go, 60000);
    ASSERT_TRUE(best.found) << c.fen;
    const std::vector<std::string> pvs = PVLines(best.lines);
    ASSERT_FALSE(pvs.empty()) << c.fen;
    for (const std::string& l : pvs) {
      GameReferee referee(c.fen);
      for (const std::string& m : Words(Field(l, "pv"))) {
        if (!referee.Play(m)) {
          ADD_FAILURE() << c.fen << ": " << m << " cannot be played in " << l;
          break;
        }
      }
    }
  }
}

// "go mate N" is not ended by a longer mate found on the way (here a mate in
// 8 at depth 8), nor by a single legal move: it searches on to a mate in N
// or fewer, or to 2N - 1 plies.
TEST(UCIProtocolTest, GoMateSearchesOnPastALongerMate) {
  {
    UCIEngine engine;
    engine.Send("position fen 8/8/8/8/8/1k6/8/1K5Q w - - 0 1");
    BestMove best = engine.Go("go mate 5", 120000);
    ASSERT_TRUE(best.found);
    const std::vector<std::string> pvs = PVLines(best.lines);
    ASSERT_FALSE(pvs.empty());
    const std::vector<std::string> score = Words(Field(pvs.back(), "score"));
    ASSERT_EQ(score.size(), 2u) << pvs.back();
    EXPECT_EQ(score[0], "mate") << pvs.back();
    EXPECT_LE(std::stoi(score[1]), 5) << pvs.back();
    EXPECT_EQ(best.lines[best.lines.size() - 2], "info score mate " + score[1]);
    EXPECT_EQ(Words(Field(pvs.back(), "pv"))[0], best.move);
  }
  UCIEngine engine;
  engine.Send(std::string("position fen ") + OneLegalMove);
  BestMove best = engine.Go("go mate 2");
  int deepest = 0;
  for (const std::string& l : best.lines)
    if (l.rfind("info depth ", 0) == 0) deepest = std::max(deepest, std::stoi(Field(l, "depth")));
  EXPECT_EQ(deepest, 3);
  EXPECT_EQ(best.move, "a1b2");
}

// UCI_AnalyseMode changes nothing in what a search reports, wherever the
// GUI sets it.
TEST(UCIProtocolTest, AnalyseModeChangesNoOutput) {
  auto Search = [](bool analyse) {
    UCIEngine engine;
    engine.Send("position startpos moves e2e4 e7e5");
    if (analyse) engine.Send("setoption name UCI_AnalyseMode value true");
    std::vector<std::string> lines;
    for (const std::string& l : engine.Go("go depth 6").lines)
      lines.push_back(Field(l, "depth") + "|" + Field(l, "score") + "|" + Field(l, "nodes") + "|" + Field(l, "pv"));
    return lines;
  };
  EXPECT_EQ(Search(true), Search(false));
}
}  // namespace

// "d" shows the game's position as a FEN with its en-passant square and
// counters and its key, "eval" the evaluation term by term; neither moves
// the game on, so a second "d" after "eval" and a search say the same.
TEST(UCIProtocolTest, BoardAndEvaluationOnRequestLeaveTheGameAsItWas) {
  const struct {
    const char* position;
    const char* fen;
  } cases[] = {
      {"position startpos", "Fen: rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
      {"position startpos moves e2e4", "Fen: rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"},
      {"position startpos moves e2e4 c7c5 g1f3", "Fen: rnbqkbnr/pp1ppppp/8/2p5/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2"},
      {"position fen r3k2r/8/8/8/8/8/8/R3K2R w Kq - 7 40 moves e1d1", "Fen: r3k2r/8/8/8/8/8/8/R2K3R b q - 8 40"},
      {"position fen 4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 12", "Fen: 4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 12"},
  };
  for (const auto& c : cases) {
    UCIEngine engine;
    engine.Send(c.position);
    engine.Send("d");
    bool found = false;
    std::vector<std::string> shown = engine.ReadUntil("Key: ", 5000, &found);
    ASSERT_TRUE(found) << c.position;
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown[shown.size() - 2], c.fen) << c.position;
    const std::string key = shown.back();
    EXPECT_EQ(key.size(), 5u + 16u) << key;

    engine.Send("eval");
    std::vector<std::string> table = engine.ReadUntil("PosEval", 5000, &found);
    ASSERT_TRUE(found) << c.position;
    EXPECT_TRUE(AnyStartsWith(table, "Material")) << c.position;
    EXPECT_TRUE(AnyStartsWith(table, "Total, White's view")) << c.position;

    engine.Send("d");
    shown = engine.ReadUntil("Key: ", 5000, &found);
    ASSERT_TRUE(found);
    EXPECT_EQ(shown[shown.size() - 2], c.fen) << "after eval: " << c.position;
    EXPECT_EQ(shown.back(), key) << "after eval: " << c.position;
    const BestMove move = engine.Go("go depth 2");
    EXPECT_TRUE(move.found) << c.position;
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(5000), 0);
  }
}

namespace {
// A score as a number that orders them: a mate in N moves above every
// centipawn score, the sooner the higher; being mated below them.
long long ScoreOrder(const std::string& score) {
  const std::vector<std::string> w = Words(score);
  if (w.size() != 2) return 0;
  const long long n = std::stoll(w[1]);
  if (w[0] == "cp") return n;
  return n > 0 ? 1000000 - n : -1000000 - n;
}

// Several lines: every depth reports lines "multipv 1" to K in that order,
// each a legal line with a first move of its own, best first; "bestmove" is
// the first line's move. More lines than moves gives every move the search
// plays (a promotion once), and searchmoves limits them. Every result line carries seldepth and hashfull,
// and with one line (the default) no line is numbered. With helper threads
// the main thread's lines are the ones shown.
TEST(UCIProtocolTest, SeveralLinesAreLegalDistinctAndBestFirst) {
  const struct {
    const char* fen;
    const char* lines;
    const char* go;
    int depth;        // the last depth; 0 for a timed search
    size_t expected;  // lines a depth; 0 for one line, unnumbered
    const char* threads = "1";
  } cases[] = {
      {StartFen, "3", "go depth 5", 5, 3},
      {"r1bqk2r/pp2bppp/2p5/3pP3/P2Q1P2/2N1B3/1PP3PP/R4RK1 b kq - 0 1", "4", "go depth 4", 4, 4},
      {"7k/8/8/8/8/8/6PP/7K w - - 0 1", "8", "go depth 4", 4, 5},
      // A promotion is one move of the search (to a queen), not four.
      {"8/P7/8/8/8/8/7k/K7 w - - 0 1", "5", "go depth 7", 7, 4},
      {"4k3/P7/8/8/8/8/8/K6R w - - 0 1", "18", "go depth 5", 5, 17},
      {StartFen, "4", "go depth 4 searchmoves e2e4 d2d4", 4, 2},
      // Both lines mate at depth 1: nothing is left to find.
      {MateInOne, "2", "go depth 3", 1, 2},
      {StartFen, "1", "go depth 4", 4, 0},
      {"8/5pk1/6p1/8/3R4/6P1/5PK1/2r5 w - - 0 1", "3", "go movetime 500", 0, 3},
      {"r1bqk2r/pp2bppp/2p5/3pP3/P2Q1P2/2N1B3/1PP3PP/R4RK1 b kq - 0 1", "3", "go depth 7", 7, 3, "2"},
  };
  for (const auto& c : cases) {
    UCIEngine engine;
    engine.Send(std::string("setoption name MultiPV value ") + c.lines);
    engine.Send(std::string("setoption name Threads value ") + c.threads);
    engine.Send(std::string("position fen ") + c.fen);
    BestMove best = engine.Go(c.go);
    ASSERT_TRUE(best.found) << c.fen;
    const GameReferee referee(c.fen);
    std::map<int, std::vector<std::string>> byDepth;
    for (const std::string& l : PVLines(best.lines)) {
      if (l.rfind("info depth ", 0) != 0) continue;
      EXPECT_FALSE(Field(l, "seldepth").empty()) << l;
      const int hashfull = std::stoi(Field(l, "hashfull"));
      EXPECT_TRUE(hashfull >= 0 && hashfull <= 1000) << l;
      EXPECT_EQ(Field(l, "multipv").empty(), c.expected == 0) << l;
      if (c.expected == 0) continue;
      GameReferee line = referee;
      for (const std::string& m : Words(Field(l, "pv"))) EXPECT_TRUE(line.Play(m)) << c.fen << ": " << l;
      byDepth[std::stoi(Field(l, "depth"))].push_back(l);
    }
    if (c.expected == 0) continue;
    ASSERT_FALSE(byDepth.empty()) << c.fen;
    if (c.depth != 0) {
      EXPECT_EQ(byDepth.rbegin()->first, c.depth) << c.fen;
      // No depth goes without its lines.
      EXPECT_EQ(byDepth.size(), (size_t)c.depth) << c.fen;
    }
    // A timed search's last depth may be cut short: the depth before it is
    // the last complete one.
    if (c.depth == 0) {
      ASSERT_GT(byDepth.size(), 1u) << c.fen;
      byDepth.erase(std::prev(byDepth.end()));
    }
    for (auto& [depth, lines] : byDepth) {
      // The line before "bestmove" repeats the first.
      if (lines.size() == c.expected + 1 && Field(lines.back(), "multipv") == "1" &&
          Field(lines.back(), "pv") == Field(lines.front(), "pv"))
        lines.pop_back();
      ASSERT_EQ(lines.size(), c.expected) << c.fen << " at depth " << depth;
      std::set<std::string> firsts;
      for (size_t k = 0; k < lines.size(); k++) {
        EXPECT_EQ(Field(lines[k], "multipv"), std::to_string(k + 1)) << lines[k];
        EXPECT_TRUE(firsts.insert(Words(Field(lines[k], "pv"))[0]).second) << lines[k];
        if (k > 0) {
          EXPECT_LE(ScoreOrder(Field(lines[k], "score")), ScoreOrder(Field(lines[k - 1], "score"))) << lines[k];
        }
      }
      if (std::string(c.go).find("searchmoves") != std::string::npos) {
        EXPECT_EQ(firsts, (std::set<std::string>{"e2e4", "d2d4"})) << c.fen;
      }
    }
    // The move played is the first line's of the last complete depth (a
    // timed search may play a first line the next depth found).
    if (c.depth != 0) {
      EXPECT_EQ(best.move, Words(Field(byDepth.rbegin()->second.front(), "pv"))[0]) << c.fen;
    }
  }
}

// The option holds to 1 .. 256 and says so; a value that is no number
// leaves it as it was.
TEST(UCIProtocolTest, MultiPVOutOfRangeIsHeldToItsLimits) {
  const struct {
    const char* value;
    const char* said;
    size_t lines;  // at depth 2 from the start position (20 moves)
  } cases[] = {
      {"0", "info string MultiPV 0 is out of range: 1 lines", 1},
      {"300", "info string MultiPV 300 is out of range: 256 lines", 20},
      {"many", "info string MultiPV needs a number", 1},
      {"20", "", 20},
  };
  for (const auto& c : cases) {
    UCIEngine engine;
    engine.Send(std::string("setoption name MultiPV value ") + c.value);
    engine.Send("position startpos");
    BestMove best = engine.Go("go depth 2");
    EXPECT_EQ(AnyStartsWith(best.lines, "info string"), c.said[0] != 0) << c.value;
    if (c.said[0]) {
      EXPECT_TRUE(AnyStartsWith(best.lines, c.said)) << c.value;
    }
    std::set<std::string> numbers;
    for (const std::string& l : PVLines(best.lines))
      if (Field(l, "depth") == "2") numbers.insert(Field(l, "multipv"));
    EXPECT_EQ(numbers.size(), c.lines) << c.value;
    if (c.lines == 1) {
      EXPECT_EQ(*numbers.begin(), "") << c.value;
    }
  }
}
}  // namespace

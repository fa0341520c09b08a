// Several search threads over pipes, as a GUI sets them: UCI "Threads",
// xboard's "cores" after feature smp=1, the console's "cores" and the
// command line's -threads, each clamped with one line; and searches with
// helpers that end by "stop", "ponderhit", their clock, node budget or
// depth, with "isready" and a table resize between them, every one with a
// legal move. `make test-tsan` runs these under ThreadSanitizer.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "e2e/GameReferee.h"
#include "e2e/ProtocolSession.h"
#include "support/EngineProcess.h"

namespace {
void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  for (const std::string& l : lines)
    if (l == line) return true;
  return false;
}

TEST(ThreadedProtocolTest, EverySearchOfSeveralThreadsAnswersALegalMove) {
  const struct {
    const char* threads;  // the option's value before the search, if any
    const char* moves;    // after "position startpos"
    const char* go;
    const char* end;  // sent after `wait` ms: "stop", "ponderhit", or nothing
    int wait;
  } cases[] = {
      {"2", "", "go infinite", "stop", 300},
      {nullptr, "e2e4", "go movetime 300", "", 0},
      {nullptr, "e2e4 e7e5", "go ponder wtime 2000 btime 2000", "ponderhit", 200},
      {"3", "e2e4 e7e5 g1f3", "go ponder wtime 60000 btime 60000", "stop", 250},
      {nullptr, "d2d4", "go nodes 50000", "", 0},
      {nullptr, "d2d4 d7d5", "go depth 7", "", 0},
      {nullptr, "e2e4 c7c5", "go depth 9 searchmoves g1f3 a2a3", "", 0},
      {"2", "e2e4 e7e5 d1h5 b8c6 f1c4 g8f6", "go mate 1", "", 0},
      {nullptr, "e2e4", "go wtime 1000 btime 1000", "", 0},
      {nullptr, "", "go infinite", "stop", 30},
  };
  UCIEngine engine;
  int n = 0;
  for (const auto& c : cases) {
    const std::string label = std::string(c.moves) + " / " + c.go;
    if (c.threads) engine.Send(std::string("setoption name Threads value ") + c.threads);
    // The table is resized between searches now and then.
    if (n++ % 3 == 2) engine.Send(n % 2 ? "setoption name Hash value 8" : "setoption name Hash value 16");
    engine.Send(std::string("position startpos moves ") + c.moves);
    engine.Send(c.go);
    if (*c.end) {
      Sleep(c.wait / 2);
      engine.Send("isready");
      bool ready = false;
      const std::vector<std::string> lines = engine.ReadUntil("readyok", 20000, &ready);
      EXPECT_TRUE(ready) << label;
      EXPECT_FALSE(AnyStartsWith(lines, "bestmove")) << label;
      Sleep(c.wait / 2);
      engine.Send(c.end);
    }
    const BestMove best = AwaitBestMove(engine, TestClock::now(), 60000);
    ASSERT_TRUE(best.found) << label;
    GameReferee referee;
    std::istringstream moves(c.moves);
    for (std::string m; moves >> m;) referee.Play(m);
    EXPECT_TRUE(referee.IsLegal(best.move)) << label << ": " << best.move;
    const std::string go = c.go;
    if (go.find("searchmoves") != std::string::npos) {
      EXPECT_TRUE(best.move == "g1f3" || best.move == "a2a3") << best.move;
    }
    if (go.find("mate") != std::string::npos) {
      EXPECT_EQ(best.move, "h5f7");
    }
  }
  // "quit" while the helpers search.
  engine.Send("go infinite");
  Sleep(100);
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(20000), 0);
}

// Back to one thread, a search counts its own nodes, not those the helpers
// of the search before it left behind.
TEST(ThreadedProtocolTest, ThreadCountsAreSetInEveryProtocolAndClampedWithOneLine) {
  {
    EngineProcess engine;
    engine.Send("uci");
    bool found = false;
    const std::vector<std::string> handshake = engine.ReadUntil("uciok", 20000, &found);
    ASSERT_TRUE(found);
    EXPECT_TRUE(Contains(handshake, "option name Threads type spin default 1 min 1 max 256"));
    engine.Send("setoption name Threads value 300");
    engine.Send("setoption name Threads value 0");
    engine.Send("setoption name Threads value many");
    engine.Send("setoption name Threads value 2");
    engine.Send("isready");
    const std::vector<std::string> lines = engine.ReadUntil("readyok", 20000, &found);
    ASSERT_TRUE(found);
    const std::vector<std::string> expected = {"info string Threads 300 is out of range: 256 threads",
                                               "info string Threads 0 is out of range: 1 threads",
                                               "info string Threads needs a number", "readyok"};
    EXPECT_EQ(lines, expected);
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(20000), 0);
  }
  {
    XboardEngine engine;
    engine.Send("protover 2");
    bool found = false;
    const std::vector<std::string> features = engine.ReadUntil("feature done=1", 20000, &found);
    ASSERT_TRUE(found);
    EXPECT_NE(features[features.size() - 2].find(" smp=1 "), std::string::npos) << features[features.size() - 2];
    engine.Send("cores 0");
    engine.Send("ping 1");
    const std::vector<std::string> lines = engine.ReadUntil("pong 1", 20000, &found);
    ASSERT_TRUE(found);
    EXPECT_EQ(lines, (std::vector<std::string>{"cores 0 is out of range: 1 threads", "pong 1"}));
    // A game's move with two threads, and "?" while it thinks.
    engine.Send("cores 2");
    engine.Send("sd 30");
    engine.Send("usermove e2e4");
    Sleep(200);
    engine.Send("?");
    const std::vector<std::string> reply = engine.ReadUntil("move ", 60000, &found);
    ASSERT_TRUE(found);
    GameReferee referee;
    referee.Play("e2e4");
    EXPECT_TRUE(referee.IsLegal(reply.back().substr(5))) << reply.back();
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(20000), 0);
  }
  {
    const ProcessResult console = RunEngine({}, "hello\ncores 999\ncores 2\nquit\n", 60000);
    EXPECT_NE(console.output.find("cores 999 is out of range: 256 threads\n"), std::string::npos);
    EXPECT_EQ(console.output.find("cores 2 "), std::string::npos);
  }
  {
    const ProcessResult line = RunEngine({"-threads", "0", "-perft", "-fd", "1"}, "", 60000);
    EXPECT_EQ(line.output.rfind("Vorn \n-threads 0 is out of range: 1 threads\n", 0), 0u) << line.output;
  }
}
}  // namespace

namespace {
// A search of one thread after a search of several counts its own nodes
// only: the helpers of the search before are not among them.
TEST(ThreadedProtocolTest, OneThreadAfterSeveralCountsOnlyItsOwnNodes) {
  UCIEngine engine;
  engine.Send("setoption name Threads value 2");
  engine.Send("position startpos");
  ASSERT_TRUE(engine.Go("go depth 9").found);
  engine.Send("setoption name Threads value 1");
  const BestMove alone = engine.Go("go depth 1");
  ASSERT_TRUE(alone.found);
  for (const std::string& line : alone.lines) {
    std::istringstream words(line);
    for (std::string word, nodes; words >> word;) {
      if (word == "nodes" && words >> nodes) {
        EXPECT_LT(std::stoll(nodes), 1000) << line;
      }
    }
  }
}
}  // namespace

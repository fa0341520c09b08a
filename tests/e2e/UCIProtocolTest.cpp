// The UCI front end over pipes, as a GUI drives it: the handshake, positions
// and searches of every kind, "isready" and "stop" in every state, pondering,
// the options, the end of the program, and the input a GUI may send (CR LF,
// extra blanks, odd move lists). Every move the engine names is checked
// against the reference move generator.
#include <gtest/gtest.h>

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

TEST(UCIProtocolTest, HandshakeNamesTheEngineAndItsSixOptions) {
  EngineProcess engine;
  engine.Send("uci");
  bool found = false;
  std::vector<std::string> lines = engine.ReadUntil("uciok", 10000, &found);
  ASSERT_TRUE(found);
  const std::vector<std::string> expected = {
      "Vorn ",
      "id name Vorn 1.005-64W",
      "id author the Vorn authors",
      "option name UCI_AnalyseMode type check default false",
      "option name OwnBook type check default false",
      "option name SecondaryBook type check default false",
      "option name UCI_ShowCurrLine type check default true",
      "option name Ponder type check default false",
      "option name UCI_EngineAbout type string default Vorn, a chess engine by the Vorn authors",
      "uciok"};
  EXPECT_EQ(lines, expected);
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(5000), 0);
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
      // The list ends at the first word that is not a move, and at its line.
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
}  // namespace

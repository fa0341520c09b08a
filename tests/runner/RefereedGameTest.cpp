// Games between engines that play foreseeable moves or misbehave on
// purpose: each rule ends its game, each fault is caught and reported with
// the moves, the clocks and the adjudication by scores work.
#include "scripts/runner/RefereedGame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// The fixture engine with its arguments ("--play", "list:e2e4", ...).
EngineSetup Fixture(const std::string& name, const std::vector<std::string>& arguments) {
  return EngineSetup{name, FIXTURE_ENGINE, arguments, {}};
}

GameSettings QuickNodes() {
  GameSettings settings;
  settings.Nodes = 100;
  settings.AnswerTimeoutMs = 2000;
  settings.NodesMoveTimeoutMs = 2000;
  return settings;
}

GameRecord PlayOne(const GameSettings& settings, const EngineSetup& white, const EngineSetup& black,
                   const std::string& fen) {
  UciPlayer w(white), b(black);
  RefereedGame game(settings, &w, &b);
  return game.Play(fen, 1);
}

std::string Joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& w : words) text += (text.empty() ? "" : " ") + w;
  return text;
}
}  // namespace

TEST(RefereedGameTest, GamesEndByTheRules) {
  const struct {
    const char* fen;
    const char* whiteMoves;
    const char* blackMoves;
    GameResult result;
    const char* reason;
    const char* sanMoves;
  } cases[] = {
      {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "list:a1a8", "first", GameResult::WhiteWins, "White mates", "Ra8#"},
      {"r5k1/8/8/8/8/8/5PPP/6K1 b - - 0 1", "first", "list:a8a1", GameResult::BlackWins, "Black mates", "Ra1#"},
      {"7k/4Q3/6K1/8/8/8/8/8 w - - 0 1", "list:e7f7", "first", GameResult::Draw, "stalemate", "Qf7"},
      {"7k/8/8/8/8/8/6r1/6KN w - - 0 1", "list:g1g2", "first", GameResult::Draw, "insufficient material",
       "Kxg2"},
      {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 99 60", "list:a1a2", "first", GameResult::Draw, "fifty-move rule", "Ra2"},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "list:g1f3,f3g1", "list:g8f6,f6g8",
       GameResult::Draw, "threefold repetition", "Nf3 Nf6 Ng1 Ng8 Nf3 Nf6 Ng1 Ng8"},
  };
  for (const auto& c : cases) {
    const GameRecord game = PlayOne(QuickNodes(), Fixture("white", {"--play", c.whiteMoves}),
                                    Fixture("black", {"--play", c.blackMoves}), c.fen);
    EXPECT_EQ(game.Result, c.result) << c.fen << ": " << game.Reason;
    EXPECT_EQ(game.Reason, c.reason) << c.fen;
    EXPECT_EQ(Joined(game.SanMoves), c.sanMoves) << c.fen;
    EXPECT_TRUE(game.Faults.empty()) << c.fen << ": " << game.Faults[0];
    EXPECT_EQ(game.Termination, "normal");
  }
}

// Black misbehaves at its third search, after 1. e4 e5 2. Nf3 Nc6 3. Bc4:
// the fault names the engine and the moves so far, and Black loses.
TEST(RefereedGameTest, FaultsLoseAndAreReportedWithTheMoves) {
  const char* const start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
  const struct {
    std::vector<std::string> fault;
    bool byClock;
    const char* what;
    const char* termination;
  } cases[] = {
      {{"--fault", "illegal"}, false, "illegal move a1a1", "rules infraction"},
      {{"--fault", "crash"}, false, "the engine exited (crash)", "abandoned"},
      {{"--fault", "silent"}, false, "no bestmove within 500 ms", "abandoned"},
      {{"--fault", "silent"}, true, "lost on time", "time forfeit"},
      {{"--fault", "slow:3000"}, true, "lost on time", "time forfeit"},
  };
  for (const auto& c : cases) {
    GameSettings settings = QuickNodes();
    settings.NodesMoveTimeoutMs = 500;
    if (c.byClock) {
      settings.Nodes = 0;
      settings.BaseMs = 1000;
      settings.IncrementMs = 0;
      settings.TimeMarginMs = 100;
    }
    std::vector<std::string> black = {"--play", "list:e7e5,b8c6,g8f6", "--after", "2"};
    black.insert(black.end(), c.fault.begin(), c.fault.end());
    const GameRecord game =
        PlayOne(settings, Fixture("good", {"--play", "list:e2e4,g1f3,f1c4"}), Fixture("bad", black), start);
    const std::string label = Joined(c.fault) + (c.byClock ? " on the clock" : "");
    EXPECT_EQ(game.Result, GameResult::WhiteWins) << label << ": " << game.Reason;
    EXPECT_EQ(game.Termination, c.termination) << label;
    ASSERT_EQ(game.Faults.size(), 1u) << label;
    const std::string& fault = game.Faults[0];
    EXPECT_NE(fault.find("bad (Black)"), std::string::npos) << fault;
    EXPECT_NE(fault.find(c.what), std::string::npos) << fault;
    EXPECT_NE(fault.find("after 1. e4 e5 2. Nf3 Nc6 3. Bc4"), std::string::npos) << fault;
    EXPECT_EQ(Joined(game.SanMoves), "e4 e5 Nf3 Nc6 Bc4") << label;
  }
}

TEST(RefereedGameTest, AnEngineThatNeverStartsLosesAndTheOtherIsRestartedAfterACrash) {
  GameSettings settings = QuickNodes();
  settings.AnswerTimeoutMs = 300;
  const GameRecord silent = PlayOne(settings, Fixture("mute", {"--fault", "nouciok"}), Fixture("good", {}),
                                    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  EXPECT_EQ(silent.Result, GameResult::BlackWins);
  ASSERT_EQ(silent.Faults.size(), 1u);
  EXPECT_NE(silent.Faults[0].find("no uciok"), std::string::npos) << silent.Faults[0];

  // The same two processes for two games: the crashed one is started anew.
  UciPlayer white(Fixture("crasher", {"--play", "list:a1a8", "--fault", "crash", "--after", "1"}));
  UciPlayer black(Fixture("good", {}));
  RefereedGame game(settings, &white, &black);
  const char* const rook = "6k1/6pp/8/8/8/8/8/R5K1 w - - 0 1";
  const GameRecord first = game.Play(rook, 1);
  EXPECT_EQ(first.Result, GameResult::BlackWins) << first.Reason;
  EXPECT_FALSE(white.Running());
  const GameRecord second = game.Play("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 2);
  EXPECT_EQ(second.Result, GameResult::WhiteWins) << second.Reason;
}

// An illegal move in a principal variation is reported; the game goes on.
TEST(RefereedGameTest, AnIllegalPrincipalVariationIsReportedOnce) {
  const GameRecord game =
      PlayOne(QuickNodes(), Fixture("liar", {"--play", "list:a1a8", "--fault", "badpv"}), Fixture("good", {}),
              "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
  EXPECT_EQ(game.Result, GameResult::WhiteWins);
  ASSERT_EQ(game.Faults.size(), 1u);
  EXPECT_NE(game.Faults[0].find("liar (White): illegal move e1e8 in the principal variation \"a1a8 e1e8\""),
            std::string::npos)
      << game.Faults[0];
  EXPECT_NE(game.Faults[0].find("after no moves"), std::string::npos) << game.Faults[0];
}

TEST(RefereedGameTest, AdjudicationByBothEnginesScores) {
  const char* const start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
  const struct {
    const char* whiteScore;
    const char* blackScore;
    bool resign;
    GameResult result;
    size_t plies;
  } cases[] = {
      {"700", "-700", true, GameResult::WhiteWins, 6},   // both say White wins
      {"-700", "700", true, GameResult::BlackWins, 6},
      {"700", "700", true, GameResult::Draw, 8},         // no agreement: played to the repetition
      {"5", "-5", false, GameResult::Draw, 6},
      {"50", "-50", false, GameResult::Draw, 8},         // too far from equal to agree on a draw
  };
  for (const auto& c : cases) {
    GameSettings settings = QuickNodes();
    if (c.resign) {
      settings.ResignMoves = 3;
      settings.ResignScore = 600;
    } else {
      settings.DrawMoves = 3;
      settings.DrawScore = 10;
      settings.DrawFrom = 1;
    }
    const GameRecord game =
        PlayOne(settings, Fixture("w", {"--play", "list:g1f3,f3g1", "--score", c.whiteScore}),
                Fixture("b", {"--play", "list:g8f6,f6g8", "--score", c.blackScore}), start);
    EXPECT_EQ(game.Result, c.result) << c.whiteScore << " " << c.blackScore << ": " << game.Reason;
    EXPECT_EQ(game.SanMoves.size(), c.plies) << game.Reason;
    EXPECT_EQ(game.Termination, game.SanMoves.size() == 8 ? "normal" : "adjudication");
  }
}

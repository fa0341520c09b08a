// The command line, the PGN text and a whole match: Vorn against itself at
// a few hundred nodes a move over two openings, on two threads.
#include "scripts/runner/Match.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "scripts/runner/MatchOptions.h"
#include "scripts/runner/PgnWriter.h"

namespace {
// A file name of its own in /tmp, removed at the end.
struct TempFile {
  std::string path;
  explicit TempFile(const std::string& text = "") {
    char name[] = "/tmp/vorn-games-test-XXXXXX";
    const int fd = mkstemp(name);
    path = name;
    if (fd >= 0) {
      if (!text.empty() && write(fd, text.data(), text.size()) != (ssize_t)text.size()) path.clear();
      close(fd);
    }
  }
  ~TempFile() { unlink(path.c_str()); }
};

std::string FileText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) n++;
  return n;
}

std::vector<std::string> Split(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  std::string w;
  while (in >> w) words.push_back(w);
  return words;
}
}  // namespace

TEST(MatchOptionsTest, ArgumentsReadAndRefused) {
  const std::string engines = "--engine cmd=/bin/a name=new option.Hash=16 arg=-uci --engine cmd=/usr/bin/old ";
  MatchOptions o;
  ASSERT_EQ(o.Read(Split(engines + "--tc 8+0.08 --concurrency 3 --games 7 --openings x.epd --pgn y.pgn "
                                   "--sprt elo0=-1 elo1=4 alpha=0.1 beta=0.2 --resign moves=3 --draw score=5 from=30")),
            "");
  EXPECT_EQ(o.Engines[0].Name, "new");
  EXPECT_EQ(o.Engines[0].Arguments, std::vector<std::string>{"-uci"});
  ASSERT_EQ(o.Engines[0].Options.size(), 1u);
  EXPECT_EQ(o.Engines[0].Options[0].first, "Hash");
  EXPECT_EQ(o.Engines[1].Name, "old");
  EXPECT_EQ(o.Game.BaseMs, 8000);
  EXPECT_EQ(o.Game.IncrementMs, 80);
  EXPECT_EQ(o.Concurrency, 3);
  EXPECT_EQ(o.Pairs, 4);  // seven games: four pairs
  EXPECT_TRUE(o.RunSprt);
  EXPECT_EQ(o.Elo0, -1);
  EXPECT_EQ(o.Elo1, 4);
  EXPECT_EQ(o.Beta, 0.2);
  EXPECT_EQ(o.Game.ResignMoves, 3);
  EXPECT_EQ(o.Game.ResignScore, 600);
  EXPECT_EQ(o.Game.DrawMoves, 8);
  EXPECT_EQ(o.Game.DrawScore, 5);
  EXPECT_EQ(o.Game.DrawFrom, 30);
  EXPECT_EQ(o.PgnPath, "y.pgn");
  MatchOptions defaults;
  ASSERT_EQ(defaults.Read(Split(engines)), "");
  EXPECT_EQ(defaults.PgnPath, "vorn-games.pgn");
  EXPECT_EQ(defaults.Game.Nodes, 0);
  EXPECT_EQ(defaults.Game.BaseMs, 8000);
  EXPECT_FALSE(defaults.RunSprt);
  EXPECT_EQ(defaults.Game.ResignMoves, 0);
  EXPECT_EQ(defaults.Game.DrawMoves, 0);

  const struct {
    std::string arguments;
    const char* problem;
  } refused[] = {
      {"", "two engines are needed"},
      {"--engine cmd=/bin/a", "two engines are needed"},
      {"--engine name=x --engine cmd=/bin/b", "needs cmd="},
      {engines + "--engine cmd=/bin/c", "more than two engines"},
      {engines + "--tc 8+", "not SECONDS+INCREMENT"},
      {engines + "--tc -1", "not SECONDS+INCREMENT"},
      {engines + "--nodes 0", "--nodes needs"},
      {engines + "--concurrency 0", "--concurrency needs"},
      {engines + "--sprt elo0=5 elo1=0", "elo1 must be above elo0"},
      {engines + "--sprt alpha=0.7", "alpha and beta"},
      {engines + "--sprt elo2=3", "unknown key elo2"},
      {engines + "--resign score=x", "no key=number"},
      {engines + "--resign from=3", "no setting of it"},
      {engines + "--rounds", "--rounds needs"},
      {engines + "--colour white", "unknown argument --colour"},
  };
  for (const auto& c : refused) {
    MatchOptions options;
    const std::string problem = options.Read(Split(c.arguments));
    EXPECT_NE(problem.find(c.problem), std::string::npos) << c.arguments << " gave \"" << problem << "\"";
  }
}

TEST(PgnWriterTest, TagsNumbersCommentsAndLines) {
  GameRecord game;
  game.White = "new \"x\"";
  game.Black = "old";
  game.StartFen = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 3 3";
  game.Round = 7;
  for (int i = 0; i < 30; i++) game.SanMoves.push_back(i % 2 ? "Nb1" : "Ng8");
  game.Result = GameResult::Draw;
  game.Reason = "draw {by} rule";
  game.Faults.push_back("old (Black): something");
  const std::string text = PgnWriter::Text(game, "test", "2026.12.11");
  EXPECT_NE(text.find("[White \"new \\\"x\\\"\"]\n"), std::string::npos) << text;
  EXPECT_NE(text.find("[SetUp \"1\"]\n[FEN \"" + game.StartFen + "\"]\n"), std::string::npos) << text;
  EXPECT_NE(text.find("[Result \"1/2-1/2\"]"), std::string::npos);
  EXPECT_NE(text.find("[PlyCount \"30\"]"), std::string::npos);
  EXPECT_NE(text.find("\n\n3... Ng8 4. Nb1 Ng8 5. Nb1"), std::string::npos) << text;
  EXPECT_NE(text.find("{draw |by| rule; fault: old (Black): something}"), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - 10), " 1/2-1/2\n\n");
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) EXPECT_LE(line.size(), 80u) << line;

  game.StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
  game.FromStandardStart = true;
  EXPECT_EQ(PgnWriter::Text(game, "test", "?").find("[FEN"), std::string::npos);
}

// The whole runner with the real engine: every game ends by a rule, no
// fault, two pairs scored, and the PGN holds all four games; pgn-extract,
// where it is installed, reads them without a complaint.
TEST(MatchTest, VornAgainstItselfAtFewNodes) {
  TempFile openings(
      "# two openings\n"
      "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - hmvc 2; fmvn 3;\n"
      "\n"
      "rnbqkb1r/pppppppp/5n2/8/3P4/8/PPP1PPPP/RNBQKBNR w KQkq - 1 2\n");
  TempFile pgn, output;
  MatchOptions options;
  ASSERT_EQ(options.Read(Split(std::string("--engine cmd=") + VORN_BINARY + " arg=-uci name=first option.Hash=8 " +
                               "--engine cmd=" + VORN_BINARY + " arg=-uci name=second option.Hash=8 " +
                               "--nodes 300 --concurrency 2 --openings " + openings.path + " --pgn " + pgn.path +
                               " --sprt elo0=0 elo1=5")),
            "");
  options.Pairs = 2;
  FILE* out = fopen(output.path.c_str(), "w");
  ASSERT_NE(out, nullptr);
  Match match(options, out);
  std::string problem;
  ASSERT_TRUE(match.Run(&problem)) << problem;
  fclose(out);
  const std::string printed = FileText(output.path);
  EXPECT_EQ(match.Faults(), 0) << printed;
  EXPECT_EQ(match.Wins() + match.Draws() + match.Losses(), 4) << printed;
  EXPECT_EQ(match.Test().Pairs(), 2) << printed;
  EXPECT_NE(printed.find("Finished: first vs second, games 4:"), std::string::npos) << printed;
  EXPECT_NE(printed.find("LLR "), std::string::npos) << printed;
  const std::string games = FileText(pgn.path);
  EXPECT_EQ(Count(games, "[Event "), 4u) << games;
  EXPECT_EQ(Count(games, "[White \"first\"]"), 2u);
  EXPECT_EQ(Count(games, "[Termination \"normal\"]"), 4u) << games;

  std::string tool;
  for (const char* p : {"/usr/games/pgn-extract", "/usr/bin/pgn-extract", "/usr/local/bin/pgn-extract"})
    if (access(p, X_OK) == 0) tool = p;
  if (tool.empty()) GTEST_SKIP() << "pgn-extract is not installed";
  TempFile back, errors;
  const std::string command = tool + " -s -o " + back.path + " " + pgn.path + " 2>" + errors.path;
  ASSERT_EQ(system(command.c_str()), 0) << FileText(errors.path);
  EXPECT_EQ(FileText(errors.path), "");
  EXPECT_EQ(Count(FileText(back.path), "[Event "), 4u);
}

TEST(MatchTest, NoMatchWithoutOpeningsAndEngines) {
  TempFile bad("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1\n8/8/8/8/8/8/8/8 w - - 0 1\n");
  TempFile empty("# nothing\n\n");
  const std::string fixture = FIXTURE_ENGINE;
  const struct {
    std::string engines;
    std::string path;
    std::string problem;
  } cases[] = {
      {"--engine cmd=/bin/false --engine cmd=/bin/false", bad.path, ":2: "},
      {"--engine cmd=/bin/false --engine cmd=/bin/false", empty.path, "no openings"},
      {"--engine cmd=/bin/false --engine cmd=/bin/false", "/tmp/vorn-games-no-such-file.epd", "cannot be read"},
      {"--engine cmd=" + fixture + " --engine cmd=/tmp/vorn-games-no-such-engine name=ghost", bad.path + "-x",
       "cannot be read"},
      {"--engine cmd=" + fixture + " --engine cmd=/tmp/vorn-games-no-such-engine name=ghost", "",
       "ghost (/tmp/vorn-games-no-such-engine) does not start: no uciok: the engine exited"},
      {"--engine cmd=" + fixture + " arg=--fault arg=nouciok name=mute --timeout 200 --engine cmd=" + fixture, "",
       "mute (" + fixture + ") does not start: no uciok: no answer within 200 ms"},
      {"--engine cmd=" + fixture + " --engine cmd=" + fixture + " --pgn /tmp/vorn-games-no-such-folder/x.pgn", "",
       "/tmp/vorn-games-no-such-folder/x.pgn: No such file or directory"},
  };
  for (const auto& c : cases) {
    MatchOptions options;
    ASSERT_EQ(options.Read(Split(c.engines + (c.path.empty() ? "" : " --openings " + c.path))), "");
    Match match(options, stdout);
    std::string problem;
    EXPECT_FALSE(match.Run(&problem)) << c.engines << " " << c.path;
    EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
  }
}

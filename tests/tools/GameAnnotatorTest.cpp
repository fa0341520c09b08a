// Games annotated through the built binary at a fixed depth: a known
// blunder gets "??" and the better move as a variation, the tags, moves and
// comments of the file come back intact (also through pgn-extract when it
// is installed), and bad input fails only when no game could be annotated.
// The marks and the evaluation text are checked in-process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "board/ChessBoard.h"
#include "board/Types.h"
#include "search/SearchLimits.h"
#include "search/SearchRoutines.h"
#include "support/EngineProcess.h"
#include "support/EngineSetup.h"
#include "tools/GameAnnotator.h"
#include "tools/PGNReader.h"

namespace {
const std::string Fixture = std::string(VORN_TEST_DATA) + "/blunders.pgn";

// A temporary file path that is removed with the object.
class TempPath {
 public:
  explicit TempPath(const std::string& text = "") {
    char name[] = "/tmp/vorn-annotate-XXXXXX";
    const int fd = mkstemp(name);
    path_ = name;
    if (write(fd, text.data(), text.size()) != (ssize_t)text.size()) path_.clear();
    close(fd);
  }
  ~TempPath() { unlink(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<PGNGame> ReadAll(const std::string& text) {
  std::vector<PGNGame> games;
  PGNReader reader(text);
  for (PGNGame g; reader.Next(&g);) games.push_back(g);
  return games;
}

// The games of `copy` have the tags, moves and results of `original`.
void ExpectSameGames(const std::string& original, const std::string& copy) {
  const std::vector<PGNGame> a = ReadAll(original), b = ReadAll(copy);
  ASSERT_EQ(a.size(), b.size()) << copy;
  for (size_t g = 0; g < a.size(); g++) {
    EXPECT_EQ(b[g].Error, "") << "game " << g + 1 << " line " << b[g].ErrorLine << "\n" << copy;
    ASSERT_EQ(a[g].Moves.size(), b[g].Moves.size()) << "game " << g + 1;
    for (size_t i = 0; i < a[g].Moves.size(); i++) {
      EXPECT_TRUE(a[g].Moves[i].Move.From == b[g].Moves[i].Move.From && a[g].Moves[i].Move.To == b[g].Moves[i].Move.To &&
                  a[g].Moves[i].Move.Promote == b[g].Moves[i].Move.Promote)
          << "game " << g + 1 << " move " << i + 1;
    }
    for (const auto& tag : a[g].Tags) {
      const std::string* kept = b[g].Tag(tag.first.c_str());
      ASSERT_NE(kept, nullptr) << tag.first;
      EXPECT_EQ(*kept, tag.second);
    }
    EXPECT_EQ(a[g].Result, b[g].Result) << "game " << g + 1;
  }
}

// The first move of the variation that follows `move` in the text.
std::string BetterMove(const std::string& text, const std::string& move) {
  const size_t at = text.find(move);
  if (at == std::string::npos) return "";
  const size_t open = text.find('(', at);
  if (open == std::string::npos) return "";
  std::istringstream words(text.substr(open + 1));
  std::string word;
  words >> word;
  if (word.find('.') != std::string::npos) words >> word;
  return word;
}

TEST(GameAnnotatorTest, MarksKnownBlundersAndGivesTheBetterMove) {
  TempPath out;
  const ProcessResult r = RunEngine({"-annotate", Fixture, "-fd", "4", "-o", out.path()}, "", 120000);
  ASSERT_EQ(r.exitCode, 0) << r.output;
  const std::string pgn = FileText(out.path());

  // Nf6 lets the queen mate at once; Qxe5+ gives the queen for a pawn.
  const struct {
    const char* marked;
    const char* played;
  } blunders[] = {{"3... Nf6?? {[%eval #1]", "Nf6"}, {"3. Qxe5+??", "Qxe5+"}};
  for (const auto& b : blunders) {
    EXPECT_NE(pgn.find(b.marked), std::string::npos) << b.marked << "\n" << pgn;
    const std::string better = BetterMove(pgn, b.marked);
    EXPECT_FALSE(better.empty()) << b.marked << "\n" << pgn;
    EXPECT_NE(better, b.played) << pgn;
  }
  // The mating move has no evaluation after it; every other move has one.
  EXPECT_NE(pgn.find("4. Qxf7# {Vorn, depth 4."), std::string::npos) << pgn;
  EXPECT_NE(pgn.find("{[%eval "), std::string::npos);
  // A single legal move loses nothing, and its evaluation is the search's
  // of the position after it, not of the one move searched alone.
  EXPECT_NE(pgn.find("1... Qf8 {[%eval #1]} 2. Rxf8#"), std::string::npos) << pgn;
  // A comment of several lines keeps them.
  EXPECT_NE(pgn.find(" a board of the program that played it:\n--------------\nr n b q k b n r\n--------------}"),
            std::string::npos)
      << pgn;
  // The original comment stays, its variation is the engine's now.
  EXPECT_NE(pgn.find("threatens mate}"), std::string::npos) << pgn;
  EXPECT_NE(pgn.find("Black: average loss "), std::string::npos) << pgn;
  EXPECT_NE(pgn.find("1 ??.} 1-0"), std::string::npos) << pgn;
  ExpectSameGames(FileText(Fixture), pgn);
}

TEST(GameAnnotatorTest, WritesToTheStandardOutputWithNothingBeforeTheGames) {
  const ProcessResult r = RunEngine({"-annotate", Fixture, "-fd", "2"}, "", 120000);
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output.rfind("[Event \"Blunders, game 1\"]\n", 0), 0u) << r.output;
  // The progress goes to the standard error, a line a game here.
  EXPECT_NE(r.output.find("annotated 3 of 3 games, 15 of 15 positions"), std::string::npos) << r.output;
}

// Other options are looked for in every argument by their text: a file
// name that holds one is still only the file's name.
TEST(GameAnnotatorTest, FileNamesThatLookLikeOptionsAreFileNames) {
  const std::string in = "/tmp/vorn-annotate-xboard-ts-st-sd.pgn", out = "/tmp/vorn-annotate-uci-sp-lpf.pgn";
  {
    std::ofstream f(in);
    f << FileText(Fixture);
  }
  const ProcessResult r = RunEngine({"-annotate", in, "-o", out, "-fd", "2"}, "", 120000);
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output.find("Illegal position"), std::string::npos) << r.output;
  ExpectSameGames(FileText(Fixture), FileText(out));
  unlink(in.c_str());
  unlink(out.c_str());
}

// What pgn-extract, a real PGN reader, makes of the output: no complaint,
// and the same games move for move.
TEST(GameAnnotatorTest, OutputReadsBackInPgnExtract) {
  const char* const places[] = {"/usr/games/pgn-extract", "/usr/bin/pgn-extract", "/usr/local/bin/pgn-extract"};
  std::string tool;
  for (const char* p : places) {
    if (access(p, X_OK) == 0) tool = p;
  }
  if (tool.empty()) GTEST_SKIP() << "pgn-extract is not installed";
  TempPath out, back, errors;
  const ProcessResult r = RunEngine({"-annotate", Fixture, "-fd", "3", "-o", out.path()}, "", 120000);
  ASSERT_EQ(r.exitCode, 0) << r.output;
  const std::string command = tool + " -s -o " + back.path() + " " + out.path() + " 2>" + errors.path();
  ASSERT_EQ(system(command.c_str()), 0) << FileText(errors.path());
  EXPECT_EQ(FileText(errors.path()), "");
  ExpectSameGames(FileText(Fixture), FileText(back.path()));
}

struct BadInput {
  const char* name;
  const char* text;  // nullptr: no such file
  int status;
  const char* message;
};

TEST(GameAnnotatorTest, BadInputFailsOnlyWhenNothingIsAnnotated) {
  const BadInput cases[] = {
      {"a missing file", nullptr, 1, "ERROR: cannot read /tmp/vorn-no-such-file.pgn: No such file or directory"},
      {"an empty file", "", 1, "holds no game"},
      {"no PGN", "Dear diary, today I played chess.\n", 1, "game 1 (line 1): \"Dear\" is no legal move"},
      {"binary junk", "\x7f" "ELF\x02\x01\x01", 1, "game 1 (line 1): unexpected byte 0x7f"},
      {"only an illegal game", "1. e4 e5 2. Ke3 *\n", 1, "game 1 (line 1): \"Ke3\" is no legal move; the game is skipped"},
      {"an illegal game and a good one", "1. e4 e5 2. Ke3 *\n\n[Event \"good\"]\n1. d4 *\n", 0,
       "game 1 (line 1): \"Ke3\" is no legal move; the game is skipped"},
  };
  for (const BadInput& c : cases) {
    TempPath in(c.text ? c.text : "");
    TempPath out;
    const std::string path = c.text ? in.path() : "/tmp/vorn-no-such-file.pgn";
    const ProcessResult r = RunEngine({"-annotate", path, "-fd", "2", "-o", out.path()}, "", 60000);
    EXPECT_EQ(r.exitCode, c.status) << c.name << "\n" << r.output;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << c.name << "\n" << r.output;
    if (c.status == 0) {
      EXPECT_NE(FileText(out.path()).find("[Event \"good\"]\n"), std::string::npos) << c.name;
    }
  }
}

// A rook against a bishop, both moves drawn (the fifty-move count is 89):
// the move played and the engine's better one are judged alike, whatever
// the table holds. The table keeps scores of positions that a search
// reached by longer paths, nearer the fifty-move draw: the move played,
// searched on the table the best move's search (or an earlier, deeper one)
// had filled, met them and came out a draw, while the best move kept its
// rook's worth: "Rg5??".
TEST(GameAnnotatorTest, ThePlayedMoveAndTheBestAreJudgedAlike) {
  const char* const fen = "8/8/3B4/4r3/8/5k2/7K/8 b - - 89 129";
  const struct {
    int earlierDepth;  // a search of the position before the annotation (0 none)
    int depth;         // the annotation's
  } cases[] = {{0, 9}, {10, 6}};
  for (const auto& c : cases) {
    RestoreStartUpState();
    PGNReader reader(std::string("[FEN \"") + fen + "\"]\n[SetUp \"1\"]\n\n129... Rg5 1/2-1/2\n");
    PGNGame game;
    ASSERT_TRUE(reader.Next(&game));
    ASSERT_EQ(game.Error, "");
    ASSERT_EQ(game.Moves.size(), 1u);
    if (c.earlierDepth > 0) {
      ChessBoard& b = LoadFen(fen);
      b.FiftyMoveCount = game.Start.FiftyMoveCount;
      Limits.FD = (u8)c.earlierDepth;
      Search.ProgressiveDeepening(b, (char)c.earlierDepth, &b.BestMoveFrom, &b.BestMoveTo, &b.BestMovePromote);
      Limits.FD = 0;
    }

    AnnotationSettings settings;
    settings.FixedDepth = c.depth;
    const std::vector<MoveAnalysis> analysis = GameAnnotator(settings).Analyse(game);
    ASSERT_EQ(analysis.size(), 1u);
    const MoveAnalysis& a = analysis[0];
    const std::string what = "earlier depth " + std::to_string(c.earlierDepth) + ", depth " +
                             std::to_string(c.depth) + ": best " + std::to_string(a.Best) + ", Rg5 " +
                             std::to_string(a.Played);
    EXPECT_EQ(a.Mark, MoveMark::None) << what;
    // Both keep the rook's worth that a search of this depth sees.
    EXPECT_GT(a.Played, 2000) << what;
    EXPECT_GT(a.Best, 2000) << what;
  }
}

// The lines "-multipv" asks the engine to show are no setting of the
// annotation: with three asked for, the games are judged as with one. (Each
// position's search kept three lines, which changed its scores; a search
// for time reported no depth of its own then, and the move played was
// judged at depth 1.)
TEST(GameAnnotatorTest, TheLinesShownDoNotChangeTheAnnotation) {
  std::vector<PGNGame> games = ReadAll(FileText(Fixture));
  ASSERT_FALSE(games.empty());
  AnnotationSettings settings;
  settings.FixedDepth = 6;
  const GameAnnotator annotator(settings);
  for (const PGNGame& game : games) {
    ASSERT_EQ(game.Error, "");
    RestoreStartUpState();
    const std::string one = annotator.Write(game, annotator.Analyse(game));
    RestoreStartUpState();
    Limits.MultiPV = 3;
    const std::string three = annotator.Write(game, annotator.Analyse(game));
    EXPECT_EQ(Limits.MultiPV, 3);
    EXPECT_EQ(three, one);
  }
}

TEST(GameAnnotatorTest, MarksFollowTheLossOnTheMoversScore) {
  const int M = MateScore;
  const struct {
    int best, played;
    MoveMark mark;
    int loss;
  } cases[] = {
      {300, 300, MoveMark::None, 0},         {300, -190, MoveMark::None, 49},
      {300, -200, MoveMark::Dubious, 50},    {300, -690, MoveMark::Dubious, 99},
      {300, -700, MoveMark::Mistake, 100},   {300, -1700, MoveMark::Blunder, 200},
      {-300, 500, MoveMark::None, 0},        // the move played found more
      {20000, 11000, MoveMark::None, 0},     // still won by more than ten pawns
      {M - 5, 20000, MoveMark::Blunder, 0},  // a mate given away
      {M - 5, M - 9, MoveMark::None, 0},     // a longer mate is still a mate
      {-500, -(M - 2), MoveMark::Blunder, 950},  // walking into a mate
      {-(M - 8), -(M - 2), MoveMark::None, 0},   // mated either way
  };
  for (const auto& c : cases) {
    int loss = -1;
    EXPECT_EQ(GameAnnotator::Judge(c.best, c.played, &loss), c.mark) << c.best << " " << c.played;
    EXPECT_EQ(loss, c.loss) << c.best << " " << c.played;
  }
}

// The move's own search against the next position's: a mate that only the
// second found counts, for the mover or against.
TEST(GameAnnotatorTest, AMateFoundAfterTheMoveCounts) {
  const int M = MateScore;
  const struct {
    int played, nextBest, expected;
  } cases[] = {
      {250, -400, 250},             // no mate: the move's own search
      {250, -(M - 4), M - 5},       // the reply is mated in 2: the move mates in 3
      {250, M - 3, -(M - 4)},       // the reply mates in 2: the move is mated in 2
      {M - 7, -(M - 2), M - 7},     // a mate either way: the move's own
      {-(M - 6), M - 1, -(M - 6)},  // mated either way
      {250, StalemateScore, 250},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GameAnnotator::CrossChecked(c.played, c.nextBest), c.expected) << c.played << " " << c.nextBest;
  }
}

TEST(GameAnnotatorTest, EvaluationsAreWhitesViewInPawnsOrMovesToMate) {
  const int M = MateScore;
  const struct {
    int score;
    char side;
    const char* text;
  } cases[] = {
      {350, 0, "0.35"},   {350, 1, "-0.35"},  {-1200, 0, "-1.20"}, {-1200, 1, "1.20"},
      {5, 0, "0.00"},     {-5, 1, "0.00"},    {M - 5, 0, "#3"},    {M - 5, 1, "#-3"},
      {-(M - 4), 0, "#-2"}, {-(M - 4), 1, "#2"}, {M - 1, 0, "#1"},  {StalemateScore, 1, "0.00"},
  };
  for (const auto& c : cases) EXPECT_EQ(GameAnnotator::EvalText(c.score, c.side), c.text) << c.score;
}
}  // namespace

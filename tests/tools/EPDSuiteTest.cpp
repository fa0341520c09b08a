// EPD suites through the built binary: searched at a fixed depth (3 by
// default) or for a time a position and scored against bm and am,
// evaluated term by term, or in mimic-student mode; the tools start at once
// without reading any input; an unreadable file ends the program with
// status 1. The operations of a line are read in-process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "support/EngineProcess.h"
#include "tools/EPDSuite.h"

namespace {
// A suite file that removes itself.
class SuiteFile {
 public:
  explicit SuiteFile(const std::string& text) {
    char name[] = "/tmp/vorn-suite-XXXXXX";
    int fd = mkstemp(name);
    path_ = name;
    ssize_t n = write(fd, text.data(), text.size());
    (void)n;
    close(fd);
  }
  ~SuiteFile() { unlink(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const char* const TwoMates =
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - bm Rd8#; id \"mate in 1\";\n"
    "r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - bm Nf6+; id \"mate in 2\";\n";

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
  return n;
}

// The line that starts with `start`, without its end; empty when none does.
std::string LineStarting(const std::string& text, const std::string& start) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(start, 0) == 0) return line;
  }
  return "";
}

// The clock's figures of a scoring or summary line taken out.
std::string WithoutTime(std::string line) {
  const size_t at = line.find(", time ");
  const size_t end = line.find(" s, nodes", at);
  if (at != std::string::npos && end != std::string::npos) line.replace(at, end - at, ", time T");
  return line;
}

TEST(EPDSuiteTest, SearchesEachPositionAtDepthThreeAndScoresIt) {
  SuiteFile suite(TwoMates);
  ProcessResult r = RunEngine({"-ts", suite.path()}, "", 60000);
  EXPECT_EQ(r.exitCode, 0);
  const std::string& out = r.output;
  EXPECT_NE(out.find("## file opened " + suite.path() + "\n## Entering ParseEPDSuite and Opened data file\n"),
            std::string::npos)
      << out;
  // Each board shown is followed by its evaluation line, the position by
  // the design's result line and then by the scoring line.
  EXPECT_EQ(Count(out, "   A B C D E F G H\n\n PosEval from White view "), 2u) << out;
  EXPECT_NE(out.find("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - bm Rd8#; id \"mate in 1\";\n3 109999    d1d8 \nmate in 1: "),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("\n3 109997    d5f6 g7f6 c4f7 \nmate in 2: "), std::string::npos) << out;
  EXPECT_EQ(WithoutTime(LineStarting(out, "mate in 1: "))
                .rfind("mate in 1: solved, played Rd8# (d1d8), bm Rd8#, depth 1, time T s, nodes ", 0),
            0u)
      << out;
  EXPECT_EQ(WithoutTime(LineStarting(out, "mate in 2: "))
                .rfind("mate in 2: solved, played Nf6+ (d5f6), bm Nf6+, depth 3, time T s, nodes ", 0),
            0u)
      << out;
  // The count of positions, then the score.
  EXPECT_NE(out.find("\n2\nsolved 2 of 2, time "), std::string::npos) << out;
  EXPECT_EQ(out.find("not solved"), std::string::npos) << out;
  EXPECT_EQ(out.find("Bye"), std::string::npos) << out;
}

TEST(EPDSuiteTest, KeysThatSolveFailOrCannotBeRead) {
  SuiteFile suite(
      // Avoiding a move: solved when another is played.
      "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - am Rd7; id \"avoid\";\n"
      "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - am Rd8#; id \"avoided\";\n"
      // Any of several best moves solves it.
      "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - bm Kf1 Rd8#; id \"either\";\n"
      "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - bm Kf1; id \"missed\";\n"
      // A key that is no legal move, or fits two, is no key.
      "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - bm Rd9; id \"typo\";\n"
      "4k3/8/8/8/8/8/8/1N1K1N2 w - - bm Nd2; id \"ambiguous\";\n"
      "4k3/8/8/8/8/8/8/1N1K1N2 w - - id \"no key\";\n"
      // A line that is no position is reported and skipped.
      "8/8/8/8/8/8/8/8 w - - bm e4;\n");
  ProcessResult r = RunEngine({"-ts", suite.path(), "-fd", "2"}, "", 60000);
  EXPECT_EQ(r.exitCode, 0);
  const std::string& out = r.output;
  const struct {
    const char* label;
    const char* start;
  } cases[] = {
      {"avoid", "avoid: solved, played Rd8# (d1d8), am Rd7, depth 1, "},
      {"avoided", "avoided: not solved, played Rd8# (d1d8), am Rd8#, depth 1, "},
      {"either", "either: solved, played Rd8# (d1d8), bm Kf1 Rd8#, depth 1, "},
      {"missed", "missed: not solved, played Rd8# (d1d8), bm Kf1, depth 1, "},
      {"typo", "typo: played Rd8# (d1d8), bm Rd9, not scored (Rd9 is no legal move), depth 1, "},
      {"ambiguous", "ambiguous: played "},
      {"no key", "no key: played "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LineStarting(out, std::string(c.label) + ": ").rfind(c.start, 0), 0u) << c.label << "\n" << out;
  }
  EXPECT_NE(LineStarting(out, "ambiguous: ").find(", bm Nd2, not scored (Nd2 is ambiguous), "), std::string::npos);
  EXPECT_NE(LineStarting(out, "no key: ").find(", not scored (no bm or am), "), std::string::npos);
  EXPECT_NE(out.find("Illegal position (not exactly one king of each colour), skipped: 8/8/8/8/8/8/8/8 w - - bm e4;\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("\n7\nnot solved: avoided missed\nsolved 2 of 4, time "), std::string::npos) << out;
}

// The sample of Win at Chess the README points to: every key reads.
TEST(EPDSuiteTest, SampleSuiteIsScoredWhole) {
  ProcessResult r = RunEngine({"-ts", std::string(VORN_TEST_DATA) + "/wac-sample.epd", "-fd", "1"}, "", 60000);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(Count(r.output, "not scored"), 0u) << r.output;
  EXPECT_NE(r.output.find("\n10\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find(" of 10, time "), std::string::npos) << r.output;
}

TEST(EPDSuiteTest, FixedDepthFromTheCommandLine) {
  SuiteFile suite(TwoMates);
  ProcessResult r = RunEngine({"-fd", "2", "-ts", suite.path()}, "", 60000);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.output.find("\n2 109999    d1d8 \n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("\n2 109997    d5f6 g7f6 c4f7 \n"), std::string::npos) << r.output;
}

// A time a position instead of a depth: the result line and the scoring
// line show the depth the search completed, whatever the clock allowed.
TEST(EPDSuiteTest, TimeAPosition) {
  SuiteFile suite(
      "r1bq2rk/pp3pbp/2p1p1pQ/7P/3P4/2PB1N2/PP3PPR/2KR4 w - - bm Qxh7+; id \"WAC.004\";\n"
      "7k/p7/1R5K/6r1/6p1/6P1/8/8 w - - bm Rb7; id \"WAC.006\";\n");
  ProcessResult r = RunEngine({"-ts", suite.path(), "-st", "0.2"}, "", 60000);
  EXPECT_EQ(r.exitCode, 0);
  for (const char* id : {"WAC.004", "WAC.006"}) {
    const std::string line = LineStarting(r.output, std::string(id) + ": solved, ");
    ASSERT_FALSE(line.empty()) << r.output;
    const size_t at = line.find(", depth ");
    ASSERT_NE(at, std::string::npos) << line;
    const int depth = atoi(line.c_str() + at + 8);
    EXPECT_GE(depth, 1) << line;
    // The design's result line before it starts with the same depth.
    EXPECT_NE(r.output.find("\n" + std::to_string(depth) + " ", r.output.find(std::string("id \"") + id)),
              std::string::npos)
        << r.output;
  }
  EXPECT_NE(r.output.find("\n2\nsolved 2 of 2, time "), std::string::npos) << r.output;
}

TEST(EPDSuiteTest, EvaluationByTerm) {
  SuiteFile suite(std::string(TwoMates) + "\n8/8/3k4/8/8/2B5/8/4K1n1 b - -\n");
  ProcessResult pev = RunEngine({"-pev", suite.path()}, "", 60000);
  EXPECT_EQ(pev.exitCode, 0);
  const std::string& out = pev.output;
  EXPECT_EQ(Count(out, "\n1  "), 3u) << out;  // the boards' first ranks
  // The detail takes the place of the evaluation line after the board.
  EXPECT_EQ(Count(out, "PosEval from White view"), 0u) << out;
  EXPECT_EQ(out.find("109999"), std::string::npos);
  EXPECT_EQ(Count(out, "\nPhase "), 2u) << out;
  EXPECT_EQ(Count(out, "\nPawnless ending: "), 1u) << out;
  for (const char* row :
       {"Term                            White    Black    Total\n", "\nMaterial  ", "\nPawn structure  ",
        "\nPassed pawns  ", "\nKnights  ", "\nBishops  ", "\nRooks  ", "\nQueens  ", "\nRooks and queens on the 7th  ",
        "\nTrapped pieces  ", "\nCentre control  ", "\nUndefended men  ", "\nKing placement  ", "\nKing safety  ",
        "\nWinning chances  ", "\nOpposite-coloured bishops  ", "\nRounding  ", "\nTotal, White's view  "}) {
    EXPECT_EQ(Count(out, row), 3u) << row << "\n" << out;
  }
  EXPECT_EQ(Count(out, "\nPosEval, White to move "), 2u) << out;
  EXPECT_EQ(Count(out, "\nPosEval, Black to move "), 1u) << out;
  EXPECT_EQ(out.find("ERROR"), std::string::npos) << out;
  EXPECT_EQ(out.substr(out.size() - 2), "3\n");  // the blank line is no position
}

TEST(EPDSuiteTest, MimicStudentShowsNothing) {
  SuiteFile suite(TwoMates);
  ProcessResult mimic = RunEngine({"-mimicstudent", suite.path()}, "", 60000);
  EXPECT_EQ(mimic.exitCode, 0);
  EXPECT_NE(mimic.output.find("## Mimic Student option detected \n"), std::string::npos);
  EXPECT_NE(mimic.output.find("## Mimic == STUDENT\n"), std::string::npos);
  EXPECT_NE(mimic.output.find("In ParseEPDSuite and Mimic == STUDENT \n"), std::string::npos);
  EXPECT_EQ(Count(mimic.output, "A B C D E F G H"), 0u) << mimic.output;
  EXPECT_EQ(mimic.output.substr(mimic.output.size() - 2), "2\n");
}

// The tools read no first word: they run with standard input open and
// silent, as from a script or a terminal, and with no input at all.
TEST(EPDSuiteTest, ToolsStartAtOnce) {
  SuiteFile suite(TwoMates);
  for (const char* tool : {"-ts", "-pev", "-mimicstudent"}) {
    EngineProcess engine({tool, suite.path(), "-fd", "2"});
    EXPECT_EQ(engine.Wait(30000), 0) << tool << "\n" << engine.Output();
    const std::string end = tool == std::string("-ts") ? "\n2\nsolved 2 of 2, " : "\n2\n";
    EXPECT_NE(engine.Output().find(end), std::string::npos) << tool << "\n" << engine.Output();
    EXPECT_EQ(engine.Output().find("Bye"), std::string::npos) << tool;
  }
}

TEST(EPDSuiteTest, UnreadableFileEndsWithStatusOne) {
  for (const char* tool : {"-ts", "-pev", "-mimicstudent"}) {
    ProcessResult r = RunEngine({tool, "/nonexistent/suite.epd"}, "", 30000);
    EXPECT_EQ(r.exitCode, 1) << tool;
    EXPECT_NE(r.output.find("ERROR: opening file /nonexistent/suite.epd\n"), std::string::npos) << r.output;
    // A folder opens but cannot be read: no suite of no positions.
    r = RunEngine({tool, "/tmp"}, "", 30000);
    EXPECT_EQ(r.exitCode, 1) << tool << "\n" << r.output;
    EXPECT_NE(r.output.find("ERROR: reading file /tmp\n"), std::string::npos) << r.output;
  }
  // No file named: the command line is refused before the suite would run.
  ProcessResult r = RunEngine({"-mimicstudent"}, "", 30000);
  EXPECT_EQ(r.exitCode, 2) << r.output;
  EXPECT_NE(r.output.find("-mimicstudent needs a file (vorn -help lists the options)\n"), std::string::npos)
      << r.output;
}

// Every line is read whole and either used or reported: a NUL byte before a
// line's end takes no other line with it, and a long line is not cut.
TEST(EPDSuiteTest, NoLineIsLostWithoutAMessage) {
  std::string text;
  for (int i = 1; i <= 6; i++) {
    text += "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - bm Rd8#; id \"mate " + std::to_string(i) + "\";";
    if (i % 2 == 1) text += '\0';
    text += "\n";
  }
  text += "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - bm Rd8#; id \"long\"; c0 \"" + std::string(3000, 'x') + "\";\n";
  text += "rnbqkbnr/pppppppp/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - bm e4;\n";
  SuiteFile suite(text);
  for (const char* tool : {"-ts", "-pev"}) {
    ProcessResult r = RunEngine({tool, suite.path(), "-fd", "1"}, "", 60000);
    EXPECT_EQ(r.exitCode, 0) << tool;
    EXPECT_EQ(Count(r.output, "Illegal position (a NUL byte in the line), skipped: 6k1/5ppp/"), 3u) << tool << r.output;
    EXPECT_EQ(Count(r.output, "Illegal position (the placement has 7 ranks, not 8), skipped: rnbqkbnr/"), 1u)
        << tool << r.output;
    EXPECT_NE(r.output.find("\n4\n"), std::string::npos) << tool << r.output;  // mates 2, 4 and 6 and the long line
    if (std::string(tool) != "-ts") continue;
    for (const char* label : {"mate 2: solved", "mate 4: solved", "mate 6: solved", "long: solved"})
      EXPECT_NE(r.output.find(label), std::string::npos) << label << "\n" << r.output;
  }
}

TEST(EPDSuiteTest, OperationsOfALine) {
  const struct {
    const char* line;
    std::vector<std::string> best, avoid;
    const char* id;
  } cases[] = {
      {"2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - - bm Qg6; id \"WAC.001\";", {"Qg6"}, {}, "WAC.001"},
      {"4k3/8/8/8/8/8/8/4K3 w - - bm Qxh7+ Qg6!; am Rb1;id \"a; b\";", {"Qxh7+", "Qg6!"}, {"Rb1"}, "a; b"},
      {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1 bm e4;", {"e4"}, {}, ""},  // a FEN's counters
      {"4k3/8/8/8/8/8/4P3/4K3 w - bm e4;", {"e4"}, {}, ""},        // no en-passant field
      {"4k3/8/8/8/3Pp3/8/8/4K3 b - d3 bm exd3; c0 \"bm Kd7\";", {"exd3"}, {}, ""},
      {"4k3/8/8/8/8/8/8/4K3 w - -", {}, {}, ""},
      {"4k3/8/8/8/8/8/8/4K3 w - - bm e4 am d4", {"e4", "am", "d4"}, {}, ""},  // no ";": one operation
  };
  for (const auto& c : cases) {
    const EPDOperations ops = ReadEPDOperations(c.line);
    EXPECT_EQ(ops.BestMoves, c.best) << c.line;
    EXPECT_EQ(ops.AvoidMoves, c.avoid) << c.line;
    EXPECT_EQ(ops.Id, c.id) << c.line;
  }
}
}  // namespace

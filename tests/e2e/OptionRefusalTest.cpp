// Bad values of options, commands and flags as GUIs, people and scripts
// give them: each is answered with exactly one line in its protocol's form
// ("info string" under UCI, "Error (...)" under xboard and at the console),
// the setting keeps its value, and a command line that cannot be run ends
// before anything starts with one line and a hint.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "e2e/ProtocolSession.h"

namespace {
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Lines that answer a setting: refusals, and values held to their range.
bool SaysSomethingAboutASetting(const std::string& line) {
  return line.rfind("info string", 0) == 0 || line.rfind("Error (", 0) == 0 ||
         line.find("out of range") != std::string::npos || line.find("needs") != std::string::npos;
}

TEST(OptionRefusalTest, EveryBadValueIsAnsweredWithOneLineInItsProtocolsForm) {
  const char* const uci = "uci\n";
  const char* const xboard = "xboard\nprotover 2\n";
  const char* const console = "hello\n";
  const struct {
    const char* start;  // the first lines, which pick the protocol
    const char* bad;    // the line with the bad value
    const char* said;   // the one line that answers it
  } cases[] = {
      // UCI: check options take exactly true or false.
      {uci, "setoption name UCI_Chess960 value yes", "info string UCI_Chess960 needs true or false"},
      {uci, "setoption name UCI_Chess960 value 1", "info string UCI_Chess960 needs true or false"},
      {uci, "setoption name OwnBook value maybe", "info string OwnBook needs true or false"},
      {uci, "setoption name Ponder value TRUE", "info string Ponder needs true or false"},
      {uci, "setoption name BookBestMove value", "info string BookBestMove needs true or false"},
      {uci, "setoption name UCI_AnalyseMode value on", "info string UCI_AnalyseMode needs true or false"},
      {uci, "setoption name UCI_ShowCurrLine value no", "info string UCI_ShowCurrLine needs true or false"},
      {uci, "setoption name SecondaryBook value 0", "info string SecondaryBook needs true or false"},
      {uci, "setoption name UCI_LimitStrength value maybe", "info string UCI_LimitStrength needs true or false"},
      {uci, "setoption name Classic value 1", "info string Classic needs true or false"},
      {uci, "setoption name Classic value", "info string Classic needs true or false"},
      // Spin options: a number, held to the range with a line.
      {uci, "setoption name BookDepth value 0", "info string BookDepth 0 is out of range: 1"},
      {uci, "setoption name BookDepth value 500", "info string BookDepth 500 is out of range: 100"},
      {uci, "setoption name BookDepth value ten", "info string BookDepth needs a number of moves"},
      {uci, "setoption name Threads value 2x", "info string Threads needs a number"},
      {uci, "setoption name MultiPV value", "info string MultiPV needs a number"},
      {uci, "setoption name Hash value big", "info string Hash needs a number of megabytes"},
      // Unknown names, a name with blanks among them, and no name at all.
      {uci, "setoption name Contempt value 10", "info string Unknown option: Contempt"},
      {uci, "setoption name No Such Thing value 10", "info string Unknown option: No Such Thing"},
      {uci, "setoption", "info string setoption needs an option name"},
      {uci, "setoption name UCI_EngineAbout value a new text", "info string UCI_EngineAbout cannot be set"},
      // xboard: -check options are 0 or 1, -spin options numbers.
      {xboard, "option OwnBook=maybe", "Error (OwnBook needs 0 or 1): OwnBook=maybe"},
      {xboard, "option BookBestMove=true", "Error (BookBestMove needs 0 or 1): BookBestMove=true"},
      {xboard, "option Classic=true", "Error (Classic needs 0 or 1): Classic=true"},
      {console, "option Classic=on", "Error (Classic needs 0 or 1): Classic=on"},
      {xboard, "option OwnBook", "Error (OwnBook needs 0 or 1): OwnBook"},
      {xboard, "option BookDepth=0", "BookDepth 0 is out of range: 1"},
      {xboard, "option BookDepth=500", "BookDepth 500 is out of range: 100"},
      {xboard, "option BookDepth=deep", "Error (BookDepth needs a number): BookDepth=deep"},
      {xboard, "option MultiPV=3x", "Error (MultiPV needs a number): MultiPV=3x"},
      {xboard, "option BookFile", "Error (BookFile needs a file name): BookFile"},
      {xboard, "option Contempt=10", "Error (unknown option): Contempt=10"},
      // Commands: a number that is missing or no number.
      {xboard, "cores", "Error (missing argument): cores"},
      {xboard, "cores many", "Error (cores needs a number): many"},
      {xboard, "st soon", "Error (st needs a number): soon"},
      {xboard, "memory 0", "Error (memory needs a number from 1): 0"},
      {console, "cores", "Error (missing argument): cores"},
      {console, "sd deep", "Error (sd needs a number): deep"},
  };
  for (const auto& c : cases) {
    const std::string input = std::string(c.start) + c.bad + "\nquit\n";
    const ProcessResult r = RunEngine({}, input, 20000);
    EXPECT_EQ(r.exitCode, 0) << c.bad;
    int said = 0, answers = 0;
    for (const std::string& line : Lines(r.output)) {
      said += line == c.said;
      answers += SaysSomethingAboutASetting(line);
    }
    EXPECT_EQ(said, 1) << c.bad << "\n" << r.output;
    EXPECT_EQ(answers, 1) << c.bad << "\n" << r.output;
  }
}

// A refused value leaves the setting as it was: Chess960 stays on (the
// position's castling rights are written by file), the book stays on.
TEST(OptionRefusalTest, ARefusedValueKeepsTheSettingItHad) {
  for (const char* bad : {"yes", "1", "TRUE", "false "}) {
    const std::string input = std::string("uci\nsetoption name UCI_Chess960 value true\n") +
                              "setoption name UCI_Chess960 value " + bad + "\nposition startpos\nd\nquit\n";
    const ProcessResult r = RunEngine({}, input, 20000);
    // "false " loses its blank on the way and is a good value.
    const bool kept = std::string(bad) != "false ";
    EXPECT_EQ(r.output.find(" HAha ") != std::string::npos, kept) << bad << "\n" << r.output;
  }
  const ProcessResult r =
      RunEngine({}, "xboard\nprotover 2\noption OwnBook=1\noption OwnBook=maybe\nbook\nquit\n", 20000);
  EXPECT_NE(r.output.find("\nbook on"), std::string::npos) << r.output;
}

// Option names hold blanks, and UCI reads them in any case; "Clear Hash"
// is a button and wants no value.
TEST(OptionRefusalTest, OptionNamesWithBlanksAndInAnyCaseAreFound) {
  const ProcessResult r = RunEngine({},
                                    "uci\nsetoption name clear hash\nsetoption name THREADS value 1\n"
                                    "setoption name uci_chess960 value false\nsetoption name CLASSIC value false\n"
                                    "isready\nquit\n",
                                    20000);
  EXPECT_EQ(r.output.find("info string"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("readyok"), std::string::npos) << r.output;
}

// The command line: an argument that is no option, an option without its
// value or with one of the wrong kind ends the program at once with status
// 2 and one line (with a hint where the options are listed), before it
// reads anything; a number out of range is held to it with a note, said in
// the form of the protocol once the protocol is known.
TEST(OptionRefusalTest, CommandLineRefusalsEndTheProgramBeforeItStarts) {
  const std::string hint = " (vorn -help lists the options)";
  const struct {
    std::vector<std::string> args;
    std::string said;
  } cases[] = {
      {{"-bogusflag"}, "unknown option: -bogusflag"},
      {{"uci"}, "unknown option: uci"},
      {{""}, "unknown option: \"\""},
      {{"-perft", "-fd", "3", "extra"}, "unknown option: extra"},
      {{"-elo", "abc"}, "-elo needs a number or off: abc"},
      {{"-elo"}, "-elo needs a number or off"},
      {{"-fd", "abc"}, "-fd needs a number from 0: abc"},
      {{"-fd", "-h"}, "-fd needs a number from 0: -h"},  // no help: the line is refused
      {{"-perft", "-fd"}, "-fd needs a number"},
      {{"-sd", "-2"}, "-sd needs a number from 0: -2"},
      {{"-st", "x"}, "-st needs a number of seconds: x"},
      {{"-threads", "two"}, "-threads needs a number: two"},
      {{"-multipv", "1.5"}, "-multipv needs a number: 1.5"},
      {{"-seed", "-1"}, "-seed needs a number from 0: -1"},
      {{"-book"}, "-book needs a file"},
      {{"-lpf"}, "-lpf needs a file"},
      {{"-ts"}, "-ts needs a file"},
  };
  for (const auto& c : cases) {
    // Input that would start a game: none of it may be read.
    const ProcessResult r = RunEngine(c.args, "xboard\nnew\ngo\nquit\n", 20000);
    const std::string shown = c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : "");
    EXPECT_EQ(r.exitCode, 2) << shown;
    EXPECT_EQ(r.output, "Vorn \n" + c.said + hint + "\n") << shown;
  }
  // Annotated games may go to the standard output: no banner then, and
  // the refusal goes to the standard error (which the test reads too).
  const ProcessResult annotate = RunEngine({"-annotate", "games.pgn", "-st", "never"}, "", 20000);
  EXPECT_EQ(annotate.exitCode, 2);
  EXPECT_EQ(annotate.output, "-st needs a number of seconds: never" + hint + "\n");
}

TEST(OptionRefusalTest, CommandLineNotesComeInTheFormOfTheProtocol) {
  const struct {
    const char* input;
    const char* said;
  } cases[] = {
      {"uci\nisready\nquit\n", "info string -elo 0 is out of range: 1350"},
      {"xboard\nprotover 2\nping 1\nquit\n", "-elo 0 is out of range: 1350"},
      {"hello\nquit\n", "-elo 0 is out of range: 1350"},
  };
  for (const auto& c : cases) {
    const ProcessResult r = RunEngine({"-elo", "0"}, c.input, 20000);
    EXPECT_EQ(r.exitCode, 0) << c.input;
    int said = 0, answers = 0;
    for (const std::string& line : Lines(r.output)) {
      said += line == c.said;
      answers += line.find("-elo") != std::string::npos;
    }
    EXPECT_EQ(said, 1) << c.input << "\n" << r.output;
    EXPECT_EQ(answers, 1) << c.input << "\n" << r.output;
  }
  // With "-uci" the protocol is known from the line itself, and the first
  // line is a command like any other, read whole.
  ProcessResult r = RunEngine({"-threads", "0", "-uci"}, "uci\nquit\n", 20000);
  EXPECT_NE(r.output.find("\ninfo string -threads 0 is out of range: 1 threads\n"), std::string::npos) << r.output;
  r = RunEngine({"-uci"}, "setoption name MultiPV value 0\nisready\nquit\n", 20000);
  EXPECT_EQ(r.output, "Vorn \ninfo string MultiPV 0 is out of range: 1 lines\nreadyok\n") << r.output;
  r = RunEngine({"-uci"}, "\n", 20000);  // the end of input before a command
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.output, "Vorn \nBye, Thanks for the match.\n");
}
}  // namespace

// The command line, read in-process (each argument against every option in
// turn; an option's value is tested against the options after it) and
// end to end through the built binary: position files that are missing,
// unreadable, empty or not positions at all, perft from a file, options
// missing their value, the help text, and the wait for the first word.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <list>
#include <regex>
#include <string>
#include <vector>

#include "board/ChessBoard.h"
#include "board/PositionText.h"
#include "engine/CommandLine.h"
#include "engine/Status.h"
#include "movegen/EngineSet.h"
#include "support/BookFile.h"
#include "support/EngineProcess.h"
#include "support/EngineSetup.h"
#include "search/SearchLimits.h"
#include "search/TimeControl.h"

namespace {
// Files under one temporary folder, removed afterwards.
class TempFiles {
 public:
  TempFiles() {
    // No dash in the path: options such as "-st" match anywhere inside an
    // argument, and after "-lpf" they are tested against the file's path.
    char pattern[] = "/tmp/vorn_cmdline_XXXXXX";
    dir_ = mkdtemp(pattern) ? pattern : "/tmp";
  }
  ~TempFiles() {
    for (const std::string& f : files_) std::remove(f.c_str());
    rmdir(dir_.c_str());
  }
  std::string Write(const std::string& name, const std::string& text) {
    std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    files_.push_back(path);
    return path;
  }
  std::string Dir() const { return dir_; }

 private:
  std::string dir_;
  std::vector<std::string> files_;
};

// Reads arguments into the globals and restores them afterwards.
class CommandLineTest : public testing::Test {
 protected:
  void SetUp() override {
    EnsureEngineInitialised();
    savedStatus_ = MainStatus;
    savedBoard_ = MainBoard;
    MainBoard.InitRep();
    MainStatus.initVars();
  }
  void TearDown() override {
    MainStatus = savedStatus_;
    MainBoard = savedBoard_;
  }
  // Reads the line; `runs` tells whether it was accepted.
  CommandLine Read(std::vector<std::string> args, bool* runs = nullptr) {
    args.insert(args.begin(), "vorn");
    // The line keeps a pointer into its arguments (the suite file), so they
    // live as long as the test does.
    kept_.push_back(std::move(args));
    std::vector<char*> argv;
    for (std::string& a : kept_.back()) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    CommandLine line;
    const bool accepted = line.Read((int)argv.size() - 1, argv.data());
    if (runs) *runs = accepted;
    return line;
  }

 private:
  Status savedStatus_;
  ChessBoard savedBoard_;
  std::list<std::vector<std::string>> kept_;
};

// A refused line (a value that is no depth, or none) leaves the depths as
// they were; the program does not start from it.
TEST_F(CommandLineTest, DepthOptionsInEitherOrder) {
  const struct {
    std::vector<std::string> args;
    int maxDepth;
    int fd;
    bool runs;
  } cases[] = {
      {{"-sd", "7", "-fd", "5"}, 5, 5, true},
      {{"-fd", "5", "-sd", "7"}, 7, 5, true},
      {{"-sd", "12"}, 12, 0, true},
      {{"-fd", "abc"}, 56, 0, false},
      {{"-fd", "-4"}, 56, 0, false},
      {{"-fd"}, 56, 0, false},
      {{"-sd"}, 56, 0, false},
      {{"-fd", "5", "-sd"}, 5, 5, false},
  };
  for (const auto& c : cases) {
    MainBoard.MaxDepth = 56;
    Limits.FD = 0;
    bool runs = false;
    Read(c.args, &runs);
    std::string shown;
    for (const std::string& a : c.args) shown += a + " ";
    EXPECT_EQ(runs, c.runs) << shown;
    EXPECT_EQ(MainBoard.MaxDepth, c.maxDepth) << shown;
    EXPECT_EQ((char)Limits.FD, c.fd) << shown;
  }
}

TEST_F(CommandLineTest, SwitchesAndTheirMatchingRules) {
  const struct {
    std::vector<std::string> args;
    const u8* field;
    int expected;
    bool runs = true;
  } cases[] = {
      {{"-perft"}, &MainStatus.PERFT, 1},
      {{"-perftx"}, &MainStatus.PERFT, 0, false},  // exact match only: no option
      {{"-bench"}, &MainStatus.BenchNumber, 1},
      {{"-bench3"}, &MainStatus.BenchNumber, 3},
      {{"-bench4"}, &MainStatus.BenchNumber, 0},  // accepted for old scripts
      {{"-HPC"}, &MainStatus.BenchNumber, 0},
      {{"-bench6"}, &MainStatus.BenchNumber, 0, false},
      {{"-satrain"}, &MainStatus.SATrain, 1},
      {{"-kibitz"}, &MainStatus.Kibitz, 1},
      {{"x-kibitzx"}, &MainStatus.Kibitz, 1},  // "contains" options
      {{"-nobook"}, &Limits.OwnBook, 0},
      {{"-post"}, &MainStatus.Post, 1},
      {{"-sp"}, &MainStatus.SelfPlay, 1},
      {{"-trace"}, &Limits.Trace, 1},
      {{"xboard"}, &MainStatus.xboard, 1},
      {{"-uci"}, &MainStatus.UCIMode, 1},
      {{"-ts"}, &MainStatus.DoTestSuite, 0, false},
      {{"-ts", "suite.epd"}, &MainStatus.DoTestSuite, 1},
      {{"-pev"}, &MainStatus.PEV, 1, false},
      // An option's value is tested against the options after it; a value
      // refused is not.
      {{"-ts", "-uci"}, &MainStatus.UCIMode, 1},
      {{"-fd", "-perft"}, &MainStatus.PERFT, 0, false},
      {{"-unknown", "value"}, &MainStatus.PERFT, 0, false},
      {{"-perft", "-unknown"}, &MainStatus.PERFT, 1, false},
  };
  for (const auto& c : cases) {
    MainStatus.initVars();
    MainStatus.Kibitz = 0;
    MainStatus.xboard = 0;
    MainStatus.UCIMode = 0;
    bool runs = false;
    Read(c.args, &runs);
    EXPECT_EQ(*c.field, c.expected) << c.args[0];
    EXPECT_EQ(runs, c.runs) << c.args[0];
  }
}

// "-classic" stands anywhere and changes nothing else the line asks for; it
// is matched whole, and a value it stands in for is no option.
TEST_F(CommandLineTest, ClassicStandsAnywhereOnTheLine) {
  const struct {
    std::vector<std::string> args;
    bool classic;
    bool runs;
    u8 Status::*mode;  // a mode the rest of the line sets, or nullptr
  } cases[] = {
      {{"-classic"}, true, true, nullptr},
      {{"-classic", "-bench", "-fd", "3"}, true, true, &Status::BenchNumber},
      {{"-bench", "-classic", "-fd", "3"}, true, true, &Status::BenchNumber},
      {{"-bench", "-fd", "3", "-classic"}, true, true, &Status::BenchNumber},
      {{"-perft", "-fd", "2", "-classic"}, true, true, &Status::PERFT},
      {{"-ts", "suite.epd", "-classic", "-st", "1"}, true, true, &Status::DoTestSuite},
      {{"-classic", "-pev", "eval.epd"}, true, true, &Status::PEV},
      {{"-uci", "-classic"}, true, true, &Status::UCIMode},
      {{"-classic", "xboard"}, true, true, &Status::xboard},
      {{"-listbook", "-classic"}, true, true, nullptr},  // no FEN: an option
      {{"-annotate", "games.pgn", "-classic", "-o", "out.pgn"}, true, true, nullptr},
      {{"-bench"}, false, true, &Status::BenchNumber},
      {{"-classicx"}, false, false, nullptr},
      {{"classic"}, false, false, nullptr},
      {{"-Classic"}, false, false, nullptr},
      {{"-fd", "-classic"}, false, false, nullptr},  // a depth was asked for
  };
  for (const auto& c : cases) {
    MainStatus.initVars();
    MainStatus.xboard = MainStatus.UCIMode = 0;
    Classic = false;
    std::string shown;
    for (const std::string& a : c.args) shown += a + " ";
    bool runs = false;
    const CommandLine line = Read(c.args, &runs);
    EXPECT_EQ(runs, c.runs) << shown << line.Refusal;
    EXPECT_EQ(Classic, c.classic) << shown;
    EXPECT_EQ(line.Classic, c.classic) << shown;
    EXPECT_EQ(&ChosenEngine(), c.classic ? &ClassicEngine : &DefaultEngine) << shown;
    if (c.mode) {
      EXPECT_NE(MainStatus.*c.mode, 0) << shown;
    }
  }
  Classic = false;
}

TEST_F(CommandLineTest, ValuesAreKeptWhereTheyBelong) {
  CommandLine line = Read({"-st", "3", "-mt", "4"});  // "-mt" takes a number it does not use
  EXPECT_EQ(Clock.ST, 2700);  // n seconds, in milliseconds as the driver reads ST
  EXPECT_EQ(Clock.TimePerMove, 2700);
  EXPECT_EQ(Clock.TimeLeft, 180000);
  EXPECT_EQ(line.EPDFile, nullptr);
  EXPECT_EQ(line.SecondsPerPosition, 3.0);
  // A suite keeps the fraction; a game reads the number as atoi does.
  line = Read({"-st", "0.25"});
  EXPECT_EQ(line.SecondsPerPosition, 0.25);
  EXPECT_EQ(line.SecondsPerMove, 0);

  EXPECT_STREQ(Read({"-ts", "suite.epd"}).EPDFile, "suite.epd");
  EXPECT_STREQ(Read({"-pev", "eval.epd"}).EPDFile, "eval.epd");
  bool runs = true;
  EXPECT_EQ(Read({"-pev"}, &runs).EPDFile, nullptr);
  EXPECT_FALSE(runs);

  testing::internal::CaptureStdout();
  line = Read({"-mimicstudent", "student.epd"});
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "## Mimic Student option detected \n");
  EXPECT_EQ(MainStatus.Mimic, 1);
  EXPECT_STREQ(line.EPDFile, "student.epd");

  // A book's name is no option, though it holds "-st"; a FEN after
  // "-listbook" may come in one argument or field by field.
  Clock.ST = 0;
  line = Read({"-book", "/tmp/my-st-book.bin"});
  EXPECT_STREQ(line.BookFile, "/tmp/my-st-book.bin");
  EXPECT_EQ(Clock.ST, 0);
  line = Read({"-listbook", "8/8/8/8/8/8/8/K1k5", "w", "-", "-", "0", "1", "-fd", "3"});
  EXPECT_TRUE(line.ListBook);
  EXPECT_EQ(line.ListFen, "8/8/8/8/8/8/8/K1k5 w - - 0 1");
  EXPECT_EQ(Limits.FD, 3);
  line = Read({"-listbook"});
  EXPECT_TRUE(line.ListBook);
  EXPECT_EQ(line.ListFen, "");
}

// The lines of every search, held to 1 .. 256 with a note saying so, which
// is kept to be said once the protocol is known: nothing is printed yet.
TEST_F(CommandLineTest, MultiPVIsHeldToItsRange) {
  const struct {
    const char* value;
    int lines;
    const char* said;
  } cases[] = {{"4", 4, ""}, {"0", 1, "-multipv 0 is out of range: 1 lines"},
               {"999", 256, "-multipv 999 is out of range: 256 lines"}};
  for (const auto& c : cases) {
    testing::internal::CaptureStdout();
    const CommandLine line = Read({"-multipv", c.value});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << c.value;
    EXPECT_EQ(line.Notes, c.said[0] ? std::vector<std::string>{c.said} : std::vector<std::string>{}) << c.value;
    EXPECT_EQ(Limits.MultiPV, c.lines) << c.value;
  }
}

// A refused line names the argument and says where the options are; the
// value it refused keeps the setting it had.
TEST_F(CommandLineTest, RefusalsNameTheArgumentAndKeepTheSetting) {
  Limits.MultiPV = 3;
  CommandLine line = Read({"-multipv", "lots"});
  EXPECT_EQ(line.Refusal, "-multipv needs a number: lots (vorn -help lists the options)");
  EXPECT_EQ(Limits.MultiPV, 3);
  EXPECT_TRUE(line.Notes.empty());
  line = Read({"-nobook", "--help"});
  EXPECT_EQ(line.Refusal, "unknown option: --help (vorn -help lists the options)");
}

TEST_F(CommandLineTest, PositionFileIsLoadedAtOnce) {
  TempFiles files;
  std::string path = files.Write("pos.fen", "4k3/8/8/8/8/8/8/R3K3 w Q -\n");
  Read({"-lpf", path});
  char text[256];
  pos2fenString(&MainBoard, text);
  EXPECT_STREQ(text, "4k3/8/8/8/8/8/8/R3K3 w -Q - 0 ; ");

  MainBoard.InitRep();
  Read({"-lpf"});
  EXPECT_EQ(MainBoard.AllPieces, 0xFFFF00000000FFFFULL);
}

const char* const Kiwipete = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -";

TEST(CommandLineEndToEndTest, PositionFileErrors) {
  TempFiles files;
  const std::string missing = files.Dir() + "/no-such-file.fen";
  const std::string empty = files.Write("empty.fen", "");
  const struct {
    std::string path;
    std::string expected;
    int exitCode;
  } cases[] = {
      {missing, "Vorn \nERROR: opening file " + missing + "\n", 1},
      // A folder opens but cannot be read: an error, not an empty file.
      {files.Dir(), "Vorn \nERROR: opening file " + files.Dir() + "\n", 1},
      {empty, "Vorn \nEmpty file\n", 1},  // no position: a script must see the failure
  };
  for (const auto& c : cases) {
    ProcessResult r = RunEngine({"-lpf", c.path, "-perft", "-fd", "1"}, "", 10000);
    EXPECT_EQ(r.output, c.expected) << c.path;
    EXPECT_EQ(r.exitCode, c.exitCode) << c.path;
  }
  if (geteuid() != 0) {  // root reads any file whatever its mode
    std::string locked = files.Write("locked.fen", std::string(Kiwipete) + "\n");
    chmod(locked.c_str(), 0);
    ProcessResult r = RunEngine({"-lpf", locked, "-perft", "-fd", "1"}, "", 10000);
    EXPECT_EQ(r.output, "Vorn \nERROR: opening file " + locked + "\n");
    EXPECT_EQ(r.exitCode, 1);
  }
}

TEST(CommandLineEndToEndTest, PerftFromAPositionFile) {
  TempFiles files;
  const std::string expected =
      "Vorn \nStarting PerfT test \n2087 Total Nodes at Depth = 2\n2039 Leaf Nodes at Depth = 2\n";
  for (const std::string& text : {std::string(Kiwipete) + "\n", std::string(Kiwipete) + " 0 1\r\n8/8/8/8/8/8/8/8 w - -\n",
                                  std::string(Kiwipete)}) {
    std::string path = files.Write("kiwipete.fen", text);
    ProcessResult r = RunEngine({"-lpf", path, "-perft", "-fd", "2"}, "", 30000);
    EXPECT_EQ(r.output, expected);
    EXPECT_EQ(r.exitCode, 0);
  }
}

// Positions no game reaches still run to the end: the generator complains
// about the kings and the count goes on.
// A position file whose text is no chess position is refused with the
// reason and a non-zero exit, before any tool runs on it.
TEST(CommandLineEndToEndTest, PositionFileThatIsNoChessPositionIsRefused) {
  TempFiles files;
  const struct {
    std::string text;
    const char* reason;
  } cases[] = {
      {"8/8/8/8/8/8/8/R7 w - -", "not exactly one king of each colour"},
      {"r7/8/8/8/8/8/8/R7 b - -", "not exactly one king of each colour"},
      {"k7/8/8/8/8/8/8/K6K w - -", "more than one king of a colour"},
      {"rnbqkbnrr/ppppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR/K7 w KQkq -", "the placement has 9 ranks, not 8"},
      {"rnbqkbnr/pppppppp/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "the placement has 7 ranks, not 8"},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1", "the side to move \"x\" is neither w nor b"},
      {std::string(5000, 'Q') + " w KQkq", "the placement has 1 rank, not 8"},
      {std::string(5000, '/') + "K w", "the placement has 5001 ranks, not 8"},
      {std::string("4k3/8/8/8/8/8/8/4K3 w - -") + '\0' + " 0 1", "a NUL byte in the text"},
      {"QQQQQQQQ/Q6Q/Q6Q/Q6Q/Q6Q/Q6Q/Q6Q/QQQQQQQK w - -", "not exactly one king of each colour"},
      {"k7/8/8/8/8/8/8/KQQQQQQQ w - - 0 1", "the side not to move is in check"},
      {"\n", "the text holds no position"},
  };
  for (const auto& c : cases) {
    std::string path = files.Write("odd.fen", c.text + "\n");
    ProcessResult r = RunEngine({"-lpf", path, "-perft", "-fd", "2"}, "", 30000);
    const std::string shown = c.text.substr(0, 60);
    EXPECT_EQ(r.exitCode, 1) << shown;
    EXPECT_NE(r.output.find(std::string("Illegal position: ") + c.reason + "\n"), std::string::npos)
        << shown << "\n" << r.output.substr(0, 300);
    EXPECT_EQ(r.output.find("Leaf Nodes"), std::string::npos) << shown;
  }
}

// The game goes on from the file's move counters: the fifty-move count that
// the next move completes, and the move number of the engine's move line.
TEST(CommandLineEndToEndTest, PositionFileGivesTheGameItsMoveCounters) {
  TempFiles files;
  const char* const draw = "\n1/2-1/2 {Draw by 50 Move Rule}\n";
  for (const char* counters : {"99 50", "0 50"}) {
    const std::string path = files.Write("game.fen", std::string("8/1R6/5k2/8/8/8/8/5K2 w - - ") + counters + "\n");
    ProcessResult r = RunEngine({"-lpf", path, "-sd", "3"}, "hello\nb7b6\nquit\n", 20000);
    EXPECT_EQ(r.exitCode, 0) << counters;
    EXPECT_EQ(r.output.find(draw) != std::string::npos, counters[0] == '9') << counters << "\n" << r.output;
  }
  for (const char* side : {"w", "b"}) {
    const std::string path = files.Write("game.fen", std::string("4k3/8/8/8/8/8/4P3/4K3 ") + side + " - - 0 40\n");
    EngineProcess engine({"-lpf", path});
    engine.Send("xboard");
    engine.Send("sd 3");
    engine.Send("go");
    bool found = false;
    engine.ReadUntil("40. ... ", 10000, &found);
    EXPECT_TRUE(found) << side << "\n" << engine.Output();
    engine.Send("quit");
    EXPECT_EQ(engine.Wait(5000), 0);
  }
}

// Every tool runs with "-classic" wherever it stands, and prints the same
// wherever it stands (the figures of the clock aside).
TEST(CommandLineEndToEndTest, EveryToolRunsTheClassicEngineWithClassicAnywhere) {
  TempFiles files;
  const std::string start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
  const TestBookFile book({{start, "e2e4", 3}, {start, "d2d4", 1}});
  const std::string position = files.Write("position.fen", "4k3/1P6/8/8/8/8/6p1/4K3 w - - 0 1\n");
  const std::string suite = VORN_TEST_DATA "/wac-sample.epd";
  const std::string games = VORN_TEST_DATA "/blunders.pgn";
  const struct {
    std::vector<std::string> args;
    size_t between;  // a place between two options of the line
    int exitCode;
  } tools[] = {
      {{"-perft", "-fd", "3"}, 1, 0},
      {{"-lpf", position, "-perft", "-fd", "3"}, 2, 0},
      {{"-bench", "-fd", "3"}, 1, 0},
      {{"-bench2", "-fd", "3"}, 1, 0},
      {{"-ts", suite, "-fd", "2"}, 2, 0},
      {{"-pev", suite}, 2, 0},
      {{"-mimicstudent", suite}, 2, 0},
      {{"-annotate", games, "-fd", "2"}, 2, 0},
      {{"-book", book.Path(), "-listbook"}, 2, 0},
      {{"-listbook", start, "-book", book.Path()}, 2, 0},
  };
  // The clock's figures: the benchmark's time and speed, the suite's times,
  // the annotator's progress.
  const std::regex benchRow("\n *[0-9]+( +[0-9]+ +[0-9]+ +[0-9]+) +[0-9]+\n");
  const std::regex seconds("time [0-9.]+ s");
  const std::regex progress("annotated [^\n]*\n");
  auto masked = [&](std::string text) {
    text = std::regex_replace(text, benchRow, "\nTIME$1 NPS\n");
    text = std::regex_replace(text, seconds, "time T s");
    return std::regex_replace(text, progress, "");
  };
  for (const auto& tool : tools) {
    std::string shown;
    for (const std::string& a : tool.args) shown += a + " ";
    std::vector<std::string> first = tool.args, between = tool.args, last = tool.args;
    first.insert(first.begin(), "-classic");
    between.insert(between.begin() + tool.between, "-classic");
    last.push_back("-classic");
    const ProcessResult reference = RunEngine(first, "", 60000);
    EXPECT_EQ(reference.exitCode, tool.exitCode) << shown << "\n" << reference.output;
    EXPECT_EQ(reference.output.find("unknown option"), std::string::npos) << shown;
    for (const std::vector<std::string>& args : {between, last}) {
      const ProcessResult r = RunEngine(args, "", 60000);
      EXPECT_EQ(r.exitCode, tool.exitCode) << shown;
      EXPECT_EQ(masked(r.output), masked(reference.output)) << shown;
    }
  }
}

// An option at the end of the line lacks its value: the program says so in
// one line and ends with status 2, before it reads anything or runs a tool.
TEST(CommandLineEndToEndTest, OptionsMissingTheirValueAtTheEnd) {
  const struct {
    const char* option;
    const char* needs;
  } cases[] = {{"-fd", "a number"},        {"-lpf", "a file"},   {"-sd", "a number"},
               {"-st", "a number of seconds"}, {"-ts", "a file"},    {"-tc", "a number"},
               {"-mt", "a number"},        {"-pev", "a file"}, {"-o", "a file"},
               {"-threads", "a number"},   {"-multipv", "a number"}, {"-seed", "a number"},
               {"-annotate", "a file"}};
  for (const auto& c : cases) {
    ProcessResult r = RunEngine({c.option}, "xboard\nquit\n", 10000);
    EXPECT_FALSE(r.timedOut) << c.option;
    EXPECT_EQ(r.exitCode, 2) << c.option;
    const std::string said = std::string(c.option) + " needs " + c.needs + " (vorn -help lists the options)\n";
    EXPECT_EQ(r.output, "Vorn \n" + said) << c.option;
  }
  ProcessResult r = RunEngine({"-perft", "-fd"}, "", 10000);
  EXPECT_EQ(r.output, "Vorn \n-fd needs a number (vorn -help lists the options)\n");
  EXPECT_EQ(r.exitCode, 2);
  // "-mimicstudent" says it was seen as it is read.
  r = RunEngine({"-mimicstudent"}, "", 10000);
  EXPECT_EQ(r.exitCode, 2);
}

TEST(CommandLineEndToEndTest, HelpPrintsTheOptionsAndEnds) {
  const std::string help =
      "Vorn \n"
      "Vorn 1.005-64W\n"
      "xboard   used when interfacing with xboard\n"
      "-uci   used when interfacing with an UCI based GUI\n"
      "-bench  run an internal benchmark suite\n"
      "-fd  n    fixes search depth to n ply (min n = 3)\n"
      "-lpf filename  loads a position from file\n"
      "-pev  filename - run through a testsuite (EPD Format) & output full evaluation detail per position\n"
      "-sd  n   sets max search depth to n ply (min n = 3)\n"
      "-sp  self play\n"
      "-ts  filename run through a testsuite (EPD Format)\n"
      "-st  n   n seconds a move; with -ts, n seconds a position (fractions allowed, -fd goes first)\n"
      "-perft  with -fd n, counts the move tree of the start position (or of -lpf's) to depth n\n"
      "-bench2  benchmark: one position by the iterative search and the exact-depth search (with -fd)\n"
      "-bench3  as -bench2, with position-to-text conversions in the first timing\n"
      "-mimicstudent filename  the static evaluation of each position of a testsuite (EPD Format)\n"
      "-nobook  plays without the opening book\n"
      "-book filename  plays from this opening book (a .bin file of GUIs' and book tools' format)\n"
      "-listbook [fen]  the book's moves of the position (the start position by default) with their weights\n"
      "-checkboard  checks the board's bookkeeping after every command, aborting when it is wrong\n"
      "-threads  n   searches with n threads (1 to 256)\n"
      "-multipv  n   each iteration searches and reports the n best moves (1 to 256)\n"
      "-annotate  file.pgn  annotates every game of the file (-st s seconds a position, default 0.5, or -fd n; "
      "-o out.pgn, else the standard output)\n"
      "-chess960  Chess960: castling as the king taking its own rook, position text with rook files (before -lpf, "
      "-ts)\n"
      "-classic  plays the classic engine: Vorn's first search and evaluation, unchanged (every mode and tool)\n"
      "-elo  n       plays at a strength of n Elo points (1350 to 2100; off: full strength)\n"
      "-seed  n      the level's random choices start from n (0: a new seed each run)\n";
  for (const char* option : {"-help", "-h"}) {
    EngineProcess engine({option});  // standard input stays open: help must not wait for it
    EXPECT_EQ(engine.Wait(10000), 0) << option;
    EXPECT_EQ(engine.Output(), help) << option;
  }
}

TEST(CommandLineEndToEndTest, WithoutAToolTheEngineWaitsForTheFirstWord) {
  // The end of input before any word ends the program.
  ProcessResult r = RunEngine({}, "", 10000);
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.output.rfind("Vorn \n", 0), 0u);

  r = RunEngine({}, "xboard\nquit\n", 10000);
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 0);

  // Nothing but the banner before the first word arrives.
  EngineProcess engine({"-sd", "7", "-fd", "5"});
  bool found = false;
  engine.ReadUntil("MAXDEPTH", 300, &found);
  EXPECT_FALSE(found);
  EXPECT_EQ(engine.Output(), "Vorn \n");
  engine.Send("hello");
  std::vector<std::string> lines = engine.ReadUntil("MAXDEPTH", 10000, &found);
  ASSERT_TRUE(found) << engine.Output();
  EXPECT_EQ(lines.back(), "MAXDEPTH = 5");
  engine.Send("quit");
  engine.CloseInput();
  EXPECT_NE(engine.Wait(10000), -1);
}
}  // namespace

// The console/xboard commands in-process: each word with its arguments on
// standard input (a pipe), its result code and what it leaves in the engine's
// state: the clock commands, depth, book, flags, moves, edit mode, set-up,
// analysis and the end of input.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "engine/CommandInterpreter.h"
#include "engine/Status.h"
#include "support/EngineSetup.h"
#include "search/TimeControl.h"
#include "search/SearchLimits.h"

namespace {
// Puts `text` on standard input, followed by its end, for one command.
class StdinText {
 public:
  explicit StdinText(const std::string& text) {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    EXPECT_EQ(write(fds[1], text.data(), text.size()), (ssize_t)text.size());
    close(fds[1]);
    saved_ = dup(STDIN_FILENO);
    dup2(fds[0], STDIN_FILENO);
    close(fds[0]);
    clearerr(stdin);
  }
  ~StdinText() {
    // What the command left unread must not reach the next one.
    while (getchar() != EOF) {
    }
    dup2(saved_, STDIN_FILENO);
    close(saved_);
    clearerr(stdin);
  }

 private:
  int saved_ = -1;
};

class CommandInterpreterTest : public testing::Test {
 protected:
  void SetUp() override {
    EnsureEngineInitialised();
    savedStatus_ = MainStatus;
    savedBoard_ = MainBoard;
    LoadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
    MainStatus.initVars();
    MainStatus.xboard = 1;
    Clock.TimeLeft = 12340;
    MainBoard.CastleFlags = 15;
  }
  void TearDown() override {
    MainStatus = savedStatus_;
    MainBoard = savedBoard_;
  }
  // Runs one command with its arguments; returns the code and what it printed.
  int Run(const char* word, const std::string& arguments, std::string* printed = nullptr) {
    StdinText in(arguments);
    testing::internal::CaptureStdout();
    char text[512];
    snprintf(text, sizeof text, "%s", word);
    int r = DoCommand(text);
    std::string out = testing::internal::GetCapturedStdout();
    if (printed) *printed = out;
    return r;
  }

 private:
  Status savedStatus_;
  ChessBoard savedBoard_;
};

TEST_F(CommandInterpreterTest, CommandsSetWhatTheyNameAndAnswerTheirCode) {
  const Status& s = MainStatus;
  const ChessBoard& b = MainBoard;
  const struct {
    const char* word;
    const char* arguments;
    int code;
    std::function<bool()> holds;
  } cases[] = {
      {"level", "40 5 0\n", 4, [&] { return Clock.MovesPerSession == 40 && Clock.TimeLeft == 300000 && Clock.TimeInc == 0; }},
      // Minutes:seconds and a fractional increment, as xboard may send them.
      {"level", "0 0:30 2.5\n", 4, [&] { return Clock.MovesPerSession == 0 && Clock.TimeLeft == 30000 && Clock.TimeInc == 2; }},
      {"time", "6000\n", 4, [&] { return Clock.TimeLeft == 60000; }},
      {"time", "soon\n", 4, [&] { return Clock.TimeLeft == 12340; }},  // not a number: unchanged
      // Seconds a move, kept in milliseconds as the driver reads ST.
      {"st", "5\n", 4, [&] { return Clock.ST == 4500 && Clock.TimePerMove == 4500 && Clock.TimeLeft == 300000; }},
      {"sd", "7\n", 4, [&] { return b.MaxDepth == 7; }},
      {"bk", "", 4, [&] { return Limits.OwnBook == 0; }},
      {"post", "", 4, [&] { return s.Post == 1; }},
      {"force", "", 4, [&] { return s.Force == 1; }},
      {"go", "", 2, [&] { return s.Force == 0 && s.HumanToMove == 0; }},
      {"black", "", 4, [&] { return b.SideToMove == 1; }},
      {"?", "", 2, [&] { return s.Post == 0 && Limits.Analyze == 0; }},
      {"selfplay", "", 2, [&] { return s.SelfPlay == 1; }},
      {"h9", "", 4, [&] { return b.WhitePawns == Squares("a2 b2 c2 d2 e2 f2 g2 h2"); }},
      {"e2e4", "", 0, [&] { return b.WhitePawns == Squares("a2 b2 c2 d2 e2 f2 g2 h2"); }},  // HumanMove makes it
      {"setboard", " 8/8/8/4k3/8/8/3nK3/8 b - -\n", 4,
       [&] { return b.SideToMove == 1 && b.BlackCounts[3] == 1 && b.BlackPieceCount == 1 && b.WhitePieceCount == 0; }},
      {"quit", "", 3, [&] { return s.GameInProgress == 0; }},
      {"", "", 3, [&] { return s.GameInProgress == 0; }},  // the end of input quits
      {"undo", "", 4, [&] { return true; }},
      {"protover", "2\n", 4, [&] { return true; }},
  };
  for (const auto& c : cases) {
    SetUp();
    std::string printed;
    EXPECT_EQ(Run(c.word, c.arguments, &printed), c.code) << c.word << " " << c.arguments;
    EXPECT_TRUE(c.holds()) << c.word << " " << c.arguments;
    EXPECT_EQ(printed, "") << c.word;
  }
}

// None of the name's words may be read as a command or a move.
TEST_F(CommandInterpreterTest, TheOpponentsNameRunsToTheEndOfItsLine) {
  StdinText in(" e2e4 Bot 2\nnew\n");
  char word[16] = "name";
  EXPECT_EQ(DoCommand(word), Handled);
  ASSERT_EQ(scanf("%15s", word), 1);
  EXPECT_STREQ(word, "new");
  EXPECT_EQ(MainBoard.WhitePawns, Squares("a2 b2 c2 d2 e2 f2 g2 h2"));
}

TEST_F(CommandInterpreterTest, AMoveTheBoardDoesNotAllowIsRefusedAloud) {
  std::string printed;
  EXPECT_EQ(Run("e2e5", "", &printed), 4);
  EXPECT_EQ(printed, "Illegal move: e2e5\n");
  EXPECT_EQ(Run("e7e5", "", &printed), 4);
  EXPECT_EQ(printed, "Illegal move: e7e5\n");
  EXPECT_EQ(MainBoard.WhitePawns, Squares("a2 b2 c2 d2 e2 f2 g2 h2"));
}

TEST_F(CommandInterpreterTest, EditModePlacesMenAndDerivesCastlingRights) {
  const struct {
    const char* words;
    int rights;
    u64 whiteRooks, blackRooks, whitePawns;
  } cases[] = {
      {"# Ke1 Rh1 c Kc8 .\n", 1, Squares("h1"), 0, 0},
      {"# Ke1 Rh1 Ra1 c Ke8 Ra8 .\n", 1 | 2 | 8, Squares("a1 h1"), Squares("a8"), 0},
      {"# Kd1 Rh1 Ra1 Pe4 xe4 Pe2 c Kc8 .\n", 0, Squares("a1 h1"), 0, Squares("e2")},
      {"# Ke1 Rh1 Nh1 c Kc8 .\n", 0, 0, 0, 0},  // a man put on a square replaces the one there
      {"# Ke1 Rh1 Zz9 Pi9 x c Kc8 .\n", 1, Squares("h1"), 0, 0},  // words that name no square change nothing
      {"# Ke1 Rh1 c Kc8\n", 1, Squares("h1"), 0, 0},  // the end of input ends edit mode
  };
  for (const auto& c : cases) {
    SetUp();
    EXPECT_EQ(Run("edit", c.words), 4) << c.words;
    const ChessBoard& b = MainBoard;
    EXPECT_EQ(b.CastleFlags, c.rights) << c.words;
    EXPECT_EQ(b.WhiteRooks, c.whiteRooks) << c.words;
    EXPECT_EQ(b.BlackRooks, c.blackRooks) << c.words;
    EXPECT_EQ(b.WhitePawns, c.whitePawns) << c.words;
    EXPECT_EQ(b.WhitePieces, b.WhitePawns | b.WhiteKnights | b.WhiteBishops | b.WhiteRooks | b.WhiteQueens | b.WhiteKing);
  }
}

// A set-up that is no chess position is refused in the protocol's form and
// the game goes on from the position it had.
TEST_F(CommandInterpreterTest, SetUpsThatAreNoChessPositionAreRefused) {
  const struct {
    const char* word;
    const char* arguments;
    u8 xboard;
    const char* printed;
  } cases[] = {
      {"edit", "# Ke1 Rh1 .\n", 1, "tellusererror Illegal position: not exactly one king of each colour\n"},
      {"edit", "# Ke1 Pa8 c Ke8 .\n", 0, "Illegal position: a pawn on the first or last rank\n"},
      {"setboard", " kkkkkkkk/KKKKKKKK/8/8/8/8/8/8 w KQkq\n", 1,
       "tellusererror Illegal position: more than one king of a colour\n"},
      {"setboard", " 4k3/4R3/8/8/8/8/8/4K3 w - -\n", 0, "Illegal position: the side not to move is in check\n"},
  };
  for (const auto& c : cases) {
    SetUp();
    MainStatus.xboard = c.xboard;
    const ChessBoard before = MainBoard;
    std::string printed;
    EXPECT_EQ(Run(c.word, c.arguments, &printed), Handled) << c.arguments;
    EXPECT_EQ(printed, c.printed) << c.arguments;
    EXPECT_EQ(MainBoard.AllPieces, before.AllPieces) << c.arguments;
    EXPECT_EQ(MainBoard.SideToMove, before.SideToMove) << c.arguments;
  }
}

// Analysis keeps the time a move had before it, so that a game played after
// "exit" is not given two weeks a move.
TEST_F(CommandInterpreterTest, AnalysisGivesBackTheTimePerMoveOnExit) {
  const struct {
    const char* st;
    i32 during, after;
  } cases[] = {{"", 1209600000, 0}, {"2\n", 1800, 1800}};
  for (const auto& c : cases) {
    SetUp();
    if (c.st[0]) Run("st", c.st);
    EXPECT_EQ(Run("analyze", ""), 2);
    EXPECT_EQ(Limits.Analyze, 1);
    EXPECT_EQ(MainStatus.HumanToMove, 0);
    EXPECT_EQ(Clock.ST, c.during);
    EXPECT_EQ(Run("exit", ""), 2);
    EXPECT_EQ(Limits.Analyze, 0);
    EXPECT_EQ(Clock.ST, c.after);
  }
}
}  // namespace

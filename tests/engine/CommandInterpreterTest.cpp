// The console/xboard commands in-process: each word with its arguments on
// standard input (a pipe), its result code and what it leaves in the engine's
// state: the clock commands, depth, book, flags, moves, edit mode, set-up,
// analysis and the end of input.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "board/MoveHistory.h"
#include "engine/GameMoves.h"
#include "engine/CommandInterpreter.h"
#include "engine/Status.h"
#include "movegen/EngineSet.h"
#include "support/EngineSetup.h"
#include "search/TimeControl.h"
#include "search/SearchLimits.h"
#include "search/TranspositionTables.h"

#include <utility>
#include <vector>

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
    StartGameRecord();
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
    const char* printed = "";
  } cases[] = {
      {"level", "40 5 0\n", 4, [&] { return Clock.MovesPerSession == 40 && Clock.TimeLeft == 300000 && Clock.TimeInc == 0; }},
      // Minutes:seconds and a fractional increment, as xboard may send them.
      {"level", "0 0:30 2.5\n", 4, [&] { return Clock.MovesPerSession == 0 && Clock.TimeLeft == 30000 && Clock.TimeInc == 2; }},
      {"time", "6000\n", 4, [&] { return Clock.TimeLeft == 60000; }},
      {"time", "soon\n", 4, [&] { return Clock.TimeLeft == 12340; }, "Error (time needs a number): soon\n"},  // unchanged
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
      // No move: its second letter is no rank.
      {"h9", "", 4, [&] { return b.WhitePawns == Squares("a2 b2 c2 d2 e2 f2 g2 h2"); }, "Error (unknown command): h9\n"},
      {"e2e4", "", 0, [&] { return b.WhitePawns == Squares("a2 b2 c2 d2 e2 f2 g2 h2"); }},  // HumanMove makes it
      {"setboard", " 8/8/8/4k3/8/8/3nK3/8 b - -\n", 4,
       [&] { return b.SideToMove == 1 && b.BlackCounts[3] == 1 && b.BlackPieceCount == 1 && b.WhitePieceCount == 0; }},
      {"quit", "", 3, [&] { return s.GameInProgress == 0; }},
      {"", "", 3, [&] { return s.GameInProgress == 0; }},  // the end of input quits
      {"accepted", " done\n", 4, [&] { return true; }},
      {"protover", "1\n", 4, [&] { return s.XboardVersion == 0; }},  // an old GUI sees nothing new
  };
  for (const auto& c : cases) {
    SetUp();
    std::string printed;
    EXPECT_EQ(Run(c.word, c.arguments, &printed), c.code) << c.word << " " << c.arguments;
    EXPECT_TRUE(c.holds()) << c.word << " " << c.arguments;
    EXPECT_EQ(printed, c.printed) << c.word;
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

// The GUI's answers to the features ("accepted ping") are read to the end
// of their line: the feature's name is a command word of its own.
TEST_F(CommandInterpreterTest, FeatureAnswersAreReadToTheEndOfTheirLine) {
  for (const char* answer : {"accepted", "rejected"}) {
    for (const char* feature : {"ping", "analyze", "setboard", "usermove", "memory"}) {
      StdinText in(std::string(" ") + feature + "\nnew\n");
      char word[16];
      snprintf(word, sizeof word, "%s", answer);
      testing::internal::CaptureStdout();
      EXPECT_EQ(DoCommand(word), Handled);
      EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << answer << " " << feature;
      ASSERT_EQ(scanf("%15s", word), 1);
      EXPECT_STREQ(word, "new") << answer << " " << feature;
      EXPECT_EQ(Limits.Analyze, 0) << answer << " " << feature;
    }
  }
}

// A command's arguments come from its own line. One that lacks them says
// so and changes nothing; the next line is left to be read as a command.
TEST_F(CommandInterpreterTest, ArgumentsComeFromTheCommandsOwnLineOnly) {
  const Status& s = MainStatus;
  const i32 depth = MainBoard.MaxDepth;
  const u64 pawns = Squares("a2 b2 c2 d2 e2 f2 g2 h2");
  const struct {
    const char* word;
    const char* input;  // after the command word
    std::function<bool()> unchanged;
    const char* next = "5";  // the first word of the next line
  } cases[] = {
      {"st", "\n5\n", [&] { return Clock.ST == 0; }},
      {"st", "  \r\n5\n", [&] { return Clock.ST == 0; }},  // blanks and CR LF end a line too
      {"sd", "\n5\n", [&] { return MainBoard.MaxDepth == depth; }},
      {"time", "\n5\n", [&] { return Clock.TimeLeft == 12340; }},
      {"level", " 40\n5 0\n", [&] { return Clock.MovesPerSession == 0 && Clock.TimeLeft == 12340; }},
      {"level", " 40 5\n0\n", [&] { return Clock.MovesPerSession == 0 && Clock.TimeLeft == 12340; }, "0"},
      {"usermove", "\ne2e4\n", [&] { return MainBoard.WhitePawns == pawns && s.GameInProgress == 1; }, "e2e4"},
      {"setboard", "\n8/8/8/4k3/8/8/3nK3/8 b - -\n", [&] { return MainBoard.WhitePawns == pawns; }, "8/8/8/4k3/8/8/3nK3/8"},
      {"protover", "\n2\n", [&] { return s.XboardVersion == 0; }, "2"},
      {"result", "\n1-0 {White resigns}\n", [&] { return s.GameInProgress == 1; }, "1-0"},
      {"ping", "\n5\n", [] { return true; }},
      {"otim", "\n5\n", [] { return true; }},
      {"memory", "\n5\n", [] { return true; }},
      {"name", "\n5\n", [] { return true; }},
      {"accepted", "\n5\n", [] { return true; }},
      {"dumpsee", " 12\n5\n", [] { return true; }},
  };
  for (const auto& c : cases) {
    SetUp();
    StdinText in(c.input);
    char word[64];
    snprintf(word, sizeof word, "%s", c.word);
    testing::internal::CaptureStdout();
    EXPECT_EQ(DoCommand(word), Handled) << c.word;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string("Error (missing argument): ") + c.word + "\n");
    EXPECT_TRUE(c.unchanged()) << c.word;
    ASSERT_EQ(scanf("%63s", word), 1) << c.word;
    EXPECT_STREQ(word, c.next) << c.word << ": the next line was read as its argument";
  }
}

// A number argument that is no number (or too big for one) is refused in
// one line, changes nothing, and takes the rest of its line with it: no
// word of it is read as a command.
TEST_F(CommandInterpreterTest, ANumberArgumentThatIsNoNumberIsRefused) {
  const i32 depth = MainBoard.MaxDepth;
  const struct {
    const char* word;
    const char* input;  // after the command word
    const char* said;
    std::function<bool()> unchanged;
  } cases[] = {
      {"st", " 0.5 e2e4\nnew\n", "Error (st needs a number): 0.5\n", [] { return true; }},  // ST below
      {"sd", " 99999999999\nnew\n", "Error (sd needs a number): 99999999999\n",
       [&] { return MainBoard.MaxDepth == depth; }},
      {"time", " 12ab\nnew\n", "Error (time needs a number): 12ab\n", [] { return Clock.TimeLeft == 12340; }},
      {"cores", " many 4\nnew\n", "Error (cores needs a number): many\n", [] { return true; }},
      {"ping", " x\nnew\n", "Error (ping needs a number): x\n", [] { return true; }},
      {"dumpsee", " x 12\nnew\n", "Error (dumpsee needs a number): x\n", [] { return true; }},
      {"memory", " -1\nnew\n", "Error (memory needs a number from 1): -1\n", [] { return true; }},
      // The clock keeps its figures when a field of "level" has another form.
      {"level", " 40 abc 0\nnew\n", "Error (level needs a number): abc\n", [] { return Clock.TimeLeft == 12340; }},
      {"level", " 40 5:x 0\nnew\n", "Error (level needs a number): 5:x\n", [] { return Clock.TimeLeft == 12340; }},
      {"level", " -1 5 0\nnew\n", "Error (level needs a number): -1\n", [] { return Clock.TimeLeft == 12340; }},
      {"level", " 40 5 nan\nnew\n", "Error (level needs a number): nan\n", [] { return Clock.TimeLeft == 12340; }},
  };
  for (const auto& c : cases) {
    SetUp();
    StdinText in(c.input);
    char word[64];
    snprintf(word, sizeof word, "%s", c.word);
    const i32 st = Clock.ST;
    testing::internal::CaptureStdout();
    EXPECT_EQ(DoCommand(word), Handled) << c.word;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.said) << c.word;
    EXPECT_TRUE(c.unchanged()) << c.word;
    EXPECT_EQ(Clock.ST, st) << c.word;
    ASSERT_EQ(scanf("%63s", word), 1) << c.word;
    EXPECT_STREQ(word, "new") << c.word << ": the rest of the refused line was read as a command";
  }
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
      // Malformed text, with what is wrong in it.
      {"setboard", " rnbqkbnr/pppppppp/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1\n", 1,
       "tellusererror Illegal position: the placement has 7 ranks, not 8\n"},
      {"setboard", " rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1\n", 0,
       "Illegal position: the side to move \"x\" is neither w nor b\n"},
      {"setboard", " rnbqkbnrr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1\n", 1,
       "tellusererror Illegal position: rank 8 has 9 squares, not 8\n"},
      {"setboard", " rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1\n", 0,
       "Illegal position: the digit 9 in rank 6 (empty squares are 1 to 8)\n"},
      {"setboard", " 4k3/8/8/8/8/8/8/4K3 w - e5 0 1\n", 1,
       "tellusererror Illegal position: the en-passant field \"e5\" is neither - nor a square of the third or sixth "
       "rank\n"},
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

// A FEN's counters become the game's fifty-move count and move number (the
// game ply of the side to move); without them the game starts afresh.
TEST_F(CommandInterpreterTest, SetboardTakesTheMoveCounters) {
  const struct {
    const char* fen;
    i32 fifty, ply;
  } cases[] = {
      {" 8/8/8/4k3/8/8/8/4K2Q b - - 99 80\n", 99, 160},
      {" 8/8/8/4k3/8/8/8/4K2Q w - - 57 30\n", 57, 59},
      {" 8/8/8/4k3/8/8/8/4K2Q w - -\n", 0, 1},
      {" 8/8/8/4k3/8/8/8/4K2Q b - -\n", 0, 2},
  };
  for (const auto& c : cases) {
    SetUp();
    MainBoard.FiftyMoveCount = 12;
    Clock.GamePly = 33;
    EXPECT_EQ(Run("setboard", c.fen), Handled) << c.fen;
    EXPECT_EQ(MainBoard.FiftyMoveCount, c.fifty) << c.fen;
    EXPECT_EQ(Clock.GamePly, c.ply) << c.fen;
  }
}

// At the console a move may be typed in algebraic notation as well as in
// coordinates; under xboard only coordinates are moves. A word that is
// neither a command nor a legal move is no move.
TEST_F(CommandInterpreterTest, TheConsoleReadsAlgebraicNotationBesideCoordinates) {
  const struct {
    u8 xboard;
    const char* word;
    int code;
    const char* refusal;  // "" when nothing is refused aloud
  } cases[] = {
      {0, "Nf3", MoveEntered, ""},   {0, "e4", MoveEntered, ""},   {0, "Nc3", MoveEntered, ""},
      {0, "d2d4", MoveEntered, ""},  {0, "e5", Handled, "Illegal move: e5\n"},
      {0, "Nf6", Handled, "Illegal move: Nf6\n"}, {0, "O-O", Handled, "Illegal move: O-O\n"},
      {0, "dxe5", Handled, "Illegal move: dxe5\n"},
      {1, "Nf3", Handled, "Error (unknown command): Nf3\n"},
      {1, "e4", Handled, "Illegal move: e4\n"},
  };
  for (const auto& c : cases) {
    SetUp();
    MainStatus.xboard = c.xboard;
    std::string printed;
    EXPECT_EQ(Run(c.word, "", &printed), c.code) << c.word << " xboard " << (int)c.xboard;
    if (c.refusal[0]) EXPECT_EQ(printed, c.refusal) << c.word;
    else EXPECT_EQ(printed.find("Illegal"), std::string::npos) << c.word << ": " << printed;
  }

  // The move is played as the notation names it: castling, a capture, a
  // promotion to the piece named.
  const struct {
    const char* fen;
    const char* word;
    std::function<bool()> holds;
  } played[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "O-O",
       [] { return MainBoard.WhiteKing == Squares("g1") && MainBoard.WhiteRooks == Squares("a1 f1"); }},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", "0-0-0",
       [] { return MainBoard.WhiteKing == Squares("c1") && MainBoard.WhiteRooks == Squares("d1 h1"); }},
      {"4k3/8/8/3p4/4P3/8/8/4K3 w - -", "exd5", [] { return MainBoard.WhitePawns == Squares("d5") && !MainBoard.BlackPawns; }},
      {"4k3/1P6/8/8/8/8/8/4K3 w - -", "b8=N+", [] { return MainBoard.WhiteKnights == Squares("b8"); }},
  };
  for (const auto& c : played) {
    SetUp();
    LoadFen(c.fen);
    MainStatus.xboard = 0;
    StdinText in(std::string(c.word) + "\n");
    testing::internal::CaptureStdout();
    EXPECT_EQ(HumanMove(), MoveEntered) << c.word;
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(c.holds()) << c.fen << " " << c.word;
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

// Everything a game position is made of: the whole board, the game ply, the
// repetition record and the moves that can be taken back.
struct GameState {
  ChessBoard board;
  i32 ply;
  std::vector<std::pair<u64, u64>> record;
  int takeBacks;
};

// Runs the reader on `commands` until their end, as a GUI's session.
GameState PlaySession(const std::string& commands, std::string* printed = nullptr) {
  StdinText in(commands);
  testing::internal::CaptureStdout();
  while (HumanMove() != QuitProgram) {
  }
  std::string out = testing::internal::GetCapturedStdout();
  if (printed) *printed = out;
  GameState state{MainBoard, Clock.GamePly, {}, TakeBacksAvailable()};
  for (int i = 0; i < MoveList.NumMoves; i++) state.record.emplace_back(MoveList.entries[i].code1, MoveList.entries[i].code2);
  return state;
}

// Names the first field in which two states differ; empty when none does.
std::string FirstDifference(const GameState& a, const GameState& b) {
  const ChessBoard &x = a.board, &y = b.board;
#define VORN_SAME(field) \
  if (!(x.field == y.field)) return #field;
#define VORN_SAME_ARRAY(field) \
  for (size_t i = 0; i < sizeof x.field / sizeof x.field[0]; i++) \
    if (x.field[i] != y.field[i]) return #field;
  VORN_SAME(WhitePieces) VORN_SAME(BlackPieces) VORN_SAME(AllPieces)
  VORN_SAME(WhitePawns) VORN_SAME(WhiteBishops) VORN_SAME(WhiteKnights) VORN_SAME(WhiteRooks)
  VORN_SAME(WhiteQueens) VORN_SAME(WhiteKing) VORN_SAME(BlackPawns) VORN_SAME(BlackBishops)
  VORN_SAME(BlackKnights) VORN_SAME(BlackRooks) VORN_SAME(BlackQueens) VORN_SAME(BlackKing)
  VORN_SAME_ARRAY(SavedPieceBoards) VORN_SAME(SavedWhitePieces) VORN_SAME(SavedBlackPieces)
  VORN_SAME(SavedAllPieces) VORN_SAME(PawnHashCode) VORN_SAME(SavedPawnHashCode) VORN_SAME(SideToMove)
  VORN_SAME(CastleFlags) VORN_SAME(SavedCastleFlags) VORN_SAME(SavedFiftyMoveCount) VORN_SAME(SavedLastFrom)
  VORN_SAME(SavedLastTo) VORN_SAME(LastFrom) VORN_SAME(LastTo) VORN_SAME(MaxDepth) VORN_SAME(FiftyMoveCount)
  VORN_SAME(RootDepth) VORN_SAME(BestMoveFrom) VORN_SAME(BestMoveTo) VORN_SAME(BestMovePromote)
  VORN_SAME(MatingMaterial) VORN_SAME(WhitePieceCount) VORN_SAME(BlackPieceCount)
  VORN_SAME(SavedWhitePieceCount) VORN_SAME(SavedBlackPieceCount) VORN_SAME_ARRAY(WhiteCounts)
  VORN_SAME_ARRAY(SavedWhiteCounts) VORN_SAME_ARRAY(BlackCounts) VORN_SAME_ARRAY(SavedBlackCounts)
#undef VORN_SAME
#undef VORN_SAME_ARRAY
  if (a.ply != b.ply) return "game ply";
  if (a.record != b.record) return "repetition record";
  if (a.takeBacks != b.takeBacks) return "moves to take back";
  return "";
}

// Moves played and taken back leave exactly the game of the moves that
// remain, entered afresh: board, side, castling rights, fifty-move count,
// en-passant square, game ply and repetition record.
TEST_F(CommandInterpreterTest, TakeBacksLeaveTheGameOfTheMovesThatRemain) {
  const char* const start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
  const char* const castles = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq -";
  const struct {
    const char* fen;
    const char* played;     // then taken back
    const char* takeBacks;
    const char* remaining;  // the same game entered afresh
  } cases[] = {
      {start, "e2e4 e7e5 g1f3", "undo", "e2e4 e7e5"},
      {start, "e2e4 e7e5 g1f3 b8c6", "remove", "e2e4 e7e5"},
      {start, "e2e4 e7e5 g1f3 b8c6", "undo remove undo", ""},
      {castles, "e1f1 a8b8", "remove", ""},           // both sides' rights come back
      {castles, "a1a8 e8e7", "undo undo", ""},        // the captured rook's right too
      {castles, "e1g1 e8c8 f1f8", "undo", "e1g1 e8c8"},
      {"4k3/8/8/8/8/8/4P3/R3K3 w - -", "a1a2 e8d8 a2a1 d8e8 e2e4 e8d8", "undo undo", "a1a2 e8d8 a2a1 d8e8"},
      {start, "g1f3 g8f6 f3g1 f6g8 g1f3", "undo undo undo", "g1f3 g8f6"},
      {"4k3/1P6/8/8/8/8/7P/4K3 w - -", "b7b8n e8f7", "remove", ""},  // a pawn more: no dead position
      {"4k3/8/8/8/3p4/8/4P3/4K3 w - -", "e2e4 d4e3", "undo", "e2e4"},
      {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -", "e7e5 g1f3", "undo undo", ""},
      {"4k3/8/8/8/8/8/4P3/R3K3 b - - 37 60", "e8d8 a1a2 d8e8", "undo remove", ""},  // the FEN's counters
  };
  for (const auto& c : cases) {
    const std::string setUp = std::string("setboard ") + c.fen + "\nforce\n";
    SetUp();
    const GameState fresh = PlaySession(setUp + c.remaining + "\n");
    SetUp();
    std::string printed;
    const GameState taken = PlaySession(setUp + c.played + "\n" + c.takeBacks + "\n", &printed);
    EXPECT_EQ(FirstDifference(taken, fresh), "") << c.fen << ": " << c.played << ", " << c.takeBacks;
    EXPECT_EQ(printed, "") << c.played << ", " << c.takeBacks;
  }
}

// Moves fed in force mode end the game only where nobody has to claim:
// mate, stalemate, a dead position; after that a move is refused with the
// reason. A repetition or fifty-move draw is the engine's claim once it is
// to move, and a game fed move by move may go on past one.
TEST_F(CommandInterpreterTest, ForceModeEndsTheGameOnlyWhereNobodyClaims) {
  const char* const start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
  const std::string knights = "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8";
  const struct {
    const char* fen;
    std::string moves;
    const char* printed;  // while the moves are fed
    const char* claim;    // then, with the engine to move
  } cases[] = {
      {start, "f2f3 e7e5 g2g4 d8h4 e2e4",
       "0-1 {Black mates}\nIllegal move (the game is over): e2e4\n", "0-1 {Black mates}\n"},
      {"7k/8/8/8/8/8/8/6QK w - -", "g1g6 h8g8", "1/2-1/2 {Stalemate}\nIllegal move (the game is over): h8g8\n",
       "1/2-1/2 {Stalemate}\n"},
      {"8/8/8/4k3/8/8/3nK3/8 w - -", "e2d2", "1/2-1/2 {Draw by insufficient material}\n",
       "1/2-1/2 {Draw by insufficient material}\n"},
      {"4k1b1/8/8/6p1/8/8/8/2B1K3 w - -", "c1g5", "", ""},  // bishops on both colours
      {start, knights, "", "1/2-1/2 {Draw by repetition}\n"},
      {start, knights + " g1f3 g8f6 f3g1", "", "1/2-1/2 {Draw by repetition}\n"},
      {start, knights + " e2e4", "", ""},
  };
  for (const auto& c : cases) {
    SetUp();
    std::string printed;
    PlaySession(std::string("setboard ") + c.fen + "\nforce\n" + c.moves + "\n", &printed);
    EXPECT_EQ(printed, c.printed) << c.fen << ": " << c.moves;
    testing::internal::CaptureStdout();
    AnnounceGameEnd();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.claim) << c.fen << ": " << c.moves;
    TearDown();
  }
}

// Moves fed in force mode are moves of the game: the move number of the
// position text advances after Black's, a take-back steps it back, and the
// clock shares the time by the moves really left to the control.
TEST_F(CommandInterpreterTest, ForceModeMovesAdvanceTheMoveNumber) {
  const char* const start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
  const char* const move39 = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N2N2/PP2BPPP/R2QK2R w KQ - 4 39";
  const struct {
    u8 xboard;
    const char* fen;
    const char* moves;     // one command a line
    const char* fenAfter;  // the tail of "d"'s position text
    i32 ply;
    int toControl;         // at "level 40 ...": the move's share, one for a margin
  } cases[] = {
      {1, start, "usermove g1f3\nusermove g8f6", "w KQkq - 2 2", 3, 40},
      {0, start, "e4 e5 Nf3", "b KQkq - 1 2", 4, 40},  // the console, in algebraic notation
      {1, start, "g1f3 g8f6 b1c3 undo undo", "b KQkq - 1 1", 2, 41},
      {1, start, "g1f3 g8f6 remove", "w KQkq - 0 1", 1, 41},
      {1, move39, "a2a3 a7a6 b2b3 b7b6 h2h3 h7h6", "w KQ - 0 42", 83, 40},
      {1, move39, "a2a3 a7a6", "w KQ - 0 40", 79, 2},
  };
  for (const auto& c : cases) {
    SetUp();
    MainStatus.xboard = c.xboard;
    std::string printed;
    const GameState after =
        PlaySession(std::string("setboard ") + c.fen + "\nforce\n" + c.moves + "\nd\n", &printed);
    EXPECT_EQ(after.ply, c.ply) << c.fen << ": " << c.moves;
    const size_t fen = printed.find("Fen: ");
    ASSERT_NE(fen, std::string::npos) << printed;
    const std::string line = printed.substr(fen, printed.find('\n', fen) - fen);
    EXPECT_EQ(line.substr(line.size() - strlen(c.fenAfter)), c.fenAfter) << c.fen << ": " << c.moves;
    EXPECT_EQ(MovesToControl(40, after.ply), c.toControl) << c.fen << ": " << c.moves;
  }
}

// "sd" given after a move is a setting, not part of the position.
TEST_F(CommandInterpreterTest, ATakeBackKeepsTheDepthLimit) {
  PlaySession("setboard rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -\nforce\ne2e4\nsd 9\nundo\n");
  EXPECT_EQ(MainBoard.MaxDepth, 9);
  EXPECT_EQ(MainBoard.WhitePawns, Squares("a2 b2 c2 d2 e2 f2 g2 h2"));
}

// With nothing to take back the command is refused in the protocol's form
// and the game stays as it is; a new position has no moves to take back.
TEST_F(CommandInterpreterTest, ATakeBackBeyondTheGameIsRefused) {
  const char* const start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
  const struct {
    u8 xboard;
    const char* commands;
    const char* remaining;
    const char* printed;
  } cases[] = {
      {1, "undo", "", "Error (no move to undo): undo\n"},
      {1, "e2e4 remove", "e2e4", "Error (no move to undo): remove\n"},
      {1, "e2e4 e7e5 setboard 4k3/8/8/8/8/8/8/4K2R w K -\nundo", "e2e4 e7e5 setboard 4k3/8/8/8/8/8/8/4K2R w K -\n",
       "Error (no move to undo): undo\n"},
      {0, "e2e4 undo undo", "", "No move to take back: undo\n"},
  };
  for (const auto& c : cases) {
    const std::string setUp = std::string("setboard ") + start + "\nforce\n";
    SetUp();
    MainStatus.xboard = c.xboard;
    const GameState fresh = PlaySession(setUp + c.remaining + "\n");
    SetUp();
    MainStatus.xboard = c.xboard;
    std::string printed;
    const GameState after = PlaySession(setUp + c.commands + "\n", &printed);
    EXPECT_EQ(FirstDifference(after, fresh), "") << c.commands;
    // The console prompts for every word; only the refusal matters here.
    EXPECT_NE(printed.find(c.printed), std::string::npos) << c.commands << "\n" << printed;
  }
}

// "memory N" holds the table to N MB; "?" leaves "post" as it was.
TEST_F(CommandInterpreterTest, MemorySizesTheTableAndMoveNowKeepsPosting) {
  for (int megabytes : {16, 1, 100}) {
    EXPECT_EQ(Run("memory", std::to_string(megabytes) + "\n"), Handled);
    EXPECT_LE(PositionCache.SizeMB(), megabytes);
    EXPECT_GE(2 * PositionCache.SizeMB(), megabytes);
  }
  PositionCache.Resize(TTDefaultMB);
  MainStatus.Post = 1;
  EXPECT_EQ(Run("?", ""), LeaveReader);
  EXPECT_EQ(MainStatus.Post, 1);
}

// "option Classic=1" (0) plays the classic (default) engine from the next
// search on: at once between searches; while the engine searches for its
// move, once that search has unwound; during analysis the analysis starts
// again, and a "ping" after the option waits for it.
TEST_F(CommandInterpreterTest, ClassicOptionChoosesTheEngineBetweenSearches) {
  std::string printed;
  EXPECT_EQ(Run("option", "Classic=1\n"), Handled);
  EXPECT_TRUE(Classic);
  EXPECT_EQ(Run("option", "Classic=0\n"), Handled);
  EXPECT_FALSE(Classic);
  EXPECT_EQ(Run("option", "Classic=yes\n", &printed), Handled);
  EXPECT_EQ(printed, "Error (Classic needs 0 or 1): Classic=yes\n");
  EXPECT_FALSE(Classic);

  EngineThinking = 1;
  EXPECT_EQ(Run("option", "Classic=1\n"), Handled);
  EXPECT_FALSE(Classic) << "the engine's own search plays on as it started";
  EngineThinking = 0;
  FinishDeferredCommands();
  EXPECT_TRUE(Classic);

  Limits.Analyze = 1;
  EngineThinking = 1;
  EXPECT_EQ(Run("option", "Classic=0\n"), LeaveReader);
  EXPECT_TRUE(Classic) << "the analysis that runs plays on as it started";
  EXPECT_EQ(Run("ping", "9\n", &printed), Handled);
  EXPECT_EQ(printed, "");
  EngineThinking = 0;
  testing::internal::CaptureStdout();
  EXPECT_EQ(HumanMove(), LeaveReader) << "the analysis starts again";
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "pong 9\n");
  EXPECT_FALSE(Classic);
  EXPECT_EQ(MainStatus.HumanToMove, 0);
  Limits.Analyze = 0;
}

// Protocol 2: the features, done=1 last; "ping" outside a search is
// answered at once; "usermove" is a move.
TEST_F(CommandInterpreterTest, ProtocolTwoAnnouncesItsFeaturesAndAnswersPings) {
  std::string printed;
  EXPECT_EQ(Run("protover", "2\n", &printed), Handled);
  EXPECT_EQ(MainStatus.XboardVersion, 2);
  MainStatus.XboardVersion = 0;
  for (const char* feature : {"myname=\"Vorn ", "ping=1", "setboard=1", "usermove=1", "analyze=1", "colors=0",
                              "sigint=0", "sigterm=0", "memory=1", "reuse=1", "time=1", "draw=0",
                              "option=\"Classic -check 0\""})
    EXPECT_NE(printed.find(feature), std::string::npos) << feature;
  const std::string last = "feature done=1\n";
  ASSERT_GE(printed.size(), last.size());
  EXPECT_EQ(printed.substr(printed.size() - last.size()), last);
  EXPECT_EQ(printed.compare(0, 8, "feature "), 0);

  EXPECT_EQ(Run("ping", "42\n", &printed), Handled);
  EXPECT_EQ(printed, "pong 42\n");
  EXPECT_EQ(Run("usermove", "e2e4\n"), MoveEntered);
  EXPECT_EQ(Run("usermove", "e2e5\n", &printed), Handled);
  EXPECT_EQ(printed, "Illegal move: e2e5\n");
}
}  // namespace

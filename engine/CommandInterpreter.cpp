#include "engine/CommandInterpreter.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/PositionText.h"
#include "engine/CommandLine.h"
#include "engine/GameMoves.h"
#include "engine/Status.h"
#include "engine/ThinkingOutput.h"
#include "engine/UCIProtocol.h"
#include "movegen/EngineSet.h"
#include "movegen/SANText.h"
#include "movegen/SEE.h"
#include "search/InputPoll.h"
#include "search/PolyglotBook.h"
#include "search/SearchLimits.h"
#include "search/SearchRoutines.h"
#include "search/SearchThreads.h"
#include "search/StrengthLevel.h"
#include "search/TimeControl.h"
#include "search/TranspositionTables.h"

u8 EngineThinking = 0;

namespace {
constexpr int WordSize = 512;

// The move of the last word DoCommand accepted as a move.
GameMove EnteredMove;
// A move that arrived during analysis: it ends the analysis and is played
// by the next HumanMove, after which the new position is analysed. Also the
// first word read at start-up, when it is a command for the reader.
char PendingWord[WordSize] = "";
// The next HumanMove stays in force mode, though the reader was left: after
// "force" during the engine's own search (the search is dropped), and after
// a game ended or went on again in force mode.
u8 KeepForceMode = 0;
u8 GameResetPending = 0;
// The fixed time per move in force before analysis, which sets its own.
i32 STBeforeAnalysis = 0;
// Commands that wait for the search to unwind (FinishDeferredCommands):
// the numbers of pings to answer, moves to take back, a table size in MB
// (0 none), the engine to play (NoEngineChange, or 0 for the default and
// 1 for the classic), and an analysis to start again on the position they
// leave.
std::vector<int> OwedPongs;
int PendingTakeBacks = 0;
int PendingMemory = 0;
constexpr int NoEngineChange = -1;
int PendingClassic = NoEngineChange;
u8 RestartAnalysis = 0;

constexpr int DefaultMaxDepth = 56;
// Book entries checked at a time while the reader waits (a megabyte, about
// a millisecond): a command that comes is read after one piece at most.
constexpr long long BookCheckPiece = 1 << 16;

bool ReadWord(char* word) {
  if (scanf("%511s", word) == 1) return true;
  word[0] = 0;
  return false;
}

// The next word of the command's own line; false when the line has no
// more. An argument never comes from the next line: a command that lacks
// one must not swallow the command after it ("st", then "ping 1").
bool ReadArgument(char* word) {
  int c;
  while ((c = getchar()) == ' ' || c == '\t') {
  }
  if (c == '\r') {
    c = getchar();
    if (c != '\n' && c != EOF) ungetc(c, stdin);
    return false;
  }
  if (c == '\n' || c == EOF) return false;
  ungetc(c, stdin);
  return ReadWord(word);
}

// A command without the argument it needs is not carried out; the next
// line is read as a command of its own.
int MissingArgument(const char* command) {
  printf("Error (missing argument): %s\n", command);
  fflush(stdout);
  return Handled;
}

// The rest of the current line, without the blanks after the command and
// without its end (CR LF or LF).
void ReadRestOfLine(char* text, int size) {
  int n = 0, c;
  while ((c = getchar()) == ' ' || c == '\t') {
  }
  for (; c != EOF && c != '\n'; c = getchar()) {
    if (n < size - 1) text[n++] = (char)c;
  }
  while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == ' ')) n--;
  text[n] = 0;
}

// A whole-number argument of `command`; false, with one line, when the
// line has none or a word that is no number. The rest of a refused line is
// dropped, so that none of it is read as a command.
bool NumberArgument(const char* command, int* target) {
  char word[WordSize];
  if (!ReadArgument(word)) {
    MissingArgument(command);
    return false;
  }
  char* end;
  errno = 0;
  const long n = strtol(word, &end, 10);
  if (end == word || *end != 0 || errno != 0 || n < INT_MIN || n > INT_MAX) {
    char rest[WordSize];
    ReadRestOfLine(rest, sizeof rest);
    printf("Error (%s needs a number): %s\n", command, word);
    fflush(stdout);
    return false;
  }
  *target = (int)n;
  return true;
}

// The book's order is checked while the reader waits for a command, never
// on a move's clock.
void CheckBookUntilInput() {
  while (!Book.OrderChecked() && !InputWaiting()) {
    const std::string problem = Book.CheckSomeOrder(BookCheckPiece);
    if (!problem.empty()) Thinking.BookProblem(problem.c_str());
  }
}

void ResetGameRecord() {
  if (EngineThinking) GameResetPending = 1;
  else StartGameRecord();
}

// After any set-up that is not a move: counts and totals from the piece
// boards, a fresh fifty-move count and repetition record.
void PositionWasSetUp() {
  MainBoard.RecountPieces();
  MainBoard.FiftyMoveCount = 0;
  ResetGameRecord();
}

void LeaveAnalysis() {
  if (Limits.Analyze) Clock.ST = STBeforeAnalysis;
  Limits.Analyze = 0;
}

// "quit" or the end of input while a search runs: nobody is left to
// receive a move, so the program ends at once.
[[noreturn]] void QuitNow() {
  printf("Bye, Thanks for the match.\n");
  fflush(stdout);
  exit(0);
}

int Quit() {
  Status& s = MainStatus;
  s.KeepRunning = 0;
  s.GameInProgress = 0;
  if (EngineThinking) QuitNow();
  return QuitProgram;
}

bool IsCastlingWord(const char* word) {
  return strncmp(word, "O-O", 3) == 0 || strncmp(word, "0-0", 3) == 0;
}

// At the console a move may also be typed in standard algebraic notation
// ("Nf3", "O-O", "e4"); GUIs send coordinates, and castling as "O-O" or
// "O-O-O" in Chess960 (xboard's fischerandom).
bool ConsoleSANMove(const char* word, GameMove* move) {
  if (MainStatus.xboard && !IsCastlingWord(word)) return false;
  LegalMove m;
  if (ReadSAN(word, MainBoard, &m) != SANReading::Found) return false;
  move->From = m.From;
  move->To = m.To;
  move->Promote = m.Promote;
  return true;
}

// A word a person types for a move in algebraic notation: a piece letter
// and a square or a capture, a pawn's capture, or castling. Read at the
// console only, but for castling, which xboard sends so in Chess960.
bool ConsoleSANShape(const char* word) {
  if (IsCastlingWord(word)) return true;
  if (MainStatus.xboard) return false;
  if (word[0] >= 'a' && word[0] <= 'h' && word[1] == 'x') return true;
  return word[0] != 0 && strchr("KQRBN", word[0]) && word[1] != 0 && strchr("abcdefgh12345678x", word[1]);
}

// A word that looks like a move (a file letter, then '0' to '8'), or one
// the console reads as a move in algebraic notation.
int MoveCommand(char* word) {
  // During the engine's own search the opponent cannot move.
  if (EngineThinking && !Limits.Analyze) return Handled;
  if (MainStatus.GameInProgress == 0) {
    printf("Illegal move (the game is over): %s\n", word);
    fflush(stdout);
    return Handled;
  }
  GameMove move;
  if (!FindLegalMove(word, MainBoard, &move) && !ConsoleSANMove(word, &move)) {
    printf("Illegal move: %s\n", word);
    fflush(stdout);
    return Handled;
  }
  if (EngineThinking) {
    snprintf(PendingWord, sizeof PendingWord, "%s", word);
    Search.AbortSearch();
    return LeaveReader;
  }
  EnteredMove = move;
  return MoveEntered;
}

// The commands: each reads its own arguments and answers what DoCommand
// answers. They all take the command's word, which only the depth commands
// use (they echo it at the console).

// A field of "level": digits only, as GUIs write the moves and the minutes.
bool LevelDigits(const char* text) { return text[0] != 0 && strspn(text, "0123456789") == strlen(text); }

// "level MPS BASE INC": BASE in minutes or minutes:seconds, INC in seconds,
// possibly with a fraction, which the whole-second increment drops. A field
// of another form is refused, and the clock keeps its figures.
int SetLevel(const char* word) {
  char moves[WordSize], base[WordSize], inc[WordSize];
  if (!ReadArgument(moves) || !ReadArgument(base) || !ReadArgument(inc)) return MissingArgument(word);
  const char* colon = strchr(base, ':');
  const std::string minutesText(base, colon ? (size_t)(colon - base) : strlen(base));
  char* end;
  const double increment = strtod(inc, &end);
  const char* bad = nullptr;
  if (!LevelDigits(moves)) bad = moves;
  else if (!LevelDigits(minutesText.c_str()) || (colon && !LevelDigits(colon + 1))) bad = base;
  else if (end == inc || *end != 0 || !(increment >= 0)) bad = inc;
  if (bad != nullptr) {
    printf("Error (%s needs a number): %s\n", word, bad);
    fflush(stdout);
    return Handled;
  }
  // Held to the clock's range before they are multiplied.
  auto held = [](const char* digits) { return std::min<i64>(strtoll(digits, nullptr, 10), MaxClockMs); };
  Clock.MovesPerSession = MainStatus.LevelMoves = (int)std::min<i64>(held(moves), INT_MAX);
  i64 seconds = 60 * held(minutesText.c_str());
  if (colon) seconds += held(colon + 1);
  Clock.TimeLeft = ClampClock(1000 * seconds);
  Clock.TimeInc = increment < MaxClockMs / 1000 ? (int)increment : MaxClockMs / 1000;
  return Handled;
}

// "sd N", also spelled "Depth" or "DEPTH".
int SetMaxDepth(const char* word) {
  Status& s = MainStatus;
  int depth = MainBoard.MaxDepth;
  if (!NumberArgument(word, &depth)) return Handled;
  if (!s.xboard) {
    printf("setting MAXDEPTH\n");
    printf("scanstring %s\n", word);
  }
  MainBoard.MaxDepth = depth;
  if (!s.xboard) printf("MAXDEPTH %d\n", MainBoard.MaxDepth);
  MainBoard.BestMoveFrom = MainBoard.BestMoveTo = 0;
  return Handled;
}

// "sfd N": the depth limit at the console; an xboard GUI's number is read
// and dropped.
int SetFixedDepth(const char* word) {
  if (!MainStatus.xboard) return SetMaxDepth(word);
  int ignored = 0;
  if (!NumberArgument(word, &ignored)) return Handled;
  MainBoard.BestMoveFrom = MainBoard.BestMoveTo = 0;
  return Handled;
}

int DumpSEE(const char* word) {
  int from = -1, to = -1;
  if (!NumberArgument(word, &from) || !NumberArgument(word, &to)) return Handled;
  if (from < 0 || from > 63 || to < 0 || to > 63) return Handled;
  const u64 target = SquareMask(to);
  int v = see.StaticExchangeEvaluation((char)MainBoard.PieceColor(target), SquareMask(from), target, &MainBoard);
  printf("SEE value = %d\n", v);
  return Handled;
}

// "." asks for the analysis's status line; at any other time the figures
// would be another search's, or stale, so it is read without a word.
int ShowStatus(const char*) {
  if (!Limits.Analyze) return Handled;
  Thinking.PrintStatus();
  return Handled;
}

// Move now: the engine plays the best move found so far, as when its time
// runs out. In analysis, or with nothing to stop, "?" leaves.
int MoveNow(const char*) {
  if (EngineThinking && !Limits.Analyze) {
    Search.MoveNow();
    return Handled;
  }
  // "post" stays as it was: a "?" that comes just after the move must not
  // silence the rest of the game.
  Search.AbortSearch();
  LeaveAnalysis();
  return LeaveReader;
}

int Ignore(const char*) { return Handled; }

// A take-back or a set-up after the game's end leaves a position to play
// on from: the game goes on, in force mode if it was in it.
int ResumeGame() {
  Status& s = MainStatus;
  s.GameInProgress = 1;
  s.EndedByResult = 0;
  KeepForceMode = s.Force;
  return LeaveReader;
}

// "go" and "analyze" after the GUI's "result".
void TakeUpGameAfterResult() {
  Status& s = MainStatus;
  if (s.GameInProgress != 0 || !s.EndedByResult) return;
  s.GameInProgress = 1;
  s.EndedByResult = 0;
  s.TakenUpAgain = 1;
}

int AbortGame(const char*) {
  Status& s = MainStatus;
  if (EngineThinking) Search.AbortSearch();
  MainBoard.InitRep();
  MainBoard.MaxDepth = DefaultMaxDepth;
  s.HumanToMove = 1;
  MainBoard.FiftyMoveCount = 0;
  MainBoard.SideToMove = 0;
  s.GameInProgress = 1;
  LeaveAnalysis();
  s.initVars();
  PositionWasSetUp();
  return LeaveReader;
}

int EnterAnalysis(const char*) {
  Status& s = MainStatus;
  TakeUpGameAfterResult();
  if (!Limits.Analyze) STBeforeAnalysis = Clock.ST;
  Limits.Analyze = 1;
  s.Post = 1;
  s.Force = 0;
  s.HumanToMove = 0;
  Clock.NodesPerSecond = 200001;
  // ST is already in milliseconds; without one, analysis runs until told.
  if (Clock.ST == 0) Clock.ST = AnalysisTime;
  return LeaveReader;
}

int ToggleOwnBook(const char*) {
  if (!Limits.Analyze) Limits.OwnBook ^= 1;
  return Handled;
}

// The book switch for this game and the next ones.
void SetOwnBook(bool on) {
  Limits.OwnBook = on;
  Arguments.OwnBook = on;
  if (!on) return;
  const std::string problem = Book.Reopen();
  if (!problem.empty()) Thinking.BookProblem(problem.c_str());
}

// "book on", "book off"; "book" alone says which, and the file.
int BookCommand(const char* word) {
  char text[WordSize];
  if (!ReadArgument(text)) {
    if (!Limits.OwnBook) printf("book off\n");
    else if (Book.IsOpen()) printf("book on: %s, %lld entries\n", Book.Path().c_str(), Book.EntryCount());
    else printf("book on, but no book file is open\n");
    fflush(stdout);
    return Handled;
  }
  if (strcmp(text, "on") == 0 || strcmp(text, "off") == 0) {
    SetOwnBook(strcmp(text, "on") == 0);
    return Handled;
  }
  printf("Error (book takes on or off): %s %s\n", word, text);
  fflush(stdout);
  return Handled;
}

int BlackToMove(const char*) {
  MainBoard.SideToMove = 1;
  return Handled;
}

int WhiteToMove(const char*) {
  MainBoard.SideToMove = 0;
  return Handled;
}

int DisplayBoard(const char*) {
  ShowBoard();
  return Handled;
}

int ShowDetails(const char*) {
  ShowPositionDetails();
  return Handled;
}

int Evaluation(const char*) {
  ShowEvaluation();
  return Handled;
}

// After "edit" and "setboard": a search of the old position is abandoned.
// Analysis that had ended by itself (a mate found, a side without a move,
// the depth limit) starts again on the new position.
int NewPositionEntered() {
  PositionWasSetUp();
  if (MainStatus.GameInProgress == 0) return ResumeGame();
  if (!EngineThinking) {
    if (!Limits.Analyze) return Handled;
    MainStatus.HumanToMove = 0;
    return LeaveReader;
  }
  Search.AbortSearch();
  return LeaveReader;
}

// A set-up that is no chess position is refused, and the game goes on as
// it was.
void RefusePosition(const char* problem) {
  if (MainStatus.xboard) printf("tellusererror Illegal position: %s\n", problem);
  else printf("Illegal position: %s\n", problem);
  fflush(stdout);
}

int EditBoard(const char*) {
  const ChessBoard before = MainBoard;
  SetupBoardFromEdit();
  if (const char* problem = PositionProblem(MainBoard)) {
    MainBoard = before;
    RefusePosition(problem);
    return Handled;
  }
  return NewPositionEntered();
}

int SetBoardFromText(const char* word) {
  char fen[WordSize];
  ReadRestOfLine(fen, sizeof fen);
  if (fen[0] == 0) return MissingArgument(word);
  if (const char* problem = LoadPosition(fen)) {
    RefusePosition(problem);
    return Handled;
  }
  const int r = NewPositionEntered();
  // The game goes on from the FEN's fifty-move count and move number.
  TakeMoveCounters(ReadMoveCounters(fen));
  return r;
}

int ExitAnalysis(const char*) {
  if (Limits.Analyze) {
    MainStatus.Post = 0;
    LeaveAnalysis();
    Search.AbortSearch();
    return LeaveReader;
  }
  return EngineThinking ? Handled : LeaveReader;
}

int EnterForceMode(const char*) {
  MainStatus.Force = 1;
  // A move found after "force" would be played on a board the GUI no
  // longer follows, so the engine's own search is dropped.
  if (EngineThinking && !Limits.Analyze) {
    KeepForceMode = 1;
    Search.AbortSearch();
    return LeaveReader;
  }
  return Handled;
}

int StartThinking(const char*) {
  if (EngineThinking && !Limits.Analyze) return Handled;
  TakeUpGameAfterResult();
  MainStatus.Force = 0;
  MainStatus.HumanToMove = 0;
  return LeaveReader;
}

// Arguments that run to the end of the line and are not used: the
// opponent's name ("name Fairy-Max 5.0b"), the GUI's answer to a feature
// ("accepted ping", whose feature name is a command word of its own), the
// ratings and the server of a game on a chess server. None of their words
// may be taken for a command or a move.
int SkipRestOfLine(const char* word) {
  char text[WordSize];
  ReadRestOfLine(text, sizeof text);
  if (text[0] == 0) return MissingArgument(word);
  return Handled;
}

int NewGame(const char*) {
  Status& s = MainStatus;
  if (EngineThinking) Search.AbortSearch();
  Search.ClearHistory();
  MainBoard.InitRep();
  // A GUI names the variant after "new"; without one the game is standard
  // chess (or Chess960 for "-chess960").
  Chess960 = Arguments.Chess960;
  if (Limits.Analyze) s.Post = 0;
  LeaveAnalysis();
  s.initVars();
  Arguments.RestoreLimits();
  Book.NewGame();
  s.HumanToMove = 1;
  MainBoard.FiftyMoveCount = 0;
  MainBoard.SideToMove = 0;
  s.GameInProgress = 1;
  PositionWasSetUp();
  return LeaveReader;
}

// "result 1-0 {White resigns}": the GUI ended the game (a resignation, a
// flag, an adjudication), and the engine plays no more moves in it: its
// search for a move is dropped, and moves are refused as after any other
// ending. Analysis plays no game and goes on.
int EndGameByResult(const char* word) {
  char text[WordSize];
  ReadRestOfLine(text, sizeof text);
  if (text[0] == 0) return MissingArgument(word);
  Status& s = MainStatus;
  if (Limits.Analyze || s.GameInProgress == 0) return Handled;
  s.GameInProgress = 0;
  s.EndedByResult = 1;
  KeepForceMode = s.Force;
  if (EngineThinking) Search.AbortSearch();
  return LeaveReader;
}

int UnknownCommand(const char* word) {
  printf("Error (unknown command): %s\n", word);
  fflush(stdout);
  return Handled;
}

// The person at the console gives up: the side to move resigns, and the
// game ends as any other does. An xboard GUI does not send it; there it is
// no command.
int Resign(const char* word) {
  Status& s = MainStatus;
  if (s.xboard) return UnknownCommand(word);
  if (s.GameInProgress == 0) {
    printf("Error (the game is over): %s\n", word);
    fflush(stdout);
    return Handled;
  }
  if (EngineThinking) Search.AbortSearch();
  if (Limits.Analyze) s.Post = 0;
  LeaveAnalysis();
  printf("%s\n", MainBoard.SideToMove == 0 ? "0-1 {White resigns}" : "1-0 {Black resigns}");
  fflush(stdout);
  s.GameInProgress = 0;
  return LeaveReader;
}

// The console's commands, for a person; the xboard protocol's own commands
// are understood too.
int ShowHelp(const char*) {
  printf("Moves: e2e4, e1g1 (castling), e7e8n (promotion; a queen without the letter),\n"
         "       or standard algebraic notation: Nf3, e4, exd5, O-O, e8=Q.\n"
         "Commands:\n"
         "  new            a new game; you have White\n"
         "  go             Vorn plays the side to move\n"
         "  force          Vorn stops playing: enter the moves of both sides\n"
         "  undo           take back the last move\n"
         "  remove         take back the last two moves\n"
         "  resign         give up the game\n"
         "  st N           Vorn thinks N seconds a move\n"
         "  sd N           Vorn searches N plies deep at most\n"
         "  level M B I    M moves in B minutes, I seconds more a move\n"
         "  post, nopost   show or hide Vorn's thinking\n"
         "  setboard FEN   set up a position\n"
         "  variant V      fischerandom (Chess960, castling O-O, O-O-O) or normal, after new\n"
         "  displayboard   show the board\n"
         "  d              the board, its FEN and hash key\n"
         "  eval           the evaluation of the position, term by term\n"
         "  analyze, exit  analyse the position without playing, and stop\n"
         "  exclude MOVE   analysis leaves the move out (\"all\": every move); include MOVE takes it back\n"
         "  option MultiPV=N  the N best moves shown when thinking\n"
         "  option Classic=1  Vorn plays its classic engine (0: the default one)\n"
         "  book on, off   play the first moves from the opening book, or not\n"
         "  elo N, elo off Vorn plays at a strength of N Elo (%d to %d), or at full strength\n"
         "  help           this list\n"
         "  quit           leave Vorn\n",
         LowestElo, FullStrengthElo);
  fflush(stdout);
  return Handled;
}

int StopPosting(const char*) {
  MainStatus.Post = 0;
  return Handled;
}

int StartPosting(const char*) {
  MainStatus.Post = 1;
  return Handled;
}

int SkipOpponentTime(const char* word) {
  int opponentTime = 0;  // read past; the engine plays on its own clock
  if (!NumberArgument(word, &opponentTime)) return Handled;
  return Handled;
}

int QuitGame(const char*) { return Quit(); }

int StartSelfPlay(const char*) {
  MainStatus.SelfPlay = 1;
  return LeaveReader;
}

int SetTimePerMove(const char* word) {
  int n = 0;
  if (!NumberArgument(word, &n)) return Handled;
  SetSecondsPerMove(n);
  return Handled;
}

int SetTimeLeft(const char* word) {
  int n = Clock.TimeLeft / 10;
  if (!NumberArgument(word, &n)) return Handled;
  Clock.TimeLeft = ClampClock(10 * (i64)n);
  return Handled;
}

int ToggleTrace(const char*) {
  Limits.Trace = (u8)((Limits.Trace + 1) % 2);
  return Handled;
}

int EnterXboardMode(const char*) {
  MainStatus.xboard = 1;
  return Handled;
}

// "protover N": from 2 on the GUI waits for the features, the last of them
// done=1. Their answers ("accepted ping", "rejected colors") are read to the
// end of their lines and ignored.
int AnnounceFeatures(const char* word) {
  int version = 0;
  if (!NumberArgument(word, &version)) return Handled;
  if (version < 2) return Handled;
  MainStatus.XboardVersion = (u8)(version < 255 ? version : 255);
  // The book's settings, which xboard sets with "option NAME=VALUE".
  printf("feature option=\"OwnBook -check %d\" option=\"BookFile -file %s\" option=\"BookBestMove -check %d\" "
         "option=\"BookDepth -spin %d 1 %d\"\n",
         Limits.OwnBook, Book.Path().c_str(), Book.BestMove, Book.DepthMoves, MaxBookDepth);
  printf("feature myname=\"Vorn %s\" ping=1 setboard=1 usermove=1 analyze=1 colors=0 sigint=0 sigterm=0 "
         "memory=1 smp=1 reuse=1 time=1 draw=0 exclude=1 option=\"MultiPV -spin 1 1 %d\" "
         "variants=\"normal,fischerandom\" option=\"Strength -spin %d %d %d\" "
         "option=\"Move Overhead -spin %d 0 %d\"%s\n",
         UCI.UCIVersion, MaxLines, FullStrengthElo, LowestElo, FullStrengthElo, DefaultMoveOverheadMs,
         MaxMoveOverheadMs,
         // A process started as the classic engine introduces itself as Vorn
         // always has.
         Arguments.Classic ? "" : " option=\"Classic -check 0\"");
  printf("feature done=1\n");
  fflush(stdout);
  return Handled;
}

void Pong(int number) { printf("pong %d\n", number); }

// "ping N" is answered once every earlier command is done: a move being
// thought about is sent first, and so are take-backs and a table size
// waiting for a search to unwind. Analysis is no such command.
int Ping(const char* word) {
  int number = 0;
  if (!NumberArgument(word, &number)) return Handled;
  const bool owed = EngineThinking && (!Limits.Analyze || PendingWord[0] != 0 || PendingTakeBacks != 0 ||
                                       PendingMemory != 0 || PendingClassic != NoEngineChange || RestartAnalysis);
  if (owed) {
    OwedPongs.push_back(number);
    return Handled;
  }
  Pong(number);
  fflush(stdout);
  return Handled;
}

// "memory N": the transposition table takes at most N MB. A search keeps
// the table it has; analysis starts again with the new one.
int SetMemory(const char* word) {
  int megabytes = 0;
  if (!NumberArgument(word, &megabytes)) return Handled;
  if (megabytes <= 0) {
    printf("Error (memory needs a number from 1): %d\n", megabytes);
    fflush(stdout);
    return Handled;
  }
  if (!EngineThinking) {
    PositionCache.Resize(megabytes);
    return Handled;
  }
  PendingMemory = megabytes;
  if (!Limits.Analyze) return Handled;
  RestartAnalysis = 1;
  Search.AbortSearch();
  return LeaveReader;
}

// "variant fischerandom" (Chess960) or "variant normal", after "new": the
// castling moves read and written, the rights a position text names.
int SetVariant(const char* word) {
  char name[WordSize];
  if (!ReadArgument(name)) return MissingArgument(word);
  if (strcmp(name, "fischerandom") == 0 || strcmp(name, "normal") == 0) {
    Chess960 = strcmp(name, "fischerandom") == 0;
  } else {
    printf("Error (variant not supported): %s\n", name);
    fflush(stdout);
  }
  return Handled;
}

// "cores N": the search threads from the next search on (xboard sends it
// once the GUI accepted smp=1; at the console it is typed).
int SetCores(const char* word) {
  int cores = 0;
  if (!NumberArgument(word, &cores)) return Handled;
  const int threads = Threads.SetCount(cores);
  if (threads != cores) {
    printf("cores %d is out of range: %d threads\n", cores, threads);
    fflush(stdout);
  }
  return Handled;
}

// "elo N": Vorn plays at a strength of N Elo points (held to the level's
// range, the top being full strength); "elo off": full strength. From the
// next search on.
int SetStrength(const char* word) {
  char text[WordSize];
  if (!ReadArgument(text)) return MissingArgument(word);
  if (strcmp(text, "off") == 0) {
    Level.Limited = false;
    return Handled;
  }
  char* end;
  const long asked = strtol(text, &end, 10);
  if (end == text || *end != 0) {
    printf("Error (elo needs a number or off): %s\n", text);
    fflush(stdout);
    return Handled;
  }
  Level.Limited = true;
  if (Level.SetElo(asked) != asked) {
    printf("elo %ld is out of range: %d\n", asked, Level.Elo);
    fflush(stdout);
  }
  return Handled;
}

// A setting that changes what analysis shows starts the analysis that runs
// again, from the same position.
int AnalyseAgain() {
  if (!Limits.Analyze) return Handled;
  if (!EngineThinking) {
    MainStatus.HumanToMove = 0;
    return LeaveReader;
  }
  RestartAnalysis = 1;
  Search.AbortSearch();
  return LeaveReader;
}

// The number of "option NAME=VALUE"; false, with one line, when VALUE is
// none (the option keeps its setting).
bool OptionNumber(const char* name, const char* text, const char* value, long* asked) {
  char* end = nullptr;
  errno = 0;
  *asked = strtol(value, &end, 10);
  if (end != value && *end == 0 && errno == 0) return true;
  printf("Error (%s needs a number): %s\n", name, text);
  fflush(stdout);
  return false;
}

// The number of "option NAME=VALUE" held to lo .. hi in *held, with a line
// when it had to be ("NAME N is out of range: M" and the unit); false when
// VALUE is none.
bool RangedOption(const char* name, const char* text, const char* value, long lo, long hi, const char* unit,
                  long* held) {
  long asked;
  if (!OptionNumber(name, text, value, &asked)) return false;
  *held = std::clamp<long>(asked, lo, hi);
  if (*held != asked) {
    printf("%s %ld is out of range: %ld%s\n", name, asked, *held, unit);
    fflush(stdout);
  }
  return true;
}

// The value of a -check option, as xboard sends it: 0 or 1.
bool OptionSwitch(const char* name, const char* text, const char* value, bool* on) {
  if (strcmp(value, "0") == 0 || strcmp(value, "1") == 0) {
    *on = value[0] == '1';
    return true;
  }
  printf("Error (%s needs 0 or 1): %s\n", name, text);
  fflush(stdout);
  return false;
}

// "option Strength=N": the level in Elo points, held to its range; the
// top (the option's default) is full strength.
int SetStrengthOption(const char* text, const char* value) {
  long asked;
  if (!OptionNumber("Strength", text, value, &asked)) return Handled;
  Level.SetElo(asked);
  Level.Limited = Level.Elo < FullStrengthElo;
  if (Level.Elo != asked) {
    printf("Strength %ld is out of range: %d\n", asked, Level.Elo);
    fflush(stdout);
  }
  return Handled;
}

// "Move Overhead=N": milliseconds kept back from the clock on every move,
// held to 0 .. MaxMoveOverheadMs; from the next move on.
int SetMoveOverhead(const char* text, const char* value) {
  long ms;
  if (RangedOption("Move Overhead", text, value, 0, MaxMoveOverheadMs, "", &ms)) Clock.MoveOverhead = (i32)ms;
  return Handled;
}

// "MultiPV=N": the lines analysis and thinking show, held to 1 .. MaxLines.
int SetLineCount(const char* text, const char* value) {
  long lines;
  if (!RangedOption("MultiPV", text, value, 1, MaxLines, " lines", &lines)) return Handled;
  if (lines == Limits.MultiPV) return Handled;
  Limits.MultiPV = (int)lines;
  return AnalyseAgain();
}

int SetOwnBookOption(const char* text, const char* value) {
  bool on;
  if (OptionSwitch("OwnBook", text, value, &on)) SetOwnBook(on);
  return Handled;
}

// "BookFile=" with nothing after it plays without a book.
int SetBookFileOption(const char* text, const char* value) {
  if (strchr(text, '=') == nullptr) {
    printf("Error (BookFile needs a file name): %s\n", text);
    fflush(stdout);
    return Handled;
  }
  const std::string problem = Book.Open(value);
  if (!problem.empty()) Thinking.BookProblem(problem.c_str());
  return Handled;
}

int SetBookBestMoveOption(const char* text, const char* value) {
  bool on;
  if (OptionSwitch("BookBestMove", text, value, &on)) Book.BestMove = on;
  return Handled;
}

// "BookDepth=N": the moves of each side played from the book, held to
// 1 .. MaxBookDepth.
int SetBookDepthOption(const char* text, const char* value) {
  long moves;
  if (RangedOption("BookDepth", text, value, 1, MaxBookDepth, "", &moves)) Book.DepthMoves = (int)moves;
  return Handled;
}

// "Classic=1" plays the classic engine, "Classic=0" the default, from the
// next search on: a search plays one engine from its start to its end, so
// the engine's own search goes on as it was and analysis starts again.
int SetClassicOption(const char* text, const char* value) {
  bool on;
  if (!OptionSwitch("Classic", text, value, &on)) return Handled;
  if (!EngineThinking) {
    Classic = on;
    return Handled;
  }
  PendingClassic = on;
  if (!Limits.Analyze) return Handled;
  RestartAnalysis = 1;
  Search.AbortSearch();
  return LeaveReader;
}

// The options the features announce, by name as xboard sends them back
// (a name may hold blanks).
struct EngineOption {
  const char* name;
  int (*set)(const char* text, const char* value);
};

constexpr EngineOption EngineOptions[] = {
    {"MultiPV", SetLineCount},           {"Strength", SetStrengthOption},
    {"OwnBook", SetOwnBookOption},       {"BookFile", SetBookFileOption},
    {"BookBestMove", SetBookBestMoveOption}, {"BookDepth", SetBookDepthOption},
    {"Move Overhead", SetMoveOverhead},      {"Classic", SetClassicOption},
};

// xboard's "option NAME=VALUE". A value that does not fit the option is
// refused with one line, and the option keeps its setting.
int SetEngineOption(const char* word) {
  char text[WordSize];
  ReadRestOfLine(text, sizeof text);
  if (text[0] == 0) return MissingArgument(word);
  const char* equals = strchr(text, '=');
  const std::string name(text, equals ? (size_t)(equals - text) : strlen(text));
  for (const EngineOption& option : EngineOptions) {
    if (name == option.name) return option.set(text, equals ? equals + 1 : "");
  }
  printf("Error (unknown option): %s\n", text);
  fflush(stdout);
  return Handled;
}

// "exclude MOVE", "include MOVE", "exclude all", "include all": analysis
// leaves the excluded root moves out until the position changes ("exclude
// all" then "include e2e4" analyses e2e4 alone).
int ExcludeOrInclude(const char* word) {
  char text[WordSize];
  if (!ReadArgument(text)) return MissingArgument(word);
  const bool exclude = strcmp(word, "exclude") == 0;
  std::vector<u16>& excluded = Limits.ExcludedMoves;
  const std::vector<u16> before = excluded;
  if (strcmp(text, "all") == 0) {
    excluded.clear();
    if (exclude)
      for (const LegalMove& m : LegalMoves(MainBoard))
        excluded.push_back((u16)(SquareOf(m.From) * 64 + SquareOf(m.To)));
  } else {
    GameMove move;
    if (!FindLegalMove(text, MainBoard, &move)) {
      printf("Illegal move: %s\n", text);
      fflush(stdout);
      return Handled;
    }
    const u16 code = (u16)(SquareOf(move.From) * 64 + SquareOf(move.To));
    excluded.erase(std::remove(excluded.begin(), excluded.end(), code), excluded.end());
    if (exclude) excluded.push_back(code);
  }
  if (excluded == before) return Handled;
  return AnalyseAgain();
}

// "usermove e2e4", once the GUI accepted usermove=1.
int UserMove(const char* command) {
  char word[WordSize];
  if (!ReadArgument(word)) return MissingArgument(command);
  return MoveCommand(word);
}

void RefuseTakeBack(const char* word) {
  if (MainStatus.xboard) printf("Error (no move to undo): %s\n", word);
  else printf("No move to take back: %s\n", word);
  fflush(stdout);
}

// "undo" takes back one move, "remove" two (the opponent's and the
// engine's, and the opponent moves again). While the engine thinks the
// search and the repetition record it uses are left to unwind first: its
// own search is dropped as after "force", and analysis starts again from
// the earlier position.
int TakeBack(const char* word, int count) {
  if (TakeBacksAvailable() < PendingTakeBacks + count) {
    RefuseTakeBack(word);
    return Handled;
  }
  if (!EngineThinking) {
    TakeBackMoves(count);
    if (MainStatus.GameInProgress == 0) return ResumeGame();
    if (!Limits.Analyze) return Handled;
    MainStatus.HumanToMove = 0;
    return LeaveReader;
  }
  PendingTakeBacks += count;
  if (Limits.Analyze) {
    RestartAnalysis = 1;
  } else {
    MainStatus.Force = 1;
    KeepForceMode = 1;
  }
  Search.AbortSearch();
  return LeaveReader;
}

int UndoMove(const char* word) { return TakeBack(word, 1); }
int RemoveMoves(const char* word) { return TakeBack(word, 2); }

// Every word DoCommand knows, as typed; a word that shares a command with
// another has a row of its own.
struct Command {
  const char* word;
  int (*run)(const char* word);
};

constexpr Command Commands[] = {
    {".", ShowStatus},
    {"?", MoveNow},
    {"abort", AbortGame},
    {"analyze", EnterAnalysis},
    {"bk", ToggleOwnBook},
    {"book", BookCommand},
    {"black", BlackToMove},
    {"white", WhiteToMove},
    {"displayboard", DisplayBoard},
    {"d", ShowDetails},
    {"eval", Evaluation},
    {"dumpsee", DumpSEE},
    {"edit", EditBoard},
    {"exit", ExitAnalysis},
    {"force", EnterForceMode},
    {"go", StartThinking},
    {"level", SetLevel},
    {"name", SkipRestOfLine},
    {"new", NewGame},
    {"nopost", StopPosting},
    {"post", StartPosting},
    {"otim", SkipOpponentTime},
    {"quit", QuitGame},
    {"resign", Resign},
    {"result", EndGameByResult},
    {"help", ShowHelp},
    {"selfplay", StartSelfPlay},
    {"setboard", SetBoardFromText},
    {"Depth", SetMaxDepth},
    {"DEPTH", SetMaxDepth},
    {"sd", SetMaxDepth},
    {"sfd", SetFixedDepth},
    {"st", SetTimePerMove},
    {"time", SetTimeLeft},
    {"traceflag", ToggleTrace},
    {"xboard", EnterXboardMode},
    {"protover", AnnounceFeatures},
    {"accepted", SkipRestOfLine},
    {"rejected", SkipRestOfLine},
    {"ping", Ping},
    {"memory", SetMemory},
    {"cores", SetCores},
    {"elo", SetStrength},
    {"option", SetEngineOption},
    {"exclude", ExcludeOrInclude},
    {"include", ExcludeOrInclude},
    {"usermove", UserMove},
    {"variant", SetVariant},
    {"undo", UndoMove},
    {"remove", RemoveMoves},
    // Read and ignored.
    {"ClearGameInfo", Ignore},
    {"InitGameInfo", Ignore},
    {"beep", Ignore},
    {"bogus", Ignore},
    {"computer", Ignore},
    {"draw", Ignore},
    {"easy", Ignore},
    {"fullrand", Ignore},
    {"hard", Ignore},
    {"hint", Ignore},
    {"ponder", Ignore},
    {"random", Ignore},
    {"ics", SkipRestOfLine},
    {"rating", SkipRestOfLine},
};

// The square of an edit word after its piece letter ("e4" of "Pe4").
bool EditSquare(const char* text, u64* mask) {
  if (text[0] < 'a' || text[0] > 'h' || text[1] < '1' || text[1] > '8') return false;
  *mask = SquareMask((text[0] - 'a') + 8 * (text[1] - '1'));
  return true;
}

void ClearSquare(ChessBoard& b, u64 mask) {
  u64* const boards[12] = {&b.WhitePawns, &b.WhiteBishops, &b.WhiteKnights, &b.WhiteRooks,
                           &b.WhiteQueens, &b.WhiteKing,   &b.BlackPawns,   &b.BlackBishops,
                           &b.BlackKnights, &b.BlackRooks, &b.BlackQueens,  &b.BlackKing};
  for (u64* board : boards) *board &= ~mask;
}

// After every edit word: the occupancy from the piece boards, and castling
// wherever king and rook stand on their home squares; in Chess960 for a
// king on its first rank with the outermost rook on either side of it.
void FollowEditedPieces(ChessBoard& b) {
  b.WhitePieces = b.WhitePawns | b.WhiteBishops | b.WhiteKnights | b.WhiteRooks | b.WhiteQueens | b.WhiteKing;
  b.BlackPieces = b.BlackPawns | b.BlackBishops | b.BlackKnights | b.BlackRooks | b.BlackQueens | b.BlackKing;
  b.AllPieces = b.WhitePieces | b.BlackPieces;
  if (Chess960) {
    // Each right alone: one the men do not support is left out.
    char rights = 0;
    for (int index = 0; index < 4; index++) {
      ChessBoard trial = b;
      const char letter[2] = {"KQkq"[index], 0};
      if (ReadCastlingField(trial, letter) != nullptr) continue;
      rights |= trial.CastleFlags;
      b.CastleRookFileCode[index] = trial.CastleRookFileCode[index];
      b.CastleKingFileCode[index / 2] = trial.CastleKingFileCode[index / 2];
    }
    b.CastleFlags = rights;
    return;
  }
  const u64 e1 = SquareMask(4), a1 = SquareMask(0), h1 = SquareMask(7);
  const u64 e8 = SquareMask(60), a8 = SquareMask(56), h8 = SquareMask(63);
  b.CastleFlags = 0;
  for (u8& code : b.CastleRookFileCode) code = 0;
  b.CastleKingFileCode[0] = b.CastleKingFileCode[1] = 0;
  if ((b.WhiteKing & e1) && (b.WhiteRooks & h1)) b.CastleFlags |= WhiteKingSide;
  if ((b.WhiteKing & e1) && (b.WhiteRooks & a1)) b.CastleFlags |= WhiteQueenSide;
  if ((b.BlackKing & e8) && (b.BlackRooks & h8)) b.CastleFlags |= BlackKingSide;
  if ((b.BlackKing & e8) && (b.BlackRooks & a8)) b.CastleFlags |= BlackQueenSide;
}
}  // namespace

namespace {
int RunCommand(char* word) {
  for (const Command& command : Commands)
    if (strcmp(word, command.word) == 0) return command.run(word);
  if (word[0] >= 'a' && word[0] <= 'h' && word[1] >= '0' && word[1] <= '8') return MoveCommand(word);
  // At the console a word in algebraic notation is a move, legal or not.
  if (ConsoleSANShape(word)) return MoveCommand(word);
  return UnknownCommand(word);
}
}  // namespace

void PassToReader(const char* word) { snprintf(PendingWord, sizeof PendingWord, "%s", word); }

void FinishDeferredCommands() {
  if (PendingMemory != 0) PositionCache.Resize(PendingMemory);
  PendingMemory = 0;
  if (PendingClassic != NoEngineChange) Classic = PendingClassic == 1;
  PendingClassic = NoEngineChange;
  if (PendingTakeBacks != 0) TakeBackMoves(PendingTakeBacks);
  PendingTakeBacks = 0;
  for (int number : OwedPongs) Pong(number);
  if (!OwedPongs.empty()) fflush(stdout);
  OwedPongs.clear();
}

bool GameTakenUpAgain() {
  const bool taken = MainStatus.TakenUpAgain;
  MainStatus.TakenUpAgain = 0;
  return taken;
}

bool FinishPendingGameReset() {
  if (!GameResetPending) return false;
  GameResetPending = 0;
  StartGameRecord();
  return true;
}

int DoCommand(char* word) {
  // Only a read that failed (the end of input) gives an empty word: it
  // comes from the search's poll or the ponder wait.
  if (word[0] == 0) return Quit();
  const int r = RunCommand(word);
  CheckBoardAfter(word);
  return r;
}

int HumanMove() {
  Status& s = MainStatus;
  if (!KeepForceMode) s.Force = 0;
  KeepForceMode = 0;
  FinishDeferredCommands();
  if (RestartAnalysis) {
    RestartAnalysis = 0;
    if (Limits.Analyze) {
      s.HumanToMove = 0;
      return LeaveReader;
    }
  }
  for (;;) {
    char word[WordSize];
    if (PendingWord[0] != 0) {
      snprintf(word, sizeof word, "%s", PendingWord);
      PendingWord[0] = 0;
    } else {
      if (!s.xboard) {
        printf("Enter Move: ");
        fflush(stdout);
      }
      // The time until the next command maps the search's memory and checks
      // the book.
      CheckBookUntilInput();
      Search.MapTablesUntilInput();
      if (!ReadWord(word)) return Quit();
      if (!s.xboard) printf("%s\n", word);
    }

    int r = DoCommand(word);
    if (r == LeaveReader || r == QuitProgram) return r;
    if (r != MoveEntered) continue;

    SaveGamePosition(MainBoard);
    PlayGameMove(EnteredMove);
    r = MainBoard.FiftyMoveCount > 99 ? FiftyMoveMove : MoveEntered;
    if (!s.Force) {
      RecordGamePosition(MainBoard.SideToMove ^ 1);  // the game loop flips the side
      return r;
    }
    // The game's ply, and with it the move number of the position text and
    // the moves left to the time control, counts the moves fed in force mode
    // as it counts the moves played.
    MainBoard.SideToMove ^= 1;
    Clock.GamePly++;
    RecordGamePosition(MainBoard.SideToMove);
    // A game that ends in force mode leaves the reader, which then waits
    // for the next game still in force mode.
    if (AnnounceFinalPosition()) {
      KeepForceMode = 1;
      return LeaveReader;
    }
  }
}

void SetupBoardFromEdit() {
  ChessBoard& b = MainBoard;
  char colour = 0;
  char word[WordSize];
  while (ReadWord(word) && strcmp(word, ".") != 0) {
    u64 square;
    if (strcmp(word, "#") == 0) {
      b.ClearField();
    } else if (strcmp(word, "c") == 0) {
      colour ^= 1;
    } else if (strchr("PNBRQK", word[0]) && word[0] != 0 && EditSquare(word + 1, &square)) {
      ClearSquare(b, square);
      AddPiece(colour ? (char)(word[0] - 'A' + 'a') : word[0], square);
    } else if (word[0] == 'x' && EditSquare(word + 1, &square)) {
      ClearSquare(b, square);
    }
    FollowEditedPieces(b);
  }
}

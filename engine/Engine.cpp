// Start-up, the command line, the choice of protocol from the first input
// word, and the outer loop that dispatches the tools, plays the console/xboard
// game loop or hands the conversation to the UCI front end.
#include "engine/Engine.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/ChessBoard.h"
#include "board/HashCodes.h"
#include "board/MoveHistory.h"
#include "engine/CommandInterpreter.h"
#include "engine/CommandLine.h"
#include "engine/GameMoves.h"
#include "engine/Status.h"
#include "engine/ThinkingOutput.h"
#include "engine/UCIProtocol.h"
#include "eval/PawnHash.h"
#include "search/OpeningBook.h"
#include "search/PolyglotBook.h"
#include "search/SearchLimits.h"
#include "search/SearchRoutines.h"
#include "search/SearchThreads.h"
#include "search/TimeControl.h"
#include "search/TranspositionTables.h"
#include "tools/Bench.h"
#include "tools/BookListing.h"
#include "tools/EPDSuite.h"
#include "tools/GameAnnotator.h"
#include "tools/PerfT.h"

namespace {
char LineBuffer[512];

void Finish() {
  printf("Bye, Thanks for the match.\n");
  fflush(stdout);
}

// The first word picks the protocol; a GUI's "uci" or "xboard" serves, and
// so does "protover", which some GUIs and adapters send first. A protocol
// the command line chose stays, and the word is its first command, as
// "protover" is in any case. End of input before any word ends the program
// as "quit" would.
bool ReadFirstWord() {
  Status& s = MainStatus;
  // UCI chosen by the command line reads its first line whole, as it reads
  // every other ("setoption name Hash value 64" first is one command).
  if (s.UCIMode) {
    int c;
    while ((c = getchar()) == ' ' || c == '\t' || c == '\r' || c == '\n') {
    }
    if (c == EOF) return false;
    ungetc(c, stdin);
    LineBuffer[0] = 0;
    return true;
  }
  if (scanf("%511s", LineBuffer) != 1) return false;
  const bool chosen = s.xboard;
  const bool protover = strcmp(LineBuffer, "protover") == 0;
  if (!chosen) {
    if (strstr(LineBuffer, "uci")) s.UCIMode = 1;
    if (strstr(LineBuffer, "xboard") || protover) s.xboard = 1;
  }
  // The xboard reader takes the word with the rest of its line ("protover
  // 2"); a word that only picked the protocol is done with.
  if (chosen || protover) PassToReader(LineBuffer);
  else getchar();
  return true;
}

// The tools; each ends the program.
void RunTools() {
  Status& s = MainStatus;
  const char* suite = Arguments.EPDFile ? Arguments.EPDFile : "";
  SuiteOptions options;
  options.Search = s.DoTestSuite;
  options.Mimic = s.Mimic == 1;
  options.Evaluate = s.PEV;
  options.SecondsPerPosition = Arguments.SecondsPerPosition;
  if (s.PERFT) {
    PerfT perft((char)Limits.FD);
    exit(0);
  }
  if (Arguments.PGNFile) {
    // No GUI sends this tool its interrupts: Ctrl-C ends it, with the
    // games written so far kept.
    signal(SIGINT, SIG_DFL);
    AnnotationSettings settings;
    if ((char)Limits.FD > 0) settings.FixedDepth = (char)Limits.FD;
    else if (Arguments.SecondsPerPosition > 0) settings.SecondsPerPosition = Arguments.SecondsPerPosition;
    exit(AnnotatePGNFile(Arguments.PGNFile, Arguments.OutputFile, settings));
  }
  if (s.DoTestSuite) {
    ParseEPDSuite(suite, options);
    exit(0);
  }
  if (s.Mimic == 1) {
    printf("## Mimic == STUDENT\n");
    ParseEPDSuite(suite, options);
    exit(0);
  }
  if (s.PEV) {
    ParseEPDSuite(suite, options);
    exit(0);
  }
  // A benchmark's searches never poll.
  if (s.SATrain) s.BenchNumber = 1;
  if (s.BenchNumber != 0) Limits.Benchmark = 1;
  if (s.BenchNumber == 1) {
    Bench();
    exit(0);
  }
  if (s.BenchNumber == 2) {
    Bench2();
    exit(0);
  }
  if (s.BenchNumber == 3) {
    Bench3();
    exit(0);
  }
}

// The book of "-book", else Debian's when it is installed (its absence is no
// news). A test suite or a benchmark measures the search and opens none.
// Returns what is wrong with a book given ("" when nothing is).
std::string OpenBook() {
  const Status& s = MainStatus;
  const bool tool = s.PERFT || s.BenchNumber || s.SATrain || s.DoTestSuite || s.PEV || s.Mimic == 1;
  if (tool && !Arguments.ListBook) return "";
  const bool given = Arguments.BookFile != nullptr;
  const std::string problem = Book.Open(given ? Arguments.BookFile : DefaultBookFile);
  return given ? problem : "";
}

// The value of the engine's last search, shown at the console.
int GameScore = 0;
// The engine's last move as the console says it: "1. e4 (e2e4)".
char EngineMoveText[64] = "";

// The console's text of the engine's move, in standard algebraic notation
// with the move number and in coordinates: "1. Nf3 (g1f3)", "1... e5 (e7e5)".
void SetEngineMoveText(const ChessBoard& before, const GameMove& move) {
  char san[16], word[16];
  MoveSAN(san, before, move);
  MoveWord(word, move);
  const int number = (Clock.GamePly >> 1) + (Clock.GamePly & 1);
  snprintf(EngineMoveText, sizeof EngineMoveText, "%d%s %s (%s)", number, before.SideToMove == 0 ? "." : "...", san,
           word);
}

// The engine's turn. False when no move was made: analysis, a search cut
// off by a command (whose flags say what comes next), or the game's end.
bool EngineTurn() {
  Status& s = MainStatus;
  const bool analysing = Limits.Analyze;
  const ChessBoard before = MainBoard;
  // In xboard mode the game record's last entry is written anew for the
  // side to move now, which "white" and "black" may have changed.
  if (s.xboard) {
    MoveList.RetractMove();
    RecordGamePosition(MainBoard.SideToMove);
  }
  // To move, the engine claims a draw that the moves fed in force mode
  // allow, and finds a game already over in a position set up for it.
  if (AnnounceGameEnd()) return false;
  // The clock is shared by the moves left to the next time control, not by
  // all the moves of one.
  if (s.LevelMoves > 0) Clock.MovesPerSession = MovesToControl(s.LevelMoves, Clock.GamePly);
  // "sd" and "-sd" limit the depth; the driver's own limit is 100.
  const int depth =
      Limits.FD != 0 ? Limits.FD : (MainBoard.MaxDepth > 0 && MainBoard.MaxDepth < 100 ? MainBoard.MaxDepth : 0);

  GameMove move;
  // Moves are left out of analysis only; analysis that leaves out every
  // legal move has nothing to search and waits for the next command.
  if (!analysing) Limits.ExcludedMoves.clear();
  if (analysing && !Limits.ExcludedMoves.empty() && Limits.AllowedMoves(MainBoard) == 0 &&
      FirstLegalMove(MainBoard, &move)) {
    s.HumanToMove = 1;
    return false;
  }
  int v;
  {
    // Cleared however the search is left.
    struct Thinking {
      Thinking() { EngineThinking = 1; }
      ~Thinking() { EngineThinking = 0; }
    } thinking;
    v = Search.ProgressiveDeepening(MainBoard, (char)depth, &move.From, &move.To, &move.Promote);
  }
  // A finished search's move is played, unless the side to move is mated or
  // stalemated.
  if (Search.MoveToPlay(v)) MainBoard.PlayMove(move.From, move.To, move.Promote);

  if (FinishPendingGameReset()) {
    s.HumanToMove = Limits.Analyze ? 0 : 1;
    return false;
  }
  if (analysing) {
    // Analysis plays no move; it waits for the next move or command, and a
    // move that ended it is played by the next HumanMove.
    MainBoard = before;
    s.HumanToMove = 1;
    return false;
  }
  if (Search.Aborted) {
    s.HumanToMove = Limits.Analyze ? 0 : 1;
    return false;
  }

  GameScore = v;
  // No legal move at the root: the side to move is mated or stalemated,
  // and the reader waits.
  if (v == MateScore || v == -MateScore || v == StalemateScore) {
    AnnounceGameEnd();
    s.HumanToMove = 1;
    return false;
  }

  // A search stopped before its first root move was done has no move of
  // its own; any legal move is better than a corrupt board.
  if (!IsLegalMove(before, move)) {
    MainBoard = before;
    if (!FirstLegalMove(before, &move)) return false;
    PlayGameMove(move);
  }
  MainBoard.BestMoveFrom = move.From;
  MainBoard.BestMoveTo = move.To;
  MainBoard.BestMovePromote = move.Promote;
  SaveGamePosition(before);

  if (s.xboard) {
    char text[16];
    XboardMoveWord(text, before, move);
    if (s.XboardProtocol2()) printf("move %s\n", text);
    else printf("%d. ... %s \n", (Clock.GamePly >> 1) + (Clock.GamePly & 1), text);
    fflush(stdout);
  } else {
    SetEngineMoveText(before, move);
  }
  MainBoard.SideToMove ^= 1;
  Clock.GamePly++;
  RecordGamePosition(MainBoard.SideToMove);
  s.HumanToMove ^= 1;
  return true;
}

// Plays until the game ends; true when it ended by "quit" (or the end of
// input), false after a result.
bool PlayGame() {
  Status& s = MainStatus;
  while (s.GameInProgress == 1 && s.UCIMode == 0) {
    ChessBoard copy = MainBoard;
    unsigned long pawnCode;
    genpawnhashcode(copy.SideToMove, &copy, &pawnCode);
    MainBoard.PawnHashCode = (u32)pawnCode;
    // Analysis plays no move and waits for the opponent's: self-play there
    // would analyse the same position again and again, and a search kept
    // short by "sd" ends before it ever reads its input.
    if (s.SelfPlay && !Limits.Analyze) s.HumanToMove = 0;

    bool engineMoved = false;
    if (s.HumanToMove == 1) {
      PositionCache.AgeTranspositionTables();
      Search.ClearHistory();
      const int r = HumanMove();
      if (r == LeaveReader) continue;
      s.HumanToMove = 0;
      MainBoard.SideToMove ^= 1;
      Clock.GamePly++;
      if (r == QuitProgram) return true;
    } else {
      engineMoved = EngineTurn();
      FinishDeferredCommands();
      if (!engineMoved) continue;
    }

    // At the console the board after every move, and the engine's move in
    // words too, just above the prompt.
    if (!s.xboard) {
      printf("Game Score %d\n", GameScore);
      ShowBoard();
      if (engineMoved) printf("Vorn plays %s\n", EngineMoveText);
    }
    AnnounceGameEnd();
  }
  return false;
}

// An xboard GUI keeps its engine from one game to the next and ends it with
// "quit", and the console plays on in the same way: after a result the
// reader answers moves with the reason they are refused and waits for "new"
// (or a take-back or a set-up, which let play go on from their position).
// A game the GUI's "result" ended goes on where it stood after "go" or
// "analyze". True when "quit" came instead.
bool WaitForNextGame() {
  for (;;) {
    while (MainStatus.GameInProgress == 0) {
      if (HumanMove() == QuitProgram) return true;
    }
    if (!GameTakenUpAgain()) return false;
    if (PlayGame()) return true;
  }
}
}  // namespace

void StartEngine() {
  MainStatus.initVars();
  MainStatus.xboard = 0;
  MainStatus.UCIMode = 0;
  MainBoard.InitRep();
  initPStable();
  buildbook();
  MainBoard.InitRep();
  MainStatus.initVars();
  Search.Listener = &Thinking;
}

int RunEngine(int argc, char** argv) {
  // The annotated games may go to the standard output, alone: what the
  // command line says goes to the standard error then.
  std::FILE* const said = CommandLine::Annotates(argc, argv) ? stderr : stdout;
  if (said == stdout) printf("Vorn \n");
  StartEngine();

  if (!Arguments.Read(argc, argv)) {
    fprintf(said, "%s\n", Arguments.Refusal.c_str());
    fflush(said);
    return CommandLineRefused;
  }
  const std::string bookProblem = OpenBook();
  if (Arguments.ListBook) {
    if (!bookProblem.empty()) Arguments.Notes.push_back(bookProblem);
    Arguments.ReportNotes();
    return ListBookMoves(Arguments.ListFen.c_str());
  }

  signal(SIGINT, SIG_IGN);
  setvbuf(stdin, nullptr, _IONBF, 0);
  setvbuf(stdout, nullptr, _IONBF, 0);

  Status& s = MainStatus;
  // The tools start at once and read nothing; a script runs them with no
  // input at all.
  const bool tool = s.PERFT || s.BenchNumber || s.SATrain || s.DoTestSuite || s.PEV || s.Mimic == 1 ||
                    Arguments.PGNFile != nullptr;
  // The notes on the line come in the protocol's form, once it is known.
  // A bad book is said with them; under UCI the book plays only once the
  // GUI turns OwnBook on, which says what is wrong with it then.
  if (!tool) {
    const bool read = ReadFirstWord();
    if (!bookProblem.empty() && !s.UCIMode) Arguments.Notes.push_back(bookProblem);
    Arguments.ReportNotes();
    if (!read) {
      Finish();
      return 0;
    }
  } else {
    Arguments.ReportNotes(said);
  }
  MainBoard.RecountPieces();
  StartGameRecord();

  bool greeted = false;
  for (;;) {
    if (s.xboard) {
      PE.PawnCache->Clear();
      Threads.ClearTables();
      PositionCache.ClearTranspositionTables();
    }
    // The search's memory, before a suite's first search and while no clock
    // runs. Under xboard and at the console the reader maps it while it
    // waits for commands, UCI at "isready"; a benchmark maps its own; perft
    // and the static evaluations need none of it.
    if (s.DoTestSuite || Arguments.PGNFile) Search.MapTables();
    PE.PawnCache->Phashattempts = 0;
    PE.PawnCache->Phashmisses = 0;
    Search.ClearHistory();
    RunTools();

    // At the console every game starts with the board, the first one with
    // the greeting too.
    if (!s.xboard && !s.UCIMode) {
      if (!greeted) {
        printf("\nHello! I am Vorn.\n");
        printf("MAXDEPTH = %d\n", MainBoard.MaxDepth);
        greeted = true;
      }
      ShowBoard();
      // A person who starts with "help" gets it.
      if (strcmp(LineBuffer, "help") == 0) {
        DoCommand(LineBuffer);
        LineBuffer[0] = 0;
      }
    }
    s.HumanToMove = 1;
    GameScore = 0;
    const bool quit = PlayGame();
    if (!s.UCIMode && !quit && !WaitForNextGame()) continue;

    if (s.UCIMode) {
      if (LineBuffer[0] != 0) UCI.UCIPrep(LineBuffer);
      else UCI.UCICore();
      if (UCI.UCIContinue == 1) {
        s.KeepRunning = 1;
        continue;
      }
    }
    if (s.KeepRunning != 1) break;
  }
  Finish();
  return 0;
}

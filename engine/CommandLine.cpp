#include "engine/CommandLine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/ChessBoard.h"
#include "board/PositionText.h"
#include "engine/GameMoves.h"
#include "engine/Status.h"
#include "engine/UCIProtocol.h"
#include "search/SearchLimits.h"
#include "search/SearchThreads.h"
#include "search/StrengthLevel.h"
#include "search/TimeControl.h"

CommandLine Arguments;

namespace {
const char* const HelpLines[] = {
    "xboard   used when interfacing with xboard",
    "-uci   used when interfacing with an UCI based GUI",
    "-bench  run an internal benchmark suite",
    "-fd  n    fixes search depth to n ply (min n = 3)",
    "-lpf filename  loads a position from file",
    "-pev  filename - run through a testsuite (EPD Format) & output full evaluation detail per position",
    "-sd  n   sets max search depth to n ply (min n = 3)",
    "-sp  self play",
    "-ts  filename run through a testsuite (EPD Format)",
    "-st  n   n seconds a move; with -ts, n seconds a position (fractions allowed, -fd goes first)",
    "-perft  with -fd n, counts the move tree of the start position (or of -lpf's) to depth n",
    "-bench2  benchmark: one position by the iterative search and the exact-depth search (with -fd)",
    "-bench3  as -bench2, with position-to-text conversions in the first timing",
    "-mimicstudent filename  the static evaluation of each position of a testsuite (EPD Format)",
    "-nobook  plays without the opening book",
    "-book filename  plays from this opening book (a .bin file of GUIs' and book tools' format)",
    "-listbook [fen]  the book's moves of the position (the start position by default) with their weights",
    "-checkboard  checks the board's bookkeeping after every command, aborting when it is wrong",
    "-threads  n   searches with n threads (1 to 256)",
    "-multipv  n   each iteration searches and reports the n best moves (1 to 256)",
    "-annotate  file.pgn  annotates every game of the file (-st s seconds a position, default 0.5, or -fd n; "
    "-o out.pgn, else the standard output)",
    "-chess960  Chess960: castling as the king taking its own rook, position text with rook files (before -lpf, -ts)",
};
}  // namespace

void CommandLine::PrintHelp() {
  printf("Vorn %s\n", UCI.UCIVersion);
  for (const char* line : HelpLines) printf("%s\n", line);
  printf("-elo  n       plays at a strength of n Elo points (%d to %d; off: full strength)\n", LowestElo,
         FullStrengthElo);
  printf("-seed  n      the level's random choices start from n (0: a new seed each run)\n");
  fflush(stdout);
}

// n seconds a move, kept in milliseconds as the driver reads ST, with the
// same margin as the time per move.
void SetSecondsPerMove(int n) {
  Clock.ST = ClampClock(900 * (i64)n);
  Clock.TimePerMove = ClampClock(900 * (i64)n);
  Clock.TimeLeft = ClampClock(60000 * (i64)n);
}

void CommandLine::RestoreLimits() const {
  if (MaxDepth >= 0) MainBoard.MaxDepth = MaxDepth;
  if (FixedDepth >= 0) Limits.FD = (u8)(char)FixedDepth;
  if (SecondsPerMove >= 0) SetSecondsPerMove(SecondsPerMove);
  if (OwnBook >= 0) Limits.OwnBook = (u8)OwnBook;
}

void CommandLine::Read(int argc, char** argv) {
  Status& s = MainStatus;
  for (int i = 1; i < argc; i++) {
    auto is = [&](const char* text) { return strcmp(argv[i], text) == 0; };
    auto has = [&](const char* text) { return strstr(argv[i], text) != nullptr; };
    // Moves on to the option's value; false when the line has none.
    auto takeValue = [&]() {
      if (i + 1 >= argc) return false;
      i++;
      return true;
    };

    if (is("-satrain")) s.SATrain = 1;
    if (is("-bench")) s.BenchNumber = 1;
    for (int n = 2; n <= 3; n++) {
      char name[8];
      snprintf(name, sizeof name, "-bench%d", n);
      if (is(name)) s.BenchNumber = (u8)n;
    }
    if (is("-fd") && takeValue()) {
      MaxDepth = FixedDepth = atoi(argv[i]);
      MainBoard.MaxDepth = atoi(argv[i]);
      Limits.FD = (u8)(char)atoi(argv[i]);
    }
    if (is("-help") || is("-h")) {
      PrintHelp();
      exit(0);
    }
    if (has("-kibitz")) s.Kibitz = 1;
    if (is("-chess960")) ::Chess960 = Chess960 = true;
    if (has("-lpf") && takeValue()) TakeMoveCounters(LoadPositionFile(argv[i]));
    // Accepted for old scripts; the number is not used.
    if (is("-mt")) takeValue();
    if (has("-nobook")) {
      Limits.OwnBook = 0;
      OwnBook = 0;
    }
    if (is("-perft")) s.PERFT = 1;
    if (is("-mimicstudent")) {
      printf("## Mimic Student option detected \n");
      fflush(stdout);
      s.Mimic = 1;
      if (takeValue()) EPDFile = argv[i];
    }
    if (is("-pev")) {
      s.PEV = 1;
      if (takeValue()) EPDFile = argv[i];
    }
    if (has("-post")) s.Post = 1;
    if (has("-sd") && takeValue()) MainBoard.MaxDepth = MaxDepth = atoi(argv[i]);
    if (has("-sp")) s.SelfPlay = 1;
    if (has("-trace")) Limits.Trace = 1;
    if (has("-st") && takeValue()) {
      SecondsPerMove = atoi(argv[i]);
      SecondsPerPosition = atof(argv[i]);
      SetSecondsPerMove(SecondsPerMove);
    }
    if (has("-tc")) takeValue();  // accepted for old scripts, not used
    if (has("-ts") && takeValue()) {
      s.DoTestSuite = 1;
      EPDFile = argv[i];
    }
    if (is("-threads") && takeValue()) {
      const int asked = atoi(argv[i]);
      const int threads = Threads.SetCount(asked);
      if (threads != asked) {
        printf("-threads %d is out of range: %d threads\n", asked, threads);
        fflush(stdout);
      }
    }
    if (is("-multipv") && takeValue()) {
      const int asked = atoi(argv[i]);
      Limits.MultiPV = std::clamp(asked, 1, MaxLines);
      if (Limits.MultiPV != asked) {
        printf("-multipv %d is out of range: %d lines\n", asked, Limits.MultiPV);
        fflush(stdout);
      }
    }
    if (is("-elo") && takeValue()) {
      char* end;
      const long asked = strtol(argv[i], &end, 10);
      if (strcmp(argv[i], "off") == 0) {
        Level.Limited = false;
      } else if (end == argv[i] || *end != 0) {
        printf("-elo needs a number or off: %s\n", argv[i]);
        fflush(stdout);
      } else {
        Level.Limited = true;
        if (Level.SetElo(asked) != asked) {
          printf("-elo %ld is out of range: %d\n", asked, Level.Elo);
          fflush(stdout);
        }
      }
    }
    if (is("-seed") && takeValue()) Level.SetSeed(strtoull(argv[i], nullptr, 10));
    if (is("-checkboard")) CheckBoard = true;
    if (has("xboard")) s.setxboard(1);
    if (has("-uci")) s.UCIMode = 1;
    // Last, and only one of them an argument, so that no other option is
    // looked for in a file's name or the position's fields.
    if (is("-annotate") && takeValue()) {
      PGNFile = argv[i];
    } else if (is("-o") && takeValue()) {
      OutputFile = argv[i];
    } else if (is("-book") && takeValue()) {
      BookFile = argv[i];
    } else if (is("-listbook")) {
      ListBook = true;
      // The FEN, in one argument or in one argument a field; a field may be
      // "-", but no field starts with "-" and a letter as options do.
      ListFen.clear();
      while (i + 1 < argc && !(argv[i + 1][0] == '-' && argv[i + 1][1] != 0)) {
        if (!ListFen.empty()) ListFen += ' ';
        ListFen += argv[++i];
      }
    }
  }
}

bool CommandLine::Annotates(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; i++) {
    if (strcmp(argv[i], "-annotate") == 0) return true;
  }
  return false;
}

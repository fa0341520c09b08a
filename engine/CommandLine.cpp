#include "engine/CommandLine.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
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

namespace {
const char* const UsageHint = " (vorn -help lists the options)";

// A whole number and nothing else: "12" and "-3", not "12x", "" or "abc".
bool WholeNumber(const char* text, long* value) {
  char* end;
  errno = 0;
  *value = strtol(text, &end, 10);
  return end != text && *end == 0 && errno == 0;
}
}  // namespace

bool CommandLine::Read(int argc, char** argv) {
  Status& s = MainStatus;
  Refusal.clear();
  for (int i = 1; i < argc; i++) {
    const std::string argument = argv[i];
    bool known = false;
    // A test that matches the argument (or the value read after it) marks
    // the argument as an option; once the line is refused nothing matches,
    // so that a value such as "-h" is not acted on.
    auto is = [&](const char* text) {
      const bool match = Refusal.empty() && strcmp(argv[i], text) == 0;
      known |= match;
      return match;
    };
    auto has = [&](const char* text) {
      const bool match = Refusal.empty() && strstr(argv[i], text) != nullptr;
      known |= match;
      return match;
    };
    auto refuse = [&](const std::string& why) {
      if (Refusal.empty()) Refusal = why + UsageHint;
    };
    // Moves on to the option's value; an option at the end of the line
    // has none, which refuses the line.
    auto takeValue = [&](const char* kind) {
      if (i + 1 < argc) {
        i++;
        return true;
      }
      refuse(std::string(argv[i]) + " needs " + kind);
      return false;
    };
    // The value as a whole number, at least `lowest`.
    auto takeNumber = [&](long lowest, long* value) {
      const char* option = argv[i];
      if (!takeValue("a number")) return false;
      if (WholeNumber(argv[i], value) && *value >= lowest) return true;
      refuse(std::string(option) + (lowest == 0 ? " needs a number from 0: " : " needs a number: ") + argv[i]);
      return false;
    };
    auto note = [&](const char* format, long asked, int held) {
      char text[128];
      snprintf(text, sizeof text, format, asked, held);
      Notes.push_back(text);
    };
    long n;

    if (is("-satrain")) s.SATrain = 1;
    if (is("-bench")) s.BenchNumber = 1;
    for (int k = 2; k <= 3; k++) {
      char name[8];
      snprintf(name, sizeof name, "-bench%d", k);
      if (is(name)) s.BenchNumber = (u8)k;
    }
    // Accepted for old scripts; they change nothing.
    if (is("-bench4") || is("-bench5") || has("-HPC")) known = true;
    if (is("-fd") && takeNumber(0, &n)) {
      MaxDepth = FixedDepth = (int)n;
      MainBoard.MaxDepth = (int)n;
      Limits.FD = (u8)(char)n;
    }
    if (is("-help") || is("-h")) {
      PrintHelp();
      exit(0);
    }
    if (has("-kibitz")) s.Kibitz = 1;
    if (is("-chess960")) ::Chess960 = Chess960 = true;
    if (has("-lpf") && takeValue("a file")) TakeMoveCounters(LoadPositionFile(argv[i]));
    // Accepted for old scripts; the number is not used.
    if (is("-mt")) takeValue("a number");
    if (has("-nobook")) {
      Limits.OwnBook = 0;
      OwnBook = 0;
    }
    if (is("-perft")) s.PERFT = 1;
    if (is("-mimicstudent")) {
      printf("## Mimic Student option detected \n");
      fflush(stdout);
      s.Mimic = 1;
      if (takeValue("a file")) EPDFile = argv[i];
    }
    if (is("-pev")) {
      s.PEV = 1;
      if (takeValue("a file")) EPDFile = argv[i];
    }
    if (has("-post")) s.Post = 1;
    if (has("-sd") && takeNumber(0, &n)) MainBoard.MaxDepth = MaxDepth = (int)n;
    if (has("-sp")) s.SelfPlay = 1;
    if (has("-trace")) Limits.Trace = 1;
    if (has("-st")) {
      const char* option = argv[i];
      if (takeValue("a number of seconds")) {
        char* end;
        const double seconds = strtod(argv[i], &end);
        if (end == argv[i] || *end != 0 || !std::isfinite(seconds) || seconds < 0) {
          refuse(std::string(option) + " needs a number of seconds: " + argv[i]);
        } else {
          // A game reads whole seconds, as atoi does.
          SecondsPerMove = seconds < INT_MAX ? atoi(argv[i]) : INT_MAX;
          SecondsPerPosition = seconds;
          SetSecondsPerMove(SecondsPerMove);
        }
      }
    }
    if (has("-tc")) takeValue("a number");  // accepted for old scripts, not used
    if (has("-ts") && takeValue("a file")) {
      s.DoTestSuite = 1;
      EPDFile = argv[i];
    }
    if (is("-threads") && takeNumber(LONG_MIN, &n)) {
      const int threads = Threads.SetCount((int)std::clamp<long>(n, 1, MaxSearchThreads));
      if (threads != n) note("-threads %ld is out of range: %d threads", n, threads);
    }
    if (is("-multipv") && takeNumber(LONG_MIN, &n)) {
      Limits.MultiPV = (int)std::clamp<long>(n, 1, MaxLines);
      if (Limits.MultiPV != n) note("-multipv %ld is out of range: %d lines", n, Limits.MultiPV);
    }
    if (is("-elo") && takeValue("a number or off")) {
      if (strcmp(argv[i], "off") == 0) {
        Level.Limited = false;
      } else if (!WholeNumber(argv[i], &n)) {
        refuse(std::string("-elo needs a number or off: ") + argv[i]);
      } else {
        Level.Limited = true;
        if (Level.SetElo(n) != n) note("-elo %ld is out of range: %d", n, Level.Elo);
      }
    }
    if (is("-seed") && takeNumber(0, &n)) Level.SetSeed((u64)n);
    if (is("-checkboard")) CheckBoard = true;
    if (has("xboard")) s.setxboard(1);
    if (has("-uci")) s.UCIMode = 1;
    // Last, and only one of them an argument, so that no other option is
    // looked for in a file's name or the position's fields.
    if (is("-annotate") && takeValue("a file")) {
      PGNFile = argv[i];
    } else if (is("-o") && takeValue("a file")) {
      OutputFile = argv[i];
    } else if (is("-book") && takeValue("a file")) {
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

    if (!known) refuse("unknown option: " + (argument.empty() ? std::string("\"\"") : argument));
    if (!Refusal.empty()) return false;
  }
  return true;
}

void CommandLine::ReportNotes(std::FILE* out) {
  for (const std::string& text : Notes) {
    if (MainStatus.UCIMode) fprintf(out, "info string %s\n", text.c_str());
    else fprintf(out, "%s\n", text.c_str());
  }
  fflush(out);
  Notes.clear();
}

bool CommandLine::Annotates(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; i++) {
    if (strcmp(argv[i], "-annotate") == 0) return true;
  }
  return false;
}

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
#include "movegen/EngineSet.h"
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
    "-classic  plays the classic engine: Vorn's first search and evaluation, unchanged (every mode and tool)",
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

// Walks the arguments. A test that matches the argument (or the value read
// after it) marks the argument as an option; once the line is refused
// nothing matches, so that a value such as "-h" is not acted on.
class ArgumentCursor {
 public:
  ArgumentCursor(int argc, char** argv, std::string* refusal) : argc_(argc), argv_(argv), refusal_(refusal) {}

  // Moves on to the next argument; false after the last.
  bool Next() {
    known_ = false;
    return ++i_ < argc_;
  }
  const char* Text() const { return argv_[i_]; }
  bool Known() const { return known_; }
  void MarkKnown() { known_ = true; }

  bool Is(const char* text) { return Match(strcmp(argv_[i_], text) == 0); }
  bool Has(const char* text) { return Match(strstr(argv_[i_], text) != nullptr); }

  void Refuse(const std::string& why) {
    if (refusal_->empty()) *refusal_ = why + UsageHint;
  }
  // Moves on to the option's value; an option at the end of the line has
  // none, which refuses the line.
  bool TakeValue(const char* kind) {
    if (i_ + 1 < argc_) {
      i_++;
      return true;
    }
    Refuse(std::string(argv_[i_]) + " needs " + kind);
    return false;
  }
  // The value as a whole number, at least `lowest`.
  bool TakeNumber(long lowest, long* value) {
    const char* option = argv_[i_];
    if (!TakeValue("a number")) return false;
    if (WholeNumber(argv_[i_], value) && *value >= lowest) return true;
    Refuse(std::string(option) + (lowest == 0 ? " needs a number from 0: " : " needs a number: ") + argv_[i_]);
    return false;
  }
  // The value as seconds, fractions allowed, at least 0.
  bool TakeSeconds(double* seconds) {
    const char* option = argv_[i_];
    if (!TakeValue("a number of seconds")) return false;
    char* end;
    *seconds = strtod(argv_[i_], &end);
    if (end != argv_[i_] && *end == 0 && std::isfinite(*seconds) && *seconds >= 0) return true;
    Refuse(std::string(option) + " needs a number of seconds: " + argv_[i_]);
    return false;
  }
  // The next argument when it is no option (a word that does not start
  // with "-" and a letter), taken; nullptr otherwise.
  const char* TakeWord() {
    if (i_ + 1 >= argc_ || (argv_[i_ + 1][0] == '-' && argv_[i_ + 1][1] != 0)) return nullptr;
    return argv_[++i_];
  }

 private:
  bool Match(bool match) {
    match = match && refusal_->empty();
    known_ |= match;
    return match;
  }

  int argc_;
  char** argv_;
  std::string* refusal_;
  int i_ = 0;
  bool known_ = false;
};
}  // namespace

bool CommandLine::Read(int argc, char** argv) {
  Status& s = MainStatus;
  Refusal.clear();
  ArgumentCursor at(argc, argv, &Refusal);
  auto note = [&](const char* format, long asked, int held) {
    char text[128];
    snprintf(text, sizeof text, format, asked, held);
    Notes.push_back(text);
  };
  while (at.Next()) {
    const std::string argument = at.Text();
    long n;
    double seconds;

    if (at.Is("-satrain")) s.SATrain = 1;
    if (at.Is("-bench")) s.BenchNumber = 1;
    for (int k = 2; k <= 3; k++) {
      char name[8];
      snprintf(name, sizeof name, "-bench%d", k);
      if (at.Is(name)) s.BenchNumber = (u8)k;
    }
    // Accepted for old scripts; they change nothing.
    if (at.Is("-bench4") || at.Is("-bench5") || at.Has("-HPC")) at.MarkKnown();
    if (at.Is("-fd") && at.TakeNumber(0, &n)) {
      MaxDepth = FixedDepth = (int)n;
      MainBoard.MaxDepth = (int)n;
      Limits.FD = (u8)(char)n;
    }
    if (at.Is("-help") || at.Is("-h")) {
      PrintHelp();
      exit(0);
    }
    if (at.Has("-kibitz")) s.Kibitz = 1;
    if (at.Is("-chess960")) ::Chess960 = Chess960 = true;
    if (at.Is("-classic")) ::Classic = Classic = true;
    if (at.Has("-lpf") && at.TakeValue("a file")) TakeMoveCounters(LoadPositionFile(at.Text()));
    // Accepted for old scripts; the number is not used.
    if (at.Is("-mt")) at.TakeValue("a number");
    if (at.Has("-nobook")) {
      Limits.OwnBook = 0;
      OwnBook = 0;
    }
    if (at.Is("-perft")) s.PERFT = 1;
    if (at.Is("-mimicstudent")) {
      printf("## Mimic Student option detected \n");
      fflush(stdout);
      s.Mimic = 1;
      if (at.TakeValue("a file")) EPDFile = at.Text();
    }
    if (at.Is("-pev")) {
      s.PEV = 1;
      if (at.TakeValue("a file")) EPDFile = at.Text();
    }
    if (at.Has("-post")) s.Post = 1;
    if (at.Has("-sd") && at.TakeNumber(0, &n)) MainBoard.MaxDepth = MaxDepth = (int)n;
    if (at.Has("-sp")) s.SelfPlay = 1;
    if (at.Has("-trace")) Limits.Trace = 1;
    if (at.Has("-st") && at.TakeSeconds(&seconds)) {
      // A game reads whole seconds, as atoi does.
      SecondsPerMove = seconds < INT_MAX ? atoi(at.Text()) : INT_MAX;
      SecondsPerPosition = seconds;
      SetSecondsPerMove(SecondsPerMove);
    }
    if (at.Has("-tc")) at.TakeValue("a number");  // accepted for old scripts, not used
    if (at.Has("-ts") && at.TakeValue("a file")) {
      s.DoTestSuite = 1;
      EPDFile = at.Text();
    }
    if (at.Is("-threads") && at.TakeNumber(LONG_MIN, &n)) {
      const int threads = Threads.SetCount((int)std::clamp<long>(n, 1, MaxSearchThreads));
      if (threads != n) note("-threads %ld is out of range: %d threads", n, threads);
    }
    if (at.Is("-multipv") && at.TakeNumber(LONG_MIN, &n)) {
      Limits.MultiPV = (int)std::clamp<long>(n, 1, MaxLines);
      if (Limits.MultiPV != n) note("-multipv %ld is out of range: %d lines", n, Limits.MultiPV);
    }
    if (at.Is("-elo") && at.TakeValue("a number or off")) {
      if (strcmp(at.Text(), "off") == 0) {
        Level.Limited = false;
      } else if (!WholeNumber(at.Text(), &n)) {
        at.Refuse(std::string("-elo needs a number or off: ") + at.Text());
      } else {
        Level.Limited = true;
        if (Level.SetElo(n) != n) note("-elo %ld is out of range: %d", n, Level.Elo);
      }
    }
    if (at.Is("-seed") && at.TakeNumber(0, &n)) Level.SetSeed((u64)n);
    if (at.Is("-checkboard")) CheckBoard = true;
    if (at.Has("xboard")) s.setxboard(1);
    if (at.Has("-uci")) s.UCIMode = 1;
    // Last, and only one of them an argument, so that no other option is
    // looked for in a file's name or the position's fields.
    if (at.Is("-annotate") && at.TakeValue("a file")) {
      PGNFile = at.Text();
    } else if (at.Is("-o") && at.TakeValue("a file")) {
      OutputFile = at.Text();
    } else if (at.Is("-book") && at.TakeValue("a file")) {
      BookFile = at.Text();
    } else if (at.Is("-listbook")) {
      ListBook = true;
      // The FEN, in one argument or in one argument a field; a field may be
      // "-", but no field starts with "-" and a letter as options do.
      ListFen.clear();
      while (const char* field = at.TakeWord()) {
        if (!ListFen.empty()) ListFen += ' ';
        ListFen += field;
      }
    }

    if (!at.Known()) at.Refuse("unknown option: " + (argument.empty() ? std::string("\"\"") : argument));
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

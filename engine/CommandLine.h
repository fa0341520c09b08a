// The command line: each argument is tested against every option in turn;
// an option that takes a value moves on to the next argument, and the
// options after it are tested against that value. An argument that is no
// option, an option without its value and a value of the wrong kind stop
// the program before anything starts; a number out of an option's range is
// held to it, with a note.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

class CommandLine {
 public:
  const char* EPDFile = nullptr;  // "-ts", "-pev" or "-mimicstudent"
  const char* PGNFile = nullptr;  // "-annotate": the games to annotate
  const char* OutputFile = nullptr;  // "-o": where the annotated games go

  // The limits the line set ("-sd", "-fd", "-st"); -1 when not given.
  int MaxDepth = -1;
  int FixedDepth = -1;
  int SecondsPerMove = -1;
  // "-st" as a test suite reads it: seconds a position, fractions kept
  // (0.5 is half a second); 0 when not given.
  double SecondsPerPosition = 0;
  // "-checkboard": the board's bookkeeping is checked after every command
  // (for tests and fuzzing).
  bool CheckBoard = false;
  // "-book FILE": the opening book to play from instead of the default.
  const char* BookFile = nullptr;
  // The book switch as "-nobook" or the player last set it (1 on, 0 off),
  // kept for every new game; -1 leaves each game its default.
  int OwnBook = -1;
  // "-listbook [FEN]": the book's moves of the position (the start
  // position when no FEN follows), then the program ends.
  bool ListBook = false;
  std::string ListFen;
  // "-chess960": the games and position texts are Chess960's (before -lpf,
  // -ts or -pev on the line).
  bool Chess960 = false;
  // "-classic": the process plays the classic engine (anywhere on the line,
  // in every mode and tool). The protocols then introduce the engine as it
  // always was, without the Classic option.
  bool Classic = false;

  // Why the line cannot be run (empty when it can): one line naming the
  // argument, with a hint where the options are listed.
  std::string Refusal;
  // Values held to their range, and a book that cannot serve: said once the
  // protocol is known, in its form (ReportNotes).
  std::vector<std::string> Notes;

  // False when the line is refused (then Refusal says why).
  bool Read(int argc, char** argv);
  // Prints the notes, as "info string" lines under UCI, and forgets them.
  void ReportNotes(std::FILE* out = stdout);
  // Sets the line's limits again after a new game has reset them, so that
  // they hold for every game an xboard GUI starts with "new".
  void RestoreLimits() const;
  static void PrintHelp();
  // True when the line asks for "-annotate", whose PGN may go to the
  // standard output: nothing else may be printed there.
  static bool Annotates(int argc, char** argv);
};

extern CommandLine Arguments;

// A program that cannot start from its command line ends with this status.
constexpr int CommandLineRefused = 2;

// ST, TimePerMove and TimeLeft for n seconds a move ("-st", xboard "st").
void SetSecondsPerMove(int n);

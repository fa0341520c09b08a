// The command line: each argument is tested against every option in turn;
// an option that takes a value moves on to the next argument, and the
// options after it are tested against that value. A value-taking option at
// the end of the line has no value and does nothing.
#pragma once
#include <string>

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

  void Read(int argc, char** argv);
  // Sets the line's limits again after a new game has reset them, so that
  // they hold for every game an xboard GUI starts with "new".
  void RestoreLimits() const;
  static void PrintHelp();
  // True when the line asks for "-annotate", whose PGN may go to the
  // standard output: nothing else may be printed there.
  static bool Annotates(int argc, char** argv);
};

extern CommandLine Arguments;

// ST, TimePerMove and TimeLeft for n seconds a move ("-st", xboard "st").
void SetSecondsPerMove(int n);

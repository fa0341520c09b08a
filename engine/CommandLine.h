// The command line: each argument is tested against every option in turn;
// an option that takes a value moves on to the next argument, and the
// options after it are tested against that value. A value-taking option at
// the end of the line has no value and does nothing.
#pragma once

class CommandLine {
 public:
  const char* EPDFile = nullptr;  // "-ts", "-pev" or "-mimicstudent"

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
  // "-chess960": the games and position texts are Chess960's (before -lpf,
  // -ts or -pev on the line).
  bool Chess960 = false;

  void Read(int argc, char** argv);
  // Sets the line's limits again after a new game has reset them, so that
  // they hold for every game an xboard GUI starts with "new".
  void RestoreLimits() const;
  static void PrintHelp();
};

extern CommandLine Arguments;

// ST, TimePerMove and TimeLeft for n seconds a move ("-st", xboard "st").
void SetSecondsPerMove(int n);

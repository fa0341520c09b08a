// The command line: each argument is tested against every option in turn;
// an option that takes a value moves on to the next argument, and the
// options after it are tested against that value. A value-taking option at
// the end of the line has no value and does nothing.
#pragma once

class CommandLine {
 public:
  const char* EPDFile = nullptr;  // "-ts", "-pev" or "-mimicstudent"

  void Read(int argc, char** argv);
  static void PrintHelp();
};

extern CommandLine Arguments;

// EPD test suites: every line of a file is a position; "-ts" searches each
// to the fixed depth (3 without "-fd") and prints the result, "-pev" and
// "-mimicstudent" evaluate each statically. EPD operations (bm, id ...) are
// not read. The caller ends the program.
#pragma once

// What to do with each position; the command line may ask for several.
struct SuiteOptions {
  bool Search = false;    // "-ts": search to the fixed depth
  bool Mimic = false;     // "-mimicstudent": no board, a static evaluation
  bool Evaluate = false;  // "-pev": the board without its score line
};

void ParseEPDSuite(const char* file, const SuiteOptions& options);

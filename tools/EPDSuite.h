// EPD test suites: every line of a file is a position. "-ts" searches each
// (to the fixed depth, 3 without "-fd", or for a time a position) and scores
// the move played against the line's "bm" and "am" operations; "-pev" shows
// each position's evaluation term by term; "-mimicstudent" evaluates each
// statically and shows nothing. The caller ends the program.
#pragma once
#include <string>
#include <vector>

class ChessBoard;

// What to do with each position; the command line may ask for several.
struct SuiteOptions {
  bool Search = false;    // "-ts": search each position
  bool Mimic = false;     // "-mimicstudent": no board, a static evaluation
  bool Evaluate = false;  // "-pev": the board and the evaluation by term
  // Seconds a position ("-st"); a fixed depth ("-fd") goes first, and
  // without either the search goes to depth 3.
  double SecondsPerPosition = 0;
};

void ParseEPDSuite(const char* file, const SuiteOptions& options);

// The evaluation of the position for its side to move, term by term, as
// -pev prints it; the position itself is left as it is.
void PrintEvaluationDetail(const ChessBoard& position);

// The operations of an EPD line that a suite is scored by, each move in
// the text the line gives it (standard algebraic notation).
struct EPDOperations {
  std::vector<std::string> BestMoves;   // "bm": any of them solves the position
  std::vector<std::string> AvoidMoves;  // "am": none of them may be played
  std::string Id;                       // "id", without its quotes
};

// Reads the operations after the position's four fields ("bm Qxh7+ Qg6;
// id \"WAC.004\";"); a FEN's two move counters before them are passed over,
// and operations the suite does not use are skipped.
EPDOperations ReadEPDOperations(const char* line);

#include "tools/EPDSuite.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/MoveText.h"
#include "board/PositionText.h"
#include "eval/PositionEvaluate.h"
#include "search/SearchLimits.h"
#include "search/SearchRoutines.h"

namespace {
// Reads one line without its end; false at the end of the file. A line
// longer than the buffer is cut, the rest skipped.
bool ReadLine(FILE* f, char* line, size_t size) {
  if (fgets(line, (int)size, f) == nullptr) return false;
  size_t n = strlen(line);
  if (n > 0 && line[n - 1] == '\n') {
    line[--n] = 0;
  } else {
    for (int c = fgetc(f); c != EOF && c != '\n'; c = fgetc(f)) {
    }
  }
  if (n > 0 && line[n - 1] == '\r') line[--n] = 0;
  return true;
}

bool Blank(const char* line) { return line[strspn(line, " \t")] == 0; }

void Evaluate() {
  MainBoard.InitPieceCounts();
  PE.PosEval(MainBoard.SideToMove, -MateScore, MateScore, &MainBoard);
}
}  // namespace

void ParseEPDSuite(const char* file, const SuiteOptions& options) {
  FILE* f = fopen(file, "r");
  if (f == nullptr) {
    printf("ERROR: opening file %s\n", file);
    fflush(stdout);
    exit(1);
  }
  printf("## file opened %s\n", file);
  printf("## Entering ParseEPDSuite and Opened data file\n");
  if (options.Mimic) printf("In ParseEPDSuite and Mimic == STUDENT \n");
  fflush(stdout);

  int count = 0;
  char line[1024];
  // Blank lines hold no position and are passed over.
  while (ReadLine(f, line, sizeof line)) {
    if (Blank(line)) continue;
    if (const char* problem = LoadPosition(line)) {
      printf("Illegal position (%s), skipped: %s\n", problem, line);
      continue;
    }
    // Counted before the board display evaluates the position.
    MainBoard.InitPieceCounts();
    if (!options.Mimic) {
      MainBoard.DisplayBoard();
      if (!options.Evaluate) PE.PrintWhiteScore(&MainBoard);
    }
    if (options.Search) {
      printf("%s\n", line);
      if (Limits.FD == 0) Limits.FD = 3;
      // The move found is played, as the next position's set-up keeps some
      // of the board's state (the fifty-move count among it).
      ChessBoard& b = MainBoard;
      int v = Search.ProgressiveDeepening(b, (char)Limits.FD, &b.BestMoveFrom, &b.BestMoveTo, &b.BestMovePromote);
      if (Search.MoveToPlay(v)) b.PlayMove(b.BestMoveFrom, b.BestMoveTo, b.BestMovePromote);
      char text[PVTextSize];
      Search.LineText(text, v, b.BestMoveFrom, b.BestMoveTo, b.BestMovePromote);
      printf("%d %d   %s", Limits.FD, v, text);
    }
    if (options.Mimic) Evaluate();
    if (options.Evaluate) Evaluate();
    count++;
    fflush(stdout);
  }
  fclose(f);
  printf("%d\n", count);
  fflush(stdout);
}

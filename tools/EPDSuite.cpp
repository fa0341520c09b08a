#include "tools/EPDSuite.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/MoveText.h"
#include "board/PositionText.h"
#include "engine/GameMoves.h"
#include "engine/Status.h"
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

void ParseEPDSuite(const char* file) {
  Status& s = MainStatus;
  FILE* f = fopen(file, "r");
  if (f == nullptr) {
    printf("ERROR: opening file %s\n", file);
    fflush(stdout);
    exit(1);
  }
  printf("## file opened %s\n", file);
  printf("## Entering ParseEPDSuite and Opened data file\n");
  if (s.Mimic == 1) printf("In ParseEPDSuite and Mimic == STUDENT \n");
  fflush(stdout);

  int count = 0;
  char line[1024];
  // Blank lines hold no position and are passed over.
  while (ReadLine(f, line, sizeof line)) {
    if (Blank(line)) continue;
    SetupBoard(line);
    // Counted before the board display evaluates the position.
    MainBoard.InitPieceCounts();
    if (s.Mimic != 1) ShowBoard();
    if (s.DoTestSuite) {
      printf("%s\n", line);
      if (Limits.FD == 0) Limits.FD = 3;
      // The move found is played, as the next position's set-up keeps some
      // of the board's state (the fifty-move count among it).
      GameMove best;
      int v = Search.ProgressiveDeepening(MainBoard, (char)Limits.FD, &best.From, &best.To, &best.Promote);
      MainBoard.BestMoveFrom = best.From, MainBoard.BestMoveTo = best.To, MainBoard.BestMovePromote = best.Promote;
      PlaySearchResult(v, best);
      char text[PVTextSize];
      Search.LineText(text, v, best.From, best.To, best.Promote);
      printf("%d %d   %s", Limits.FD, v, text);
    }
    if (s.Mimic == 1) Evaluate();
    if (s.PEV) Evaluate();
    count++;
    fflush(stdout);
  }
  fclose(f);
  printf("%d\n", count);
  fflush(stdout);
}

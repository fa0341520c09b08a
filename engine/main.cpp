// Vorn's entry: start-up, the command line, the choice of protocol from the
// first input word, and the outer loop that dispatches the tools.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/ChessBoard.h"
#include "board/HashCodes.h"
#include "engine/CommandLine.h"
#include "engine/LogFile.h"
#include "engine/OpeningBook.h"
#include "engine/Status.h"
#include "eval/PawnHash.h"
#include "search/SearchRoutines.h"
#include "search/TranspositionTables.h"
#include "tools/Bench.h"
#include "tools/EPDSuite.h"
#include "tools/PerfT.h"

namespace {
char LineBuffer[512];

void Finish() {
  if (dlog != nullptr) CloseLogFile();
  printf("Bye, Thanks for the match.\n");
  fflush(stdout);
}

// The first word picks the protocol; a GUI's "uci" or "xboard" serves.
// End of input before any word ends the program as "quit" would.
bool ReadFirstWord() {
  if (scanf("%511s", LineBuffer) != 1) return false;
  getchar();
  if (strstr(LineBuffer, "uci")) MainStatus.UCIMode = 1;
  if (strstr(LineBuffer, "xboard")) MainStatus.xboard = 1;
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  printf("Vorn \n");
  MainStatus.initVars();
  MainStatus.xboard = 0;
  MainStatus.UCIMode = 0;
  MainBoard.InitRep();
  initPStable();
  buildbook();
  MainBoard.InitRep();
  MainStatus.initVars();

  Arguments.Read(argc, argv);

  signal(SIGINT, SIG_IGN);
  setvbuf(stdin, nullptr, _IONBF, 0);
  setvbuf(stdout, nullptr, _IONBF, 0);

  Status& s = MainStatus;
  if (!s.PERFT && !s.BenchNumber && !s.SATrain) {
    if (!ReadFirstWord()) {
      Finish();
      return 0;
    }
  }

  if (s.xboard) {
    ClearPawnHash();
    PositionCache.ClearTranspositionTables();
  }
  Phashattempts = 0;
  Phashmisses = 0;
  Search.ClearHistory();

  // The tools; each ends the program.
  const char* suite = Arguments.EPDFile ? Arguments.EPDFile : "";
  if (s.PERFT) {
    PerfT perft(s.getFD());
    exit(0);
  }
  if (s.DoTestSuite) {
    ParseEPDSuite(suite);
    exit(0);
  }
  if (s.Mimic == 1) {
    printf("## Mimic == STUDENT\n");
    ParseEPDSuite(suite);
    exit(0);
  }
  if (s.PEV) {
    ParseEPDSuite(suite);
    exit(0);
  }
  if (s.SATrain) {
    s.BenchNumber = 1;
    Bench();
    exit(0);
  }
  if (s.BenchNumber == 1) {
    Bench();
    exit(0);
  }
  if (s.BenchNumber == 2) {
    Bench2();
    exit(0);
  }
  if (s.BenchNumber == 3) {
    Bench3();
    exit(0);
  }

  if (!s.xboard && !s.UCIMode) {
    printf("\nHello! I am Vorn.\n");
    printf("MAXDEPTH = %d\n", MainBoard.MaxDepth);
    MainBoard.DisplayBoard();
  }
  Finish();
  return 0;
}

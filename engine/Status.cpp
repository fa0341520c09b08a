#include "engine/Status.h"

#include "search/SearchLimits.h"
#include "search/TimeControl.h"

Status MainStatus;

void Status::initVars() {
  Mimic = 0;
  Clock.GamePly = 1;
  GameInProgress = 1;
  EndedByResult = 0;
  TakenUpAgain = 0;
  SelfPlay = 0;
  HumanToMove = 1;
  if (Kibitz != 1) Kibitz = 0;
  PERFT = 0;
  BenchNumber = 0;
  Limits.Benchmark = 0;
  SATrain = 0;
  DoTestSuite = 0;
  Post = 0;
  PEV = 0;
  Limits.Trace = 0;
  // A UCI GUI's settings survive "ucinewgame".
  if (UCIMode != 1) {
    UCIMode = 0;
    Clock.TimePerMove = 0;
    Limits.FD = 0;
    Limits.OwnBook = 1;
    Clock.MovesPerSession = 0;
    Clock.DefaultMovesPerSession = 50;
    Clock.ST = 0;
  }
}

#include "engine/Status.h"

Status MainStatus;

void Status::InitMasks() {
  for (int i = 0; i < 8; i++) {
    FileMask[i] = 0x0101010101010101ULL << i;
    RankMask[i] = 0xFFULL << (8 * i);
  }
  FilesGH = FileMask[6] | FileMask[7];
  FilesAB = FileMask[0] | FileMask[1];
  FilesFGH = FileMask[5] | FilesGH;
  FilesABC = FilesAB | FileMask[2];

  static constexpr u64 shortDiags[8] = {
      Squares("f5 e6 d7"), Squares("c5 d6 e7"), Squares("f4 e5 d6"), Squares("c4 d5 e6"),
      Squares("d2 e3 f4"), Squares("e2 d3 c4"), Squares("d3 e4 f5"), Squares("e3 d4 c5")};
  static constexpr u64 longDiags[6] = {
      Squares("h2 g3 f4 e5 d6 c7"), Squares("g2 f3 e4 d5 c6 b7"), Squares("f2 e3 d4 c5 b6 a7"),
      Squares("c2 d3 e4 f5 g6 h7"), Squares("b2 c3 d4 e5 f6 g7"), Squares("a2 b3 c4 d5 e6 f7")};
  for (int i = 0; i < 8; i++) ShortDiag[i] = shortDiags[i];
  for (int i = 0; i < 6; i++) LongDiag[i] = longDiags[i];

  LightSquareMask = 0x55AA55AA55AA55AAULL;
  DarkSquareMask = 0xAA55AA55AA55AA55ULL;
  Corners = Squares("a1 h1 a8 h8");
  WhiteHalf = 0x00000000FFFFFFFFULL;
  BlackHalf = 0xFFFFFFFF00000000ULL;

  SquareH8 = Squares("h8"); SquareH7 = Squares("h7"); SquareF7 = Squares("f7");
  SquareG7 = Squares("g7"); SquareH6 = Squares("h6"); SquareF6 = Squares("f6");
  SquareG6 = Squares("g6"); SquareA8 = Squares("a8"); SquareA7 = Squares("a7");
  SquareC7 = Squares("c7"); SquareA6 = Squares("a6"); SquareB7 = Squares("b7");
  SquareC6 = Squares("c6"); SquareB6 = Squares("b6"); SquareH1 = Squares("h1");
  SquareH2 = Squares("h2"); SquareF2 = Squares("f2"); SquareG2 = Squares("g2");
  SquareH3 = Squares("h3"); SquareF3 = Squares("f3"); SquareG3 = Squares("g3");
  SquareA1 = Squares("a1"); SquareA2 = Squares("a2"); SquareC2 = Squares("c2");
  SquareB2 = Squares("b2"); SquareA3 = Squares("a3"); SquareC3 = Squares("c3");
  SquareB3 = Squares("b3"); SquareB8 = Squares("b8"); SquareG8 = Squares("g8");
  SquareB1 = Squares("b1"); SquareG1 = Squares("g1");
}

void Status::initVars() {
  InitMasks();
  Mimic = 0;
  HPC = 0;
  GamePly = 1;
  GameInProgress = 1;
  SelfPlay = 0;
  HumanToMove = 1;
  if (Kibitz != 1) Kibitz = 0;
  PERFT = 0;
  BenchNumber = 0;
  SATrain = 0;
  BookMisses = 0;
  DoTestSuite = 0;
  Post = 0;
  PEV = 0;
  Trace = 0;
  MaxPlyReached = 0;
  // A UCI GUI's settings survive "ucinewgame".
  if (UCIMode != 1) {
    UCIMode = 0;
    TimePerMove = 0;
    FD = 0;
    OwnBook = 1;
    MovesPerSession = 0;
    DefaultMovesPerSession = 50;
    ST = 0;
  }
}

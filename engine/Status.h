// Engine-wide settings and game state: protocol modes, tool switches, clock
// figures, the game's ply counter and the constant board masks the board,
// move generator and evaluation read. One instance: MainStatus.
#pragma once
#include "board/Types.h"

// A set of squares written as names, "f5 e6 d7".
constexpr u64 Squares(const char* names) {
  u64 mask = 0;
  for (const char* p = names; p[0] != 0; p++) {
    if (p[0] >= 'a' && p[0] <= 'h' && p[1] >= '1' && p[1] <= '8') {
      mask |= 1ULL << ((p[1] - '1') * 8 + (p[0] - 'a'));
      p++;
    }
  }
  return mask;
}

// Clock figures from a GUI or the command line (milliseconds) are held to
// 0 .. MaxClockMs, about two days and a quarter: the time control doubles a
// budget twice and adds increments in 32 bits, which any larger figure
// would overflow.
constexpr i32 MaxClockMs = 200000000;
constexpr i32 ClampClock(i64 ms) { return ms < 0 ? 0 : ms > MaxClockMs ? MaxClockMs : (i32)ms; }

class Status {
 public:
  u8 Mimic;
  u8 HPC;
  i32 StartTime;
  i32 GamePly;
  i32 CompletedDepth;
  i32 MT;
  i32 ElapsedSeconds;
  i32 TimeInc;
  i32 TimePerMove;
  i32 TimeLeft;
  i32 NodesPerSecond = 1200000;
  i64 EmergencyTimeThreshold;  // a time, then a node count: 64-bit, as node budgets are
  u8 xboard;
  u8 UCIMode;
  u8 GameInProgress;
  u8 SelfPlay;
  u8 TC;
  u8 FD;
  u8 HumanToMove;
  u8 Kibitz;
  u8 PERFT;
  u8 BenchNumber;
  u8 SATrain;
  u8 BookMisses;
  u8 DoTestSuite;
  u8 Post;
  u8 Force;
  u8 OwnBook;
  u8 FullRand;
  u8 PEV;
  u8 Analyze;
  u8 KeepRunning;
  u8 Trace;
  u8 Pondering;
  u8 PonderSearch;

  // Constant board masks, recomputed by initVars.
  u64 FileMask[8];
  u64 FilesGH, FilesAB, FilesFGH, FilesABC;
  u64 ShortDiag[8];
  u64 RankMask[8];
  u64 LongDiag[6];
  u64 LightSquareMask, DarkSquareMask;
  u64 Corners;
  u64 WhiteHalf, BlackHalf;
  u64 SquareH8, SquareH7, SquareF7, SquareG7, SquareH6, SquareF6, SquareG6;
  u64 SquareA8, SquareA7, SquareC7, SquareA6, SquareB7, SquareC6, SquareB6;
  u64 SquareH1, SquareH2, SquareF2, SquareG2, SquareH3, SquareF3, SquareG3;
  u64 SquareA1, SquareA2, SquareC2, SquareB2, SquareA3, SquareC3, SquareB3;
  u64 SquareB8, SquareG8, SquareB1, SquareG1;

  i32 MovesPerSession;
  i32 DefaultMovesPerSession;
  i32 ST;
  i32 MaxPlyReached;

  void initVars();
  void InitMasks();

  void setPERFT(char v) { PERFT = (u8)v; }
  char getPERFT() const { return (char)PERFT; }
  void setFD(char v) { FD = (u8)v; }
  char getFD() const { return (char)FD; }
  void setxboard(char v) { xboard = (u8)v; }
  char getxboard() const { return (char)xboard; }
  void setDoTestSuite(char v) { DoTestSuite = (u8)v; }
  char getDoTestSuite() const { return (char)DoTestSuite; }
};

extern Status MainStatus;

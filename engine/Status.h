// Engine-wide settings and game state of the front ends: protocol modes,
// the tools the command line asked for, the game loop's turn and mode
// flags. What the search reads lives beside it: the clock figures in
// TimeControl (Clock), the depth, analysis and ponder settings in
// SearchLimits (Limits). One instance: MainStatus.
#pragma once
#include "board/Types.h"

class Status {
 public:
  u8 Mimic;           // 0 off, 1 student ("-mimicstudent"), 2 oracle
  u8 xboard;          // xboard protocol mode
  u8 UCIMode;         // UCI protocol mode
  u8 GameInProgress;  // the console/xboard game loop runs while 1
  u8 SelfPlay;        // the engine plays both sides
  u8 HumanToMove;     // 1: the next move comes from the opponent
  u8 Kibitz;          // send "tellics kibitz" lines
  u8 PERFT;           // run the perft tool
  u8 BenchNumber;     // the benchmark asked for, 0 none, 1 to 3
  u8 SATrain;
  u8 DoTestSuite;     // run an EPD test suite
  u8 Post;            // send thinking output
  u8 Force;           // xboard force mode: the engine does not move
  u8 PEV;             // print the evaluation of every EPD position
  u8 KeepRunning;     // start the outer loop again after a UCI exchange
  i32 LevelMoves;     // moves per time control of xboard's "level"; 0 none
  // The GUI's "result" ended a game that was going on, whose position may
  // still have moves: "go" or "analyze" takes it up again from there, and
  // TakenUpAgain tells the game loop so.
  u8 EndedByResult;
  u8 TakenUpAgain;
  // The xboard protocol version the GUI announced with "protover"; 0 when
  // it sent none. From 2 on the engine answers with its features and
  // speaks the protocol's later forms (move lines, thinking lines).
  u8 XboardVersion;

  // A new game's settings; under a UCI GUI the GUI's own settings (depth,
  // clock, book) are kept.
  void initVars();

  // An xboard GUI of protocol 2 or later is listening.
  bool XboardProtocol2() const { return xboard == 1 && XboardVersion >= 2; }

  void setPERFT(char v) { PERFT = (u8)v; }
  char getPERFT() const { return (char)PERFT; }
  void setxboard(char v) { xboard = (u8)v; }
  char getxboard() const { return (char)xboard; }
  void setDoTestSuite(char v) { DoTestSuite = (u8)v; }
  char getDoTestSuite() const { return (char)DoTestSuite; }
};

extern Status MainStatus;

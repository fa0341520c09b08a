// The UCI front end. One instance: UCI. UCIPrep takes one command line (or,
// from the search's poll, one word that arrived while the engine thinks),
// and UCICore acts on it and then goes on reading lines until something
// sends it back to its caller: a nested call returns to the search as soon
// as it has handled its word (2 tells the search to stop).
#pragma once
#include "board/Types.h"
#include "engine/GameMoves.h"

class UCIProtocol {
 public:
  enum State : u8 { WAITING = 0, SEARCHING = 1, PONDERING = 2, INFINITE = 3 };

  // What UCIPrep answers a search that handed it a word: go on, stop the
  // search, or the ponder search became a timed one.
  static constexpr int ResumeResult = 1, StopResult = 2, PonderHitResult = 3;

  static constexpr int CommandSize = 10000;

  char Command[CommandSize] = "";
  u8 UCIHashSide = 0;  // side to move after the moves parsed so far
  u8 UCIState = WAITING;
  char UCIVersion[40] = "1.005-64W";
  u8 UCIContinue = 1;      // the program's outer loop goes on while 1
  u8 UCIPonder = 0;        // "bestmove" names a ponder move
  u8 UCIShowCurrLine = 1;  // "info currmove" lines from the root search

  int UCIPrep(char* text);
  int UCICore();
  // Makes the coordinate moves of `text` on MainBoard, each checked against
  // the position reached; returns the number made.
  int ProcessMoves(char* text);
  // Makes one legal move and records the position it leads to.
  void MakeMoves(const GameMove& move);

 private:
  // Acts on the line in Command: StopResult or PonderHitResult send a
  // nested call back to the search at once, 0 goes on.
  int HandleCommand();
  int Dispatch();
  // The next line from standard input into Command; false at its end.
  bool ReadCommand();
  void Identify();
  void Position();
  void Go();
  void SendBestMove(int v, const GameMove& move);
  void NewGame();
  void SetOption();
  // "BookFile" ("<empty>" or nothing for none) and "BookDepth" (held to
  // 1 .. MaxBookDepth).
  void SetBookFile(const char* value);
  void SetBookDepth(const char* value);
  // True while no search is served; otherwise the line saying that the
  // option `name` is set only then.
  bool NoSearchRuns(const char* name);
  // "UCI_Chess960" and "Classic", only while no search runs.
  void SetChess960(bool on);
  void SetClassic(bool on);
  // The "Hash" (value in megabytes) and "Clear Hash" options.
  void SetHash(const char* name, const char* value);
  // "Threads": the search threads, held to 1 .. MaxSearchThreads.
  void SetThreads(const char* value);
  // "Move Overhead": milliseconds kept back on every move, held to 0 ..
  // MaxMoveOverheadMs.
  void SetMoveOverhead(const char* value);
  // "MultiPV": the lines each iteration reports, held to 1 .. MaxLines.
  void SetLines(const char* value);
  // "UCI_Elo" (held to the level's range) and "LevelSeed" (the level's
  // random choices start again from it; 0 draws one).
  void SetElo(const char* value);
  void SetLevelSeed(const char* value);
  int Stop();
  [[noreturn]] void Quit();

  // "ucinewgame" arrived while a search was served: done after "bestmove".
  u8 NewGamePending = 0;
};

extern UCIProtocol UCI;

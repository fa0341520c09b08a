// One game between two UCI engines from a given position: the runner keeps
// both clocks (wall time from "go" to "bestmove"), checks every move and
// every principal variation against the rules, ends the game by the rules
// or by the engines' agreed scores, and records each fault of an engine
// with the moves played so far. The engines must be started; one that
// crashed or stopped answering is ended, to be started again for the next
// game.
#pragma once
#include <string>
#include <vector>

#include "scripts/runner/GamePosition.h"
#include "scripts/runner/GameRecord.h"
#include "scripts/runner/GameSettings.h"
#include "scripts/runner/UciPlayer.h"

class RefereedGame {
 public:
  RefereedGame(const GameSettings& settings, UciPlayer* white, UciPlayer* black)
      : settings_(settings), players_{white, black} {}
  // Plays from the FEN or EPD line to the end. A start position that is no
  // position gives an unfinished game with the reason.
  GameRecord Play(const std::string& startText, int round);

 private:
  // What a search said, from "go" to "bestmove".
  struct Answer {
    std::string Move;
    bool HasScore = false;
    int Score = 0;  // centipawns for the mover; mates far beyond any
  };
  // Sends the position and "go", reads until "bestmove". False ends the
  // game: the side lost (on time, by a crash, by no answer), all said in
  // the record.
  bool Think(int side, Answer* answer);
  void Lose(int side, const std::string& why, const char* termination);
  void Fault(int side, const std::string& what);
  void CheckLine(int side, const std::string& info);
  // The adjudication by both engines' scores after each move.
  bool Adjudicate();
  std::string Name(int side) const { return players_[side]->Setup().Name; }

  const GameSettings& settings_;
  UciPlayer* players_[2];
  GamePosition position_;
  std::string startFen_;
  std::vector<std::string> uciMoves_;
  // White's view of each move's score, absent ones as NoScore.
  std::vector<int> scores_;
  long long clockMs_[2] = {0, 0};
  GameRecord record_;
};

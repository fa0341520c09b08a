// A game's position as the referee sees it: the engine's own board and move
// generator for legality, SAN and FEN, the positions seen so far for
// repetitions, and the rules that end a game by themselves.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "board/ChessBoard.h"
#include "movegen/SANText.h"

enum class Ending { None, Checkmate, Stalemate, Repetition, FiftyMoves, DeadPosition };

class GamePosition {
 public:
  // A FEN or EPD line (counters may be left out); false with the reason
  // when it is no position a game could reach.
  bool Set(const std::string& text, std::string* problem);
  // The whole FEN with castling as "KQkq" and the counters.
  std::string Fen() const;
  // White to move: 0, Black: 1.
  int Side() const { return board_.SideToMove; }
  // The legal move a UCI word names ("e2e4", "e7e8q"), castling as the
  // king's two squares; false when it names none.
  bool FindMove(const std::string& word, LegalMove* move) const;
  std::string San(const LegalMove& move) const;
  void Play(const LegalMove& move);
  // What ends the game here by rule. A mate or stalemate comes before the
  // fifty-move rule and repetition, which the move that makes them may
  // itself end.
  Ending GameEnd() const;
  // The index of the first move of a line that is not legal where it
  // stands, or -1 when every move is.
  int FirstIllegal(const std::vector<std::string>& words) const;
  int FullMoveNumber() const { return fullMove_; }

 private:
  // The position as repetition counts it: men, side, castling rights and
  // an en-passant square only where a capture there is legal.
  std::string RepetitionKey() const;

  ChessBoard board_{};
  int fullMove_ = 1;
  std::map<std::string, int> seen_;
};

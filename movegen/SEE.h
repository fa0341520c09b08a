// Static exchange evaluation: the material outcome of a capture sequence on
// one square when both sides recapture least valuable man first and either
// side may stop. Pins, en passant and promotions are not considered.
// Each search thread has its own (the search's Exchange); see is the
// console's.
#pragma once
#include "board/Types.h"

class ChessBoard;

class SEE {
 public:
  ChessBoard* board = nullptr;  // the position of the call in hand
  // [target][from]: the step from the target towards the from-square when
  // both lie on one line (+-1, +-7, +-8, +-9), else 0. Filled at start-up
  // and shared.
  static i16 Direction[64][64];

  // `side` is the colour of the man on `to` (the capture is made by the
  // other side); the result is the capturer's expected gain.
  int StaticExchangeEvaluation(char side, u64 from, u64 to, ChessBoard* b);
  // Every man of either colour that attacks the square.
  u64 SquareAttacksDefences(u64 square) const;
  // Square index of the side's least valuable man among the attackers, -1
  // when it has none.
  int LVP(char side, u64 attackers) const;
  // Adds the rook, bishop or queen standing behind fromIndex, seen from the
  // target along `direction`, once the man on fromIndex has captured.
  u64 AddXrayAttacker(u64 attackers, int fromIndex, int direction) const;

 private:
  int ValueOf(u64 square) const;
};

extern SEE see;

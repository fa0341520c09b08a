// The 960 start positions of Chess960, numbered 0 to 959 as players and
// GUIs number them: 518 is standard chess's. Built from the number, not
// kept in a table.
#pragma once
#include <string>

#include "board/PositionText.h"

// The first rank of position `number` (0 to 959) from White's side, in
// upper-case letters: "BBQNNRKR" for 0, "RNBQKBNR" for 518.
std::string Chess960FirstRank(int number);
// The position's FEN, castling as "KQkq" or by the rooks' files ("HAha").
std::string Chess960Fen(int number, CastlingStyle style);

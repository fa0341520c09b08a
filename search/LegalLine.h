// The legal part of a line of moves, as the principal variation is shown.
// The principal-variation table can carry moves of other branches (a move
// the transposition table kept for another position, or a row's older
// entries): a printed line stops before the first move that cannot be
// played where it stands.
#pragma once
#include "board/MoveText.h"

class ChessBoard;

// The number of leading moves of line[0 .. length - 1] that can be played
// one after another from `root` (its side to move and castling rights),
// up to the first empty entry (from and to the same square). A promotion
// entry without a piece (the transposition table keeps none) is given the
// generator's, which is the promotion the search made.
int LegalLineLength(const ChessBoard& root, PVEntry* line, int length);

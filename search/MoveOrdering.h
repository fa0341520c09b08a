// Ordering values for the moves of a list, from the search's tables: the
// hash move, the previous iteration's move at this ply, the killers and the
// history. The list then hands its moves out best first (MoveGen::NextMove).
#pragma once
#include "board/Types.h"

class ChessBoard;
class MoveGen;
class SearchRoutines;

// Values for moves 0 .. count-1 of a full-width node. kingMask is the
// opponent's king, hashMove the table's move (from x 64 + to, 0 = none),
// nodeType the search's node kind; the killers, history and previous line
// are those of `search`.
void AssignMoveOrderValues(const SearchRoutines& search, MoveGen& list, int count, int ply, u64 kingMask, int hashMove,
                           int nodeType);
// Several lines at the root: the previous iteration's lines after its first
// come right after the first, in their order.
void OrderPreviousLines(const SearchRoutines& search, MoveGen& list, int count);
// Values for a quiescence node: most valuable victim, least valuable
// attacker, then promotions.
void QuiesceAssignMoveOrderValues(MoveGen& list, int count, int ply);
// An enemy pawn stands ahead of `to` on its file or the two beside it: a
// pawn arriving there is not passed.
bool EnemyPawnAhead(const ChessBoard& board, char side, u64 to);

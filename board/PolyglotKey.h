// The key of a position in the opening-book files GUIs and book tools
// share (64 bits, the format's own random numbers), computed from the board
// alone: men, castling rights, an en-passant file and the side to move.
#pragma once
#include "board/Types.h"

class ChessBoard;

u64 PolyglotKey(const ChessBoard& board);
// The file of the pawn the other side just moved two squares when a pawn of
// the side to move stands beside it (whether or not taking it is legal);
// -1 otherwise. The book key counts the file only then.
int EnPassantFile(const ChessBoard& board);

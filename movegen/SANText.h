// Standard algebraic notation, as EPD suites and game records write moves:
// "Nf3", "exd5", "O-O", "e8=Q", "Nbd7", "R1a3", "Qh4e1". Read and written
// against the legal moves of a position, so that a text names a move only
// when exactly one legal move fits it. The engine's own move text is the
// coordinate notation of board/MoveText.h.
#pragma once
#include <vector>

#include "board/Types.h"

class ChessBoard;

// A legal move: the two squares as one-bit masks and the promotion letter
// ('Q', 'R', 'B', 'N' for White, lower case for Black), or NoPromotion.
struct LegalMove {
  u64 From = 0;
  u64 To = 0;
  char Promote = NoPromotion;
};

// The legal moves of the board's side to move (castling as the generator
// writes it). Unlike the search's lists, a promotion comes once for each of
// queen, rook, bishop and knight, so that "e8=N" names a move.
std::vector<LegalMove> LegalMoves(const ChessBoard& board);

enum class SANReading {
  Found,      // exactly one legal move fits the text
  NoMove,     // the text is no SAN move, or no legal move fits it
  Ambiguous,  // more than one legal move fits it
};

// Reads one move in SAN for the board's side to move. Check and mate marks
// and annotations ("+", "#", "!", "?") may follow and are not checked, nor
// is the capture mark; "0-0" is read as "O-O", and "=" before a promotion
// piece may be left out. Piece letters are upper case, files lower case.
SANReading ReadSAN(const char* text, const ChessBoard& board, LegalMove* move);

// The SAN of a legal move of the board, with the check or mate mark it
// earns: "Nbd7", "exd6", "O-O", "e8=Q+", "Rh1#". Needs room for 8
// characters.
void WriteSAN(const ChessBoard& board, const LegalMove& move, char* text);

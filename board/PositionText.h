// FEN/EPD text in and out. Placement, side to move, castling rights (in
// standard chess those the men support; "KQkq", or the rooks' files as in
// "HAha") and the en-passant field are read onto a board; the move
// counters are read apart (ReadMoveCounters), for the callers that keep a
// game's count and number.
#pragma once
#include <cstdio>
#include <string>

#include "board/Types.h"

class ChessBoard;

// Reads the text onto the board. Returns nullptr, or what makes the text no
// position: malformed text (not eight ranks of eight squares, a digit other
// than 1 to 8 or a letter that names no man, a side other than w or b, a
// castling field of other letters than K, Q, k, q, file letters and "-", an
// en-passant field that is neither "-" nor a square of the third or sixth
// rank), more than one king of a colour (the later one replaced the
// earlier), or a castling letter that names no rook able to castle: a file
// letter always, "KQkq" in Chess960 (in standard chess such a right is
// dropped). Blanks and tabs separate the
// fields; the castling and en-passant fields may be left out. Whatever the
// text, the men are placed as far as it goes.
const char* ReadPositionText(const char* text, ChessBoard* board);
// A castling field alone ("KQkq", "HAha", "-") onto a board whose men are
// placed: its rights and their rooks' files, or why it names no rook that
// can castle (the rights then as far as they were read).
const char* ReadCastlingField(ChessBoard& board, const char* field);
// ReadPositionText onto MainBoard, whatever it holds.
void SetupBoard(const char* text);

// A FEN's fifth and sixth fields: the half-moves since the last capture or
// pawn move and the number of the move to come. A field that is missing or
// no number (EPD operations stand there, GUIs may leave the counters out)
// gives the FEN default, 0 and 1, as does a move number of 0; larger
// numbers are cut to the limits (from 100 half-moves on the fifty-move
// count is complete whatever the number).
struct MoveCounters {
  static constexpr i32 HalfMoveLimit = 100;
  static constexpr i32 FullMoveLimit = 10000;
  i32 HalfMoves = 0;
  i32 FullMove = 1;
};
MoveCounters ReadMoveCounters(const char* text);

// Why the board is no position a game could reach, or nullptr: not exactly
// one king a side, a pawn on the first or last rank, more than 16 men or 8
// pawns of a colour, the side not to move in check.
const char* PositionProblem(const ChessBoard& board);
// Why the text is no chess position, or nullptr.
const char* PositionTextProblem(const char* text);
// The text's position on MainBoard when it is one; otherwise MainBoard
// stays as it was and the problem is returned.
const char* LoadPosition(const char* text);
void AddPiece(char letter, u64 square);
char DecodePiece(u64 mask, const ChessBoard* board);
void CastleRights(char* text, char rights);
void pos2fenString(const ChessBoard* board, char* text);
// How a FEN names castling rights: "KQkq", with a rook's file letter where
// another rook stands further out on its wing (X-FEN), or every right by
// its rook's file, "HAha" (Shredder-FEN).
enum class CastlingStyle { KQkq, Files };
// The castling field of the board's rights, "-" for none.
std::string CastlingField(const ChessBoard& board, CastlingStyle style);
// The whole FEN of a position a game has reached: castling as
// CastlingField writes it, the square a pawn just passed in two steps (or
// "-"), the fifty-move count and the move number. pos2fenString's text
// stays the benchmarks'.
std::string FenText(const ChessBoard& board, int moveNumber, CastlingStyle style = CastlingStyle::KQkq);
// One line of a text file, without its end (LF or CR LF), read whole
// whatever bytes it holds (a NUL among them); false at the end of the file.
bool ReadTextLine(FILE* file, std::string* line);
// The first line of the file onto MainBoard, and its move counters. Ends
// the program with status 1 when the file cannot be read, is empty or holds
// no chess position.
MoveCounters LoadPositionFile(const char* path);

// FEN/EPD text in and out. Placement, side to move, castling rights (those
// the men support) and the en-passant field are read; the move counters
// are not.
#pragma once
#include "board/Types.h"

class ChessBoard;

// Reads the text onto the board. Returns nullptr, or what makes the text no
// position (more than one king of a colour: the later one replaced the
// earlier).
const char* ReadPositionText(const char* text, ChessBoard* board);
// ReadPositionText onto MainBoard, whatever it holds.
void SetupBoard(const char* text);
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
void LoadPositionFile(const char* path);

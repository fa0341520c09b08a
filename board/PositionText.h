// FEN/EPD text in and out. Only placement, side to move and castling rights
// are read: the en-passant field and the move counters are ignored.
#pragma once
#include "board/Types.h"

class ChessBoard;

void SetupBoard(const char* text);
void AddPiece(char letter, u64 square);
char DecodePiece(u64 mask, const ChessBoard* board);
void CastleRights(char* text, char rights);
void pos2fenString(const ChessBoard* board, char* text);
void LoadPositionFile(const char* path);

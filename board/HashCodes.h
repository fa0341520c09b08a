// Zobrist codes: two independent 64-bit codes per position (pieces, side to
// move, castling rights; no en-passant component) and a 32-bit pawn code.
// The random numbers come from a fixed-seed generator, so every run agrees.
#pragma once
#include "board/Types.h"

class ChessBoard;

extern u64 UPStable[12][64];
extern u64 LPStable[12][64];
extern u64 CastleCode[16];
extern u64 WtoMove, BtoMove;

u32 BetterRandom32();
void initPStable();
void genhashcode(char side, char castleRights, u64* code1, u64* code2, const ChessBoard* board);
void genpawnhashcode(char side, const ChessBoard* board, unsigned long* code);
// Turns the codes of the position before the board's last MakeMove (side to
// move `side`, rights `castleRights`) into the codes genhashcode gives the
// position after it (`newSide`, `newRights`): the pieces' part changes by
// the entries of the squares whose man changed, read off the board's undo
// record.
void UpdateHashCodes(char side, char castleRights, char newSide, char newRights, u64* code1, u64* code2,
                     const ChessBoard* board);

// The lower code of the position after from-to, worked out on the board
// before the move is made, for loading its table bucket early: a plain move,
// a capture or a promotion, with the castling rights a king or rook leaving
// its square ends (as MakeMove has them). False for castling and en
// passant, which it leaves out.
bool LowerCodeAfter(const ChessBoard& b, char side, char castleRights, u64 from, u64 to, char promote, u64 code2,
                    u64* after);

// Low 32 bits of a pawn-table entry: what MakeMove folds into PawnHashCode.
inline u32 PawnCodeEntry(int kind, int square) { return (u32)LPStable[kind][square]; }

// A deliberately plain legal-move generator, written only to cross-check the
// engine's: a mailbox of 64 letters, moves by offsets and rays, legality by
// playing the move on a copy and looking for an attack on the own king. It
// follows the engine's rules rather than full chess: promotions to a queen
// only, en passant only right after the double step (the board's last move),
// castling by the rights mask, which only the man that moves can clear.
#pragma once
#include <string>
#include <vector>

#include "board/Types.h"

class ChessBoard;
class MoveGen;

struct RefMove {
  int from;
  int to;
  char promote;  // 0, or 'Q' / 'q'
};

struct RefPosition {
  char squares[64];  // FEN letters; '.' for an empty square
  int side;          // 0 White, 1 Black
  int rights;        // castling bits: 1 K, 2 Q, 4 k, 8 q
  int lastFrom;      // the move that led here; -1 when none
  int lastTo;
};

// The men of `board` with the given side to move and castling rights; the
// board's LastFrom/LastTo become the last move.
RefPosition ReferenceFromBoard(const ChessBoard& board, char side, char rights);
// 1 when `bySide` attacks square `sq`.
bool ReferenceAttacked(const RefPosition& p, int sq, int bySide);
bool ReferenceInCheck(const RefPosition& p, int side);
std::vector<RefMove> ReferenceLegalMoves(const RefPosition& p);
// The position after `m`: side flipped, rights and last move updated.
RefPosition ReferenceMakeMove(const RefPosition& p, const RefMove& m);

// Move text shared by both generators: "e7e8Q" keeps the list's letter.
std::string MoveName(u64 from, u64 to, char promote);
std::string MoveName(const RefMove& m);
// The pseudo-legal list a MoveGen holds, as text in list order.
std::vector<std::string> MoveNames(const MoveGen& list, int count);
// The engine's legal moves, found as perft finds them: evasions when in
// check, else the full list, each made and kept when the own king is safe.
std::vector<std::string> EngineLegalMoves(ChessBoard& board, char side, char rights);
// The 64 squares of an engine board as FEN letters ('.' empty, '?' when two
// boards claim a square).
std::string Mailbox(const ChessBoard& board);

// Board checks shared by the make/unmake tests. Each returns the names of
// the fields that disagree, empty when all agree.
// Fields UndoMove must put back exactly (not the undo record itself, which
// MakeMove overwrites).
std::string UndoDifference(const ChessBoard& before, const ChessBoard& after);
// What MakeMove derives from the piece boards: aggregates, counts, totals.
std::string DerivedFieldsDifference(const ChessBoard& board);
// Pawn code of the pawns plus the king entries of both kings, from scratch.
// PawnHashCode follows pawns and king moves incrementally, so its change
// over a move equals the change of this code.
u32 PawnAndKingCode(const ChessBoard& board);

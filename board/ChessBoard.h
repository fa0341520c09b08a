// The position: twelve piece boards, aggregates, side, castling rights, the
// last move (which is how en passant is recognised), counts, the pawn-and-king
// hash code and a one-level undo record. A plain value type: the search copies
// it for every child node. Attack sets of one square are looked up in the
// tables of AttackTables.h; any other mask is walked ray by ray.
#pragma once
#include <cstring>

#include "board/AttackTables.h"
#include "board/Types.h"

// Castling rights, one bit each, as CastleFlags holds them.
enum CastleRight {
  WhiteKingSide = 1,
  WhiteQueenSide = 2,
  BlackKingSide = 4,
  BlackQueenSide = 8,
  AllCastleRights = 15
};

// The game is Chess960 (Fischer random chess): castling is generated as the
// king taking its own rook, and position text names rook files where
// "KQkq" would not say which rook castles. Off, castling with the king on
// e1/e8 and the rooks in the corners is the king's move of two files.
extern bool Chess960;

// What CheckDraw finds: no draw, or the rule that draws. CheckDraw never
// finds a repetition (the game record does), which has its number here all
// the same.
enum DrawCode { NoDraw = 0, DrawByRepetition = 6, DrawByFiftyMoves = 7, DrawByMaterial = 8 };

// The slots of WhiteCounts and BlackCounts.
enum CountSlot { Queens, Rooks, Bishops, Knights, Pawns };

class ChessBoard {
 public:
  u64 WhitePieces;
  u64 BlackPieces;
  u64 AllPieces;
  u64 WhitePawns, WhiteBishops, WhiteKnights, WhiteRooks, WhiteQueens, WhiteKing;
  u64 BlackPawns, BlackBishops, BlackKnights, BlackRooks, BlackQueens, BlackKing;
  u64 SavedPieceBoards[12];
  u64 SavedWhitePieces, SavedBlackPieces, SavedAllPieces;
  u32 PawnHashCode;
  u32 SavedPawnHashCode;
  char SideToMove;
  char CastleFlags;
  char SavedCastleFlags;
  i32 SavedFiftyMoveCount;
  u64 SavedLastFrom, SavedLastTo;
  u64 LastFrom, LastTo;
  i32 MaxDepth;
  i32 FiftyMoveCount;
  i32 RootDepth;
  u64 BestMoveFrom, BestMoveTo;
  char BestMovePromote;
  char MatingMaterial;
  // The file of the rook that castles for each right (White king side,
  // White queen side, Black king side, Black queen side), XORed with its
  // file in standard chess (h, a): all zero on a standard board, also on one
  // set up man by man.
  u8 CastleRookFileCode[4];
  // The file of each side's king while it may castle, XORed with e's.
  u8 CastleKingFileCode[2];
  i32 WhitePieceCount, BlackPieceCount;
  i32 SavedWhitePieceCount, SavedBlackPieceCount;
  i32 WhiteCounts[5];  // by CountSlot
  i32 SavedWhiteCounts[5];
  i32 BlackCounts[5];
  i32 SavedBlackCounts[5];

  // Set-up.
  void InitRep();
  void ClearField();
  void InitPieceCounts();
  // The per-kind counts, the totals and the pawn code computed afresh from
  // the piece boards, as after any set-up that is not a move.
  void RecountPieces();

  // What is wrong with the board's own bookkeeping, or nullptr: men on
  // distinct squares, one king a side, the colour boards and the totals
  // agreeing with the piece boards, the counts with the men.
  const char* Inconsistency() const;
  // Men on distinct squares, and the colour boards and AllPieces the union
  // of the piece boards.
  bool PieceBoardsAgree() const;

  // Queries.
  bool IsPawn(char side, u64 mask) const { return ((side ? BlackPawns : WhitePawns) & mask) != 0; }
  bool IsKnight(char side, u64 mask) const { return ((side ? BlackKnights : WhiteKnights) & mask) != 0; }
  bool IsBishop(char side, u64 mask) const { return ((side ? BlackBishops : WhiteBishops) & mask) != 0; }
  bool IsRook(char side, u64 mask) const { return ((side ? BlackRooks : WhiteRooks) & mask) != 0; }
  bool IsQueen(char side, u64 mask) const { return ((side ? BlackQueens : WhiteQueens) & mask) != 0; }
  bool IsKing(char side, u64 mask) const { return ((side ? BlackKing : WhiteKing) & mask) != 0; }
  bool IsEmptySquare(u64 mask) const { return (AllPieces & mask) == 0; }
  // 0 for a White man; 1 for a Black man and for an empty square.
  int PieceColor(u64 mask) const { return (WhitePieces & mask) ? 0 : 1; }
  void Promote(char side, u64 mask, int kind);

  // Display.
  void DisplayPiece(u64 square) const;
  // The diagram, rank 8 first.
  void DisplayBoard() const;

  // Attack sets (occupancy from AllPieces).
  u64 KnightMask(u64 mask) const {
    return OneSquare(mask) ? KnightSquares[SquareIndex(mask)] : KnightMaskByWalk(mask);
  }
  u64 KingMask(u64 mask) const { return OneSquare(mask) ? KingSquares[SquareIndex(mask)] : KingMaskByWalk(mask); }
  u64 BishopMask(u64 mask) const {
    return OneSquare(mask) ? BishopLookup(SquareIndex(mask), AllPieces) : BishopMaskByWalk(mask, AllPieces);
  }
  u64 RookMask(u64 mask) const {
    return OneSquare(mask) ? RookLookup(SquareIndex(mask), AllPieces) : RookMaskByWalk(mask, AllPieces);
  }
  // 1 when the square is attacked by the side opposite to `side`.
  int IsAttacked(u64 mask, char side) const { return InCheck(mask, side); }
  int InCheck(u64 mask, char side) const;
  int InCheckByWalk(u64 mask, char side) const;
  // InCheck of one square over the given occupancy.
  bool AttackedWith(int sq, char side, u64 occupied) const;
  u64 BishopCheckMask(u64 kingMask, u64 sliderMask) const;
  u64 RookCheckMask(u64 kingMask, u64 sliderMask) const;

  // Castling. A right's index: 0 White king side ... 3 Black queen side.
  int CastleRookFile(int index) const { return CastleRookFileCode[index] ^ ((index & 1) ? 0 : 7); }
  u64 CastleRookSquare(int index) const { return 1ULL << ((index >= 2 ? 56 : 0) + CastleRookFile(index)); }
  void SetCastleRookFile(int index, int file) { CastleRookFileCode[index] = (u8)(file ^ ((index & 1) ? 0 : 7)); }
  // Castling as in standard chess: kings on e1/e8, rooks in the corners.
  bool StandardCastleFiles() const {
    u32 rooks;
    u16 kings;
    memcpy(&rooks, CastleRookFileCode, sizeof rooks);
    memcpy(&kings, CastleKingFileCode, sizeof kings);
    return (rooks | kings) == 0;
  }
  int CastleKingFile(char side) const { return CastleKingFileCode[side ? 1 : 0] ^ 4; }
  void SetCastleKingFile(char side, int file) { CastleKingFileCode[side ? 1 : 0] = (u8)(file ^ 4); }
  // The rights whose rook starts on the square.
  char RightsOfRookSquare(u64 square) const;
  // A move of the side's king that castles: onto its own rook, or two files
  // along its first rank.
  bool IsCastling(char side, u64 from, u64 to) const;
  // The move that castles for a right as the generator writes it: the king
  // onto its rook in Chess960 and wherever the king and rook do not stand
  // on e1 and a1/h1 (e8, a8/h8), else the king's two files.
  u64 CastleTarget(int index) const;

  // Making and unmaking moves.
  void MakeMove(u64 from, u64 to, char promote, char* castleMask);
  void UndoMove(int index);
  // Castling written as the king taking its own rook; part of MakeMove.
  void CastleOntoRook(char side, u64 king, u64 rook, char* castleMask);

  // Game-level castling rights: a king or rook leaving its home square, or
  // a rook captured there, ends the rights that depend on that square.
  void ClearCastleRights(u64 square);
  // Plays a move of the game: the move, then the castling rights it ends,
  // also those of a rook it captures at home.
  void PlayMove(u64 from, u64 to, char promote);

  // Draw rules. CheckDraw returns a DrawCode and sets MatingMaterial: bit 0
  // when White has mating material, bit 5 when Black has.
  int CheckDraw(char side);
  // No sequence of legal moves can end in mate: bare kings, a single minor
  // piece, or bishops all on squares of one colour. What a result may claim.
  bool IsDeadPosition() const;
  bool Test50MoveRule(int fromIndex, int toIndex);

  u64 SideKing(char side) const { return side ? BlackKing : WhiteKing; }
  u64 SidePieces(char side) const { return side ? BlackPieces : WhitePieces; }
};

extern ChessBoard MainBoard;

// A pawn of the defender's colour on the square would attack exactly the
// squares from which an enemy pawn attacks it.
inline int ChessBoard::InCheck(u64 mask, char side) const {
  if (!OneSquare(mask)) return InCheckByWalk(mask, side);
  return AttackedWith(SquareIndex(mask), side, AllPieces);
}

inline bool ChessBoard::AttackedWith(int sq, char side, u64 occupied) const {
  if (side == 1) {
    return ((WhitePawns & PawnCaptureSquares[1][sq]) | (WhiteKnights & KnightSquares[sq]) |
            ((WhiteBishops | WhiteQueens) & BishopLookup(sq, occupied)) |
            ((WhiteRooks | WhiteQueens) & RookLookup(sq, occupied)) | (WhiteKing & KingSquares[sq])) != 0;
  }
  return ((BlackPawns & PawnCaptureSquares[0][sq]) | (BlackKnights & KnightSquares[sq]) |
          ((BlackBishops | BlackQueens) & BishopLookup(sq, occupied)) |
          ((BlackRooks | BlackQueens) & RookLookup(sq, occupied)) | (BlackKing & KingSquares[sq])) != 0;
}

// Piece-kind numbers used by the hash tables and Promote.
enum PieceKind { WPawn, WKnight, WBishop, WRook, WQueen, WKingKind,
                 BPawn, BKnight, BBishop, BRook, BQueen, BKingKind };

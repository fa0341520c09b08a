// Playing a move on a board and taking it back from the one-level undo
// record. No legality check: callers make the move, then test their king.
#include <cstring>

#include "board/BitOps.h"
#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "board/HashCodes.h"

namespace {
constexpr u64 E1 = 1ULL << 4, G1 = 1ULL << 6, C1 = 1ULL << 2;
constexpr u64 A1 = 1ULL, D1 = 1ULL << 3, F1 = 1ULL << 5, H1 = 1ULL << 7;
constexpr u64 E8 = E1 << 56, G8 = G1 << 56, C8 = C1 << 56;
constexpr u64 A8 = A1 << 56, D8 = D1 << 56, F8 = F1 << 56, H8 = H1 << 56;

// Piece kind of a promotion letter in either case; -1 for no promotion.
int PromotionKind(char letter, char side) {
  int base = side ? 6 : 0;
  switch (letter) {
    case 'N': case 'n': return base + WKnight;
    case 'B': case 'b': return base + WBishop;
    case 'R': case 'r': return base + WRook;
    case 'Q': case 'q': return base + WQueen;
    default: return -1;
  }
}

int CountSlotOf(int kind) {
  switch (kind % 6) {
    case WKnight: return Knights;
    case WBishop: return Bishops;
    case WRook: return Rooks;
    default: return Queens;
  }
}
}  // namespace

void ChessBoard::MakeMove(u64 from, u64 to, char promote, char* castleMask) {
  // The undo record.
  SavedWhitePieces = WhitePieces;
  SavedBlackPieces = BlackPieces;
  SavedAllPieces = AllPieces;
  const u64 boards[12] = {WhitePawns, WhiteBishops, WhiteKnights, WhiteRooks, WhiteQueens, WhiteKing,
                          BlackPawns, BlackBishops, BlackKnights, BlackRooks, BlackQueens, BlackKing};
  memcpy(SavedPieceBoards, boards, sizeof boards);
  SavedPawnHashCode = PawnHashCode;
  SavedCastleFlags = CastleFlags;
  SavedFiftyMoveCount = FiftyMoveCount;
  SavedLastFrom = LastFrom;
  SavedLastTo = LastTo;
  SavedWhitePieceCount = WhitePieceCount;
  SavedBlackPieceCount = BlackPieceCount;
  memcpy(SavedWhiteCounts, WhiteCounts, sizeof WhiteCounts);
  memcpy(SavedBlackCounts, BlackCounts, sizeof BlackCounts);

  // The last move (en passant reads it); no castling right lost yet; the
  // fifty-move count goes up unless a capture or a pawn move resets it below.
  LastFrom = from;
  LastTo = to;
  *castleMask = AllCastleRights;
  FiftyMoveCount += 1;

  // Capture of a White man, or White castling onto its own rook.
  if (to & WhitePieces) {
    if ((from & WhiteKing) && (to & WhiteRooks)) {
      CastleOntoRook(0, from, to, castleMask);
      return;
    }
    if (WhitePawns & to) {
      WhitePawns ^= to;
      PawnHashCode ^= PawnCodeEntry(WPawn, SquareOf(to));
      WhiteCounts[Pawns]--;
    } else if (WhiteKnights & to) {
      WhiteKnights ^= to;
      WhiteCounts[Knights]--;
    } else if (WhiteBishops & to) {
      WhiteBishops ^= to;
      WhiteCounts[Bishops]--;
    } else if (WhiteRooks & to) {
      WhiteRooks ^= to;
      WhiteCounts[Rooks]--;
    } else if (WhiteQueens & to) {
      WhiteQueens ^= to;
      WhiteCounts[Queens]--;
    } else {
      WhiteKing &= ~to;
    }
    FiftyMoveCount = 0;
    WhitePieces &= ~to;
  }

  // Capture of a Black man, or Black castling onto its own rook.
  if (to & BlackPieces) {
    if ((from & BlackKing) && (to & BlackRooks)) {
      CastleOntoRook(1, from, to, castleMask);
      return;
    }
    if (BlackPawns & to) {
      BlackPawns ^= to;
      PawnHashCode ^= PawnCodeEntry(BPawn, SquareOf(to));
      BlackCounts[Pawns]--;
    } else if (BlackKnights & to) {
      BlackKnights ^= to;
      BlackCounts[Knights]--;
    } else if (BlackBishops & to) {
      BlackBishops ^= to;
      BlackCounts[Bishops]--;
    } else if (BlackRooks & to) {
      BlackRooks ^= to;
      BlackCounts[Rooks]--;
    } else if (BlackQueens & to) {
      BlackQueens ^= to;
      BlackCounts[Queens]--;
    } else {
      BlackKing &= ~to;
    }
    FiftyMoveCount = 0;
    BlackPieces &= ~to;
  }

  const u64 fromTo = from | to;

  // A White man moves.
  if (from & WhitePieces) {
    WhitePieces = (WhitePieces & ~from) | to;
    if (WhitePawns & from) {
      // En passant: the previous move was a Black double step to the square
      // beside this pawn, and the target square was empty.
      u64 lastBlackPawn = SavedLastTo & SavedPieceBoards[6];
      if ((from & Rank5) && (SavedLastFrom & Rank7) && (SavedLastTo & Rank5) && lastBlackPawn &&
          !(to & SavedBlackPieces)) {
        bool westward = !(from & FileA) && from == (lastBlackPawn << 1) && to == (from << 7);
        bool eastward = !(from & FileH) && from == (lastBlackPawn >> 1) && to == (from << 9);
        if (westward || eastward) {
          u64 victim = to >> 8;
          BlackPawns &= ~victim;
          BlackPieces &= ~victim;
          PawnHashCode ^= PawnCodeEntry(BPawn, SquareOf(victim));
          BlackCounts[Pawns]--;
        }
      }
      WhitePawns ^= fromTo;
      PawnHashCode ^= PawnCodeEntry(WPawn, SquareOf(from)) ^ PawnCodeEntry(WPawn, SquareOf(to));
      FiftyMoveCount = 0;
    } else if (WhiteBishops & from) {
      WhiteBishops ^= fromTo;
    } else if (WhiteKnights & from) {
      WhiteKnights ^= fromTo;
    } else if (WhiteRooks & from) {
      WhiteRooks ^= fromTo;
      if (from == CastleRookSquare(0)) *castleMask = AllCastleRights & ~WhiteKingSide;
      else if (from == CastleRookSquare(1)) *castleMask = AllCastleRights & ~WhiteQueenSide;
    } else if (WhiteQueens & from) {
      WhiteQueens ^= fromTo;
    } else if (WhiteKing & from) {
      PawnHashCode ^= PawnCodeEntry(WKingKind, SquareOf(from)) ^ PawnCodeEntry(WKingKind, SquareOf(to));
      WhiteKing ^= fromTo;
      *castleMask = AllCastleRights & ~(WhiteKingSide | WhiteQueenSide);
      if (from == E1 && to == G1) WhiteRooks ^= H1 | F1;
      else if (from == E1 && to == C1) WhiteRooks ^= A1 | D1;
    }
  }

  // A Black man moves.
  if (from & BlackPieces) {
    BlackPieces = (BlackPieces & ~from) | to;
    if (BlackPawns & from) {
      u64 lastWhitePawn = SavedLastTo & SavedPieceBoards[0];
      if ((from & Rank4) && (SavedLastFrom & Rank2) && (SavedLastTo & Rank4) && lastWhitePawn &&
          !(to & SavedWhitePieces)) {
        bool eastward = !(from & FileH) && from == (lastWhitePawn >> 1) && to == (from >> 7);
        bool westward = !(from & FileA) && from == (lastWhitePawn << 1) && to == (from >> 9);
        if (westward || eastward) {
          u64 victim = to << 8;
          WhitePawns &= ~victim;
          WhitePieces &= ~victim;
          PawnHashCode ^= PawnCodeEntry(WPawn, SquareOf(victim));
          WhiteCounts[Pawns]--;
        }
      }
      BlackPawns ^= fromTo;
      PawnHashCode ^= PawnCodeEntry(BPawn, SquareOf(from)) ^ PawnCodeEntry(BPawn, SquareOf(to));
      FiftyMoveCount = 0;
    } else if (BlackBishops & from) {
      BlackBishops ^= fromTo;
    } else if (BlackKnights & from) {
      BlackKnights ^= fromTo;
    } else if (BlackRooks & from) {
      BlackRooks ^= fromTo;
      if (from == CastleRookSquare(2)) *castleMask = AllCastleRights & ~BlackKingSide;
      else if (from == CastleRookSquare(3)) *castleMask = AllCastleRights & ~BlackQueenSide;
    } else if (BlackQueens & from) {
      BlackQueens ^= fromTo;
    } else if (BlackKing & from) {
      PawnHashCode ^= PawnCodeEntry(BKingKind, SquareOf(from)) ^ PawnCodeEntry(BKingKind, SquareOf(to));
      BlackKing ^= fromTo;
      *castleMask = AllCastleRights & ~(BlackKingSide | BlackQueenSide);
      if (from == E8 && to == G8) BlackRooks ^= H8 | F8;
      else if (from == E8 && to == C8) BlackRooks ^= A8 | D8;
    }
  }

  // Promotion of the pawn that just moved; the letter's case does not
  // matter, the colour comes from the pawn.
  if (to & WhitePawns & Rank8) {
    PawnHashCode ^= PawnCodeEntry(WPawn, SquareOf(to));
    int kind = PromotionKind(promote, 0);
    if (kind >= 0) {
      Promote(0, to, kind);
      WhiteCounts[CountSlotOf(kind)]++;
      WhiteCounts[Pawns]--;
    }
  } else if (to & BlackPawns & Rank1) {
    PawnHashCode ^= PawnCodeEntry(BPawn, SquareOf(to));
    int kind = PromotionKind(promote, 1);
    if (kind >= 0) {
      Promote(1, to, kind);
      BlackCounts[CountSlotOf(kind)]++;
      BlackCounts[Pawns]--;
    }
  }

  // Rebuild the aggregates and totals.
  WhitePieces = WhitePawns | WhiteBishops | WhiteKnights | WhiteRooks | WhiteQueens | WhiteKing;
  BlackPieces = BlackPawns | BlackBishops | BlackKnights | BlackRooks | BlackQueens | BlackKing;
  AllPieces = WhitePieces | BlackPieces;
  WhitePieceCount = WhiteCounts[Queens] + WhiteCounts[Rooks] + WhiteCounts[Bishops] + WhiteCounts[Knights] +
                    WhiteCounts[Pawns];
  BlackPieceCount = BlackCounts[Queens] + BlackCounts[Rooks] + BlackCounts[Bishops] + BlackCounts[Knights] +
                    BlackCounts[Pawns];
}

// The king goes to the g- or c-file, the rook beside it on the f- or d-file,
// whichever squares they started on (one may already stand on its own).
void ChessBoard::CastleOntoRook(char side, u64 king, u64 rook, char* castleMask) {
  const int back = side ? 56 : 0;
  const bool kingSide = rook > king;
  const u64 kingTo = SquareMask(back + (kingSide ? 6 : 2));
  const u64 rookTo = SquareMask(back + (kingSide ? 5 : 3));
  const int kingKind = side ? BKingKind : WKingKind;
  PawnHashCode ^= PawnCodeEntry(kingKind, SquareOf(king)) ^ PawnCodeEntry(kingKind, SquareOf(kingTo));
  u64& kings = side ? BlackKing : WhiteKing;
  u64& rooks = side ? BlackRooks : WhiteRooks;
  kings = kingTo;
  rooks = (rooks & ~rook) | rookTo;
  *castleMask = AllCastleRights & ~(side ? BlackKingSide | BlackQueenSide : WhiteKingSide | WhiteQueenSide);
  WhitePieces = WhitePawns | WhiteBishops | WhiteKnights | WhiteRooks | WhiteQueens | WhiteKing;
  BlackPieces = BlackPawns | BlackBishops | BlackKnights | BlackRooks | BlackQueens | BlackKing;
  AllPieces = WhitePieces | BlackPieces;
}

void ChessBoard::UndoMove(int) {
  WhitePieces = SavedWhitePieces;
  BlackPieces = SavedBlackPieces;
  AllPieces = SavedAllPieces;
  const u64* saved = SavedPieceBoards;
  WhitePawns = saved[0], WhiteBishops = saved[1], WhiteKnights = saved[2];
  WhiteRooks = saved[3], WhiteQueens = saved[4], WhiteKing = saved[5];
  BlackPawns = saved[6], BlackBishops = saved[7], BlackKnights = saved[8];
  BlackRooks = saved[9], BlackQueens = saved[10], BlackKing = saved[11];
  PawnHashCode = SavedPawnHashCode;
  CastleFlags = SavedCastleFlags;
  FiftyMoveCount = SavedFiftyMoveCount;
  LastFrom = SavedLastFrom;
  LastTo = SavedLastTo;
  WhitePieceCount = SavedWhitePieceCount;
  BlackPieceCount = SavedBlackPieceCount;
  memcpy(WhiteCounts, SavedWhiteCounts, sizeof WhiteCounts);
  memcpy(BlackCounts, SavedBlackCounts, sizeof BlackCounts);
}

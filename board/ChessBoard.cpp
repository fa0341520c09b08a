// Set-up, queries and console display of the position.
#include "board/ChessBoard.h"

#include <cstdio>

#include "board/BitOps.h"
#include "board/HashCodes.h"
#include "board/BoardMasks.h"

ChessBoard MainBoard;
bool Chess960 = false;

void ChessBoard::InitRep() {
  WhitePawns = 0x000000000000FF00ULL;
  WhiteRooks = Squares("a1 h1");
  WhiteKnights = Squares("b1 g1");
  WhiteBishops = Squares("c1 f1");
  WhiteQueens = Squares("d1");
  WhiteKing = Squares("e1");
  BlackPawns = 0x00FF000000000000ULL;
  BlackRooks = Squares("a8 h8");
  BlackKnights = Squares("b8 g8");
  BlackBishops = Squares("c8 f8");
  BlackQueens = Squares("d8");
  BlackKing = Squares("e8");
  WhitePieces = WhitePawns | WhiteRooks | WhiteKnights | WhiteBishops | WhiteQueens | WhiteKing;
  BlackPieces = BlackPawns | BlackRooks | BlackKnights | BlackBishops | BlackQueens | BlackKing;
  AllPieces = WhitePieces | BlackPieces;
  CastleFlags = AllCastleRights;
  for (u8& code : CastleRookFileCode) code = 0;
  CastleKingFileCode[0] = CastleKingFileCode[1] = 0;
  SideToMove = 0;
  LastFrom = LastTo = 0;
  MaxDepth = 56;
}

void ChessBoard::ClearField() {
  WhitePieces = BlackPieces = AllPieces = 0;
  WhitePawns = WhiteBishops = WhiteKnights = WhiteRooks = WhiteQueens = WhiteKing = 0;
  BlackPawns = BlackBishops = BlackKnights = BlackRooks = BlackQueens = BlackKing = 0;
  CastleFlags = 0;
  for (u8& code : CastleRookFileCode) code = 0;
  CastleKingFileCode[0] = CastleKingFileCode[1] = 0;
  LastFrom = LastTo = 0;
  WhitePieceCount = BlackPieceCount = 0;
  for (int i = 0; i < 5; i++) WhiteCounts[i] = BlackCounts[i] = 0;
}

void ChessBoard::InitPieceCounts() {
  WhiteCounts[Queens] = BitCount64(WhiteQueens);
  WhiteCounts[Rooks] = BitCount64(WhiteRooks);
  WhiteCounts[Bishops] = BitCount64(WhiteBishops);
  WhiteCounts[Knights] = BitCount64(WhiteKnights);
  WhiteCounts[Pawns] = BitCount64(WhitePawns);
  BlackCounts[Queens] = BitCount64(BlackQueens);
  BlackCounts[Rooks] = BitCount64(BlackRooks);
  BlackCounts[Bishops] = BitCount64(BlackBishops);
  BlackCounts[Knights] = BitCount64(BlackKnights);
  BlackCounts[Pawns] = BitCount64(BlackPawns);
}

void ChessBoard::RecountPieces() {
  InitPieceCounts();
  WhitePieceCount = BlackPieceCount = 0;
  for (int kind = Queens; kind <= Pawns; kind++) {
    WhitePieceCount += WhiteCounts[kind];
    BlackPieceCount += BlackCounts[kind];
  }
  unsigned long pawnCode;
  genpawnhashcode(SideToMove, this, &pawnCode);
  PawnHashCode = (u32)pawnCode;
}

bool ChessBoard::PieceBoardsAgree() const {
  const u64 white[6] = {WhitePawns, WhiteKnights, WhiteBishops, WhiteRooks, WhiteQueens, WhiteKing};
  const u64 black[6] = {BlackPawns, BlackKnights, BlackBishops, BlackRooks, BlackQueens, BlackKing};
  u64 whiteMen = 0, blackMen = 0;
  int men = 0;
  for (int i = 0; i < 6; i++) {
    whiteMen |= white[i];
    blackMen |= black[i];
    men += BitCount64(white[i]) + BitCount64(black[i]);
  }
  return men == BitCount64(whiteMen | blackMen) && WhitePieces == whiteMen && BlackPieces == blackMen &&
         AllPieces == (whiteMen | blackMen);
}

const char* ChessBoard::Inconsistency() const {
  if (!PieceBoardsAgree()) return "two men on one square, or colour boards that disagree with the piece boards";
  if (BitCount64(WhiteKing) != 1 || BitCount64(BlackKing) != 1) return "not exactly one king a side";
  // The counts' order: queens, rooks, bishops, knights, pawns.
  const u64 whiteKinds[5] = {WhiteQueens, WhiteRooks, WhiteBishops, WhiteKnights, WhitePawns};
  const u64 blackKinds[5] = {BlackQueens, BlackRooks, BlackBishops, BlackKnights, BlackPawns};
  int whiteTotal = 0, blackTotal = 0;
  for (int kind = Queens; kind <= Pawns; kind++) {
    if (WhiteCounts[kind] != BitCount64(whiteKinds[kind]) || BlackCounts[kind] != BitCount64(blackKinds[kind]))
      return "the piece counts disagree with the men";
    whiteTotal += WhiteCounts[kind];
    blackTotal += BlackCounts[kind];
  }
  if (WhitePieceCount != whiteTotal || BlackPieceCount != blackTotal) return "the totals disagree with the counts";
  // The pawn code is not compared: moves fold the kings' squares into it,
  // from wherever they stood when it was last computed.
  return nullptr;
}

void ChessBoard::Promote(char side, u64 mask, int kind) {
  if (side == 0) {
    WhitePawns ^= mask;
    switch (kind) {
      case WKnight: WhiteKnights ^= mask; break;
      case WBishop: WhiteBishops ^= mask; break;
      case WRook: WhiteRooks ^= mask; break;
      case WQueen: WhiteQueens ^= mask; break;
      default: break;
    }
  } else {
    BlackPawns ^= mask;
    switch (kind) {
      case BKnight: BlackKnights ^= mask; break;
      case BBishop: BlackBishops ^= mask; break;
      case BRook: BlackRooks ^= mask; break;
      case BQueen: BlackQueens ^= mask; break;
      default: break;
    }
  }
}

// A king standing on the square loses both its rights (before a move the
// man that leaves, after it the man that arrived), a rook's square the right
// of that rook.
void ChessBoard::ClearCastleRights(u64 square) {
  if (square & WhiteKing & Rank1) CastleFlags &= AllCastleRights & ~(WhiteKingSide | WhiteQueenSide);
  else if (square & BlackKing & Rank8) CastleFlags &= AllCastleRights & ~(BlackKingSide | BlackQueenSide);
  CastleFlags &= AllCastleRights & ~RightsOfRookSquare(square);
}

char ChessBoard::RightsOfRookSquare(u64 square) const {
  char rights = 0;
  for (int index = 0; index < 4; index++)
    if (square == CastleRookSquare(index)) rights |= (char)(1 << index);
  return rights;
}

bool ChessBoard::IsCastling(char side, u64 from, u64 to) const {
  if (!(SideKing(side) & from)) return false;
  if (SidePieces(side) & to) return (side ? BlackRooks : WhiteRooks) & to;
  const int f = SquareOf(from), t = SquareOf(to);
  const int back = side ? 56 : 0;
  return f == back + 4 && (t == back + 6 || t == back + 2);
}

u64 ChessBoard::CastleTarget(int index) const {
  const int back = index >= 2 ? 56 : 0;
  const bool standard = CastleRookFileCode[index] == 0 && CastleKingFileCode[index >= 2 ? 1 : 0] == 0;
  if (!Chess960 && standard) return SquareMask(back + ((index & 1) ? 2 : 6));
  return CastleRookSquare(index);
}

void ChessBoard::PlayMove(u64 from, u64 to, char promote) {
  char castleMask;
  MakeMove(from, to, promote, &castleMask);
  CastleFlags &= castleMask;
  ClearCastleRights(to);
}

void ChessBoard::DisplayPiece(u64 square) const {
  if (IsEmptySquare(square)) {
    printf("-");
  } else if (WhitePieces & square) {
    if (WhitePawns & square) printf("P");
    else if (WhiteKnights & square) printf("N");
    else if (WhiteBishops & square) printf("B");
    else if (WhiteRooks & square) printf("R");
    else if (WhiteQueens & square) printf("Q");
    else if (WhiteKing & square) printf("K");
    else printf("Major Error: DisplayPiece unknown White Piece\n");
  } else if (BlackPieces & square) {
    if (BlackPawns & square) printf("p");
    else if (BlackKnights & square) printf("n");
    else if (BlackBishops & square) printf("b");
    else if (BlackRooks & square) printf("r");
    else if (BlackQueens & square) printf("q");
    else if (BlackKing & square) printf("k");
    else printf("Major Error: DisplayPiece unknown Black Piece\n");
  } else {
    printf("Major Error: DisplayPiece has unknown Color\n");
  }
  printf(" ");
}

void ChessBoard::DisplayBoard() const {
  printf("   A B C D E F G H\n\n");
  for (int rank = 7; rank >= 0; rank--) {
    printf("%d  ", rank + 1);
    for (int file = 0; file < 8; file++) DisplayPiece(SquareMask(rank * 8 + file));
    if (rank > 0) printf(" %d\n", rank + 1);
  }
  printf(" 1\n\n");
  printf("   A B C D E F G H\n");
  fflush(stdout);
}

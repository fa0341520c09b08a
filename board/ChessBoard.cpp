// Set-up, queries and console display of the position.
#include "board/ChessBoard.h"

#include <cstdio>

#include "board/BitOps.h"
#include "engine/Status.h"
#include "eval/PositionEvaluate.h"

ChessBoard MainBoard;

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
  CastleFlags = 15;
  SideToMove = 0;
  LastFrom = LastTo = 0;
  MaxDepth = 56;
  MainStatus.InitMasks();
}

void ChessBoard::ClearField() {
  WhitePieces = BlackPieces = AllPieces = 0;
  WhitePawns = WhiteBishops = WhiteKnights = WhiteRooks = WhiteQueens = WhiteKing = 0;
  BlackPawns = BlackBishops = BlackKnights = BlackRooks = BlackQueens = BlackKing = 0;
  CastleFlags = 0;
  LastFrom = LastTo = 0;
  WhitePieceCount = BlackPieceCount = 0;
  for (int i = 0; i < 5; i++) WhiteCounts[i] = BlackCounts[i] = 0;
}

void ChessBoard::InitPieceCounts() {
  WhiteCounts[0] = BitCount64(WhiteQueens);
  WhiteCounts[1] = BitCount64(WhiteRooks);
  WhiteCounts[2] = BitCount64(WhiteBishops);
  WhiteCounts[3] = BitCount64(WhiteKnights);
  WhiteCounts[4] = BitCount64(WhitePawns);
  BlackCounts[0] = BitCount64(BlackQueens);
  BlackCounts[1] = BitCount64(BlackRooks);
  BlackCounts[2] = BitCount64(BlackBishops);
  BlackCounts[3] = BitCount64(BlackKnights);
  BlackCounts[4] = BitCount64(BlackPawns);
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

void ChessBoard::ClearCastleRights(u64 square) {
  if (square == Squares("e1")) CastleFlags &= 12;
  else if (square == Squares("h1")) CastleFlags &= 14;
  else if (square == Squares("a1")) CastleFlags &= 13;
  else if (square == Squares("e8")) CastleFlags &= 3;
  else if (square == Squares("h8")) CastleFlags &= 11;
  else if (square == Squares("a8")) CastleFlags &= 7;
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

void ChessBoard::DisplayBoard() {
  printf("   A B C D E F G H\n\n");
  for (int rank = 7; rank >= 0; rank--) {
    printf("%d  ", rank + 1);
    for (int file = 0; file < 8; file++) DisplayPiece(SquareMask(rank * 8 + file));
    if (rank > 0) printf(" %d\n", rank + 1);
  }
  printf(" 1\n\n");
  printf("   A B C D E F G H\n");
  // The test-suite mode prints its own evaluation detail instead.
  if (!MainStatus.PEV) {
    int score = PE.PosEval(0, -MateScore, MateScore, this);
    printf("\n PosEval from White view %d\n", score);
  }
  fflush(stdout);
}

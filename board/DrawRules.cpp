// Draws by material and by the fifty-move rule. Repetition lives in
// MoveHistory.
#include <cstdlib>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "engine/Status.h"

namespace {
// Queens, rooks, bishops, knights, pawns.
bool LacksMatingMaterial(const i32* counts) {
  if (counts[0] || counts[1] || counts[4]) return false;
  return (counts[2] == 0 && counts[3] <= 2) || (counts[2] == 1 && counts[3] == 0);
}

// Exactly one pawn and one bishop besides the king.
bool PawnAndBishopOnly(const i32* counts) {
  return counts[0] == 0 && counts[1] == 0 && counts[2] == 1 && counts[3] == 0 && counts[4] == 1;
}
}  // namespace

int ChessBoard::CheckDraw(char) {
  const Status& s = MainStatus;

  // 1. Mating material: bit 0 White has it, bit 5 Black has it.
  MatingMaterial = 0x21;
  if (LacksMatingMaterial(WhiteCounts)) MatingMaterial = 0x20;
  if (LacksMatingMaterial(BlackCounts)) MatingMaterial ^= 0x20;

  // 2. Neither side can mate, unless a cornered king with the other king two
  // squares away along their main direction still leaves a mate possible.
  if (MatingMaterial == 0x00) {
    bool mateStillPossible = false;
    if ((WhiteKing | BlackKing) & s.Corners) {
      int w = RightMostBit(WhiteKing) - 1, b = RightMostBit(BlackKing) - 1;
      int df = abs((w & 7) - (b & 7)), dr = abs((w >> 3) - (b >> 3));
      mateStillPossible = df > dr ? df == 2 : dr == 2;
    }
    if (!mateStillPossible) return 8;
  }

  // 3.
  if (FiftyMoveCount > 99) return 7;

  // 4. and 5. A rook pawn whose promotion square the bishop does not control,
  // with the defending king in the corner.
  if (PawnAndBishopOnly(WhiteCounts) && BlackPieceCount == 0) {
    if ((WhitePawns & s.FileMask[7]) && (WhiteBishops & s.LightSquareMask) &&
        (BlackKing & Squares("h8 g8 g7 h7")))
      return 8;
    if ((WhitePawns & s.FileMask[0]) && (WhiteBishops & s.DarkSquareMask) &&
        (BlackKing & Squares("a8 b8 b7 a7")))
      return 8;
  }
  if (PawnAndBishopOnly(BlackCounts) && WhitePieceCount == 0) {
    if ((BlackPawns & s.FileMask[7]) && (BlackBishops & s.DarkSquareMask) &&
        (WhiteKing & Squares("h1 g1 g2 h2")))
      return 8;
    if ((BlackPawns & s.FileMask[0]) && (BlackBishops & s.LightSquareMask) &&
        (WhiteKing & Squares("a1 b1 b2 a2")))
      return 8;
  }
  return 0;
}

bool ChessBoard::Test50MoveRule(int fromIndex, int toIndex) {
  u64 from = SquareMask(fromIndex & 63), to = SquareMask(toIndex & 63);
  if (((WhitePawns | BlackPawns) & from) || (AllPieces & to)) {
    FiftyMoveCount = 0;
    return false;
  }
  FiftyMoveCount += 1;
  return FiftyMoveCount > 99;
}

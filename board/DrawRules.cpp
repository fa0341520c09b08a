// Draws by material and by the fifty-move rule, as the search scores them,
// and the dead positions a game result may claim. Repetition lives in
// MoveHistory.
#include <cstdlib>

#include "board/BitOps.h"
#include "board/BoardMasks.h"
#include "board/ChessBoard.h"

namespace {
bool LacksMatingMaterial(const i32* counts) {
  if (counts[Queens] || counts[Rooks] || counts[Pawns]) return false;
  return (counts[Bishops] == 0 && counts[Knights] <= 2) || (counts[Bishops] == 1 && counts[Knights] == 0);
}

// Exactly one pawn and one bishop besides the king.
bool PawnAndBishopOnly(const i32* counts) {
  return counts[Queens] == 0 && counts[Rooks] == 0 && counts[Bishops] == 1 && counts[Knights] == 0 &&
         counts[Pawns] == 1;
}
}  // namespace

int ChessBoard::CheckDraw(char) {
  // Mating material: bit 0 White has it, bit 5 Black has it.
  MatingMaterial = 0x21;
  if (LacksMatingMaterial(WhiteCounts)) MatingMaterial = 0x20;
  if (LacksMatingMaterial(BlackCounts)) MatingMaterial ^= 0x20;

  // Neither side can mate, unless a cornered king with the other king two
  // squares away along their main direction still leaves a mate possible.
  if (MatingMaterial == 0x00) {
    bool mateStillPossible = false;
    if ((WhiteKing | BlackKing) & Corners) {
      int w = SquareOf(WhiteKing), b = SquareOf(BlackKing);
      int df = abs((w & 7) - (b & 7)), dr = abs((w >> 3) - (b >> 3));
      mateStillPossible = df > dr ? df == 2 : dr == 2;
    }
    if (!mateStillPossible) return DrawByMaterial;
  }

  if (FiftyMoveCount > 99) return DrawByFiftyMoves;

  // A rook pawn whose promotion square the bishop does not control, with
  // the defending king in the corner, for either colour.
  if (PawnAndBishopOnly(WhiteCounts) && BlackPieceCount == 0) {
    if ((WhitePawns & FileH) && (WhiteBishops & LightSquareMask) && (BlackKing & Squares("h8 g8 g7 h7")))
      return DrawByMaterial;
    if ((WhitePawns & FileA) && (WhiteBishops & DarkSquareMask) && (BlackKing & Squares("a8 b8 b7 a7")))
      return DrawByMaterial;
  }
  if (PawnAndBishopOnly(BlackCounts) && WhitePieceCount == 0) {
    if ((BlackPawns & FileH) && (BlackBishops & DarkSquareMask) && (WhiteKing & Squares("h1 g1 g2 h2")))
      return DrawByMaterial;
    if ((BlackPawns & FileA) && (BlackBishops & LightSquareMask) && (WhiteKing & Squares("a1 b1 b2 a2")))
      return DrawByMaterial;
  }
  return NoDraw;
}

// Stricter than CheckDraw's material rule, which the search keeps: a side
// with two knights, or a bishop against a knight, cannot force mate, but a
// mate can still happen, and a GUI forfeits an engine that claims a draw
// there. Only positions no sequence of legal moves can end in mate count.
bool ChessBoard::IsDeadPosition() const {
  if (WhitePawns | BlackPawns | WhiteRooks | BlackRooks | WhiteQueens | BlackQueens) return false;
  const u64 knights = WhiteKnights | BlackKnights, bishops = WhiteBishops | BlackBishops;
  // A bare king, or one minor piece against it.
  if (BitCount64(knights | bishops) <= 1) return true;
  // Bishops of either side, all on squares of one colour: a king they check
  // always keeps a free neighbour of the other colour, which no bishop and
  // not the other king can cover.
  return knights == 0 && ((bishops & LightSquareMask) == 0 || (bishops & DarkSquareMask) == 0);
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

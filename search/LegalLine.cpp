#include "search/LegalLine.h"

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "movegen/SANText.h"

namespace {
bool IsPromotionLetter(char promote) {
  switch (promote) {
    case 'q': case 'r': case 'b': case 'n':
    case 'Q': case 'R': case 'B': case 'N': return true;
    default: return false;
  }
}

// A promotion byte naming a piece: a letter, or a piece-kind code (as the
// protocol-1 text spells them).
bool IsPromotionCode(char promote) {
  switch (promote) {
    case 1: case 2: case 3: case 4: case 7: case 8: case 9: case 10: return true;
    default: return IsPromotionLetter(promote);
  }
}

// The legal move from `from` to `to`, in *promote its promotion byte (a
// queen, as the search promotes, when it is a promotion); false when there
// is none.
bool FindLegal(const ChessBoard& position, int from, int to, char* promote) {
  for (const LegalMove& m : LegalMoves(position)) {
    if (SquareOf(m.From) != from || SquareOf(m.To) != to) continue;
    *promote = m.Promote;
    return true;
  }
  return false;
}
}  // namespace

int LegalLineLength(const ChessBoard& root, PVEntry* line, int length) {
  ChessBoard board = root;
  for (int j = 0; j < length; j++) {
    PVEntry& e = line[j];
    const int from = (e.Move >> 6) & 63, to = e.Move & 63;
    if (from == to) return j;
    char generated;
    if (!FindLegal(board, from, to, &generated)) return j;
    const bool promotion = generated != NoPromotion;
    if (promotion != IsPromotionCode((char)e.Promote)) {
      if (promotion && (char)e.Promote == NoPromotion) e.Promote = (i8)generated;
      else return j;
    }
    // The board promotes by letter only.
    const char played = IsPromotionLetter((char)e.Promote) ? (char)e.Promote : generated;
    board.PlayMove(SquareMask(from), SquareMask(to), played);
    board.SideToMove ^= 1;
  }
  return length;
}

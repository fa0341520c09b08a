#include "search/SearchLimits.h"

#include <algorithm>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "movegen/SANText.h"

SearchLimits Limits;

bool SearchLimits::RootMoveAllowed(int from, int to) const {
  const u16 move = (u16)(from * 64 + to);
  if (!ExcludedMoves.empty() && std::find(ExcludedMoves.begin(), ExcludedMoves.end(), move) != ExcludedMoves.end())
    return false;
  if (SearchMoves.empty()) return true;
  return std::find(SearchMoves.begin(), SearchMoves.end(), move) != SearchMoves.end();
}

int SearchLimits::AllowedMoves(const ChessBoard& position) const {
  int allowed = 0;
  for (const LegalMove& m : LegalMoves(position)) {
    // The root search promotes to a queen only: a pawn that can promote
    // is one root move, not four. Counted four times, it would have the
    // search wait for lines it never plays.
    const bool underpromotion = m.Promote != NoPromotion && m.Promote != 'Q' && m.Promote != 'q';
    if (!underpromotion) allowed += RootMoveAllowed(SquareOf(m.From), SquareOf(m.To));
  }
  return allowed;
}

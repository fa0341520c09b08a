#include "search/SearchLimits.h"

#include <algorithm>

SearchLimits Limits;

bool SearchLimits::RootMoveAllowed(int from, int to) const {
  if (SearchMoves.empty()) return true;
  return std::find(SearchMoves.begin(), SearchMoves.end(), (u16)(from * 64 + to)) != SearchMoves.end();
}

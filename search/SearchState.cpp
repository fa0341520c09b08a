// The search's state between nodes and between searches: stop flags,
// history and killer tables, the principal-variation table, piece values.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "board/ChessBoard.h"
#include "engine/LogFile.h"
#include "search/SearchRoutines.h"

SearchRoutines Search;

namespace {
// Above this a history counter halves its whole side's table.
constexpr int HistoryLimit = 65536;
}  // namespace

void WriteLogLine(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  WriteLogFile(text);
}

void SearchRoutines::InitValues() {
  TimeExtended = 0;
  StopSearch = 0;
  TimeUp = 0;
  Aborted = 0;
}

void SearchRoutines::AbortSearch() {
  Aborted = 1;
  StopSearch = 1;
  TimeUp = 1;
}

void SearchRoutines::ClearHistory() {
  memset(History, 0, sizeof History);
  HistoryMax = 0;
}

void SearchRoutines::AddHistory(char side, int index, int depth) {
  i32* table = History[side ? 1 : 0];
  table[index] += depth * depth;
  if (table[index] > HistoryMax) HistoryMax = table[index];
  if (table[index] > HistoryLimit) {
    HistoryMax >>= 1;
    for (int i = 0; i < 4096; i++) table[i] >>= 1;
  }
}

void SearchRoutines::ClearPrincipalVariation() { memset(PrincipalVariation, 0, sizeof PrincipalVariation); }

// Killers are kept from one search to the next, but demoted: the second
// killer of every ply takes the first place.
void SearchRoutines::PromoteKillers() {
  for (auto& killers : KillerMoves) killers[0] = killers[1];
}

int SearchRoutines::ValueCapturedPiece(char side, u64 square, const ChessBoard* board) const {
  const char enemy = side ^ 1;
  if (board->IsPawn(enemy, square)) return 800;
  if (board->IsBishop(enemy, square) || board->IsKnight(enemy, square)) return 3250;
  if (board->IsRook(enemy, square)) return 5000;
  if (board->IsQueen(enemy, square)) return 9750;
  if (board->IsKing(enemy, square)) return 1000000;
  return 0;
}

// The search's state between nodes and between searches: stop flags,
// history and killer tables, the principal-variation table, piece values.
#include <cstdint>
#include <cstring>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/MemoryPages.h"
#include "eval/PawnHash.h"
#include "search/LegalLine.h"
#include "search/InputPoll.h"
#include "search/SearchRoutines.h"
#include "search/TimeControl.h"
#include "search/TranspositionTables.h"

SearchListener SearchRoutines::Silent;
SearchRoutines Search;
PositionEvaluate& PE = Search.Eval;

namespace {
// Above this a history counter halves its whole side's table.
constexpr int HistoryLimit = 65536;
// Stack a search of some depth takes below its caller (a node keeps its
// move list and a board on the stack).
constexpr size_t SearchStackBytes = 512 * 1024;
}  // namespace

void SearchRoutines::InitValues() {
  Clock.TimeExtended = 0;
  StopSearch = 0;
  TimeUp = 0;
  Aborted = 0;
}

void SearchRoutines::AbortSearch() {
  Aborted = 1;
  StopSearch = 1;
  TimeUp = 1;
}

void SearchRoutines::MoveNow() {
  if (FirstIteration) {
    if (HeldStop == 0) HeldStop = MoveNowHeld;
    return;
  }
  StopSearch = 1;
  TimeUp = 1;
}

void SearchRoutines::StopWithMove() {
  if (FirstIteration) {
    HeldStop = AbortHeld;
    return;
  }
  AbortSearch();
}

void SearchRoutines::ReleaseHeldStop() {
  FirstIteration = 0;
  if (HeldStop == AbortHeld) AbortSearch();
  else if (HeldStop == MoveNowHeld) StopSearch = TimeUp = 1;
  HeldStop = 0;
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

void SearchRoutines::AddKiller(int ply, int move) {
  if (KillerMoves[ply][0] == move) return;
  KillerMoves[ply][1] = KillerMoves[ply][0];
  KillerMoves[ply][0] = (u16)move;
}

void SearchRoutines::ClearPrincipalVariation() { memset(PrincipalVariation, 0, sizeof PrincipalVariation); }

// Maps the next piece of the search's memory, at most about `bytes`; false
// once all of it is mapped. The principal-variation table and the stack
// stay mapped once they are.
bool SearchRoutines::MapSomeTables(size_t bytes) {
  if (PositionCache.MapSomePages(bytes) || Eval.PawnCache->MapSomePages(bytes)) return true;
  if (SearchMemoryMapped) return false;
  SearchMemoryMapped = true;
  MapPagesNow(static_cast<void*>(PrincipalVariation), sizeof PrincipalVariation);
  MapStackBelow(SearchStackBytes);
  return true;
}

void SearchRoutines::MapTables() {
  while (MapSomeTables(SIZE_MAX)) {
  }
}

void SearchRoutines::MapTablesUntilInput() {
  while (!InputWaiting() && MapSomeTables(LargePageBytes)) {
  }
}

// Killers are kept from one search to the next, but demoted: the second
// killer of every ply takes the first place.
void SearchRoutines::PromoteKillers() {
  for (auto& killers : KillerMoves) killers[0] = killers[1];
}

namespace {
// The line to show for a root move from a principal variation whose first
// move may be another (then only the root move is shown).
int ShownLineOf(const ChessBoard& root, const PVEntry* pv, int pvLength, u64 from, u64 to, char promote,
                PVEntry* line) {
  line[0] = PVEntry{(u16)(SquareOf(from) * 64 + SquareOf(to)), (i8)promote};
  if (from == to) return 1;  // no move: the side to move is mated or stalemated
  // The table's line follows its own first move only.
  const int length = pv[0].Move != line[0].Move ? 1 : pvLength < SearchTableRows ? pvLength : SearchTableRows;
  int n = 1;
  for (int j = 1; j < length; j++) line[n++] = pv[j];
  if (n == 1) return 1;
  // The root move is the search's answer and is shown as it is, even when
  // there is none (a mated side); only what follows it is checked.
  const char rootPromote = (char)line[0].Promote;
  const int legal = LegalLineLength(root, line, n);
  line[0].Promote = (i8)rootPromote;
  return legal > 1 ? legal : 1;
}
}  // namespace

int SearchRoutines::ShownLine(u64 from, u64 to, char promote, PVEntry* line) const {
  return ShownLineOf(RootPosition, PrincipalVariation[0], PVLength, from, to, promote, line);
}

int SearchRoutines::ShownLine(const RootLine& root, PVEntry* line) const {
  return ShownLineOf(RootPosition, root.Line, root.PVLength, root.From, root.To, root.Promote, line);
}

void SearchRoutines::LineText(char* text, int v, u64 from, u64 to, char promote) const {
  PVEntry line[SearchTableRows];
  const int length = ShownLine(from, to, promote, line);
  fillmovestring(text, v, (char)SquareOf(from), (char)SquareOf(to), promote, line, length);
}

void SearchRoutines::LineText(char* text, const RootLine& root) const {
  PVEntry line[SearchTableRows];
  const int length = ShownLine(root, line);
  fillmovestring(text, root.Score, (char)SquareOf(root.From), (char)SquareOf(root.To), root.Promote, line, length);
}

int SearchRoutines::ValueCapturedPiece(char side, u64 square, const ChessBoard* board) const {
  const char enemy = side ^ 1;
  if (board->IsPawn(enemy, square)) return PawnValue;
  if (board->IsBishop(enemy, square) || board->IsKnight(enemy, square)) return MinorValue;
  if (board->IsRook(enemy, square)) return RookValue;
  if (board->IsQueen(enemy, square)) return QueenValue;
  if (board->IsKing(enemy, square)) return KingValue;
  return 0;
}

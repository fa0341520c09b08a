// Fuzz target: one line of FEN/EPD text, as "setboard", "position fen", a
// "-lpf" file or a suite line hands it to the reader. Whatever the text, the
// board built from it must be self-consistent, survive move generation,
// perft to depth 2, the static evaluation and a shallow search, and write
// back to a text that reads in to the same board.
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/ChessBoard.h"
#include "board/PositionText.h"
#include "engine/Status.h"
#include "eval/PositionEvaluate.h"
#include "fuzz/FuzzSupport.h"
#include "search/SearchRoutines.h"
#include "tools/PerfT.h"
#include "search/SearchLimits.h"

namespace {
bool SameMen(const ChessBoard& a, const ChessBoard& b) {
  return a.WhitePawns == b.WhitePawns && a.WhiteKnights == b.WhiteKnights && a.WhiteBishops == b.WhiteBishops &&
         a.WhiteRooks == b.WhiteRooks && a.WhiteQueens == b.WhiteQueens && a.WhiteKing == b.WhiteKing &&
         a.BlackPawns == b.BlackPawns && a.BlackKnights == b.BlackKnights && a.BlackBishops == b.BlackBishops &&
         a.BlackRooks == b.BlackRooks && a.BlackQueens == b.BlackQueens && a.BlackKing == b.BlackKing &&
         a.SideToMove == b.SideToMove;
}

// The writer puts a dash before the letters when one side has no rights
// ("-KQ"), and the reader takes a leading dash as "no rights at all": only
// rights of both sides come back.
char CastleFlagsReadBack(char flags) { return (flags & 3) && (flags & 12) ? flags : 0; }

// The twelve piece boards are pairwise disjoint and the aggregates are
// their unions.
void CheckConsistent(const ChessBoard& b) {
  const u64 boards[12] = {b.WhitePawns, b.WhiteKnights, b.WhiteBishops, b.WhiteRooks, b.WhiteQueens, b.WhiteKing,
                          b.BlackPawns, b.BlackKnights, b.BlackBishops, b.BlackRooks, b.BlackQueens, b.BlackKing};
  u64 white = 0, black = 0;
  int men = 0;
  for (int i = 0; i < 12; i++) {
    (i < 6 ? white : black) |= boards[i];
    men += __builtin_popcountll(boards[i]);
  }
  if (white != b.WhitePieces || black != b.BlackPieces || b.AllPieces != (white | black) ||
      men != __builtin_popcountll(white | black))
    abort();
  if ((b.CastleFlags & ~15) != 0 || (b.SideToMove != 0 && b.SideToMove != 1)) abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInit();
  ResetEngine();
  std::string text = FuzzText(data, size);
  text = text.substr(0, text.find('\n'));

  SetupBoard(text.c_str());
  CheckConsistent(MainBoard);

  // Round trip: the written text must read back to the same board, and
  // writing that board again must give the same text (castling aside when
  // the first writing had a dash).
  char first[128], second[128];
  pos2fenString(&MainBoard, first);
  const ChessBoard read = MainBoard;
  SetupBoard(first);
  if (!SameMen(read, MainBoard) || MainBoard.CastleFlags != CastleFlagsReadBack(read.CastleFlags)) abort();
  pos2fenString(&MainBoard, second);
  if (MainBoard.CastleFlags == read.CastleFlags && strcmp(first, second) != 0) abort();

  MainBoard.InitPieceCounts();
  MainBoard.FiftyMoveCount = 0;
  PE.PosEval(MainBoard.SideToMove, -MateScore, MateScore, &MainBoard);
  { PerfT count(2); }

  // A shallow fixed-depth search: what "setboard" followed by "go" does.
  if (!PlausibleMaterial()) return 0;
  Limits.FD = 2;
  MainBoard.MaxDepth = 2;
  ChessBoard& b = MainBoard;
  Search.ProgressiveDeepening(b, 2, &b.BestMoveFrom, &b.BestMoveTo, &b.BestMovePromote);
  return 0;
}

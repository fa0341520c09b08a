// Fuzz target: the bytes of an opening-book file. Whatever the file holds
// (any size, keys in any order, moves that are no moves, any weights), the
// reader must open it or say why, and a game walked from the start
// position through the book's choices must meet only legal moves; the
// listing of the start position must not fail either.
#include <cstdlib>
#include <string>
#include <vector>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/PositionText.h"
#include "fuzz/FuzzSupport.h"
#include "movegen/SANText.h"
#include "search/PolyglotBook.h"
#include "tools/BookListing.h"

namespace {
const char* const Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr int WalkPlies = 16;

bool IsLegal(const ChessBoard& board, const LegalMove& m) {
  for (const LegalMove& legal : LegalMoves(board))
    if (legal.From == m.From && legal.To == m.To && legal.Promote == m.Promote) return true;
  return false;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInit();
  ResetEngine();
  const std::string path = WriteTempFile("book.bin", std::string((const char*)data, size));
  Book.Open(path);
  Book.Seed(size);
  Book.BestMove = size % 2 == 1;
  Book.DepthMoves = DefaultBookDepth;

  ChessBoard board = MainBoard;
  ReadPositionText(Start, &board);
  board.RecountPieces();
  for (int ply = 1; ply <= WalkPlies; ply++) {
    std::vector<std::string> problems;
    LegalMove m;
    if (!Book.Probe(board, ply, &m, &problems)) break;
    if (!IsLegal(board, m)) abort();
    board.PlayMove(m.From, m.To, m.Promote);
    board.SideToMove ^= 1;
  }
  Book.Open(path);
  ListBookMoves("");
  Book.Open("");
  return 0;
}

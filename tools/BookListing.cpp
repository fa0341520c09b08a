#include "tools/BookListing.h"

#include <cstdio>
#include <string>
#include <vector>

#include "board/ChessBoard.h"
#include "board/PolyglotKey.h"
#include "board/PositionText.h"
#include "movegen/SANText.h"
#include "search/PolyglotBook.h"

namespace {
const char* const StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
}  // namespace

int ListBookMoves(const char* fen) {
  const char* text = fen != nullptr && fen[0] != 0 ? fen : StartFen;
  if (!Book.IsOpen()) {
    printf("No opening book is open: give one with -book FILE\n");
    fflush(stdout);
    return 1;
  }
  ChessBoard board = MainBoard;
  const char* problem = ReadPositionText(text, &board);
  if (problem == nullptr) problem = PositionProblem(board);
  if (problem != nullptr) {
    printf("Illegal position (%s): %s\n", problem, text);
    fflush(stdout);
    return 1;
  }

  std::vector<std::string> problems;
  // The whole file's order first: a probe checks only a small book's.
  const std::string order = Book.CheckOrder();
  if (!order.empty()) problems.push_back(order);
  const std::vector<BookMove> moves = Book.Moves(board, &problems);
  for (const std::string& line : problems) printf("%s\n", line.c_str());
  // A book found unfit at its first lookup (keys out of order, a read
  // error) is closed: there is no book to list.
  if (!Book.IsOpen()) {
    fflush(stdout);
    return 1;
  }
  printf("Book %s, %lld entries\n", Book.Path().c_str(), Book.EntryCount());
  printf("Position %s (key %016llx)\n", text, (unsigned long long)PolyglotKey(board));
  unsigned long long total = 0;
  for (const BookMove& m : moves) total += m.Weight;
  for (const BookMove& m : moves) {
    char san[16];
    WriteSAN(board, m.Move, san);
    const double share = total > 0 ? 100.0 * m.Weight / total : 0.0;
    printf("  %-8s weight %5u  %5.1f%%\n", san, m.Weight, share);
  }
  if (moves.empty()) printf("No book moves for this position\n");
  else printf("%zu moves, total weight %llu\n", moves.size(), total);
  fflush(stdout);
  return 0;
}

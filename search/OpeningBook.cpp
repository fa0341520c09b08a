#include "search/OpeningBook.h"

#include <cstdio>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/HashCodes.h"
#include "board/MoveText.h"
#include "movegen/MoveGen.h"
#include "search/SearchLimits.h"

BookEntry OpeningBook[BookCapacity];
i32 BookValue[BookCapacity];
long booksize = 0;
treenode* treeroot = nullptr;

namespace {
constexpr int NotInBook = -100;
constexpr int UnusableValue = 110000;

// Entries sort by the first code, then the second, both unsigned.
bool SortsBefore(const BookEntry& a, const BookEntry& b) {
  return a.Code1 < b.Code1 || (a.Code1 == b.Code1 && a.Code2 < b.Code2);
}

bool SameEntry(const BookEntry& a, const BookEntry& b) { return a.Code1 == b.Code1 && a.Code2 == b.Code2; }

treenode* NewNode(long index) { return new treenode{(i32)index, nullptr, nullptr}; }

// A rebuilt tree replaces the old one, which is freed: "setoption name
// OwnBook value true" rebuilds it, and a GUI may send that every game.
// Rotates left children up instead of recursing, so a degenerate tree
// (entries in descending order) cannot exhaust the stack.
void FreeTree(treenode* node) {
  while (node != nullptr) {
    if (node->Left != nullptr) {
      treenode* left = node->Left;
      node->Left = left->Right;
      left->Right = node;
      node = left;
    } else {
      treenode* right = node->Right;
      delete node;
      node = right;
    }
  }
}
}  // namespace

void buildbook() {
  booksize = 0;
  buildbooktree(booksize);
}

treenode* buildbooktree(long n) {
  FreeTree(treeroot);
  treeroot = NewNode(0);
  treenode* last = treeroot;
  if (n < 2) return last;
  for (long i = 1; i < n; i++) {
    treenode* node = treeroot;
    for (;;) {
      const BookEntry& here = OpeningBook[node->BookIndex];
      if (SameEntry(OpeningBook[i], here)) break;  // a duplicate is stored once
      treenode*& child = SortsBefore(OpeningBook[i], here) ? node->Left : node->Right;
      if (child == nullptr) {
        child = NewNode(i);
        last = child;
        break;
      }
      node = child;
    }
  }
  return last;
}

long BookTreeSearch(treenode* node, u64 code1, u64 code2) {
  while (node != nullptr) {
    const BookEntry& e = OpeningBook[node->BookIndex];
    if (e.Code1 == code1) return e.Code2 == code2 ? node->BookIndex : -1;
    node = code1 < e.Code1 ? node->Left : node->Right;
  }
  return -1;
}

int InBook(char side, char castling, ChessBoard board) {
  MoveGen list;
  const int count = list.GenerateAllMoves(side, &board, castling);
  int best = NotInBook;
  int bestValue = UnusableValue;
  for (int i = 0; i < count; i++) {
    u64 from, to, code1, code2;
    char promote, castleMask;
    list.GetMove(i, count, &from, &to, &promote);
    board.MakeMove(from, to, promote, &castleMask);
    genhashcode(side ^ 1, castling & castleMask, &code1, &code2, &board);
    long entry = BookTreeSearch(treeroot, code1, code2);
    if (Limits.Trace) {
      char text[64];
      fillmovestring(text, 0, (char)SquareOf(from), (char)SquareOf(to), promote);
      printf("  {%s  %s%d%s}\n", text, entry < 0 ? "Not in Book: " : "", entry < 0 ? 0 : BookValue[entry], text);
    }
    if (entry >= 0 && BookValue[entry] < bestValue) {
      best = i;
      bestValue = BookValue[entry];
    }
    board.UndoMove(i);
  }
  fflush(stdout);
  return best;
}

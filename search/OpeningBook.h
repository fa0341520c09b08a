// The opening book: positions (both hash codes) with a value, lower being
// better for the side that chooses, searched through an unbalanced binary
// tree over the entries' indices. Vorn ships no entries: the book is built
// empty, every probe misses and the engine always searches.
#pragma once
#include "board/Types.h"

class ChessBoard;

constexpr long BookCapacity = 1000000;

struct BookEntry {
  u64 Code1;
  u64 Code2;
};

struct treenode {
  i32 BookIndex;
  treenode* Left;
  treenode* Right;
};

extern BookEntry OpeningBook[BookCapacity];
extern i32 BookValue[BookCapacity];
extern long booksize;
extern treenode* treeroot;

void buildbook();
// Builds the tree over entries 0 .. n-1; returns the last node created.
treenode* buildbooktree(long n);
// The index of the entry with both codes, or -1.
long BookTreeSearch(treenode* node, u64 code1, u64 code2);
// The index in side's generated move list of the move leading to the book
// position of lowest value, or -100 when no move leads into the book.
int InBook(char side, char castling, ChessBoard board);

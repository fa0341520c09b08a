// An opening book in the file format GUIs and book tools share: 16-byte
// entries (key, move, weight, learn; big-endian) sorted by key. The file is
// read on demand (a binary search over its entries per position), never
// loaded whole, so start-up stays quick and memory does not grow with it.
// The order of the whole file is checked once, where no clock runs (the
// front ends call CheckOrder), or at the first probe when the file is small.
// Every book move is matched against the legal moves of its position; one
// that is not legal there is reported and never played. One instance: Book.
#pragma once
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "board/Types.h"
#include "movegen/SANText.h"

class ChessBoard;

// Debian's gnuchess-book package puts its book here.
constexpr const char* DefaultBookFile = "/usr/share/games/gnuchess/book.bin";
// Moves of each side played from the book before the engine searches.
constexpr int DefaultBookDepth = 16;
constexpr int MaxBookDepth = 100;

// A legal move of a position with the weight its book entries give it.
struct BookMove {
  LegalMove Move;
  u32 Weight = 0;
};

class PolyglotBook {
 public:
  static constexpr int EntrySize = 16;

  struct Entry {
    u64 Key = 0;
    u16 Move = 0;
    u16 Weight = 0;
    u32 Learn = 0;
  };

  // Play the heaviest move instead of a random choice weighted by the
  // entries' weights.
  bool BestMove = false;
  // The book is asked up to this move of the game (each side's moves).
  int DepthMoves = DefaultBookDepth;

  PolyglotBook();
  ~PolyglotBook();
  PolyglotBook(const PolyglotBook&) = delete;
  PolyglotBook& operator=(const PolyglotBook&) = delete;

  // Opens a book file in place of the one open. Returns "" or the one line
  // that says why the file cannot serve (then no book is open); the path is
  // kept either way, for Reopen. An empty path closes the book.
  std::string Open(const std::string& path);
  // Opens the kept path again when no book is open ("" when it opens, or
  // when no path was given).
  std::string Reopen();
  // The check that the keys of the open file never go down, which reads
  // the whole file: CheckOrder completes it, CheckSomeOrder goes on with it
  // for at most `entries` entries (a front end that waits for its input).
  // The verdict is kept: "" while the order is right, or, once, the line
  // that says where it is not (the book is then closed).
  std::string CheckOrder();
  std::string CheckSomeOrder(long long entries);
  // True when no check is left to do (no book, or its order checked).
  bool OrderChecked() const { return !IsOpen() || checkedEntries_ >= count_; }
  void Close();
  bool IsOpen() const { return file_ != nullptr; }
  const std::string& Path() const { return path_; }
  long long EntryCount() const { return count_; }

  // The legal moves the book gives for the board's position, heaviest
  // first (the file's order on equal weights), each move once with the
  // weights of its entries added. An entry whose move is not legal there
  // adds a line to `problems` and is left out; so does a file found out of
  // order or unreadable, which is then closed.
  std::vector<BookMove> Moves(const ChessBoard& board, std::vector<std::string>* problems);
  // Picks one of the moves: the heaviest with BestMove, else at random in
  // proportion to the weights. Moves of weight 0 are never picked; false
  // when no move has weight.
  bool Choose(const std::vector<BookMove>& moves, LegalMove* chosen);

  // The book's move for the game's position at `gamePly` (1 for White's
  // first move), or false: no book, beyond the book's depth, or a
  // position of this game past the first one the book did not answer.
  bool Probe(const ChessBoard& board, int gamePly, LegalMove* chosen, std::vector<std::string>* problems);
  // Whether Probe at `gamePly` would look in the file.
  bool Asks(int gamePly) const;
  // A new game is looked up in the book again.
  void NewGame() { leftAtPly_ = 0; }
  // A fixed sequence of choices from here on (tests).
  void Seed(u64 seed) { random_.seed(seed); }

  // The raw entry of a 16-byte record, and the move it encodes in
  // coordinates ("e2e4", "e7e8q", castling as the king taking its rook).
  static Entry Decode(const unsigned char* bytes);
  static std::string MoveText(u16 move);
  // The legal move an entry's move stands for on the board, castling
  // written as the king taking its own rook turned into the king's two
  // squares; false when no legal move fits.
  static bool LegalBookMove(const ChessBoard& board, u16 move, LegalMove* legal);

 private:
  // The entries of the key, in file order; false on a read error or a file
  // found out of order (reported, and the file is closed).
  bool Entries(u64 key, std::vector<Entry>* found, std::vector<std::string>* problems);
  bool ReadEntry(long long index, Entry* entry);
  std::string Problem(const char* what) const;

  std::FILE* file_ = nullptr;
  std::string path_;
  long long count_ = 0;
  // The entries whose order is checked, from the first, and the last key
  // among them.
  long long checkedEntries_ = 0;
  u64 checkedKey_ = 0;
  // The game's ply at which the book gave no move; 0 while it answers.
  i32 leftAtPly_ = 0;
  std::mt19937_64 random_;
};

extern PolyglotBook Book;

#include "search/PolyglotBook.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/PolyglotKey.h"

PolyglotBook Book;

namespace {
// Entries read at a time by the check of the file's order.
constexpr int CheckChunk = 4096;
// A file of at most this many entries (16 MB) is checked at its first probe,
// in a few milliseconds; a larger one only where no clock runs: the check of
// a file of gigabytes took seconds of a move's time. Until it is checked a
// probe trusts the order: it can then miss a book move, never play a move
// that is not legal.
constexpr long long ProbeCheckEntries = 1 << 20;
// Illegal entries of one position reported one by one; the rest in a sum.
constexpr int MaxIllegalLines = 8;

// The move field: to-square in bits 0-5, from-square in 6-11 (file, then
// rank, each square a1 = 0 .. h8 = 63), promotion in 12-14.
int ToSquare(u16 move) { return move & 63; }
int FromSquare(u16 move) { return (move >> 6) & 63; }
int PromotionCode(u16 move) { return (move >> 12) & 7; }
// Codes 1 to 4; anything above is no piece.
constexpr char PromotionLetters[] = "nbrq";
constexpr int HighestPromotionCode = 4;

u64 BigEndian(const unsigned char* p, int bytes) {
  u64 value = 0;
  for (int i = 0; i < bytes; i++) value = value << 8 | p[i];
  return value;
}

u64 StartSeed() {
  u64 seed = (u64)std::chrono::steady_clock::now().time_since_epoch().count();
  try {
    std::random_device device;
    seed ^= (u64)device() << 32 | device();
  } catch (...) {
    // The clock alone.
  }
  return seed;
}
}  // namespace

PolyglotBook::PolyglotBook() : random_(StartSeed()) {}

PolyglotBook::~PolyglotBook() { Close(); }

std::string PolyglotBook::Problem(const char* what) const { return "book " + path_ + ": " + what; }

std::string PolyglotBook::Open(const std::string& path) {
  Close();
  path_ = path;
  leftAtPly_ = 0;
  if (path.empty()) return "";
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    const bool exists = std::filesystem::exists(path, error);
    return Problem(exists ? "not a file; playing without a book" : "no such file; playing without a book");
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return Problem((std::string("cannot be read (") + std::strerror(errno) + "); playing without a book").c_str());
  }
  long long bytes = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) bytes = std::ftell(file);
  if (bytes < 0) {
    std::fclose(file);
    return Problem("cannot be read; playing without a book");
  }
  if (bytes % EntrySize != 0) {
    std::fclose(file);
    char what[128];
    snprintf(what, sizeof what, "%lld bytes are not a whole number of %d-byte entries; playing without a book", bytes,
             EntrySize);
    return Problem(what);
  }
  file_ = file;
  count_ = bytes / EntrySize;
  checkedEntries_ = 0;
  checkedKey_ = 0;
  return "";
}

std::string PolyglotBook::Reopen() {
  if (IsOpen() || path_.empty()) return "";
  return Open(path_);
}

void PolyglotBook::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  count_ = 0;
  checkedEntries_ = 0;
  checkedKey_ = 0;
}

PolyglotBook::Entry PolyglotBook::Decode(const unsigned char* bytes) {
  Entry e;
  e.Key = BigEndian(bytes, 8);
  e.Move = (u16)BigEndian(bytes + 8, 2);
  e.Weight = (u16)BigEndian(bytes + 10, 2);
  e.Learn = (u32)BigEndian(bytes + 12, 4);
  return e;
}

std::string PolyglotBook::MoveText(u16 move) {
  const int from = FromSquare(move), to = ToSquare(move), promote = PromotionCode(move);
  std::string text = {(char)('a' + (from & 7)), (char)('1' + from / 8), (char)('a' + (to & 7)), (char)('1' + to / 8)};
  if (promote >= 1 && promote <= HighestPromotionCode) text += PromotionLetters[promote - 1];
  else if (promote != 0) text += '?';
  return text;
}

bool PolyglotBook::LegalBookMove(const ChessBoard& board, u16 move, LegalMove* legal) {
  if (move >> 15 != 0 || PromotionCode(move) > HighestPromotionCode) return false;
  const char side = board.SideToMove;
  const int from = FromSquare(move);
  int to = ToSquare(move);
  // Castling is written as the king taking its own rook on the same rank.
  if (board.IsKing(side, SquareMask(from)) && board.IsRook(side, SquareMask(to)) && from / 8 == to / 8)
    to = to > from ? from + 2 : from - 2;
  char promote = NoPromotion;
  if (const int code = PromotionCode(move); code != 0) {
    const char letter = PromotionLetters[code - 1];
    promote = side ? letter : (char)(letter - 'a' + 'A');
  }
  for (const LegalMove& m : LegalMoves(board)) {
    if (m.From == SquareMask(from) && m.To == SquareMask(to) && m.Promote == promote) {
      *legal = m;
      return true;
    }
  }
  return false;
}

bool PolyglotBook::ReadEntry(long long index, Entry* entry) {
  unsigned char bytes[EntrySize];
  if (std::fseek(file_, (long)(index * EntrySize), SEEK_SET) != 0) return false;
  if (std::fread(bytes, EntrySize, 1, file_) != 1) return false;
  *entry = Decode(bytes);
  return true;
}

std::string PolyglotBook::CheckOrder() { return CheckSomeOrder(count_); }

std::string PolyglotBook::CheckSomeOrder(long long entries) {
  if (OrderChecked()) return "";
  // The piece goes on where the last one ended: a probe may have moved the
  // file's position since.
  std::string problem;
  if (std::fseek(file_, (long)(checkedEntries_ * EntrySize), SEEK_SET) != 0)
    problem = Problem("cannot be read; playing without a book");
  std::vector<unsigned char> chunk((size_t)CheckChunk * EntrySize);
  const long long end = std::min(count_, checkedEntries_ + std::max(entries, 1LL));
  while (problem.empty() && checkedEntries_ < end) {
    const long long want = std::min<long long>(CheckChunk, end - checkedEntries_);
    if (std::fread(chunk.data(), EntrySize, (size_t)want, file_) != (size_t)want) {
      problem = Problem("cannot be read to its end; playing without a book");
      break;
    }
    for (long long i = 0; i < want; i++) {
      const u64 key = BigEndian(&chunk[(size_t)i * EntrySize], 8);
      if (key < checkedKey_) {
        char what[128];
        snprintf(what, sizeof what, "entry %lld is out of order (the keys must not go down); playing without a book",
                 checkedEntries_ + i + 1);
        problem = Problem(what);
        break;
      }
      checkedKey_ = key;
    }
    checkedEntries_ += want;
  }
  if (!problem.empty()) Close();
  return problem;
}

bool PolyglotBook::Entries(u64 key, std::vector<Entry>* found, std::vector<std::string>* problems) {
  found->clear();
  if (!IsOpen()) return false;
  if (!OrderChecked() && count_ <= ProbeCheckEntries) {
    const std::string problem = CheckOrder();
    if (!problem.empty()) {
      problems->push_back(problem);
      return false;
    }
  }
  // The first entry whose key is not below the one looked for.
  long long low = 0, high = count_;
  Entry e;
  while (low < high) {
    const long long middle = low + (high - low) / 2;
    if (!ReadEntry(middle, &e)) break;
    if (e.Key < key) low = middle + 1;
    else high = middle;
  }
  for (long long i = low; i < count_; i++) {
    if (!ReadEntry(i, &e)) {
      problems->push_back(Problem("cannot be read; playing without a book"));
      Close();
      return false;
    }
    if (e.Key != key) break;
    found->push_back(e);
  }
  return true;
}

std::vector<BookMove> PolyglotBook::Moves(const ChessBoard& board, std::vector<std::string>* problems) {
  std::vector<BookMove> moves;
  std::vector<Entry> entries;
  if (!Entries(PolyglotKey(board), &entries, problems)) return moves;
  int illegal = 0;
  for (const Entry& e : entries) {
    LegalMove legal;
    if (!LegalBookMove(board, e.Move, &legal)) {
      // A line for each of the first few; a damaged file must not flood
      // the GUI at every move.
      if (++illegal <= MaxIllegalLines) {
        char what[128];
        snprintf(what, sizeof what, "the move %s of key %016llx is not legal in its position; left out",
                 MoveText(e.Move).c_str(), (unsigned long long)e.Key);
        problems->push_back(Problem(what));
      }
      continue;
    }
    auto same = std::find_if(moves.begin(), moves.end(), [&](const BookMove& m) {
      return m.Move.From == legal.From && m.Move.To == legal.To && m.Move.Promote == legal.Promote;
    });
    if (same != moves.end()) same->Weight = (u32)std::min<u64>((u64)same->Weight + e.Weight, UINT32_MAX);
    else moves.push_back(BookMove{legal, e.Weight});
  }
  if (illegal > MaxIllegalLines) {
    char what[96];
    snprintf(what, sizeof what, "%d more moves of this position are not legal in it; left out",
             illegal - MaxIllegalLines);
    problems->push_back(Problem(what));
  }
  std::stable_sort(moves.begin(), moves.end(), [](const BookMove& a, const BookMove& b) { return a.Weight > b.Weight; });
  return moves;
}

bool PolyglotBook::Choose(const std::vector<BookMove>& moves, LegalMove* chosen) {
  u64 total = 0;
  const BookMove* heaviest = nullptr;
  for (const BookMove& m : moves) {
    total += m.Weight;
    if (m.Weight > 0 && (heaviest == nullptr || m.Weight > heaviest->Weight)) heaviest = &m;
  }
  if (total == 0) return false;
  if (BestMove) {
    *chosen = heaviest->Move;
    return true;
  }
  u64 pick = std::uniform_int_distribution<u64>(0, total - 1)(random_);
  for (const BookMove& m : moves) {
    if (pick < m.Weight) {
      *chosen = m.Move;
      return true;
    }
    pick -= m.Weight;
  }
  return false;
}

bool PolyglotBook::Asks(int gamePly) const {
  if (!IsOpen()) return false;
  if (leftAtPly_ != 0 && gamePly >= leftAtPly_) return false;
  return gamePly <= 2 * DepthMoves;
}

bool PolyglotBook::Probe(const ChessBoard& board, int gamePly, LegalMove* chosen,
                         std::vector<std::string>* problems) {
  if (!Asks(gamePly)) return false;
  const std::vector<BookMove> moves = Moves(board, problems);
  if (Choose(moves, chosen)) return true;
  if (!moves.empty()) problems->push_back(Problem("every move of this position has weight 0; leaving the book"));
  leftAtPly_ = std::max(gamePly, 1);
  return false;
}

// Opening-book files written by a test: entries given as a position (FEN),
// a move as the file spells it ("e2e4", "e7e8n", castling "e1h1") and a
// weight, sorted by key and written in the file format to a temporary file
// that is removed with the object.
#pragma once
#include <string>
#include <vector>

#include "board/Types.h"

struct BookLine {
  std::string Fen;
  std::string Move;
  int Weight = 1;
};

class TestBookFile {
 public:
  // A book of these entries, sorted by key as a book must be.
  explicit TestBookFile(const std::vector<BookLine>& lines);
  // A file of exactly these bytes.
  explicit TestBookFile(const std::string& bytes);
  // A large file quickly: `zeroEntries` entries of zeros (a hole in the
  // file, never written) followed by the bytes of `tail`.
  TestBookFile(long long zeroEntries, const std::string& tail);
  ~TestBookFile();
  TestBookFile(const TestBookFile&) = delete;
  TestBookFile& operator=(const TestBookFile&) = delete;

  const std::string& Path() const { return path_; }

  // The 16 bytes of one entry, and the move field of a move text.
  static std::string EntryBytes(u64 key, u16 move, u16 weight);
  static u16 MoveField(const std::string& move);
  // The book key of a FEN's position.
  static u64 Key(const std::string& fen);

 private:
  void Write(const std::string& bytes);
  std::string path_;
};

#include "support/BookFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "board/ChessBoard.h"
#include "board/PolyglotKey.h"
#include "board/PositionText.h"

u64 TestBookFile::Key(const std::string& fen) {
  ChessBoard board = MainBoard;
  ReadPositionText(fen.c_str(), &board);
  return PolyglotKey(board);
}

u16 TestBookFile::MoveField(const std::string& move) {
  const int from = (move[0] - 'a') + 8 * (move[1] - '1');
  const int to = (move[2] - 'a') + 8 * (move[3] - '1');
  int promote = 0;
  if (move.size() > 4) promote = (int)std::string("nbrq").find(move[4]) + 1;
  return (u16)(to | from << 6 | promote << 12);
}

std::string TestBookFile::EntryBytes(u64 key, u16 move, u16 weight) {
  std::string bytes;
  for (int shift = 56; shift >= 0; shift -= 8) bytes += (char)(key >> shift & 0xFF);
  bytes += (char)(move >> 8);
  bytes += (char)(move & 0xFF);
  bytes += (char)(weight >> 8);
  bytes += (char)(weight & 0xFF);
  bytes += std::string(4, '\0');
  return bytes;
}

TestBookFile::TestBookFile(const std::vector<BookLine>& lines) {
  std::vector<std::pair<u64, std::string>> entries;
  for (const BookLine& line : lines) {
    const u64 key = Key(line.Fen);
    entries.emplace_back(key, EntryBytes(key, MoveField(line.Move), (u16)line.Weight));
  }
  std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::string bytes;
  for (const auto& e : entries) bytes += e.second;
  Write(bytes);
}

TestBookFile::TestBookFile(const std::string& bytes) { Write(bytes); }

TestBookFile::TestBookFile(long long zeroEntries, const std::string& tail) {
  Write("");
  const int fd = open(path_.c_str(), O_WRONLY);
  if (fd < 0) abort();
  const off_t at = (off_t)zeroEntries * 16;
  if (pwrite(fd, tail.data(), tail.size(), at) != (ssize_t)tail.size()) abort();
  close(fd);
}

void TestBookFile::Write(const std::string& bytes) {
  char name[] = "/tmp/vorn-book-XXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0) abort();
  if (write(fd, bytes.data(), bytes.size()) != (ssize_t)bytes.size()) abort();
  close(fd);
  path_ = name;
}

TestBookFile::~TestBookFile() { unlink(path_.c_str()); }

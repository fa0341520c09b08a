// Games as PGN: the seven tags, FEN and SetUp for a game that starts from
// an opening, the Termination tag, and the movetext wrapped at 80 columns
// with the reason for the end (and any fault) as a comment before the
// result. One writer per file; Write may be called from several threads.
#pragma once
#include <cstdio>
#include <mutex>
#include <string>

#include "scripts/runner/GameRecord.h"

class PgnWriter {
 public:
  // The game as PGN text, ending in a blank line.
  static std::string Text(const GameRecord& game, const std::string& event, const std::string& date);

  // Opens `path` for appending: false when it cannot be written.
  bool Open(const std::string& path, std::string* problem);
  void Write(const GameRecord& game);
  ~PgnWriter();
  std::string Event = "Vorn games";

 private:
  std::FILE* file_ = nullptr;
  std::string date_;
  std::mutex mutex_;
};

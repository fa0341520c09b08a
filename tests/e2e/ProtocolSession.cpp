#include "e2e/ProtocolSession.h"

#include <gtest/gtest.h>

#include <sstream>

BestMove AwaitBestMove(EngineProcess& engine, TestClock::time_point since, int timeoutMs) {
  BestMove best;
  best.lines = engine.ReadUntil("bestmove", timeoutMs, &best.found);
  best.ms = MsSince(since);
  if (!best.found) return best;
  std::istringstream words(best.lines.back());
  std::string word;
  while (words >> word) {
    if (word == "bestmove") words >> best.move;
    else if (word == "ponder") words >> best.ponder;
  }
  return best;
}

bool AnyStartsWith(const std::vector<std::string>& lines, const std::string& prefix) {
  for (const std::string& line : lines)
    if (line.compare(0, prefix.size(), prefix) == 0) return true;
  return false;
}

UCIEngine::UCIEngine() {
  Send("uci");
  bool found = false;
  ReadUntil("uciok", 10000, &found);
  EXPECT_TRUE(found) << Output();
}

BestMove UCIEngine::Go(const std::string& line, int timeoutMs) {
  TestClock::time_point start = TestClock::now();
  Send(line);
  BestMove best = AwaitBestMove(*this, start, timeoutMs);
  EXPECT_TRUE(best.found) << line << "\n" << Output();
  return best;
}

XboardEngine::XboardEngine() {
  Send("xboard");
  Send("new");
}

std::string XboardEngine::AwaitMove(int timeoutMs, std::vector<std::string>* lines) {
  bool found = false;
  std::vector<std::string> read = ReadUntil(". ... ", timeoutMs, &found);
  if (lines) *lines = read;
  if (!found) return "";
  std::istringstream words(read.back());
  std::string number, dots, move;
  words >> number >> dots >> move;
  return move;
}

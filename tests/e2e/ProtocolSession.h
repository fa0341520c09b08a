// Small helpers for the end-to-end protocol tests: an engine started and
// greeted in one protocol, the time since a command, and the parts of a
// "bestmove" line.
#pragma once
#include <chrono>
#include <string>
#include <vector>

#include "support/EngineProcess.h"

using TestClock = std::chrono::steady_clock;

inline long long MsSince(TestClock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(TestClock::now() - start).count();
}

// The answer to one "go": the move, the ponder move (empty when none), how
// long it took and every line read until it came.
struct BestMove {
  bool found = false;
  std::string move;
  std::string ponder;
  long long ms = 0;
  std::vector<std::string> lines;
};

// Reads until "bestmove" (within timeoutMs) and measures from `since`.
BestMove AwaitBestMove(EngineProcess& engine, TestClock::time_point since, int timeoutMs);

// True when one of the lines starts with `prefix`.
bool AnyStartsWith(const std::vector<std::string>& lines, const std::string& prefix);

// An engine under UCI: started, "uci" sent and "uciok" read.
class UCIEngine : public EngineProcess {
 public:
  UCIEngine();
  // Sends the go line and waits for its "bestmove".
  BestMove Go(const std::string& line, int timeoutMs = 20000);
};

// An engine under xboard: started with the first word "xboard", then "new".
class XboardEngine : public EngineProcess {
 public:
  XboardEngine();
  // Reads until the engine's move line "N. ... move"; returns the move text
  // (empty when none came in time).
  std::string AwaitMove(int timeoutMs, std::vector<std::string>* lines = nullptr);
};

// A match between two engines: game pairs from the openings (each played
// with both colours) spread over several threads, each with its own two
// engine processes; the tally, the SPRT on the pairs and every fault
// printed as the games end; every game written as PGN.
#pragma once
#include <array>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "scripts/runner/GameRecord.h"
#include "scripts/runner/MatchOptions.h"
#include "scripts/runner/PgnWriter.h"
#include "scripts/runner/Sprt.h"

class Match {
 public:
  Match(const MatchOptions& options, std::FILE* out) : options_(options), out_(out),
      sprt_(options.Elo0, options.Elo1, options.Alpha, options.Beta) {}
  // Plays the match. False, with the reason in *problem, when it cannot
  // start (no openings, an engine that does not start, a PGN file that
  // cannot be written).
  bool Run(std::string* problem);

  // The first engine's wins, draws and losses, the pairs and the faults.
  long long Wins() const { return wdl_[0]; }
  long long Draws() const { return wdl_[1]; }
  long long Losses() const { return wdl_[2]; }
  const Sprt& Test() const { return sprt_; }
  long long Faults() const { return faults_; }

 private:
  void Worker();
  // A game ended: its PGN, its line and its faults.
  void GameEnded(const GameRecord& game, long long gameNumber, int firstEnginePoints);
  // A pair ended: the tally and the test.
  void PairEnded(int halfPoints);
  void PrintTally();

  const MatchOptions& options_;
  std::FILE* out_;
  std::vector<std::string> openings_;
  long long pairs_ = 0;
  PgnWriter pgn_;

  std::mutex mutex_;
  long long nextPair_ = 0;
  bool stop_ = false;
  std::array<long long, 3> wdl_{};
  Sprt sprt_;
  long long faults_ = 0;
};

// The runner's command line: two engines, the clock or node budget, the
// openings, how many games, where the PGN goes, the SPRT and the
// adjudication. Read reports the first thing wrong with it.
#pragma once
#include <string>
#include <vector>

#include "scripts/runner/GameSettings.h"
#include "scripts/runner/UciPlayer.h"

struct MatchOptions {
  EngineSetup Engines[2];
  GameSettings Game;
  int Concurrency = 1;
  std::string OpeningsPath;
  // Game pairs to play; 0: each opening once, or with an SPRT until it
  // decides.
  long long Pairs = 0;
  // Every game is kept: appended to this file.
  std::string PgnPath = "vorn-games.pgn";
  bool RunSprt = false;
  double Elo0 = 0, Elo1 = 5, Alpha = 0.05, Beta = 0.05;

  // Fills the options from the arguments (argv[0] excluded). Returns "" or
  // what is wrong.
  std::string Read(const std::vector<std::string>& arguments);
  static const char* Usage();
};

// A strength a person can choose, in Elo points from LowestElo up to full
// strength: the search looks fewer plies deep, keeps a few lines and plays
// one of them, now and then a worse one, with a chance and a size of error
// that grow as the level falls. The error is bounded: a mate found is
// played, a lone king is mated without errors, a move never loses more
// than the level allows, and less once the side already stands worse.
// The choice is random, from a sequence that a seed makes repeatable. The
// front ends write the setting; one instance: Level.
#pragma once
#include <random>

#include "board/Types.h"

class ChessBoard;
struct RootLine;

// The lowest level, and full strength's figure on the same scale: where
// full strength scored about even against stockfish's levels at 60 s + 0.6
// s a game (the level there plays as the engine does without one).
constexpr int LowestElo = 1350;
constexpr int FullStrengthElo = 2100;
// The largest seed the options take.
constexpr int MaxLevelSeed = 2147483647;
// Lines the search keeps at a level, to choose among.
constexpr int LevelLines = 4;

class StrengthLevel {
 public:
  StrengthLevel();

  // The level's figure is kept whether or not the strength is limited.
  bool Limited = false;
  int Elo = FullStrengthElo;

  // Plays weaker than full strength.
  bool Active() const { return Limited && Elo < FullStrengthElo; }
  // Takes the figure held to LowestElo .. FullStrengthElo; returns it.
  int SetElo(long asked);
  // Starts the random sequence again from `seed` (0: a seed from the
  // system, different each time).
  void SetSeed(u64 seed);
  u64 Seed() const { return SeedUsed; }

  // The deepest iteration at this level in `position` (its side to move
  // the level's): deeper against a lone king, which is mated.
  int DepthLimit(const ChessBoard& position) const;
  // The chance of a worse move where one within the bounds is on offer,
  // per thousand moves.
  int ErrorPerMille() const;
  // The most a move may give up of what the best one wins, and the most it
  // may fall below an even game (below the best's score when that is
  // already worse: then less).
  int MostMissed() const;
  int MostDropped(int bestScore) const;
  // Whether a line of `score` may be played instead of the best.
  bool Allowed(int bestScore, int score) const;

  // The line to play of `count` lines, best first: 0 is the best. Against
  // a lone king (`loneKing`) and with a mate in hand it is always the best.
  int ChooseLine(const RootLine* lines, int count, bool loneKing);
  // How long to think before answering, from the normal time for the move:
  // part of it, drawn at random; none for a single legal move and little
  // for a move far better than the next.
  i32 ThinkTime(i32 timePerMove, int legalMoves, const RootLine* lines, int count);

 private:
  // 0 at LowestElo, 1000 at full strength.
  int Progress() const;
  u64 SeedUsed = 0;
  std::mt19937_64 Random;
};

extern StrengthLevel Level;

// Keeps the score of a game played over a protocol, with the plain reference
// move generator of tests/support: which moves are legal, and when the game
// is over by mate, stalemate, threefold repetition or the fifty-move rule.
// Moves are in coordinate notation; a promotion carries its letter.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "support/ReferenceMoves.h"

extern const char* const StartFen;

class GameReferee {
 public:
  explicit GameReferee(const std::string& fen = StartFen);

  // False, and nothing played, when the move is not legal here.
  bool Play(const std::string& move);
  bool IsLegal(const std::string& move) const;
  // Every legal move as coordinate text ("e7e8q" for a promotion).
  std::vector<std::string> LegalMoves() const;
  // Legal moves that capture nothing and move no pawn.
  std::vector<std::string> QuietMoves() const;
  int Side() const { return position_.side; }
  int Plies() const { return plies_; }
  // Empty while the game goes on, else why it ended.
  std::string Over() const;
  // The men, the side to move and the castling rights.
  std::string Key() const;
  bool Seen(const std::string& key) const { return seen_.count(key) != 0; }

 private:
  const RefMove* Find(const std::vector<RefMove>& moves, const std::string& move) const;
  RefPosition position_;
  std::map<std::string, int> seen_;
  int quietPlies_ = 0;
  int plies_ = 0;
};

// A walk of `plies` quiet moves (no capture, no pawn move) from `fen` that
// never comes back to a position and ends no game before the fifty-move
// rule: moves picked at random, by a generator seeded with `seed`. Shorter
// when the walk gets stuck.
std::vector<std::string> QuietWalk(const std::string& fen, int plies, unsigned seed = 7);

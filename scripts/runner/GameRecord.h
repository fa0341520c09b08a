// One game as played: its players, start, moves, result and why, and the
// faults of either engine seen on the way. Written out as PGN by PgnWriter.
#pragma once
#include <string>
#include <vector>

enum class GameResult { WhiteWins, BlackWins, Draw, Unfinished };

struct GameRecord {
  std::string White;
  std::string Black;
  // The position the game started from, a whole FEN.
  std::string StartFen;
  bool FromStandardStart = false;
  int Round = 0;
  std::vector<std::string> SanMoves;
  GameResult Result = GameResult::Unfinished;
  // "checkmate", "threefold repetition", "White lost on time" ...
  std::string Reason;
  // A PGN Termination tag: "normal", "adjudication", "time forfeit",
  // "rules infraction" or "abandoned".
  std::string Termination = "normal";
  // Each fault reported, with who made it.
  std::vector<std::string> Faults;

  const char* ResultText() const;
  // The moves so far as movetext without the result ("1. e4 e5 2. Nf3").
  std::string MoveText() const;
  // The number White's first move would carry, and whose move comes first.
  int FirstMoveNumber() const;
  bool BlackMovesFirst() const;
};

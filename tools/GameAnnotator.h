// Whole games annotated by the search: every position before a move is
// searched (for a time a position or to a fixed depth), a move played that
// is not the engine's best is judged beside the best, the two as root moves
// of one search to the depth the best move reached, and the game is
// written back as PGN with its tags and moves, the evaluation after each
// move ("[%eval 0.35]", "[%eval #-2]", White's view), a mark for a move
// that lost against the engine's best ("?!", "?", "??") with the better
// move and a short line as a variation, and each side's average loss and
// marks in a closing comment. Reading PGN is PGNReader's.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "movegen/SANText.h"
#include "tools/PGNReader.h"

struct AnnotationSettings {
  // A fixed depth goes first; else seconds a position.
  int FixedDepth = 0;
  double SecondsPerPosition = 0.5;
};

enum class MoveMark { None, Dubious, Mistake, Blunder };  // none, ?!, ?, ??

// What the search found for one move of a game, scores in the engine's unit
// from the view of the side that moved.
struct MoveAnalysis {
  int Best = 0;    // the position's score with the engine's best move
  int Played = 0;  // the score of the move played
  bool PlayedBest = false;
  std::vector<LegalMove> Line;  // the engine's best move and what follows
  int Loss = 0;                 // centipawns, see GameAnnotator::Judge
  MoveMark Mark = MoveMark::None;
};

class GameAnnotator {
 public:
  // The marks by the centipawns a move lost (a pawn is about 100), and the
  // most a score counts for: beyond ten pawns, or a mate, a game is won
  // whatever the margin.
  static constexpr int DubiousLoss = 50;
  static constexpr int MistakeLoss = 100;
  static constexpr int BlunderLoss = 200;
  static constexpr int ScoreCap = 1000;
  // Half-moves of the engine's line shown after a marked move.
  static constexpr int ShortLinePlies = 6;

  explicit GameAnnotator(const AnnotationSettings& settings) : settings_(settings) {}

  // Searches every position of the game before a move; positionDone is
  // called after each. The game must have been read without error.
  std::vector<MoveAnalysis> Analyse(const PGNGame& game, const std::function<void()>& positionDone = {}) const;
  // The game as PGN text with the analysis, ending in a blank line.
  std::string Write(const PGNGame& game, const std::vector<MoveAnalysis>& analysis) const;

  // The centipawns a move lost against the best (scores from the mover's
  // view, each held to ScoreCap, never below 0) and its mark: a mate given
  // away (the best move mates, the move played does not) or walked into
  // (the move played is mated, the best is not) is a blunder whatever else.
  static MoveMark Judge(int best, int played, int* loss);
  // The score of a move played from its own search and the best score of
  // the position after it (the other side's view): a mate either way that
  // only the second found. A mate is found by a deep enough search only,
  // and the move's own search goes no deeper than the position's did.
  static int CrossChecked(int played, int nextBest);
  // The evaluation of a position from White's view as [%eval] writes it:
  // pawns with two decimals ("0.35", "-1.20") or the moves to a mate ("#3",
  // "#-2"); `score` is the search's, from the view of `sideToMove`.
  static std::string EvalText(int score, char sideToMove);

 private:
  AnnotationSettings settings_;
};

// "-annotate": every game of the file annotated, written to `output` (the
// standard output when null), what goes wrong and the progress on standard
// error. The program's exit status: 0 when at least one game was annotated.
int AnnotatePGNFile(const char* input, const char* output, const AnnotationSettings& settings);

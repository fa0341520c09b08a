// What every game of a match shares: the clock or node budget, the bounds
// on an engine's answers and the optional adjudication by both engines'
// scores. Plain data, filled from the command line.
#pragma once

struct GameSettings {
  // A clock of BaseMs plus IncrementMs a move, or, when Nodes > 0, "go
  // nodes" for every move and no clock.
  long long BaseMs = 8000;
  long long IncrementMs = 80;
  long long Nodes = 0;
  // An answer this late past the clock's end still counts: the pipes and
  // the scheduler of a loaded machine take their share.
  long long TimeMarginMs = 100;
  // The bound on "uciok", "readyok", and on "bestmove" under a node budget.
  int AnswerTimeoutMs = 10000;
  int NodesMoveTimeoutMs = 60000;

  // Resign: both engines' last ResignMoves scores each at least
  // ResignScore for the same side (centipawns, the mover's own scores
  // turned to one side). Off when ResignMoves is 0.
  int ResignScore = 600;
  int ResignMoves = 0;
  // Draw: from move DrawFrom on, both engines' last DrawMoves scores each
  // within DrawScore of 0. Off when DrawMoves is 0.
  int DrawScore = 10;
  int DrawMoves = 0;
  int DrawFrom = 40;
};

// The static evaluation taken apart by term and by colour, for "-pev": a
// separate pass that walks the evaluation's steps in PosEval's order and
// calls the same term functions, so that the search's evaluation stays as
// it is and pays nothing for it. What the terms give adds up to PosEval's
// score (the tests hold it to that).
#pragma once
#include "board/Types.h"

class ChessBoard;

// The rows of the breakdown.
enum EvalTerm {
  MaterialTerm,        // men, the pawns gaining as pieces come off
  PawnStructureTerm,   // isolated, backward, doubled, central, chained and blocked pawns
  PassedPawnTerm,      // passers, their kings and their paths; pawn races
  KnightTerm,          // placement, outposts, mobility
  BishopTerm,          // placement, mobility, fianchetto, the pair, enemy pawns on its colour
  RookTerm,            // mobility, open and half-open files, behind passers
  QueenTerm,           // mobility, a queen with nowhere to go
  SeventhRankTerm,     // rooks and queens on the seventh or eighth rank
  TrappedPieceTerm,    // knights, bishops and rooks shut in
  CentreControlTerm,   // minor pieces and rooks bearing on d4 e4 d5 e5
  UndefendedTerm,      // pieces and the king outside their side's attacks
  KingPlacementTerm,   // the king tables; a king near the bare enemy king
  KingSafetyTerm,      // pawn shield, attackers around the king, pawn storms
  WinningChancesTerm,  // mating material, a lone minor piece or one against pawns
  EvalTermCount
};

class EvaluationDetail {
 public:
  // What a term gives one side, from that side's view: the part that counts
  // in every phase, and the middle-game and ending parts that the phase
  // blends.
  struct Share {
    int Plain = 0;
    int Mg = 0;
    int Eg = 0;
  };
  Share White[EvalTermCount];
  Share Black[EvalTermCount];

  int Phase = 0;                // 1 with every piece on the board .. 24 with bare kings
  bool PawnlessEnding = false;  // only king placement and three quarters of the
                                // piece balance count
  bool StoppedEarly = false;    // the score went so far beyond a mate that the
                                // evaluation stopped before its last terms
  // Whole-position parts, White's view: opposite-coloured bishops pull the
  // score towards plain material; the phase blends and the rounding to
  // tens take or give a little.
  int OppositeBishops = 0;
  int Rounding = 0;
  int Total = 0;       // the terms added up, White's view
  int Evaluation = 0;  // PosEval's score for the side to move

  // Takes the evaluation of the board for its side to move apart. The
  // board's counts must be current and its MatingMaterial set, as for
  // PosEval; the evaluation's scratch state is overwritten.
  void Explain(ChessBoard* board);
  // A share blended by the phase, from that side's view.
  int Blended(const Share& share) const;
};

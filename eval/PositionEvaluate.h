// The static evaluation: material, placement, mobility, pawn structure and
// king safety blended by game phase. Every term reads the position through
// the member bb, never through a parameter. An evaluation writes its own
// fields and its own pawn cache: each search thread has one (the search's
// Eval); PE is the main search's. The driver lives in PositionEvaluate.cpp,
// the terms in PawnEval.cpp, PieceEval.cpp and KingEval.cpp, the pawn cache
// in PawnHash.cpp.
#pragma once
#include <memory>

#include "board/Types.h"
#include "eval/PawnHash.h"

class ChessBoard;

class PositionEvaluate {
 public:
  // The board being evaluated, set by PosEval.
  ChessBoard* bb = nullptr;
  // This evaluation's pawn-structure cache, taken when the evaluation is
  // made. Copies of an evaluation (its state saved and put back) share it,
  // counters included; the last of them gives it back.
  std::shared_ptr<PawnHashTable> PawnCache = std::make_shared<PawnHashTable>();

  // Driver state, overwritten by every call.
  int Phase;    // end-game weight 1..24
  int MgScore;  // middle-game accumulator, White's view
  int EgScore;  // end-game accumulator, White's view
  int WhiteKingSquare, BlackKingSquare;
  u64 WhiteKingFile, BlackKingFile;
  i8 WhiteNonPawnCount, BlackNonPawnCount;

  // Attack maps on the current occupancy, first blocker included.
  u64 WhitePawnAttacks, BlackPawnAttacks;
  u64 WhiteKnightAttacks, BlackKnightAttacks;
  u64 WhiteBishopAttacks, BlackBishopAttacks;
  u64 WhiteRookAttacks, BlackRookAttacks;
  u64 WhiteQueenAttacks, BlackQueenAttacks;
  u64 WhiteKingAttacks, BlackKingAttacks;
  u64 WhiteAttacks, BlackAttacks;
  // The attack set of each knight, bishop, rook and queen, by its square:
  // filled with the maps so that mobility needs no second lookup. Only the
  // squares holding such a man are meaningful.
  u64 PieceAttacks[64];

  // Pawn summary (restored from the pawn hash table on a hit).
  u64 OpenFiles, WhiteHalfOpenFiles, BlackHalfOpenFiles;
  u8 WhitePasserRank[8], BlackPasserRank[8];  // board rank index, 0 = none
  u8 WhitePasserCount, BlackPasserCount;
  int WhiteDoubled, BlackDoubled;
  int WhitePassedScore, BlackPassedScore;
  // Scratch of one pawn evaluation.
  int WhiteStatic, BlackStatic;
  int MgPawnScore, EgPawnScore;

  // Shield files of each king that are bare or whose pawn has gone past its
  // fourth rank; set by PawnShield, read by AttackCounts.
  int WhiteWeakShieldFiles, BlackWeakShieldFiles;

  // Score from the side to move's view; alpha and beta only drive the lazy
  // exits (pass -110000, 110000 for the exact value).
  int PosEval(char side, int alpha, int beta, ChessBoard* board);
  // Prints the full evaluation of the board from White's view, the line
  // that follows the console's board diagram.
  void PrintWhiteScore(ChessBoard* board);
  int MaterialOnly(char side, const ChessBoard& board) const;
  int SideMaterialValue(char side, const ChessBoard* board) const;
  int DynamicPieceAdjustments();
  void AttackMasks();

  // Pawn structure and passed pawns.
  int PawnEval04(char side);
  bool DoesPawnPromote(char pawnSide, int rank, int promotionSquare, char side) const;
  int RuleofSquare(char side);
  bool QueenAttacks(int square, u64 target) const;
  int PawnPhalanx();

  // Pieces.
  int KnightEval();
  int BishopEval();
  int RookEval();
  int QueenEval();
  int Traps();

  // Kings.
  int KingEval();
  int PawnShield(char side);
  int PawnFilePenalty(char side, u64 filePawns);
  int BitBoardRank(u64 square) const;
  int PawnStorm(char side);
  int AttackCounts(char side);

 private:
  // The breakdown by term runs the pawn analysis and the passed-pawn terms
  // one colour at a time.
  friend class EvaluationDetail;
  // (Phase x EgScore + (24 - Phase) x MgScore) / 24; empties both
  // accumulators for the next block.
  int Blend();
  void StorePawnHash();
  void LoadPawnHash();
  void PawnStructure();
  void PassedPawnTerms(char side);
};

// The main search's evaluation (Search.Eval, defined beside Search): the
// one the front ends, the tools and the tests evaluate with.
extern PositionEvaluate& PE;

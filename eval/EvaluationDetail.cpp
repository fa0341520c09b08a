#include "eval/EvaluationDetail.h"

#include <cstring>

#include "board/BitOps.h"
#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "eval/EvalMasks.h"
#include "eval/EvalWeights.h"
#include "eval/PositionEvaluate.h"
#include "eval/SquareTables.h"

using namespace evalmask;
using namespace evalweight;

namespace {
constexpr int Q = Queens, R = Rooks, B = Bishops, N = Knights, P = Pawns;

int PieceMaterial(const i32* c) { return QueenValue * c[Q] + RookValue * c[R] + MinorValue * (c[B] + c[N]); }

// What a term function gives when it runs on `board` from the evaluation
// state `state`: its result and what it added to the two accumulators.
struct TermResult {
  int Plain, Mg, Eg;
};
template <typename Term>
TermResult RunTerm(const PositionEvaluate& state, const ChessBoard& board, Term term) {
  ChessBoard copy = board;
  ChessBoard* const saved = PE.bb;
  PE = state;
  PE.MgScore = PE.EgScore = 0;
  PE.bb = &copy;
  const int plain = term();
  PE.bb = saved;
  return {plain, PE.MgScore, PE.EgScore};
}
}  // namespace

int EvaluationDetail::Blended(const Share& s) const { return s.Plain + (Phase * s.Eg + (24 - Phase) * s.Mg) / 24; }

void EvaluationDetail::Explain(ChessBoard* board) {
  *this = EvaluationDetail();
  const ChessBoard& b = *board;
  const char side = b.SideToMove;
  const i32* w = b.WhiteCounts;
  const i32* k = b.BlackCounts;
  PositionEvaluate& pe = PE;

  // The score, White's view, as PosEval builds it: the shares' plain parts,
  // and the middle-game and ending parts of each block blended together.
  int s = 0, blockMg = 0, blockEg = 0;
  auto add = [&](EvalTerm term, int colour, int plain, int mg, int eg) {
    Share& share = colour == 0 ? White[term] : Black[term];
    share.Plain += plain;
    share.Mg += mg;
    share.Eg += eg;
    const int sign = colour == 0 ? 1 : -1;
    s += sign * plain;
    blockMg += sign * mg;
    blockEg += sign * eg;
  };
  auto blend = [&] {
    s += (Phase * blockEg + (24 - Phase) * blockMg) / 24;
    blockMg = blockEg = 0;
  };
  // The end of the breakdown: what the shares blended one by one leave of
  // the total, and the evaluation itself.
  auto finish = [&](int total) {
    Total = total;
    Rounding = Total - OppositeBishops;
    for (int t = 0; t < EvalTermCount; t++) Rounding -= Blended(White[t]) - Blended(Black[t]);
    Evaluation = PE.PosEval(side, -MateScore, MateScore, board);
  };
  // The driver's lazy exits, for the full window: a score this far beyond a
  // mate is returned as it stands, without the terms after it.
  auto beyondMate = [&](int margin) {
    const int v = side == 1 ? -s : s;
    return v + margin < -MateScore || v - margin > MateScore;
  };
  // A term whose result is White's view taken as the share of the side it
  // favours.
  auto addBySign = [&](EvalTerm term, int whiteView) {
    if (whiteView > 0) add(term, 0, whiteView, 0, 0);
    if (whiteView < 0) add(term, 1, -whiteView, 0, 0);
  };

  // Kings and piece counts, as the driver sets them.
  pe.MgScore = pe.EgScore = 0;
  pe.bb = board;
  pe.WhiteKingSquare = SquareOf(b.WhiteKing);
  pe.BlackKingSquare = SquareOf(b.BlackKing);
  pe.WhiteKingFile = FileMask[pe.WhiteKingSquare & 7];
  pe.BlackKingFile = FileMask[pe.BlackKingSquare & 7];
  pe.WhiteNonPawnCount = (i8)(w[Q] + w[R] + w[B] + w[N]);
  pe.BlackNonPawnCount = (i8)(k[Q] + k[R] + k[B] + k[N]);
  const int wk = pe.WhiteKingSquare, bk = pe.BlackKingSquare;
  const int pieceBalance = PieceMaterial(w) - PieceMaterial(k);

  // Without pawns: king centralisation, and three quarters of one minor
  // piece more; nothing else and no rounding.
  if (w[P] == 0 && k[P] == 0) {
    const int wMinors = w[B] + w[N], bMinors = k[B] + k[N];
    const bool even = wMinors == bMinors && w[R] == k[R] && pe.WhiteNonPawnCount == pe.BlackNonPawnCount;
    const bool minorUp = w[Q] == k[Q] && w[R] == k[R] && (wMinors - bMinors == 1 || bMinors - wMinors == 1);
    const bool whitePairAgainstKnight = w[B] == 2 && k[B] == 0 && k[N] == 1;
    const bool blackPairAgainstKnight = w[B] != 2 && k[B] == 2 && w[B] == 0 && w[N] == 1;
    if (even || (minorUp && !whitePairAgainstKnight && !blackPairAgainstKnight)) {
      PawnlessEnding = true;
      add(KingPlacementTerm, 0, KingEnding[wk], 0, 0);
      add(KingPlacementTerm, 1, KingEnding[bk], 0, 0);
      if (even) {
        finish(KingEnding[wk] - KingEnding[bk]);
        return;
      }
      White[MaterialTerm].Plain = 3 * PieceMaterial(w) / 4;
      Black[MaterialTerm].Plain = 3 * PieceMaterial(k) / 4;
      finish(KingEnding[wk] - KingEnding[bk] + (3 * pieceBalance) / 4);
      return;
    }
  }

  // Attack maps and the game phase.
  pe.AttackMasks();
  Phase = 24 - (pe.WhiteNonPawnCount + pe.BlackNonPawnCount) - (w[R] + k[R]) - 3 * (w[Q] + k[Q]);
  if (Phase < 1) Phase = 1;

  // Material. The score takes the pawns' phase bonus of the difference, as
  // the driver does, not the difference of each side's (rounded) bonus.
  White[MaterialTerm].Plain = PieceMaterial(w) + PawnValue * w[P] + (PawnEndingBonus * w[P] * Phase) / 24;
  Black[MaterialTerm].Plain = PieceMaterial(k) + PawnValue * k[P] + (PawnEndingBonus * k[P] * Phase) / 24;
  const int pawnBalance = w[P] - k[P];
  s += pieceBalance + PawnValue * pawnBalance + (PawnEndingBonus * pawnBalance * Phase) / 24;

  // Pawn structure: the whole analysis once, as the driver runs it (from
  // the pawn cache when it holds the pawns); then each colour's isolated
  // and central pawns from the analysis of its pawns alone, which is all
  // those parts look at.
  pe.PawnEval04(side);
  const PositionEvaluate pawns = pe;
  add(PawnStructureTerm, 0, pawns.WhiteStatic, 0, 0);
  add(PawnStructureTerm, 1, pawns.BlackStatic, 0, 0);
  ChessBoard whitePawnsOnly = b, blackPawnsOnly = b;
  whitePawnsOnly.BlackPawns = 0;
  blackPawnsOnly.WhitePawns = 0;
  RunTerm(pawns, whitePawnsOnly, [] {
    PE.PawnStructure();
    return 0;
  });
  add(PawnStructureTerm, 0, 0, pe.MgPawnScore, pe.EgPawnScore);
  RunTerm(pawns, blackPawnsOnly, [] {
    PE.PawnStructure();
    return 0;
  });
  add(PawnStructureTerm, 1, 0, -pe.MgPawnScore, -pe.EgPawnScore);

  // Passed pawns: each side's score, which the driver weighs for both
  // phases, and the ending part that the terms of the kings' distance and
  // a free path add, from those terms run for one colour's passers alone.
  auto passerTerms = [&](int colour) {
    PositionEvaluate state = pawns;
    u8& otherCount = colour == 0 ? state.BlackPasserCount : state.WhitePasserCount;
    u8* otherRanks = colour == 0 ? state.BlackPasserRank : state.WhitePasserRank;
    otherCount = 0;
    memset(otherRanks, 0, 8);
    const TermResult r = RunTerm(state, b, [side] {
      PE.PassedPawnTerms(side);
      return 0;
    });
    const int score = colour == 0 ? pawns.WhitePassedScore : pawns.BlackPassedScore;
    const int eg = colour == 0 ? r.Eg : -r.Eg;
    add(PassedPawnTerm, colour, 0, PasserMg * score / 10, PasserEg * score / 10 + eg);
  };
  passerTerms(0);
  passerTerms(1);
  pe = pawns;
  pe.bb = board;

  // King placement; a king that should approach the bare enemy king.
  const int kingPull = pe.KingEval();
  add(KingPlacementTerm, 0, 0, WKingSquare[wk], KingEnding[wk]);
  add(KingPlacementTerm, 1, 0, BKingSquare[bk], KingEnding[bk]);
  if (kingPull < 0) add(KingPlacementTerm, 0, kingPull, 0, 0);
  if (kingPull > 0) add(KingPlacementTerm, 1, -kingPull, 0, 0);
  blend();
  if (beyondMate(LazyMargin1)) {
    StoppedEarly = true;
    finish(s);
    return;
  }

  // Pawn races.
  addBySign(PassedPawnTerm, pe.RuleofSquare(side));

  // A lone bishop and the enemy pawns on its colour.
  if (k[B] == 1) {
    const u64 colour = (b.BlackBishops & LightSquareMask) ? LightSquareMask : DarkSquareMask;
    add(BishopTerm, 1, 0, 0, PawnOnBishopColour * BitCount64(b.WhitePawns & colour));
  }
  if (w[B] == 1) {
    const u64 colour = (b.WhiteBishops & LightSquareMask) ? LightSquareMask : DarkSquareMask;
    add(BishopTerm, 0, 0, 0, PawnOnBishopColour * BitCount64(b.BlackPawns & colour));
  }

  // Trapped pieces: each colour's traps need its own knight, bishop or king
  // on the trap's square, so with the other colour's taken off only its own
  // remain.
  const PositionEvaluate state = pe;
  ChessBoard whiteTraps = b, blackTraps = b;
  whiteTraps.BlackKnights = whiteTraps.BlackBishops = whiteTraps.BlackKing = 0;
  blackTraps.WhiteKnights = blackTraps.WhiteBishops = blackTraps.WhiteKing = 0;
  const int whiteTrapped = RunTerm(state, whiteTraps, [] { return PE.Traps(); }).Plain;
  const int blackTrapped = -RunTerm(state, blackTraps, [] { return PE.Traps(); }).Plain;
  add(TrappedPieceTerm, 0, 0, whiteTrapped, whiteTrapped);
  add(TrappedPieceTerm, 1, 0, blackTrapped, blackTrapped);
  pe = state;
  pe.bb = board;

  // King safety, each king's: its shield, the attack on it, the storm.
  const bool blackCanAttack = pe.BlackNonPawnCount >= 2 && (k[Q] || pe.BlackNonPawnCount >= 4);
  const bool whiteCanAttack = pe.WhiteNonPawnCount >= 2 && (w[Q] || pe.WhiteNonPawnCount >= 4);
  const int wkf = wk & 7, bkf = bk & 7;
  const bool oppositeWings = (wkf <= 3 && bkf >= 5) || (bkf <= 3 && wkf >= 5);
  if (blackCanAttack) add(KingSafetyTerm, 0, 0, -pe.PawnShield(0), 0);
  if (whiteCanAttack) add(KingSafetyTerm, 1, 0, -pe.PawnShield(1), 0);
  if (blackCanAttack) add(KingSafetyTerm, 0, 0, -pe.AttackCounts(0), 0);
  if (whiteCanAttack) {
    add(KingSafetyTerm, 1, 0, -pe.AttackCounts(1), 0);
    add(KingSafetyTerm, 1, 0, -(oppositeWings ? pe.PawnStorm(0) : pe.PawnStorm(0) / 2), 0);
  }
  if (blackCanAttack) add(KingSafetyTerm, 0, 0, -(oppositeWings ? pe.PawnStorm(1) : pe.PawnStorm(1) / 2), 0);

  // Rooks and queens on the seventh.
  if ((b.BlackPawns & Rank7) || (b.BlackKing & Rank8)) {
    const int n = BitCount64(b.WhiteRooks & (Rank7 | Rank8));
    add(SeventhRankTerm, 0, 0, Majorson7[n] >> 1, Majorson7[n]);
    if (b.WhiteQueens & (Rank7 | Rank8)) add(SeventhRankTerm, 0, 0, 0, QueenOnSeventh);
  }
  if ((b.WhitePawns & Rank2) || (b.WhiteKing & Rank1)) {
    const int n = BitCount64(b.BlackRooks & (Rank1 | Rank2));
    add(SeventhRankTerm, 1, 0, Majorson7[n] >> 1, Majorson7[n]);
    if (b.BlackQueens & (Rank1 | Rank2)) add(SeventhRankTerm, 1, 0, 0, QueenOnSeventh);
  }

  // Corrections by material: a lone minor piece (only one side can have
  // one), and each side's doubled pawns, which weigh by its own heavy
  // pieces.
  const int whiteDoubled = pe.WhiteDoubled, blackDoubled = pe.BlackDoubled;
  pe.WhiteDoubled = pe.BlackDoubled = 0;
  const int loneMinor = pe.DynamicPieceAdjustments();
  pe.WhiteDoubled = whiteDoubled;
  add(PawnStructureTerm, 0, pe.DynamicPieceAdjustments() - loneMinor, 0, 0);
  pe.WhiteDoubled = 0;
  pe.BlackDoubled = blackDoubled;
  add(PawnStructureTerm, 1, loneMinor - pe.DynamicPieceAdjustments(), 0, 0);
  pe.WhiteDoubled = whiteDoubled;
  if (loneMinor < 0) add(WinningChancesTerm, 0, loneMinor, 0, 0);
  if (loneMinor > 0) add(WinningChancesTerm, 1, -loneMinor, 0, 0);
  blend();
  if (beyondMate(LazyMargin2)) {
    StoppedEarly = true;
    finish(s);
    return;
  }

  // Advanced central pawn chains, one colour's pawns at a time.
  add(PawnStructureTerm, 0, RunTerm(state, whitePawnsOnly, [] { return PE.PawnPhalanx(); }).Plain, 0, 0);
  add(PawnStructureTerm, 1, -RunTerm(state, blackPawnsOnly, [] { return PE.PawnPhalanx(); }).Plain, 0, 0);
  pe = state;
  pe.bb = board;

  // Blocked centre pawns that shut in their own bishop.
  if ((b.BlackPawns & Squares("d7")) && (b.AllPieces & Squares("d6")))
    add(PawnStructureTerm, 1, -BlockedCentrePawn, 0, 0);
  if ((b.BlackPawns & Squares("e7")) && (b.AllPieces & Squares("e6")) && (b.BlackBishops & Squares("f8")))
    add(PawnStructureTerm, 1, -BlockedCentrePawn, 0, 0);
  if ((b.WhitePawns & Squares("d2")) && (b.AllPieces & Squares("d3")))
    add(PawnStructureTerm, 0, -BlockedCentrePawn, 0, 0);
  if ((b.WhitePawns & Squares("e2")) && (b.AllPieces & Squares("e3")) && (b.WhiteBishops & Squares("f1")))
    add(PawnStructureTerm, 0, -BlockedCentrePawn, 0, 0);

  // Minor pieces and rooks bearing on the centre.
  auto centre = [](u64 attacks) { return BitCount64(attacks & Centre); };
  add(CentreControlTerm, 0, 0,
      CentreAttack * (centre(pe.WhiteKnightAttacks) + centre(pe.WhiteBishopAttacks) + centre(pe.WhiteRookAttacks)), 0);
  add(CentreControlTerm, 1, 0,
      CentreAttack * (centre(pe.BlackKnightAttacks) + centre(pe.BlackBishopAttacks) + centre(pe.BlackRookAttacks)), 0);

  // Undefended men, the king among them.
  add(UndefendedTerm, 0, -UndefendedMan * BitCount64(b.WhitePieces & ~b.WhitePawns & ~pe.WhiteAttacks), 0, 0);
  add(UndefendedTerm, 1, -UndefendedMan * BitCount64(b.BlackPieces & ~b.BlackPawns & ~pe.BlackAttacks), 0, 0);

  // The pieces' own terms, each colour's with the other colour's pieces of
  // that kind taken off the board (their attacks stay in the maps).
  auto pieceTerm = [&](EvalTerm term, u64 ChessBoard::*white, u64 ChessBoard::*black, int (PositionEvaluate::*eval)()) {
    ChessBoard whiteOnly = b, blackOnly = b;
    whiteOnly.*black = 0;
    blackOnly.*white = 0;
    const TermResult mine = RunTerm(state, whiteOnly, [eval] { return (PE.*eval)(); });
    const TermResult theirs = RunTerm(state, blackOnly, [eval] { return (PE.*eval)(); });
    add(term, 0, mine.Plain, mine.Mg, mine.Eg);
    add(term, 1, -theirs.Plain, -theirs.Mg, -theirs.Eg);
  };
  pieceTerm(KnightTerm, &ChessBoard::WhiteKnights, &ChessBoard::BlackKnights, &PositionEvaluate::KnightEval);
  pieceTerm(BishopTerm, &ChessBoard::WhiteBishops, &ChessBoard::BlackBishops, &PositionEvaluate::BishopEval);
  pieceTerm(RookTerm, &ChessBoard::WhiteRooks, &ChessBoard::BlackRooks, &PositionEvaluate::RookEval);
  pieceTerm(QueenTerm, &ChessBoard::WhiteQueens, &ChessBoard::BlackQueens, &PositionEvaluate::QueenEval);
  pe = state;
  pe.bb = board;
  blend();

  // Mating material, as the draw rules last found it.
  if (b.MatingMaterial & 0x01) add(WinningChancesTerm, 0, MatingMaterialBonus, 0, 0);
  if (b.MatingMaterial & 0x20) add(WinningChancesTerm, 1, MatingMaterialBonus, 0, 0);

  // A minor piece against pawns alone rarely wins.
  if (w[P] && !k[P] && w[Q] == k[Q] && w[R] == k[R] && (k[B] + k[N]) - (w[B] + w[N]) == 1)
    add(WinningChancesTerm, 1, -MinorAgainstPawns, 0, 0);
  if (k[P] && !w[P] && w[Q] == k[Q] && w[R] == k[R] && (w[B] + w[N]) - (k[B] + k[N]) == 1)
    add(WinningChancesTerm, 0, -MinorAgainstPawns, 0, 0);

  // Opposite-coloured bishops: three quarters of the way back to plain
  // material.
  const int pawnDiff = w[P] - k[P];
  if (pe.WhiteNonPawnCount == pe.BlackNonPawnCount && pieceBalance == 0 && w[B] == 1 && k[B] == 1 && !w[N] && !k[N] &&
      !w[R] && !k[R] && !w[Q] && !k[Q] && pawnDiff <= 3 && pawnDiff >= -3 &&
      ((b.WhitePawns | b.BlackPawns) & ~(FileA | FileH))) {
    const u64 bishops = b.WhiteBishops | b.BlackBishops;
    if ((bishops & LightSquareMask) && (bishops & DarkSquareMask))
      OppositeBishops = -3 * (s - pe.MaterialOnly(0, b)) / 4;
  }
  s += OppositeBishops;

  // Only a completed evaluation is rounded to tens.
  finish((s / 10) * 10);
}

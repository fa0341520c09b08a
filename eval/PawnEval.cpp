// Pawn structure and passed pawns: the cached structural analysis, the
// passed-pawn terms that depend on kings and pieces, the rule of the square,
// the pawn race and the advanced central chains. King safety's use of the
// pawns is in KingEval.cpp.
#include <cstring>

#include "board/BitOps.h"
#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "eval/EvalAttacks.h"
#include "eval/EvalMasks.h"
#include "eval/PawnHash.h"
#include "eval/PositionEvaluate.h"
#include "eval/SquareTables.h"

using namespace evalmask;

namespace {
// Indexed by file a..h.
constexpr i32 IsolatedPawn[8] = {90, 100, 100, 110, 110, 100, 100, 90};
// Indexed by advance, as Passers.
constexpr i32 ProtectedPassers[8] = {0, 50, 90, 170, 300, 600, 1200, 0};
constexpr i32 ConnectedPassers[8] = {0, 60, 100, 180, 320, 640, 1280, 0};
constexpr i32 KingProximityPasserPenalty[8] = {0, 17, 34, 54, 81, 120, 184, 0};

constexpr SquareTable WPawnSquare = FromPrinted({
    0, 0, 0,   0,   0, 0, 0, 0,  // 8
    0, 0, 0,  60,  60, 0, 0, 0,  // 7
    0, 0, 0,  60,  60, 0, 0, 0,  // 6
    0, 0, 0, 152, 152, 0, 0, 0,  // 5
    0, 0, 0, 187, 187, 0, 0, 0,  // 4
    0, 3, 0, 112, 112, 0, 3, 0,  // 3
    0, 0, 0, -10, -10, 0, 0, 0,  // 2
    0, 0, 0,   0,   0, 0, 0, 0,  // 1
});
constexpr SquareTable BPawnSquare = Mirrored(WPawnSquare);

// Advanced central chains; a pawn on two of them counts twice.
constexpr u64 WhiteChains[4] = {Squares("d7 e6 f5"), Squares("e7 d6 c5"), Squares("d6 e5 f4"), Squares("e6 d5 c4")};
constexpr u64 BlackChains[4] = {Squares("d2 e3 f4"), Squares("e2 d3 c4"), Squares("d3 e4 f5"), Squares("e3 d4 c5")};

// Squares ahead of a pawn on its own and the neighbouring files.
constexpr u64 WhiteFrontSpan(int s) { return (FileMask[s & 7] | AdjacentFiles[s & 7]) & RanksAbove(s >> 3); }
constexpr u64 BlackFrontSpan(int s) { return (FileMask[s & 7] | AdjacentFiles[s & 7]) & RanksBelow(s >> 3); }

// Value of the passer on file f (its rank index in passerRank, its advance
// given): a passer beside another on the file to the left (else the right)
// counts as connected when their ranks differ by at most one; only a lone
// passer can count as protected.
int PasserValue(const u8* passerRank, int f, int advance, bool protectedByPawn) {
  int r = passerRank[f];
  if (f > 0 && passerRank[f - 1]) {
    int d = r - passerRank[f - 1];
    return (d <= 1 && d >= -1) ? ConnectedPassers[advance] : Passers[advance];
  }
  if (f < 7 && passerRank[f + 1]) {
    int d = r - passerRank[f + 1];
    return (d <= 1 && d >= -1) ? ConnectedPassers[advance] : Passers[advance];
  }
  return protectedByPawn ? ProtectedPassers[advance] : Passers[advance];
}
}  // namespace

int PositionEvaluate::PawnEval04(char side) {
  const ChessBoard& b = *bb;

  // The pawn cache. The cached part also depends on the king squares (king zone,
  // rook-pawn cost); the key covers them only through the pawn code, into
  // which MakeMove folds every king move. Adding keys would change when the
  // table hits, and with it the search's node counts.
  PawnCache->Phashattempts++;
  WhitePasserCount = BlackPasserCount = 0;
  WhiteDoubled = BlackDoubled = 0;
  WhiteHalfOpenFiles = BlackHalfOpenFiles = 0;
  if (PawnCache->Contains(b.PawnHashCode, b.WhitePawns | b.BlackPawns)) {
    LoadPawnHash();
  } else {
    PawnStructure();
    StorePawnHash();
    PawnCache->Phashmisses++;
  }

  // The cached structure's middle-game and ending parts.
  MgScore += MgPawnScore;
  EgScore += EgPawnScore;

  // Passed pawns against pieces and kings. Never cached: they depend on pieces, kings and the side to move.
  PassedPawnTerms(side);

  // The phase-independent part.
  return WhiteStatic - BlackStatic;
}

void PositionEvaluate::PawnStructure() {
  const ChessBoard& b = *bb;
  const u64 wp = b.WhitePawns, bp = b.BlackPawns;

  // File masks and an empty summary.
  OpenFiles = 0;
  for (int f = 0; f < 8; f++) {
    if (!(wp & FileMask[f])) WhiteHalfOpenFiles |= FileMask[f];
    if (!(bp & FileMask[f])) BlackHalfOpenFiles |= FileMask[f];
  }
  OpenFiles = WhiteHalfOpenFiles & BlackHalfOpenFiles;
  for (int f = 0; f < 8; f++) WhitePasserRank[f] = BlackPasserRank[f] = 0;
  WhitePassedScore = BlackPassedScore = 0;
  WhiteStatic = BlackStatic = 0;
  MgPawnScore = EgPawnScore = 0;
  u8 doubledFile[2][8] = {};

  const int wk = WhiteKingSquare, bk = BlackKingSquare;
  const int wkFile = wk & 7, bkFile = bk & 7;

  // A king still at home shelters the files around it: their pawns do not
  // get the advanced-pawn bonus.
  u64 whiteKingZone = 0;
  if ((wk >> 3) <= 1) whiteKingZone = (FileMask[wkFile] | AdjacentFiles[wkFile]) & ~RanksBelow(wk >> 3);

  // White pawns, lowest square first.
  for (u64 men = wp; men; men &= men - 1) {
    const int s = SquareIndex(men), f = s & 7, r = s >> 3;
    const u64 file = FileMask[f];
    const bool noEnemyOnFile = !(bp & file);

    WhiteStatic += WPawnSquare[s];
    if (f == 0 && wkFile >= 4) WhiteStatic -= 5;
    if (f == 7 && wkFile <= 3) WhiteStatic -= 5;

    const bool isolated = !(wp & AdjacentFiles[f]);
    if (isolated) {
      MgPawnScore -= IsolatedPawn[f];
      EgPawnScore -= IsolatedPawn[f];
      if (f == 3 || f == 4) WhiteStatic -= 10;
      if (noEnemyOnFile) WhiteStatic -= 50;
    }

    bool backward = false;
    if (f >= 1 && f <= 6 && !isolated && !(wp & AdjacentFiles[f] & ~RanksAbove(r))) {
      backward = true;
      WhiteStatic -= noEnemyOnFile ? 80 : 40;
    }

    const u64 span = WhiteFrontSpan(s);
    if (!(bp & span)) {
      // Passed: the structural penalties above are partly refunded.
      if (isolated) WhiteStatic += 50;
      if (backward) WhiteStatic += 80;
      WhitePasserRank[f] = (u8)r;
      WhitePasserCount++;
    } else {
      // An advanced pawn away from the king's shelter is worth something
      // even when it is not passed.
      if (!(Bit(s) & whiteKingZone)) WhiteStatic += Passers[r] >> 2;
      if (noEnemyOnFile && !isolated) {
        int enemies = BitCount64(bp & span);
        int own = BitCount64(wp & (file | AdjacentFiles[f])) - BitCount64(wp & file & RanksBelow(r));
        if (enemies < own) WhitePassedScore += Passers[r] / 3;
      }
    }

    if (wp & file & RanksAbove(r)) {
      WhiteDoubled++;
      doubledFile[0][f] = 1;
      if (noEnemyOnFile) WhiteStatic -= 50;
    }
  }

  // White pawns in the centre; no pawn at all costs something.
  MgPawnScore += 60 * BitCount64(wp & Centre);
  if (!wp) WhiteStatic -= 30;

  // White passers, file a to h.
  for (int f = 0; f < 8; f++) {
    const int r = WhitePasserRank[f];
    if (!r) continue;
    const int s = 8 * r + f;
    const bool supported = (f > 0 && (wp & Bit(s - 9))) || (f < 7 && (wp & Bit(s - 7)));
    int value = PasserValue(WhitePasserRank, f, r, supported);
    if (doubledFile[0][f]) value = value * 15 >> 4;
    WhitePassedScore += value;
  }

  // Black, mirrored.
  u64 blackKingZone = 0;
  if ((bk >> 3) >= 6) blackKingZone = (FileMask[bkFile] | AdjacentFiles[bkFile]) & ~RanksAbove(bk >> 3);

  for (u64 men = bp; men; men &= men - 1) {
    const int s = SquareIndex(men), f = s & 7, r = s >> 3, advance = 7 - r;
    const u64 file = FileMask[f];
    const bool noEnemyOnFile = !(wp & file);

    BlackStatic += BPawnSquare[s];
    if (f == 0 && bkFile >= 4) BlackStatic -= 5;
    if (f == 7 && bkFile <= 3) BlackStatic -= 5;

    const bool isolated = !(bp & AdjacentFiles[f]);
    if (isolated) {
      MgPawnScore += IsolatedPawn[f];
      EgPawnScore += IsolatedPawn[f];
      if (f == 3 || f == 4) BlackStatic -= 10;
      if (noEnemyOnFile) BlackStatic -= 50;
    }

    bool backward = false;
    if (f >= 1 && f <= 6 && !isolated && !(bp & AdjacentFiles[f] & ~RanksBelow(r))) {
      backward = true;
      BlackStatic -= noEnemyOnFile ? 80 : 40;
    }

    const u64 span = BlackFrontSpan(s);
    if (!(wp & span)) {
      if (isolated) BlackStatic += 50;
      if (backward) BlackStatic += 80;
      // The lowest Black passer of a file is met first and is the most
      // advanced one; later ones do not overwrite it.
      if (!BlackPasserRank[f]) BlackPasserRank[f] = (u8)r;
      BlackPasserCount++;
    } else {
      if (!(Bit(s) & blackKingZone)) BlackStatic += Passers[advance] >> 2;
      if (noEnemyOnFile && !isolated) {
        int enemies = BitCount64(wp & span);
        int own = BitCount64(bp & (file | AdjacentFiles[f])) - BitCount64(bp & file & RanksAbove(r));
        if (enemies < own) BlackPassedScore += Passers[advance] / 3;
      }
    }

    if (bp & file & RanksAbove(r)) {
      BlackDoubled++;
      doubledFile[1][f] = 1;
      if (noEnemyOnFile) BlackStatic -= 50;
    }
  }

  MgPawnScore -= 60 * BitCount64(bp & Centre);
  if (!bp) BlackStatic -= 30;

  for (int f = 0; f < 8; f++) {
    const int r = BlackPasserRank[f];
    if (!r) continue;
    const int s = 8 * r + f;
    const bool supported = (f > 0 && (bp & Bit(s + 7))) || (f < 7 && (bp & Bit(s + 9)));
    int value = PasserValue(BlackPasserRank, f, 7 - r, supported);
    if (doubledFile[1][f]) value = value * 15 >> 4;
    BlackPassedScore += value;
  }
}

void PositionEvaluate::StorePawnHash() {
  const ChessBoard& b = *bb;
  PawnHashEntry& e = PawnCache->SlotToWrite(b.PawnHashCode);
  e.Code = b.PawnHashCode;
  e.Pawns = b.WhitePawns | b.BlackPawns;
  e.WhiteDoubled = WhiteDoubled;
  e.BlackDoubled = BlackDoubled;
  e.MgPawnScore = MgPawnScore;
  e.OpenFiles = OpenFiles;
  e.BlackStatic = BlackStatic;
  e.WhiteStatic = WhiteStatic;
  e.BlackPassed = BlackPassedScore;
  e.WhitePassed = WhitePassedScore;
  memcpy(e.WhitePasserRank, WhitePasserRank, sizeof WhitePasserRank);
  memcpy(e.BlackPasserRank, BlackPasserRank, sizeof BlackPasserRank);
  e.BlackPasserCount = BlackPasserCount;
  e.WhitePasserCount = WhitePasserCount;
  e.EgPawnScore = EgPawnScore;
  e.BlackHalfOpenFiles = BlackHalfOpenFiles;
  e.WhiteHalfOpenFiles = WhiteHalfOpenFiles;
}

void PositionEvaluate::LoadPawnHash() {
  const PawnHashEntry& e = PawnCache->Slot(bb->PawnHashCode);
  WhiteDoubled = e.WhiteDoubled;
  BlackDoubled = e.BlackDoubled;
  MgPawnScore = e.MgPawnScore;
  OpenFiles = e.OpenFiles;
  BlackStatic = e.BlackStatic;
  WhiteStatic = e.WhiteStatic;
  BlackPassedScore = e.BlackPassed;
  WhitePassedScore = e.WhitePassed;
  memcpy(WhitePasserRank, e.WhitePasserRank, sizeof WhitePasserRank);
  memcpy(BlackPasserRank, e.BlackPasserRank, sizeof BlackPasserRank);
  BlackPasserCount = e.BlackPasserCount;
  WhitePasserCount = e.WhitePasserCount;
  EgPawnScore = e.EgPawnScore;
  BlackHalfOpenFiles = e.BlackHalfOpenFiles;
  WhiteHalfOpenFiles = e.WhiteHalfOpenFiles;
}

void PositionEvaluate::PassedPawnTerms(char side) {
  const ChessBoard& b = *bb;
  const int wk = WhiteKingSquare, bk = BlackKingSquare;

  // White passers (a count of 0 means no file holds one).
  const u64 whiteMinors = WhiteKnightAttacks | WhiteBishopAttacks;
  for (int f = 0; f < 8 && WhitePasserCount; f++) {
    const int r = WhitePasserRank[f];
    if (!r) continue;
    const int s = 8 * r + f;
    if (DoesPawnPromote(0, r, 56 + f, side)) WhitePassedScore += 150;

    const int k = KingProximityPasserPenalty[r];
    EgScore += (k * (7 - Distance(wk, s))) / 2 - k * (7 - Distance(bk, s));

    if (whiteMinors & Bit(s)) WhitePassedScore += Passers[r] >> 5;
    if (whiteMinors & Bit(s + 8)) WhitePassedScore += Passers[r] >> 5;
    if (r <= 5 && (whiteMinors & Bit(s + 16))) WhitePassedScore += Passers[r] >> 6;

    if (r == 6 && !(b.AllPieces & Bit(s + 8)) && !(BlackAttacks & (Bit(s) | Bit(s + 8))))
      EgScore += Passers[6];
    if (r == 5 && !(b.AllPieces & (Bit(s + 8) | Bit(s + 16))) &&
        !(BlackAttacks & (Bit(s) | Bit(s + 8) | Bit(s + 16))))
      EgScore += Passers[5];
  }

  // Black passers.
  const u64 blackMinors = BlackKnightAttacks | BlackBishopAttacks;
  for (int f = 0; f < 8 && BlackPasserCount; f++) {
    const int r = BlackPasserRank[f];
    if (!r) continue;
    const int s = 8 * r + f, advance = 7 - r;
    if (DoesPawnPromote(1, r, f, side)) BlackPassedScore += 150;

    const int k = KingProximityPasserPenalty[advance];
    EgScore += k * (7 - Distance(wk, s)) - (k * (7 - Distance(bk, s))) / 2;

    if (blackMinors & Bit(s)) BlackPassedScore += Passers[advance] >> 5;
    if (blackMinors & Bit(s - 8)) BlackPassedScore += Passers[advance] >> 5;
    if (r >= 2 && (blackMinors & Bit(s - 16))) BlackPassedScore += Passers[advance] >> 6;

    if (r == 1 && !(b.AllPieces & Bit(s - 8)) && !(WhiteAttacks & (Bit(s) | Bit(s - 8))))
      EgScore -= Passers[6];
    if (r == 2 && !(b.AllPieces & (Bit(s - 8) | Bit(s - 16))) &&
        !(WhiteAttacks & (Bit(s) | Bit(s - 8) | Bit(s - 16))))
      EgScore -= Passers[5];
  }
}

// Rule of the square for one pawn, pieces not considered. A pawn on its
// starting rank needs one move less thanks to the double step.
bool PositionEvaluate::DoesPawnPromote(char pawnSide, int rank, int promotionSquare, char side) const {
  int moves = pawnSide == 0 ? 7 - rank : rank;
  if (moves == 6) moves = 5;
  int defender = pawnSide == 0 ? BlackKingSquare : WhiteKingSquare;
  int d = Distance(defender, promotionSquare);
  return d > moves + 1 || (pawnSide == side && d > moves);
}

bool PositionEvaluate::QueenAttacks(int square, u64 target) const {
  return (evalattack::QueenAttacks(square, bb->AllPieces) & target) != 0;
}

int PositionEvaluate::RuleofSquare(char side) {
  if (WhiteNonPawnCount != 0 || BlackNonPawnCount != 0) return 0;
  constexpr int Win = 5700;
  const ChessBoard& b = *bb;

  // The nearest unstoppable passer of each side; the first file wins ties.
  int wDist = 10, wQ = 0, bDist = 10, bQ = 0;
  for (int f = 0; f < 8; f++) {
    int r = WhitePasserRank[f];
    if (r && DoesPawnPromote(0, r, 56 + f, side) && 7 - r < wDist) {
      wDist = 7 - r;
      wQ = 56 + f;
    }
    r = BlackPasserRank[f];
    if (r && DoesPawnPromote(1, r, f, side) && r < bDist) {
      bDist = r;
      bQ = f;
    }
  }

  // One side alone has such a passer, or queens first.
  if (wDist == 10 && bDist == 10) return 0;
  if (wDist == 10) return -Win;
  if (bDist == 10) return Win;
  if (wDist < bDist) return Win;
  if (wDist > bDist) return -Win;

  // Both queen on the same move: the side that queens first wins when its
  // new queen checks, or attacks the other queening square out of reach of
  // the other king, unless the reply queen checks and hits it back.
  const int wk = WhiteKingSquare, bk = BlackKingSquare;
  if (side == 0) {
    if (QueenAttacks(wQ, b.BlackKing)) return Distance(bk, bQ) > 2 ? Win : 0;
    int v = (QueenAttacks(wQ, Bit(bQ)) && Distance(bk, bQ) > 2) ? Win : 0;
    if (QueenAttacks(bQ, b.WhiteKing) && QueenAttacks(bQ, Bit(wQ))) return Distance(wk, wQ) > 2 ? -Win : 0;
    return v;
  }
  if (QueenAttacks(bQ, b.WhiteKing)) return Distance(wk, wQ) > 2 ? -Win : 0;
  int v = (QueenAttacks(bQ, Bit(wQ)) && Distance(wk, wQ) > 2) ? -Win : 0;
  if (QueenAttacks(wQ, b.BlackKing) && QueenAttacks(wQ, Bit(bQ))) return Distance(bk, bQ) > 2 ? Win : 0;
  return v;
}

int PositionEvaluate::PawnPhalanx() {
  int v = 0;
  for (u64 chain : WhiteChains) v += 20 * BitCount64(bb->WhitePawns & chain);
  for (u64 chain : BlackChains) v -= 20 * BitCount64(bb->BlackPawns & chain);
  return v;
}

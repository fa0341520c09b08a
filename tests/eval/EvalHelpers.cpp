#include "eval/EvalHelpers.h"

#include "board/HashCodes.h"
#include "eval/PawnHash.h"
#include "eval/PositionEvaluate.h"
#include "support/EngineSetup.h"

int EvaluateFresh(const char* fen, Mating mating) {
  ChessBoard& b = LoadFen(fen);
  PE.PawnCache->Clear();
  if (mating == Mating::AsCheckDraw) b.CheckDraw(b.SideToMove);
  else b.MatingMaterial = 0;
  return PE.PosEval(b.SideToMove, -MateScore, MateScore, &b);
}

namespace {
u64 Flip(u64 x) { return __builtin_bswap64(x); }
}  // namespace

ChessBoard MirrorBoard(const ChessBoard& b) {
  ChessBoard m = b;
  m.WhitePawns = Flip(b.BlackPawns);
  m.WhiteKnights = Flip(b.BlackKnights);
  m.WhiteBishops = Flip(b.BlackBishops);
  m.WhiteRooks = Flip(b.BlackRooks);
  m.WhiteQueens = Flip(b.BlackQueens);
  m.WhiteKing = Flip(b.BlackKing);
  m.BlackPawns = Flip(b.WhitePawns);
  m.BlackKnights = Flip(b.WhiteKnights);
  m.BlackBishops = Flip(b.WhiteBishops);
  m.BlackRooks = Flip(b.WhiteRooks);
  m.BlackQueens = Flip(b.WhiteQueens);
  m.BlackKing = Flip(b.WhiteKing);
  m.WhitePieces = Flip(b.BlackPieces);
  m.BlackPieces = Flip(b.WhitePieces);
  m.AllPieces = Flip(b.AllPieces);
  for (int i = 0; i < 5; i++) {
    m.WhiteCounts[i] = b.BlackCounts[i];
    m.BlackCounts[i] = b.WhiteCounts[i];
  }
  m.WhitePieceCount = b.BlackPieceCount;
  m.BlackPieceCount = b.WhitePieceCount;
  m.SideToMove = b.SideToMove ^ 1;
  m.CastleFlags = (char)(((b.CastleFlags & 3) << 2) | ((b.CastleFlags >> 2) & 3));
  m.MatingMaterial = (char)(((b.MatingMaterial & 0x01) << 5) | ((b.MatingMaterial & 0x20) >> 5));
  m.LastFrom = Flip(b.LastFrom);
  m.LastTo = Flip(b.LastTo);
  SetPawnCodeWithKings(m);
  return m;
}

void SetPawnCodeWithKings(ChessBoard& b) {
  unsigned long code = 0;
  genpawnhashcode(0, &b, &code);
  u32 c = (u32)code;
  if (b.WhiteKing) c ^= PawnCodeEntry(WKingKind, __builtin_ctzll(b.WhiteKing));
  if (b.BlackKing) c ^= PawnCodeEntry(BKingKind, __builtin_ctzll(b.BlackKing));
  b.PawnHashCode = c;
}

ChessBoard& PrepareTerms(const char* fen) {
  ChessBoard& b = LoadFen(fen);
  PE.PawnCache->Clear();
  b.MatingMaterial = 0;
  PE.PosEval(b.SideToMove, -MateScore, MateScore, &b);
  PE.MgScore = PE.EgScore = 0;
  return b;
}

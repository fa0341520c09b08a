#include "movegen/MoveGen.h"

#include <cstdio>

#include "board/BitOps.h"
#include "board/BoardMasks.h"
#include "board/ChessBoard.h"

namespace {
constexpr int CastleValue = 800;
}  // namespace

// A list never holds more than its capacity: positions made up in a FEN text
// can exceed any real game's move count, and the surplus is dropped.
int MoveGen::AddMove(u64 f, u64 t, char p, int n) {
  if (n >= Capacity) return n;
  from[n] = f;
  to[n] = t;
  promote[n] = p;
  return n + 1;
}

// Each man is one square, so its attack set is the board's table lookup.
template <MoveGen::Slider kind>
int MoveGen::AddTargetsOf(u64 men, u64 allowed, int n) {
  const u64 occupied = board->AllPieces;
  for (; men; men &= men - 1) {
    const int sq = SquareIndex(men);
    const u64 man = LowestBit(men);
    u64 attacks;
    switch (kind) {
      case Knight: attacks = KnightSquares[sq]; break;
      case Bishop: attacks = BishopLookup(sq, occupied); break;
      case Rook: attacks = RookLookup(sq, occupied); break;
      case Queen: attacks = QueenLookup(sq, occupied); break;
      case King: attacks = KingSquares[sq]; break;
    }
    for (u64 targets = attacks & allowed; targets; targets &= targets - 1)
      n = AddMove(man, LowestBit(targets), NoPromotion, n);
  }
  return n;
}

int MoveGen::AddTargets(Slider kind, u64 men, u64 allowed, int n) {
  switch (kind) {
    case Knight: return AddTargetsOf<Knight>(men, allowed, n);
    case Bishop: return AddTargetsOf<Bishop>(men, allowed, n);
    case Rook: return AddTargetsOf<Rook>(men, allowed, n);
    case Queen: return AddTargetsOf<Queen>(men, allowed, n);
    case King: return AddTargetsOf<King>(men, allowed, n);
  }
  return n;
}

bool MoveGen::KingPresent(char side) const {
  if (board->SideKing(side) == 0) {
    printf("Major Error: There is No king of a given color\n");
    return false;
  }
  return true;
}

int MoveGen::GenerateAllMoves(char side, ChessBoard* b, char castleRights) {
  board = b;
  int n = 0;
  n = GenKnightCaptures(side, n);
  n = GenBishopCaptures(side, n);
  n = GenRookCaptures(side, n);
  n = GenQueenCaptures(side, n);
  n = GenKingCaptures(side, n);
  n = GenKnights(side, n);
  n = GenBishops(side, n);
  n = GenRooks(side, n);
  n = GenQueens(side, n);
  n = GenCastle(side, n, castleRights);
  n = GenKings(side, n);
  n = GenPawns(side, n);
  count = n;
  return n;
}

int MoveGen::GenerateQuiesceMoves(char side, ChessBoard* b, char) {
  board = b;
  int n = 0;
  n = GenQueenCaptures(side, n);
  n = GenRookCaptures(side, n);
  n = GenKnightCaptures(side, n);
  n = GenBishopCaptures(side, n);
  n = GenPawns(side, n);
  n = GenKingCaptures(side, n);
  return n;
}

void MoveGen::GetMove(int i, int, u64* fromOut, u64* toOut, char* promoteOut) const {
  *fromOut = from[i];
  *toOut = to[i];
  *promoteOut = promote[i];
}

// The side's own board of a kind, and the enemy's men.
#define OWN(kind) (side ? board->Black##kind : board->White##kind)
#define ENEMY_MEN (side ? board->WhitePieces : board->BlackPieces)

int MoveGen::GenKnights(char side, int n) { return AddTargets(Knight, OWN(Knights), ~board->AllPieces, n); }
int MoveGen::GenBishops(char side, int n) { return AddTargets(Bishop, OWN(Bishops), ~board->AllPieces, n); }
int MoveGen::GenRooks(char side, int n) { return AddTargets(Rook, OWN(Rooks), ~board->AllPieces, n); }
int MoveGen::GenQueens(char side, int n) { return AddTargets(Queen, OWN(Queens), ~board->AllPieces, n); }
int MoveGen::GenKnightCaptures(char side, int n) { return AddTargets(Knight, OWN(Knights), ENEMY_MEN, n); }
int MoveGen::GenBishopCaptures(char side, int n) { return AddTargets(Bishop, OWN(Bishops), ENEMY_MEN, n); }
int MoveGen::GenRookCaptures(char side, int n) { return AddTargets(Rook, OWN(Rooks), ENEMY_MEN, n); }
int MoveGen::GenQueenCaptures(char side, int n) { return AddTargets(Queen, OWN(Queens), ENEMY_MEN, n); }

// Every king is generated for, with a complaint after each king but the last.
int MoveGen::GenKings(char side, int n) {
  if (!KingPresent(side)) return n;
  for (u64 kings = OWN(King); kings; kings &= kings - 1) {
    n = AddTargets(King, LowestBit(kings), ~board->AllPieces, n);
    if (kings & (kings - 1)) printf("Major Error: There is more than one king of a given color\n");
  }
  return n;
}

int MoveGen::GenKingCaptures(char side, int n) {
  if (!KingPresent(side)) return n;
  for (u64 kings = OWN(King); kings; kings &= kings - 1) {
    n = AddTargets(King, LowestBit(kings), ENEMY_MEN, n);
    if (kings & (kings - 1)) printf("Major Error: There is more than one king of a given color\n");
  }
  return n;
}

// Standard chess, the king on e1 (e8) and the rooks in the corners: the
// squares fixed, the king's move two files (the rook stays in the corner
// and so shields nothing from the king's squares). Chess960 and rights read
// by file are GenCastleAnywhere's.
int MoveGen::GenCastle(char side, int n, char castleRights) {
  if (!(castleRights & (side ? BlackKingSide | BlackQueenSide : WhiteKingSide | WhiteQueenSide))) return n;
  if (Chess960 || !board->StandardCastleFiles()) return GenCastleAnywhere(side, n, castleRights);
  const ChessBoard& b = *board;
  // The right, the squares that must be empty, the rook's square, the
  // squares that must not be attacked, and the king's move.
  struct CastleRule {
    int right;
    u64 empty;
    u64 rook;
    u64 safe;
    u64 kingFrom;
    u64 kingTo;
  };
  static constexpr CastleRule rules[2][2] = {
      {{WhiteKingSide, Squares("f1 g1"), Squares("h1"), Squares("e1 f1 g1"), Squares("e1"), Squares("g1")},
       {WhiteQueenSide, Squares("b1 c1 d1"), Squares("a1"), Squares("e1 d1 c1"), Squares("e1"), Squares("c1")}},
      {{BlackKingSide, Squares("f8 g8"), Squares("h8"), Squares("e8 f8 g8"), Squares("e8"), Squares("g8")},
       {BlackQueenSide, Squares("b8 c8 d8"), Squares("a8"), Squares("e8 d8 c8"), Squares("e8"), Squares("c8")}}};
  for (const CastleRule& rule : rules[side ? 1 : 0]) {
    if (!(castleRights & rule.right)) continue;
    if (b.AllPieces & rule.empty) continue;
    if (!(OWN(Rooks) & rule.rook)) continue;
    if (!(OWN(King) & rule.kingFrom)) continue;
    bool attacked = false;
    for (u64 safe = rule.safe; safe; safe &= safe - 1)
      if (b.IsAttacked(LowestBit(safe), side)) attacked = true;
    if (attacked) continue;
    if (n < Capacity) value[n] = CastleValue;
    n = AddMove(rule.kingFrom, rule.kingTo, NoPromotion, n);
  }
  return n;
}

namespace {
// The squares of the first rank from one file to another, both included.
u64 RankSpan(int back, int fileA, int fileB) {
  const int low = fileA < fileB ? fileA : fileB, high = fileA < fileB ? fileB : fileA;
  return ((2ULL << high) - (1ULL << low)) << back;
}
}  // namespace

// King side first. The king goes to the g- or c-file and the rook beside it
// to the f- or d-file: every square either passes or reaches must be empty
// but for the two of them, and no square the king stands on, passes or
// reaches attacked, the rook taken off the board for that test (in Chess960
// it may be what shields the king's last square from a rook or queen).
int MoveGen::GenCastleAnywhere(char side, int n, char castleRights) {
  const ChessBoard& b = *board;
  const u64 king = OWN(King);
  const int back = side ? 56 : 0;
  // Rights kept along a game imply the king is at home, but a board set up
  // by hand may claim rights for a king elsewhere: no castling from another
  // square.
  const int kingFile = b.CastleKingFile(side);
  if (king != SquareMask(back + kingFile)) return n;
  for (int wing = 0; wing < 2; wing++) {
    const int index = (side ? 2 : 0) + wing;
    if (!(castleRights & (1 << index))) continue;
    const u64 rook = b.CastleRookSquare(index);
    if (!(OWN(Rooks) & rook)) continue;
    const int rookFile = b.CastleRookFile(index);
    if ((wing == 0) != (rookFile > kingFile)) continue;
    const int kingTo = wing == 0 ? 6 : 2, rookTo = wing == 0 ? 5 : 3;
    const u64 kingPath = RankSpan(back, kingFile, kingTo);
    if ((kingPath | RankSpan(back, rookFile, rookTo)) & b.AllPieces & ~(king | rook)) continue;
    const u64 occupied = b.AllPieces & ~rook;
    bool attacked = false;
    for (u64 path = kingPath; path && !attacked; path &= path - 1)
      attacked = b.AttackedWith(SquareIndex(path), side, occupied);
    if (attacked) continue;
    if (n < Capacity) value[n] = CastleValue;
    n = AddMove(king, b.CastleTarget(index), NoPromotion, n);
  }
  return n;
}

// En passant for `pawns` (each standing beside the pawn that just made a
// double step): west-standing pawn first, then east-standing.
int MoveGen::AddEnPassant(char side, u64 pawns, int n) {
  const ChessBoard& b = *board;
  u64 lastTo = b.LastTo;
  if (side == 0) {
    if (!((b.LastFrom & Rank7) && (lastTo & Rank5) && (b.BlackPawns & lastTo))) return n;
    u64 target = lastTo << 8;
    if (!(b.LastFrom & FileA) && (pawns & Rank5 & (lastTo >> 1))) n = AddMove(lastTo >> 1, target, NoPromotion, n);
    if (!(b.LastFrom & FileH) && (pawns & Rank5 & (lastTo << 1))) n = AddMove(lastTo << 1, target, NoPromotion, n);
  } else {
    if (!((b.LastFrom & Rank2) && (lastTo & Rank4) && (b.WhitePawns & lastTo))) return n;
    u64 target = lastTo >> 8;
    if (!(b.LastFrom & FileA) && (pawns & Rank4 & (lastTo >> 1))) n = AddMove(lastTo >> 1, target, NoPromotion, n);
    if (!(b.LastFrom & FileH) && (pawns & Rank4 & (lastTo << 1))) n = AddMove(lastTo << 1, target, NoPromotion, n);
  }
  return n;
}

// The targets are worked out for all pawns at once; the moves are then
// appended pawn by pawn, lowest first, each pawn's in the order double
// step, single step, the two captures, en passant. Pawns with no move are
// skipped.
int MoveGen::GenPawns(char side, int n) {
  const ChessBoard& b = *board;
  const u64 empty = ~b.AllPieces;
  const u64 enemy = ENEMY_MEN;
  const u64 pawns = OWN(Pawns);
  // Only a pawn beside the last move's square can take en passant.
  const u64 besideLast = pawns & ((b.LastTo >> 1) | (b.LastTo << 1));
  if (side == 0) {
    const u64 single = (pawns << 8) & empty;
    const u64 twice = ((single & Rank3) << 8) & empty;
    const u64 west = ((pawns & ~FileA) << 7) & enemy;
    const u64 east = ((pawns & ~FileH) << 9) & enemy;
    for (u64 movers = (single >> 8) | (west >> 7) | (east >> 9) | besideLast; movers; movers &= movers - 1) {
      const u64 pawn = LowestBit(movers);
      const char promo = (pawn & Rank7) ? 'Q' : NoPromotion;
      if (twice & (pawn << 16)) n = AddMove(pawn, pawn << 16, NoPromotion, n);
      if (single & (pawn << 8)) n = AddMove(pawn, pawn << 8, promo, n);
      if (west & (pawn << 7)) n = AddMove(pawn, pawn << 7, promo, n);
      if (east & (pawn << 9)) n = AddMove(pawn, pawn << 9, promo, n);
      if (pawn & besideLast) n = AddEnPassant(side, pawn, n);
    }
  } else {
    const u64 single = (pawns >> 8) & empty;
    const u64 twice = ((single & Rank6) >> 8) & empty;
    const u64 east = ((pawns & ~FileH) >> 7) & enemy;
    const u64 west = ((pawns & ~FileA) >> 9) & enemy;
    for (u64 movers = (single << 8) | (east << 7) | (west << 9) | besideLast; movers; movers &= movers - 1) {
      const u64 pawn = LowestBit(movers);
      const char promo = (pawn & Rank2) ? 'q' : NoPromotion;
      if (twice & (pawn >> 16)) n = AddMove(pawn, pawn >> 16, NoPromotion, n);
      if (single & (pawn >> 8)) n = AddMove(pawn, pawn >> 8, promo, n);
      if (east & (pawn >> 7)) n = AddMove(pawn, pawn >> 7, promo, n);
      if (west & (pawn >> 9)) n = AddMove(pawn, pawn >> 9, promo, n);
      if (pawn & besideLast) n = AddEnPassant(side, pawn, n);
    }
  }
  return n;
}

int MoveGen::GenEnPassant(char side, int n) {
  const u64 besideLast = (board->LastTo >> 1) | (board->LastTo << 1);
  return AddEnPassant(side, OWN(Pawns) & besideLast, n);
}

#undef OWN
#undef ENEMY_MEN

void MoveGen::NextMove(int i, int count, u64* fromOut, u64* toOut, char* promoteOut) {
  // The best value so far stays in a register: the scan then waits on no
  // load from one step to the next.
  int best = i;
  i32 bestValue = value[i];
  for (int j = i + 1; j < count; j++) {
    const i32 v = value[j];
    if (v > bestValue) {
      bestValue = v;
      best = j;
    }
  }
  if (best != i) {
    u64 f = from[i], t = to[i];
    char p = promote[i];
    i32 v = value[i];
    from[i] = from[best], to[i] = to[best], promote[i] = promote[best], value[i] = value[best];
    from[best] = f, to[best] = t, promote[best] = p, value[best] = v;
  }
  *fromOut = from[i];
  *toOut = to[i];
  *promoteOut = promote[i];
}

#include "board/HashCodes.h"

#include "board/BitOps.h"
#include "board/ChessBoard.h"

u64 UPStable[12][64];
u64 LPStable[12][64];
u64 CastleCode[16];
u64 WtoMove, BtoMove;

namespace {
constexpr u32 Seed[55] = {
    0x5414D5F4, 0xB3935330, 0xD0773E27, 0xAC62A182, 0x5DB20C92, 0xC1E618AC, 0xD003926A, 0x171FA3B3,
    0x9AD12101, 0x762172C1, 0xBC5D9DC3, 0x07B72A70, 0x6E5AC890, 0xF7BE54D1, 0x0D6332FA, 0x56BA8FBE,
    0xEBA585EC, 0x571421C5, 0x96B3C079, 0x12EB9B92, 0xC07C0978, 0x0700C5BD, 0x31A43513, 0x74EBA4AA,
    0x4EC55DB5, 0x2C91C2E9, 0x208771F6, 0x304EE204, 0x1E004673, 0xF3AC22F9, 0xA8561FEB, 0xDED13435,
    0xD03E7513, 0xDAE66BC2, 0x01C20BE1, 0x46638997, 0xFB26CE62, 0x01F87FC3, 0xC0016099, 0x44429270,
    0xB04F4481, 0xF31B8AD7, 0x86DD7A46, 0x03E72091, 0x96A22589, 0x74DCB7D4, 0x12D0FC03, 0x474A16E8,
    0x2FF5717C, 0x54BDED92, 0x783A9487, 0xE767978C, 0x3052D5CD, 0x16ECA191, 0x8EAF6D15};

u32 y[55];
int j, k;
bool firstCall = true;

u64 Random64() {
  u64 high = BetterRandom32();
  return (high << 32) | BetterRandom32();
}
}  // namespace

// Additive lagged-Fibonacci generator, lags 24 and 55.
u32 BetterRandom32() {
  if (firstCall) {
    for (int i = 0; i < 55; i++) y[i] = Seed[i];
    j = 23;
    k = 54;
    firstCall = false;
  }
  u32 r = y[k] + y[j];
  y[k] = r;
  if (--j < 0) j = 54;
  if (--k < 0) k = 54;
  return r;
}

// The tables are drawn from the generator's first numbers every time, so
// that a second start-up (tests, fuzz targets) gives the same codes.
void initPStable() {
  firstCall = true;
  for (int kind = 0; kind < 12; kind++) {
    for (int sq = 0; sq < 64; sq++) {
      UPStable[kind][sq] = Random64();
      LPStable[kind][sq] = Random64();
    }
  }
  for (int i = 0; i < 16; i++) CastleCode[i] = Random64();
  BtoMove = Random64();
  WtoMove = Random64();
}

void genhashcode(char side, char castleRights, u64* code1, u64* code2, const ChessBoard* board) {
  const u64 boards[12] = {board->WhitePawns, board->WhiteKnights, board->WhiteBishops,
                          board->WhiteRooks, board->WhiteQueens,  board->WhiteKing,
                          board->BlackPawns, board->BlackKnights, board->BlackBishops,
                          board->BlackRooks, board->BlackQueens,  board->BlackKing};
  u64 c1 = 0, c2 = 0;
  for (int kind = 0; kind < 12; kind++) {
    for (u64 men = boards[kind]; men; men &= men - 1) {
      int sq = SquareOf(men);
      c1 ^= UPStable[kind][sq];
      c2 ^= LPStable[kind][sq];
    }
  }
  u64 sideCode = side == 1 ? BtoMove : WtoMove;
  c1 ^= sideCode ^ CastleCode[castleRights & AllCastleRights];
  c2 ^= sideCode ^ CastleCode[castleRights & AllCastleRights];
  *code1 = c1;
  *code2 = c2;
}

void genpawnhashcode(char, const ChessBoard* board, unsigned long* code) {
  u64 c = 0;
  for (u64 men = board->WhitePawns; men; men &= men - 1) c ^= LPStable[WPawn][SquareOf(men)];
  for (u64 men = board->BlackPawns; men; men &= men - 1) c ^= LPStable[BPawn][SquareOf(men)];
  *code = (u32)c;
}

void UpdateHashCodes(char side, char castleRights, char newSide, char newRights, u64* code1, u64* code2,
                     const ChessBoard* board) {
  // The undo record keeps the boards in the board's order (pawns, bishops,
  // knights, ...); the tables number the kinds pawn, knight, bishop, ...
  const u64 now[12] = {board->WhitePawns, board->WhiteBishops, board->WhiteKnights, board->WhiteRooks,
                       board->WhiteQueens, board->WhiteKing,   board->BlackPawns,   board->BlackBishops,
                       board->BlackKnights, board->BlackRooks, board->BlackQueens,  board->BlackKing};
  constexpr int Kind[12] = {WPawn, WBishop, WKnight, WRook, WQueen, WKingKind,
                            BPawn, BBishop, BKnight, BRook, BQueen, BKingKind};
  u64 c1 = *code1, c2 = *code2;
  for (int i = 0; i < 12; i++) {
    for (u64 changed = now[i] ^ board->SavedPieceBoards[i]; changed; changed &= changed - 1) {
      const int sq = SquareOf(changed);
      c1 ^= UPStable[Kind[i]][sq];
      c2 ^= LPStable[Kind[i]][sq];
    }
  }
  const u64 sideAndRights = (side == 1 ? BtoMove : WtoMove) ^ (newSide == 1 ? BtoMove : WtoMove) ^
                            CastleCode[castleRights & AllCastleRights] ^ CastleCode[newRights & AllCastleRights];
  *code1 = c1 ^ sideAndRights;
  *code2 = c2 ^ sideAndRights;
}

namespace {
// The kind of the side's man on the square, numbered as White's (WPawn to
// WKingKind); -1 for none.
int KindOn(const ChessBoard& b, char side, u64 square) {
  if (!(b.SidePieces(side) & square)) return -1;
  if ((side ? b.BlackPawns : b.WhitePawns) & square) return WPawn;
  if ((side ? b.BlackKnights : b.WhiteKnights) & square) return WKnight;
  if ((side ? b.BlackBishops : b.WhiteBishops) & square) return WBishop;
  if ((side ? b.BlackRooks : b.WhiteRooks) & square) return WRook;
  if ((side ? b.BlackQueens : b.WhiteQueens) & square) return WQueen;
  return WKingKind;
}

// The kind a pawn reaching the last rank becomes, as MakeMove reads the
// letter; the pawn stays one without a letter.
int PromotedKind(char promote) {
  switch (promote) {
    case 'Q': case 'q': return WQueen;
    case 'R': case 'r': return WRook;
    case 'B': case 'b': return WBishop;
    case 'N': case 'n': return WKnight;
    default: return WPawn;
  }
}

// The rights a move by this kind of man from this square leaves, as
// MakeMove reports them: only the man that moves counts.
char RightsKept(const ChessBoard& b, char side, int kind, u64 from) {
  if (kind == WKingKind) return side ? AllCastleRights & ~(BlackKingSide | BlackQueenSide)
                                     : AllCastleRights & ~(WhiteKingSide | WhiteQueenSide);
  if (kind != WRook) return AllCastleRights;
  if (from == b.CastleRookSquare(side ? 2 : 0)) return AllCastleRights & ~(side ? BlackKingSide : WhiteKingSide);
  if (from == b.CastleRookSquare(side ? 3 : 1)) return AllCastleRights & ~(side ? BlackQueenSide : WhiteQueenSide);
  return AllCastleRights;
}
}  // namespace

bool LowerCodeAfter(const ChessBoard& b, char side, char castleRights, u64 from, u64 to, char promote, u64 code2,
                    u64* after) {
  const int kind = KindOn(b, side, from);
  if (kind < 0) return false;
  const int fromSq = SquareOf(from), toSq = SquareOf(to);
  const int taken = KindOn(b, side ^ 1, to);
  const bool castling =
      kind == WKingKind && (fromSq - toSq == 2 || toSq - fromSq == 2 || (b.SidePieces(side) & to) != 0);
  const bool enPassant = kind == WPawn && taken < 0 && ((fromSq ^ toSq) & 7);
  if (castling || enPassant) return false;
  const int own = side ? BPawn : WPawn, enemy = side ? WPawn : BPawn;
  const bool lastRank = (toSq >> 3) == (side ? 0 : 7);
  const int arrives = kind == WPawn && lastRank ? PromotedKind(promote) : kind;
  u64 c = code2 ^ LPStable[own + kind][fromSq] ^ LPStable[own + arrives][toSq];
  if (taken >= 0) c ^= LPStable[enemy + taken][toSq];
  const int rights = castleRights & AllCastleRights;
  c ^= WtoMove ^ BtoMove ^ CastleCode[rights] ^ CastleCode[rights & RightsKept(b, side, kind, from)];
  *after = c;
  return true;
}

// Knights, bishops, rooks and queens: placement, mobility and the patterns
// of each kind, plus the traps that shut minor pieces and rooks in. All in
// White's view: White's men add, Black's subtract.
#include "board/BitOps.h"
#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "eval/EvalMasks.h"
#include "eval/PositionEvaluate.h"
#include "eval/SquareTables.h"

using namespace evalmask;

namespace {
constexpr SquareTable WKnightSquare = FromPrinted({
    -250, -250, -200, -150, -150, -200, -250, -250,  // 8
    -200, -100,  -50,  -50,  -50,  -50, -100, -200,  // 7
    -100,   50,   30,   40,   40,   30,   50, -100,  // 6
    -100,   50,   30,   80,   80,   30,   50, -100,  // 5
    -100,    0,   60,  100,  100,   60,    0, -100,  // 4
    -150, -100,    0,   50,   50,    0, -100, -150,  // 3
    -200, -200, -150, -100, -100, -150, -200, -200,  // 2
    -400, -400, -300, -250, -250, -300, -400, -400,  // 1
});
constexpr SquareTable BKnightSquare = Mirrored(WKnightSquare);

constexpr SquareTable KnightEnding = FromPrinted({
    -250, -250, -250, -250, -250, -250, -250, -250,  // 8
    -250,  -50,  -50,  -50,  -50,  -50,  -50, -250,  // 7
    -250,  -50,   50,   50,   50,   50,  -50, -250,  // 6
    -250,  -50,   50,  150,  150,   50,  -50, -250,  // 5
    -250,  -50,   50,  150,  150,   50,  -50, -250,  // 4
    -250,  -50,   50,   50,   50,   50,  -50, -250,  // 3
    -250,  -50,  -50,  -50,  -50,  -50,  -50, -250,  // 2
    -250, -250, -250, -250, -250, -250, -250, -250,  // 1
});


constexpr SquareTable WBishopSquare = FromPrinted({
    -100, -100,  -70,  -40,  -40,  -70, -100, -100,  // 8
    -100,   25,  -30,    0,    0,  -30,   25, -100,  // 7
     -60,  -20,   50,   20,   20,   50,  -20,  -60,  // 6
     -30,    5,   20,   80,   80,   20,    5,  -30,  // 5
     -30,    3,   20,   80,   80,   20,    3,  -30,  // 4
     -60,  -20,   50,   20,   20,   50,  -20,  -60,  // 3
    -100,   25,  -30,    0,    0,  -30,   25, -100,  // 2
    -200, -200, -200, -150, -150, -200, -200, -200,  // 1
});
constexpr SquareTable BBishopSquare = Mirrored(WBishopSquare);

constexpr SquareTable BishopEnding = FromPrinted({
    -150, -150, -120, -100, -100, -120, -150, -150,  // 8
    -150,  -50,    0,   10,   10,    0,  -50, -150,  // 7
    -120,    0,   10,   30,   30,   10,    0, -120,  // 6
    -100,   10,   20,   60,   60,   20,   10, -100,  // 5
    -100,   10,   20,   60,   60,   20,   10, -100,  // 4
    -120,    0,   10,   30,   30,   10,    0, -120,  // 3
    -150,  -50,    0,   10,   10,    0,  -50, -150,  // 2
    -150, -150, -120, -100, -100, -120, -150, -150,  // 1
});

// Indexed by the number of squares a piece reaches that hold none of its own men.
constexpr i32 KnightMobility[9] = {-160, 0, 50, 60, 70, 80, 90, 100, 112};
constexpr i32 BishopMobility[14] = {-300, 0, 100, 150, 200, 250, 270, 290, 310, 330, 350, 370, 390, 396};
constexpr i32 RookMobility[15] = {-140, 0, 35, 70, 105, 140, 170, 170, 170, 175, 175, 175, 180, 180, 180};
// Index 19 is 465 and index 20 is 460: the dip is intended.
constexpr i32 QueenMobility[28] = {-130, 0,   60,  120, 180, 210, 240, 270, 300, 320, 340, 360, 380, 400,
                                   410,  420, 430, 440, 450, 465, 460, 465, 470, 475, 480, 485, 490, 495};

constexpr int FianchettoBonus = 200;
constexpr int BishopPairBonus = 500;
constexpr int TrappedQueen = 3250;
constexpr int KnightTrap = 1219, BishopTrap = 1600, RookTrap = 1670;

inline bool On(u64 men, u64 squares) { return (men & squares) != 0; }
inline bool OnAll(u64 men, u64 squares) { return (men & squares) == squares; }
}  // namespace

int PositionEvaluate::KnightEval() {
  const ChessBoard& b = *bb;
  for (u64 men = b.WhiteKnights; men; men &= men - 1) {
    const int s = SquareIndex(men);
    MgScore += WKnightSquare[s];
    EgScore += KnightEnding[s];
    // The outpost bonus holds only while no enemy pawn attacks the knight.
    if (WKnightPost[s] && !(b.BlackPawns & (Bit(s + 7) | Bit(s + 9)))) MgScore += WKnightPost[s];
    const int m = BitCount64(PieceAttacks[s] & ~b.WhitePieces);
    MgScore += KnightMobility[m];
    EgScore += KnightMobility[m];
  }
  for (u64 men = b.BlackKnights; men; men &= men - 1) {
    const int s = SquareIndex(men);
    MgScore -= BKnightSquare[s];
    EgScore -= KnightEnding[s];
    if (BKnightPost[s] && !(b.WhitePawns & (Bit(s - 7) | Bit(s - 9)))) MgScore -= BKnightPost[s];
    const int m = BitCount64(PieceAttacks[s] & ~b.BlackPieces);
    MgScore -= KnightMobility[m];
    EgScore -= KnightMobility[m];
  }
  return 0;
}

int PositionEvaluate::BishopEval() {
  const ChessBoard& b = *bb;
  // One record per colour so that one loop serves both.
  struct Side {
    u64 bishops, own, pawns;
    int fianchettoSquare;
    u64 gPawnSquare, flankPawnSquares;
    const SquareTable* placement;
    int mg, eg, pair;
  };
  Side sides[2] = {
      {b.WhiteBishops, b.WhitePieces, b.WhitePawns, 14, Squares("g3"), Squares("f2 h2"), &WBishopSquare, 0, 0, 0},
      {b.BlackBishops, b.BlackPieces, b.BlackPawns, 54, Squares("g6"), Squares("f7 h7"), &BBishopSquare, 0, 0, 0},
  };
  for (Side& c : sides) {
    for (u64 men = c.bishops; men; men &= men - 1) {
      const int s = SquareIndex(men);
      c.mg += (*c.placement)[s];
      c.eg += BishopEnding[s];
      const int m = BitCount64(PieceAttacks[s] & ~c.own);
      c.mg += BishopMobility[m];
      c.eg += BishopMobility[m];
      if (s == c.fianchettoSquare && On(c.pawns, c.gPawnSquare) && On(c.pawns, c.flankPawnSquares))
        c.mg += FianchettoBonus;
    }
    if (BitCount64(c.bishops) >= 2) c.pair = BishopPairBonus;
  }
  MgScore += sides[0].mg - sides[1].mg;
  EgScore += sides[0].eg - sides[1].eg;
  // The pair bonus is returned to the driver unblended: it is worth the same
  // in every phase.
  return sides[0].pair - sides[1].pair;
}

int PositionEvaluate::RookEval() {
  const ChessBoard& b = *bb;
  int halfOpen = 0;
  for (u64 men = b.WhiteRooks; men; men &= men - 1) {
    const int s = SquareIndex(men), r = s >> 3, f = s & 7;
    const int m = BitCount64(PieceAttacks[s] & ~b.WhitePieces);
    MgScore += RookMobility[m];
    EgScore += 2 * RookMobility[m];
    if (OpenFiles & Bit(s)) {
      MgScore += 320;
      EgScore += 140;
    } else {
      if (r == 0 && (b.BlackPawns & Bit(s + 8))) {
        MgScore -= 100;
        EgScore -= 200;
      }
      if (WhiteHalfOpenFiles & Bit(s)) halfOpen += 50;
    }
    if (WhitePasserRank[f] && r < WhitePasserRank[f]) {
      MgScore += 37;
      EgScore += 75;
    }
    if (BlackPasserRank[f] && r > BlackPasserRank[f]) {
      MgScore += 18;
      EgScore += 37;
    }
  }
  for (u64 men = b.BlackRooks; men; men &= men - 1) {
    const int s = SquareIndex(men), r = s >> 3, f = s & 7;
    const int m = BitCount64(PieceAttacks[s] & ~b.BlackPieces);
    MgScore -= RookMobility[m];
    EgScore -= 2 * RookMobility[m];
    if (OpenFiles & Bit(s)) {
      MgScore -= 320;
      EgScore -= 140;
    } else {
      if (r == 7 && (b.WhitePawns & Bit(s - 8))) {
        MgScore += 100;
        EgScore += 200;
      }
      if (BlackHalfOpenFiles & Bit(s)) halfOpen -= 50;
    }
    if (BlackPasserRank[f] && r > BlackPasserRank[f]) {
      MgScore -= 37;
      EgScore -= 75;
    }
    if (WhitePasserRank[f] && r < WhitePasserRank[f]) {
      MgScore -= 18;
      EgScore -= 37;
    }
  }
  return halfOpen;
}

int PositionEvaluate::QueenEval() {
  const ChessBoard& b = *bb;
  for (u64 men = b.WhiteQueens; men; men &= men - 1) {
    const int s = SquareIndex(men);
    const u64 reach = PieceAttacks[s] & ~b.WhitePieces;
    const int m = BitCount64(reach);
    MgScore += QueenMobility[m];
    EgScore += 2 * QueenMobility[m];
    if (s >= 32) {
      const int k = BitCount64(reach & ~BlackAttacks);
      if (k < 2) EgScore -= TrappedQueen * (2 - k);
    }
  }
  for (u64 men = b.BlackQueens; men; men &= men - 1) {
    const int s = SquareIndex(men);
    const u64 reach = PieceAttacks[s] & ~b.BlackPieces;
    const int m = BitCount64(reach);
    MgScore -= QueenMobility[m];
    EgScore -= 2 * QueenMobility[m];
    if (s < 32) {
      const int k = BitCount64(reach & ~WhiteAttacks);
      if (k < 2) EgScore += TrappedQueen * (2 - k);
    }
  }
  return 0;
}

int PositionEvaluate::Traps() {
  const ChessBoard& b = *bb;
  const u64 wn = b.WhiteKnights, bn = b.BlackKnights, wp = b.WhitePawns, bp = b.BlackPawns;
  int t = 0;

  // Knights in the enemy's corner.
  if (On(wn, Squares("h8")) && On(bp, Squares("h7 f7"))) t -= KnightTrap;
  if (On(wn, Squares("h7")) && On(bp, Squares("g7")) && On(bp, Squares("h6 f6"))) t -= KnightTrap;
  if (On(wn, Squares("g7")) && OnAll(bp, Squares("h7 g6 f7"))) t -= KnightTrap;
  if (On(wn, Squares("a8")) && On(bp, Squares("a7 c7"))) t -= KnightTrap;
  if (On(wn, Squares("a7")) && On(bp, Squares("b7")) && On(bp, Squares("a6 c6"))) t -= KnightTrap;
  if (On(wn, Squares("b7")) && OnAll(bp, Squares("a7 b6 c7"))) t -= KnightTrap;
  if (On(bn, Squares("h1")) && On(wp, Squares("h2 f2"))) t += KnightTrap;
  if (On(bn, Squares("h2")) && On(wp, Squares("g2")) && On(wp, Squares("h3 f3"))) t += KnightTrap;
  if (On(bn, Squares("g2")) && OnAll(wp, Squares("g3 h2 f2"))) t += KnightTrap;
  if (On(bn, Squares("a1")) && On(wp, Squares("a2 c2"))) t += KnightTrap;
  if (On(bn, Squares("a2")) && On(wp, Squares("b2")) && On(wp, Squares("a3 c3"))) t += KnightTrap;
  if (On(bn, Squares("b2")) && OnAll(wp, Squares("b3 a2 c2"))) t += KnightTrap;

  // Bishops cut off behind a pawn chain.
  if (On(b.WhiteBishops, Squares("a7 b8")) && OnAll(bp, Squares("b6 c7"))) t -= BishopTrap;
  if (On(b.WhiteBishops, Squares("h7 g8")) && OnAll(bp, Squares("g6 f7"))) t -= BishopTrap;
  if (On(b.BlackBishops, Squares("a2 b1")) && OnAll(wp, Squares("b3 c2"))) t += BishopTrap;
  if (On(b.BlackBishops, Squares("h2 g1")) && OnAll(wp, Squares("g3 f2"))) t += BishopTrap;

  // A rook shut in by its own uncastled king; it matters only while the
  // enemy has heavy pieces to exploit it.
  if (b.BlackRooks | b.BlackQueens) {
    const u64 k = b.WhiteKing, r = b.WhiteRooks;
    if (On(k, Squares("f1 g1")) && On(r, Squares("g1 h1"))) {
      if (On(wp, Squares("f2 g2 h2"))) t -= RookTrap;
    } else if (On(k, Squares("b1 c1")) && On(r, Squares("a1 b1")) && On(wp, Squares("a2 b2 c2"))) {
      t -= RookTrap;
    }
  }
  if (b.WhiteRooks | b.WhiteQueens) {
    const u64 k = b.BlackKing, r = b.BlackRooks;
    if (On(k, Squares("f8 g8")) && On(r, Squares("g8 h8"))) {
      if (On(bp, Squares("f7 g7 h7"))) t += RookTrap;
    } else if (On(k, Squares("b8 c8")) && On(r, Squares("a8 b8")) && On(bp, Squares("a7 b7 c7"))) {
      t += RookTrap;
    }
  }
  return t;
}

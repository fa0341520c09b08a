// Piece-square tables are written as printed, rank 8 in the first row, so
// they can be held against a board diagram; these helpers turn a printed
// table into the a1-first array the code indexes and build a Black twin by
// flipping ranks (square XOR 56). Also the tables that more than one file
// reads: move ordering reads the outposts, the passer values and the
// seventh-rank bonus too.
#pragma once
#include <array>

#include "board/Types.h"

using SquareTable = std::array<i32, 64>;

constexpr SquareTable FromPrinted(const SquareTable& printed) {
  SquareTable t{};
  for (int sq = 0; sq < 64; sq++) t[sq] = printed[(7 - (sq >> 3)) * 8 + (sq & 7)];
  return t;
}

constexpr SquareTable Mirrored(const SquareTable& t) {
  SquareTable m{};
  for (int sq = 0; sq < 64; sq++) m[sq] = t[sq ^ 56];
  return m;
}

// King centralisation for the ending; symmetric, it serves both kings (the
// pawnless shortcut of the driver reads it too).
inline constexpr SquareTable KingEnding = FromPrinted({
    -250, -150, -80, -50, -50, -80, -150, -250,  // 8
    -150,  -70,  12,  12,  12,  12,  -70, -150,  // 7
     -80,   12,  12,  32,  32,  12,   12,  -80,  // 6
     -50,   12,  32,  80,  80,  32,   12,  -50,  // 5
     -50,   12,  32,  80,  80,  32,   12,  -50,  // 4
     -80,   12,  12,  32,  32,  12,   12,  -80,  // 3
    -150,  -70,  12,  12,  12,  12,  -70, -150,  // 2
    -250, -150, -80, -50, -50, -80, -150, -250,  // 1
});

// King placement for the middle game: at home, castled; the breakdown of
// the evaluation by term reads it too.
inline constexpr SquareTable WKingSquare = FromPrinted({
    -700, -700, -700, -700, -700, -700, -700, -700,  // 8
    -700, -700, -700, -700, -700, -700, -700, -700,  // 7
    -600, -600, -600, -600, -600, -600, -600, -600,  // 6
    -500, -500, -500, -500, -500, -500, -500, -500,  // 5
    -400, -400, -400, -400, -400, -400, -400, -400,  // 4
    -100, -100, -100, -100, -100, -100, -100, -100,  // 3
    -100, -100, -100, -120, -120, -120, -100, -100,  // 2
     180,  210,  130, -210, -210,  130,  210,  180,  // 1
});
inline constexpr SquareTable BKingSquare = Mirrored(WKingSquare);

// Knight outposts; move ordering reads them as well.
inline constexpr SquareTable WKnightPost = FromPrinted({
    0, 0,   0,   0,   0,   0, 0, 0,  // 8
    0, 0,  64,  90,  90,  64, 0, 0,  // 7
    0, 0, 120, 160, 160, 120, 0, 0,  // 6
    0, 0,  80, 120, 120,  80, 0, 0,  // 5
    0, 0,  60,  80,  80,  60, 0, 0,  // 4
    0, 0,   0,   0,   0,   0, 0, 0,  // 3
    0, 0,   0,   0,   0,   0, 0, 0,  // 2
    0, 0,   0,   0,   0,   0, 0, 0,  // 1
});
inline constexpr SquareTable BKnightPost = Mirrored(WKnightPost);

// Passed pawns, indexed by advance: the rank index for White, 7 - rank
// index for Black.
inline constexpr i32 Passers[8] = {0, 40, 80, 160, 270, 550, 1100, 0};

// Bonus for major pieces on the seventh rank, by the number of rooks there.
inline constexpr i16 Majorson7[16] = {0, 350, 650, 950, 1250, 1400, 1450, 1500, 1500, 1500, 1500, 0, 0, 0, 0, 0};

// Building the attack tables. The slider tables are filled ray by ray, each
// ray cut at its first occupied square, as the reference walks of
// Attacks.cpp do (the tests hold every entry against them), but without
// stepping square by square, which took most of the start-up time. The
// multipliers are the ones the search below found from its fixed seed
// (square by square, the bishop's before the rook's), kept here because
// the search takes a few tenths of a second and start-up must not: each
// square's slice is filled with its stored multiplier, every index checked
// as it goes, and the search runs again only for a multiplier that fails.
#include "board/AttackTables.h"

#include "board/BoardMasks.h"
#include "board/MemoryPages.h"

u64 KnightSquares[64];
u64 KingSquares[64];
u64 PawnCaptureSquares[2][64];
MagicEntry BishopMagics[64];
MagicEntry RookMagics[64];

namespace {
// Sizes of the dense tables: the sum over the squares of 2^(relevant bits).
constexpr int BishopTableSize = 5248;
constexpr int RookTableSize = 102400;
// Both slider tables in one large page: the search looks them up all over,
// and a large page takes one fault to fill and one entry of the address
// cache, where 4 KB pages took two hundred of each.
u64* BishopTable = nullptr;
u64* RookTable = nullptr;

constexpr u64 BishopMultipliers[64] = {
    0x10102002004A1420ULL, 0x3009080104082090ULL, 0x20A2020400200808ULL, 0x0204404080020102ULL,
    0x0101104000000028ULL, 0x28811008040000E8ULL, 0x1031011032200020ULL, 0x0041040118921000ULL,
    0x0400041004812400ULL, 0x4100108188008081ULL, 0x0020484604042A09ULL, 0x000002208A002100ULL,
    0x00000A1210002805ULL, 0x400A410460448100ULL, 0x013060480A086000ULL, 0x2101411400840412ULL,
    0x1A10100404500409ULL, 0x4010028401026400ULL, 0x2050000800401020ULL, 0x0008202404001420ULL,
    0x0032880400A00600ULL, 0x0202000022100202ULL, 0x0204082082111040ULL, 0x480C210084010800ULL,
    0x00C2620410200200ULL, 0x80C2102042901202ULL, 0x9000320050040040ULL, 0x8004080010220040ULL,
    0x0020044002003004ULL, 0x120401884100A003ULL, 0x2004208014020128ULL, 0x04010302005400A0ULL,
    0x0950084500600402ULL, 0x81E0900901102200ULL, 0x10040128008412C0ULL, 0x0402004042940100ULL,
    0x2104204010040100ULL, 0x0420009100802400ULL, 0x0204082220808082ULL, 0x2002004248020218ULL,
    0x0001042160208400ULL, 0x00440D0148101080ULL, 0x8044A02030000802ULL, 0xC081044206204800ULL,
    0x0000219020800400ULL, 0x8404010041000201ULL, 0x02210C0102492209ULL, 0x8010012110283100ULL,
    0x0183880109A00001ULL, 0x1001411090900080ULL, 0x2002120084045420ULL, 0x2126087842020022ULL,
    0x8040004010410128ULL, 0x08024030C2008020ULL, 0x0121241004812002ULL, 0x0308010822004000ULL,
    0x0083042805141020ULL, 0x0220804212102288ULL, 0x8000014100880400ULL, 0x1000080000840410ULL,
    0x0088080031203200ULL, 0x001002200202C202ULL, 0x0000054802540400ULL, 0xA010041108003100ULL,
};
constexpr u64 RookMultipliers[64] = {
    0x1080004008801020ULL, 0x0840092002C03000ULL, 0x1900200010400900ULL, 0x0880100008000480ULL,
    0x4200100420080200ULL, 0x8100020100080400ULL, 0x0200040110886200ULL, 0x0200008040220411ULL,
    0x0404800084400220ULL, 0x0000401000402000ULL, 0x0086001081220440ULL, 0x0408800800100280ULL,
    0x000A001201040820ULL, 0x8848800200840080ULL, 0x4001000100040200ULL, 0x0442000102105084ULL,
    0x9080010020804100ULL, 0x0040404000201009ULL, 0x0000808010002009ULL, 0x2200090021D00100ULL,
    0x0008008008040080ULL, 0x0004004002010040ULL, 0x0011040008015042ULL, 0x00000A0001768104ULL,
    0x0000800080204009ULL, 0x2010004140002001ULL, 0x9800200280100080ULL, 0x1000100080080080ULL,
    0x0050500500080100ULL, 0x0000020080040080ULL, 0x0C10010400420810ULL, 0x1040008200005104ULL,
    0x01808240088004A0ULL, 0x0882804004802000ULL, 0x0880402001001100ULL, 0x0000100080800800ULL,
    0x2000480131001500ULL, 0x0002000400800280ULL, 0x0080020104000810ULL, 0x80441044120000A1ULL,
    0x0000800040008020ULL, 0x041040201000C000ULL, 0x0001004020010010ULL, 0x0800100100090021ULL,
    0x0004080004008080ULL, 0x0010040002008080ULL, 0x2012004881020004ULL, 0x8300842444820011ULL,
    0x0088403882010200ULL, 0x0820400080210100ULL, 0x0110910040A00300ULL, 0x0801100280080480ULL,
    0x0242009008200600ULL, 0x1002000489500200ULL, 0x0040800200010080ULL, 0x0091800041000080ULL,
    0x000C91800020C101ULL, 0x0A41104009802103ULL, 0x000880401202210AULL, 0x0000300089142101ULL,
    0x8002002004100802ULL, 0x30010002084C0007ULL, 0x0888221800813004ULL, 0x000008208044010AULL,
};

// Squares whose occupancy decides a slider's attacks: each ray from the
// square without its last square, which is attacked whether or not a man
// stands on it.
u64 RelevantSquares(int square, const int (*steps)[2]) {
  u64 mask = 0;
  for (int d = 0; d < 4; d++) {
    int f = (square & 7) + steps[d][0], r = (square >> 3) + steps[d][1];
    for (; f >= 0 && f < 8 && r >= 0 && r < 8; f += steps[d][0], r += steps[d][1]) {
      const int nf = f + steps[d][0], nr = r + steps[d][1];
      if (nf < 0 || nf > 7 || nr < 0 || nr > 7) break;
      mask |= 1ULL << (r * 8 + f);
    }
  }
  return mask;
}

constexpr int DiagonalSteps[4][2] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}};
constexpr int LineSteps[4][2] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}};

// The squares from next to every square to the board's edge in each of the
// four directions, those going up the board (north, or east along a rank)
// first: such a ray meets its first man at its lowest square, the other
// two at their highest.
struct RaySet {
  u64 Ray[4][64];

  explicit RaySet(const int (*steps)[2]) {
    int up = 0, down = 2;
    for (int d = 0; d < 4; d++) {
      const int df = steps[d][0], dr = steps[d][1];
      u64* rays = Ray[dr > 0 || (dr == 0 && df > 0) ? up++ : down++];
      for (int sq = 0; sq < 64; sq++) {
        u64 ray = 0;
        for (int f = (sq & 7) + df, r = (sq >> 3) + dr; f >= 0 && f < 8 && r >= 0 && r < 8; f += df, r += dr)
          ray |= 1ULL << (r * 8 + f);
        rays[sq] = ray;
      }
    }
  }

  // Each ray up to and including its first occupied square: the ray less
  // the same ray from that square on.
  u64 Attacks(int square, u64 occupied) const {
    u64 attacks = 0;
    for (int d = 0; d < 4; d++) {
      u64 ray = Ray[d][square];
      const u64 blockers = ray & occupied;
      if (blockers) ray &= ~Ray[d][d < 2 ? __builtin_ctzll(blockers) : 63 - __builtin_clzll(blockers)];
      attacks |= ray;
    }
    return attacks;
  }
};

// xorshift64*: a small generator with a fixed seed.
u64 RandomState = 0x9E3779B97F4A7C15ULL;
u64 NextRandom() {
  RandomState ^= RandomState >> 12;
  RandomState ^= RandomState << 25;
  RandomState ^= RandomState >> 27;
  return RandomState * 0x2545F4914F6CDD1DULL;
}
// Multipliers with few bits set find a collision-free index sooner.
u64 SparseRandom() { return NextRandom() & NextRandom() & NextRandom(); }

// Fills the square's slice of the table with the stored multiplier, or
// with one found by the search when that fails. Index collisions are
// allowed only between occupancies with equal attacks.
void BuildSquare(int square, const int (*steps)[2], const RaySet& rays, u64 stored, MagicEntry* entry,
                 u64* slice) {
  static u64 occupancies[4096];
  static u64 attacks[4096];
  static u32 filledIn[4096];
  static u32 attempt = 0;

  const u64 mask = RelevantSquares(square, steps);
  const int bits = __builtin_popcountll(mask);
  int n = 0;
  u64 occupied = 0;
  do {  // every subset of the mask
    occupancies[n] = occupied;
    attacks[n] = rays.Attacks(square, occupied);
    n++;
    occupied = (occupied - mask) & mask;
  } while (occupied != 0);

  entry->Mask = mask;
  entry->Shift = 64 - bits;
  entry->Attacks = slice;
  for (bool first = true;; first = false) {
    const u64 magic = first ? stored : SparseRandom();
    if (!first && __builtin_popcountll((mask * magic) >> 56) < 6) continue;
    attempt++;
    bool clash = false;
    for (int i = 0; i < n && !clash; i++) {
      const u64 index = (occupancies[i] * magic) >> entry->Shift;
      if (filledIn[index] != attempt) {
        filledIn[index] = attempt;
        slice[index] = attacks[i];
      } else if (slice[index] != attacks[i]) {
        clash = true;
      }
    }
    if (!clash) {
      entry->Magic = magic;
      return;
    }
  }
}

u64 PawnCaptures(int side, u64 square) {
  if (side == 0) return ((square & ~FileA) << 7) | ((square & ~FileH) << 9);
  return ((square & ~FileH) >> 7) | ((square & ~FileA) >> 9);
}

// Before any other global of the program is constructed.
struct TablesAtStartUp {
  TablesAtStartUp() { InitAttackTables(); }
} tablesAtStartUp __attribute__((init_priority(101)));
}  // namespace

void InitAttackTables() {
  RandomState = 0x9E3779B97F4A7C15ULL;
  if (BishopTable == nullptr) {
    BishopTable = static_cast<u64*>(AllocateLargePageTable((BishopTableSize + RookTableSize) * sizeof(u64)));
    RookTable = BishopTable + BishopTableSize;
  }
  u64* bishopSlice = BishopTable;
  u64* rookSlice = RookTable;
  const RaySet diagonals(DiagonalSteps), lines(LineSteps);
  for (int sq = 0; sq < 64; sq++) {
    const u64 square = 1ULL << sq;
    KnightSquares[sq] = KnightMaskByWalk(square);
    KingSquares[sq] = KingMaskByWalk(square);
    PawnCaptureSquares[0][sq] = PawnCaptures(0, square);
    PawnCaptureSquares[1][sq] = PawnCaptures(1, square);
    BuildSquare(sq, DiagonalSteps, diagonals, BishopMultipliers[sq], &BishopMagics[sq], bishopSlice);
    bishopSlice += 1ULL << (64 - BishopMagics[sq].Shift);
    BuildSquare(sq, LineSteps, lines, RookMultipliers[sq], &RookMagics[sq], rookSlice);
    rookSlice += 1ULL << (64 - RookMagics[sq].Shift);
  }
}

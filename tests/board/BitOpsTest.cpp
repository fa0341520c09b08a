// Bit scans and counts: the De Bruijn scan over every square, the SWAR
// counts against a plain loop, and the floor-log edges.
#include <gtest/gtest.h>

#include <random>

#include "board/BitOps.h"

namespace {
int SlowCount(u64 x) {
  int n = 0;
  for (; x; x >>= 1) n += (int)(x & 1);
  return n;
}

TEST(BitOpsTest, RightMostBitIsOneBasedLowestSquare) {
  const struct {
    u64 mask;
    int expected;
  } cases[] = {
      {1ULL, 1},                  // a1
      {0x10ULL, 5},               // e1
      {1ULL << 63, 64},           // h8
      {0xF0ULL, 5},               // several bits: the lowest counts
      {0x8000000000000001ULL, 1},
      {0, 1},                     // empty: table entry 0, plus one
  };
  for (const auto& c : cases) EXPECT_EQ(RightMostBit(c.mask), c.expected) << std::hex << c.mask;

  // Every square, alone and with higher bits set above it.
  for (int sq = 0; sq < 64; sq++) {
    EXPECT_EQ(RightMostBit(1ULL << sq), sq + 1) << "square " << sq;
    EXPECT_EQ(RightMostBit(~0ULL << sq), sq + 1) << "square " << sq << " with all higher bits";
  }
}

// The scan is the compiler's; the De Bruijn lookup is its definition.
TEST(BitOpsTest, RightMostBitAgreesWithTheDeBruijnLookup) {
  std::mt19937_64 rng(3);
  for (int i = 0; i < 4000; i++) {
    const u64 x = i < 64 ? 1ULL << i : rng() & rng() & rng();
    ASSERT_EQ(RightMostBit(x), magictable[(LowestBit(x) * Somemagic) >> 58] + 1) << std::hex << x;
  }
}

TEST(BitOpsTest, CountsMatchALoopOverTheBits) {
  const struct {
    u32 value;
    int expected;
  } cases32[] = {{0, 0}, {1, 1}, {0x80000000u, 1}, {0xFFFFFFFFu, 32}, {0x55555555u, 16}, {0x80000001u, 2}};
  for (const auto& c : cases32) EXPECT_EQ(BitCount32(c.value), c.expected) << std::hex << c.value;

  EXPECT_EQ(BitCount64(0), 0);
  EXPECT_EQ(BitCount64(~0ULL), 64);
  EXPECT_EQ(BitCount64(0xFFFF0000FFFF0000ULL), 32);
  std::mt19937_64 rng(7);
  for (int i = 0; i < 2000; i++) {
    u64 x = rng() & rng();  // sparse as well as dense masks
    ASSERT_EQ(BitCount64(x), SlowCount(x)) << std::hex << x;
    ASSERT_EQ(BitCount32((u32)x), SlowCount((u32)x)) << std::hex << (u32)x;
  }
}

TEST(BitOpsTest, MyLog2IsTheFloorAndMinusOneForZero) {
  const struct {
    u64 value;
    int expected;
  } cases[] = {{0, -1}, {1, 0}, {2, 1}, {3, 1}, {0x80, 7}, {0xFF, 7}, {0x100, 8}, {1ULL << 63, 63}, {~0ULL, 63}};
  for (const auto& c : cases) EXPECT_EQ(MyLog2(c.value), c.expected) << std::hex << c.value;
}
}  // namespace

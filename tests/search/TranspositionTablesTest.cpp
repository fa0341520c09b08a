// The transposition table: slot choice and the history below slot 0, aging,
// the probe's results and move hints, the mate-score adjustment, and
// resizing.
#include <gtest/gtest.h>

#include <vector>

#include "search/TranspositionTables.h"

namespace {
// Two positions in one bucket (the bucket is the low 21 bits of the lower
// code), and a third in the same bucket too.
constexpr u64 UpperA = 0xAAAA, LowerA = 0x12345;
constexpr u64 UpperB = 0xBBBB, LowerB = 0x12345 | (1ULL << 40);
constexpr u64 UpperC = 0xCCCC, LowerC = 0x12345 | (1ULL << 21);

class TranspositionTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tt.ClearTranspositionTables();
    tt.Hits = tt.Misses = 0;
  }
  TTEntry Slot(int s) { return tt.Table[LowerA & TTIndexMask].Slot[s].Entry(); }
  int Probe(u64 upper, u64 lower, int depth, int alpha, int beta, int* value, int* move) {
    return tt.SearchTranspositionTables(upper, lower, depth, alpha, beta, value, move);
  }
  TranspositionTables& tt = PositionCache;
};

TEST_F(TranspositionTablesTest, EmptyTableMissesAndWritesNothing) {
  int value = 77, move = 55;
  EXPECT_EQ(Probe(UpperA, LowerA, 3, -100, 100, &value, &move), TTNoScore);
  EXPECT_EQ(value, 77);
  EXPECT_EQ(move, 55);
  EXPECT_EQ(tt.Misses, 1);
  EXPECT_EQ(tt.Hits, 0);
}

TEST_F(TranspositionTablesTest, ProbeResultsByBound) {
  struct Case {
    char bound;
    int stored;
    int probeDepth;
    int expected;
    int value;  // what the probe writes, when it cuts
  };
  // Window (-100, 100); entries stored at depth 4.
  const Case cases[] = {
      {ExactBound, 30, 4, TTExact, 30},
      {ExactBound, 30, 3, TTExact, 30},
      {ExactBound, 30, 5, TTNoScore, 0},      // too shallow
      {LowerBound, 150, 4, TTLowerCut, 100},  // writes beta, not the score
      {LowerBound, 50, 4, TTNoScore, 0},
      {UpperBound, -150, 4, TTUpperCut, -100},  // writes alpha
      {UpperBound, 50, 4, TTAvoidNull, 0},      // below beta: a null move would fail
      {UpperBound, 150, 4, TTNoScore, 0},
  };
  for (const Case& c : cases) {
    SetUp();
    tt.InsertTranspositionTables(UpperA, LowerA, 4, 0, c.stored, c.bound);
    int value = 0, move = -1;
    int r = Probe(UpperA, LowerA, c.probeDepth, -100, 100, &value, &move);
    EXPECT_EQ(r, c.expected) << "bound " << (int)c.bound << " value " << c.stored << " depth " << c.probeDepth;
    EXPECT_EQ(value, c.value) << "bound " << (int)c.bound << " value " << c.stored;
    EXPECT_EQ(tt.Hits + tt.Misses, 1);
    EXPECT_EQ(tt.Hits, r <= TTExact ? 1 : 0);
  }
}

TEST_F(TranspositionTablesTest, NullMoveHintReachesDepthMinusR) {
  // R is 2 below probe depth 6 and 3 from it on.
  struct Case {
    int storedDepth, probeDepth, expected;
  };
  const Case cases[] = {{3, 5, TTAvoidNull}, {2, 5, TTNoScore}, {3, 6, TTAvoidNull}, {2, 6, TTNoScore}};
  for (const Case& c : cases) {
    SetUp();
    tt.InsertTranspositionTables(UpperA, LowerA, c.storedDepth, 0, 50, UpperBound);
    int value, move;
    EXPECT_EQ(Probe(UpperA, LowerA, c.probeDepth, -100, 100, &value, &move), c.expected)
        << "stored at " << c.storedDepth << ", probed at " << c.probeDepth;
  }
}

TEST_F(TranspositionTablesTest, DeeperResultTakesSlotZero) {
  tt.InsertTranspositionTables(UpperA, LowerA, 3, 100, 10, ExactBound);
  tt.InsertTranspositionTables(UpperA, LowerA, 5, 200, 20, ExactBound);
  EXPECT_EQ(Slot(0).Depth, 5);
  EXPECT_EQ(Slot(0).Live, 2);
  EXPECT_EQ(Slot(1).Depth, 3);
  int value, move;
  EXPECT_EQ(Probe(UpperA, LowerA, 5, -100, 100, &value, &move), TTExact);
  EXPECT_EQ(value, 20);
  EXPECT_EQ(move, 200);
}

TEST_F(TranspositionTablesTest, ShallowerResultGoesBelowALiveSlotZero) {
  tt.InsertTranspositionTables(UpperA, LowerA, 5, 200, 20, ExactBound);
  tt.InsertTranspositionTables(UpperA, LowerA, 3, 100, 10, ExactBound);
  EXPECT_EQ(Slot(0).Depth, 5);
  EXPECT_EQ(Slot(0).Value, 20);
  EXPECT_EQ(Slot(1).Depth, 3);
  EXPECT_EQ(Slot(1).Live, 4);
  // The move hint prefers the deepest matching entry.
  int value, move = 0;
  EXPECT_EQ(Probe(UpperA, LowerA, 7, -100, 100, &value, &move), TTNoScore);
  EXPECT_EQ(move, 200);
}

TEST_F(TranspositionTablesTest, AnotherPositionNeverDisplacesALiveSlotZero) {
  tt.InsertTranspositionTables(UpperA, LowerA, 1, 1, 10, ExactBound);
  tt.InsertTranspositionTables(UpperB, LowerB, 9, 2, 20, ExactBound);
  tt.InsertTranspositionTables(UpperC, LowerC, 9, 3, 30, ExactBound);
  EXPECT_EQ(Slot(0).UpperCode, UpperA);
  EXPECT_EQ(Slot(1).UpperCode, UpperC);
  EXPECT_EQ(Slot(2).UpperCode, UpperB);
  // A fourth result pushes the oldest history entry (B) out.
  tt.InsertTranspositionTables(UpperA, LowerA, 0, 4, 40, ExactBound);
  EXPECT_EQ(Slot(0).UpperCode, UpperA);
  EXPECT_EQ(Slot(1).UpperCode, UpperA);
  EXPECT_EQ(Slot(2).UpperCode, UpperC);
  int value, move = 0;
  EXPECT_EQ(Probe(UpperB, LowerB, 1, -100, 100, &value, &move), TTNoScore);
  EXPECT_EQ(move, 0);
}

TEST_F(TranspositionTablesTest, AgedEntriesGiveTheirMoveButNoScore) {
  tt.InsertTranspositionTables(UpperA, LowerA, 5, 321, 20, ExactBound);
  tt.AgeTranspositionTables();
  int value = 0, move = 0;
  EXPECT_EQ(Probe(UpperA, LowerA, 5, -100, 100, &value, &move), TTNoScore);
  EXPECT_EQ(move, 321);
  EXPECT_EQ(value, 0);
  // An aged slot 0 is overwritten by any result, deep or shallow, of any
  // position.
  tt.InsertTranspositionTables(UpperB, LowerB, 1, 7, 70, ExactBound);
  EXPECT_EQ(Slot(0).UpperCode, UpperB);
  EXPECT_EQ(Slot(1).UpperCode, UpperA);
}

// A mate score counts plies from the root; stored, it counts them from the
// node (the node's ply added), whatever depth is left to search.
TEST_F(TranspositionTablesTest, MateScoresAreStoredCountedFromTheNode) {
  struct Case {
    int value, depth, ply, stored;
  };
  const Case cases[] = {{109801, 4, 3, 109804}, {109801, 9, 3, 109804}, {109800, 4, 3, 109800},
                        {-109801, 4, 3, -109804}, {-109800, 4, 3, -109800}, {109990, 2, 0, 109990}};
  for (const Case& c : cases) {
    SetUp();
    tt.InsertTranspositionTables(UpperA, LowerA, c.depth, 0, c.value, ExactBound, c.ply);
    EXPECT_EQ(Slot(0).Value, c.stored) << c.value << " at depth " << c.depth << ", ply " << c.ply;
  }
}

// A mate stored at one ply and probed at another is the same mate seen from
// the probing node: it is held against the window at that ply, and a
// cut-off hands back the window's bound as it stands.
TEST_F(TranspositionTablesTest, MateScoresAreReadAtTheProbingPly) {
  struct Case {
    const char* what;
    int value;
    char bound;
    int storePly, probePly, alpha, beta;
    int result, read;
  };
  const Case cases[] = {
      // Mate at ply 9 seen from ply 3, read from ply 5: mate at ply 11.
      {"exact mate", MateScore - 9, ExactBound, 3, 5, -100, 100, TTExact, MateScore - 11},
      {"exact mated", -MateScore + 8, ExactBound, 2, 6, -100, 100, TTExact, -MateScore + 12},
      // At least a mate at ply 11 from ply 5: not enough for a mate at ply 10.
      {"lower bound below beta", MateScore - 9, LowerBound, 3, 5, 0, MateScore - 10, TTNoScore, 0},
      {"lower bound at beta", MateScore - 9, LowerBound, 3, 5, 0, MateScore - 11, TTLowerCut, MateScore - 11},
      // At most mated at ply 12 from ply 6: alpha mated at ply 11 is not cut
      // (only a null move is advised against).
      {"upper bound above alpha", -MateScore + 8, UpperBound, 2, 6, -MateScore + 11, 0, TTAvoidNull, 0},
      {"upper bound at alpha", -MateScore + 8, UpperBound, 2, 6, -MateScore + 12, 0, TTUpperCut, -MateScore + 12},
  };
  for (const Case& c : cases) {
    SetUp();
    tt.InsertTranspositionTables(UpperA, LowerA, 4, 0, c.value, c.bound, c.storePly);
    int value = 0, move = 0;
    EXPECT_EQ(tt.SearchTranspositionTables(UpperA, LowerA, 4, c.alpha, c.beta, &value, &move, c.probePly), c.result)
        << c.what;
    if (c.result <= TTExact) {
      EXPECT_EQ(value, c.read) << c.what;
    }
  }
}

TEST_F(TranspositionTablesTest, MoveIsSignExtendedFromSixteenBits) {
  tt.InsertTranspositionTables(UpperA, LowerA, 2, (short)-5, 0, ExactBound);
  EXPECT_EQ(Slot(0).Move, -5);
}

// Clearing visits the written buckets one by one when they are few and
// sweeps the table when they are many; aging only needs the written ones.
// Either way no entry may survive a clear, nor a live mark an aging.
TEST_F(TranspositionTablesTest, ClearAndAgeReachEveryWrittenBucketFewOrMany) {
  for (u32 buckets : {100u, (TTIndexMask + 1) / 4}) {
    std::vector<u32> written;
    for (u32 i = 0; i < buckets; i++) {
      const u32 index = (u32)((i * 2654435761ULL) & TTIndexMask);
      tt.InsertTranspositionTables(0x1234 + i, index | (1ULL << 32), 3, 77, 10, ExactBound);
      written.push_back(index);
    }
    tt.AgeTranspositionTables();
    for (u32 index : written) ASSERT_EQ(tt.Table[index].Slot[0].Entry().Live, 0) << buckets << " buckets, " << index;
    int value = 0, move = 0;
    EXPECT_EQ(Probe(0x1234, written[0] | (1ULL << 32), 3, -100, 100, &value, &move), TTNoScore);
    EXPECT_EQ(move, 77);

    tt.ClearTranspositionTables();
    for (u32 index : written) {
      const TTEntry& e = tt.Table[index].Slot[0].Entry();
      ASSERT_TRUE(e.UpperCode == 0 && e.LowerCode == 0 && e.Move == 0 && e.Depth == 0 && e.Value == 0)
          << buckets << " buckets, " << index;
    }
    move = 0;
    EXPECT_EQ(Probe(0x1234, written[0] | (1ULL << 32), 3, -100, 100, &value, &move), TTNoScore);
    EXPECT_EQ(move, 0);
  }
}
// The table's use is read from its first buckets: live entries count, aged
// ones and entries past the sample do not.
TEST_F(TranspositionTablesTest, UseInPerMilleCountsTheLiveEntriesOfTheSample) {
  EXPECT_EQ(tt.UsePerMille(), 0);
  // Slot 0 of every other bucket of the sample, and buckets beyond it.
  for (u32 index = 0; index < HashfullSample; index += 2)
    tt.InsertTranspositionTables(0x5000 + index, index | (1ULL << 32), 3, 1, 0, ExactBound);
  for (u32 index = HashfullSample; index < 3 * HashfullSample; index++)
    tt.InsertTranspositionTables(0x5000 + index, index | (1ULL << 32), 3, 1, 0, ExactBound);
  EXPECT_EQ(tt.UsePerMille(), 166);
  // A second position in the first bucket takes a slot of its own.
  tt.InsertTranspositionTables(0x9999, 0 | (1ULL << 33), 1, 1, 0, ExactBound);
  EXPECT_EQ(tt.UsePerMille(), 167);
  tt.AgeTranspositionTables();
  EXPECT_EQ(tt.UsePerMille(), 0);
  tt.InsertTranspositionTables(0x5000, 0 | (1ULL << 32), 3, 1, 0, ExactBound);
  tt.ClearTranspositionTables();
  EXPECT_EQ(tt.UsePerMille(), 0);
}

// A table of another size: the most buckets, a power of two, that fit in
// the megabytes asked for (clamped to what a front end may ask), so that
// the mask addresses every bucket and no bucket beyond the block.
TEST(TranspositionTablesResize, SizesArePowersOfTwoThatFit) {
  struct Case {
    int asked, buckets, megabytes;
  };
  const Case cases[] = {
      {1, 1 << 13, 1},       // 0.75 MB, reported rounded up
      {2, 1 << 14, 2},       // 1.5 MB
      {100, 1 << 20, 96},    // rounded down to a power of two
      {TTDefaultMB, 1 << 21, 192},
      {383, 1 << 21, 192},
      {384, 1 << 22, 384},
      {0, 1 << 13, 1},       // below the minimum
      {-7, 1 << 13, 1},
  };
  EXPECT_EQ(TTDefaultMB, 192);
  TranspositionTables table;
  EXPECT_EQ(table.SizeMB(), TTDefaultMB);
  for (const Case& c : cases) {
    EXPECT_EQ(table.Resize(c.asked), c.megabytes) << c.asked << " MB";
    EXPECT_EQ(table.IndexMask + 1, (u32)c.buckets) << c.asked << " MB";
    EXPECT_EQ(table.SizeMB(), c.megabytes) << c.asked << " MB";
  }
}

// Entries in a resized table: the bucket is the low bits under the new
// mask, the topmost bucket is usable, a clear empties the table whether it
// visits the written buckets or sweeps, and only a change of size empties
// it by itself.
TEST(TranspositionTablesResize, ResizedTableStoresFindsAndClears) {
  TranspositionTables table;
  for (int megabytes : {1, 24, 3}) {
    const u32 before = table.IndexMask;
    table.Resize(megabytes);
    const u32 mask = table.IndexMask;
    if (mask != before) {
      for (u32 i = 0; i <= mask; i++) ASSERT_EQ(table.Table[i].Slot[0].Entry().UpperCode, 0u) << megabytes << " MB, " << i;
    }
    // Two codes that differ only above the mask share a bucket.
    const u64 top = mask, alias = (u64)mask | ((u64)(mask + 1) << 1);
    table.InsertTranspositionTables(0xA1, top, 4, 11, 50, ExactBound);
    table.InsertTranspositionTables(0xB2, alias, 4, 22, 60, ExactBound);
    EXPECT_EQ(table.Table[mask].Slot[0].Entry().UpperCode, 0xA1u) << megabytes << " MB";
    EXPECT_EQ(table.Table[mask].Slot[1].Entry().UpperCode, 0xB2u) << megabytes << " MB";
    int value = 0, move = 0;
    EXPECT_EQ(table.SearchTranspositionTables(0xB2, alias, 4, -100, 100, &value, &move), TTExact);
    EXPECT_EQ(value, 60);
    EXPECT_EQ(move, 22);

    // The same size again keeps what the table holds.
    table.Resize(megabytes);
    EXPECT_EQ(table.IndexMask, mask);
    EXPECT_EQ(table.SearchTranspositionTables(0xA1, top, 4, -100, 100, &value, &move), TTExact) << megabytes;

    // Many buckets written: the clear sweeps the whole (new) table.
    for (u32 i = 0; i <= mask; i += 2) table.InsertTranspositionTables(0x77, i, 2, 5, 9, ExactBound);
    table.ClearTranspositionTables();
    for (u32 i = 0; i <= mask; i++) {
      const TTEntry& e = table.Table[i].Slot[0].Entry();
      ASSERT_TRUE(e.UpperCode == 0 && e.Move == 0 && e.Depth == 0) << megabytes << " MB, bucket " << i;
    }
    move = 0;
    EXPECT_EQ(table.SearchTranspositionTables(0xA1, top, 4, -100, 100, &value, &move), TTNoScore);
    EXPECT_EQ(move, 0);
  }
}

// Mapping the table's memory ahead of the search, all at once or a piece at
// a time, changes nothing it holds, whether entries were written before or
// not, and a resized table is mapped afresh.
TEST(TranspositionTablesResize, MappingThePagesKeepsWhatTheTableHolds) {
  TranspositionTables table;
  for (int megabytes : {3, 6}) {
    table.Resize(megabytes);
    const u32 mask = table.IndexMask;
    table.InsertTranspositionTables(0xD4, mask, 5, 44, 80, ExactBound);
    if (megabytes == 3) {
      // A megabyte at a time: three pieces of the table, then its map of
      // written buckets.
      int pieces = 0;
      while (table.MapSomePages(1 << 20)) pieces++;
      EXPECT_EQ(pieces, 4);
    }
    table.MapPages();
    EXPECT_FALSE(table.MapSomePages(1 << 20)) << megabytes;
    int value = 0, move = 0;
    EXPECT_EQ(table.SearchTranspositionTables(0xD4, mask, 5, -100, 100, &value, &move), TTExact) << megabytes;
    EXPECT_EQ(value, 80);
    EXPECT_EQ(move, 44);
    for (u32 i = 0; i < mask; i++)
      ASSERT_EQ(table.Table[i].Slot[0].Entry().UpperCode | table.Table[i].Slot[0].Entry().LowerCode, 0u) << megabytes << " MB, " << i;
  }
}

// A table at the largest size the front ends accept: the bucket count
// still fits the 32-bit index.
TEST(TranspositionTablesResize, LargestSizeIsAddressable) {
  TranspositionTables table;
  const int megabytes = table.Resize(TTMaxMB + 1000);
  if (megabytes == TTDefaultMB) GTEST_SKIP() << "no memory for the largest table";
  EXPECT_EQ(megabytes, 3072);
  EXPECT_EQ(table.IndexMask, (1u << 25) - 1);
  table.InsertTranspositionTables(0xC3, 0xFFFFFFFFu, 3, 33, 70, ExactBound);
  int value = 0, move = 0;
  EXPECT_EQ(table.SearchTranspositionTables(0xC3, 0xFFFFFFFFu, 3, -100, 100, &value, &move), TTExact);
  EXPECT_EQ(move, 33);
}
}  // namespace

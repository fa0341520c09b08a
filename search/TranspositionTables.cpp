#include "search/TranspositionTables.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#ifdef __linux__
#include <sys/mman.h>
#endif

TranspositionTables PositionCache;

namespace {
u32 BucketIndex(u64 lower) { return (u32)lower & TTIndexMask; }

bool SamePosition(const TTEntry& e, u64 upper, u64 lower) { return e.UpperCode == upper && e.LowerCode == lower; }
}  // namespace

namespace {
// Large pages for the table: a probe then rarely misses the address cache
// as well as the data cache.
constexpr size_t LargePage = 2 * 1024 * 1024;

// calloc hands out zeroed memory without touching its pages, so start-up
// stays fast; the pages are mapped as the search writes to them. The table
// starts on a large-page boundary inside the block.
TTBucket* AllocateTable(void** block) {
  const size_t bytes = sizeof(TTBucket) * TTABLESIZE;
  char* raw = static_cast<char*>(calloc(bytes + LargePage, 1));
  *block = raw;
  const uintptr_t aligned = (reinterpret_cast<uintptr_t>(raw) + LargePage - 1) & ~(uintptr_t)(LargePage - 1);
  // No large-page advice: the kernel zeroes (and may first compact memory
  // for) a large page when the search first writes to it, which made the
  // first timed searches of engines started side by side take seconds, and
  // a GUI's clock runs meanwhile.
  return reinterpret_cast<TTBucket*>(aligned);
}

// Beyond this share of written buckets one sweep of the table is quicker
// than visiting them one by one.
constexpr u32 SweepAbove = (TTIndexMask + 1) / 8;
}  // namespace

TranspositionTables::TranspositionTables()
    : Hits(0), Misses(0), WrittenBuckets((TTIndexMask + 1) / 64, 0) {
  Table = AllocateTable(&Block);
}

void TranspositionTables::ClearTranspositionTables() {
  if (WrittenCount == 0) return;
  if (WrittenCount > SweepAbove) {
    memset(static_cast<void*>(Table), 0, sizeof(TTBucket) * TTABLESIZE);
  } else {
    for (u32 w = 0; w < WrittenBuckets.size(); w++)
      for (u64 bits = WrittenBuckets[w]; bits; bits &= bits - 1)
        memset(static_cast<void*>(&Table[w * 64 + __builtin_ctzll(bits)]), 0, sizeof(TTBucket));
  }
  std::fill(WrittenBuckets.begin(), WrittenBuckets.end(), 0);
  WrittenCount = 0;
}

// Aged entries still give their move to a probe but never a score, and are
// the first to be overwritten. A bucket never written holds no live entry.
void TranspositionTables::AgeTranspositionTables() {
  for (u32 w = 0; w < WrittenBuckets.size(); w++)
    for (u64 bits = WrittenBuckets[w]; bits; bits &= bits - 1)
      for (TTEntry& e : Table[w * 64 + __builtin_ctzll(bits)].Slot) e.Live = 0;
}

void TranspositionTables::InsertTranspositionTables(u64 upper, u64 lower, int depth, short move, int value,
                                                    char bound) {
  u32 index = BucketIndex(lower);
  if (index > TTABLESIZE) {
    printf("Major problem1: index > TTABLESIZE %u\n", index);
    exit(0);
  }
  TTEntry* slot = Table[index].Slot;
  MarkWritten(index);

  bool mayReplace0 = slot[0].Depth <= depth || slot[0].Live <= 0;
  // Mates are stored relative to the node's depth.
  if (value > MateBound) value += depth;
  else if (value < -MateBound) value -= depth;

  // A live slot 0 is displaced only by a result for the same position at
  // least as deep; everything else goes to slot 1.
  bool toSlot0 = !(slot[0].Live > 0 && !SamePosition(slot[0], upper, lower)) && mayReplace0;
  TTEntry entry;
  entry.UpperCode = upper;
  entry.LowerCode = lower;
  entry.Move = move;
  entry.Bound = (i8)bound;
  entry.Value = value;
  entry.Depth = (i8)depth;
  slot[2] = slot[1];
  if (toSlot0) {
    slot[1] = slot[0];
    entry.Live = 2;
    slot[0] = entry;
  } else {
    entry.Live = 4;
    slot[1] = entry;
  }
}

int TranspositionTables::SearchTranspositionTables(u64 upper, u64 lower, int depth, int alpha, int beta, int* value,
                                                   int* move) {
  const int R = depth < 6 ? 2 : 3;
  u32 index = BucketIndex(lower);
  if (index > TTABLESIZE) {
    printf("Major problem2: index > TTABLESIZE %u\n", index);
    exit(0);
  }
  int result = TTNoScore;
  int bestDepth = -1;
  for (int s = 0; s < 3; s++) {
    const TTEntry& e = Table[index].Slot[s];
    if (!SamePosition(e, upper, lower)) continue;
    // The move is a hint for ordering even when the score is stale.
    if (s == 0 || e.Depth > bestDepth) {
      *move = e.Move;
      bestDepth = e.Depth;
    }
    if (e.Live <= 0) continue;
    if (e.Bound == UpperBound && e.Value < beta && e.Depth >= depth - R) result = TTAvoidNull;
    if (depth > e.Depth) continue;
    if (e.Bound == ExactBound) {
      *value = e.Value;
      Hits++;
      return TTExact;
    }
    if (e.Bound == LowerBound && e.Value >= beta) {
      *value = beta;
      Hits++;
      return TTLowerCut;
    }
    if (e.Bound == UpperBound && e.Value <= alpha) {
      *value = alpha;
      Hits++;
      return TTUpperCut;
    }
  }
  Misses++;
  return result;
}

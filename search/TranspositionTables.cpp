#include "search/TranspositionTables.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/MemoryPages.h"

TranspositionTables PositionCache;

namespace {
bool SamePosition(const TTEntry& e, u64 upper, u64 lower) { return e.UpperCode == upper && e.LowerCode == lower; }
constexpr u64 LiveBits = 0xFFULL << 24;
}  // namespace

namespace {
// calloc hands out zeroed memory without touching its pages, so start-up
// stays fast and small; the pages are mapped by MapPages, or as the search
// writes to them. The table starts on a large-page boundary inside the
// block, advised as large pages: a 4 KB page costs a fault of its own when
// first written and an entry of the address cache ever after, and with 4 KB
// pages those faults took as long as the search in a short benchmark.
// Three spare buckets beyond the addressed ones, as the start-up table has
// always had. Null when the memory cannot be had.
TTBucket* AllocateTable(u32 buckets, void** block) {
  const size_t bytes = sizeof(TTBucket) * ((size_t)buckets + 3);
  char* raw = static_cast<char*>(calloc(bytes + LargePageBytes, 1));
  *block = raw;
  if (raw == nullptr) return nullptr;
  const uintptr_t aligned =
      (reinterpret_cast<uintptr_t>(raw) + LargePageBytes - 1) & ~(uintptr_t)(LargePageBytes - 1);
  AdviseLargePages(reinterpret_cast<void*>(aligned), bytes);
  return reinterpret_cast<TTBucket*>(aligned);
}

// The most buckets, a power of two, that fit in the megabytes: the index
// is a mask of the lower code, so a count in between would leave the
// buckets beyond the power of two below it unused anyway.
u32 BucketsFor(int megabytes) {
  const u64 bytes = (u64)megabytes << 20;
  u32 buckets = 1;
  while ((u64)buckets * 2 * sizeof(TTBucket) <= bytes) buckets *= 2;
  return buckets;
}
}  // namespace

TranspositionTables::TranspositionTables() : Hits(0), Misses(0) {
  Table = AllocateTable(TTIndexMask + 1, &Block);
  WrittenBuckets = static_cast<std::atomic<u64>*>(calloc(WrittenWords(), sizeof(u64)));
}

TranspositionTables::~TranspositionTables() {
  free(Block);
  free(static_cast<void*>(WrittenBuckets));
}

// Rounded up: below 4 MB the buckets fill a megabyte only in part.
int TranspositionTables::SizeMB() const {
  return (int)((((u64)IndexMask + 1) * sizeof(TTBucket) + (1 << 20) - 1) >> 20);
}

int TranspositionTables::Resize(int megabytes) {
  if (megabytes < TTMinMB) megabytes = TTMinMB;
  if (megabytes > TTMaxMB) megabytes = TTMaxMB;
  const u32 buckets = BucketsFor(megabytes);
  if (buckets == IndexMask + 1) return SizeMB();
  void* block;
  TTBucket* table = AllocateTable(buckets, &block);
  // Fewer than 64 buckets never happens (a megabyte holds thousands).
  auto* written = static_cast<std::atomic<u64>*>(calloc(buckets / 64, sizeof(u64)));
  if (table == nullptr || written == nullptr) {
    free(block);
    free(static_cast<void*>(written));
    return SizeMB();
  }
  free(Block);
  free(static_cast<void*>(WrittenBuckets));
  Block = block;
  Table = table;
  WrittenBuckets = written;
  MappedBytes = 0;
  IndexMask = buckets - 1;
  WrittenCount.store(0, std::memory_order_relaxed);
  return SizeMB();
}

void TranspositionTables::MapPages() {
  while (MapSomePages(SIZE_MAX)) {
  }
}

bool TranspositionTables::MapSomePages(size_t bytes) {
  const size_t tableBytes = sizeof(TTBucket) * ((size_t)IndexMask + 1);
  const size_t mapBytes = WrittenWords() * sizeof(u64);
  if (MappedBytes >= tableBytes + mapBytes) return false;
  if (MappedBytes < tableBytes) {
    const size_t piece = std::min(bytes, tableBytes - MappedBytes);
    MapPagesNow(reinterpret_cast<char*>(Table) + MappedBytes, piece);
    MappedBytes += piece;
  } else {
    MapPagesNow(static_cast<void*>(WrittenBuckets), mapBytes);
    MappedBytes = tableBytes + mapBytes;
  }
  return true;
}

void TranspositionTables::ClearTranspositionTables() {
  const u32 written = WrittenCount.load(std::memory_order_relaxed);
  if (written == 0) return;
  // Beyond this share of written buckets one sweep of the table is quicker
  // than visiting them one by one.
  if (written > (IndexMask + 1) / 8) {
    memset(static_cast<void*>(Table), 0, sizeof(TTBucket) * ((size_t)IndexMask + 1));
  } else {
    for (u32 w = 0; w < WrittenWords(); w++)
      for (u64 bits = WrittenBuckets[w].load(std::memory_order_relaxed); bits; bits &= bits - 1)
        memset(static_cast<void*>(&Table[w * 64 + __builtin_ctzll(bits)]), 0, sizeof(TTBucket));
  }
  memset(static_cast<void*>(WrittenBuckets), 0, WrittenWords() * sizeof(u64));
  WrittenCount.store(0, std::memory_order_relaxed);
}

// Aged entries still give their move to a probe but never a score, and are
// the first to be overwritten. A bucket never written holds no live entry.
void TranspositionTables::AgeTranspositionTables() {
  for (u32 w = 0; w < WrittenWords(); w++)
    for (u64 bits = WrittenBuckets[w].load(std::memory_order_relaxed); bits; bits &= bits - 1)
      for (TTSlot& e : Table[w * 64 + __builtin_ctzll(bits)].Slot) {
        // The live mark is in the third word, which the second covers.
        const u64 w2 = e.Word[2].load(std::memory_order_relaxed);
        const u64 aged = w2 & ~LiveBits;
        e.Word[1].store(e.Word[1].load(std::memory_order_relaxed) ^ w2 ^ aged, std::memory_order_relaxed);
        e.Word[2].store(aged, std::memory_order_relaxed);
      }
}

int TranspositionTables::UsePerMille() const {
  const u32 buckets = std::min<u32>(HashfullSample, IndexMask + 1);
  int live = 0;
  for (u32 b = 0; b < buckets; b++)
    for (const TTSlot& e : Table[b].Slot) live += (e.Word[2].load(std::memory_order_relaxed) & LiveBits) != 0;
  return (int)(live * 1000LL / (3 * (i64)buckets));
}

void TranspositionTables::InsertTranspositionTables(u64 upper, u64 lower, int depth, short move, int value,
                                                    char bound, int ply) {
  u32 index = (u32)lower & IndexMask;
  if (index > IndexMask) {
    printf("Major problem1: index > TTABLESIZE %u\n", index);
    exit(0);
  }
  TTSlot* slot = Table[index].Slot;
  MarkWritten(index);

  const TTEntry first = slot[0].Entry();
  bool mayReplace0 = first.Depth <= depth || first.Live <= 0;
  value = ToTable(value, ply);

  // A live slot 0 is displaced only by a result for the same position at
  // least as deep; everything else goes to slot 1.
  bool toSlot0 = !(first.Live > 0 && !SamePosition(first, upper, lower)) && mayReplace0;
  TTEntry entry;
  entry.UpperCode = upper;
  entry.LowerCode = lower;
  entry.Move = move;
  entry.Bound = (i8)bound;
  entry.Value = value;
  entry.Depth = (i8)depth;
  slot[2].CopyFrom(slot[1]);
  if (toSlot0) {
    slot[1].CopyFrom(slot[0]);
    entry.Live = 2;
    slot[0].Store(entry);
  } else {
    entry.Live = 4;
    slot[1].Store(entry);
  }
}

int TranspositionTables::Probe(u64 upper, u64 lower, int depth, int alpha, int beta, int* value, int* move,
                               i64* hits, i64* misses, int ply) {
  const int R = depth < 6 ? 2 : 3;
  u32 index = (u32)lower & IndexMask;
  if (index > IndexMask) {
    printf("Major problem2: index > TTABLESIZE %u\n", index);
    exit(0);
  }
  int result = TTNoScore;
  int bestDepth = -1;
  for (int s = 0; s < 3; s++) {
    const TTSlot& slot = Table[index].Slot[s];
    // Both keys, the second with the data it covers: a slot written by two
    // threads at once matches no position.
    const u64 w0 = slot.Word[0].load(std::memory_order_relaxed);
    if (w0 != upper) continue;
    const u64 w2 = slot.Word[2].load(std::memory_order_relaxed), w3 = slot.Word[3].load(std::memory_order_relaxed);
    if ((slot.Word[1].load(std::memory_order_relaxed) ^ w2 ^ w3) != lower) continue;
    TTEntry e = TTSlot::Unpack(upper, lower, w2, w3);
    e.Value = FromTable(e.Value, ply);
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
      (*hits)++;
      return TTExact;
    }
    if (e.Bound == LowerBound && e.Value >= beta) {
      *value = beta;
      (*hits)++;
      return TTLowerCut;
    }
    if (e.Bound == UpperBound && e.Value <= alpha) {
      *value = alpha;
      (*hits)++;
      return TTUpperCut;
    }
  }
  (*misses)++;
  return result;
}

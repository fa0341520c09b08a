// The transposition table: for positions already searched, the score, the
// kind of bound it is, the remaining depth and the best move. Buckets of
// three entries: slot 0 the primary, slots 1 and 2 a short history below it.
// One instance: PositionCache. The side to move is folded into the codes.
//
// Every search thread probes and writes the one table without a lock. Two
// threads may write the same slot at once, and a probe may read a slot
// while another thread writes it: each word of a slot is read and written
// whole (relaxed atomics, plain moves on x86-64), and the second key word
// is stored XORed with the two data words, so that a slot whose words come
// from different writes fails the key check and counts as another
// position's. A probe thus gets a score, bound, depth and move that one
// thread stored for that very position, or nothing. The move is in any case
// only a hint: the search matches it against the moves it generates and
// never plays it as it stands. Clearing, aging and resizing run only while
// no search runs.
#pragma once
#include <atomic>
#include <cstddef>

#include "board/Types.h"

// The table at start-up: 2^21 + 3 buckets; only the first 2^21 are ever
// addressed. Resize changes the addressed part, always a power of two.
constexpr u32 TTABLESIZE = 2097155;
constexpr u32 TTIndexMask = 0x1FFFFF;

// Bounds of an entry.
constexpr i8 UpperBound = 0;  // failed low
constexpr i8 LowerBound = 1;  // failed high
constexpr i8 ExactBound = 2;

// Probe results.
constexpr int TTUpperCut = 0;   // the node fails low: *value = alpha
constexpr int TTLowerCut = 1;   // the node fails high: *value = beta
constexpr int TTExact = 2;      // *value = the stored score
constexpr int TTNoScore = 3;    // search the node
constexpr int TTAvoidNull = 4;  // search the node, but a null move would fail

// An entry as a probe sees it.
struct TTEntry {
  u64 UpperCode;
  u64 LowerCode;
  i32 Move;  // from x 64 + to; 0 = none
  i8 Bound;
  i8 Live;  // 0 empty or aged; 2 written to slot 0; 4 written to slot 1
  i32 Value;
  i8 Depth;
};

// An entry as the table keeps it: the upper code, the lower code XOR both
// data words, then the move, bound, live mark and depth, then the value.
// All zero is an empty entry.
struct TTSlot {
  std::atomic<u64> Word[4];

  TTEntry Entry() const {
    const u64 w0 = Word[0].load(std::memory_order_relaxed), w1 = Word[1].load(std::memory_order_relaxed);
    const u64 w2 = Word[2].load(std::memory_order_relaxed), w3 = Word[3].load(std::memory_order_relaxed);
    return Unpack(w0, w1 ^ w2 ^ w3, w2, w3);
  }
  static TTEntry Unpack(u64 upper, u64 lower, u64 w2, u64 w3) {
    return TTEntry{upper, lower, (i32)(i16)(u16)w2, (i8)(u8)(w2 >> 16), (i8)(u8)(w2 >> 24), (i32)(u32)w3,
                   (i8)(u8)(w2 >> 32)};
  }
  void Store(const TTEntry& e) {
    const u64 w2 = (u64)(u16)e.Move | (u64)(u8)e.Bound << 16 | (u64)(u8)e.Live << 24 | (u64)(u8)e.Depth << 32;
    const u64 w3 = (u32)e.Value;
    Word[0].store(e.UpperCode, std::memory_order_relaxed);
    Word[1].store(e.LowerCode ^ w2 ^ w3, std::memory_order_relaxed);
    Word[2].store(w2, std::memory_order_relaxed);
    Word[3].store(w3, std::memory_order_relaxed);
  }
  // Takes another slot's words as they are.
  void CopyFrom(const TTSlot& other) {
    for (int i = 0; i < 4; i++) Word[i].store(other.Word[i].load(std::memory_order_relaxed), std::memory_order_relaxed);
  }
};

struct TTBucket {
  TTSlot Slot[3];
};

// Sizes in megabytes (2^20 bytes) a front end may ask for. The start-up
// table of 2^21 buckets is exactly TTDefaultMB.
constexpr int TTDefaultMB = (int)(((u64)TTIndexMask + 1) * sizeof(TTBucket) >> 20);
constexpr int TTMinMB = 1;
constexpr int TTMaxMB = 4096;

// Buckets the table's use is measured on.
constexpr u32 HashfullSample = 1000;

class TranspositionTables {
 public:
  TTBucket* Table;
  // Buckets addressed less one: the bucket of a position is the low bits of
  // its lower code, so the count must be a power of two.
  u32 IndexMask = TTIndexMask;

  TranspositionTables();
  ~TranspositionTables();
  TranspositionTables(const TranspositionTables&) = delete;
  TranspositionTables& operator=(const TranspositionTables&) = delete;
  // Gives the table the most buckets (a power of two) that fit in the given
  // megabytes, clamped to TTMinMB..TTMaxMB, and returns the megabytes it
  // now takes. A new size starts empty; the same size keeps the entries.
  // When the memory cannot be had the table stays as it was.
  int Resize(int megabytes);
  // The megabytes the addressed buckets take, rounded up.
  int SizeMB() const;
  // Has the system map every page of the table now rather than at the
  // search's first writes to it (SearchRoutines::MapTables). Once per
  // allocation; the entries stay as they are.
  void MapPages();
  // The same a piece at a time: maps the next pages, at most `bytes` of
  // them; false (and nothing done) once every page is mapped.
  bool MapSomePages(size_t bytes);
  void ClearTranspositionTables();
  void AgeTranspositionTables();
  // The table's use in per mille: the share of live entries (written since
  // the table was last aged or cleared) among the first HashfullSample
  // buckets. Safe while the search writes.
  int UsePerMille() const;
  // A mate score counts plies from the root; the table keeps it counted
  // from the node that stored it, so that a node at another ply (the same
  // position reached by another line, or in a later search) reads the
  // distance from itself. `ply` is the storing or probing node's.
  void InsertTranspositionTables(u64 upper, u64 lower, int depth, short move, int value, char bound, int ply = 0);
  int SearchTranspositionTables(u64 upper, u64 lower, int depth, int alpha, int beta, int* value, int* move,
                                int ply = 0) {
    return Probe(upper, lower, depth, alpha, beta, value, move, &Hits, &Misses, ply);
  }
  // The same probe, counting into the caller's counters: every search
  // thread counts its own, the main search into Hits and Misses. The
  // stored score is brought to `ply` before it is held against alpha and
  // beta, and *value is the score at that ply: the stored one, or alpha or
  // beta for a cut-off.
  int Probe(u64 upper, u64 lower, int depth, int alpha, int beta, int* value, int* move, i64* hits, i64* misses,
            int ply = 0);
  // A score at `ply` as the table keeps it, and back.
  static int ToTable(int value, int ply) {
    if (value > MateBound) return value + ply;
    if (value < -MateBound) return value - ply;
    return value;
  }
  static int FromTable(int value, int ply) {
    if (value > MateBound) return value - ply;
    if (value < -MateBound) return value + ply;
    return value;
  }
  // Starts loading the position's bucket into the cache, so that a probe a
  // little later does not wait for memory.
  void Prefetch(u64 lower) const {
    const char* bucket = reinterpret_cast<const char*>(&Table[(u32)lower & IndexMask]);
    __builtin_prefetch(bucket);
    __builtin_prefetch(bucket + sizeof(TTBucket) - 1);
  }

 private:
  // The allocated block, which Table points into.
  void* Block = nullptr;
  // Bytes mapped so far, of the table and then of its written-bucket map.
  size_t MappedBytes = 0;
  // One bit per addressed bucket: set once the bucket is written, cleared
  // when it is emptied again. Clearing and aging visit only these buckets
  // (a search writes to a small part of the table), or sweep the whole
  // table when most of it is written. Allocated zeroed, as the table is,
  // so that start-up maps none of it.
  // Several threads set bits: a bit already set is only read, a new one
  // is set by one atomic OR (once per bucket between two clears).
  std::atomic<u64>* WrittenBuckets = nullptr;
  // Apart from the fields every probe reads: it is written as buckets are.
  alignas(64) std::atomic<u32> WrittenCount{0};
  u32 WrittenWords() const { return (IndexMask + 1) / 64; }
  void MarkWritten(u32 index) {
    std::atomic<u64>& word = WrittenBuckets[index >> 6];
    const u64 bit = 1ULL << (index & 63);
    if (word.load(std::memory_order_relaxed) & bit) return;
    if ((word.fetch_or(bit, std::memory_order_relaxed) & bit) == 0)
      WrittenCount.fetch_add(1, std::memory_order_relaxed);
  }

 public:
  // Probe counters: 64-bit, a long analysis passes 2^31 probes. On a cache
  // line of their own: the main search writes them at every probe, and
  // every thread reads the fields above as often.
  alignas(64) i64 Hits;
  i64 Misses;
};

extern TranspositionTables PositionCache;

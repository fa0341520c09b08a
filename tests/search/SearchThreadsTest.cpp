// The parallel search: helpers at staggered depths, searches with several
// threads that always answer a legal move however and whenever they are
// stopped, and table entries written by two threads at once that never
// hand one position's data to another. `make test-tsan` runs these under
// ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "board/ChessBoard.h"
#include "board/MoveHistory.h"
#include "engine/Status.h"
#include "movegen/MoveGen.h"
#include "search/SearchLimits.h"
#include "search/SearchListener.h"
#include "search/SearchRoutines.h"
#include "search/SearchThreads.h"
#include "search/TimeControl.h"
#include "search/TranspositionTables.h"
#include "support/EngineSetup.h"

namespace {
using Ms = std::chrono::milliseconds;
using SteadyClock = std::chrono::steady_clock;

std::string SquareText(u64 mask) {
  for (int s = 0; s < 64; s++)
    if (mask == 1ULL << s) return std::string{(char)('a' + s % 8), (char)('1' + s / 8)};
  return "??";
}

TEST(SearchThreadsTest, HelpersSearchStaggeredDepths) {
  // Depths 1 to 8 of the first helpers: groups of 2g helpers skip blocks
  // of g depths, each from its own phase.
  const struct {
    int helper;
    const char* depths;
  } cases[] = {
      {1, "2 4 6 8"}, {2, "1 3 5 7"},   {3, "1 4 5 8"},   {4, "3 4 7 8"},
      {5, "2 3 6 7"}, {6, "1 2 5 6"},   {7, "1 2 6 7 8"}, {12, "1 2 3 7 8"},
  };
  for (const auto& c : cases) {
    std::string depths;
    for (int d = 1; d <= 8; d++)
      if (SearchThreads::HelperSearchesDepth(c.helper, d)) depths += (depths.empty() ? "" : " ") + std::to_string(d);
    EXPECT_EQ(depths, c.depths) << "helper " << c.helper;
  }
}

// A slot whose words come from two different writes, in every mixture of
// the two, gives neither position the other's move or score.
TEST(SearchThreadsTest, SlotOfTwoWritesMatchesNeitherPosition) {
  TranspositionTables table;
  table.Resize(1);
  const u64 upper[2] = {0xA5A5A5A5A5A5A5A5ULL, 0x5A5A5A5A5A5A5A5AULL};
  const u64 lower[2] = {0x100000, 0x200000};  // the same bucket
  const short move[2] = {12 * 64 + 28, 6 * 64 + 21};
  const int value[2] = {1234, -4321};
  TTSlot& slot = table.Table[0].Slot[0];
  u64 words[2][4];
  for (int p = 0; p < 2; p++) {
    table.ClearTranspositionTables();
    table.InsertTranspositionTables(upper[p], lower[p], 5 + p, move[p], value[p], ExactBound);
    for (int w = 0; w < 4; w++) words[p][w] = slot.Word[w].load();
  }
  for (int mixture = 0; mixture < 16; mixture++) {
    for (int w = 0; w < 4; w++) slot.Word[w].store(words[(mixture >> w) & 1][w]);
    for (int p = 0; p < 2; p++) {
      int v = 0, m = 0;
      i64 hits = 0, misses = 0;
      const int result = table.Probe(upper[p], lower[p], 0, -MateScore, MateScore, &v, &m, &hits, &misses);
      if (m != 0) {
        EXPECT_EQ(m, move[p]) << "words " << mixture << ", position " << p;
      }
      if (result == TTExact) {
        EXPECT_EQ(v, value[p]) << "words " << mixture << ", position " << p;
      }
      // Only the slot written whole by one position matches it (bit w of
      // the mixture: word w from the second position).
      EXPECT_EQ(result == TTExact, mixture == (p == 0 ? 0 : 15)) << "words " << mixture << ", position " << p;
    }
  }
}

// Two threads write two positions into one bucket over and over while a
// third probes the first: whatever the probe finds for it is the first
// position's own move and score, never a mixture with the second's.
TEST(SearchThreadsTest, EntriesWrittenAtOnceNeverMixTwoPositions) {
  TranspositionTables table;
  table.Resize(1);
  const u64 upperA = 0xA5A5A5A5A5A5A5A5ULL, lowerA = 0x100000;
  const u64 upperB = 0x5A5A5A5A5A5A5A5AULL, lowerB = 0x200000;  // the same bucket
  const short moveA = 12 * 64 + 28, moveB = 6 * 64 + 21;
  const int valueA = 1234, valueB = -4321;
  std::atomic<bool> done{false};
  std::atomic<int> started{0};
  auto writer = [&](u64 upper, u64 lower, short move, int value) {
    started++;
    for (int i = 0; !done.load(); i++)
      table.InsertTranspositionTables(upper, lower, 5 + (i & 1), move, value, ExactBound);
  };
  std::thread a(writer, upperA, lowerA, moveA, valueA);
  std::thread b(writer, upperB, lowerB, moveB, valueB);
  while (started.load() < 2) std::this_thread::yield();
  int found = 0, wrong = 0;
  i64 hits = 0, misses = 0;
  // A million probes, and more while the first writer has not yet been
  // seen: on a busy machine (two cores, the sanitizers, other tests beside)
  // it may get no turn for all of the first million.
  for (i64 i = 0; i < 1000000 || (found == 0 && i < 500000000); i++) {
    int value = 0, move = 0;
    const int result = table.Probe(upperA, lowerA, 0, -MateScore, MateScore, &value, &move, &hits, &misses);
    if (move != 0) {
      found++;
      if (move != moveA) wrong++;
    }
    if (result == TTExact && value != valueA) wrong++;
  }
  done = true;
  a.join();
  b.join();
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(found, 0) << "the probe never found the position";
}

// Stops the search after a time, as a GUI's "stop" does, or turns a ponder
// search into a timed one ("ponderhit") first.
class TimedListener : public SearchListener {
 public:
  SteadyClock::time_point ponderHit = SteadyClock::time_point::max();
  SteadyClock::time_point stop = SteadyClock::time_point::max();
  PollResult Poll() override {
    const auto now = SteadyClock::now();
    if (now >= ponderHit) {
      ponderHit = SteadyClock::time_point::max();
      return PollResult::PonderHit;
    }
    return now >= stop ? PollResult::Stop : PollResult::GoOn;
  }
  PollResult WaitForCommand() override {
    std::this_thread::sleep_until(std::min(stop, SteadyClock::now() + Ms(200)));
    return PollResult::Stop;
  }
};

class ThreadedSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = MainStatus;
    MainStatus.xboard = MainStatus.UCIMode = 0;
    Limits.OwnBook = 0;
    installed = Search.Listener;
    Search.Listener = &listener;
  }
  void TearDown() override {
    Search.Listener = installed;
    MainStatus = saved;
  }
  TimedListener listener;
  SearchListener* installed = nullptr;
  Status saved;
};

enum class Ending { Stop, PonderHitThenStop, Nodes, MoveTime, FixedDepth, Mate };

// Searches of several threads on a table of positions, each ended its own
// way at a random moment (the generator is seeded, so a failure repeats):
// every one answers a legal move of its position, also when the answer is
// a deeper iteration a helper completed, and the table may be resized
// between searches.
TEST_F(ThreadedSearchTest, EverySearchAnswersALegalMove) {
  const struct {
    const char* fen;
    int threads;
    Ending ending;
  } cases[] = {
      {"rnbqkb1r/p3pppp/1p6/2ppP3/3N4/2P5/PPP1QPPP/R1B1KB1R w KQkq - 0 0", 2, Ending::Stop},
      {"r1bqk2r/pp2bppp/2p5/3pP3/P2Q1P2/2N1B3/1PP3PP/R4RK1 b kq - 0 0", 3, Ending::Stop},
      {"r3r1k1/ppqb1ppp/8/4p1NQ/8/2P5/PP3PPP/R3R1K1 b - - 0 0", 2, Ending::PonderHitThenStop},
      {"4b3/p3kp2/6p1/3pP2p/2pP1P2/4K1P1/P3N2P/8 w - - 0 0", 4, Ending::Nodes},
      {"8/P7/8/8/8/8/6k1/K7 w - - 0 1", 2, Ending::MoveTime},
      {"2r2rk1/1bqnbpp1/1p1ppn1p/pP6/N1P1P3/P2B1N1P/1B2QPP1/R2R2K1 b - - 0 0", 2, Ending::FixedDepth},
      {"r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 0", 3, Ending::Mate},
      {"4k3/8/4K3/8/8/8/8/R7 b - - 0 1", 2, Ending::Stop},
  };
  std::mt19937 random(20);
  int round = 0;
  for (const auto& c : cases) {
    for (int repeat = 0; repeat < 3; repeat++, round++) {
      ASSERT_EQ(Threads.SetCount(c.threads), c.threads);
      if (round % 4 == 3) PositionCache.Resize(round % 8 == 3 ? 8 : 16);
      ChessBoard& board = LoadFen(c.fen);
      MoveList.Init();
      Limits.FD = 0;
      Limits.Nodes = 0;
      Limits.Mate = 0;
      Limits.Pondering = Limits.PonderSearch = 0;
      Clock.ST = 0;
      Clock.TimeLeft = 600000;
      Clock.MovesPerSession = 0;
      const auto start = SteadyClock::now();
      const int ms = std::uniform_int_distribution<int>(0, 40)(random);
      switch (c.ending) {
        case Ending::Stop:
          listener.stop = start + Ms(ms);
          break;
        case Ending::PonderHitThenStop:
          Limits.Pondering = Limits.PonderSearch = 1;
          listener.ponderHit = start + Ms(ms);
          listener.stop = start + Ms(ms + 20);
          break;
        case Ending::Nodes:
          Limits.Nodes = std::uniform_int_distribution<int>(100, 200000)(random);
          break;
        case Ending::MoveTime:
          Clock.ST = 5 + ms;
          break;
        case Ending::FixedDepth:
          Limits.FD = (u8)(3 + ms % 4);
          break;
        case Ending::Mate:
          Limits.Mate = 2;
          listener.stop = start + Ms(200);
          break;
      }
      u64 from = 0, to = 0;
      char promote = 0;
      Search.ProgressiveDeepening(board, (char)Limits.FD, &from, &to, &promote);
      listener.ponderHit = listener.stop = SteadyClock::time_point::max();

      MoveGen list;
      bool legal = false;
      for (int i : LegalMoveIndices(board, board.CastleFlags, &list)) legal |= list.from[i] == from && list.to[i] == to;
      EXPECT_TRUE(legal) << c.fen << " with " << c.threads << " threads, round " << round << ": "
                         << SquareText(from) << SquareText(to);
    }
  }
}
}  // namespace

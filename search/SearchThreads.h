// The threads of a parallel search: helpers that search the same root as
// the main search (Search) over the shared transposition table, each at its
// own staggered depths, so that one thread's results guide the others. The
// main search starts and stops them, keeps the clock, reads the commands
// and decides the move; a helper only searches and hands on its completed
// iterations and its node count. The threads are started by the first
// search that needs them and wait between searches; they are joined at the
// program's end. One instance: Threads.
#pragma once
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "board/ChessBoard.h"
#include "board/MoveHistory.h"
#include "board/Types.h"
#include "search/SearchLimits.h"
#include "search/SearchRoutines.h"

// Threads a search may have, the main one included.
constexpr int MaxSearchThreads = 256;

// A helper's last completed iteration: its depth (0 when it completed
// none), score, move and principal variation.
struct HelperResult {
  int Depth = 0;
  int Score = 0;
  u64 From = 0, To = 0;
  char Promote = 0;
  int PVLength = 0;
  PVEntry Line[SearchTableRows];
};

class SearchThreads {
 public:
  // Room for every helper from the start: a helper's entry never moves
  // while it runs.
  SearchThreads() { Helpers.reserve(MaxSearchThreads); }
  SearchThreads(const SearchThreads&) = delete;
  SearchThreads& operator=(const SearchThreads&) = delete;
  ~SearchThreads() { Shutdown(); }

  // Threads for the searches to come, the main one included, held to 1 ..
  // MaxSearchThreads; returns the count taken. A search already running
  // keeps the helpers it has; helpers not yet started are started by the
  // next search that needs them.
  int SetCount(int threads);
  int Count() const { return Requested; }
  // Threads of the current (or last) search, the main one included.
  int Searching() const { return Active + 1; }

  // The main search's side. StartHelpers sets the helpers of the count
  // searching from the root (the game's record, side to move and castling
  // rights given) with the main search's settings, up to `limit`;
  // StopHelpers stops them and returns once every one of them is idle.
  void StartHelpers(const ChessBoard& board, const MoveHistory& record, char side, char castleRights, int limit,
                    const SearchLimits& limits);
  void StopHelpers();
  // Tells the helpers to stop without waiting for them: a spent node budget
  // ends every thread at once, not when the main search has unwound.
  void RequestStop();
  // Nodes between two polls of a thread under a node budget (`nodeBudget`),
  // and of a helper without one (0): HelperPollNodes, fewer under a budget
  // that a count handed on late would overshoot.
  i64 NodeBudgetInterval(i64 nodeBudget) const;
  // A search the main search runs alone (the exact-depth search): the
  // helpers' results and counts of the search before it are dropped.
  void SearchAlone();
  // The deepest iteration a helper of the current search has completed.
  int HelperDepth() const { return DeepestCompleted.load(std::memory_order_relaxed); }
  // Nodes the helpers of the current (or last) search have searched.
  i64 HelperNodes() const;
  // The three node counters of the helpers of the last search, summed
  // (full-width, quiescence, horizon). Only after StopHelpers.
  void HelperNodeCounts(i64* interior, i64* quiesce, i64* leaf) const;
  // The deepest iteration a helper of the last search completed, when it
  // is deeper than `depth`. Only after StopHelpers.
  bool DeeperResult(int depth, HelperResult* result) const;
  // Empties every helper's history and pawn cache (a new game). Only
  // between searches.
  void ClearTables();
  // Stops every helper and joins its thread.
  void Shutdown();

  // The helpers' side.
  bool StopRequested() const { return Stop.load(std::memory_order_relaxed); }
  void PublishNodes(int helper, i64 nodes);
  // The main search's count, handed on at its polls under a node budget, and
  // every thread's count as last handed on.
  void PublishMainNodes(i64 nodes) { MainNodes.store(nodes, std::memory_order_relaxed); }
  i64 PublishedNodes() const { return MainNodes.load(std::memory_order_relaxed) + HelperNodes(); }
  void PublishResult(int helper, int depth, int score, u64 from, u64 to, char promote, const SearchRoutines& search);
  // Whether helper `number` (from 1) searches iteration `depth`: helpers
  // come in groups of 2g (g = 1, 2, ...) that skip blocks of g depths,
  // each member from its own phase, so that at any depth some of them are
  // ahead of the main search.
  static bool HelperSearchesDepth(int number, int depth);

 private:
  struct Helper {
    int Number = 0;
    std::unique_ptr<SearchRoutines> Search;  // megabytes: on the heap
    std::thread Thread;
    u64 Generation = 0;  // the last search it has seen
    SearchLimits Settings;
    i64 TableCounts[2] = {0, 0};
    std::atomic<i64> Nodes{0};
    HelperResult Result;  // under Lock
  };

  void Run(Helper& helper);
  // Starts helper threads until there are `count` (under Lock).
  void AddHelpers(int count);

  std::vector<std::unique_ptr<Helper>> Helpers;
  int Requested = 1;  // the count for the next search
  int Active = 0;     // helpers of the current or last search
  mutable std::mutex Lock;
  std::condition_variable Wake;  // a search starts, or the end
  std::condition_variable Idle;  // the last helper of a search is done
  u64 Generation = 0;
  int Pending = 0;  // helpers of the current search not yet done with it
  bool Quit = false;
  std::atomic<bool> Stop{false};
  std::atomic<int> DeepestCompleted{0};
  std::atomic<i64> MainNodes{0};
  // The root of the current search, as the main search handed it on.
  ChessBoard RootBoard;
  MoveHistory RootRecord;
  char RootSide = 0, RootRights = 0;
  int RootLimit = 0;
  SearchLimits RootSettings;
};

extern SearchThreads Threads;

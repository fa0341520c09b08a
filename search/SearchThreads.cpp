#include "search/SearchThreads.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

SearchThreads Threads;

namespace {
// Joined before the program's globals go away, whichever way it ends
// (exit from inside a search included): the helpers still read them.
void JoinAtExit() { Threads.Shutdown(); }
}  // namespace

int SearchThreads::SetCount(int threads) {
  std::lock_guard<std::mutex> guard(Lock);
  Requested = std::clamp(threads, 1, MaxSearchThreads);
  return Requested;
}

void SearchThreads::AddHelpers(int count) {
  static const bool joinAtExit = (std::atexit(JoinAtExit), true);
  (void)joinAtExit;
  while ((int)Helpers.size() < count) {
    auto helper = std::make_unique<Helper>();
    helper->Number = (int)Helpers.size() + 1;
    helper->Search = std::make_unique<SearchRoutines>();
    helper->Search->HelperNumber = helper->Number;
    helper->Search->Settings = &helper->Settings;
    helper->Search->TableHits = &helper->TableCounts[0];
    helper->Search->TableMisses = &helper->TableCounts[1];
    // It joins the search about to start.
    helper->Generation = Generation;
    Helper& h = *helper;
    Helpers.push_back(std::move(helper));
    h.Thread = std::thread([this, &h] { Run(h); });
  }
}

void SearchThreads::Run(Helper& h) {
  std::unique_lock<std::mutex> lock(Lock);
  for (;;) {
    Wake.wait(lock, [&] { return Quit || h.Generation != Generation; });
    if (Quit) return;
    h.Generation = Generation;
    if (h.Number > Active) continue;
    // The root stays as it is until every helper of this search is done.
    h.Settings = RootSettings;
    lock.unlock();
    if (!StopRequested()) h.Search->HelperDeepening(RootBoard, RootRecord, RootSide, RootRights, RootLimit);
    lock.lock();
    if (--Pending == 0) Idle.notify_all();
  }
}

void SearchThreads::StartHelpers(const ChessBoard& board, const MoveHistory& record, char side, char castleRights,
                                 int limit, const SearchLimits& limits) {
  std::unique_lock<std::mutex> lock(Lock);
  // Helpers of a search left without stopping them are stopped first.
  Stop.store(true, std::memory_order_relaxed);
  Idle.wait(lock, [&] { return Pending == 0; });
  Active = 0;
  if (Requested <= 1 || Quit) return;
  AddHelpers(Requested - 1);
  Active = Requested - 1;
  RootBoard = board;
  RootRecord.CopyRecord(record);
  RootSide = side;
  RootRights = castleRights;
  RootLimit = limit;
  // A helper is never cut short by a fixed depth, polls nothing and plays
  // no book move. The node budget counts every thread's nodes in the main
  // search, which stops the helpers; a helper only hands on its count more
  // often under a small one.
  RootSettings = limits;
  // A ponder search spends no budget before "ponderhit", when the main
  // search finds it spent and stops the helpers.
  if (limits.Pondering) RootSettings.Nodes = 0;
  RootSettings.FD = 0;
  RootSettings.Pondering = RootSettings.PonderSearch = 0;
  RootSettings.Analyze = 0;
  RootSettings.OwnBook = 0;
  RootSettings.Benchmark = 0;
  RootSettings.Trace = 0;
  // Nothing of the search before counts, also for a helper that is
  // stopped before it wakes.
  for (int i = 0; i < Active; i++) {
    Helper& h = *Helpers[i];
    h.Result.Depth = 0;
    h.TableCounts[0] = h.TableCounts[1] = 0;
    h.Nodes.store(0, std::memory_order_relaxed);
    h.Search->NodeCount = h.Search->QuiesceNodeCount = h.Search->LeafNodeCount = 0;
  }
  DeepestCompleted.store(0, std::memory_order_relaxed);
  MainNodes.store(0, std::memory_order_relaxed);
  Stop.store(false, std::memory_order_relaxed);
  Pending = Active;
  Generation++;
  Wake.notify_all();
}

void SearchThreads::StopHelpers() {
  std::unique_lock<std::mutex> lock(Lock);
  Stop.store(true, std::memory_order_relaxed);
  Idle.wait(lock, [&] { return Pending == 0; });
}

void SearchThreads::RequestStop() { Stop.store(true, std::memory_order_relaxed); }

i64 SearchThreads::NodeBudgetInterval(i64 nodeBudget) const {
  if (nodeBudget == 0) return HelperPollNodes;
  // Each thread sees the others' nodes up to one interval late, and its
  // stop up to one interval late: a sixty-fourth of each thread's share
  // keeps the search within a few per cent of the budget.
  return std::clamp<i64>(nodeBudget / (64 * (i64)Searching()), 1, HelperPollNodes);
}

void SearchThreads::SearchAlone() {
  std::lock_guard<std::mutex> guard(Lock);
  Active = 0;
}

i64 SearchThreads::HelperNodes() const {
  i64 nodes = 0;
  // Helpers are only added, never removed, and Active changes only while
  // none runs: the main search may read them without the lock.
  for (int i = 0; i < Active; i++) nodes += Helpers[i]->Nodes.load(std::memory_order_relaxed);
  return nodes;
}

void SearchThreads::HelperNodeCounts(i64* interior, i64* quiesce, i64* leaf) const {
  std::lock_guard<std::mutex> guard(Lock);
  *interior = *quiesce = *leaf = 0;
  for (int i = 0; i < Active; i++) {
    const SearchRoutines& search = *Helpers[i]->Search;
    *interior += search.NodeCount;
    *quiesce += search.QuiesceNodeCount;
    *leaf += search.LeafNodeCount;
  }
}

bool SearchThreads::DeeperResult(int depth, HelperResult* result) const {
  std::lock_guard<std::mutex> guard(Lock);
  const Helper* best = nullptr;
  for (int i = 0; i < Active; i++) {
    const Helper& h = *Helpers[i];
    if (h.Result.Depth > depth && (best == nullptr || h.Result.Depth > best->Result.Depth)) best = &h;
  }
  if (best == nullptr) return false;
  *result = best->Result;
  return true;
}

void SearchThreads::ClearTables() {
  std::lock_guard<std::mutex> guard(Lock);
  for (auto& h : Helpers) {
    h->Search->ClearHistory();
    h->Search->Eval.PawnCache->Clear();
  }
}

void SearchThreads::Shutdown() {
  {
    std::lock_guard<std::mutex> guard(Lock);
    Quit = true;
    Stop.store(true, std::memory_order_relaxed);
  }
  Wake.notify_all();
  for (auto& h : Helpers)
    if (h->Thread.joinable()) h->Thread.join();
}

void SearchThreads::PublishNodes(int helper, i64 nodes) {
  Helpers[helper - 1]->Nodes.store(nodes, std::memory_order_relaxed);
}

void SearchThreads::PublishResult(int helper, int depth, int score, u64 from, u64 to, char promote,
                                  const SearchRoutines& search) {
  std::lock_guard<std::mutex> guard(Lock);
  HelperResult& r = Helpers[helper - 1]->Result;
  r.Depth = depth;
  r.Score = score;
  r.From = from;
  r.To = to;
  r.Promote = promote;
  r.PVLength = std::clamp(search.PVLength, 1, SearchTableRows);
  memcpy(r.Line, search.PrincipalVariation[0], sizeof r.Line);
  if (depth > DeepestCompleted.load(std::memory_order_relaxed))
    DeepestCompleted.store(depth, std::memory_order_relaxed);
}

bool SearchThreads::HelperSearchesDepth(int number, int depth) {
  // Group g holds helpers g(g-1)+1 .. g(g+1).
  int group = 1;
  while (group * (group + 1) < number) group++;
  const int phase = number - group * (group - 1) - 1;
  return ((depth + phase) / group) % 2 == 0;
}

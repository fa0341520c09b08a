// The benchmarks through the built binary: the report's layout, and golden
// node counts that catch any change of the search tree: the classic
// engine's, which never change, and the default engine's signature, which
// changes with its search on purpose.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/EngineProcess.h"

namespace {
struct BenchFigures {
  long long interior, quiesce, leaves, hits, misses, pawnMisses, pawnAttempts;
};

// Reads the figures of every report in the output.
std::vector<BenchFigures> Reports(const std::string& out) {
  std::vector<BenchFigures> reports;
  size_t at = 0;
  const std::string header = "    Time Interior Nodes Quiesce Nodes Total Nodes        NPS\n";
  while ((at = out.find(header, at)) != std::string::npos) {
    at += header.size();
    BenchFigures f{};
    long long t, total, nps, ratio;
    int n = sscanf(out.c_str() + at,
                   "%lld %lld %lld %lld %lld\nLeaf Interior Nodes searched = %lld\n"
                   "Transposition Table Hits %lld  Misses  %lld  Ratio = %lld\n"
                   "Pawn misses %lld Pawn attempts %lld",
                   &t, &f.interior, &f.quiesce, &total, &nps, &f.leaves, &f.hits, &f.misses, &ratio, &f.pawnMisses,
                   &f.pawnAttempts);
    EXPECT_EQ(n, 11) << out;
    EXPECT_EQ(total, f.interior + f.quiesce);
    EXPECT_GE(t, 1);
    reports.push_back(f);
  }
  return reports;
}

// The classic engine is Vorn's first search and evaluation kept whole:
// these figures stay as they are.
TEST(BenchTest, ClassicEngineNodeCountsFromAFreshStart) {
  struct Case {
    int depth;
    BenchFigures expected;
  };
  const Case cases[] = {
      {1, {198, 326, 0, 0, 2, 125, 326}},
      {2, {1042, 1711, 185, 1, 393, 316, 1899}},
      {3, {2657, 3649, 528, 163, 1021, 580, 4197}},
      {4, {11844, 14441, 1757, 321, 3991, 2126, 16619}},
      {7, {136871, 154934, 19907, 6795, 67882, 19728, 201350}},
  };
  for (const Case& c : cases) {
    ProcessResult r = RunEngine({"-classic", "-bench", "-fd", std::to_string(c.depth)}, "", 60000);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.output.rfind("Vorn \nRunning benchmark 1 2 3 4 5 6\n", 0), 0u) << r.output;
    std::vector<BenchFigures> reports = Reports(r.output);
    ASSERT_EQ(reports.size(), 1u) << r.output;
    const BenchFigures& f = reports[0];
    const BenchFigures& e = c.expected;
    EXPECT_EQ(f.interior, e.interior) << "depth " << c.depth;
    EXPECT_EQ(f.quiesce, e.quiesce) << "depth " << c.depth;
    EXPECT_EQ(f.leaves, e.leaves) << "depth " << c.depth;
    EXPECT_EQ(f.hits, e.hits) << "depth " << c.depth;
    EXPECT_EQ(f.misses, e.misses) << "depth " << c.depth;
    EXPECT_EQ(f.pawnMisses, e.pawnMisses) << "depth " << c.depth;
    EXPECT_EQ(f.pawnAttempts, e.pawnAttempts) << "depth " << c.depth;
  }
}

// The default engine's bench signature: the total nodes of "-bench -fd 10".
// A commit that changes the default's search or evaluation changes this
// count on purpose, and its message gives the new count and the result of
// the games that proved the change.
TEST(BenchTest, DefaultEngineBenchSignature) {
  constexpr long long Signature = 2230671;
  ProcessResult r = RunEngine({"-bench", "-fd", "10"}, "", 120000);
  EXPECT_EQ(r.exitCode, 0);
  std::vector<BenchFigures> reports = Reports(r.output);
  ASSERT_EQ(reports.size(), 1u) << r.output;
  EXPECT_EQ(reports[0].interior + reports[0].quiesce, Signature) << r.output;
}

TEST(BenchTest, SatrainRunsTheFirstBenchmark) {
  ProcessResult bench = RunEngine({"-bench", "-fd", "3"}, "", 60000);
  ProcessResult satrain = RunEngine({"-satrain", "-fd", "3"}, "", 60000);
  EXPECT_EQ(satrain.exitCode, 0);
  std::vector<BenchFigures> a = Reports(bench.output), b = Reports(satrain.output);
  ASSERT_EQ(a.size(), 1u);
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(a[0].interior, b[0].interior);
  EXPECT_EQ(a[0].misses, b[0].misses);
}

TEST(BenchTest, SecondAndThirdBenchmarksRunPositionFiveTwice) {
  for (const char* which : {"-bench2", "-bench3"}) {
    ProcessResult r = RunEngine({which, "-fd", "4"}, "", 60000);
    EXPECT_EQ(r.exitCode, 0) << which;
    EXPECT_NE(r.output.find("Running benchmark \nProgressive Deepening\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("Running benchmark \nSearch Exact Depth\n"), std::string::npos) << r.output;
    std::vector<BenchFigures> reports = Reports(r.output);
    ASSERT_EQ(reports.size(), 2u) << r.output;
    // The driver's last iteration is a search at the same depth; it cannot
    // have fewer nodes than a single search at that depth started cold.
    EXPECT_GT(reports[0].interior, 0);
    EXPECT_GT(reports[1].interior, 0);
    // The table's counters run on from the first search into the second.
    EXPECT_GT(reports[1].misses, reports[0].misses) << which;
  }
}

TEST(BenchTest, WithoutAFixedDepthEverySearchStopsAfterItsFirstIteration) {
  ProcessResult one = RunEngine({"-bench", "-fd", "1"}, "", 60000);
  ProcessResult none = RunEngine({"-bench"}, "", 60000);
  EXPECT_EQ(none.exitCode, 0);
  std::vector<BenchFigures> a = Reports(one.output), b = Reports(none.output);
  ASSERT_EQ(a.size(), 1u);
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(a[0].interior, b[0].interior);
  EXPECT_EQ(a[0].quiesce, b[0].quiesce);
}
}  // namespace

// The search finds mates at a fixed depth, scores mate, stalemate and
// repetition, resolves captures in quiescence, stays within its tables at
// any ply, and repeats itself exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/HashCodes.h"
#include "board/MoveHistory.h"
#include "board/MoveText.h"
#include "engine/Status.h"
#include "eval/PositionEvaluate.h"
#include "movegen/EngineSet.h"
#include "search/SearchLimits.h"
#include "search/SearchRoutines.h"
#include "search/TimeControl.h"
#include "search/TranspositionTables.h"
#include "support/EngineSetup.h"

namespace {
std::string MoveText(u64 from, u64 to) {
  int f = RightMostBit(from) - 1, t = RightMostBit(to) - 1;
  return std::string{files[f & 7], (char)('1' + f / 8), files[t & 7], (char)('1' + t / 8)};
}

struct Result {
  int score;
  std::string move;
  i64 nodes, quiesce, leaves;
};

class SearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = MainStatus;
    savedLimits = Limits;
    savedClock = Clock;
    Limits.OwnBook = 0;  // no book line on the output
    MainStatus.xboard = MainStatus.UCIMode = 0;
    Limits.Analyze = Limits.Pondering = 0;
    FreshState();
  }
  void TearDown() override {
    MainStatus = saved;
    Limits = savedLimits;
    Clock = savedClock;
    MoveList.Init();
  }

  // The state a fresh engine starts from.
  static void FreshState() {
    PositionCache.ClearTranspositionTables();
    Search.ClearHistory();
    memset(Search.KillerMoves, 0, sizeof Search.KillerMoves);
    MoveList.Init();
  }

  // As "-ts" does: the driver at a fixed depth on the position.
  Result SearchFixed(const char* fen, int depth) {
    LoadFen(fen);
    Limits.FD = (u8)depth;
    ChessBoard& b = MainBoard;
    Result r;
    r.score = Search.ProgressiveDeepening(b, (char)depth, &b.BestMoveFrom, &b.BestMoveTo, &b.BestMovePromote);
    r.move = MoveText(b.BestMoveFrom, b.BestMoveTo);
    r.nodes = Search.NodeCount;
    r.quiesce = Search.QuiesceNodeCount;
    r.leaves = Search.LeafNodeCount;
    return r;
  }

  Status saved;
  SearchLimits savedLimits;
  TimeControl savedClock;
};

// A mate position searched to a depth: the move and score wanted.
struct MateCase {
  const char* what;
  const char* fen;
  int depth;
  const char* move;
  int score;
};

TEST_F(SearchTest, FindsMatesAtAFixedDepth) {
  // The driver stops at a mate once its iteration is as deep as the mate is
  // long. The king-and-rook mate is hidden by the null move below depth 6.
  const MateCase cases[] = {
      {"back-rank mate in 1", "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", 2, "d1d8", 109999},
      {"mate in 2 by a knight sacrifice", "r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 0", 2,
       "d5f6", 109997},
      {"king and rook, mate in 2", "k7/8/2K5/8/8/8/8/7R w - - 0 1", 6, "c6b6", 109997},
      {"Black mates in 3 by a bishop sacrifice", "r1b1kb1r/pppp1ppp/5q2/4n3/3KP3/2N3PN/PPP4P/R1BQ1B1R b kq - 0 1", 4,
       "f8c5", 109995},
      {"Black mates in 3 with the queen", "2r3k1/p4p2/3Rp2p/1p2P1pK/8/1P4P1/P3Q2P/1q6 b - - 0 1", 2, "b1g6", 109995},
      // Deep enough that mates come back out of the table from other plies
      // than they were stored at; their distance must not grow on the way.
      {"Black is mated in 2 whatever it plays", "4k3/8/4K3/8/8/8/8/R7 b - - 0 1", 9, "e8d8", -109996},
  };
  for (const MateCase& c : cases) {
    FreshState();
    Result r = SearchFixed(c.fen, c.depth);
    EXPECT_EQ(r.score, c.score) << c.what;
    EXPECT_EQ(r.move, c.move) << c.what;
  }
}

// A mate given with the hundredth half-move ends the game before the
// fifty-move rule can; a check the side can escape from is still a draw.
TEST_F(SearchTest, MateOnTheHundredthHalfMoveIsAMate) {
  // The counters of a position text are the front ends' to read: the
  // board's count is set here as they set it.
  struct Case {
    const char* fen;
    const char* move;
  };
  const Case cases[] = {{"k7/8/1K6/8/8/8/8/7R w - - 99 80", "h1h8"}, {"6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 99 80", "a1a8"}};
  for (const Case& c : cases) {
    FreshState();
    LoadFen(c.fen).FiftyMoveCount = 99;
    Limits.FD = 6;
    ChessBoard& b = MainBoard;
    const int v = Search.ProgressiveDeepening(b, 6, &b.BestMoveFrom, &b.BestMoveTo, &b.BestMovePromote);
    EXPECT_EQ(v, MateScore - 1) << c.fen;
    EXPECT_EQ(MoveText(b.BestMoveFrom, b.BestMoveTo), c.move) << c.fen;
  }
  struct Node {
    const char* fen;
    int score;
  };
  const Node nodes[] = {{"k6R/8/1K6/8/8/8/8/8 b - - 100 80", -MateScore + 3}, {"k6R/8/2K5/8/8/8/8/8 b - - 100 80", 0}};
  for (const Node& n : nodes) {
    ChessBoard& b = LoadFen(n.fen);
    b.FiftyMoveCount = 100;
    EXPECT_EQ(Search.Search(1, -MateScore, MateScore, b, 2, 3, 1, 0, 1, PVNode, 10), n.score) << n.fen;
  }
}

// A mate reported is one the line achieves: searched again with the table
// kept, the same position gives no longer mate and no other move, and a
// search for a mate in one plays it. Mate scores pass through the table
// from other plies, through bounds and through null-move nodes on the way.
TEST_F(SearchTest, MateDistancesHoldWhenSearchedAgain) {
  const MateCase cases[] = {
      {"queen mates in one, the rook pinned", "2K4k/3r2p1/8/1qP4p/1p6/8/2P5/2R5 b - - 0 1", 8, "b5b7", MateScore - 1},
      // A pass by the defender, searched shallowly, would stand pat against
      // the mate in two and leave a mate in three.
      {"quiet queen move, mate in two", "6Q1/3k4/8/4R2K/1P6/1B6/P7/BN6 w - - 5 47", 5, "g8b8", MateScore - 3},
      {"mate in four", "2bq2kr/1ppp1pNp/7B/1p2R1b1/r7/6Q1/PPP2PPP/R5K1 w - - 0 1", 8, "g3g5", MateScore - 7},
  };
  for (const MateCase& c : cases) {
    FreshState();
    for (int round = 1; round <= 2; round++) {
      Result r = SearchFixed(c.fen, c.depth);
      EXPECT_EQ(r.score, c.score) << c.what << ", search " << round;
      EXPECT_EQ(r.move, c.move) << c.what << ", search " << round;
    }
  }
  // The first case once more, then a search for a mate in one with what
  // the table learned.
  FreshState();
  SearchFixed(cases[0].fen, cases[0].depth);
  Limits.Mate = 1;
  Result r = SearchFixed(cases[0].fen, 0);
  EXPECT_EQ(r.move, "b5b7");
  EXPECT_EQ(r.score, MateScore - 1);
}

TEST_F(SearchTest, PrincipalVariationIsTheMatingLine) {
  Result r = SearchFixed("r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 0", 2);
  ASSERT_EQ(r.score, 109997);
  char text[PVTextSize];
  Search.LineText(text, r.score, MainBoard.BestMoveFrom, MainBoard.BestMoveTo, MainBoard.BestMovePromote);
  EXPECT_STREQ(text, " d5f6 g7f6 c4f7 \n");
}

TEST_F(SearchTest, MateAndStalemateAtTheRoot) {
  struct Case {
    const char* what;
    const char* fen;
    int score;
  };
  const Case cases[] = {
      {"smothered mate", "6rk/5Npp/8/8/8/8/8/6K1 b - - 0 1", -110000},
      {"stalemate", "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", 110001},
  };
  for (const Case& c : cases) {
    LoadFen(c.fen);
    ChessBoard before = MainBoard;
    Result r = SearchFixed(c.fen, 3);
    EXPECT_EQ(r.score, c.score) << c.what;
    EXPECT_EQ(MainBoard.AllPieces, before.AllPieces) << c.what;
    EXPECT_EQ(Search.LegalMoves, 0) << c.what;
  }
}

TEST_F(SearchTest, OneLegalMoveEndsAfterTheFirstIteration) {
  // The Black king's only move is to b8.
  Result r = SearchFixed("k7/8/1K6/8/8/8/8/2R5 b - - 0 1", 6);
  EXPECT_EQ(r.move, "a8b8");
  EXPECT_EQ(Search.LegalMoves, 1);
  EXPECT_EQ(Search.IterationDepth, 1);
}

TEST_F(SearchTest, NodesWithoutMovesScoreByPly) {
  struct Case {
    const char* fen;
    char inCheck;
    int score;
  };
  const Case cases[] = {
      {"6rk/5Npp/8/8/8/8/8/6K1 b - - 0 1", 1, -110000 + 3},
      {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", 0, -3},
  };
  for (const Case& c : cases) {
    FreshState();
    ChessBoard& b = LoadFen(c.fen);
    EXPECT_EQ(Search.Search(1, -110000, 110000, b, 2, 3, 1, 0, c.inCheck, 1, 10), c.score) << c.fen;
    // The table keeps the exact score, above the window's alpha as it is,
    // and hands it on at another ply as the same mate seen from there.
    u64 code1, code2;
    genhashcode(1, 0, &code1, &code2, &b);
    int v = 0, move = 0;
    EXPECT_EQ(PositionCache.SearchTranspositionTables(code1, code2, 2, -MateScore, -MateScore + 1, &v, &move, 1),
              TTExact)
        << c.fen;
    EXPECT_EQ(v, c.inCheck ? -MateScore + 1 : -3) << c.fen;
  }
}

TEST_F(SearchTest, RepeatedPositionScoresZero) {
  // White a queen up: far from a draw, unless the position repeats.
  ChessBoard& b = LoadFen("4k3/8/8/8/8/8/8/Q3K3 w - - 0 1");
  u64 code1, code2;
  genhashcode(0, 0, &code1, &code2, &b);
  // The search's own record, as a search copies it from the game's.
  MoveHistory& record = Search.Repetitions;
  auto searchWithHistory = [&](int fiftyMoveCount, int depth) {
    record.Init();
    record.InsertMoveHistory(code1, code2);  // the same position, White to move
    for (u64 other = 1; other <= 3; other++) record.InsertMoveHistory(other, other);
    b.FiftyMoveCount = fiftyMoveCount;
    int v = Search.Search(0, -110000, 110000, b, depth, 1, 1, 0, 0, 1, 10);
    EXPECT_EQ(record.NumMoves, 4) << "the node takes its codes off the stack again";
    return v;
  };
  EXPECT_EQ(searchWithHistory(5, 2), 0);
  EXPECT_EQ(searchWithHistory(5, 0), 0);  // at the horizon too
  // The earlier occurrence lies before the last capture or pawn move.
  EXPECT_GT(searchWithHistory(3, 2), 5000);
}

TEST_F(SearchTest, SameSearchTwiceGivesTheSameResult) {
  const char* fen = "r1bqk2r/pp2bppp/2p5/3pP3/P2Q1P2/2N1B3/1PP3PP/R4RK1 b kq - 0 0";
  FreshState();
  Result first = SearchFixed(fen, 5);
  FreshState();
  Result second = SearchFixed(fen, 5);
  EXPECT_EQ(first.score, second.score);
  EXPECT_EQ(first.move, second.move);
  EXPECT_EQ(first.nodes, second.nodes);
  EXPECT_EQ(first.quiesce, second.quiesce);
  EXPECT_EQ(first.leaves, second.leaves);
  EXPECT_GT(first.nodes, 1000);
}

// Everything a search writes is its own: a second search object searches
// as the first did and leaves the first's tables, its pawn cache and the
// game's record as they were.
TEST_F(SearchTest, SecondSearchObjectSearchesAloneAndAlike) {
  const char* fen = "r1bqk2r/pp2bppp/2p5/3pP3/P2Q1P2/2N1B3/1PP3PP/R4RK1 b kq - 0 0";
  FreshState();
  const Result first = SearchFixed(fen, 5);
  std::vector<i32> history(&Search.History[0][0], &Search.History[0][0] + 2 * 4096);
  const PVEntry line = Search.PrincipalVariation[0][1];
  const int pawnProbes = PE.PawnCache->Phashattempts;
  const int recorded = MoveList.NumMoves;

  auto other = std::make_unique<SearchRoutines>();
  PositionCache.ClearTranspositionTables();
  ChessBoard& b = LoadFen(fen);
  u64 from = 0, to = 0;
  char promote = 0;
  const int score = other->ProgressiveDeepening(b, 5, &from, &to, &promote);

  EXPECT_EQ(score, first.score);
  EXPECT_EQ(MoveText(from, to), first.move);
  EXPECT_EQ(other->NodeCount, first.nodes);
  EXPECT_EQ(other->QuiesceNodeCount, first.quiesce);
  EXPECT_NE(other->Eval.PawnCache, PE.PawnCache);
  EXPECT_GT(other->Eval.PawnCache->Phashattempts, 0);
  EXPECT_EQ(PE.PawnCache->Phashattempts, pawnProbes);
  EXPECT_TRUE(std::equal(history.begin(), history.end(), &Search.History[0][0])) << "the first search's history";
  EXPECT_EQ(Search.PrincipalVariation[0][1].Move, line.Move);
  EXPECT_EQ(MoveList.NumMoves, recorded);
}

// Every way a search starts (the driver, the exact-depth search, a search
// object of its own) takes the engine the process plays at that moment,
// and keeps it once the choice changes after it.
TEST_F(SearchTest, EverySearchPlaysTheEngineChosenAsItStarts) {
  const char* fen = "r1bqk2r/pp2bppp/2p5/3pP3/P2Q1P2/2N1B3/1PP3PP/R4RK1 b kq - 0 0";
  auto other = std::make_unique<SearchRoutines>();
  const struct {
    const char* how;
    std::function<void(ChessBoard&)> search;
    const SearchRoutines* searched;
  } starts[] = {
      {"driver", [](ChessBoard& b) { Search.ProgressiveDeepening(b, 3, &b.BestMoveFrom, &b.BestMoveTo, &b.BestMovePromote); },
       &Search},
      {"exact depth", [](ChessBoard& b) { Search.SearchExactDepth(b, 3, &b.BestMoveFrom, &b.BestMoveTo, &b.BestMovePromote); },
       &Search},
      {"another search object",
       [&other](ChessBoard& b) { other->ProgressiveDeepening(b, 3, &b.BestMoveFrom, &b.BestMoveTo, &b.BestMovePromote); },
       other.get()},
  };
  Limits.FD = 3;
  for (const auto& start : starts) {
    for (const EngineSet* chosen : {&ClassicEngine, &DefaultEngine, &ClassicEngine}) {
      Classic = chosen == &ClassicEngine;
      FreshState();
      start.search(LoadFen(fen));
      EXPECT_EQ(start.searched->Engine, chosen) << start.how << " playing " << chosen->Name;
      Classic = !Classic;
      EXPECT_EQ(start.searched->Engine, chosen) << start.how << ", after the choice changed";
    }
  }
  Classic = false;
}

TEST_F(SearchTest, QuiescenceStandsPatOrResolvesCaptures) {
  // Standing pat at or above beta returns the evaluation itself.
  ChessBoard& up = LoadFen("4k3/8/8/8/8/8/8/Q3K3 w - - 0 1");
  Search.QuiesceNodeCount = 0;
  up.CheckDraw(0);  // as quiescence does before it evaluates
  int e = PE.PosEval(0, -100, 100, &up);
  ASSERT_GE(e, 100);
  EXPECT_EQ(Search.Quiesce(0, -100, 100, up, 1), e);
  EXPECT_EQ(Search.QuiesceNodeCount, 1);

  // A capture of the king answers beta: the move before was illegal.
  ChessBoard& illegal = LoadFen("4k3/8/8/8/8/8/8/4RK2 w - - 0 1");
  EXPECT_EQ(Search.Quiesce(0, -110000, 110000, illegal, 1), 110000);

  // The queen does not take a pawn defended by a pawn; an undefended pawn
  // it does take.
  ChessBoard& defended = LoadFen("4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1");
  Search.QuiesceNodeCount = 0;
  Search.Quiesce(0, -110000, 110000, defended, 1);
  EXPECT_EQ(Search.QuiesceNodeCount, 1);
  ChessBoard& hanging = LoadFen("4k3/8/8/3p4/8/8/8/3QK3 w - - 0 1");
  Search.QuiesceNodeCount = 0;
  Search.Quiesce(0, -110000, 110000, hanging, 1);
  EXPECT_GT(Search.QuiesceNodeCount, 1);

  // Quiet pawn pushes end the capture section.
  ChessBoard& quiet = LoadFen("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1");
  Search.QuiesceNodeCount = 0;
  Search.Quiesce(0, -110000, 110000, quiet, 1);
  EXPECT_EQ(Search.QuiesceNodeCount, 1);
}

TEST_F(SearchTest, DeepestPliesStayInsideTheTables) {
  // Killer rows of shallow plies must survive a search at the deepest plies.
  for (int p = 0; p < 8; p++) Search.KillerMoves[p][0] = Search.KillerMoves[p][1] = (u16)(100 + p);
  // A ply limit beyond the tables, as a very deep iteration would have: the
  // last ply the tables hold settles even a side in check at once.
  const int maxPly = 2 * MaxSearchPly;
  ChessBoard& b = LoadFen("4k3/8/8/8/8/8/4q3/3QK3 w - - 0 1");
  const i64 leaves = Search.LeafNodeCount;
  Search.Search(0, -110000, 110000, b, 3, MaxSearchPly, 1, 0, 1, 1, maxPly);
  EXPECT_EQ(Search.LeafNodeCount, leaves + 1);
  Search.Search(0, -110000, 110000, b, 3, MaxSearchPly - 1, 1, 0, 1, 1, maxPly);
  ChessBoard& quiet = LoadFen("r3k3/8/8/8/8/8/8/R3K3 w - - 0 1");
  Search.Search(0, -110000, 110000, quiet, 4, MaxSearchPly - 2, 1, 0, 0, 2, maxPly);
  for (int p = 0; p < 8; p++) {
    EXPECT_EQ(Search.KillerMoves[p][0], 100 + p);
    EXPECT_EQ(Search.KillerMoves[p][1], 100 + p);
  }
}
// What the search tells its listener, in order, as a front end sees it.
class RecordingListener : public SearchListener {
 public:
  std::string events;
  int doneDepth = 0, doneScore = 0;
  u64 doneFrom = 0, doneTo = 0;

  void IterationStarted(int depth) override { events += "start " + std::to_string(depth) + ";"; }
  void IterationDone(int depth, int, u64, u64, char) override { events += "done " + std::to_string(depth) + ";"; }
  void SearchDone(int depth, int score, u64 from, u64 to, char) override {
    events += "result;";
    doneDepth = depth, doneScore = score, doneFrom = from, doneTo = to;
  }
};

TEST_F(SearchTest, ReportsThroughItsListenerAndPrintsNothing) {
  RecordingListener listener;
  SearchListener* installed = Search.Listener;
  Search.Listener = &listener;
  MainStatus.Post = 1;  // a front end's setting: the search itself ignores it
  testing::internal::CaptureStdout();
  Result r = SearchFixed("r1bqk2r/pp2bppp/2p5/3pP3/P2Q1P2/2N1B3/1PP3PP/R4RK1 b kq - 0 0", 3);
  const std::string printed = testing::internal::GetCapturedStdout();
  Search.Listener = installed;

  EXPECT_EQ(printed, "");
  EXPECT_EQ(listener.events, "start 1;done 1;start 2;done 2;start 3;done 3;result;");
  EXPECT_EQ(listener.doneDepth, 3);
  EXPECT_EQ(listener.doneScore, r.score);
  EXPECT_EQ(MoveText(listener.doneFrom, listener.doneTo), r.move);
}
}  // namespace

// A self-play game over UCI at a fast control, as a tournament manager runs
// it: the whole game sent with every "go", the clocks counted down by the
// real time each answer took. Every move and ponder move must be legal (the
// reference generator judges), every principal variation must play out
// from the position, and no answer may take longer than the time left on
// the mover's clock.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "e2e/GameReferee.h"
#include "e2e/ProtocolSession.h"

namespace {
constexpr int StartMs = 2000;
constexpr int IncrementMs = 50;
constexpr int PliesWanted = 150;

TEST(UCISelfPlayTest, AFastGameOfAtLeast150PliesHasOnlyLegalMovesInTime) {
  UCIEngine engine;
  engine.Send("setoption name Ponder value true");
  // Should a game end early, the next starts from another opening, so that
  // the engine plays at least PliesWanted plies in all.
  const std::vector<std::vector<std::string>> openings = {{}, {"d2d4", "g8f6"}, {"c2c4", "e7e5"}, {"g1f3", "d7d5"}};
  int plies = 0;
  long long slowest = 0;
  size_t game = 0;
  for (; game < openings.size() && plies < PliesWanted; game++) {
    // As managers do, the clock starts once the engine is ready.
    engine.Send("ucinewgame");
    engine.Send("isready");
    bool ready = false;
    engine.ReadUntil("readyok", 10000, &ready);
    ASSERT_TRUE(ready);
    GameReferee referee;
    std::string moves;
    for (const std::string& m : openings[game]) {
      ASSERT_TRUE(referee.Play(m));
      moves += " " + m;
    }
    long long clock[2] = {StartMs, StartMs};
    while (referee.Over().empty() && plies < PliesWanted) {
      const int side = referee.Side();
      engine.Send("position startpos" + (moves.empty() ? "" : " moves" + moves));
      BestMove best = engine.Go("go wtime " + std::to_string(clock[0]) + " btime " + std::to_string(clock[1]) +
                                " winc " + std::to_string(IncrementMs) + " binc " + std::to_string(IncrementMs));
      ASSERT_TRUE(best.found) << "ply " << plies;
      EXPECT_LT(best.ms, clock[side]) << "ply " << plies << ": the flag fell";
      slowest = std::max(slowest, best.ms);
      clock[side] += IncrementMs - best.ms;

      for (const std::string& l : best.lines) {
        const size_t at = l.find(" pv ");
        if (l.rfind("info ", 0) != 0 || at == std::string::npos) continue;
        GameReferee line = referee;
        std::istringstream words(l.substr(at + 4));
        for (std::string m; words >> m;) {
          if (!line.Play(m)) {
            ADD_FAILURE() << "ply " << plies << ": " << m << " cannot be played in " << l << " after" << moves;
            break;
          }
        }
      }
      ASSERT_TRUE(referee.Play(best.move)) << "ply " << plies << ": illegal " << best.move << " after" << moves;
      if (!best.ponder.empty()) {
        EXPECT_TRUE(referee.IsLegal(best.ponder)) << "ply " << plies << ": ponder " << best.ponder;
      }
      moves += " " + best.move;
      plies++;
    }
  }
  EXPECT_GE(plies, PliesWanted);
  RecordProperty("Games", (int)game);
  RecordProperty("SlowestAnswerMs", (int)slowest);
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(5000), 0);
}
}  // namespace

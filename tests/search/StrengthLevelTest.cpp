// Levels below full strength: the error rate a low level promises where the
// best move wins material, the bounds no error oversteps, mates in one and
// legal moves at every level, a lone king mated at the lowest level, the
// same moves from the same seed, the time a move takes, and a level at
// full strength's figure searching exactly as no level does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/MoveHistory.h"
#include "engine/GameMoves.h"
#include "movegen/SANText.h"
#include "search/SearchLimits.h"
#include "search/SearchRoutines.h"
#include "search/StrengthLevel.h"
#include "search/TranspositionTables.h"
#include "support/EngineSetup.h"

namespace {
std::string Square(u64 mask) {
  const int s = SquareOf(mask);
  return std::string{files[s & 7], (char)('1' + s / 8)};
}

class StrengthLevelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PositionCache.ClearTranspositionTables();
    Search.ClearHistory();
    memset(Search.KillerMoves, 0, sizeof Search.KillerMoves);
    Limits.OwnBook = 0;
  }

  static void SetLevel(int elo, u64 seed) {
    Level.Limited = true;
    Level.SetElo(elo);
    Level.SetSeed(seed);
  }

  static void StartFrom(const char* fen) {
    LoadFen(fen);
    StartGameRecord();
  }

  // The move the engine plays in MainBoard's position with no clock (the
  // level limits the depth); MainBoard is left as it was.
  static GameMove Think(int* score = nullptr) {
    Limits.FD = 40;
    ChessBoard root = MainBoard;
    GameMove move;
    const int v = Search.ProgressiveDeepening(root, 40, &move.From, &move.To, &move.Promote);
    if (score) *score = v;
    return move;
  }

  // Plays a legal move of the game on MainBoard and records the position.
  static void Play(const GameMove& move) {
    PlayGameMove(move);
    MainBoard.SideToMove ^= 1;
    RecordGamePosition(MainBoard.SideToMove);
  }

  static bool Mated() {
    const char side = MainBoard.SideToMove;
    return LegalMoves(MainBoard).empty() && MainBoard.InCheck(MainBoard.SideKing(side), side);
  }
};

// The lowest level misses a piece it could win about as often as it
// promises (its error rate, with a fixed seed), never a rook or a queen,
// which are beyond what it may give up; every move it plays keeps within
// its bounds against the best line.
TEST_F(StrengthLevelTest, LowLevelMissesMaterialAtItsRateAndNeverBeyondItsBounds) {
  const struct {
    const char* what;
    const char* fen;
    const char* prize;  // the square of the man the best move wins
    bool missable;      // within what the lowest level may give up
  } cases[] = {
      {"a knight to a pawn", "rnbqkb1r/pppppppp/8/8/3n4/4P3/PPPP1PPP/RNBQKBNR w KQkq - 0 3", "d4", true},
      {"a bishop to a pawn", "rn1qkbnr/ppp1pppp/3p4/8/6b1/7P/PPPPPPP1/RNBQKBNR w KQkq - 0 3", "g4", true},
      {"a knight to a knight", "r1bqkbnr/pppppppp/8/8/4n3/2N5/PPPPPPPP/R1BQKBNR w KQkq - 0 3", "e4", true},
      {"Black takes a knight", "rnbqkbnr/pppp1ppp/8/4p3/3N4/8/PPPPPPPP/RNBQKB1R b KQkq - 0 2", "d4", true},
      {"a rook", "1nbqkbnr/pppppppp/8/8/8/2r5/PPPPPPPP/RNBQKBNR w Kk - 0 2", "c3", false},
      {"a queen", "rnb1kbnr/pppppppp/8/8/8/3q4/PPPPPPPP/RNBQKBNR w KQkq - 0 2", "d3", false},
  };
  constexpr int Tries = 60;
  SetLevel(LowestElo, 12345);
  int missed = 0, chances = 0;
  for (const auto& c : cases) {
    int caseMissed = 0;
    for (int t = 0; t < Tries; t++) {
      SetUp();
      StartFrom(c.fen);
      const GameMove move = Think();
      ASSERT_TRUE(IsLegalMove(MainBoard, move)) << c.what;
      ASSERT_GE(Search.Lines.size(), 2u) << c.what;
      // The best line wins the man; the move played is one of the lines,
      // within the level's bounds.
      const RootLine& best = Search.Lines[0];
      EXPECT_EQ(Square(best.To), c.prize) << c.what;
      bool fromLines = false;
      for (const RootLine& line : Search.Lines) {
        if (line.From != move.From || line.To != move.To) continue;
        fromLines = true;
        EXPECT_TRUE(&line == &best || Level.Allowed(best.Score, line.Score))
            << c.what << ": " << Square(move.From) << Square(move.To) << " scores " << line.Score << " against "
            << best.Score;
      }
      EXPECT_TRUE(fromLines) << c.what;
      caseMissed += Square(move.To) != c.prize;
    }
    if (c.missable) {
      missed += caseMissed;
      chances += Tries;
      EXPECT_GT(caseMissed, 0) << c.what << " never missed";
    } else {
      EXPECT_EQ(caseMissed, 0) << c.what << " missed";
    }
  }
  // The promised rate, within what 240 tries of it may stray.
  const double rate = (double)missed / chances, promised = Level.ErrorPerMille() / 1000.0;
  EXPECT_NEAR(rate, promised, 0.1) << missed << " of " << chances;
}

// What a level may play instead of the best line: a gain left unmade up to
// its bound, a fall below an even game up to a smaller bound, smaller
// still once the side stands worse, and never a line that is mated; the
// higher the level, the smaller each bound and the rarer the error.
TEST_F(StrengthLevelTest, ErrorsStayWithinBoundsThatShrinkAsTheLevelRises) {
  // Two thirds of the way up to full strength.
  const int upper = LowestElo + 2 * (FullStrengthElo - LowestElo) / 3;
  const struct {
    int elo;
    int best, other;
    bool allowed;
  } cases[] = {
      {1350, MinorValue, 0, true},                  // misses a piece
      {1350, RookValue, 0, false},                  // but not a rook
      {1350, 0, -PawnValue, true},                  // gives a pawn from an even game
      {1350, 0, -MinorValue, false},                // never a piece
      {1350, -2 * PawnValue, -2 * PawnValue - PawnValue / 4, true},
      {1350, -2 * PawnValue, -3 * PawnValue, false},  // a pawn more, once two down
      {1350, -PawnValue / 2, -3 * PawnValue / 2, false},  // a pawn more, once worse
      {1350, 0, -MateScore + 5, false},             // walks into a mate
      {upper, MinorValue, 0, false},
      {upper, 0, -PawnValue / 2, true},
      {upper, 0, -PawnValue, false},
      {FullStrengthElo - 1, PawnValue, 0, false},
  };
  for (const auto& c : cases) {
    Level.SetElo(c.elo);
    EXPECT_EQ(Level.Allowed(c.best, c.other), c.allowed) << c.elo << ": " << c.best << " / " << c.other;
  }
  int previousRate = 1001, previousMiss = MateScore, previousDrop = MateScore;
  for (int elo = LowestElo; elo < FullStrengthElo; elo += 150) {
    Level.SetElo(elo);
    EXPECT_LT(Level.ErrorPerMille(), previousRate) << elo;
    EXPECT_LT(Level.MostMissed(), previousMiss) << elo;
    EXPECT_LT(Level.MostDropped(0), previousDrop) << elo;
    EXPECT_LT(Level.MostDropped(-PawnValue), Level.MostDropped(0)) << elo;
    previousRate = Level.ErrorPerMille();
    previousMiss = Level.MostMissed();
    previousDrop = Level.MostDropped(0);
  }
}

// Every level plays a mate in one, whatever its seed, and only legal moves
// in positions full of them.
TEST_F(StrengthLevelTest, EveryLevelMatesInOneAndPlaysLegalMoves) {
  const char* const mates[] = {
      "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1",     // back rank
      "r5k1/8/8/8/8/8/5PPP/6K1 b - - 0 1",     // back rank, Black
      "k7/8/1K6/8/8/8/7Q/8 w - - 0 1",         // queen and king
      "6rk/6pp/8/6N1/8/8/8/6K1 w - - 0 1",     // smothered
      "r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4",  // Qxf7
  };
  const char* const others[] = {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
      "r1bqk2r/pp2bppp/2p5/3pP3/P2Q1P2/2N1B3/1PP3PP/R4RK1 b kq - 0 1",
  };
  const int step = (FullStrengthElo - LowestElo) / 5;
  for (int elo : {LowestElo, LowestElo + step, LowestElo + 2 * step, LowestElo + 3 * step, LowestElo + 4 * step,
                  FullStrengthElo - 1}) {
    for (u64 seed = 1; seed <= 3; seed++) {
      SetLevel(elo, seed);
      for (const char* fen : mates) {
        SetUp();
        StartFrom(fen);
        const GameMove move = Think();
        ASSERT_TRUE(IsLegalMove(MainBoard, move)) << elo << " " << fen;
        Play(move);
        EXPECT_TRUE(Mated()) << elo << " seed " << seed << " " << fen;
      }
      for (const char* fen : others) {
        if (seed > 1 && elo > LowestElo + 3 * step) break;  // deep searches take their time
        SetUp();
        StartFrom(fen);
        EXPECT_TRUE(IsLegalMove(MainBoard, Think())) << elo << " seed " << seed << " " << fen;
      }
    }
  }
}

// The lowest level mates a lone king with a queen or a rook within the
// fifty-move rule, against a defence that takes what it can and keeps its
// king as central as it may.
TEST_F(StrengthLevelTest, LowestLevelMatesALoneKingWithQueenOrRook) {
  const char* const endings[] = {
      "8/8/8/4k3/8/8/8/KQ6 w - - 0 1",
      "8/8/3k4/8/8/8/8/R3K3 w - - 0 1",
      "8/8/8/8/3K4/8/8/4k2r b - - 0 1",
  };
  for (const char* fen : endings) {
    for (u64 seed = 1; seed <= 2; seed++) {
      SetLevel(LowestElo, seed);
      SetUp();
      StartFrom(fen);
      const char winner = MainBoard.SideToMove;
      bool mated = false;
      while (MainBoard.FiftyMoveCount < 100) {
        const GameMove move = Think();
        ASSERT_TRUE(IsLegalMove(MainBoard, move)) << fen;
        Play(move);
        if (Mated()) {
          mated = true;
          break;
        }
        // The defence: a capture if there is one, else the most central
        // square.
        const std::vector<LegalMove> replies = LegalMoves(MainBoard);
        ASSERT_FALSE(replies.empty()) << fen << ": stalemate";
        const ChessBoard& b = MainBoard;
        const u64 winnerMen = winner ? b.BlackPieces : b.WhitePieces;
        LegalMove chosen = replies[0];
        int bestRank = -1;
        for (const LegalMove& r : replies) {
          const int s = SquareOf(r.To), f = s & 7, rank = s >> 3;
          const int centre = std::min(std::min(f, 7 - f), std::min(rank, 7 - rank)) + ((r.To & winnerMen) ? 10 : 0);
          if (centre > bestRank) bestRank = centre, chosen = r;
        }
        Play(GameMove{chosen.From, chosen.To, chosen.Promote});
        ASSERT_EQ(MainBoard.SideToMove, winner);
        const u64 left = (winner ? b.BlackPieces : b.WhitePieces) & ~b.SideKing(winner);
        ASSERT_NE(left, 0u) << fen << ": the piece was lost";
      }
      EXPECT_TRUE(mated) << fen << " seed " << seed << ": no mate in fifty moves";
    }
  }
}

// The same seed plays the same moves; the level's moves differ from full
// strength's somewhere in a game's worth of positions.
TEST_F(StrengthLevelTest, SameSeedSameMoves) {
  const char* const positions[] = {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
      "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "r1bqk2r/pp2bppp/2p5/3pP3/P2Q1P2/2N1B3/1PP3PP/R4RK1 b kq - 0 1",
      "rnbqkb1r/pp3ppp/4pn2/2pp4/3P4/2PBPN2/PP3PPP/RNBQK2R b KQkq - 0 5",
      "r2q1rk1/pp2bppp/2n1pn2/3p4/3P4/2NBPN2/PP3PPP/R2Q1RK1 w - - 0 10",
  };
  std::vector<std::string> runs[2];
  for (std::vector<std::string>& moves : runs) {
    SetLevel(1500, 77);
    for (int i = 0; i < 5; i++) {
      for (const char* fen : positions) {
        SetUp();
        StartFrom(fen);
        const GameMove move = Think();
        moves.push_back(Square(move.From) + Square(move.To));
      }
    }
  }
  EXPECT_EQ(runs[0], runs[1]);
  Level.Limited = false;
  int differ = 0;
  for (size_t i = 0; i < runs[0].size(); i++) {
    SetUp();
    StartFrom(positions[i % 6]);
    Limits.FD = (u8)Level.DepthLimit(MainBoard);
    ChessBoard root = MainBoard;
    GameMove move;
    Search.ProgressiveDeepening(root, (char)Limits.FD, &move.From, &move.To, &move.Promote);
    differ += Square(move.From) + Square(move.To) != runs[0][i];
  }
  EXPECT_GT(differ, 0);
}

// A level at full strength's figure, or one set but not limited, searches
// node for node as the engine does without it.
TEST_F(StrengthLevelTest, FullStrengthSearchesAsWithoutALevel) {
  const char* fen = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
  auto search = [&](bool limited, int elo) {
    SetUp();
    Level.Limited = limited;
    Level.SetElo(elo);
    StartFrom(fen);
    Limits.FD = 7;
    ChessBoard root = MainBoard;
    GameMove move;
    const int v = Search.ProgressiveDeepening(root, 7, &move.From, &move.To, &move.Promote);
    return std::to_string(v) + " " + Square(move.From) + Square(move.To) + " " +
           std::to_string(Search.NodeCount + Search.QuiesceNodeCount);
  };
  const std::string plain = search(false, FullStrengthElo);
  EXPECT_EQ(search(true, FullStrengthElo), plain);
  EXPECT_EQ(search(false, LowestElo), plain);
}

// A move takes part of the normal time, less when it is obvious, none
// when it is forced.
TEST_F(StrengthLevelTest, ThinkTimeIsAShareOfTheNormalTime) {
  SetLevel(LowestElo, 9);
  RootLine close[2], obvious[2];
  close[0].Score = 100, close[1].Score = 0;
  obvious[0].Score = MinorValue, obvious[1].Score = 0;
  for (int i = 0; i < 50; i++) {
    const i32 normal = Level.ThinkTime(3000, 20, close, 2);
    EXPECT_GE(normal, 3000 / 5);
    EXPECT_LE(normal, 3000);
    EXPECT_LT(Level.ThinkTime(3000, 20, obvious, 2), 3000 / 3);
    EXPECT_EQ(Level.ThinkTime(3000, 1, close, 1), 0);
  }
}
}  // namespace

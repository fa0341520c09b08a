// The referee's board: the moves it takes, the rules that end a game by
// themselves and the lines it finds illegal.
#include "scripts/runner/GamePosition.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {
GamePosition At(const std::string& fen) {
  GamePosition position;
  std::string problem;
  EXPECT_TRUE(position.Set(fen, &problem)) << fen << ": " << problem;
  return position;
}

// Plays coordinate moves; each must be legal.
void Play(GamePosition* position, const std::string& moves) {
  std::istringstream in(moves);
  std::string word;
  while (in >> word) {
    LegalMove move;
    ASSERT_TRUE(position->FindMove(word, &move)) << word << " in " << position->Fen();
    position->Play(move);
  }
}
}  // namespace

TEST(GamePositionTest, EndingsByRule) {
  const struct {
    const char* fen;
    const char* moves;
    Ending ending;
  } cases[] = {
      {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "a1a8", Ending::Checkmate},
      // Mate with the hundredth half-move is mate, not a draw.
      {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 99 60", "a1a8", Ending::Checkmate},
      {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 99 60", "a1a2", Ending::FiftyMoves},
      {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 98 60", "a1a2", Ending::None},
      {"7k/4Q3/6K1/8/8/8/8/8 w - - 0 1", "e7f7", Ending::Stalemate},
      {"7k/8/8/8/8/8/6r1/6KN w - - 0 1", "g1g2", Ending::DeadPosition},
      {"7k/8/8/8/8/8/6r1/6KB w - - 0 1", "g1g2", Ending::DeadPosition},
      {"7k/8/8/8/8/8/6r1/5NKB w - - 0 1", "g1g2", Ending::None},  // two minor pieces can mate
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8",
       Ending::Repetition},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1",
       Ending::None},
      // The third time counts only with the same castling rights: the
      // rooks' trip loses them, so the start position is not repeated.
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "h1h2 h8h7 h2h1 h7h8 h1h2 h8h7 h2h1 h7h8", Ending::None},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1",
       "h1h2 h8h7 h2h1 h7h8 h1h2 h8h7 h2h1 h7h8 h1h2 h8h7 h2h1 h7h8", Ending::Repetition},
  };
  for (const auto& c : cases) {
    GamePosition position = At(c.fen);
    Play(&position, c.moves);
    EXPECT_EQ(position.GameEnd(), c.ending) << c.fen << " after " << c.moves;
  }
}

// A pawn's double step leaves an en-passant square in the FEN, but the
// position repeats all the same when no pawn can take there.
TEST(GamePositionTest, AnEnPassantSquareNobodyCanUseIsNoNewPosition) {
  GamePosition position = At("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1");
  Play(&position, "e2e4 e8d8 e1d1 d8e8 d1e1 e8d8 e1d1 d8e8 d1e1");
  EXPECT_EQ(position.GameEnd(), Ending::Repetition);
  // Here Black's d4 pawn can take on e3 the first time only.
  GamePosition capture = At("4k3/8/8/8/3p4/8/4P3/4K3 w - - 0 1");
  Play(&capture, "e2e4 e8d8 e1d1 d8e8 d1e1 e8d8 e1d1 d8e8 d1e1");
  EXPECT_EQ(capture.GameEnd(), Ending::None);
  Play(&capture, "e8d8 e1d1 d8e8 d1e1");
  EXPECT_EQ(capture.GameEnd(), Ending::Repetition);
}

TEST(GamePositionTest, MovesAreTakenOnlyWhenLegal) {
  const GamePosition position = At("r3k3/1P6/8/8/8/8/8/4K2R w K - 0 1");
  const struct {
    const char* word;
    bool legal;
    const char* san;
  } cases[] = {
      {"e1g1", true, "O-O"},       {"b7b8q", true, "b8=Q+"},  {"b7a8n", true, "bxa8=N"},
      {"b7b8", false, ""},         {"e1e3", false, ""},       {"a1a1", false, ""},
      {"e1g1q", false, ""},        {"", false, ""},           {"b7b8qq", false, ""},
      {"i1i2", false, ""},         {"h1h8", true, "Rh8+"},
  };
  for (const auto& c : cases) {
    LegalMove move;
    EXPECT_EQ(position.FindMove(c.word, &move), c.legal) << c.word;
    if (c.legal) {
      EXPECT_EQ(position.San(move), c.san) << c.word;
    }
  }
}

TEST(GamePositionTest, FirstIllegalMoveOfALine) {
  const GamePosition position = At("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  const struct {
    std::vector<std::string> line;
    int first;
  } cases[] = {
      {{}, -1},
      {{"e2e4", "e7e5", "g1f3"}, -1},
      {{"e2e5"}, 0},
      {{"e2e4", "e2e4"}, 1},
      {{"e2e4", "e7e5", "e1e2", "e8e7", "e2e1", "e7e8", "e1g1"}, 6},  // the rights are gone
  };
  for (const auto& c : cases) EXPECT_EQ(position.FirstIllegal(c.line), c.first) << ::testing::PrintToString(c.line);
}

TEST(GamePositionTest, StartTextsAndTheirCounters) {
  const struct {
    const char* text;
    bool valid;
    const char* fen;
  } cases[] = {
      {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", true,
       "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"},
      {"r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - hmvc 2; fmvn 3; c0 \"e2e4 e7e5 g1f3 b8c6\";",
       true, "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3"},
      {"8/8/8/8/8/8/8/8 w - - 0 1", false, ""},
      {"4k3/8/8/8/8/8/8/4R1K1 w - - 0 1", false, ""},  // the side not to move in check
      {"not a position", false, ""},
  };
  for (const auto& c : cases) {
    GamePosition position;
    std::string problem;
    EXPECT_EQ(position.Set(c.text, &problem), c.valid) << c.text;
    if (c.valid) {
      EXPECT_EQ(position.Fen(), c.fen);
    } else {
      EXPECT_FALSE(problem.empty()) << c.text;
    }
  }
}

// The book key of a position: the format's published keys after moves from
// the start position, en passant counted only with a pawn ready to take,
// and the same key whether the position comes from moves or from a FEN.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "board/PolyglotKey.h"
#include "support/EngineSetup.h"

namespace {
const char* const Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// The start position after the moves, played as the game plays them.
ChessBoard& AfterMoves(const std::string& moves) {
  ChessBoard& b = LoadFen(Start);
  std::istringstream words(moves);
  std::string m;
  while (words >> m) {
    b.PlayMove(Squares(m.substr(0, 2).c_str()), Squares(m.substr(2, 2).c_str()), NoPromotion);
    b.SideToMove ^= 1;
  }
  return b;
}

TEST(PolyglotKeyTest, PublishedKeysAfterMovesFromTheStart) {
  struct Case {
    const char* moves;
    u64 key;
  } cases[] = {
      {"", 0x463b96181691fc9cULL},
      {"e2e4", 0x823c9b50fd114196ULL},
      {"e2e4 d7d5", 0x0756b94461c50fb0ULL},
      {"e2e4 d7d5 e4e5", 0x662fafb965db29d4ULL},
      {"e2e4 d7d5 e4e5 f7f5", 0x22a48b5a8e47ff78ULL},  // e5 stands beside f5: the f file counts
      {"e2e4 d7d5 e4e5 f7f5 e1e2", 0x652a607ca3f242c1ULL},
      {"e2e4 d7d5 e4e5 f7f5 e1e2 e8f7", 0x00fdd303c946bdd9ULL},
      {"a2a4 b7b5 h2h4 b5b4 c2c4", 0x3c8123ea7b067637ULL},  // b4 beside c4: b4xc3 e.p. possible
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PolyglotKey(AfterMoves(c.moves)), c.key) << "after \"" << c.moves << "\"";
  }
}

TEST(PolyglotKeyTest, FenGivesTheKeyOfTheSamePositionReachedByMoves) {
  struct Case {
    const char* fen;
    const char* moves;
  } cases[] = {
      // An en-passant square with no pawn beside the pawn does not count.
      {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", "e2e4"},
      {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", "e2e4 d7d5 e4e5 f7f5"},
      {"rnbq1bnr/ppp1pkpp/8/3pPp2/8/8/PPPPKPPP/RNBQ1BNR w - - 0 4", "e2e4 d7d5 e4e5 f7f5 e1e2 e8f7"},
  };
  for (const Case& c : cases) {
    const u64 byMoves = PolyglotKey(AfterMoves(c.moves));
    EXPECT_EQ(PolyglotKey(LoadFen(c.fen)), byMoves) << c.fen;
  }
  // The side to move and a castling right each change the key.
  const u64 start = PolyglotKey(LoadFen(Start));
  EXPECT_NE(PolyglotKey(LoadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1")), start);
  EXPECT_NE(PolyglotKey(LoadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w Qkq - 0 1")), start);
}

TEST(PolyglotKeyTest, EnPassantFileOnlyWithAPawnReadyToTake) {
  struct Case {
    const char* moves;
    int file;
  } cases[] = {
      {"e2e4", -1},                        // no black pawn beside e4
      {"e2e4 d7d5 e4e5 f7f5", 5},          // e5 beside f5
      {"e2e4 d7d5 e4e5 f7f6", -1},         // a single step
      {"a2a4 b7b5 h2h4 b5b4 c2c4", 2},     // b4 beside c4
      {"h2h4 a7a6 h4h5 g7g5", 6},          // h5 beside g5, on the board's edge
      {"a2a4 b7b5 h2h4 b5b4 c2c3 a7a6 c3c4", -1},  // c4 reached in two single steps
  };
  for (const Case& c : cases) EXPECT_EQ(EnPassantFile(AfterMoves(c.moves)), c.file) << c.moves;
}
}  // namespace

// Position text that no GUI should send but any may: whatever it holds, the
// board built from it keeps one man per square, and evaluation, move
// generation, perft and a shallow search run on it without reading or
// writing outside their tables. The inputs the fuzzer found are kept here
// byte for byte; the AddressSanitizer build runs these as well.
#include <gtest/gtest.h>

#include <string>

#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "board/PositionText.h"
#include "search/OpeningBook.h"
#include "engine/Status.h"
#include "eval/PositionEvaluate.h"
#include "search/SearchRoutines.h"
#include "support/EngineSetup.h"
#include "tools/PerfT.h"
#include "search/SearchLimits.h"

namespace {
// Every man on a square of its own, and the aggregates their unions.
void ExpectConsistent(const ChessBoard& b, const std::string& fen) {
  const u64 boards[12] = {b.WhitePawns, b.WhiteKnights, b.WhiteBishops, b.WhiteRooks, b.WhiteQueens, b.WhiteKing,
                          b.BlackPawns, b.BlackKnights, b.BlackBishops, b.BlackRooks, b.BlackQueens, b.BlackKing};
  u64 white = 0, black = 0;
  int men = 0;
  for (int i = 0; i < 12; i++) {
    (i < 6 ? white : black) |= boards[i];
    men += __builtin_popcountll(boards[i]);
  }
  EXPECT_EQ(men, __builtin_popcountll(white | black)) << fen;
  EXPECT_EQ(b.WhitePieces, white) << fen;
  EXPECT_EQ(b.BlackPieces, black) << fen;
  EXPECT_EQ(b.AllPieces, white | black) << fen;
}

// Runs what "setboard" followed by "go" or perft would run on the position.
void Exercise() {
  MainBoard.InitPieceCounts();
  MainBoard.FiftyMoveCount = 0;
  PE.PosEval(MainBoard.SideToMove, -MateScore, MateScore, &MainBoard);
  testing::internal::CaptureStdout();
  { PerfT count(2); }
  const Status saved = MainStatus;
  Limits.FD = 2;
  ChessBoard& b = MainBoard;
  Search.ProgressiveDeepening(b, 2, &b.BestMoveFrom, &b.BestMoveTo, &b.BestMovePromote);
  MainStatus = saved;
  testing::internal::GetCapturedStdout();
}

TEST(HostilePositionTest, OddTextKeepsOneManPerSquareAndIsSafeToSearch) {
  const std::string cases[] = {
      // Found by fuzzing: rank 2 runs eleven squares long into rank 3 and
      // used to put a White rook onto the square of a Black pawn.
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PP\260\275\275\257\257\257\320\2433K2R w KQkq - 0 1",
      // Found by fuzzing: White pawns on the eighth rank, whose squares
      // ahead lie off the board (the evaluation shifted past 63).
      "rnPP/RNBQKBNR wpp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
      "4k2P/8/8/8/8/8/8/4K2p b - -",
      // More ranks than eight, more files than eight, digits past 8.
      "8/8/8/8/8/8/8/8/8/8/KQRBNP/kqrbnp w KQkq -",
      "KKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKK b KQkq",
      "9/99999999/k7/8/8/8/8/7K w",
      // No kings; only kings; one side's pieces everywhere.
      "8/pppppppp/8/8/8/8/PPPPPPPP/8 w - -",
      "QQQQQQQQ/QQQQQQQQ/QQQQQQQQ/QQQQ1QQQ/8/8/8/k6K b - -",
      "",
      " w KQkq",
      "////////////////////////////////////////",
  };
  for (const std::string& fen : cases) {
    LoadFen(fen);
    ExpectConsistent(MainBoard, fen);
    Exercise();
  }
}

TEST(HostilePositionTest, ALaterManReplacesTheOneOnItsSquare) {
  // Rank 1 runs two squares long, onto a2 and b2, where Black pawns stand.
  ChessBoard& b = LoadFen("4k3/8/8/8/8/8/pp6/RNBQKBNRPP w - -");
  EXPECT_EQ(b.WhitePawns, Squares("a2 b2"));
  EXPECT_EQ(b.BlackPawns, 0u);
  EXPECT_EQ(b.WhiteRooks, Squares("a1 h1"));
}

// Each rebuild of the book tree frees the last one; the LeakSanitizer build
// reports the nodes otherwise ("setoption name OwnBook value true" rebuilds
// it every time a GUI sends it).
TEST(HostilePositionTest, RebuildingTheBookKeepsOneTree) {
  for (int i = 0; i < 3; i++) buildbook();
  EXPECT_NE(treeroot, nullptr);
}
}  // namespace

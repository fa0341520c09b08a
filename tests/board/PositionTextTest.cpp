// FEN/EPD text in and out: the fields that are read (en passant among
// them), the move counters read apart, EPD operations, the castling text,
// malformed text and text that is no chess position, which are refused,
// and text that is not a position at all, which must never write outside
// the board (the AddressSanitizer build runs these too).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "board/PositionText.h"
#include "engine/Status.h"
#include "support/EngineSetup.h"

namespace {
const char* const StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

std::string Fen(const ChessBoard& b) {
  char text[256];
  pos2fenString(&b, text);
  return text;
}

TEST(PositionTextTest, StartFenGivesTheStartPosition) {
  ChessBoard start;
  start.InitRep();
  ChessBoard& b = LoadFen(StartFen);
  EXPECT_EQ(b.WhitePawns, start.WhitePawns);
  EXPECT_EQ(b.WhiteKnights, start.WhiteKnights);
  EXPECT_EQ(b.WhiteBishops, start.WhiteBishops);
  EXPECT_EQ(b.WhiteRooks, start.WhiteRooks);
  EXPECT_EQ(b.WhiteQueens, start.WhiteQueens);
  EXPECT_EQ(b.WhiteKing, start.WhiteKing);
  EXPECT_EQ(b.BlackPawns, start.BlackPawns);
  EXPECT_EQ(b.BlackKnights, start.BlackKnights);
  EXPECT_EQ(b.BlackBishops, start.BlackBishops);
  EXPECT_EQ(b.BlackRooks, start.BlackRooks);
  EXPECT_EQ(b.BlackQueens, start.BlackQueens);
  EXPECT_EQ(b.BlackKing, start.BlackKing);
  EXPECT_EQ(b.AllPieces, start.AllPieces);
  EXPECT_EQ(b.CastleFlags, 15);
  EXPECT_EQ(b.SideToMove, 0);
  EXPECT_EQ(Fen(b), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 ; ");
}

TEST(PositionTextTest, SideAndCastlingFields) {
  const struct {
    const char* fen;
    int side;
    int rights;
  } cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w - -", 0, 0},
      {"r3k2r/8/8/8/8/8/8/R3K2R b - -", 1, 0},
      {"r3k2r/8/8/8/8/8/8/R3K2R w Kq -", 0, 9},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq", 1, 15},  // the field runs to the end of the text
      {"r3k2r/8/8/8/8/8/8/R3K2R w qkQK - 0 1", 0, 15},
      {"r3k2r/8/8/8/8/8/8/R3K2R w k", 0, 4},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KxQ -", 0, 3},  // other letters are skipped
      {"r3k2r/8/8/8/8/8/8/R3K2R w -KQ -", 0, 0},  // a leading dash means none
      {"r3k2r/8/8/8/8/8/8/R3K2R x KQ -", 0, 3},
      {"r3k2r/8/8/8/8/8/8/R3K2R b", 1, 0},
      {"r3k2r/8/8/8/8/8/8/R3K2R", 0, 0},
      // Rights the men do not support are dropped.
      {"4k3/8/8/8/8/8/8/4K3 w KQkq -", 0, 0},
      {"r3k3/8/8/8/8/8/8/4K2R w KQkq -", 0, 9},
      {"r3k2r/8/8/8/8/8/8/R2K3R w KQkq -", 0, 12},
  };
  for (const auto& c : cases) {
    ChessBoard& b = LoadFen(c.fen);
    EXPECT_EQ(b.SideToMove, c.side) << c.fen;
    EXPECT_EQ(b.CastleFlags, c.rights) << c.fen;
  }
}

TEST(PositionTextTest, EnPassantFieldNamesTheLastDoubleStep) {
  const struct {
    const char* fen;
    const char* lastFrom;  // "" when the field is not taken
    const char* lastTo;
  } cases[] = {
      {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", "f7", "f5"},
      {"k7/2K5/8/8/Pp6/1P2B3/8/8 b - a3 0 1", "a2", "a4"},
      {"4k3/8/8/8/4P3/8/8/4K3 b - e3 0 1", "e2", "e4"},  // no capture, but the step is known
      {"4k3/8/8/8/4P3/8/8/4K3 w - e3 0 1", "", ""},       // White's step with White to move
      {"4k3/8/8/8/4P3/8/8/4K3 b - d3 0 1", "", ""},       // no pawn on d4
      {"4k3/8/8/8/4P3/4N3/8/4K3 b - e3 0 1", "", ""},     // e3 is not empty
      {"4k3/8/8/8/4P3/8/8/4K3 b - e4 0 1", "", ""},       // not a third or sixth rank square
      {"4k3/8/8/8/4P3/8/8/4K3 b - z3 0 1", "", ""},
      {"4k3/8/8/8/4P3/8/8/4K3 b - -", "", ""},
  };
  for (const auto& c : cases) {
    ChessBoard& b = LoadFen(c.fen);
    EXPECT_EQ(b.LastFrom, Squares(c.lastFrom)) << c.fen;
    EXPECT_EQ(b.LastTo, Squares(c.lastTo)) << c.fen;
  }
}

TEST(PositionTextTest, CountersAndOperationsAreNotReadOntoTheBoard) {
  const std::string plain = Fen(LoadFen("r3k2r/8/8/3pP3/8/8/8/R3K2R w KQkq -"));
  const char* const variants[] = {
      "r3k2r/8/8/3pP3/8/8/8/R3K2R w KQkq - 0 1",
      "r3k2r/8/8/3pP3/8/8/8/R3K2R w KQkq - 17 42",
      "r3k2r/8/8/3pP3/8/8/8/R3K2R w KQkq - bm e5d6; id \"ep.1\";",
  };
  for (const char* text : variants) EXPECT_EQ(Fen(LoadFen(text)), plain) << text;
  // The counters of the board are left alone.
  MainBoard.FiftyMoveCount = 37;
  MainBoard.MaxDepth = 9;
  SetupBoard("4k3/8/8/8/8/8/8/4K3 w - - 12 40");
  EXPECT_EQ(MainBoard.FiftyMoveCount, 37);
  EXPECT_EQ(MainBoard.MaxDepth, 9);
}

TEST(PositionTextTest, TextThatIsNoPositionIsRefusedAndTheBoardStays) {
  const struct {
    const char* fen;
    const char* problem;  // nullptr: a position
  } cases[] = {
      {StartFen, nullptr},
      {"4k3/8/8/8/8/8/8/4K3 b - -", nullptr},
      {"4k3/4R3/8/8/8/8/8/4K3 b - -", nullptr},  // the side to move may be in check
      {"kkkkkkkk/KKKKKKKK/8/8/8/8/8/8 w KQkq", "more than one king of a colour"},
      {"8/8/8/8/8/8/8/8 w - -", "not exactly one king of each colour"},
      {"4k3/8/8/8/8/8/8/8 w - -", "not exactly one king of each colour"},
      {"P3k3/8/8/8/8/8/8/4K3 w - -", "a pawn on the first or last rank"},
      {"4k3/8/8/8/8/8/8/p3K3 w - -", "a pawn on the first or last rank"},
      {"4k3/8/8/8/QQQQQQQQ/QQQQQQQQ/8/4K3 w - -", "more than 16 men of a colour"},
      {"4k3/8/8/8/8/P7/PPPPPPPP/4K3 w - -", "more than 8 pawns of a colour"},
      {"4k3/4R3/8/8/8/8/8/4K3 w - -", "the side not to move is in check"},
  };
  for (const auto& c : cases) {
    LoadFen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq -");
    const std::string before = Fen(MainBoard);
    const char* problem = LoadPosition(c.fen);
    if (c.problem == nullptr) {
      EXPECT_EQ(problem, nullptr) << c.fen << ": " << problem;
      EXPECT_NE(Fen(MainBoard), before) << c.fen;
    } else {
      ASSERT_NE(problem, nullptr) << c.fen;
      EXPECT_STREQ(problem, c.problem) << c.fen;
      EXPECT_EQ(Fen(MainBoard), before) << c.fen;
    }
  }
}

// Text that is malformed as FEN or EPD is refused with what is wrong in it,
// before what its men would make of the board, and the board stays.
TEST(PositionTextTest, MalformedTextIsRefusedWithWhatIsWrong) {
  const char* const startPlacement = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR";
  const struct {
    std::string text;
    const char* problem;
  } cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "the placement has 7 ranks, not 8"},
      {std::string(startPlacement) + "/8 w KQkq - 0 1", "the placement has 9 ranks, not 8"},
      {"rnbqkbnrr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "rank 8 has 9 squares, not 8"},
      {"rnbqkbnr/ppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "rank 7 has 7 squares, not 8"},
      {"rnbqkbnr/pppppppp/8/8/4P4/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1", "rank 4 has 9 squares, not 8"},
      {"rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "the digit 9 in rank 6 (empty squares are 1 to 8)"},
      {"rnbqkbnr/pppppppp/08/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "the digit 0 in rank 6 (empty squares are 1 to 8)"},
      {"rnbqkbnr/pppppppp/8/8/3X4/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "'X' in rank 4 names no man"},
      {"4k3/8/8/8/8/8/8/4K2\xff w - -", "the byte 0xff in rank 1 names no man"},
      {std::string(startPlacement) + " x KQkq - 0 1", "the side to move \"x\" is neither w nor b"},
      {std::string(startPlacement) + " white KQkq - 0 1", "the side to move \"white\" is neither w nor b"},
      {startPlacement, "no side to move"},
      {std::string(startPlacement) + " w KQxq - 0 1", "the castling field \"KQxq\" holds more than K, Q, k, q, file letters or -"},
      {std::string(startPlacement) + " w KQkq e4 0 1",
       "the en-passant field \"e4\" is neither - nor a square of the third or sixth rank"},
      {std::string(startPlacement) + " w KQkq 0 1",
       "the en-passant field \"0\" is neither - nor a square of the third or sixth rank"},
      {std::string(startPlacement) + " w KQkq bm e4;",
       "the en-passant field \"bm\" is neither - nor a square of the third or sixth rank"},
      {"", "the text holds no position"},
      {"   ", "the text holds no position"},
  };
  for (const auto& c : cases) {
    LoadFen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq -");
    const std::string before = Fen(MainBoard);
    const char* problem = LoadPosition(c.text.c_str());
    ASSERT_NE(problem, nullptr) << c.text;
    EXPECT_STREQ(problem, c.problem) << c.text;
    EXPECT_EQ(Fen(MainBoard), before) << c.text;
  }
}

// What FEN and EPD allow, and what GUIs and suites send, is read.
TEST(PositionTextTest, WellFormedTextIsReadWhateverFollowsIt) {
  const struct {
    const char* text;
    const char* fen;  // as written back
  } cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 ; "},
      {"r3k2r/8/8/8/8/8/8/R3K2R b", "r3k2r/8/8/8/8/8/8/R3K2R b -- - 0 ; "},       // no castling, no en passant
      {"r3k2r/8/8/8/8/8/8/R3K2R w kq", "r3k2r/8/8/8/8/8/8/R3K2R w -kq - 0 ; "},  // the field at the text's end
      {"r3k2r/8/8/8/8/8/8/R3K2R  w\tKq   -  12  40", "r3k2r/8/8/8/8/8/8/R3K2R w Kq - 0 ; "},
      {"r3k2r/8/8/8/8/8/8/R3K2R w -- - 0 ; ", "r3k2r/8/8/8/8/8/8/R3K2R w -- - 0 ; "},  // the writer's own text
      {"r3k2r/8/8/8/8/8/8/R3K2R w - - bm Ra8; id \"x 1\";", "r3k2r/8/8/8/8/8/8/R3K2R w -- - 0 ; "},
      {"4k3/8/8/8/8/8/8/4K3 w - e6 0 1", "4k3/8/8/8/8/8/8/4K3 w -- - 0 ; "},  // a step nobody made is ignored
      {"44/8/8/8/8/8/8/4K2k w - -", "8/8/8/8/8/8/8/4K2k w -- - 0 ; "},
  };
  for (const auto& c : cases) {
    ChessBoard b = LoadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
    EXPECT_EQ(ReadPositionText(c.text, &b), nullptr) << c.text << ": " << ReadPositionText(c.text, &b);
    EXPECT_EQ(Fen(b), c.fen) << c.text;
  }
}

TEST(PositionTextTest, MoveCountersComeFromTheFifthAndSixthFields) {
  const struct {
    const char* text;
    int halfMoves, fullMove;
  } cases[] = {
      {"8/1R6/5k2/8/8/8/8/5K2 b - - 99 50", 99, 50},
      {"8/1R6/5k2/8/8/8/8/5K2 b - -\t7  12", 7, 12},
      {"8/1R6/5k2/8/8/8/8/5K2 b - -", 0, 1},
      {"8/1R6/5k2/8/8/8/8/5K2 b", 0, 1},
      {"8/1R6/5k2/8/8/8/8/5K2 b - - 12", 12, 1},
      {"8/1R6/5k2/8/8/8/8/5K2 b - - 0 0", 0, 1},  // move 0, as some suites write it
      {"8/1R6/5k2/8/8/8/8/5K2 b - - 3 x", 3, 1},
      {"8/1R6/5k2/8/8/8/8/5K2 b - - -3 4", 0, 1},
      {"8/1R6/5k2/8/8/8/8/5K2 b - - 3x 4", 0, 1},
      {"8/1R6/5k2/8/8/8/8/5K2 b - - bm Kg6; id \"7 8\";", 0, 1},
      {"8/1R6/5k2/8/8/8/8/5K2 b - - 150 99999999999999999999", 100, 10000},
  };
  for (const auto& c : cases) {
    const MoveCounters counters = ReadMoveCounters(c.text);
    EXPECT_EQ(counters.HalfMoves, c.halfMoves) << c.text;
    EXPECT_EQ(counters.FullMove, c.fullMove) << c.text;
  }
}

// Only where both sides or neither have rights: the writer puts a dash
// before one side's letters ("-KQ"), which the reader takes for no rights.
TEST(PositionTextTest, WrittenTextReadsBackToTheSameBoard) {
  const char* const fens[] = {
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 ; ",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 b -- - 0 ; ",
      "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w -- - 0 ; ",
      "1k6/8/8/8/8/8/8/6K1 b -- - 0 ; ",
      "8/8/8/8/8/8/8/8 w -- - 0 ; ",
  };
  for (const char* fen : fens) EXPECT_EQ(Fen(LoadFen(fen)), fen);
}

TEST(PositionTextTest, CastleRightsText) {
  const struct {
    int rights;
    const char* expected;
  } cases[] = {{15, "KQkq"}, {0, "--"}, {3, "-KQ"}, {12, "-kq"}, {9, "Kq"}, {6, "Qk"}, {1, "-K"}, {8, "-q"}};
  for (const auto& c : cases) {
    char text[16];
    CastleRights(text, (char)c.rights);
    EXPECT_STREQ(text, c.expected) << c.rights;
  }
}

TEST(PositionTextTest, DecodePieceNamesEveryMan) {
  ChessBoard& b = LoadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
  const char* const rank1 = "RNBQKBNR";
  for (int file = 0; file < 8; file++) {
    EXPECT_EQ(DecodePiece(1ULL << file, &b), rank1[file]);
    EXPECT_EQ(DecodePiece(1ULL << (56 + file), &b), rank1[file] - 'A' + 'a');
    EXPECT_EQ(DecodePiece(1ULL << (8 + file), &b), 'P');
    EXPECT_EQ(DecodePiece(1ULL << (48 + file), &b), 'p');
  }
}

// Text that is no position: whatever it produces, only squares a1..h8 are
// written and the aggregates agree with the piece boards.
TEST(PositionTextTest, HostileTextStaysOnTheBoard) {
  const std::string longRank(100000, 'p');
  const std::string manyRanks = std::string(20000, '/') + "K";
  const std::string manyDigits = std::string(20000, '8') + "/K w KQkq";
  const std::string longCastling = "4k3/8/8/8/8/8/8/4K3 w " + std::string(100000, 'K');
  const struct {
    std::string text;
    const char* placement;  // expected, or nullptr when only safety matters
  } cases[] = {
      {"rnbqkbnrr/8/8/8/8/8/8/8 w - -", "rnbqkbnr/8/8/8/8/8/8/8"},  // the ninth man falls off
      {"8/ppppppppp/8/8/8/8/8/8 w - -", "p7/pppppppp/8/8/8/8/8/8"},  // runs on into the rank above
      {"8/8/8/8/8/8/8/8/8/K7 w - -", "8/8/8/8/8/8/8/8"},             // a ninth rank is below a1
      {"9/8/8/8/8/8/8/7K w - -", "8/8/8/8/8/8/8/7K"},                // '9' is no digit of a rank
      {"k0K5/8/8/8/8/8/8/8 w - -", "k1K5/8/8/8/8/8/8/8"},
      {"X?!\xff@/8/8/8/8/8/8/8 w - -", "8/8/8/8/8/8/8/8"},
      {"88888888/8/8/8/8/8/8/K7 w - -", nullptr},
      {"", "8/8/8/8/8/8/8/8"},
      {" w KQ", "8/8/8/8/8/8/8/8"},
      {"4k3/8/8/8/8/8/8/4K3 ", "4k3/8/8/8/8/8/8/4K3"},
      {"4k3/8/8/8/8/8/8/4K3 w ", "4k3/8/8/8/8/8/8/4K3"},
      {longRank, "pppppppp/8/8/8/8/8/8/8"},
      {manyRanks, "8/8/8/8/8/8/8/8"},
      {manyDigits, nullptr},
      {longCastling, "4k3/8/8/8/8/8/8/4K3"},
  };
  for (const auto& c : cases) {
    const std::string shown = c.text.size() > 60 ? c.text.substr(0, 60) + "..." : c.text;
    ChessBoard& b = LoadFen(c.text);
    if (c.placement) {
      EXPECT_EQ(Fen(b).substr(0, Fen(b).find(' ')), c.placement) << shown;
    }
    u64 white = b.WhitePawns | b.WhiteBishops | b.WhiteKnights | b.WhiteRooks | b.WhiteQueens | b.WhiteKing;
    u64 black = b.BlackPawns | b.BlackBishops | b.BlackKnights | b.BlackRooks | b.BlackQueens | b.BlackKing;
    EXPECT_EQ(b.WhitePieces, white) << shown;
    EXPECT_EQ(b.BlackPieces, black) << shown;
    EXPECT_EQ(b.AllPieces, white | black) << shown;
    EXPECT_GE(b.CastleFlags, 0) << shown;
    EXPECT_LE(b.CastleFlags, 15) << shown;
  }
}

TEST(PositionTextTest, PositionFileGivesItsFirstLine) {
  char path[] = "/tmp/vorn-position-XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  std::ofstream(path) << "4k3/8/8/8/8/8/8/R3K3 b Q -\r\nrnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -\n";
  LoadPositionFile(path);
  std::remove(path);
  EXPECT_EQ(Fen(MainBoard), "4k3/8/8/8/8/8/8/R3K3 b -Q - 0 ; ");
}
}  // namespace

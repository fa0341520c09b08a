// Chess960 castling in the move generator and in standard algebraic
// notation: perft of positions where castling is tricky against the
// figures Debian's stockfish counts (tests/data/chess960-perft.txt, the
// shallow depths; `make slow` runs them all), "O-O" and "O-O-O" read and
// written, and the king's step that is not castling told apart from it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/PositionText.h"
#include "movegen/SANText.h"
#include "support/EngineSetup.h"
#include "tools/PerfT.h"

namespace {
class Chess960MovesTest : public ::testing::Test {
 protected:
  void SetUp() override { RestoreStartUpState(); }
  void TearDown() override { Chess960 = false; }
};

struct PerftLine {
  std::string fen;
  std::vector<std::pair<int, u64>> counts;  // depth, leaves
};

// The data file's lines of the given kind ("sp" or "tricky").
std::vector<PerftLine> PerftData(const std::string& kind) {
  std::ifstream data(VORN_TEST_DATA "/chess960-perft.txt");
  std::vector<PerftLine> lines;
  for (std::string line; std::getline(data, line);) {
    if (line.rfind(kind, 0) != 0) continue;
    std::istringstream fields(line);
    std::string field;
    std::getline(fields, field, ';');
    PerftLine entry;
    std::getline(fields, entry.fen, ';');
    while (std::getline(fields, field, ';')) {
      std::istringstream numbers(field);
      int depth;
      u64 count;
      numbers >> depth >> count;
      entry.counts.push_back({depth, count});
    }
    lines.push_back(entry);
  }
  return lines;
}

std::string Coordinates(const LegalMove& m) {
  const int from = SquareOf(m.From), to = SquareOf(m.To);
  return {(char)('a' + (from & 7)), (char)('1' + (from >> 3)), (char)('a' + (to & 7)), (char)('1' + (to >> 3))};
}

TEST_F(Chess960MovesTest, TrickyCastlingCountsAsStockfishCounts) {
  const std::vector<PerftLine> lines = PerftData("tricky");
  ASSERT_GE(lines.size(), 10u);
  // The counts do not depend on how castling is written.
  for (bool chess960 : {true, false}) {
    Chess960 = chess960;
    for (const PerftLine& line : lines) {
      for (const auto& [depth, count] : line.counts) {
        if (depth > 3) continue;
        ASSERT_EQ(LoadPosition(line.fen.c_str()), nullptr) << line.fen;
        PerfT perft(depth);
        EXPECT_EQ(perft.LeafNodes, count) << line.fen << " depth " << depth << (chess960 ? " Chess960" : "");
      }
    }
  }
}

TEST_F(Chess960MovesTest, CastlingIsWrittenAsTheKingTakingItsRook) {
  struct Case {
    const char* fen;
    bool chess960;
    const char* castles;  // the castling moves, king side first
  };
  const Case cases[] = {
      {"4rkr1/pppppppp/8/8/8/8/PPPPPPPP/4RKR1 w GEge - 0 1", true, "f1g1 f1e1"},
      {"1r4kr/8/8/8/8/8/8/1R4KR w HBhb - 0 1", true, "g1h1 g1b1"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", true, "e1h1 e1a1"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", false, "e1g1 e1c1"},
      // Rights read by file in standard chess castle in the only form
      // that names them.
      {"1r4kr/8/8/8/8/8/8/1R4KR w HBhb - 0 1", false, "g1h1 g1b1"},
      // Queen side: c1 is held by the other rook. King side: the king
      // passes c1, which the rook on c8 attacks once no pawn stands
      // between, and f1, attacked from f8.
      {"rkr5/pppppppp/8/8/8/8/PPPPPPPP/RKR5 w CAca - 0 1", true, "b1c1"},
      {"rkr5/8/8/8/8/8/8/RKR5 w CAca - 0 1", true, ""},
      {"rk3r2/ppppp1pp/8/8/8/8/PPPPP1PP/RKR5 w CA - 0 1", true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.fen) + (c.chess960 ? " Chess960" : " standard"));
    Chess960 = c.chess960;
    ASSERT_EQ(LoadPosition(c.fen), nullptr);
    std::string castles;
    for (const LegalMove& m : LegalMoves(MainBoard)) {
      if (!MainBoard.IsCastling(MainBoard.SideToMove, m.From, m.To)) continue;
      castles += (castles.empty() ? "" : " ") + Coordinates(m);
    }
    EXPECT_EQ(castles, c.castles);
  }
}

TEST_F(Chess960MovesTest, CastlingReadsAndWritesAsOO) {
  struct Case {
    const char* fen;
    const char* san;
    const char* move;
  };
  const Case cases[] = {
      {"4rkr1/pppppppp/8/8/8/8/PPPPPPPP/4RKR1 w GEge - 0 1", "O-O", "f1g1"},
      {"4rkr1/pppppppp/8/8/8/8/PPPPPPPP/4RKR1 w GEge - 0 1", "O-O-O", "f1e1"},
      {"4rkr1/pppppppp/8/8/8/8/PPPPPPPP/4RKR1 b GEge - 0 1", "0-0", "f8g8"},
      {"1r4kr/8/8/8/8/8/8/1R4KR w HBhb - 0 1", "O-O", "g1h1"},
      {"r1k3r1/8/8/8/8/8/8/R1K3R1 w GAga - 0 1", "O-O-O", "c1a1"},
  };
  Chess960 = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.fen) + " " + c.san);
    ASSERT_EQ(LoadPosition(c.fen), nullptr);
    LegalMove m;
    ASSERT_EQ(ReadSAN(c.san, MainBoard, &m), SANReading::Found);
    EXPECT_EQ(Coordinates(m), c.move);
    char text[16];
    WriteSAN(MainBoard, m, text);
    std::string expected = c.san;
    if (expected[0] == '0') expected = "O-O";
    EXPECT_EQ(text, expected);
  }
}

TEST_F(Chess960MovesTest, AKingStepBesideItsCastlingIsNoCastling) {
  // King b1, rook a1: castling queen side takes the king to c1, as does
  // the plain step "Kc1"; the two stay apart.
  Chess960 = true;
  ASSERT_EQ(LoadPosition("rk5r/8/8/8/8/8/8/RK5R w HAha - 0 1"), nullptr);
  LegalMove step, castling;
  ASSERT_EQ(ReadSAN("Kc1", MainBoard, &step), SANReading::Found);
  ASSERT_EQ(ReadSAN("O-O-O", MainBoard, &castling), SANReading::Found);
  EXPECT_EQ(Coordinates(step), "b1c1");
  EXPECT_EQ(Coordinates(castling), "b1a1");
  char text[16];
  WriteSAN(MainBoard, step, text);
  EXPECT_STREQ(text, "Kc1");
  // The king onto its rook is castling only: "Kxa1" names nothing.
  EXPECT_EQ(ReadSAN("Kxa1", MainBoard, &step), SANReading::NoMove);
}
}  // namespace

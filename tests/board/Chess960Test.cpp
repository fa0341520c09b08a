// Chess960 on the board: the start positions by number, castling rights
// read from and written to position text (KQkq and the rooks' files), and
// castling made and taken back wherever the king and its rook start.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "board/BoardMasks.h"
#include "board/Chess960Start.h"
#include "board/ChessBoard.h"
#include "board/HashCodes.h"
#include "board/PositionText.h"
#include "support/EngineSetup.h"
#include "support/ReferenceMoves.h"

namespace {
class Chess960Test : public ::testing::Test {
 protected:
  void SetUp() override { RestoreStartUpState(); }
  void TearDown() override { Chess960 = false; }
};

TEST_F(Chess960Test, StartPositionsFollowTheirNumbers) {
  EXPECT_EQ(Chess960FirstRank(0), "BBQNNRKR");
  EXPECT_EQ(Chess960FirstRank(518), "RNBQKBNR");
  EXPECT_EQ(Chess960FirstRank(959), "RKRNNQBB");
  EXPECT_EQ(Chess960Fen(518, CastlingStyle::Files), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w HAha - 0 1");
  EXPECT_EQ(Chess960Fen(0, CastlingStyle::KQkq), "bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w KQkq - 0 1");

  // All different, bishops on squares of both colours, the king between
  // its rooks: the rules of the 960.
  std::set<std::string> seen;
  for (int number = 0; number < 960; number++) {
    const std::string rank = Chess960FirstRank(number);
    SCOPED_TRACE(std::to_string(number) + " " + rank);
    EXPECT_TRUE(seen.insert(rank).second);
    const size_t bishop = rank.find('B'), otherBishop = rank.rfind('B');
    EXPECT_NE(bishop % 2, otherBishop % 2);
    const size_t rook = rank.find('R'), otherRook = rank.rfind('R'), king = rank.find('K');
    EXPECT_LT(rook, king);
    EXPECT_LT(king, otherRook);
    std::string sorted = rank;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, "BBKNNQRR");
  }
}

TEST_F(Chess960Test, StartPositionsAgreeWithThePerftData) {
  std::ifstream data(VORN_TEST_DATA "/chess960-perft.txt");
  ASSERT_TRUE(data.good());
  int checked = 0;
  for (std::string line; std::getline(data, line);) {
    if (line.rfind("sp ", 0) != 0) continue;
    std::istringstream fields(line.substr(3));
    int number;
    char separator;
    std::string fen;
    fields >> number >> separator;
    std::getline(fields, fen, ';');
    EXPECT_EQ(Chess960Fen(number, CastlingStyle::Files), fen) << number;
    checked++;
  }
  EXPECT_EQ(checked, 960);
}

struct RightsCase {
  const char* fen;
  bool chess960;
  int rights;
  // The rook's file of each right (White king side, White queen side,
  // Black king side, Black queen side), '.' for a right not held.
  const char* rookFiles;
  const char* problem;  // nullptr when the text is a position
};

const RightsCase RightsCases[] = {
    // X-FEN KQkq names the outermost rooks; Shredder-FEN the files.
    {"bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w KQkq - 0 1", true, 15, "hfhf", nullptr},
    {"bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w HFhf - 0 1", true, 15, "hfhf", nullptr},
    {"bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w HFhf - 0 1", false, 15, "hfhf", nullptr},
    // In standard chess KQkq castles from e1 and the corners only.
    {"bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w KQkq - 0 1", false, 0, "....", nullptr},
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w HAha - 0 1", false, 15, "haha", nullptr},
    // A rook inside the outermost one is named by its file.
    {"2r1k2r/8/8/8/8/8/8/RR2K2R w KBkc - 0 1", true, 15, "hbhc", nullptr},
    {"2r1k2r/8/8/8/8/8/8/RR2K2R w KQ - 0 1", true, 3, "ha..", nullptr},
    // One right a side.
    {"1r1k2r1/8/8/8/8/8/8/1R1K2R1 w Gb - 0 1", true, 9, "g..b", nullptr},
    {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", true, 0, "....", nullptr},
    // Refused in Chess960: a letter that names no rook, a king off its
    // first rank, a king not between its rooks (two rights on one wing).
    {"1r1k2r1/8/8/8/8/8/8/1R1K2R1 w H - 0 1", true, 0, "", "the castling letter H names no White rook on that file of its first rank"},
    {"1r1k2r1/8/8/8/8/8/8/3K2R1 w Q - 0 1", true, 0, "", "the castling letter Q names no White rook beside the king towards the a-file"},
    {"1r1k2r1/8/8/8/8/8/3K4/1R4R1 w K - 0 1", true, 0, "", "the castling letter K needs the White king on its first rank"},
    {"1r1k2r1/8/8/8/8/8/8/1R1K2RR w HG - 0 1", true, 0, "", "two king-side castling rights for White"},
    {"1r1k4/8/8/8/8/8/8/1R1K2R1 w k - 0 1", true, 0, "", "the castling letter k names no Black rook beside the king towards the h-file"},
    // A file letter names its rook in standard chess too.
    {"1r1k2r1/8/8/8/8/8/8/1R1K2R1 w F - 0 1", false, 0, "", "the castling letter F names no White rook on that file of its first rank"},
    // In standard chess an unsupported KQkq right is dropped, as always.
    {"1r1k2r1/8/8/8/8/8/8/1R1K2R1 w KQkq - 0 1", false, 0, "....", nullptr},
};

TEST_F(Chess960Test, CastlingRightsAreReadFromEitherForm) {
  for (const RightsCase& c : RightsCases) {
    SCOPED_TRACE(std::string(c.fen) + (c.chess960 ? " (Chess960)" : " (standard)"));
    Chess960 = c.chess960;
    const ChessBoard before = MainBoard;
    const char* problem = LoadPosition(c.fen);
    if (c.problem != nullptr) {
      ASSERT_NE(problem, nullptr);
      EXPECT_STREQ(problem, c.problem);
      EXPECT_EQ(Mailbox(MainBoard), Mailbox(before));  // the position kept
      continue;
    }
    ASSERT_EQ(problem, nullptr);
    EXPECT_EQ(MainBoard.CastleFlags, c.rights);
    for (int index = 0; index < 4; index++) {
      if (!(c.rights & (1 << index))) continue;
      EXPECT_EQ((char)('a' + MainBoard.CastleRookFile(index)), c.rookFiles[index]) << "right " << index;
    }
  }
}

TEST_F(Chess960Test, TheFenShowsTheRightsInEitherForm) {
  struct Case {
    const char* fen;
    const char* kqkq;
    const char* files;
  };
  const Case cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "KQkq", "HAha"},
      {"bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w KQkq - 0 1", "KQkq", "HFhf"},
      {"2r1k2r/8/8/8/8/8/8/RR2K2R w KBkc - 0 1", "KBkq", "HBhc"},
      {"1r1k2r1/8/8/8/8/8/8/1R1K2R1 w Gb - 0 1", "Kq", "Gb"},
      {"1r1k2r1/8/8/8/8/8/8/1R1K2R1 w - - 0 1", "-", "-"},
  };
  Chess960 = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fen);
    ASSERT_EQ(LoadPosition(c.fen), nullptr);
    EXPECT_EQ(CastlingField(MainBoard, CastlingStyle::KQkq), c.kqkq);
    EXPECT_EQ(CastlingField(MainBoard, CastlingStyle::Files), c.files);
    // Either form reads back to the same rights.
    for (CastlingStyle style : {CastlingStyle::KQkq, CastlingStyle::Files}) {
      const ChessBoard read = MainBoard;
      const std::string fen = FenText(read, 1, style);
      ASSERT_EQ(LoadPosition(fen.c_str()), nullptr) << fen;
      EXPECT_EQ(MainBoard.CastleFlags, read.CastleFlags) << fen;
      EXPECT_EQ(CastlingField(MainBoard, CastlingStyle::Files), c.files) << fen;
    }
  }
}

struct CastleCase {
  const char* fen;
  const char* king;  // from
  const char* onto;  // the square the move names
  const char* after; // placement of the first rank afterwards
};

// Castling as the king taking its own rook: the king on g1 or c1, the rook
// beside it, whichever of them started on its own final square.
const CastleCase CastleCases[] = {
    {"4rkr1/8/8/8/8/8/8/4RKR1 w GEge - 0 1", "f1", "g1", "4RRK1"},   // king and rook swap
    {"4rkr1/8/8/8/8/8/8/4RKR1 w GEge - 0 1", "f1", "e1", "2KR2R1"},  // the rook jumps the king's square
    {"1r4kr/8/8/8/8/8/8/1R4KR w HBhb - 0 1", "g1", "h1", "1R3RK1"},  // the king stays on g1
    {"1r4kr/8/8/8/8/8/8/1R4KR w HBhb - 0 1", "g1", "b1", "2KR3R"},
    {"r1k3r1/8/8/8/8/8/8/R1K3R1 w GAga - 0 1", "c1", "a1", "2KR2R1"},  // the king stays on c1
    {"rkr5/8/8/8/8/8/8/RKR5 w CAca - 0 1", "b1", "c1", "R4RK1"},       // the rook passes f1's way
    {"rnbqkbnr/8/8/8/8/8/8/R3K2R w HAha - 0 1", "e1", "h1", "R4RK1"},  // standard squares, Chess960's form
};

std::string FirstRank(const ChessBoard& b) {
  char text[256];
  pos2fenString(&b, text);
  const std::string fen = text;
  const size_t start = fen.rfind('/') + 1;
  return fen.substr(start, fen.find(' ') - start);
}

TEST_F(Chess960Test, CastlingOntoTheRookIsMadeAndTakenBack) {
  Chess960 = true;
  for (const CastleCase& c : CastleCases) {
    SCOPED_TRACE(std::string(c.fen) + " " + c.king + c.onto);
    ChessBoard& b = LoadFen(c.fen);
    const ChessBoard before = b;
    const u32 scratch = PawnAndKingCode(b);
    char mask;
    b.MakeMove(Squares(c.king), Squares(c.onto), NoPromotion, &mask);
    EXPECT_EQ(FirstRank(b), c.after);
    EXPECT_EQ(mask, BlackKingSide | BlackQueenSide);
    EXPECT_EQ(DerivedFieldsDifference(b), "");
    EXPECT_EQ(b.FiftyMoveCount, before.FiftyMoveCount + 1);
    EXPECT_EQ(before.PawnHashCode ^ b.PawnHashCode, scratch ^ PawnAndKingCode(b));
    // The hash codes of the position reached, worked out from the move.
    u64 code1 = 0, code2 = 0, fresh1, fresh2;
    genhashcode(0, before.CastleFlags, &code1, &code2, &before);
    UpdateHashCodes(0, before.CastleFlags, 1, before.CastleFlags & mask, &code1, &code2, &b);
    genhashcode(1, before.CastleFlags & mask, &fresh1, &fresh2, &b);
    EXPECT_EQ(code1, fresh1);
    EXPECT_EQ(code2, fresh2);
    b.UndoMove(0);
    EXPECT_EQ(UndoDifference(before, b), "");
  }
}

TEST_F(Chess960Test, RightsEndWithTheirRookOrKing) {
  struct Case {
    const char* move;
    int rightsLeft;
  };
  // Rooks on b1 and g1, the king on d1; Black alike.
  const Case cases[] = {
      {"g1g4", 15 & ~WhiteKingSide}, {"b1b4", 15 & ~WhiteQueenSide}, {"d1e1", 12},
      {"a1a2", 15},  // no rook of a right
  };
  Chess960 = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.move);
    ASSERT_EQ(LoadPosition("1r1k2r1/8/8/8/8/8/8/RR1K2R1 w BGbg - 0 1"), nullptr);
    const std::string m = c.move;
    MainBoard.ClearCastleRights(Squares(m.substr(0, 2).c_str()));
    MainBoard.PlayMove(Squares(m.substr(0, 2).c_str()), Squares(m.substr(2, 2).c_str()), NoPromotion);
    EXPECT_EQ(MainBoard.CastleFlags, c.rightsLeft);
  }
  // A rook taken on its square takes the right along.
  ASSERT_EQ(LoadPosition("1r1k2r1/8/8/8/8/8/8/1R1K2R1 b BGbg - 0 1"), nullptr);
  MainBoard.PlayMove(Squares("g8"), Squares("g1"), NoPromotion);
  EXPECT_EQ(MainBoard.CastleFlags, 15 & ~WhiteKingSide & ~BlackKingSide);
}
}  // namespace

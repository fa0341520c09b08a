// Zobrist codes: the generator's sequence and the order the tables are
// filled in (every run of the engine must agree on the codes), and what
// the side to move, the castling rights and the move order contribute.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "board/HashCodes.h"
#include "support/EngineSetup.h"

namespace {
// The 32-bit numbers in the order initPStable drew them: each 64-bit entry
// is (first << 32) | second.
std::vector<u32> DrawnNumbers() {
  std::vector<u32> drawn;
  auto add = [&](u64 entry) {
    drawn.push_back((u32)(entry >> 32));
    drawn.push_back((u32)entry);
  };
  for (int kind = 0; kind < 12; kind++) {
    for (int sq = 0; sq < 64; sq++) {
      add(UPStable[kind][sq]);
      add(LPStable[kind][sq]);
    }
  }
  for (int i = 0; i < 16; i++) add(CastleCode[i]);
  add(BtoMove);
  add(WtoMove);
  return drawn;
}

TEST(HashCodesTest, TablesFollowTheLaggedFibonacciSequenceInFillOrder) {
  std::vector<u32> r = DrawnNumbers();
  ASSERT_EQ(r.size(), 3108u);
  EXPECT_EQ(r[0], 0x039B11BFu);
  // Knight's additive generator: every number past the 55th is the sum of
  // the ones 55 and 24 places back. A table filled out of order breaks it.
  for (size_t t = 55; t < r.size(); t++) ASSERT_EQ(r[t], (u32)(r[t - 55] + r[t - 24])) << "number " << t;
  // The generator goes on where the tables stopped.
  size_t t = r.size();
  EXPECT_EQ(BetterRandom32(), (u32)(r[t - 55] + r[t - 24]));
}

u64 Code(const char* fen, int which, int side = -1, int rights = -1) {
  ChessBoard& b = LoadFen(fen);
  u64 code1, code2;
  genhashcode(side < 0 ? b.SideToMove : (char)side, (char)(rights < 0 ? b.CastleFlags : rights), &code1, &code2, &b);
  return which == 1 ? code1 : code2;
}

const char* const Kiwipete = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -";

TEST(HashCodesTest, SideAndRightsChangeBothCodesByTheirOwnEntries) {
  for (int which : {1, 2}) {
    EXPECT_EQ(Code(Kiwipete, which, 0) ^ Code(Kiwipete, which, 1), WtoMove ^ BtoMove) << "code " << which;
    EXPECT_EQ(Code(Kiwipete, which, 0, 15) ^ Code(Kiwipete, which, 0, 9), CastleCode[15] ^ CastleCode[9])
        << "code " << which;
    EXPECT_EQ(Code("8/8/8/8/8/8/8/8 w - -", which), WtoMove ^ CastleCode[0]) << "code " << which;
  }
  EXPECT_NE(Code(Kiwipete, 1), Code(Kiwipete, 2));
}

TEST(HashCodesTest, EveryManAddsItsOwnEntry) {
  const struct {
    const char* fen;
    int kind;
    int square;
  } cases[] = {
      {"8/8/8/8/8/8/8/P7 w - -", WPawn, 0},   {"8/8/8/8/8/8/8/1N6 w - -", WKnight, 1},
      {"8/8/8/8/8/8/8/2B5 w - -", WBishop, 2}, {"7R/8/8/8/8/8/8/8 w - -", WRook, 63},
      {"8/8/8/8/8/8/8/3Q4 w - -", WQueen, 3},  {"8/8/8/8/8/8/8/4K3 w - -", WKingKind, 4},
      {"8/p7/8/8/8/8/8/8 w - -", BPawn, 48},  {"8/8/8/8/8/8/8/n7 w - -", BKnight, 0},
      {"8/8/8/8/8/8/8/b7 w - -", BBishop, 0}, {"8/8/8/8/8/8/8/r7 w - -", BRook, 0},
      {"8/8/8/8/8/8/8/q7 w - -", BQueen, 0},  {"k7/8/8/8/8/8/8/8 w - -", BKingKind, 56},
  };
  const u64 empty1 = WtoMove ^ CastleCode[0];
  for (const auto& c : cases) {
    EXPECT_EQ(Code(c.fen, 1) ^ empty1, UPStable[c.kind][c.square]) << c.fen;
    EXPECT_EQ(Code(c.fen, 2) ^ empty1, LPStable[c.kind][c.square]) << c.fen;
  }
}

u64 CodeAfter(const char* moves, u64* code2) {
  ChessBoard b = LoadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
  std::istringstream words(moves);
  std::string m;
  char side = 0, rights = 15, mask;
  while (words >> m) {
    b.MakeMove(Squares(m.substr(0, 2).c_str()), Squares(m.substr(2, 2).c_str()), NoPromotion, &mask);
    side ^= 1;
    rights &= mask;
  }
  u64 code1;
  genhashcode(side, rights, &code1, code2, &b);
  return code1;
}

TEST(HashCodesTest, TheSamePositionByAnotherMoveOrderHasTheSameCodes) {
  u64 a2, b2, c2;
  u64 a1 = CodeAfter("g1f3 g8f6 b1c3 b8c6", &a2);
  u64 b1 = CodeAfter("b1c3 b8c6 g1f3 g8f6", &b2);
  EXPECT_EQ(a1, b1);
  EXPECT_EQ(a2, b2);
  // Knights out and back on both sides: the start position again.
  u64 start2;
  u64 start1 = CodeAfter("", &start2);
  u64 back1 = CodeAfter("g1f3 g8f6 f3g1 f6g8", &c2);
  EXPECT_EQ(back1, start1);
  EXPECT_EQ(c2, start2);
  // The same men after a king went out and back differ by the lost rights.
  u64 kingWalk2;
  u64 kingWalk1 = CodeAfter("e2e4 e7e5 e1e2 e8e7 e2e1 e7e8", &kingWalk2);
  u64 pawns2;
  u64 pawns1 = CodeAfter("e2e4 e7e5", &pawns2);
  EXPECT_EQ(kingWalk1 ^ pawns1, CastleCode[0] ^ CastleCode[15]);
  EXPECT_EQ(kingWalk2 ^ pawns2, CastleCode[0] ^ CastleCode[15]);
}

TEST(HashCodesTest, PawnCodeCoversPawnsOnlyInItsLowHalf) {
  ChessBoard& b = LoadFen("4k3/1p6/8/8/8/8/6P1/4K3 w - -");
  unsigned long code;
  genpawnhashcode(0, &b, &code);
  EXPECT_EQ(code, (unsigned long)(u32)(LPStable[WPawn][14] ^ LPStable[BPawn][49]));
  unsigned long codeBlack;
  genpawnhashcode(1, &b, &codeBlack);
  EXPECT_EQ(codeBlack, code);  // the side is not part of it
}
}  // namespace

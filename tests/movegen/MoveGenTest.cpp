// The full and quiescence lists: generation order (the tie-break of move
// selection), queen-only promotions, en passant only straight after the
// double step, the castling conditions, and the missing-king complaints.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "board/BitOps.h"
#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "movegen/MoveGen.h"
#include "support/EngineSetup.h"
#include "support/ReferenceMoves.h"

namespace {
std::string Joined(const std::vector<std::string>& moves) {
  std::string text;
  for (const std::string& m : moves) text += (text.empty() ? "" : " ") + m;
  return text;
}

std::vector<std::string> AllMoves(ChessBoard& b, char side, char rights, MoveGen* keep = nullptr) {
  MoveGen local;
  MoveGen& list = keep ? *keep : local;
  int n = list.GenerateAllMoves(side, &b, rights);
  EXPECT_EQ(list.count, n);
  return MoveNames(list, n);
}

void PlayMove(ChessBoard& b, const std::string& m) {
  char mask;
  b.MakeMove(Squares(m.substr(0, 2).c_str()), Squares(m.substr(2, 2).c_str()), NoPromotion, &mask);
}

TEST(MoveGenTest, StartPositionListsKnightsThenPawnsDoubleStepFirst) {
  ChessBoard& b = LoadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
  EXPECT_EQ(Joined(AllMoves(b, 0, 15)),
            "b1a3 b1c3 g1f3 g1h3 a2a4 a2a3 b2b4 b2b3 c2c4 c2c3 d2d4 d2d3 e2e4 e2e3 f2f4 f2f3 g2g4 g2g3 h2h4 h2h3");
  EXPECT_EQ(Joined(AllMoves(b, 1, 15)),
            "b8a6 b8c6 g8f6 g8h6 a7a5 a7a6 b7b5 b7b6 c7c5 c7c6 d7d5 d7d6 e7e5 e7e6 f7f5 f7f6 g7g5 g7g6 h7h5 h7h6");
}

// The rank of a move in the fixed order: captures by knight, bishop, rook,
// queen, king; quiet knight, bishop, rook, queen moves; castling; king
// moves; pawn moves. Within a group men and targets go lowest square first;
// a pawn's moves go double step, single step, the two captures, en passant.
struct Place {
  int group;
  int from;
  int step;
  int to;
  bool operator<=(const Place& o) const {
    if (group != o.group) return group < o.group;
    if (from != o.from) return from < o.from;
    if (step != o.step) return step < o.step;
    return to <= o.to;
  }
};

Place PlaceOf(const ChessBoard& b, char side, u64 from, u64 to) {
  const int f = RightMostBit(from) - 1, t = RightMostBit(to) - 1;
  const bool capture = (side ? b.WhitePieces : b.BlackPieces) & to;
  if (b.IsPawn(side, from)) {
    int d = side ? f - t : t - f;
    int step = d == 16 ? 0 : d == 8 ? 1 : !capture ? 4 : d == 7 ? 2 : 3;
    return {11, f, step, 0};
  }
  int kind = b.IsKnight(side, from) ? 0 : b.IsBishop(side, from) ? 1 : b.IsRook(side, from) ? 2
             : b.IsQueen(side, from) ? 3 : 4;
  if (capture) return {kind, f, 0, t};
  if (kind == 4 && (t - f == 2 || f - t == 2)) return {9, 0, t < f ? 1 : 0, 0};  // king side first
  return {kind == 4 ? 10 : kind + 5, f, 0, t};
}

TEST(MoveGenTest, ListsFollowTheFixedOrder) {
  const char* const fens[] = {
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq -",
      "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
      "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - -",
      "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -",
  };
  for (const char* fen : fens) {
    ChessBoard& b = LoadFen(fen);
    MoveGen list;
    int n = list.GenerateAllMoves(b.SideToMove, &b, b.CastleFlags);
    ASSERT_GT(n, 1);
    for (int i = 1; i < n; i++) {
      Place a = PlaceOf(b, b.SideToMove, list.from[i - 1], list.to[i - 1]);
      Place c = PlaceOf(b, b.SideToMove, list.from[i], list.to[i]);
      EXPECT_TRUE(a <= c) << MoveName(list.from[i - 1], list.to[i - 1], list.promote[i - 1]) << " before "
                          << MoveName(list.from[i], list.to[i], list.promote[i]) << " in " << fen;
    }
  }
}

TEST(MoveGenTest, PromotionsAreToAQueenOnly) {
  const struct {
    const char* fen;
    const char* pawn;
    const char* expected;
  } cases[] = {
      {"r7/1P6/8/8/8/8/8/k6K w - -", "b7", "b7b8Q b7a8Q"},
      {"rn6/1P6/8/8/8/8/8/k6K w - -", "b7", "b7a8Q"},
      {"k6K/8/8/8/8/8/1p6/R1N5 b - -", "b2", "b2b1q b2c1q b2a1q"},
      {"k6K/8/8/8/8/8/7p/6R1 b - -", "h2", "h2h1q h2g1q"},
  };
  for (const auto& c : cases) {
    ChessBoard& b = LoadFen(c.fen);
    std::vector<std::string> moves;
    for (const std::string& m : AllMoves(b, b.SideToMove, 0))
      if (m.compare(0, 2, c.pawn) == 0) moves.push_back(m);
    EXPECT_EQ(Joined(moves), c.expected) << c.fen;
  }
}

TEST(MoveGenTest, EnPassantOnlyStraightAfterTheDoubleStep) {
  const struct {
    const char* fen;
    const char* moves;  // played before generating
    const char* expected;  // the pawns' diagonal moves onto empty squares
  } cases[] = {
      {"4k3/2pp4/8/4P3/8/8/8/4K3 b - -", "d7d5", "e5d6"},
      {"4k3/2pp4/8/4P3/8/8/8/4K3 b - -", "c7c5", ""},
      {"4k3/2pp4/8/4P3/8/8/8/4K3 b - -", "d7d6 e1e2 d6d5", ""},
      {"4k3/3p4/8/4P3/8/8/8/4K3 w - -", "e1e2 d7d5 e2e1 e8e7", ""},
      {"4k3/3p4/8/2P1P3/8/8/8/4K3 b - -", "d7d5", "c5d6 e5d6"},
      {"4k3/8/8/8/3p1p2/8/4P3/4K3 w - -", "e2e4", "d4e3 f4e3"},
      {"4k3/8/8/8/6p1/8/7P/4K3 w - -", "h2h4", "g4h3"},
      // No wrap from one edge file to the other.
      {"4k3/p7/8/7P/8/8/8/4K3 b - -", "a7a5", ""},
      {"4k3/7p/8/P7/8/8/8/4K3 b - -", "h7h5", ""},
      {"4k3/8/8/8/7p/8/P7/4K3 w - -", "a2a4", ""},
  };
  for (const auto& c : cases) {
    ChessBoard b = LoadFen(c.fen);
    char side = b.SideToMove;
    std::istringstream words(c.moves);
    std::string m;
    while (words >> m) {
      PlayMove(b, m);
      side ^= 1;
    }
    MoveGen list;
    int n = list.GenerateAllMoves(side, &b, 0);
    std::vector<std::string> found;
    for (int i = 0; i < n; i++) {
      bool diagonal = (RightMostBit(list.from[i]) - RightMostBit(list.to[i])) % 8 != 0;
      if (b.IsPawn(side, list.from[i]) && diagonal && b.IsEmptySquare(list.to[i])) {
        found.push_back(MoveName(list.from[i], list.to[i], list.promote[i]));
        EXPECT_EQ(list.promote[i], NoPromotion);
      }
    }
    EXPECT_EQ(Joined(found), c.expected) << c.fen << " after " << c.moves;
  }
}

TEST(MoveGenTest, CastlingNeedsTheRightEmptySquaresTheRookAndSafeKingSquares) {
  const struct {
    const char* fen;
    int rights;  // passed to the generator; the text's field is not used
    const char* expected;
  } cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w - -", 15, "e1g1 e1c1"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", 2, "e1c1"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", 1, "e1g1"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", 12, ""},
      {"r3kr2/8/8/8/8/8/8/R3K2R w - -", 15, "e1c1"},    // f1 attacked
      {"r3k1r1/8/8/8/8/8/8/R3K2R w - -", 15, "e1c1"},   // g1 attacked
      {"3rk2r/8/8/8/8/8/8/R3K2R w - -", 15, "e1g1"},    // d1 attacked
      {"2r1k2r/8/8/8/8/8/8/R3K2R w - -", 15, "e1g1"},   // c1 attacked
      {"1r2k2r/8/8/8/8/8/8/R3K2R w - -", 15, "e1g1 e1c1"},  // b1 attacked: no matter
      {"r3k2r/8/8/8/8/8/8/RN2K2R w - -", 15, "e1g1"},   // b1 occupied
      {"r3k2r/8/8/8/8/8/8/R3KB1R w - -", 15, "e1c1"},   // f1 occupied
      {"r3k2r/8/8/8/8/8/8/R3K2N w - -", 15, "e1c1"},    // no rook on h1
      {"r3k2r/8/8/8/8/8/8/r3K2R w - -", 15, ""},        // an enemy rook on a1 checks
      {"r3k2r/4r3/8/8/8/8/8/R3K2R w - -", 15, ""},      // e1 attacked
      {"r3k2r/8/8/8/8/8/8/R3K2R b - -", 15, "e8g8 e8c8"},
      {"r3k2r/8/8/8/8/8/8/1R2K2R b - -", 15, "e8g8 e8c8"},  // b8 attacked
      {"r3k2r/8/8/8/8/8/8/R2RK2R b - -", 15, "e8g8"},       // d8 attacked
      {"r3k2r/8/8/8/8/8/8/R3KR2 b - -", 15, "e8c8"},        // f8 attacked
      {"r3k2r/8/8/8/8/8/8/R3K2R b - -", 3, ""},
      // Rights claimed by a position text for a king that is not at home.
      {"4k3/8/8/8/8/8/8/R2K3R w KQ -", 3, ""},
      {"r4k1r/8/8/8/8/8/8/4K3 b kq -", 12, ""},
  };
  for (const auto& c : cases) {
    ChessBoard& b = LoadFen(c.fen);
    MoveGen list;
    int n = list.GenerateAllMoves(b.SideToMove, &b, (char)c.rights);
    std::vector<std::string> castles;
    for (int i = 0; i < n; i++) {
      int f = RightMostBit(list.from[i]) - 1, t = RightMostBit(list.to[i]) - 1;
      if (b.IsKing(b.SideToMove, list.from[i]) && (t - f == 2 || f - t == 2)) {
        castles.push_back(MoveName(list.from[i], list.to[i], list.promote[i]));
        EXPECT_EQ(list.value[i], 800) << c.fen;
      }
    }
    EXPECT_EQ(Joined(castles), c.expected) << c.fen << " rights " << c.rights;
  }
}

// Captures and pawn moves only, in the quiescence order: queen, rook,
// knight and bishop captures, all pawn moves, king captures.
TEST(MoveGenTest, QuiescenceListHoldsCapturesAndEveryPawnMove) {
  const char* const fens[] = {
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq -",
      "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - -",
      "8/8/4k3/8/2p2p2/3P2K1/8/8 w - -",
  };
  for (const char* fen : fens) {
    ChessBoard& b = LoadFen(fen);
    const char side = b.SideToMove;
    const u64 enemy = side ? b.WhitePieces : b.BlackPieces;
    std::vector<std::string> expected;
    MoveGen full;
    int n = full.GenerateAllMoves(side, &b, 15);
    for (int i = 0; i < n; i++)
      if (b.IsPawn(side, full.from[i]) || (full.to[i] & enemy))
        expected.push_back(MoveName(full.from[i], full.to[i], full.promote[i]));

    MoveGen quiet;
    int q = quiet.GenerateQuiesceMoves(side, &b, 15);
    std::vector<std::string> got = MoveNames(quiet, q);
    auto rank = [&](int i) {
      u64 f = quiet.from[i];
      if (b.IsPawn(side, f)) return 4;
      if (b.IsKing(side, f)) return 5;
      return b.IsQueen(side, f) ? 0 : b.IsRook(side, f) ? 1 : b.IsKnight(side, f) ? 2 : 3;
    };
    for (int i = 1; i < q; i++) EXPECT_LE(rank(i - 1), rank(i)) << got[i - 1] << " before " << got[i] << " in " << fen;
    std::sort(expected.begin(), expected.end());
    std::sort(got.begin(), got.end());
    EXPECT_EQ(Joined(got), Joined(expected)) << fen;
  }
}

TEST(MoveGenTest, MissingOrExtraKingsAreReportedAndTheRestIsGenerated) {
  ChessBoard b = LoadFen("8/8/8/8/8/8/8/R7 w - -");
  testing::internal::CaptureStdout();
  std::vector<std::string> moves = AllMoves(b, 0, 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Major Error: There is No king of a given color\n"
            "Major Error: There is No king of a given color\n");
  EXPECT_EQ(moves.size(), 14u);

  b = LoadFen("8/8/8/8/8/8/8/K6K w - -");
  // A king letter replaces the king board, so the second king is put on here.
  b.WhiteKing |= Squares("a1");
  b.WhitePieces |= Squares("a1");
  b.AllPieces |= Squares("a1");
  testing::internal::CaptureStdout();
  moves = AllMoves(b, 0, 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Major Error: There is more than one king of a given color\n"
            "Major Error: There is more than one king of a given color\n");
  EXPECT_EQ(Joined(moves), "a1b1 a1a2 a1b2 h1g1 h1g2 h1h2");
}
}  // namespace

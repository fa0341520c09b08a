// Standard algebraic notation against the legal moves: each kind of text a
// suite writes (pieces, pawn pushes and captures, en passant, castling,
// promotions, disambiguation by file, rank and square, marks and
// annotations), texts that fit no move or more than one, and every legal
// move of many positions written and read back to itself.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/PositionText.h"
#include "movegen/SANText.h"
#include "support/EngineSetup.h"

namespace {
std::string Coordinates(const LegalMove& m) {
  const int from = SquareOf(m.From), to = SquareOf(m.To);
  std::string text = {(char)('a' + (from & 7)), (char)('1' + (from >> 3)), (char)('a' + (to & 7)),
                      (char)('1' + (to >> 3))};
  if (m.Promote != NoPromotion) text += m.Promote;
  return text;
}

// Two knights that reach d2, rooks on one file, three queens that reach e1.
const char* const Knights = "4k3/8/8/8/8/8/8/1N1K1N2 w - -";
const char* const Rooks = "4k3/8/8/R7/8/8/8/R3K3 w - -";
const char* const Queens = "1k6/8/8/8/4Q2Q/8/K7/7Q w - -";
const char* const Castles = "r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq -";
const char* const Promotion = "3r2k1/4P3/8/8/8/8/8/4K3 w - -";
const char* const BlackPromotion = "4k3/8/8/8/8/8/3p4/6K1 b - -";
const char* const EnPassant = "4k3/8/8/8/3Pp3/8/8/4K3 b - d3";
const char* const Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

TEST(SANTextTest, ReadsEveryKindOfMoveText) {
  const struct {
    const char* fen;
    const char* text;
    const char* move;  // coordinates, or nullptr when no legal move fits
  } cases[] = {
      {Start, "Nf3", "g1f3"},
      {Start, "e4", "e2e4"},
      {Start, "e3", "e2e3"},
      {Start, "Nf3!", "g1f3"},
      {Start, "e4!?", "e2e4"},
      {Start, "e5", nullptr},   // a Black move
      {Start, "Ke2", nullptr},  // blocked
      {Start, "nf3", nullptr},  // piece letters are upper case
      {Start, "Nf3x", nullptr},
      {Start, "", nullptr},
      {Start, "O-O", nullptr},  // the bishop and knight are in the way
      {Knights, "Nbd2", "b1d2"},
      {Knights, "Nfd2", "f1d2"},
      {Knights, "Nb1d2", "b1d2"},
      {Knights, "Ng1-f3", nullptr},
      {Rooks, "R1a3", "a1a3"},
      {Rooks, "R5a3", "a5a3"},
      {Rooks, "R5xa3", "a5a3"},  // a capture mark on a quiet move is passed over
      {Rooks, "Rb5", "a5b5"},
      {Queens, "Qh4e1", "h4e1"},
      {Queens, "Qh4xe1+", "h4e1"},
      {Queens, "Qee1", "e4e1"},
      {Castles, "O-O", "e1g1"},
      {Castles, "0-0", "e1g1"},
      {Castles, "O-O-O", "e1c1"},
      {Castles, "O-O+", "e1g1"},
      {Promotion, "e8=Q+", "e7e8Q"},
      {Promotion, "e8Q", "e7e8Q"},
      {Promotion, "e8=N", "e7e8N"},
      {Promotion, "exd8=R+", "e7d8R"},
      {Promotion, "exd8=q", "e7d8Q"},
      {Promotion, "e8", nullptr},  // a promotion names its piece
      {Promotion, "e8=K", nullptr},
      {Promotion, "Ke2=Q", nullptr},
      {BlackPromotion, "d1=Q+", "d2d1q"},
      {BlackPromotion, "d1=N", "d2d1n"},
      {EnPassant, "exd3", "e4d3"},
      {EnPassant, "exd3!!", "e4d3"},
      {EnPassant, "d3", nullptr},  // a pawn that names no file moves straight ahead
  };
  for (const auto& c : cases) {
    ChessBoard& b = LoadFen(c.fen);
    LegalMove m;
    const SANReading r = ReadSAN(c.text, b, &m);
    if (c.move == nullptr) {
      EXPECT_EQ(r, SANReading::NoMove) << c.fen << " \"" << c.text << "\" read as " << Coordinates(m);
      continue;
    }
    ASSERT_EQ(r, SANReading::Found) << c.fen << " \"" << c.text << "\"";
    EXPECT_EQ(Coordinates(m), c.move) << c.fen << " \"" << c.text << "\"";
  }
}

TEST(SANTextTest, TextThatFitsMoreThanOneMoveIsAmbiguous) {
  const struct {
    const char* fen;
    const char* text;
  } cases[] = {
      {Knights, "Nd2"}, {Knights, "N1d2"}, {Rooks, "Ra3"},   {Rooks, "Raa3"},
      {Queens, "Qe1"},  {Queens, "Qhe1"},  {Queens, "Q4e1"},
  };
  for (const auto& c : cases) {
    ChessBoard& b = LoadFen(c.fen);
    LegalMove m;
    EXPECT_EQ(ReadSAN(c.text, b, &m), SANReading::Ambiguous) << c.fen << " \"" << c.text << "\"";
  }
}

TEST(SANTextTest, WritesWhatAReaderExpects) {
  const struct {
    const char* fen;
    const char* move;
    const char* text;
  } cases[] = {
      {Start, "g1f3", "Nf3"},       {Knights, "b1d2", "Nbd2"},   {Rooks, "a1a3", "R1a3"},
      {Rooks, "a5a3", "R5a3"},      {Queens, "h4e1", "Qh4e1"},   {Queens, "e4e1", "Qee1"},
      {Castles, "e1g1", "O-O"},     {Castles, "e1c1", "O-O-O"},  {Promotion, "e7d8Q", "exd8=Q+"},
      {Promotion, "e7e8N", "e8=N"}, {EnPassant, "e4d3", "exd3"}, {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -", "d1d8", "Rd8#"},
  };
  for (const auto& c : cases) {
    ChessBoard& b = LoadFen(c.fen);
    const std::string wanted = c.move;
    bool found = false;
    for (const LegalMove& m : LegalMoves(b)) {
      if (Coordinates(m) != wanted) continue;
      char text[16];
      WriteSAN(b, m, text);
      EXPECT_STREQ(text, c.text) << c.fen << " " << c.move;
      found = true;
    }
    EXPECT_TRUE(found) << c.fen << " has no legal move " << c.move;
  }
}

// Every legal move of positions from random games, written and read back,
// is the same move: the writer disambiguates exactly as much as the reader
// needs.
TEST(SANTextTest, EveryMoveReadsBackAsItself) {
  const char* const starts[] = {
      Start,
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
      "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - -",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
  };
  std::mt19937 rng(11);
  int checked = 0;
  for (const char* start : starts) {
    for (int game = 0; game < 6; game++) {
      ChessBoard b = LoadFen(start);
      for (int ply = 0; ply < 60; ply++) {
        const std::vector<LegalMove> moves = LegalMoves(b);
        if (moves.empty()) break;
        for (const LegalMove& m : moves) {
          char text[16];
          WriteSAN(b, m, text);
          LegalMove read;
          ASSERT_EQ(ReadSAN(text, b, &read), SANReading::Found) << text;
          EXPECT_EQ(Coordinates(read), Coordinates(m)) << text;
          checked++;
        }
        const LegalMove& m = moves[rng() % moves.size()];
        b.PlayMove(m.From, m.To, m.Promote);
        b.SideToMove ^= 1;
      }
    }
  }
  EXPECT_GT(checked, 10000);
}
}  // namespace

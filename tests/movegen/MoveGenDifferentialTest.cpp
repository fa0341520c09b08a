// The engine's generators (full list, or evasions when in check) plus the
// make-and-test-the-king filter, held move set by move set against the
// plain reference generator over seeded random games. Along the way every
// MakeMove is checked against the reference's board, every UndoMove for a
// bit-exact restore, and InCheck against the reference's attack test.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/PositionText.h"
#include "movegen/MoveGen.h"
#include "support/EngineSetup.h"
#include "support/ReferenceMoves.h"

namespace {
struct StartPosition {
  const char* name;
  const char* fen;
};

const StartPosition Starts[] = {
    {"start", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"},
    {"kiwipete", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -"},
    {"pins and en passant", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -"},
    {"castling under fire", "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -"},
    {"checks and promotion", "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -"},
    {"promotions", "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - -"},
    {"pawns beside double steps", "r3k3/p1p1p1p1/8/1P1P1P1P/p1p1p1p1/8/1P1P1P1P/R3K3 w Qq -"},
    {"kings in the open", "8/8/3k4/2p1p3/3P4/2P1P3/4K3/8 b - -"},
    {"rooks and sliders", "r3k2r/1b4bq/8/8/8/8/7B/R3K2R w KQkq -"},
    {"discovered checks, White", "3qk3/8/8/8/4N3/1B6/4R3/4K3 w - -"},
    {"discovered checks, Black", "4k3/4r3/1b6/4n3/8/8/8/3QK3 b - -"},
};

constexpr int GamesPerStart = 24;
constexpr int MaxPlies = 160;

struct Coverage {
  int positions = 0;
  int inCheck = 0;
  int doubleCheck = 0;
  int enPassant = 0;
  int castling = 0;
  int promotions = 0;
  int checkmates = 0;
};

std::string Describe(const ChessBoard& b, char side, char rights, const std::string& line) {
  ChessBoard shown = b;
  shown.SideToMove = side;
  shown.CastleFlags = rights;
  char fen[256];
  pos2fenString(&shown, fen);
  return std::string(fen) + " after " + (line.empty() ? "(no move)" : line);
}

// Each enemy man tested alone, the others standing in as plain blockers.
int CountCheckers(const RefPosition& p, int side) {
  const char king = side == 0 ? 'K' : 'k';
  auto enemy = [&](char man) { return man != '.' && (side == 0 ? man >= 'a' : man < 'a'); };
  int checkers = 0;
  for (int sq = 0; sq < 64; sq++) {
    if (!enemy(p.squares[sq])) continue;
    RefPosition alone = p;
    for (int other = 0; other < 64; other++)
      if (other != sq && enemy(alone.squares[other])) alone.squares[other] = 'X';
    for (int k = 0; k < 64; k++)
      if (alone.squares[k] == king && ReferenceAttacked(alone, k, side ^ 1)) checkers++;
  }
  return checkers;
}

std::string Joined(const std::vector<std::string>& moves) {
  std::string text;
  for (const std::string& m : moves) text += m + " ";
  return text;
}

// Plays one seeded random game, comparing at every position. Returns false
// at the first disagreement (reported), so one fault is not reported a
// hundred times.
bool PlayGame(const char* fen, std::mt19937& rng, Coverage& seen) {
  ChessBoard board = LoadFen(fen);
  board.PawnHashCode = PawnAndKingCode(board);
  char side = board.SideToMove;
  char rights = board.CastleFlags;
  RefPosition ref = ReferenceFromBoard(board, side, rights);
  std::string line;

  for (int ply = 0; ply < MaxPlies; ply++) {
    const std::string where = Describe(board, side, rights, line);
    seen.positions++;

    const bool engineCheck = board.InCheck(board.SideKing(side), side) != 0;
    if (engineCheck != ReferenceInCheck(ref, side)) {
      ADD_FAILURE() << "InCheck disagrees (engine " << engineCheck << ") in " << where;
      return false;
    }
    if (seen.positions % 8 == 0) {
      for (int sq = 0; sq < 64; sq++) {
        for (char defender = 0; defender < 2; defender++) {
          bool engine = board.InCheck(SquareMask(sq), defender) != 0;
          if (engine != ReferenceAttacked(ref, sq, defender ^ 1)) {
            ADD_FAILURE() << "InCheck(square " << sq << ", " << (int)defender << ") is " << engine << " in "
                          << where;
            return false;
          }
        }
      }
    }

    // The engine's list, each move made, its king tested, and taken back.
    MoveGen list;
    int n = engineCheck ? list.GenCheckEvasions(side, &board) : list.GenerateAllMoves(side, &board, rights);
    std::vector<std::string> engineMoves;
    std::vector<int> legalIndex;
    for (int i = 0; i < n; i++) {
      u64 from, to;
      char promote, mask;
      list.GetMove(i, n, &from, &to, &promote);
      const ChessBoard before = board;
      board.MakeMove(from, to, promote, &mask);
      if (!board.InCheck(board.SideKing(side), side)) {
        engineMoves.push_back(MoveName(from, to, promote));
        legalIndex.push_back(i);
      }
      board.UndoMove(i);
      std::string lost = UndoDifference(before, board);
      if (!lost.empty()) {
        ADD_FAILURE() << "UndoMove of " << MoveName(from, to, promote) << " does not restore " << lost << "in "
                      << where;
        return false;
      }
    }

    std::vector<RefMove> refMoves = ReferenceLegalMoves(ref);
    std::vector<std::string> refNames;
    for (const RefMove& m : refMoves) refNames.push_back(MoveName(m));
    std::vector<std::string> engineSorted = engineMoves, refSorted = refNames;
    std::sort(engineSorted.begin(), engineSorted.end());
    std::sort(refSorted.begin(), refSorted.end());
    if (engineSorted != refSorted) {
      std::vector<std::string> missing, extra;
      std::set_difference(refSorted.begin(), refSorted.end(), engineSorted.begin(), engineSorted.end(),
                          std::back_inserter(missing));
      std::set_difference(engineSorted.begin(), engineSorted.end(), refSorted.begin(), refSorted.end(),
                          std::back_inserter(extra));
      ADD_FAILURE() << (engineCheck ? "Evasions" : "Moves") << " differ in " << where
                    << "\n  missing from the engine: " << Joined(missing)
                    << "\n  extra (or repeated) in the engine: " << Joined(extra);
      return false;
    }

    if (engineCheck) {
      seen.inCheck++;
      if (CountCheckers(ref, side) > 1) seen.doubleCheck++;
    }
    if (refMoves.empty()) {
      if (engineCheck) seen.checkmates++;
      return true;
    }
    if (board.WhitePieceCount + board.BlackPieceCount == 0) return true;

    // Prefer the rare moves now and then, so that they are played and not
    // only generated.
    std::vector<size_t> special, checks;
    for (size_t i = 0; i < refMoves.size(); i++) {
      const RefMove& m = refMoves[i];
      char man = ref.squares[m.from];
      bool castle = (man == 'K' || man == 'k') && (m.to - m.from == 2 || m.from - m.to == 2);
      bool enPassant = (man == 'P' || man == 'p') && (m.to - m.from) % 8 != 0 && ref.squares[m.to] == '.';
      bool doubleStep = (man == 'P' || man == 'p') && (m.to - m.from == 16 || m.from - m.to == 16);
      if (castle) seen.castling++;
      if (enPassant) seen.enPassant++;
      if (m.promote) seen.promotions++;
      if (ReferenceInCheck(ReferenceMakeMove(ref, m), side ^ 1)) checks.push_back(i);
      if (castle || enPassant || m.promote || doubleStep || ref.squares[m.to] != '.') special.push_back(i);
    }
    size_t pick = rng() % refMoves.size();
    unsigned roll = rng() % 6;
    if (roll < 2 && !checks.empty()) pick = checks[rng() % checks.size()];
    if (roll >= 2 && roll < 4 && !special.empty()) pick = special[rng() % special.size()];
    const std::string chosen = MoveName(refMoves[pick]);
    int index = legalIndex[std::find(engineMoves.begin(), engineMoves.end(), chosen) - engineMoves.begin()];

    u64 from, to;
    char promote, mask;
    list.GetMove(index, n, &from, &to, &promote);
    const u32 codeBefore = board.PawnHashCode, scratchBefore = PawnAndKingCode(board);
    board.MakeMove(from, to, promote, &mask);
    rights &= mask;
    side ^= 1;
    ref = ReferenceMakeMove(ref, refMoves[pick]);
    line += chosen + " ";

    const std::string after = Describe(board, side, rights, line);
    if (Mailbox(board) != std::string(ref.squares, 64)) {
      ADD_FAILURE() << "MakeMove " << chosen << " leaves a different board: " << after;
      return false;
    }
    std::string derived = DerivedFieldsDifference(board);
    if (!derived.empty()) {
      ADD_FAILURE() << "MakeMove " << chosen << " leaves stale " << derived << "in " << after;
      return false;
    }
    if ((codeBefore ^ board.PawnHashCode) != (scratchBefore ^ PawnAndKingCode(board))) {
      ADD_FAILURE() << "PawnHashCode changes wrongly over " << chosen << " in " << after;
      return false;
    }
    if (rights != ref.rights) {
      ADD_FAILURE() << "castle mask of " << chosen << " leaves rights " << (int)rights << ", expected " << ref.rights
                    << " in " << after;
      return false;
    }
  }
  return true;
}

TEST(MoveGenDifferentialTest, EngineAgreesWithTheReferenceOverRandomGames) {
  std::mt19937 rng(20240611);
  Coverage seen;
  for (const StartPosition& start : Starts) {
    for (int game = 0; game < GamesPerStart; game++) {
      if (!PlayGame(start.fen, rng, seen)) {
        ADD_FAILURE() << "in game " << game << " from " << start.name;
        break;
      }
    }
  }
  // The games must actually reach the cases the comparison is meant for.
  EXPECT_GT(seen.positions, 10000);
  EXPECT_GT(seen.inCheck, 500);
  EXPECT_GT(seen.doubleCheck, 10);
  EXPECT_GT(seen.enPassant, 50);
  EXPECT_GT(seen.castling, 200);
  EXPECT_GT(seen.promotions, 200);
  EXPECT_GT(seen.checkmates, 5);
  std::cout << "positions " << seen.positions << ", in check " << seen.inCheck << " (double " << seen.doubleCheck
            << "), en passant " << seen.enPassant << ", castling " << seen.castling << ", promotions "
            << seen.promotions << ", mates " << seen.checkmates << "\n";
}
}  // namespace

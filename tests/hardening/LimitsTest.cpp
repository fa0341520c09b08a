// The engine at the edges of its input, end to end through the built binary
// as a GUI drives it: a UCI game of 1,000 plies sent whole with every
// "position", a console game of 400 plies entered in force mode, "go depth
// 100", a long "go infinite" ended by "stop", and input lines of more than
// 10,000 characters. Each must keep the game state intact (the engine's
// answers are legal moves in the position the test keeps itself) and end
// cleanly on "quit"; the AddressSanitizer build runs them too.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "movegen/MoveGen.h"
#include "support/EngineProcess.h"
#include "support/EngineSetup.h"

namespace {
constexpr int Long = 60000;  // ms: generous, for the sanitizer build

std::string SquareName(u64 mask) {
  int sq = RightMostBit(mask) - 1;
  return std::string(1, (char)('a' + sq % 8)) + (char)('1' + sq / 8);
}

// The game as the test keeps it: the board, the side to move and the
// castling rights, cleared by the from-square as the engine clears them.
struct Game {
  ChessBoard board;
  char side = 0;
  char castle = 15;

  Game() {
    EnsureEngineInitialised();
    board = ChessBoard{};
    board.InitRep();
    board.InitPieceCounts();
  }

  struct Move {
    u64 from, to;
    char promote;
    std::string text;
  };

  std::vector<Move> LegalMoves() const {
    ChessBoard b = board;
    MoveGen list;
    const int n = b.InCheck(b.SideKing(side), side) ? list.GenCheckEvasions(side, &b)
                                                    : list.GenerateAllMoves(side, &b, castle);
    std::vector<Move> moves;
    for (int i = 0; i < n; i++) {
      Move m;
      list.GetMove(i, n, &m.from, &m.to, &m.promote);
      ChessBoard after = board;
      char mask;
      after.MakeMove(m.from, m.to, m.promote, &mask);
      if (after.InCheck(after.SideKing(side), side)) continue;
      m.text = SquareName(m.from) + SquareName(m.to);
      if (m.promote == 'Q' || m.promote == 'q') m.text += "q";
      moves.push_back(m);
    }
    return moves;
  }

  void Play(const Move& m) {
    const u64 e1 = 1ULL << 4, a1 = 1ULL, h1 = 1ULL << 7;
    if (m.from == e1) castle &= 12;
    if (m.from == h1) castle &= 14;
    if (m.from == a1) castle &= 13;
    if (m.from == e1 << 56) castle &= 3;
    if (m.from == h1 << 56) castle &= 11;
    if (m.from == a1 << 56) castle &= 7;
    char mask;
    board.MakeMove(m.from, m.to, m.promote, &mask);
    side ^= 1;
  }

  bool Play(const std::string& text) {
    for (const Move& m : LegalMoves()) {
      if (m.text == text) {
        Play(m);
        return true;
      }
    }
    return false;
  }
};

// A long legal game: a few pawn moves to free the pieces, then pieces and
// kings moving without capturing where they can, chosen by a fixed-seed
// generator, so that material mostly stays and the game does not end. (Repetitions and
// the fifty-move count run on; a GUI decides such draws.)
std::vector<std::string> LongGame(int plies, Game* game) {
  std::vector<std::string> moves;
  for (const char* opening : {"e2e3", "e7e6", "d2d3", "d7d6", "b2b3", "b7b6", "g2g3", "g7g6"}) {
    EXPECT_TRUE(game->Play(opening)) << opening;
    moves.push_back(opening);
  }
  unsigned seed = 12345;
  while ((int)moves.size() < plies) {
    std::vector<Game::Move> quiet;
    for (const Game::Move& m : game->LegalMoves()) {
      const ChessBoard& b = game->board;
      const bool capture = (b.AllPieces & m.to) != 0;
      const bool pawn = ((b.WhitePawns | b.BlackPawns) & m.from) != 0;
      const bool castling = (m.from & (b.WhiteKing | b.BlackKing)) &&
                            std::abs(RightMostBit(m.from) - RightMostBit(m.to)) == 2;
      if (!capture && !pawn && !castling) quiet.push_back(m);
    }
    // A check that only a capture or a pawn answers: any legal move.
    if (quiet.empty()) quiet = game->LegalMoves();
    if (quiet.empty()) {
      ADD_FAILURE() << "the game ended at ply " << moves.size();
      break;
    }
    // Never a move that leaves the other side without a move (mate or
    // stalemate would end the game).
    bool played = false;
    while (!quiet.empty() && !played) {
      seed = seed * 1103515245u + 12345u;
      const size_t pick = (seed >> 16) % quiet.size();
      Game next = *game;
      next.Play(quiet[pick]);
      if (next.LegalMoves().empty()) {
        quiet.erase(quiet.begin() + pick);
        continue;
      }
      moves.push_back(quiet[pick].text);
      *game = next;
      played = true;
    }
    if (!played) {
      ADD_FAILURE() << "every move ends the game at ply " << moves.size();
      break;
    }
  }
  return moves;
}

// The move of the last "bestmove" line, "" when there is none.
std::string BestMove(const std::vector<std::string>& lines) {
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
    if (it->rfind("bestmove ", 0) != 0) continue;
    std::string move = it->substr(9);
    return move.substr(0, move.find(' '));
  }
  return "";
}

bool IsLegal(const Game& game, const std::string& move) {
  for (const Game::Move& m : game.LegalMoves())
    if (m.text == move) return true;
  return false;
}

TEST(LimitsTest, UciGameOfAThousandPliesSentWholeWithEveryPosition) {
  Game game;
  const std::vector<std::string> moves = LongGame(1000, &game);
  ASSERT_EQ(moves.size(), 1000u);

  EngineProcess engine;
  engine.Send("uci");
  bool found;
  engine.ReadUntil("uciok", Long, &found);
  ASSERT_TRUE(found);

  Game replay;
  std::string line = "position startpos moves";
  for (size_t i = 0; i < moves.size(); i++) {
    line += " " + moves[i];
    replay.Play(moves[i]);
    engine.Send(line);
    // Every hundredth ply the engine also moves; in between it only
    // confirms it is ready, which it cannot do if the line broke it.
    if (i % 100 == 99) {
      engine.Send("go depth 2");
      const std::string best = BestMove(engine.ReadUntil("bestmove", Long, &found));
      ASSERT_TRUE(found) << "ply " << i + 1;
      EXPECT_TRUE(IsLegal(replay, best)) << "ply " << i + 1 << ": " << best;
    } else {
      engine.Send("isready");
      engine.ReadUntil("readyok", Long, &found);
      ASSERT_TRUE(found) << "ply " << i + 1;
    }
  }
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(Long), 0);
  // A legal game gives the engine no reason to report an inconsistency
  // (such as its repetition record running over).
  EXPECT_EQ(engine.Output().find("rror"), std::string::npos);
}

// The rank lines of the last board the output shows.
std::vector<std::string> LastBoard(const std::string& output) {
  const std::string header = "   A B C D E F G H\n\n";
  size_t at = output.rfind(header);
  // The board is framed by the header twice; the top one starts it.
  if (at != std::string::npos && at > 0) at = output.rfind(header, at - 1);
  std::vector<std::string> ranks;
  if (at == std::string::npos) return ranks;
  size_t pos = at + header.size();
  for (int i = 0; i < 8; i++) {
    size_t end = output.find('\n', pos);
    if (end == std::string::npos) break;
    ranks.push_back(output.substr(pos, end - pos));
    pos = end + 1;
  }
  return ranks;
}

TEST(LimitsTest, ConsoleGameOfFourHundredPliesInForceMode) {
  Game game;
  const std::vector<std::string> moves = LongGame(400, &game);
  ASSERT_EQ(moves.size(), 400u);

  // The first word only picks the protocol (neither "uci" nor "xboard":
  // the console).
  std::string input = "hello\nforce\n";
  for (const std::string& m : moves) input += m + "\n";
  input += "displayboard\nquit\n";
  ProcessResult r = RunEngine({}, input, Long);
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.output.find("rror"), std::string::npos);

  testing::internal::CaptureStdout();
  game.board.DisplayBoard();
  const std::vector<std::string> expected = LastBoard(testing::internal::GetCapturedStdout());
  ASSERT_EQ(expected.size(), 8u);
  EXPECT_EQ(LastBoard(r.output), expected);
}

TEST(LimitsTest, GoDepthHundred) {
  EngineProcess engine;
  engine.Send("uci");
  bool found;
  engine.ReadUntil("uciok", Long, &found);
  // Two bare kings: every iteration to the hundredth is quick.
  engine.Send("position fen k7/8/1K6/8/8/8/8/8 w - - 0 1");
  engine.Send("go depth 100");
  std::vector<std::string> lines = engine.ReadUntil("bestmove", Long, &found);
  ASSERT_TRUE(found);
  EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                         [](const std::string& l) { return l.rfind("info depth 100 ", 0) == 0; }),
            lines.end());

  // Pawns locked on three files: a real tree, deep lines and the tables of
  // every ply in use. The search is left a few seconds, then the program
  // is told to quit in the middle of it.
  engine.Send("position fen 8/8/3k4/1p1p1p2/1P1P1P2/3K4/8/8 w - - 0 1");
  engine.Send("go depth 100");
  engine.ReadUntil("info depth 12 ", Long, &found);
  EXPECT_TRUE(found);
  engine.ReadUntil("never printed", 2000);
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(Long), 0);
}

TEST(LimitsTest, LongGoInfiniteEndsWithStop) {
  EngineProcess engine;
  engine.Send("uci");
  bool found;
  engine.ReadUntil("uciok", Long, &found);
  engine.Send("position fen 8/8/8/4k3/8/8/4P3/4K3 w - - 0 1");
  engine.Send("go infinite");
  engine.ReadUntil("never printed", 3000);
  engine.Send("stop");
  const std::string best = BestMove(engine.ReadUntil("bestmove", Long, &found));
  ASSERT_TRUE(found);
  Game game;
  game.board.ClearField();
  game.board.WhiteKing = 1ULL << 4;
  game.board.WhitePawns = 1ULL << 12;
  game.board.BlackKing = 1ULL << 36;
  game.board.WhitePieces = game.board.WhiteKing | game.board.WhitePawns;
  game.board.BlackPieces = game.board.BlackKing;
  game.board.AllPieces = game.board.WhitePieces | game.board.BlackPieces;
  game.castle = 0;
  EXPECT_TRUE(IsLegal(game, best)) << best;
  engine.Send("isready");
  engine.ReadUntil("readyok", Long, &found);
  EXPECT_TRUE(found);
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(Long), 0);
}

TEST(LimitsTest, UciLinesOverTenThousandCharacters) {
  EngineProcess engine;
  engine.Send("uci");
  bool found;
  engine.ReadUntil("uciok", Long, &found);
  const std::string longLines[] = {
      std::string(20000, 'x'),
      "position startpos moves" + std::string(12000, ' ') + "e2e4",
      [] {
        std::string moves = "position startpos moves";
        for (int i = 0; i < 1500; i++) moves += i % 2 ? " g8f6 f6g8" : " g1f3 f3g1";
        return moves;
      }(),
      "setoption name " + std::string(15000, 'O') + " value true",
      "go " + std::string(15000, '9'),
      "isready" + std::string(11000, ' '),
  };
  for (const std::string& line : longLines) {
    engine.Send(line);
    engine.Send("isready");
    engine.ReadUntil("readyok", Long, &found);
    ASSERT_TRUE(found) << line.substr(0, 40);
  }
  // The state is intact: a fresh position is searched and answered.
  engine.Send("position startpos moves e2e4 e7e5");
  engine.Send("go depth 3");
  const std::string best = BestMove(engine.ReadUntil("bestmove", Long, &found));
  ASSERT_TRUE(found);
  Game game;
  game.Play("e2e4");
  game.Play("e7e5");
  EXPECT_TRUE(IsLegal(game, best)) << best;
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(Long), 0);
}

TEST(LimitsTest, XboardLinesOverTenThousandCharacters) {
  const std::string input = "xboard\nnew\nforce\n" + std::string(12000, 'y') + "\n" +
                            "setboard " + std::string(12000, '8') + "\n" +
                            "setboard 4k3/8/8/8/8/8/4P3/4K3 w - - 0 1" + std::string(11000, ' ') + "\n" +
                            "e2e4" + std::string(11000, 'z') + "\n" +
                            "level 40 5 0\nst 1\nsd 3\ngo\n";
  EngineProcess engine;
  engine.Send(input);
  bool found;
  // The engine's move, as xboard mode prints it ("1. ... e7e5").
  engine.ReadUntil(". ... ", Long, &found);
  ASSERT_TRUE(found) << engine.Output().substr(0, 2000);
  engine.Send("quit");
  EXPECT_EQ(engine.Wait(Long), 0);
}
}  // namespace

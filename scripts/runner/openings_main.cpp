// vorn-openings: balanced openings for the game runner from an opening
// book. Random walks through a Polyglot book (each book move of a position
// equally likely, so that side lines come up as often as main lines) to a
// length of MIN to MAX plies; positions seen before (placement, side and
// castling: a double step's en-passant square makes no other opening) are
// dropped; each new one is scored by a short
// search of a UCI engine (stockfish) and kept when the score is within the
// margin of equal. The same seed, book and engine give the same file.
//
//   vorn-openings --book FILE --engine PROGRAM --out FILE [--count 2000]
//                 [--min-plies 8] [--max-plies 10] [--depth 10]
//                 [--margin 30] [--seed 1] [--attempts 200000]
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/PositionText.h"
#include "movegen/SANText.h"
#include "scripts/runner/UciPlayer.h"
#include "search/PolyglotBook.h"

namespace {
constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
// A search longer than this is a hung engine.
constexpr int SearchTimeoutMs = 60000;

struct Settings {
  std::string Book, Engine, Out;
  long Count = 2000, MinPlies = 8, MaxPlies = 10, Depth = 10, Margin = 30, Seed = 1, Attempts = 200000;
};

struct Line {
  std::string Position;  // the first four FEN fields
  std::string Key;       // the first three: what makes two openings alike
  std::string Moves;     // coordinate moves from the start
  int HalfMoves = 0, FullMove = 1;
};

std::string Word(const LegalMove& m) {
  const int from = SquareIndex(m.From), to = SquareIndex(m.To);
  std::string w = {char('a' + from % 8), char('1' + from / 8), char('a' + to % 8), char('1' + to / 8)};
  if (m.Promote != NoPromotion) w += (char)tolower(m.Promote);
  return w;
}

std::string FirstFields(const std::string& fen, int count) {
  std::istringstream in(fen);
  std::string field, text;
  for (int i = 0; i < count && in >> field; i++) text += (i ? " " : "") + field;
  return text;
}

// One walk: false when the book runs out before the length drawn.
bool Walk(const Settings& s, std::mt19937_64& random, Line* line) {
  ChessBoard board{};
  ReadPositionText(StartFen, &board);
  const int plies = (int)(s.MinPlies + (long)(random() % (u64)(s.MaxPlies - s.MinPlies + 1)));
  std::string moves;
  int fullMove = 1;
  std::vector<std::string> problems;
  for (int ply = 0; ply < plies; ply++) {
    std::vector<BookMove> choices;
    for (const BookMove& m : Book.Moves(board, &problems))
      if (m.Weight > 0) choices.push_back(m);
    if (choices.empty()) return false;
    const LegalMove move = choices[random() % choices.size()].Move;
    moves += (moves.empty() ? "" : " ") + Word(move);
    board.PlayMove(move.From, move.To, move.Promote);
    board.SideToMove ^= 1;
    if (board.SideToMove == 0) fullMove++;
  }
  if (LegalMoves(board).empty()) return false;
  line->Position = FirstFields(FenText(board, fullMove), 4);
  line->Key = FirstFields(line->Position, 3);
  line->Moves = moves;
  line->HalfMoves = board.FiftyMoveCount;
  line->FullMove = fullMove;
  return true;
}

// The engine's score of the position for the side to move; false for a
// mate score or no answer.
bool Score(UciPlayer& engine, const Settings& s, const std::string& position, int* score) {
  engine.Send("position fen " + position + " 0 1");
  engine.Send("go depth " + std::to_string(s.Depth));
  const long long deadline = UciPlayer::NowMs() + SearchTimeoutMs;
  bool found = false;
  std::string text;
  while (engine.ReadLine(&text, deadline) == UciPlayer::Reading::Line) {
    std::istringstream in(text);
    std::string word;
    in >> word;
    if (word == "bestmove") return found;
    if (word != "info") continue;
    while (in >> word) {
      if (word != "score") continue;
      std::string kind;
      long value;
      in >> kind >> value;
      found = kind == "cp";
      *score = (int)value;
      break;
    }
  }
  return false;
}

bool ReadSettings(int argc, char** argv, Settings* s) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    const char* value = argv[i + 1];
    long* number = flag == "--count" ? &s->Count : flag == "--min-plies" ? &s->MinPlies
                 : flag == "--max-plies" ? &s->MaxPlies : flag == "--depth" ? &s->Depth
                 : flag == "--margin" ? &s->Margin : flag == "--seed" ? &s->Seed
                 : flag == "--attempts" ? &s->Attempts : nullptr;
    if (flag == "--book") s->Book = value;
    else if (flag == "--engine") s->Engine = value;
    else if (flag == "--out") s->Out = value;
    else if (number != nullptr) *number = atol(value);
    else return false;
  }
  return (argc % 2) == 1 && !s->Book.empty() && !s->Engine.empty() && !s->Out.empty() && s->MinPlies >= 1 &&
         s->MaxPlies >= s->MinPlies && s->Count > 0 && s->Depth > 0;
}
}  // namespace

int main(int argc, char** argv) {
  Settings s;
  if (!ReadSettings(argc, argv, &s)) {
    fprintf(stderr,
            "usage: vorn-openings --book FILE --engine PROGRAM --out FILE [--count 2000] [--min-plies 8]\n"
            "                     [--max-plies 10] [--depth 10] [--margin 30] [--seed 1] [--attempts 200000]\n");
    return 2;
  }
  const std::string bookProblem = Book.Open(s.Book);
  if (!bookProblem.empty()) {
    fprintf(stderr, "vorn-openings: %s\n", bookProblem.c_str());
    return 1;
  }
  const std::string orderProblem = Book.CheckOrder();
  if (!orderProblem.empty()) {
    fprintf(stderr, "vorn-openings: %s\n", orderProblem.c_str());
    return 1;
  }
  UciPlayer engine(EngineSetup{"scorer", s.Engine, {}, {{"Threads", "1"}, {"Hash", "16"}}});
  std::string problem;
  if (!engine.Start(10000, &problem)) {
    fprintf(stderr, "vorn-openings: %s: %s\n", s.Engine.c_str(), problem.c_str());
    return 1;
  }
  FILE* out = fopen(s.Out.c_str(), "w");
  if (out == nullptr) {
    fprintf(stderr, "vorn-openings: cannot write %s\n", s.Out.c_str());
    return 1;
  }
  fprintf(out, "# Balanced openings for vorn-games: book lines of %ld to %ld plies, each position once,\n",
          s.MinPlies, s.MaxPlies);
  fprintf(out, "# scored within %ld centipawns of equal by a search of depth %ld (seed %ld).\n", s.Margin, s.Depth,
          s.Seed);
  fprintf(out, "# Made by scripts/make-openings.sh; c0 holds the moves from the start position.\n");

  std::mt19937_64 random((u64)s.Seed);
  std::set<std::string> seen;
  long kept = 0, walks = 0, scored = 0;
  for (; walks < s.Attempts && kept < s.Count; walks++) {
    Line line;
    if (!Walk(s, random, &line) || !seen.insert(line.Key).second) continue;
    int score = 0;
    scored++;
    if (!engine.NewGame(10000, &problem)) {
      fprintf(stderr, "vorn-openings: %s\n", problem.c_str());
      return 1;
    }
    if (!Score(engine, s, line.Position, &score) || std::abs(score) > s.Margin) continue;
    fprintf(out, "%s hmvc %d; fmvn %d; c0 \"%s\";\n", line.Position.c_str(), line.HalfMoves, line.FullMove,
            line.Moves.c_str());
    kept++;
    if (kept % 100 == 0) fprintf(stderr, "%ld kept of %ld scored\n", kept, scored);
  }
  fclose(out);
  fprintf(stderr, "%ld openings kept of %ld positions scored (%ld walks)\n", kept, scored, walks);
  return kept == s.Count ? 0 : 1;
}

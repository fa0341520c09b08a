#include "tools/GameAnnotator.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/HashCodes.h"
#include "board/MoveHistory.h"
#include "search/SearchLimits.h"
#include "search/SearchListener.h"
#include "search/SearchRoutines.h"
#include "search/InputPoll.h"
#include "search/TimeControl.h"
#include "search/TranspositionTables.h"

namespace {
// Hears the depth of every iteration the search completes, and nothing
// else: the annotation reads no input and prints no thinking.
class DepthListener : public SearchListener {
 public:
  int Depth = 0;
  void IterationDone(int depth, int /*score*/, u64 /*from*/, u64 /*to*/, char /*promote*/) override {
    // An iteration cut short by the clock is reported with the score of
    // the one before it.
    if (!Search.StopSearch) Depth = depth;
  }
};

struct PositionSearch {
  int Score = 0;  // from the view of the side to move
  LegalMove Move;
  int Depth = 0;
  std::vector<LegalMove> Line;
};

bool IsMate(int v) { return v > MateBound && v <= MateScore; }
bool IsMated(int v) { return v < -MateBound && v >= -MateScore; }

// A score from the view of the side that moved, as the side to reply sees
// it: negated, a mate one ply nearer.
int ScoreAfterMove(int v) {
  if (v == StalemateScore) return 0;
  if (IsMate(v)) return -v - 1;
  if (IsMated(v)) return -v + 1;
  return -v;
}
// The other way: the score of the position after a move, from the view of
// the side that made it.
int ScoreBeforeMove(int v) {
  if (v == StalemateScore) return 0;
  if (IsMate(v)) return -v + 1;
  if (IsMated(v)) return -v - 1;
  return -v;
}

bool SameMove(const LegalMove& a, const LegalMove& b) {
  return a.From == b.From && a.To == b.To && a.Promote == b.Promote;
}
bool Underpromotion(const LegalMove& m) {
  return m.Promote != NoPromotion && m.Promote != 'Q' && m.Promote != 'q';
}

// The legal move of the board that a principal-variation entry names: a
// promotion the table kept without its piece is the generator's queen.
bool EntryMove(const ChessBoard& board, const PVEntry& entry, LegalMove* move) {
  const u64 from = SquareMask(entry.Move >> 6), to = SquareMask(entry.Move & 63);
  auto upper = [](char c) { return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c; };
  const char wanted = (char)entry.Promote == NoPromotion ? NoPromotion : upper((char)entry.Promote);
  for (const LegalMove& m : LegalMoves(board)) {
    if (m.From != from || m.To != to) continue;
    const char piece = m.Promote == NoPromotion ? NoPromotion : upper(m.Promote);
    if (piece == wanted || (piece == 'Q' && wanted != 'R' && wanted != 'B' && wanted != 'N')) {
      *move = m;
      return true;
    }
  }
  return false;
}

// The positions of a game, the start first, each with its two hash codes.
struct GamePositions {
  std::vector<ChessBoard> Boards;
  std::vector<MoveHistory::Record> Codes;

  void Add(const ChessBoard& board) {
    Boards.push_back(board);
    ChessBoard b = board;
    MoveHistory::Record r{};
    genhashcode(b.SideToMove, b.CastleFlags, &r.code1, &r.code2, &b);
    Codes.push_back(r);
  }
  // The game's positions up to and including `last` on the repetition
  // record, so that the search knows the repetitions the game has had.
  void Record(size_t last) const {
    MoveList.Init();
    for (size_t i = 0; i <= last; i++) MoveList.InsertMoveHistory(Codes[i].code1, Codes[i].code2);
  }
};

// Searches the game's position `at`: for the time a position or to
// `depth` when it is not 0; only the moves `only` when there are any, with
// `lines` lines.
PositionSearch SearchAt(const GamePositions& positions, size_t at, int depth, double seconds,
                        const std::vector<LegalMove>& only = {}, int lines = 1) {
  MainBoard = positions.Boards[at];
  MainBoard.InitPieceCounts();
  positions.Record(at);
  Limits.SearchMoves.clear();
  for (const LegalMove& m : only) Limits.SearchMoves.push_back((u16)(SquareOf(m.From) * 64 + SquareOf(m.To)));
  Limits.FD = (u8)depth;
  if (depth == 0) {
    const double ms = std::min(seconds * 1000, (double)MaxClockMs);
    Clock.ST = std::max<i32>(1, (i32)std::llround(ms));
  }
  // The lines the annotation needs, whatever a GUI or the command line
  // asked the engine to show.
  const int linesBefore = Limits.MultiPV;
  Limits.MultiPV = lines;

  DepthListener listener;
  SearchListener* const before = Search.Listener;
  Search.Listener = &listener;
  PositionSearch result;
  ChessBoard& b = MainBoard;
  result.Score = Search.ProgressiveDeepening(b, (char)Limits.FD, &b.BestMoveFrom, &b.BestMoveTo, &b.BestMovePromote);
  Search.Listener = before;
  Limits.SearchMoves.clear();
  Limits.MultiPV = linesBefore;
  result.Depth = std::max(1, depth != 0 ? depth : listener.Depth);

  PVEntry line[SearchTableRows];
  const int length = Search.ShownLine(b.BestMoveFrom, b.BestMoveTo, b.BestMovePromote, line);
  ChessBoard walk = positions.Boards[at];
  for (int i = 0; i < length && i < GameAnnotator::ShortLinePlies; i++) {
    LegalMove m;
    if (!EntryMove(walk, line[i], &m)) break;
    if (i == 0) result.Move = m;
    result.Line.push_back(m);
    PlayLegalMove(&walk, m);
  }
  return result;
}

// The scores of the engine's best move and of the move played, judged as
// the two root moves of one search of the position at `depth`, begun on an
// empty table. The table other searches filled holds the scores of
// positions they reached by other paths, so under other fifty-move counts
// and repetitions: a move whose line meets such a score would be judged by
// a draw (or a win) that its own search cannot see, and the other move not.
// Without a best move (the search showed none) the move played is searched
// alone and *bestScore is left as it is.
void JudgeTogether(const GamePositions& positions, size_t at, int depth, const PositionSearch& best,
                   const LegalMove& played, int* bestScore, int* playedScore) {
  PositionCache.ClearTranspositionTables();
  if (best.Line.empty()) {
    *playedScore = SearchAt(positions, at, depth, 0, {played}).Score;
    return;
  }
  const int score = SearchAt(positions, at, depth, 0, {best.Move, played}, 2).Score;
  *bestScore = *playedScore = score;
  if (Search.LinesDepth == 0) return;  // a single line: both moves are the same
  for (const RootLine& line : Search.Lines) {
    if (line.From == best.Move.From && line.To == best.Move.To) *bestScore = line.Score;
    if (line.From == played.From && line.To == played.To) *playedScore = line.Score;
  }
}

std::string PawnsText(int centipawns) {
  char text[32];
  const int a = std::abs(centipawns);
  snprintf(text, sizeof text, "%s%d.%02d", centipawns < 0 ? "-" : "", a / 100, a % 100);
  return text;
}

const char* MarkText(MoveMark mark) {
  switch (mark) {
    case MoveMark::Dubious: return "?!";
    case MoveMark::Mistake: return "?";
    case MoveMark::Blunder: return "??";
    default: return "";
  }
}

// The words of a comment in braces, blanks and line ends between them
// made one; none for a comment of blanks only. A command such as
// "[%eval 0.35]" stays one word, so that no line breaks it.
std::vector<std::string> CommentWords(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool command = false;
  for (size_t i = 0; i < text.size(); i++) {
    const char c = text[i];
    if (c == '[' && i + 1 < text.size() && text[i + 1] == '%') command = true;
    if (c == ']') command = false;
    if (!command && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
      if (!word.empty()) words.push_back(word), word.clear();
    } else {
      // A brace would end the comment early; a line end inside a command
      // becomes a blank.
      word += c == '}' ? ')' : c == '{' ? '(' : c == '\n' || c == '\r' || c == '\t' ? ' ' : c;
    }
  }
  if (!word.empty()) words.push_back(word);
  if (words.empty()) return words;
  words.front() = "{" + words.front();
  words.back() += "}";
  return words;
}

// Movetext laid out in lines of at most 79 characters, broken between
// words only.
class MoveTextLines {
 public:
  void Word(const std::string& word) {
    if (!line_.empty() && line_.size() + 1 + word.size() > 79) Flush();
    // A "%" in a line's first column would make the line an escape line.
    if (!line_.empty() || word[0] == '%') line_ += ' ';
    line_ += word;
  }
  // A comment, its words laid out like the moves'; one of several lines (a
  // board diagram) keeps its lines as they were.
  void Comment(const std::string& text) {
    if (text.find('\n') == std::string::npos) {
      for (const std::string& w : CommentWords(text)) Word(w);
      return;
    }
    std::vector<std::string> lines{""};
    for (char c : text) {
      if (c == '\n') lines.emplace_back();
      else if (c != '\r') lines.back() += c == '}' ? ')' : c == '{' ? '(' : c;
    }
    Word("{" + lines[0]);
    for (size_t i = 1; i < lines.size(); i++) {
      Flush();
      // A "%" in the first column would make the line an escape line.
      line_ = (lines[i].empty() || lines[i][0] != '%' ? "" : " ") + lines[i];
    }
    line_ += "}";
  }
  std::string Text() {
    Flush();
    return text_;
  }

 private:
  void Flush() {
    if (!line_.empty()) text_ += line_ + "\n";
    line_.clear();
  }
  std::string line_, text_;
};

// The move number before a move: always before White's, before Black's
// where the movetext does not just come from White's move.
std::string MoveNumber(int number, char side, bool afterWhite) {
  if (side == 0) return std::to_string(number) + ".";
  return afterWhite ? "" : std::to_string(number) + "...";
}

// A comment of the original game without an evaluation of its own, which
// the annotation's replaces.
std::string WithoutEval(std::string text) {
  for (size_t at = text.find("[%eval"); at != std::string::npos; at = text.find("[%eval", at)) {
    const size_t end = text.find(']', at);
    text.erase(at, end == std::string::npos ? std::string::npos : end - at + 1);
  }
  return text;
}

std::string EscapedTagValue(const std::string& value) {
  std::string out;
  for (char c : value) {
    if (c == '"' || c == '\\') out += '\\';
    // A line end would end the tag.
    out += c == '\n' || c == '\r' ? ' ' : c;
  }
  return out;
}

std::string SettingsText(const AnnotationSettings& s) {
  char text[64];
  if (s.FixedDepth > 0) snprintf(text, sizeof text, "depth %d", s.FixedDepth);
  else snprintf(text, sizeof text, "%g s a position", s.SecondsPerPosition);
  return text;
}
}  // namespace

MoveMark GameAnnotator::Judge(int best, int played, int* loss) {
  auto capped = [](int v) { return std::clamp(v / 10, -ScoreCap, ScoreCap); };
  *loss = std::max(0, capped(best) - capped(played));
  if (IsMate(best) && !IsMate(played)) return MoveMark::Blunder;
  if (IsMated(played) && !IsMated(best)) return MoveMark::Blunder;
  if (*loss >= BlunderLoss) return MoveMark::Blunder;
  if (*loss >= MistakeLoss) return MoveMark::Mistake;
  if (*loss >= DubiousLoss) return MoveMark::Dubious;
  return MoveMark::None;
}

int GameAnnotator::CrossChecked(int played, int nextBest) {
  const int next = ScoreBeforeMove(nextBest);
  if (IsMate(next) && !IsMate(played)) return next;
  if (IsMated(next) && !IsMated(played)) return next;
  return played;
}

std::string GameAnnotator::EvalText(int score, char sideToMove) {
  const int sign = sideToMove == 0 ? 1 : -1;
  if (IsMate(score)) return "#" + std::to_string(sign * ((MateScore - score + 1) / 2));
  if (IsMated(score)) return "#" + std::to_string(-sign * ((MateScore + score + 1) / 2));
  if (score == StalemateScore) score = 0;
  return PawnsText(sign * (score / 10));
}

std::vector<MoveAnalysis> GameAnnotator::Analyse(const PGNGame& game,
                                                 const std::function<void()>& positionDone) const {
  GamePositions positions;
  positions.Add(game.Start);
  for (const PGNMove& m : game.Moves) {
    ChessBoard next = positions.Boards.back();
    PlayLegalMove(&next, m.Move);
    positions.Add(next);
  }
  // The book would answer the opening positions without a search.
  const u8 ownBook = Limits.OwnBook;
  Limits.OwnBook = 0;
  const int depth = settings_.FixedDepth;
  const double seconds = settings_.SecondsPerPosition;

  std::vector<MoveAnalysis> analysis(game.Moves.size());
  std::vector<bool> fromNext(game.Moves.size(), false);
  for (size_t i = 0; i < game.Moves.size(); i++) {
    MoveAnalysis& a = analysis[i];
    const LegalMove& played = game.Moves[i].Move;
    const PositionSearch best = SearchAt(positions, i, depth, seconds);
    a.Best = best.Score;
    a.Line = best.Line;
    a.PlayedBest = SameMove(best.Move, played);
    if (Search.LegalMoves == 1 || (!a.PlayedBest && Underpromotion(played))) {
      // The search stops at once with a single legal move, and makes
      // queens only: the position after the move tells its score.
      fromNext[i] = true;
    } else if (a.PlayedBest) {
      a.Played = a.Best;
    } else {
      JudgeTogether(positions, i, best.Depth, best, played, &a.Best, &a.Played);
    }
    if (positionDone) positionDone();
  }
  for (size_t i = 0; i < analysis.size(); i++) {
    if (!fromNext[i]) {
      // A mate the search of the next position found is a mate, though
      // the move's own search was too shallow to see it.
      if (i + 1 < analysis.size()) {
        MoveAnalysis& a = analysis[i];
        a.Played = CrossChecked(a.Played, analysis[i + 1].Best);
        if (a.PlayedBest) a.Best = a.Played;
      }
      continue;
    }
    MoveAnalysis& a = analysis[i];
    int next;
    if (i + 1 < analysis.size()) {
      next = analysis[i + 1].Best;
    } else if (LegalMoves(positions.Boards[i + 1]).empty()) {
      const ChessBoard& b = positions.Boards[i + 1];
      next = b.InCheck(b.SideKing(b.SideToMove), b.SideToMove) ? -MateScore : 0;
    } else {
      next = SearchAt(positions, i + 1, depth, seconds).Score;
    }
    a.Played = ScoreBeforeMove(next);
    // The only legal move loses nothing.
    if (LegalMoves(positions.Boards[i]).size() == 1) a.PlayedBest = true, a.Best = a.Played;
  }
  for (MoveAnalysis& a : analysis) a.Mark = a.PlayedBest ? MoveMark::None : Judge(a.Best, a.Played, &a.Loss);
  Limits.OwnBook = ownBook;
  return analysis;
}

std::string GameAnnotator::Write(const PGNGame& game, const std::vector<MoveAnalysis>& analysis) const {
  std::string out;
  bool annotator = false;
  for (const auto& tag : game.Tags) {
    out += "[" + tag.first + " \"" + EscapedTagValue(tag.second) + "\"]\n";
    annotator |= tag.first == "Annotator";
  }
  if (!annotator) out += "[Annotator \"Vorn\"]\n";
  out += "\n";

  MoveTextLines text;
  if (!WithoutEval(game.Comment).empty()) text.Comment(WithoutEval(game.Comment));
  ChessBoard board = game.Start;
  int number = game.FirstMoveNumber;
  bool afterWhite = false;  // the last thing written is White's move
  int loss[2] = {0, 0}, moves[2] = {0, 0}, marks[2][3] = {{0, 0, 0}, {0, 0, 0}};
  for (size_t i = 0; i < game.Moves.size(); i++) {
    const PGNMove& m = game.Moves[i];
    const MoveAnalysis& a = analysis[i];
    const int side = board.SideToMove;
    char san[16];
    WriteSAN(board, m.Move, san);
    const std::string numberText = MoveNumber(number, side, afterWhite);
    if (!numberText.empty()) text.Word(numberText);
    text.Word(std::string(san) + MarkText(a.Mark));
    afterWhite = side == 0;

    // The evaluation after the move; none after a mate, which ends the game.
    const int after = ScoreAfterMove(a.Played);
    std::string comment = after == -MateScore ? "" : "[%eval " + EvalText(after, (char)(side ^ 1)) + "]";
    const std::string original = WithoutEval(m.Comment);
    if (original.find_first_not_of(" \t\r\n") != std::string::npos) comment += (comment.empty() ? "" : " ") + original;
    if (!comment.empty()) text.Comment(comment), afterWhite = false;

    // The better move and the engine's line after it, the move's
    // evaluation after it.
    if (a.Mark != MoveMark::None && !a.Line.empty()) {
      std::vector<std::string> words;
      ChessBoard walk = board;
      int n = number;
      bool lineAfterWhite = false;
      for (size_t j = 0; j < a.Line.size(); j++) {
        const std::string prefix = MoveNumber(n, walk.SideToMove, lineAfterWhite);
        if (!prefix.empty()) words.push_back(prefix);
        char word[16];
        WriteSAN(walk, a.Line[j], word);
        words.push_back(word);
        lineAfterWhite = walk.SideToMove == 0;
        if (walk.SideToMove == 1) n++;
        PlayLegalMove(&walk, a.Line[j]);
        const int bestAfter = ScoreAfterMove(a.Best);
        if (j == 0 && bestAfter != -MateScore) {
          for (const std::string& w : CommentWords("[%eval " + EvalText(bestAfter, walk.SideToMove) + "]"))
            words.push_back(w);
          lineAfterWhite = false;
        }
      }
      words.front() = "(" + words.front();
      words.back() += ")";
      for (const std::string& w : words) text.Word(w);
      afterWhite = false;
    }

    loss[side] += a.Loss;
    moves[side]++;
    if (a.Mark != MoveMark::None) marks[side][(int)a.Mark - 1]++;
    if (side == 1) number++;
    PlayLegalMove(&board, m.Move);
  }

  // Each side's average loss and marks.
  std::string summary = "Vorn, " + SettingsText(settings_) + ".";
  for (int side = 0; side < 2; side++) {
    if (moves[side] == 0) continue;
    const int average = (int)std::lround((double)loss[side] / moves[side]);
    summary += std::string(side == 0 ? " White" : " Black") + ": average loss " + PawnsText(average) + " pawns, " +
               std::to_string(marks[side][0]) + " ?!, " + std::to_string(marks[side][1]) + " ?, " +
               std::to_string(marks[side][2]) + " ??.";
  }
  text.Comment(summary);
  text.Word(game.Result);
  return out + text.Text() + "\n";
}

namespace {
// The whole file; false, with *why set, when it cannot be read.
bool ReadWholeFile(const char* path, std::string* text, std::string* why) {
  FILE* f = fopen(path, "rb");
  if (f == nullptr) {
    *why = strerror(errno);
    return false;
  }
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) text->append(buffer, n);
  const bool failed = ferror(f) != 0;
  const int error = errno;
  fclose(f);
  if (failed) *why = strerror(error);
  return !failed;
}

std::string Duration(double seconds) {
  const long s = std::lround(std::max(0.0, seconds));
  char text[32];
  if (s >= 3600) snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  else snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
  return text;
}
}  // namespace

int AnnotatePGNFile(const char* input, const char* output, const AnnotationSettings& settings) {
  std::string text, why;
  if (!ReadWholeFile(input, &text, &why)) {
    fprintf(stderr, "ERROR: cannot read %s: %s\n", input, why.c_str());
    return 1;
  }
  // Every game first, so that the progress can count what is left.
  std::vector<PGNGame> games;
  PGNReader reader(std::move(text));
  int read = 0;
  for (PGNGame game; reader.Next(&game);) {
    read++;
    if (!game.Error.empty()) {
      fprintf(stderr, "%s: game %d (line %d): %s; the game is skipped\n", input, game.Number, game.ErrorLine,
              game.Error.c_str());
      continue;
    }
    games.push_back(std::move(game));
  }
  if (games.empty()) {
    if (read == 0) fprintf(stderr, "ERROR: %s holds no game\n", input);
    else fprintf(stderr, "ERROR: no game of %s could be read\n", input);
    return 1;
  }

  FILE* out = stdout;
  if (output != nullptr && (out = fopen(output, "w")) == nullptr) {
    fprintf(stderr, "ERROR: cannot write %s: %s\n", output, strerror(errno));
    return 1;
  }
  size_t positions = 0, done = 0;
  for (const PGNGame& g : games) positions += g.Moves.size();
  const bool terminal = isatty(2);
  const i32 start = ClockMs();
  auto progress = [&](size_t gamesDone, bool final) {
    const double elapsed = (ClockMs() - start) / 1000.0;
    const double left = done > 0 ? elapsed / done * (positions - done) : 0;
    fprintf(stderr, "%sannotated %zu of %zu games, %zu of %zu positions, %s left%s", terminal ? "\r" : "", gamesDone,
            games.size(), done, positions, Duration(left).c_str(), terminal && !final ? "" : "\n");
    fflush(stderr);
  };

  const GameAnnotator annotator(settings);
  bool written = true;
  for (size_t g = 0; g < games.size(); g++) {
    const std::vector<MoveAnalysis> analysis = annotator.Analyse(games[g], [&]() {
      done++;
      if (terminal) progress(g, false);
    });
    const std::string pgn = annotator.Write(games[g], analysis);
    written &= fwrite(pgn.data(), 1, pgn.size(), out) == pgn.size();
    fflush(out);
    progress(g + 1, g + 1 == games.size());
  }
  if (out != stdout) written &= fclose(out) == 0;
  if (!written) {
    fprintf(stderr, "ERROR: cannot write %s\n", output ? output : "the standard output");
    return 1;
  }
  fprintf(stderr, "%zu games, %zu positions annotated in %s\n", games.size(), positions,
          Duration((ClockMs() - start) / 1000.0).c_str());
  return 0;
}

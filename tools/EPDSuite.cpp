#include "tools/EPDSuite.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/MoveText.h"
#include "board/PositionText.h"
#include "eval/EvaluationDetail.h"
#include "eval/PawnHash.h"
#include "eval/PositionEvaluate.h"
#include "movegen/SANText.h"
#include "search/InputPoll.h"
#include "search/SearchLimits.h"
#include "search/SearchListener.h"
#include "search/SearchRoutines.h"
#include "search/TimeControl.h"

namespace {
bool Blank(const char* line) { return line[strspn(line, " \t")] == 0; }

void Evaluate() {
  MainBoard.InitPieceCounts();
  PE.PosEval(MainBoard.SideToMove, -MateScore, MateScore, &MainBoard);
}

// The words of an EPD line: blanks separate them, ";" ends an operation
// and is a word of its own, and a quoted string is one word (its quotes
// kept, so that it is never taken for an operation's end or name).
std::vector<std::string> Words(const char* p) {
  std::vector<std::string> words;
  while (*p) {
    if (*p == ' ' || *p == '\t') {
      p++;
    } else if (*p == ';') {
      words.emplace_back(";");
      p++;
    } else if (*p == '"') {
      const char* end = strchr(p + 1, '"');
      const size_t n = end ? (size_t)(end - p + 1) : strlen(p);
      words.emplace_back(p, n);
      p += n;
    } else {
      const size_t n = strcspn(p, " \t;");
      words.emplace_back(p, n);
      p += n;
    }
  }
  return words;
}

bool Number(const std::string& word) { return !word.empty() && strspn(word.c_str(), "0123456789") == word.size(); }

bool SquareName(const std::string& word) {
  return word.size() == 2 && word[0] >= 'a' && word[0] <= 'h' && word[1] >= '1' && word[1] <= '8';
}

// The promotion pieces as one case, so that the engine's 'Q' and a key's
// 'q' compare equal.
bool SameMove(const LegalMove& a, const LegalMove& b) {
  auto piece = [](char p) { return p >= 'a' && p <= 'z' ? (char)(p - 'a' + 'A') : p; };
  return a.From == b.From && a.To == b.To && piece(a.Promote) == piece(b.Promote);
}

// A suite line's key: the moves of its bm and am operations read on the
// position, and what could not be read.
struct SuiteKey {
  std::vector<LegalMove> Best, Avoid;
  std::string Problems;  // "Qxh9 is no legal move; Nd2 is ambiguous"
  bool Scored() const { return Problems.empty() && (!Best.empty() || !Avoid.empty()); }
  bool Solves(const LegalMove& m) const {
    for (const LegalMove& a : Avoid) {
      if (SameMove(a, m)) return false;
    }
    if (Best.empty()) return true;
    for (const LegalMove& b : Best) {
      if (SameMove(b, m)) return true;
    }
    return false;
  }
};

void ReadKeyMoves(const std::vector<std::string>& texts, const ChessBoard& board, std::vector<LegalMove>* moves,
                  std::string* problems) {
  for (const std::string& text : texts) {
    LegalMove m;
    const SANReading r = ReadSAN(text.c_str(), board, &m);
    if (r == SANReading::Found) {
      moves->push_back(m);
      continue;
    }
    if (!problems->empty()) *problems += "; ";
    *problems += text + (r == SANReading::Ambiguous ? " is ambiguous" : " is no legal move");
  }
}

std::string JoinMoves(const char* opcode, const std::vector<std::string>& moves) {
  std::string text;
  if (moves.empty()) return text;
  text = std::string(", ") + opcode;
  for (const std::string& m : moves) text += " " + m;
  return text;
}

// Hears the depth of every iteration the search completes and passes all
// that the search reports on to the front end's listener.
class DepthRecorder : public SearchListener {
 public:
  explicit DepthRecorder(SearchListener* next) : next_(next) {}
  int Depth = 0;

  PollResult Poll() override { return next_->Poll(); }
  PollResult WaitForCommand() override { return next_->WaitForCommand(); }
  void IterationStarted(int depth) override { next_->IterationStarted(depth); }
  void CurrentMove(int depth, u64 from, u64 to, int number) override { next_->CurrentMove(depth, from, to, number); }
  void RootResult(int depth, int score, u64 from, u64 to, char promote, bool newBest) override {
    next_->RootResult(depth, score, from, to, promote, newBest);
  }
  void IterationDone(int depth, int score, u64 from, u64 to, char promote) override {
    // An iteration cut short by the clock is reported too, with the score
    // of the one before it.
    if (!Search.StopSearch) Depth = depth;
    next_->IterationDone(depth, score, from, to, promote);
  }
  void SearchDone(int depth, int score, u64 from, u64 to, char promote) override {
    next_->SearchDone(depth, score, from, to, promote);
  }
  void BookMoveFound() override { next_->BookMoveFound(); }
  void BudgetSet() override { next_->BudgetSet(); }
  void SpeedMeasured(i32 nodesPerSecond, i32 milliseconds) override {
    next_->SpeedMeasured(nodesPerSecond, milliseconds);
  }
  void AnalysisSpeed(i32 nodesPerSecond) override { next_->AnalysisSpeed(nodesPerSecond); }

 private:
  SearchListener* next_;
};

// The totals of a suite run.
struct SuiteScore {
  int Scored = 0;
  int Solved = 0;
  i64 Milliseconds = 0;
  long long Nodes = 0;
  std::string Unsolved;  // the labels of the positions not solved
};

// Searches MainBoard as the suite asks, prints the design's result line and
// the scoring line, and plays the move found (the next position's set-up
// keeps some of the board's state, the fifty-move count among it).
void SearchPosition(const char* line, const char* label, const SuiteOptions& options, SuiteScore* score) {
  ChessBoard& b = MainBoard;
  const EPDOperations ops = ReadEPDOperations(line);
  SuiteKey key;
  ReadKeyMoves(ops.BestMoves, b, &key.Best, &key.Problems);
  ReadKeyMoves(ops.AvoidMoves, b, &key.Avoid, &key.Problems);

  const bool timed = options.SecondsPerPosition > 0 && Limits.FD == 0;
  if (timed) {
    // At least a millisecond, and no more than the clock holds.
    const double ms = std::min(options.SecondsPerPosition * 1000, (double)MaxClockMs);
    Clock.ST = std::max<i32>(1, (i32)std::llround(ms));
  } else if (Limits.FD == 0) {
    Limits.FD = 3;
  }

  SearchListener* const frontEnd = Search.Listener;
  DepthRecorder recorder(frontEnd);
  Search.Listener = &recorder;
  const i32 start = ClockMs();
  const int v = Search.ProgressiveDeepening(b, (char)Limits.FD, &b.BestMoveFrom, &b.BestMoveTo, &b.BestMovePromote);
  const i32 elapsed = ClockMs() - start;
  Search.Listener = frontEnd;
  const long long nodes = Search.TotalNodes();  // every thread's

  LegalMove played;
  played.From = b.BestMoveFrom, played.To = b.BestMoveTo, played.Promote = b.BestMovePromote;
  const bool moved = Search.MoveToPlay(v);
  char san[16] = "none", coordinates[8] = "";
  if (moved) {
    WriteSAN(b, played, san);
    const int from = SquareOf(played.From), to = SquareOf(played.To);
    snprintf(coordinates, sizeof coordinates, "%c%d%c%d", files[from & 7], from / 8 + 1, files[to & 7], to / 8 + 1);
    b.PlayMove(b.BestMoveFrom, b.BestMoveTo, b.BestMovePromote);
  }
  char text[PVTextSize];
  Search.LineText(text, v, b.BestMoveFrom, b.BestMoveTo, b.BestMovePromote);
  // The design's line shows the fixed depth; a timed search shows the
  // depth it completed instead.
  printf("%d %d   %s", timed ? recorder.Depth : Limits.FD, v, text);

  std::string verdict;
  if (key.Scored()) {
    const bool solved = moved && key.Solves(played);
    verdict = solved ? "solved, " : "not solved, ";
    score->Scored++;
    if (solved) score->Solved++;
    else score->Unsolved += std::string(score->Unsolved.empty() ? "" : " ") + label;
  }
  std::string playedText = std::string("played ") + san;
  if (moved) playedText += std::string(" (") + coordinates + ")";
  std::string keyText = JoinMoves("bm", ops.BestMoves) + JoinMoves("am", ops.AvoidMoves);
  if (!key.Problems.empty()) keyText += ", not scored (" + key.Problems + ")";
  else if (!key.Scored()) keyText += ", not scored (no bm or am)";
  printf("%s: %s%s%s, depth %d, time %.3f s, nodes %lld\n", label, verdict.c_str(), playedText.c_str(),
         keyText.c_str(), recorder.Depth, elapsed / 1000.0, nodes);
  score->Milliseconds += elapsed;
  score->Nodes += nodes;
}

// The rows of the evaluation by term, in EvalTerm's order.
const char* const TermNames[EvalTermCount] = {
    "Material",       "Pawn structure",  "Passed pawns",   "Knights",
    "Bishops",        "Rooks",           "Queens",         "Rooks and queens on the 7th",
    "Trapped pieces", "Centre control",  "Undefended men", "King placement",
    "King safety",    "Winning chances",
};

}  // namespace

// What each term gives White and Black (each from its own view) and the
// difference, which adds up to the evaluation the search uses.
void PrintEvaluationDetail(const ChessBoard& position) {
  ChessBoard b = position;
  // Evaluated as a search node would be (mating material as the draw rules
  // find it), from an empty pawn cache: the cache's key does not hold the
  // king squares of a position that was set up.
  b.RecountPieces();
  b.CheckDraw(b.SideToMove);
  PE.PawnCache->Clear();
  EvaluationDetail detail;
  detail.Explain(&b);

  if (detail.PawnlessEnding) printf("\nPawnless ending: king placement and three quarters of a minor piece more\n");
  else printf("\nPhase %d (1 with every piece on the board, 24 with bare kings)\n", detail.Phase);
  if (detail.StoppedEarly) printf("So far beyond a mate that the evaluation stops before its last terms\n");
  printf("%-28s %8s %8s %8s\n", "Term", "White", "Black", "Total");
  for (int t = 0; t < EvalTermCount; t++) {
    const int white = detail.Blended(detail.White[t]), black = detail.Blended(detail.Black[t]);
    printf("%-28s %8d %8d %8d\n", TermNames[t], white, black, white - black);
  }
  printf("%-28s %26d\n", "Opposite-coloured bishops", detail.OppositeBishops);
  printf("%-28s %26d\n", "Rounding", detail.Rounding);
  printf("%-28s %26d\n", "Total, White's view", detail.Total);
  printf("%-28s %26d\n", b.SideToMove ? "PosEval, Black to move" : "PosEval, White to move", detail.Evaluation);
  const int whiteView = b.SideToMove ? -detail.Evaluation : detail.Evaluation;
  if (detail.Total != whiteView)
    printf("ERROR: the terms add up to %d, the evaluation is %d\n", detail.Total, whiteView);
}

EPDOperations ReadEPDOperations(const char* line) {
  EPDOperations ops;
  const std::vector<std::string> words = Words(line);
  // Placement, side to move, castling, and the en-passant field unless the
  // line leaves it out; then a FEN's move counters.
  size_t i = 3;
  if (i < words.size() && (words[i] == "-" || SquareName(words[i]))) i++;
  while (i < words.size() && Number(words[i])) i++;

  while (i < words.size()) {
    const std::string opcode = words[i++];
    if (opcode == ";") continue;
    std::vector<std::string> operands;
    while (i < words.size() && words[i] != ";") operands.push_back(words[i++]);
    if (opcode == "bm") ops.BestMoves.insert(ops.BestMoves.end(), operands.begin(), operands.end());
    if (opcode == "am") ops.AvoidMoves.insert(ops.AvoidMoves.end(), operands.begin(), operands.end());
    if (opcode == "id" && !operands.empty()) {
      std::string id = operands[0];
      if (id.size() >= 2 && id.front() == '"' && id.back() == '"') id = id.substr(1, id.size() - 2);
      ops.Id = id;
    }
  }
  return ops;
}

void ParseEPDSuite(const char* file, const SuiteOptions& options) {
  FILE* f = fopen(file, "rb");
  if (f == nullptr) {
    printf("ERROR: opening file %s\n", file);
    fflush(stdout);
    exit(1);
  }
  printf("## file opened %s\n", file);
  printf("## Entering ParseEPDSuite and Opened data file\n");
  if (options.Mimic) printf("In ParseEPDSuite and Mimic == STUDENT \n");
  fflush(stdout);

  int count = 0;
  SuiteScore score;
  std::string text;
  // Blank lines hold no position and are passed over. Every other line is
  // read whole, however long, and is either used or reported.
  while (ReadTextLine(f, &text)) {
    const char* line = text.c_str();
    if (text.find('\0') != std::string::npos) {
      std::string shown = text;
      std::replace(shown.begin(), shown.end(), '\0', ' ');
      printf("Illegal position (a NUL byte in the line), skipped: %s\n", shown.c_str());
      continue;
    }
    if (Blank(line)) continue;
    if (const char* problem = LoadPosition(line)) {
      printf("Illegal position (%s), skipped: %s\n", problem, line);
      continue;
    }
    // Counted before the board display evaluates the position.
    MainBoard.InitPieceCounts();
    if (!options.Mimic) {
      MainBoard.DisplayBoard();
      if (!options.Evaluate) PE.PrintWhiteScore(&MainBoard);
    }
    if (options.Search) {
      printf("%s\n", line);
      const std::string id = ReadEPDOperations(line).Id;
      const std::string label = id.empty() ? "position " + std::to_string(count + 1) : id;
      SearchPosition(line, label.c_str(), options, &score);
    }
    if (options.Mimic) Evaluate();
    if (options.Evaluate) PrintEvaluationDetail(MainBoard);
    count++;
    fflush(stdout);
  }
  // A file that opens but cannot be read (a folder, say) is no empty suite.
  if (ferror(f)) {
    printf("ERROR: reading file %s\n", file);
    fflush(stdout);
    exit(1);
  }
  fclose(f);
  printf("%d\n", count);
  if (options.Search) {
    if (!score.Unsolved.empty()) printf("not solved: %s\n", score.Unsolved.c_str());
    printf("solved %d of %d, time %.3f s, nodes %lld\n", score.Solved, score.Scored, score.Milliseconds / 1000.0,
           score.Nodes);
  }
  fflush(stdout);
}

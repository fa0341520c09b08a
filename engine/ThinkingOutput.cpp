#include "engine/ThinkingOutput.h"

#include <cstdio>
#include <cstring>

#include "board/BitOps.h"
#include "board/MoveText.h"
#include "engine/CommandInterpreter.h"
#include "engine/GameMoves.h"
#include "engine/Status.h"
#include "engine/UCIProtocol.h"
#include "search/InputPoll.h"
#include "search/SearchLimits.h"
#include "search/SearchRoutines.h"
#include "search/TimeControl.h"
#include "search/TranspositionTables.h"

ThinkingOutput Thinking;

namespace {
constexpr int WordSize = 512;

long long SearchNodes() { return Search.TotalNodes(); }

// Standard input is read during a search under a GUI, and at the console
// only in analysis, which has no end of its own: there a move, "exit" or
// "quit" is read as under xboard, or the engine would never listen again.
// A fixed depth is never cut short, but a UCI GUI must still have "stop",
// "isready" and "quit" answered.
bool Listening() {
  const Status& s = MainStatus;
  if (Limits.FD != 0 && !s.UCIMode) return false;
  return s.xboard == 1 || s.UCIMode == 1 || Limits.Analyze;
}

// The score a thinking line shows: a stalemate at the root is a draw, not
// the code the search returns for it.
int ShownScore(int v) { return v == StalemateScore ? 0 : v; }

// Nodes a second over the milliseconds; 0 before the first one is over.
long long NodesPerSecond(long long nodes, i32 ms) { return ms > 0 ? nodes * 1000 / ms : 0; }

// " e2e4 e7e5 ..." for a UCI line: a line as the search shows it (the
// root move first), each move spelled as "bestmove" spells it (a promotion
// with its letter).
void UCIMovesText(char* text, const PVEntry* line, int length) {
  int n = 0;
  for (int j = 0; j < length; j++) {
    const PVEntry& e = line[j];
    GameMove move;
    move.From = SquareMask((e.Move >> 6) & 63), move.To = SquareMask(e.Move & 63), move.Promote = (char)e.Promote;
    text[n++] = ' ';
    MoveWord(text + n, move);
    n += (int)strlen(text + n);
  }
  text[n] = 0;
}

// The line the search shows for the root move.
void UCILineText(char* text, u64 from, u64 to, char promote) {
  PVEntry line[SearchTableRows];
  UCIMovesText(text, line, Search.ShownLine(from, to, promote, line));
}

// A UCI info line with a result: the depth, the deepest ply reached, the
// line's number when several are shown, the score, the time, nodes and
// speed, the table's use and the moves.
void PrintUCIInfo(int depth, int selDepth, int lineNumber, int v, const char* moves) {
  char score[32];
  UCIScoreText(score, v);
  char number[24] = "";
  if (lineNumber > 0) snprintf(number, sizeof number, " multipv %d", lineNumber);
  const i32 ms = Clock.Elapsed();
  const long long nodes = SearchNodes();
  printf("info depth %d seldepth %d%s score %s time %d nodes %lld nps %lld hashfull %d pv%s\n", depth, selDepth,
         number, score, ms, nodes, NodesPerSecond(nodes, ms), PositionCache.UsePerMille(), moves);
  fflush(stdout);
}

// The speed as a UCI info line, from the clock and the node count.
void PrintUCISpeed() {
  const i32 ms = Clock.Elapsed();
  printf("info time %d nodes %lld nps %lld\n", ms, SearchNodes(), NodesPerSecond(SearchNodes(), ms));
  fflush(stdout);
}

// A move of a protocol-2 thinking line, with its promotion piece in lower
// case, whether the byte holds a letter or a piece-kind code.
int XboardMoveText(char* text, int from, int to, char promote) {
  const int n = sprintf(text, "%c%d%c%d", files[from & 7], from / 8 + 1, files[to & 7], to / 8 + 1);
  char letter = 0;
  switch (promote) {
    case 'q': case 'Q': case 4: case 10: letter = 'q'; break;
    case 'r': case 'R': case 3: case 9: letter = 'r'; break;
    case 'b': case 'B': case 2: case 8: letter = 'b'; break;
    case 'n': case 'N': case 1: case 7: letter = 'n'; break;
    default: return n;
  }
  text[n] = letter;
  text[n + 1] = 0;
  return n + 1;
}

// The protocol-2 thinking line: "depth score time nodes pv", the time in
// centiseconds read from the clock, a mate as 100000 + N for a win in N
// moves (-100000 - N when mated), every move of the line spelled as the
// engine's moves are sent. A side without a move (mated or stalemated) gets
// its score and no line.
void PrintXboardLine(int depth, int v, const PVEntry* line, int length, char* lastShown) {
  v = ShownScore(v);
  int score = v / 10;
  if (v > MateBound) score = 100000 + (MateScore - v + 1) / 2;
  else if (v < -MateBound) score = -100000 - (MateScore + v + 1) / 2;
  char moves[SearchTableRows * 6 + 8];
  int n = 0;
  for (int j = 0; j < length; j++) {
    const PVEntry& e = line[j];
    if (j > 0) moves[n++] = ' ';
    n += XboardMoveText(moves + n, (e.Move >> 6) & 63, e.Move & 63, (char)e.Promote);
  }
  moves[n] = 0;
  // The end of an iteration and the end of the search report the same
  // result: a GUI is shown it once.
  char shown[XboardLineKeySize];
  snprintf(shown, sizeof shown, "%d %d %s", depth, score, moves);
  if (strcmp(shown, lastShown) == 0) return;
  strcpy(lastShown, shown);
  printf("%d %d %d %lld%s%s\n", depth, score, Clock.Elapsed() / 10, SearchNodes(), n > 0 ? " " : "", moves);
  fflush(stdout);
}

// The protocol-2 thinking line of a root move and the search's line; a
// root move from and to the same square is none (mated or stalemated).
void PrintXboardLine(int depth, int v, u64 from, u64 to, char promote, char* lastShown) {
  PVEntry line[SearchTableRows];
  const int length = from == to ? 0 : Search.ShownLine(from, to, promote, line);
  PrintXboardLine(depth, v, line, length, lastShown);
}

// The text of a console or protocol-1 line for a root move, as LineText
// writes it; a line end alone when there is no move (mated or stalemated).
void DriverLineText(char* text, int v, u64 from, u64 to, char promote) {
  if (from == to) strcpy(text, "\n");
  else Search.LineText(text, v, from, to, promote);
}

// The thinking line of the console and of protocol 1 (text: the moves as
// LineText writes them).
void PrintDriverText(int depth, int v, const char* text) {
  v = ShownScore(v);
  // A person at the console reads the time from the clock, in seconds to
  // the hundredth; a protocol-1 GUI gets the whole seconds of its version.
  if (!MainStatus.xboard) {
    const i32 cs = Clock.Elapsed() / 10;
    printf("%d %d %d.%02d %lld %s", depth, v / 10, cs / 100, cs % 100, SearchNodes(), text);
  } else {
    printf("%d %d %d %lld %s", depth, v / 10, Clock.ElapsedSeconds, SearchNodes(), text);
  }
  fflush(stdout);
}

// The number of a UCI result line: none with one line asked for.
int UCILineNumber(int number) { return Limits.MultiPV > 1 ? number : 0; }
}  // namespace

// A mate score is the mate score less the plies to the mate, counted from
// the root: a mate given at ply 2N - 1 is a mate in N moves, one suffered
// at ply 2N a mate in N moves against the engine.
void UCIScoreText(char* text, int v) {
  if (v > MateBound && v <= MateScore) sprintf(text, "mate %d", (MateScore - v + 1) / 2);
  else if (v < -MateBound && v >= -MateScore) sprintf(text, "mate %d", -((MateScore + v + 1) / 2));
  else sprintf(text, "cp %d", v / 10);
}

PollResult ThinkingOutput::HandleWord(bool announceStop) {
  char word[WordSize] = "";
  if (scanf("%511s", word) != 1) word[0] = 0;
  const int r = MainStatus.UCIMode ? UCI.UCIPrep(word) : DoCommand(word);
  const bool stop = MainStatus.UCIMode ? r == UCIProtocol::StopResult : r == LeaveReader;
  // A protocol-2 xboard GUI reads only protocol lines.
  if ((stop || announceStop) && !MainStatus.XboardProtocol2() && !MainStatus.UCIMode) {
    printf(" Search Aborted due to receiveing following string: %s\n", word);
    fflush(stdout);
  }
  if (MainStatus.UCIMode && r == UCIProtocol::PonderHitResult) return PollResult::PonderHit;
  return stop ? PollResult::Stop : PollResult::GoOn;
}

// The analysis status line is the answer to "." alone: the GUI asks for it
// when it wants it.
PollResult ThinkingOutput::Poll() {
  if (!Listening()) return PollResult::GoOn;
  if (InputWaiting()) return HandleWord(false);
  return PollResult::GoOn;
}

// A command that leaves the search as it is ("isready", a position out of
// turn) is answered and the wait goes on; the end of the input ends it.
PollResult ThinkingOutput::WaitForCommand() {
  for (;;) {
    while (!InputWaiting()) PauseForInput(10);
    const PollResult r = HandleWord(true);
    if (r == PollResult::PonderHit) return r;
    if (r == PollResult::Stop || feof(stdin) || ferror(stdin)) return PollResult::Stop;
  }
}

void ThinkingOutput::PrintStatus() const {
  printf("stat01: %d %lld %d %d %d\n", Clock.Elapsed() / 10, SearchNodes(), Search.IterationDepth,
         Search.RootMoveCount - Search.RootMoveNumber, Search.RootMoveCount);
  fflush(stdout);
}

void ThinkingOutput::IterationStarted(int depth) {
  if (!MainStatus.UCIMode) return;
  printf("info depth %d\n", depth);
  fflush(stdout);
}

void ThinkingOutput::CurrentMove(int depth, u64 from, u64 to, int number) {
  if (!MainStatus.UCIMode) return;
  if (UCI.UCIShowCurrLine && depth > 8 && SearchNodes() > 3LL * Clock.NodesPerSecond) {
    const int fs = SquareOf(from), ts = SquareOf(to);
    printf("info currmove %c%d%c%d currmovenumber %d\n", files[fs & 7], fs / 8 + 1, files[ts & 7], ts / 8 + 1,
           number);
  }
  fflush(stdout);
}

// The xboard thinking line (when posting, and for a new best move only from
// depth 8 on) or the UCI info line of a root result.
void ThinkingOutput::RootResult(int depth, int v, u64 from, u64 to, char promote, bool newBest) {
  const Status& s = MainStatus;
  // Several lines are shown together when the iteration is complete; the
  // first line's new best is what a stop reports.
  if (Search.LineCount > 1) {
    if (!s.UCIMode) return;
    if (newBest) RememberUCIResult(depth, v, from, to, promote);
    if (!newBest) PrintUCIResult();
    return;
  }
  char text[PVTextSize];
  DriverLineText(text, v, from, to, promote);
  // Protocol 2 hears of new best moves only: an iteration cut short would
  // show the interrupted move's score, and the driver reports the last
  // complete iteration's line anyway.
  if (s.Post && s.XboardProtocol2()) {
    if (newBest && Search.IterationDepth > 7) PrintXboardLine(depth, v, from, to, promote, LastXboardLine);
  } else if (s.Post && s.xboard && !(newBest && Search.IterationDepth <= 7)) {
    printf("%d %d %d %lld%s", depth, ShownScore(v) / 10, Clock.ElapsedSeconds, SearchNodes(), text);
    fflush(stdout);
  }
  // An iteration cut short answers with the score of whatever move was
  // interrupted: UCI repeats the last completed result instead.
  if (s.UCIMode) {
    if (newBest) RememberUCIResult(depth, v, from, to, promote);
    PrintUCIResult();
  }
}

void ThinkingOutput::RememberUCIResult(int depth, int v, u64 from, u64 to, char promote) {
  // Mate or stalemate at the root: no move, so no line ("bestmove 0000").
  if (from == to) return;
  UCIResult& r = LastUCIResult;
  r.Valid = true;
  r.Depth = depth;
  r.Score = v;
  r.SelDepth = Search.SelDepth;
  UCILineText(r.Line, from, to, promote);
}

void ThinkingOutput::PrintUCIResult() const {
  const UCIResult& r = LastUCIResult;
  if (!r.Valid) return;
  PrintUCIInfo(r.Depth, r.SelDepth, UCILineNumber(1), r.Score, r.Line);
}

void ThinkingOutput::PrintDriverLine(int depth, int v, u64 from, u64 to, char promote) {
  if (MainStatus.XboardProtocol2()) {
    PrintXboardLine(depth, v, from, to, promote, LastXboardLine);
    return;
  }
  char text[PVTextSize];
  DriverLineText(text, v, from, to, promote);
  PrintDriverText(depth, v, text);
}

// Each line on its own: a UCI info line numbered from 1 (the first is also
// what a stop reports), or a thinking line when posting or analysing.
void ThinkingOutput::LinesDone(int depth, const RootLine* lines, int count) {
  const Status& s = MainStatus;
  if (s.UCIMode) {
    RememberUCIResult(depth, lines[0].Score, lines[0].From, lines[0].To, lines[0].Promote);
    for (int k = 0; k < count; k++) {
      PVEntry line[SearchTableRows];
      char moves[PVTextSize];
      UCIMovesText(moves, line, Search.ShownLine(lines[k], line));
      PrintUCIInfo(depth, Search.SelDepth, k + 1, lines[k].Score, moves);
    }
    return;
  }
  if (!s.Post && !Limits.Analyze) return;
  for (int k = 0; k < count; k++) {
    if (s.XboardProtocol2()) {
      // The end of the search repeats the first line only: that one is
      // shown once.
      PVEntry line[SearchTableRows];
      char otherLine[XboardLineKeySize] = "";
      PrintXboardLine(depth, lines[k].Score, line, Search.ShownLine(lines[k], line),
                      k == 0 ? LastXboardLine : otherLine);
    } else {
      char text[PVTextSize];
      Search.LineText(text, lines[k]);
      PrintDriverText(depth, lines[k].Score, text);
    }
  }
}

void ThinkingOutput::IterationDone(int depth, int v, u64 from, u64 to, char promote) {
  const Status& s = MainStatus;
  // A stopped iteration has reported the last completed result already.
  if (s.UCIMode) {
    if (Search.StopSearch) return;
    RememberUCIResult(depth, v, from, to, promote);
    if (s.Post || Limits.Analyze) PrintUCIResult();
    return;
  }
  if (s.Post && Clock.ElapsedSeconds >= 4) PrintDriverLine(depth, v, from, to, promote);
  if (s.Post || Limits.Analyze) PrintDriverLine(depth, v, from, to, promote);
}

void ThinkingOutput::SearchDone(int depth, int v, u64 from, u64 to, char promote) {
  const Status& s = MainStatus;
  if (s.Post && !Search.Aborted && !s.UCIMode) {
    PrintDriverLine(depth, v, from, to, promote);
    if (!s.XboardProtocol2()) printf("\n");
  }
  LastXboardLine[0] = 0;
  if (s.UCIMode) {
    // A book move has no score (v counts the moves generated).
    if (!Search.StopSearch) RememberUCIResult(depth, Search.BookMove == 1 ? 0 : v, from, to, promote);
    PrintUCIResult();
  }
  if (!s.Kibitz || s.UCIMode) return;
  if (Search.BookMove == 1) {
    printf("tellics kibitz Book Move\n");
  } else {
    if (Clock.ElapsedSeconds == 0) Clock.ElapsedSeconds = 1;
    char text[PVTextSize];
    DriverLineText(text, v, from, to, promote);
    printf("tellics kibitz ply=%d v=%d centipawns millisecs=%d Nodes=%lld nps=%d %s\n", Search.CompletedDepth,
           ShownScore(v) / 10, Clock.ElapsedSeconds, SearchNodes(), Clock.NodesPerSecond, text);
  }
  fflush(stdout);
}

void ThinkingOutput::BookMoveFound() {
  if (MainStatus.UCIMode) {
    printf("info string Opening Book Move\n");
    fflush(stdout);
    return;
  }
  printf("tellics kibitz Opening Book Move\n");
  fflush(stdout);
}

// Only a person at the console is told; a GUI hears of the move.
void ThinkingOutput::BookLookup() {
  if (MainStatus.xboard || MainStatus.UCIMode) return;
  printf("Look through the Opening Book\n");
  fflush(stdout);
}

void ThinkingOutput::BookProblem(const char* text) {
  if (MainStatus.UCIMode) printf("info string %s\n", text);
  else printf("%s\n", text);
  fflush(stdout);
}

// The console shows the budget it was given.
void ThinkingOutput::BudgetSet() {
  const Status& s = MainStatus;
  if (s.xboard || s.UCIMode) return;
  printf("Time Per Move = %d\n", Clock.TimePerMove);
  printf("Time Left = %d\n", Clock.TimeLeft);
  printf("DefaultMovesPerSession = %d\n", Clock.DefaultMovesPerSession);
}

void ThinkingOutput::SpeedMeasured(i32 nodesPerSecond, i32 milliseconds) {
  if (MainStatus.UCIMode) {
    PrintUCISpeed();
    return;
  }
  if (MainStatus.XboardProtocol2()) return;
  printf("info nps %d time %g\n", nodesPerSecond, (double)milliseconds);
  fflush(stdout);
}

void ThinkingOutput::AnalysisSpeed(i32 nodesPerSecond) {
  if (MainStatus.UCIMode) {
    PrintUCISpeed();
    return;
  }
  if (MainStatus.XboardProtocol2()) return;
  printf("info nps %d\n", nodesPerSecond);
  printf("info time %d\n", 1000 * Clock.ElapsedSeconds);
  fflush(stdout);
}

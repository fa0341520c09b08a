#include "engine/UCIProtocol.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/HashCodes.h"
#include "board/MoveHistory.h"
#include "board/PositionText.h"
#include "engine/CommandLine.h"
#include "engine/GameMoves.h"
#include "engine/Status.h"
#include "engine/ThinkingOutput.h"
#include "eval/PawnHash.h"
#include "eval/PositionEvaluate.h"
#include "movegen/EngineSet.h"
#include "search/OpeningBook.h"
#include "search/PolyglotBook.h"
#include "search/SearchLimits.h"
#include "search/SearchRoutines.h"
#include "search/SearchThreads.h"
#include "search/StrengthLevel.h"
#include "search/TimeControl.h"
#include "search/TranspositionTables.h"

UCIProtocol UCI;

namespace {
constexpr i32 InfiniteNps = 800000;
constexpr int MaxFixedDepth = 100;
constexpr const char* AboutText = "Vorn, a chess engine by the Vorn authors";

// One blank between words, none around them, no line end: GUIs may send
// several blanks, tabs and CR LF (the UCI convention allows them).
void Normalise(char* text) {
  char* out = text;
  bool blank = false;
  for (const char* in = text; *in; in++) {
    if (*in == ' ' || *in == '\t' || *in == '\r' || *in == '\n') {
      blank = out != text;
      continue;
    }
    if (blank) *out++ = ' ';
    blank = false;
    *out++ = *in;
  }
  *out = 0;
}

bool FirstWordIs(const char* line, const char* word) {
  size_t n = strlen(word);
  return strncmp(line, word, n) == 0 && (line[n] == 0 || line[n] == ' ');
}

// The number after the word `name` ("wtime 3000"); false when absent.
bool NumberAfter(const char* line, const char* name, long* value) {
  size_t n = strlen(name);
  for (const char* p = strstr(line, name); p; p = strstr(p + 1, name)) {
    bool wordStart = p == line || p[-1] == ' ';
    if (wordStart && p[n] == ' ') {
      char* end;
      long v = strtol(p + n + 1, &end, 10);
      if (end == p + n + 1) return false;
      *value = v;
      return true;
    }
  }
  return false;
}

void PrintLine(const char* text) {
  printf("%s\n", text);
  fflush(stdout);
}

// "setoption name NAME value VALUE": the name (which may hold blanks) and
// the value, "" when there is none.
void OptionParts(const char* line, char* name, size_t nameSize, const char** value) {
  const char* start = strstr(line, "name ");
  start = start ? start + 5 : line + strlen(line);
  const char* valueWord = strstr(start, " value");
  const char* end = valueWord ? valueWord : start + strlen(start);
  snprintf(name, nameSize, "%.*s", (int)(end - start), start);
  *value = valueWord ? valueWord + (valueWord[6] == ' ' ? 7 : 6) : "";
}

// The legal root moves after "searchmoves", up to the first word that is
// not a move; a word that names no legal move is reported and left out.
void ReadSearchMoves(const char* line) {
  const char* p = strstr(line, "searchmoves");
  if (p == nullptr || (p != line && p[-1] != ' ')) return;
  p += 11;
  for (;;) {
    while (*p == ' ') p++;
    const int length = (int)strcspn(p, " ");
    if (!(length >= 4 && p[0] >= 'a' && p[0] <= 'h' && p[1] >= '1' && p[1] <= '8' && p[2] >= 'a' && p[2] <= 'h' &&
          p[3] >= '1' && p[3] <= '8'))
      break;
    GameMove move;
    if (FindLegalMove(p, MainBoard, &move)) {
      Limits.SearchMoves.push_back((u16)(SquareOf(move.From) * 64 + SquareOf(move.To)));
    } else {
      printf("info string searchmoves: %.*s is not a legal move here\n", length, p);
      fflush(stdout);
    }
    p += length;
  }
}
void ReportBookProblem(const std::string& problem) {
  if (!problem.empty()) Thinking.BookProblem(problem.c_str());
}
}  // namespace

int UCIProtocol::UCIPrep(char* text) {
  // Only a read that failed (the end of input) gives an empty word: it
  // comes from the search's poll or the ponder wait.
  if (text[0] == 0) Quit();
  snprintf(Command, sizeof Command, "%s", text);
  Normalise(Command);
  return UCICore();
}

int UCIProtocol::UCICore() {
  for (;;) {
    int r = HandleCommand();
    Command[0] = 0;
    if (r != 0) return r;
    if (UCIState != WAITING) return ResumeResult;
    if (!ReadCommand()) Quit();
  }
}

bool UCIProtocol::ReadCommand() {
  int n = 0, c;
  while ((c = getchar()) != EOF && c != '\n') {
    if (n < CommandSize - 1) Command[n++] = (char)c;
  }
  Command[n] = 0;
  if (c == EOF && n == 0) return false;
  Normalise(Command);
  return true;
}

int UCIProtocol::HandleCommand() {
  const int r = Dispatch();
  CheckBoardAfter(Command);
  return r;
}

int UCIProtocol::Dispatch() {
  const char* line = Command;
  if (strcmp(line, "uci") == 0) {
    Identify();
  } else if (strcmp(line, "isready") == 0) {
    // Answered at once in every state: GUIs use it to see the engine lives.
    // Between searches it is also the GUI's wait for the engine to be ready,
    // with no clock running: the search's memory is mapped then, and the
    // book's order checked.
    if (UCIState == WAITING) {
      Search.MapTables();
      ReportBookProblem(Book.CheckOrder());
    }
    PrintLine("readyok");
  } else if (FirstWordIs(line, "position")) {
    // A position while a search is served is out of turn and ignored.
    if (UCIState == WAITING) Position();
  } else if (FirstWordIs(line, "go")) {
    if (UCIState == WAITING) Go();
  } else if (FirstWordIs(line, "ponderhit")) {
    // The search, told so, clears its ponder setting.
    if (UCIState == PONDERING) {
      UCIState = SEARCHING;
      return PonderHitResult;
    }
  } else if (FirstWordIs(line, "stop")) {
    return Stop();
  } else if (strcmp(line, "ucinewgame") == 0) {
    if (UCIState != WAITING) {
      NewGamePending = 1;
      return Stop();
    }
    NewGame();
  } else if (FirstWordIs(line, "setoption")) {
    SetOption();
  } else if (strcmp(line, "d") == 0) {
    ShowPositionDetails();
  } else if (strcmp(line, "eval") == 0) {
    ShowEvaluation();
  } else if (FirstWordIs(line, "quit")) {
    Quit();
  }
  return 0;
}

void UCIProtocol::Identify() {
  printf("id name Vorn %s\n", UCIVersion);
  printf("id author the Vorn authors\n");
  printf("option name Hash type spin default %d min %d max %d\n", TTDefaultMB, TTMinMB, TTMaxMB);
  printf("option name Clear Hash type button\n");
  printf("option name Threads type spin default 1 min 1 max %d\n", MaxSearchThreads);
  printf("option name Move Overhead type spin default %d min 0 max %d\n", DefaultMoveOverheadMs, MaxMoveOverheadMs);
  printf("option name MultiPV type spin default 1 min 1 max %d\n", MaxLines);
  printf("option name UCI_LimitStrength type check default false\n");
  printf("option name UCI_Elo type spin default %d min %d max %d\n", FullStrengthElo, LowestElo, FullStrengthElo);
  printf("option name LevelSeed type spin default 0 min 0 max %d\n", MaxLevelSeed);
  printf("option name UCI_AnalyseMode type check default false\n");
  printf("option name OwnBook type check default false\n");
  printf("option name SecondaryBook type check default false\n");
  printf("option name BookFile type string default %s\n", Book.Path().empty() ? "<empty>" : Book.Path().c_str());
  printf("option name BookBestMove type check default %s\n", Book.BestMove ? "true" : "false");
  printf("option name BookDepth type spin default %d min 1 max %d\n", Book.DepthMoves, MaxBookDepth);
  printf("option name UCI_ShowCurrLine type check default true\n");
  printf("option name Ponder type check default false\n");
  printf("option name UCI_Chess960 type check default false\n");
  // A process started as the classic engine introduces itself as Vorn
  // always has.
  if (!Arguments.Classic) printf("option name Classic type check default false\n");
  printf("option name UCI_EngineAbout type string default %s\n", AboutText);
  printf("uciok\n");
  fflush(stdout);
  Limits.OwnBook = 0;
}

void UCIProtocol::Position() {
  Status& s = MainStatus;
  ChessBoard& b = MainBoard;
  char* line = Command;
  const bool startpos = strstr(line, "startpos") != nullptr;
  char* fen = strstr(line, "fen ");
  if (!startpos && fen == nullptr) return;
  char* moves = strstr(line, "moves");
  // The FEN runs up to "moves" (or the end of the line).
  char fenText[CommandSize] = "";
  if (!startpos) {
    const char* start = fen + 4;
    const int length = moves != nullptr && moves > start ? (int)(moves - start) : (int)strlen(start);
    snprintf(fenText, sizeof fenText, "%.*s", length, start);
  }
  // A text that is no chess position leaves the game as it was.
  if (!startpos) {
    if (const char* problem = PositionTextProblem(fenText)) {
      printf("info string Illegal position: %s\n", problem);
      fflush(stdout);
      return;
    }
  }

  Search.ClearHistory();
  b.InitRep();
  s.initVars();
  s.HumanToMove = 1;
  b.FiftyMoveCount = 0;
  b.SideToMove = 0;
  // The plies of the game before its first position: none from the start
  // position, what the FEN's move number and side say otherwise.
  int pliesBefore = 0;
  if (startpos) {
    s.GameInProgress = 1;
  } else {
    SetupBoard(fenText);
    const MoveCounters counters = ReadMoveCounters(fenText);
    b.FiftyMoveCount = counters.HalfMoves;
    pliesBefore = 2 * (counters.FullMove - 1) + b.SideToMove;
  }
  // The game's ply counts as the console's and xboard's does: 1 for
  // White's first move, whether or not moves follow.
  Clock.GamePly = pliesBefore + 1;
  // The repetition codes follow the side to move, which a FEN may give.
  UCIHashSide = (u8)b.SideToMove;
  b.RecountPieces();
  StartGameRecord();

  if (moves != nullptr && moves[5] == ' ') ProcessMoves(moves + 6);
}

int UCIProtocol::ProcessMoves(char* text) {
  // Every word of the list must be a move the position reached allows: the
  // first that is not ends the list there, with a line that says why. The
  // fifty-move count and the game's ply go on from the position's own.
  int count = 0;
  char* p = text;
  for (;;) {
    while (*p == ' ') p++;
    if (*p == 0) break;
    GameMove move;
    if (const char* problem = MoveWordProblem(p, MainBoard, &move)) {
      const int length = (int)strcspn(p, " ");
      printf("info string Illegal move %.*s after %d moves: %s; the position stays before it\n", length, p, count,
             problem);
      fflush(stdout);
      break;
    }
    MakeMoves(move);
    count++;
    while (*p != ' ' && *p != 0) p++;
  }
  return count;
}

void UCIProtocol::MakeMoves(const GameMove& move) {
  Clock.GamePly++;
  PlayGameMove(move);
  MainBoard.SideToMove ^= 1;
  UCIHashSide = (u8)MainBoard.SideToMove;
  RecordGamePosition(MainBoard.SideToMove);
}

void UCIProtocol::Go() {
  Status& s = MainStatus;
  TimeControl& clock = Clock;
  const char* line = Command;
  UCIState = SEARCHING;
  clock.TimeInc = 0;
  clock.TimeLeft = 0;
  clock.BookExitBonus = 0;  // the GUI sends the game anew with every position
  Limits.FD = 0;
  clock.ST = 0;
  // Only "go infinite" analyses.
  Limits.Analyze = 0;
  Limits.Nodes = 0;
  Limits.Mate = 0;
  Limits.SearchMoves.clear();
  Thinking.LastUCIResult.Valid = false;

  if (strstr(line, "Mimic Student")) {
    s.Mimic = 1;
    MainBoard.InitPieceCounts();
    int v = PE.PosEval(MainBoard.SideToMove, -MateScore, MateScore, &MainBoard);
    printf("Mimic info Student %d\n", v);
    fflush(stdout);
  }
  if (strstr(line, "Mimic Oracle")) {
    s.Mimic = 2;
    MainBoard.InitPieceCounts();
    int v = PE.PosEval(MainBoard.SideToMove, -MateScore, MateScore, &MainBoard);
    printf("Mimic info Oracle %d\n", v);
    fflush(stdout);
  }
  if (strstr(line, "infinite")) {
    Limits.Analyze = 1;
    clock.ST = AnalysisTime;
    s.Force = 0;
    UCIState = INFINITE;
    clock.NodesPerSecond = InfiniteNps;
  }
  ReadSearchMoves(line);
  const bool white = MainBoard.SideToMove == 0;
  long n;
  if (NumberAfter(line, white ? "wtime" : "btime", &n)) clock.TimeLeft = ClampClock(n);
  if (NumberAfter(line, white ? "winc" : "binc", &n)) clock.TimeInc = ClampClock(n) / 1000;
  clock.MovesPerSession = NumberAfter(line, "movestogo", &n) ? (i32)n : 0;
  if (NumberAfter(line, "depth", &n)) Limits.FD = (u8)(n < 1 ? 1 : n > MaxFixedDepth ? MaxFixedDepth : n);
  if (NumberAfter(line, "movetime", &n)) {
    clock.ST = ClampClock(n);
    clock.TimePerMove = ClampClock(n);
    clock.TimeLeft = ClampClock(60 * (i64)ClampClock(n));
  }
  if (NumberAfter(line, "nodes", &n)) Limits.Nodes = n < 1 ? 1 : n;
  if (NumberAfter(line, "mate", &n)) Limits.Mate = (i32)(n < 1 ? 1 : n > MaxFixedDepth ? MaxFixedDepth : n);
  // Nodes or a mate to find, without a clock: they alone end the search.
  if ((Limits.Nodes != 0 || Limits.Mate != 0) && clock.TimeLeft == 0 && clock.ST == 0 && Limits.FD == 0)
    clock.ST = AnalysisTime;
  if (strstr(line, "ponder")) {
    Limits.Pondering = 1;
    Limits.PonderSearch = 1;
    UCIState = PONDERING;
  }
  if (strstr(line, "Mimic")) {
    UCIState = WAITING;
    return;
  }

  // The GUI owns the position: the search leaves MainBoard as it is, so
  // that a second "go" searches the same position.
  GameMove best;
  int v = Search.ProgressiveDeepening(MainBoard, (char)Limits.FD, &best.From, &best.To, &best.Promote);

  // "bestmove" must not come before "stop" or "ponderhit" ends an infinite
  // or ponder search, even when the search has nothing left to do.
  while (UCIState == PONDERING || UCIState == INFINITE) {
    if (!ReadCommand()) Quit();
    HandleCommand();
  }
  SendBestMove(v, best);
  UCIState = WAITING;
  Limits.Analyze = 0;
  Limits.Pondering = 0;
  Limits.PonderSearch = 0;
  if (NewGamePending) {
    NewGamePending = 0;
    NewGame();
  }
}

void UCIProtocol::SendBestMove(int v, const GameMove& found) {
  // A search stopped before its first root move was done has no move of
  // its own; any legal move is better than none.
  GameMove move = found;
  if (!IsLegalMove(MainBoard, move) && !FirstLegalMove(MainBoard, &move)) {
    // No legal move: GUIs read the score of the ending before "bestmove".
    const char side = MainBoard.SideToMove;
    const bool mated = MainBoard.InCheck(MainBoard.SideKing(side), side);
    PrintLine(mated ? "info depth 0 score mate 0" : "info depth 0 score cp 0");
    PrintLine("bestmove 0000");
    return;
  }
  char text[64], ponder[16] = "";
  MoveWord(text, move);

  // The ponder move is the principal variation's second move, when it has
  // one that can be played after the best move.
  const PVEntry& first = Search.PrincipalVariation[0][0];
  const PVEntry& second = Search.PrincipalVariation[0][1];
  if (UCIPonder && Search.PVLength >= 2 && second.Move != 0 && ((second.Move >> 6) & 63) != (second.Move & 63)) {
    GameMove reply;
    reply.From = 1ULL << ((second.Move >> 6) & 63);
    reply.To = 1ULL << (second.Move & 63);
    reply.Promote = (char)second.Promote;
    ChessBoard after = MainBoard;
    char castleMask;
    after.MakeMove(move.From, move.To, move.Promote, &castleMask);
    after.CastleFlags &= castleMask;
    after.SideToMove ^= 1;
    const bool sameFirst = first.Move == (u16)(SquareOf(move.From) * 64 + SquareOf(move.To));
    if (sameFirst && IsLegalMove(after, reply)) MoveWord(ponder, reply);
  }

  // The score of the last completed result: a stopped search's own score
  // would be the interrupted move's.
  const ThinkingOutput::UCIResult& last = Thinking.LastUCIResult;
  if (last.Valid || !Search.StopSearch) {
    char score[32];
    UCIScoreText(score, last.Valid ? last.Score : v);
    printf("info score %s\n", score);
  }
  if (ponder[0]) printf("bestmove %s ponder %s\n", text, ponder);
  else printf("bestmove %s\n", text);
  fflush(stdout);
}

void UCIProtocol::NewGame() {
  Status& s = MainStatus;
  UCIHashSide = 0;
  Search.ClearHistory();
  MainBoard.InitRep();
  s.initVars();
  PE.PawnCache->Clear();
  Threads.ClearTables();
  PositionCache.ClearTranspositionTables();
  Search.MapTables();
  UCIPonder = 1;
  UCIState = WAITING;
  s.HumanToMove = 1;
  MainBoard.FiftyMoveCount = 0;
  MainBoard.SideToMove = 0;
  s.GameInProgress = 1;
  Limits.Pondering = 0;
  Limits.PonderSearch = 0;
  Clock.NodesPerSecond = InfiniteNps;
  MainBoard.RecountPieces();
  StartGameRecord();
  Book.NewGame();
}

namespace {
// The number a spin option is set to; without one (or with a word that is
// no number), the line saying what the option needs.
bool OptionNumber(const char* value, const char* need, long* asked) {
  char* end;
  errno = 0;
  *asked = strtol(value, &end, 10);
  if (end != value && *end == 0 && errno == 0) return true;
  printf("info string %s\n", need);
  fflush(stdout);
  return false;
}

// A spin option's number held to lo .. hi in *held, with a line when it had
// to be ("info string NAME N is out of range: M" and the unit); false, with
// the line `need`, when the value is no number.
bool RangedNumber(const char* value, const char* need, const char* name, long lo, long hi, const char* unit,
                  long* held) {
  long asked;
  if (!OptionNumber(value, need, &asked)) return false;
  *held = std::clamp<long>(asked, lo, hi);
  if (*held != asked) {
    printf("info string %s %ld is out of range: %ld%s\n", name, asked, *held, unit);
    fflush(stdout);
  }
  return true;
}
}  // namespace

// Every option is looked up by its whole name (which may hold blanks), in
// any case as UCI allows. A value that does not fit the option is refused
// with one "info string" line, and the option keeps its setting.
void UCIProtocol::SetOption() {
  char name[128];
  const char* value;
  OptionParts(Command, name, sizeof name, &value);
  if (name[0] == 0) {
    PrintLine("info string setoption needs an option name");
    return;
  }

  // Check options: exactly "true" or "false".
  struct CheckOption {
    const char* name;
    void (*set)(UCIProtocol& uci, bool on);
  };
  static const CheckOption checks[] = {
      {"OwnBook",
       [](UCIProtocol&, bool on) {
         Limits.OwnBook = on;
         if (!on) return;
         buildbook();
         ReportBookProblem(Book.Reopen());
       }},
      {"SecondaryBook",
       [](UCIProtocol&, bool on) {
         if (on) buildbook();
         Limits.OwnBook = on;
       }},
      {"BookBestMove", [](UCIProtocol&, bool on) { Book.BestMove = on; }},
      {"UCI_ShowCurrLine", [](UCIProtocol& uci, bool on) { uci.UCIShowCurrLine = on; }},
      {"Ponder",
       [](UCIProtocol& uci, bool on) {
         uci.UCIPonder = on;
         if (!on) return;
         Limits.Pondering = 0;
         Limits.PonderSearch = 0;
       }},
      {"UCI_Chess960", [](UCIProtocol& uci, bool on) { uci.SetChess960(on); }},
      {"Classic", [](UCIProtocol& uci, bool on) { uci.SetClassic(on); }},
      // The level holds from the next search on.
      {"UCI_LimitStrength", [](UCIProtocol&, bool on) { Level.Limited = on; }},
      // Accepted, and it changes nothing: every search reports each
      // iteration and each new best move, analysing or playing.
      {"UCI_AnalyseMode", [](UCIProtocol&, bool) {}},
  };
  for (const CheckOption& option : checks) {
    if (strcasecmp(name, option.name) != 0) continue;
    if (strcmp(value, "true") != 0 && strcmp(value, "false") != 0) {
      printf("info string %s needs true or false\n", option.name);
      fflush(stdout);
      return;
    }
    option.set(*this, strcmp(value, "true") == 0);
    return;
  }

  // Spin, string and button options read their values themselves.
  struct ValueOption {
    const char* name;
    void (*set)(UCIProtocol& uci, const char* value);
  };
  static const ValueOption others[] = {
      {"Hash", [](UCIProtocol& uci, const char* text) { uci.SetHash("Hash", text); }},
      {"Clear Hash", [](UCIProtocol& uci, const char* text) { uci.SetHash("Clear Hash", text); }},
      {"Threads", [](UCIProtocol& uci, const char* text) { uci.SetThreads(text); }},
      {"Move Overhead", [](UCIProtocol& uci, const char* text) { uci.SetMoveOverhead(text); }},
      {"MultiPV", [](UCIProtocol& uci, const char* text) { uci.SetLines(text); }},
      {"UCI_Elo", [](UCIProtocol& uci, const char* text) { uci.SetElo(text); }},
      {"LevelSeed", [](UCIProtocol& uci, const char* text) { uci.SetLevelSeed(text); }},
      {"BookFile", [](UCIProtocol& uci, const char* text) { uci.SetBookFile(text); }},
      {"BookDepth", [](UCIProtocol& uci, const char* text) { uci.SetBookDepth(text); }},
      // Read only: a GUI that sends every option back sends this one
      // unchanged, which is no change.
      {"UCI_EngineAbout",
       [](UCIProtocol&, const char* text) {
         if (strcmp(text, AboutText) != 0) PrintLine("info string UCI_EngineAbout cannot be set");
       }},
  };
  for (const ValueOption& option : others) {
    if (strcasecmp(name, option.name) != 0) continue;
    option.set(*this, value);
    return;
  }
  printf("info string Unknown option: %s\n", name);
  fflush(stdout);
}

// The book file, opened at once so that what is wrong with it is said
// now ("<empty>" or nothing for no book).
void UCIProtocol::SetBookFile(const char* value) {
  const bool none = value[0] == 0 || strcmp(value, "<empty>") == 0;
  ReportBookProblem(Book.Open(none ? "" : value));
}

void UCIProtocol::SetBookDepth(const char* value) {
  long moves;
  if (RangedNumber(value, "BookDepth needs a number of moves", "BookDepth", 1, MaxBookDepth, "", &moves))
    Book.DepthMoves = (int)moves;
}

bool UCIProtocol::NoSearchRuns(const char* name) {
  if (UCIState == WAITING) return true;
  printf("info string %s is set only while no search runs\n", name);
  fflush(stdout);
  return false;
}

// Chess960 castles the king onto its own rook, in the search's moves too:
// the game is switched only between searches.
void UCIProtocol::SetChess960(bool on) {
  if (NoSearchRuns("UCI_Chess960")) Chess960 = on;
}

// A search plays one engine from its start to its end, all its threads
// alike.
void UCIProtocol::SetClassic(bool on) {
  if (NoSearchRuns("Classic")) Classic = on;
}

// The table is resized or cleared only between searches: a search holds
// places in it.
void UCIProtocol::SetHash(const char* name, const char* value) {
  if (!NoSearchRuns(name)) return;
  if (strcasecmp(name, "Clear Hash") == 0) {
    PositionCache.ClearTranspositionTables();
    return;
  }
  long asked;
  if (!OptionNumber(value, "Hash needs a number of megabytes", &asked)) return;
  const int megabytes = PositionCache.Resize((int)std::clamp<long>(asked, TTMinMB, TTMaxMB));
  // The table holds a power of two of buckets.
  if (megabytes != asked) {
    printf("info string Hash %ld MB: the table takes %d MB\n", asked, megabytes);
    fflush(stdout);
  }
}

// The count holds from the next search on; a search that runs keeps the
// threads it has.
void UCIProtocol::SetThreads(const char* value) {
  long threads;
  if (RangedNumber(value, "Threads needs a number", "Threads", 1, MaxSearchThreads, " threads", &threads))
    Threads.SetCount((int)threads);
}

// From the next move's plan on.
void UCIProtocol::SetMoveOverhead(const char* value) {
  long ms;
  if (RangedNumber(value, "Move Overhead needs a number of milliseconds", "Move Overhead", 0, MaxMoveOverheadMs,
                   " ms", &ms))
    Clock.MoveOverhead = (i32)ms;
}

// The lines from the next search on.
void UCIProtocol::SetLines(const char* value) {
  long lines;
  if (RangedNumber(value, "MultiPV needs a number", "MultiPV", 1, MaxLines, " lines", &lines))
    Limits.MultiPV = (int)lines;
}

void UCIProtocol::SetElo(const char* value) {
  long asked;
  if (!OptionNumber(value, "UCI_Elo needs a number", &asked)) return;
  if (Level.SetElo(asked) != asked) {
    printf("info string UCI_Elo %ld is out of range: %d\n", asked, Level.Elo);
    fflush(stdout);
  }
}

void UCIProtocol::SetLevelSeed(const char* value) {
  long seed;
  if (RangedNumber(value, "LevelSeed needs a number", "LevelSeed", 0, MaxLevelSeed, "", &seed))
    Level.SetSeed((u64)seed);
}

// "stop" ends whatever search is served, timed, fixed-depth, ponder or
// infinite; "bestmove" follows from the search's caller.
int UCIProtocol::Stop() {
  if (UCIState == WAITING) return 0;
  Search.StopWithMove();
  Limits.Analyze = 0;
  Limits.Pondering = 0;
  Limits.PonderSearch = 0;
  UCIState = SEARCHING;
  return StopResult;
}

void UCIProtocol::Quit() {
  UCIContinue = 0;
  MainStatus.KeepRunning = 0;
  MainStatus.GameInProgress = 0;
  fflush(stdout);
  exit(0);
}

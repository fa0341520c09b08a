#include "support/EngineSetup.h"

#include <gtest/gtest.h>

#include <memory>

#include "board/ChessBoard.h"
#include "board/MoveHistory.h"
#include "board/PositionText.h"
#include "engine/CommandInterpreter.h"
#include "engine/CommandLine.h"
#include "engine/Engine.h"
#include "engine/Status.h"
#include "engine/UCIProtocol.h"
#include "eval/PawnHash.h"
#include "eval/PositionEvaluate.h"
#include "movegen/EngineSet.h"
#include "movegen/MoveGen.h"
#include "search/OpeningBook.h"
#include "search/PolyglotBook.h"
#include "search/SearchLimits.h"
#include "search/SearchRoutines.h"
#include "search/SearchThreads.h"
#include "search/StrengthLevel.h"
#include "search/TimeControl.h"
#include "search/TranspositionTables.h"

namespace {
// Copies of the globals as start-up left them. The hash-code tables are
// not among them: only start-up writes them, and it must run only once,
// since every run draws new codes from the generator.
ChessBoard StartBoard;
Status StartStatus;
SearchLimits StartLimits;
TimeControl StartClock;
// A copy made from the search, so that it shares the search's pawn cache
// rather than taking one of its own.
std::unique_ptr<SearchRoutines> StartSearch;
MoveHistory StartMoves;
UCIProtocol StartUCI;
CommandLine StartArguments;
StrengthLevel StartLevel;
}  // namespace

void EnsureEngineInitialised() {
  static bool done = false;
  if (done) return;
  done = true;
  // Start-up installs the front end's listener in the search, which would
  // print and read the test's standard input during searches; the search
  // keeps its silent one, and a test that wants the front end installs it.
  SearchListener* const silent = Search.Listener;
  StartEngine();
  Search.Listener = silent;

  StartBoard = MainBoard;
  StartStatus = MainStatus;
  StartLimits = Limits;
  StartClock = Clock;
  StartSearch = std::make_unique<SearchRoutines>(Search);
  StartMoves = MoveList;
  StartUCI = UCI;
  StartArguments = Arguments;
  StartLevel = Level;
}

void RestoreStartUpState() {
  EnsureEngineInitialised();
  // The book first: rebuilding it also clears a setting, which the copies
  // below put back. Entry 0 is the root of every tree.
  OpeningBook[0] = BookEntry{0, 0};
  BookValue[0] = 0;
  buildbook();
  FinishPendingGameReset();
  // No book file, and the book's settings as at start-up.
  Book.Open("");
  Book.BestMove = false;
  Book.DepthMoves = DefaultBookDepth;
  Book.NewGame();

  MainBoard = StartBoard;
  MainStatus = StartStatus;
  Limits = StartLimits;
  Clock = StartClock;
  Search = *StartSearch;
  MoveList = StartMoves;
  UCI = StartUCI;
  Arguments = StartArguments;
  Chess960 = false;
  Classic = false;
  Level = StartLevel;
  EngineThinking = 0;

  PositionCache.Resize(TTDefaultMB);
  PositionCache.ClearTranspositionTables();
  PositionCache.Hits = PositionCache.Misses = 0;
  PE.PawnCache->Clear();
  PE.PawnCache->Phashattempts = PE.PawnCache->Phashmisses = 0;
  // One thread, as at start-up; helpers started by a test wait, emptied,
  // and their counts are no longer the search's.
  Threads.SetCount(1);
  Threads.SearchAlone();
  Threads.ClearTables();
}

ChessBoard& LoadFen(const std::string& fen) {
  EnsureEngineInitialised();
  MainBoard = StartBoard;
  SetupBoard(fen.c_str());
  MainBoard.InitPieceCounts();
  MainBoard.WhitePieceCount = MainBoard.WhiteCounts[0] + MainBoard.WhiteCounts[1] + MainBoard.WhiteCounts[2] +
                              MainBoard.WhiteCounts[3] + MainBoard.WhiteCounts[4];
  MainBoard.BlackPieceCount = MainBoard.BlackCounts[0] + MainBoard.BlackCounts[1] + MainBoard.BlackCounts[2] +
                              MainBoard.BlackCounts[3] + MainBoard.BlackCounts[4];
  return MainBoard;
}

std::vector<int> LegalMoveIndices(ChessBoard& b, char rights, MoveGen* list) {
  const char side = b.SideToMove;
  const int n = b.InCheck(b.SideKing(side), side) ? list->GenCheckEvasions(side, &b)
                                                  : list->GenerateAllMoves(side, &b, rights);
  std::vector<int> legal;
  for (int i = 0; i < n; i++) {
    ChessBoard trial = b;
    char mask;
    trial.MakeMove(list->from[i], list->to[i], list->promote[i], &mask);
    if (!trial.InCheck(trial.SideKing(side), side)) legal.push_back(i);
  }
  return legal;
}

namespace {
// Before every test, whatever its fixture: the start-up state.
class StartUpStateForEachTest : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo&) override { RestoreStartUpState(); }
};
const bool registered =
    (::testing::UnitTest::GetInstance()->listeners().Append(new StartUpStateForEachTest), true);
}  // namespace

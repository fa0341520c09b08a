// The search: its state between nodes and between searches (node counters,
// stop flags, history, killers, the principal-variation table), the node poll
// that keeps time by counting nodes, move values for ordering, the alpha-beta
// node, quiescence, the root search and the iterative-deepening driver.
// One instance: Search.
#pragma once
#include "board/ChessBoard.h"
#include "board/Types.h"

// Deepest ply the search's tables hold. Iterations may reach ply 4 x depth
// (400 at depth 100) and checks extend beyond that; a node at this ply is
// settled at once by quiescence, even in check, so no table is ever written
// past its end.
constexpr int MaxSearchPly = 512;
constexpr int SearchTableRows = MaxSearchPly + 4;

// Scores beyond these are mates (the table adjusts them by ply).
constexpr int MateThreshold = 109800;

// Room for a move text with the longest principal variation (fillmovestring
// writes five characters per move).
constexpr int PVTextSize = SearchTableRows * 5 + 32;

// One element of the principal-variation table: from x 64 + to, and the
// promotion byte. In rows 1 and up, column 0 holds the row's end index.
struct PVEntry {
  u16 Move;
  i8 Promote;
};

class SearchRoutines {
 public:
  // Time control: a node budget instead of clock reads.
  i64 NodesPerMove;
  u8 TimeUp;      // soft stop: the root finishes the move in hand
  u8 StopSearch;  // hard stop: every level returns 0 at once
  u8 FailingLow;
  u8 TimeExtended;
  u8 NpsCalibrated;
  i64 PollCountdown;

  i32 History[2][4096];
  i32 HistoryMax;
  u8 Aborted;
  i32 RootMoveNumber, RootMoveCount, IterationDepth;
  PVEntry PrincipalVariation[SearchTableRows][SearchTableRows];
  u16 KillerMoves[SearchTableRows][2];
  i32 PVLength;
  i64 NodeCount;         // 1 per legal move made in Search and at the root
  i64 LeafNodeCount;     // horizon nodes settled by the table or quiescence
  i64 QuiesceNodeCount;  // 1 per Quiesce call

  // Root bookkeeping, carried between iterations by the driver.
  i32 SecondBestValue;
  i8 BestMoveChanges;
  i32 RootValue;
  u8 BookMove;
  i32 BookExitPly;
  i32 LegalMoves;

  SearchRoutines() {}  // the global starts zeroed

  // State and history.
  void InitValues();
  void AbortSearch();
  void ClearHistory();
  void AddHistory(char side, int index, int depth);
  void ClearPrincipalVariation();
  void PromoteKillers();  // the second killer of every ply becomes the first
  // The start of every search: piece counts, a clear principal variation,
  // killers moved up, the clock started, the root's pawn code and its two
  // hash codes.
  void PrepareRoot(ChessBoard& board, u64* code1, u64* code2);

  // Polling and time.
  // Nodes between two polls: an eighth of a second's worth while analysing,
  // else PollInterval().
  i64 InitMoveTimer();
  // Nodes between two polls of a timed search: a hundredth of a second's
  // worth, and at least ten polls per budget.
  i64 PollInterval() const;
  int InputDetected();
  // Runs the node poll; 1 when the node must return 0 at once.
  int PollNode();
  // Turns the clock figures of MainStatus into TimePerMove, the emergency
  // threshold and the node budget.
  void SetTimeBudget();
  int ValueCapturedPiece(char side, u64 square, const ChessBoard* board) const;

  // The search proper. A parent that knows the position's two hash codes
  // hands them down in `codes`; without them the node computes its own.
  int Search(char side, int alpha, int beta, ChessBoard board, int depth, int ply, char allowNull,
             char castleRights, char inCheck, char nodeType, int maxPly, const u64* codes = nullptr);
  int Quiesce(char side, int alpha, int beta, ChessBoard board, int ply);
  int SearchTreeRoot(char side, ChessBoard board, int alpha, int beta, int depth, u64* from, u64* to, char* promo,
                     char castleRights);
  int SearchExactDepth(ChessBoard board, char depth, u64* from, u64* to, char* promo);
  int ProgressiveDeepening(ChessBoard board, char depth, u64* from, u64* to, char* promotion);

 private:
  void PrintRootLine(int depth, int v, u64 from, u64 to, char promote, bool newBest);
  void PrintDriverLine(bool uci, int depth, int v, u64 from, u64 to, char promote);
  void WaitForInput();
  bool BudgetSpentAtIteration();
  void Calibrate(i64 nodes);
  bool Overrun(bool mayStop);
};

extern SearchRoutines Search;

// printf-style text for the log hook.
void WriteLogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The search: its state between nodes and between searches (node counters,
// stop flags, history, killers, the principal-variation table, and what it
// works in: its evaluation with the pawn cache, its exchange evaluator, its
// copy of the game's repetition record), the node poll, the alpha-beta
// node, quiescence, the root search and the iterative-deepening driver.
// Everything a search writes is in its object, so that searches can run
// side by side; they share only what is read-only after start-up (attack
// tables, hash codes) and the transposition table. The clock lives in
// TimeControl, the front end's side of things behind SearchListener.
// Search is the main search, the one the front ends and tools drive.
#pragma once
#include <cstddef>
#include <vector>

#include "board/ChessBoard.h"
#include "board/MoveHistory.h"
#include "board/MoveText.h"
#include "board/Types.h"
#include "eval/PositionEvaluate.h"
#include "movegen/EngineSet.h"
#include "movegen/SEE.h"
#include "search/SearchLimits.h"
#include "search/SearchListener.h"
#include "search/TranspositionTables.h"

// Deepest ply the search's tables hold. Iterations may reach ply 4 x depth
// (400 at depth 100) and checks extend beyond that; a node at this ply is
// settled at once by quiescence, even in check, so no table is ever written
// past its end.
constexpr int MaxSearchPly = 512;
constexpr int SearchTableRows = MaxSearchPly + 4;

// A helper thread hands on its node count and looks for its stop this
// often (nodes): well under a millisecond.
constexpr i64 HelperPollNodes = 1024;

// Room for a move text with the longest principal variation (fillmovestring
// writes five characters per move).
constexpr int PVTextSize = SearchTableRows * 5 + 32;

// One of the lines an iteration reports when several are asked for: a root
// move, its score and its principal variation (Line[0] is the move).
struct RootLine {
  int Score = 0;
  u64 From = 0, To = 0;
  char Promote = 0;
  int PVLength = 0;
  PVEntry Line[SearchTableRows];
};

// Node kinds: a principal-variation node searches with the full window;
// the two null-window kinds alternate from parent to child.
enum NodeType : char { PVNode = 1, CutNode = 2, AllNode = 3 };

class SearchRoutines {
 public:
  // The front end's listener; the default hears nothing.
  SearchListener* Listener = &Silent;

  // Stop flags.
  u8 TimeUp;      // soft stop: the root finishes the move in hand
  u8 StopSearch;  // hard stop: every level returns 0 at once
  u8 FailingLow;
  u8 Aborted;     // a command ended the search

  i32 History[2][4096];
  i32 HistoryMax;
  i32 RootMoveNumber, RootMoveCount, IterationDepth;
  PVEntry PrincipalVariation[SearchTableRows][SearchTableRows];
  u16 KillerMoves[SearchTableRows][2];
  i32 PVLength;
  i64 NodeCount;         // 1 per legal move made in Search and at the root
  i64 LeafNodeCount;     // horizon nodes settled by the table or quiescence
  i64 QuiesceNodeCount;  // 1 per Quiesce call
  i32 SelDepth;          // the deepest ply the iteration has reached

  // Root bookkeeping, carried between iterations by the driver.
  i32 SecondBestValue;
  i8 BestMoveChanges;
  i32 RootValue;
  u8 BookMove;
  i32 LegalMoves;
  i32 CompletedDepth;  // the depth reported for the search's result
  ChessBoard RootPosition;  // the position the search started from
  // The first iteration runs; a stop that wants a move waits for its end
  // in HeldStop (MoveNowHeld or AbortHeld).
  u8 FirstIteration;
  u8 HeldStop;

  // Several lines: each iteration keeps the LineCount best root moves with
  // their exact scores and lines, and reports them best first (Lines, of
  // the last completed iteration). With one line (LineCount 1) the root is
  // searched as it always was.
  i32 LineCount;
  std::vector<RootLine> Lines;
  i32 LinesDepth;  // the iteration Lines come from (0 none)

  // What the search works in: its evaluation (with its pawn cache), its
  // exchange evaluator, and the repetition record of the game followed by
  // the line being searched, copied from the game's (MoveList) as the
  // search starts.
  PositionEvaluate Eval;
  SEE Exchange;
  MoveHistory Repetitions;
  i64 PollCountdown;  // nodes until the next poll

  // The engine this search plays, taken from the process's choice as the
  // search starts (PrepareRoot) and kept to its end.
  const EngineSet* Engine = &DefaultEngine;

  // The settings the search reads as it runs: the front end's Limits for
  // the main search, which a command may change while it runs; a helper's
  // own copy, taken as it starts.
  const SearchLimits* Settings = &Limits;
  // Where the search counts its table probes: the table's own counters for
  // the main search, the helper's for a helper.
  i64* TableHits = &PositionCache.Hits;
  i64* TableMisses = &PositionCache.Misses;
  // 0 for the main search; a helper thread's search (SearchThreads) is
  // numbered from 1. A helper reads no input and no clock and reports to
  // no one: it stops when the main search stops it.
  int HelperNumber;
  // The main search of a search with helpers: the last depth (0 without
  // helpers), and whether a helper completed it first, which ends the
  // main search's iteration: the helper's result is the answer.
  int HelpedLimit;
  u8 Overtaken;

  SearchRoutines() = default;  // everything else starts zeroed

  // State and history.
  void InitValues();
  void AbortSearch();
  // "Move now": the search stops and plays the best move it has.
  void MoveNow();
  // A GUI's "stop" that still wants a move: as AbortSearch, except that in
  // the first iteration the stop waits for the iteration's end (well under
  // a millisecond), as MoveNow does, so that the move played was searched.
  void StopWithMove();
  void ClearHistory();
  void AddHistory(char side, int index, int depth);
  // A quiet move that cut off becomes the first killer of its ply.
  void AddKiller(int ply, int move);
  void ClearPrincipalVariation();
  // Maps the memory a search writes (the transposition and pawn tables,
  // the principal-variation table, the stack of its recursion) before a
  // game's first search: the first writes to fresh memory wait for the
  // system to find and zero it, which made a game's first search slower
  // than the later ones. The front ends call it where no clock runs; it
  // changes nothing the tables hold.
  void MapTables();
  // The same a piece at a time for as long as no input is waiting: for a
  // front end about to wait for its next command. Mapping the whole of a
  // large table takes a tenth of a second or more on a busy machine; here
  // it fills the GUI's pauses (xboard starting the other engine, a person
  // thinking) and a command is read within a piece's time. What is left
  // is mapped at the next wait, or by the search's own writes.
  void MapTablesUntilInput();
  void PromoteKillers();  // the second killer of every ply becomes the first
  // The start of every search: the engine it plays, piece counts, the
  // game's record copied, a clear principal variation, killers moved up,
  // the root's pawn code and its two hash codes.
  void PrepareRoot(ChessBoard& board, const MoveHistory& record, u64* code1, u64* code2);
  // True when the search that returned v has a move to play: it was not
  // aborted, and the side to move is neither mated nor stalemated.
  bool MoveToPlay(int v) const { return !Aborted && v != StalemateScore && v != -MateScore; }
  // The line to show for a root move: the move itself, then the rest of the
  // principal variation as far as it can be played from the root position
  // (a buffer of SearchTableRows entries). Returns its length, at least 1.
  int ShownLine(u64 from, u64 to, char promote, PVEntry* line) const;
  // The move text of a root move followed by the rest of the principal
  // variation as ShownLine has it (a buffer of PVTextSize).
  void LineText(char* text, int v, u64 from, u64 to, char promote) const;
  // The same for one of the lines of an iteration.
  int ShownLine(const RootLine& root, PVEntry* line) const;
  void LineText(char* text, const RootLine& root) const;

  // Maps the next piece of the search's memory (MapTables), at most about
  // `bytes`; false once all of it is mapped.
  bool MapSomeTables(size_t bytes);
  // Runs the node poll; 1 when the node must return 0 at once.
  int PollNode();
  int ValueCapturedPiece(char side, u64 square, const ChessBoard* board) const;

  // The search proper. A parent that knows the position's two hash codes
  // hands them down in `codes`; without them the node computes its own.
  int Search(char side, int alpha, int beta, ChessBoard board, int depth, int ply, char allowNull,
             char castleRights, char inCheck, char nodeType, int maxPly, const u64* codes = nullptr);
  int Quiesce(char side, int alpha, int beta, ChessBoard board, int ply);
  int SearchTreeRoot(char side, ChessBoard board, int alpha, int beta, int depth, u64* from, u64* to, char* promo,
                     char castleRights);
  int SearchExactDepth(ChessBoard board, char depth, u64* from, u64* to, char* promo);
  // Iterates the root search on `board` and leaves the best move in from,
  // to and promotion; the board of the game is not touched. The main
  // search (Search) runs the helper threads beside it, if there are any,
  // and may take the move of a deeper iteration one of them completed.
  int ProgressiveDeepening(ChessBoard board, char depth, u64* from, u64* to, char* promotion);
  // A helper's iterations on the root the main search started from (the
  // game's record `record`, the side to move and castling rights given),
  // at the depths its number gives it, up to `limit`, until it is stopped.
  // After each completed iteration it hands its result to SearchThreads.
  void HelperDeepening(ChessBoard board, const MoveHistory& record, char side, char castleRights, int limit);
  // Nodes of this search, and of its helpers while the main search runs.
  i64 TotalNodes() const;
  // The speed of every thread of the search, from this search's own (the
  // clock and the poll keep to the main search's own speed).
  i32 AllThreadsSpeed(i32 ownSpeed) const;

 private:
  static SearchListener Silent;
  static constexpr u8 MoveNowHeld = 1;
  static constexpr u8 AbortHeld = 2;
  bool SearchMemoryMapped;  // the principal-variation table and the stack
  // The lines of the iteration in progress, best first.
  std::vector<RootLine> LinesFound;
  // A root move searched to score v, its line in the child's row of the
  // principal-variation table: it becomes a line when it beats the last
  // one (or there are fewer than LineCount), and alpha becomes the last
  // line's score once there are LineCount (firstAlpha before).
  void KeepLine(int v, u64 from, u64 to, char promote, int firstAlpha, int* alpha);

  // The end of the first iteration: a stop held until now takes effect.
  void ReleaseHeldStop();

  bool BudgetSpentAtIteration();
  // A level below full strength: the move it plays of the lines found
  // (from, to and promotion, the principal variation and the score it
  // returns become the chosen line's), then the time it takes over it.
  int PlayAtLevel(const ChessBoard& board, int v, u64* from, u64* to, char* promotion);
  // A mate found ends the search once every line has its mate: several
  // lines go on deepening the lines that have none.
  bool LinesDecided() const;
  // The front end's node budget is used up (a ponder search has none yet).
  bool NodesSpent() const;
  // A node budget is looked at by the node count, not by the poll's
  // countdown, which a move answered by the table at the horizon does not
  // count down: the main search polls once its own nodes reach
  // NextNodeCheck (NextBudgetCheck gives it), a helper hands on its count
  // every HelperPollEvery nodes (SearchThreads::NodeBudgetInterval).
  bool NodeCheckDue() const;
  i64 NextBudgetCheck() const;
  i64 NextNodeCheck;
  i64 HelperPollEvery;
  // A helper's poll: its node count handed on, and its stop.
  int PollHelper();
  // The main search's look at its helpers: true once one of them has
  // completed the last depth (not while pondering or analysing).
  bool PollOvertaken();
  i64 OvertakeCountdown;
  // The book's move for the first iteration: its place in the generated
  // list goes to from, to and promo; the number of moves generated, or -1
  // when the position is not in the book.
  int BookAnswer(char side, ChessBoard& board, char castleRights, u64* from, u64* to, char* promo);
  bool Overrun();
  // The node poll's commands and clock (PollNode adds the node budget).
  int PollClock();
  // A node at the horizon: the table, else quiescence, whose result is
  // stored.
  int Horizon(char side, int alpha, int beta, const ChessBoard& board, int depth, int ply, u64 code1, u64 code2);
  // The null move of a node: true when it settles the node, with its value
  // in *settled; else *mateThreat tells whether doing nothing loses to mate.
  bool NullMove(char side, int alpha, int beta, const ChessBoard& board, int depth, int ply, char castleRights,
                char nodeType, int maxPly, u64 code1, u64 code2, int* settled, bool* mateThreat);
  // Stores a node's result as a lower bound (at or above beta), an exact
  // value, or alpha as an upper bound.
  void StoreBound(u64 code1, u64 code2, int depth, int ply, int move, int v, int alpha, int beta, bool aboveAlpha);
  // A new best move at ply: it heads the ply's line, followed by the child's
  // line unless the child was the last ply.
  void RecordLine(int ply, int move, char promote, bool lastPly);
};

extern SearchRoutines Search;

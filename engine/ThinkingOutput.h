// The front ends' side of a search: reads the commands that arrive while
// the engine thinks and hands them to the protocol's interpreter, and
// prints what the search reports in the form of the protocol in use
// (console and xboard thinking lines, UCI info lines, kibitz lines). One
// instance, installed as the search's listener at start-up: Thinking.
#pragma once
#include "search/SearchListener.h"
#include "search/SearchRoutines.h"

// Depth, score and the moves of a protocol-2 thinking line (a move is at
// most five letters and a space).
constexpr int XboardLineKeySize = SearchTableRows * 6 + 32;

// A score in UCI's form: "cp N" in centipawns, or "mate N" for a mate in N
// moves (negative when the engine is the one mated).
void UCIScoreText(char* text, int score);

class ThinkingOutput : public SearchListener {
 public:
  PollResult Poll() override;
  PollResult WaitForCommand() override;
  void IterationStarted(int depth) override;
  void CurrentMove(int depth, u64 from, u64 to, int number) override;
  void RootResult(int depth, int score, u64 from, u64 to, char promote, bool newBest) override;
  void IterationDone(int depth, int score, u64 from, u64 to, char promote) override;
  void LinesDone(int depth, const RootLine* lines, int count) override;
  void SearchDone(int depth, int score, u64 from, u64 to, char promote) override;
  void BookLookup() override;
  void BookMoveFound() override;
  // Also what the front ends find wrong with a book file they open: the
  // line as it is, under UCI as an "info string".
  void BookProblem(const char* text) override;
  void BudgetSet() override;
  void SpeedMeasured(i32 nodesPerSecond, i32 milliseconds) override;
  void AnalysisSpeed(i32 nodesPerSecond) override;

  // The xboard analysis status line ("stat01: ..."), the answer to ".".
  void PrintStatus() const;

  // The last result a UCI search completed (a root move that became the
  // best, or a whole iteration): what a stopped search reports as its
  // result, never the interrupted move's. Valid is cleared by every "go".
  struct UCIResult {
    bool Valid = false;
    int Depth = 0;
    int Score = 0;
    int SelDepth = 0;
    char Line[PVTextSize] = "";  // " e2e4 e7e5 ...", spelled as "bestmove"
  };
  UCIResult LastUCIResult;

 private:
  // Reads one word and hands it to the interpreter of the protocol in use.
  PollResult HandleWord(bool announceStop);
  // The post line of an iteration (console, xboard).
  void PrintDriverLine(int depth, int v, u64 from, u64 to, char promote);
  // Depth, score and moves of the last protocol-2 thinking line of this
  // search, so that the same result is not shown twice.
  char LastXboardLine[XboardLineKeySize] = "";
  // A completed UCI result becomes the one a stopped search reports.
  void RememberUCIResult(int depth, int v, u64 from, u64 to, char promote);
  // The info line of the last completed UCI result, with the time and
  // nodes of now; nothing when there is none.
  void PrintUCIResult() const;
};

extern ThinkingOutput Thinking;

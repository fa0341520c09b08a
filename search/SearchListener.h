// The search's one window on the world. A front end installs a listener
// (Search.Listener); the search asks it whether a command has come in and
// tells it what it found, and the listener prints that in its protocol. The
// search itself reads no input and prints no protocol line. The base class
// hears nothing and never has a command, which is what tests and tools want.
#pragma once
#include "board/Types.h"

struct RootLine;

// What a command that arrived during a search means to the search.
enum class PollResult : u8 {
  GoOn,       // nothing, or a command the front end dealt with
  Stop,       // end the search at once (the front end decides what to play)
  PonderHit,  // the ponder search becomes a normal timed search
};

class SearchListener {
 public:
  virtual ~SearchListener() = default;

  // Called whenever the node poll is due: reads and handles any waiting
  // command.
  virtual PollResult Poll() { return PollResult::GoOn; }
  // A ponder search has nothing left to find: blocks, handling commands,
  // until "ponderhit" (PonderHit) or one that ends the search (Stop).
  virtual PollResult WaitForCommand() { return PollResult::Stop; }

  // An iteration of the root search begins.
  virtual void IterationStarted(int /*depth*/) {}
  // A root move is about to be searched (number counts the legal ones).
  virtual void CurrentMove(int /*depth*/, u64 /*from*/, u64 /*to*/, int /*number*/) {}
  // A root move became the best so far (newBest), or the iteration ended
  // early with this move as its answer.
  virtual void RootResult(int /*depth*/, int /*score*/, u64 /*from*/, u64 /*to*/, char /*promote*/, bool /*newBest*/) {}
  // An iteration is complete (score as the driver keeps it).
  virtual void IterationDone(int /*depth*/, int /*score*/, u64 /*from*/, u64 /*to*/, char /*promote*/) {}
  // An iteration of several lines is complete: its lines, best first (the
  // first is the iteration's answer). Called instead of IterationDone.
  virtual void LinesDone(int /*depth*/, const RootLine* /*lines*/, int /*count*/) {}
  // The search is over: the move it chose and its score. Not called when a
  // command aborted the search.
  virtual void SearchDone(int /*depth*/, int /*score*/, u64 /*from*/, u64 /*to*/, char /*promote*/) {}
  // The first iteration looks for the position in the opening book.
  virtual void BookLookup() {}
  // The first iteration found the move in the opening book.
  virtual void BookMoveFound() {}
  // What is wrong with the book file or one of its entries: one line.
  virtual void BookProblem(const char* /*text*/) {}
  // The clock set a sudden-death budget for this move.
  virtual void BudgetSet() {}
  // The poll measured the real speed: nodes a second over the given time.
  virtual void SpeedMeasured(i32 /*nodesPerSecond*/, i32 /*milliseconds*/) {}
  // Analysis measures its speed before every iteration (0 while unknown).
  virtual void AnalysisSpeed(i32 /*nodesPerSecond*/) {}
};

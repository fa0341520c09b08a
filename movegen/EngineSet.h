// Which of Vorn's two engines the process plays, and the set of values each
// of them plays with. The default engine is the one that later work makes
// stronger; the classic engine is Vorn's first search, evaluation and move
// generation kept whole, node for node, so that every change to the default
// can be measured against it and none can creep into it unseen.
//
// The two share all their code. Where they differ only in a value (a
// margin, a weight, which promotions are generated), the value goes into
// EngineSet, with the classic and the default value side by side in
// EngineSet.cpp; where they differ at every step of a routine, each has its
// own routine and the set names the one it plays. Nothing differs yet: a
// set holds only its name, and both engines play exactly alike.
//
// The choice lives here, beside move generation, the lowest code that will
// tell the two apart, so that the evaluation and the search above it can
// read it too.
//
// Who sets it, and when: "-classic" on the command line, before anything
// runs; UCI's "setoption name Classic" and xboard's (and the console's)
// "option Classic=", only while no search runs: UCI refuses it during a
// search, xboard keeps it until the search has unwound. Nothing else
// writes it. A search takes the set once, as it starts
// (SearchRoutines::PrepareRoot), and plays it to its end; as nothing
// writes the choice while a search runs, every thread of one search plays
// the same engine, and code that a search calls (move generation, the
// evaluation) may read ChosenEngine() as it goes without a lock.
#pragma once

class EngineSet {
 public:
  // "default" or "classic".
  const char* Name;
};

// The two sets (EngineSet.cpp).
extern const EngineSet DefaultEngine;
extern const EngineSet ClassicEngine;

// True while the process plays the classic engine; false at start-up.
extern bool Classic;

// The set the choice names.
const EngineSet& ChosenEngine();

// The console and xboard reader: one word at a time from standard input.
// The same DoCommand serves words that arrive while the engine thinks (the
// search's poll hands them over), so every command knows whether a search
// is running through EngineThinking.
#pragma once
#include "board/Types.h"

// What DoCommand and HumanMove answer.
enum CommandResult {
  MoveEntered = 0,    // a legal move of the opponent
  LeaveReader = 2,    // leave the reader, and abort a running search
  QuitProgram = 3,    // "quit", or the end of input
  Handled = 4,        // a command was carried out; read on
  FiftyMoveMove = 7,  // a move that completes the fifty-move count
};

// Set by the game loop while the engine searches for its own move or
// analyses; commands that would disturb that search act on it instead.
extern u8 EngineThinking;

int DoCommand(char* word);
int HumanMove();
void SetupBoardFromEdit();

// The next HumanMove reads `word` first, before any input, the rest of
// its line still waiting on standard input ("protover" of "protover 2").
void PassToReader(const char* word);

// Commands that arrived while the engine thought and wait for the search to
// unwind: a table size, the engine to play, take-backs, and the answers to
// "ping", which come after the move the engine was thinking about. Runs
// after every search and before the reader waits for input.
void FinishDeferredCommands();

// A command that set up a new position while the engine thought ("new",
// "setboard", "edit", "abort") leaves the game's repetition record to be
// restarted once the search has unwound; true when that happened.
bool FinishPendingGameReset();

// True once after "go" or "analyze" took up again a game that the GUI's
// "result" had ended: the game goes on from its position, not as a new one.
bool GameTakenUpAgain();

// The engine's globals for in-process tests: the program's start-up run once
// per test binary, and every test begun from the state it left (a listener
// restores it before each test), so that no test sees what another left
// behind, whatever their order.
#pragma once
#include <string>
#include <vector>

class ChessBoard;
class MoveGen;

// StartEngine once per process; later calls do nothing.
void EnsureEngineInitialised();

// Puts the engine's globals back as start-up left them: board, settings,
// search limits, clock, search state, game record, front ends, command
// line, evaluation scratch, and the transposition table (at its start-up
// size), pawn cache and book emptied.
void RestoreStartUpState();

// Sets MainBoard from FEN text, starting from the start-up board (nothing
// of an earlier position is kept), with counts and totals recomputed, and
// returns it.
ChessBoard& LoadFen(const std::string& fen);

// Fills `list` for the side to move (evasions when in check) and returns the
// indices of the moves that do not leave the own king attacked.
std::vector<int> LegalMoveIndices(ChessBoard& board, char rights, MoveGen* list);

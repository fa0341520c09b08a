// Brings the engine's globals into their start-up state once per test run,
// as main does: settings, start position, hash-code tables.
#pragma once
#include <string>
#include <vector>

class ChessBoard;
class MoveGen;

void EnsureEngineInitialised();
// Sets MainBoard from FEN text (counts and totals recomputed) and returns it.
ChessBoard& LoadFen(const std::string& fen);

// Fills `list` for the side to move (evasions when in check) and returns the
// indices of the moves that do not leave the own king attacked.
std::vector<int> LegalMoveIndices(ChessBoard& board, char rights, MoveGen* list);

// Brings the engine's globals into their start-up state once per test run,
// as main does: settings, start position, hash-code tables.
#pragma once
#include <string>

class ChessBoard;

void EnsureEngineInitialised();
// Sets MainBoard from FEN text (counts and totals recomputed) and returns it.
ChessBoard& LoadFen(const std::string& fen);

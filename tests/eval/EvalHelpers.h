// Helpers for the evaluation tests: a position evaluated from an empty pawn
// cache, the colour mirror of a board, the pawn code a search would give a
// node, and a board prepared for calling one term function on its own.
#pragma once
#include "board/ChessBoard.h"

enum class Mating { Zero, AsCheckDraw };

// Full-window evaluation for the side to move of the FEN, pawn cache emptied
// first; MatingMaterial set to 0 or as CheckDraw sets it.
int EvaluateFresh(const char* fen, Mating mating);

// The board flipped top to bottom with the colours exchanged: every man of
// one colour on square s becomes a man of the other colour on s ^ 56.
// Counts, castling rights and MatingMaterial follow; side to move flips.
ChessBoard MirrorBoard(const ChessBoard& b);

// Within a search the pawn code also follows the kings; give a set-up board
// such a code so that positions differing only in king squares never share a
// pawn-cache entry.
void SetPawnCodeWithKings(ChessBoard& b);

// Loads the FEN, empties the pawn cache and runs one full evaluation for the
// side to move (MatingMaterial 0) so that the attack maps, king squares and
// pawn summary in PE are current; then empties both accumulators, so that a
// term function called next shows only its own contribution.
ChessBoard& PrepareTerms(const char* fen);

// Where the tests' random games start: the opening, a middle game rich in
// tactics, a pawn ending, a rook-and-knight ending and bishops of both
// colours.
inline constexpr const char* RandomGameStarts[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "4k3/pppp1ppp/8/8/8/8/PPPP1PPP/4K3 w - -",
    "2r3k1/1p3ppp/p1n5/8/8/P1N5/1P3PPP/2R3K1 b - -",
    "4k3/2b1pp2/8/8/8/8/2PP1B2/4K3 w - -",
};

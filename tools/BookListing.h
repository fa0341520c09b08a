// "-listbook": the moves an opening book gives for a position, as a person
// reads them: standard algebraic notation, the weights and each move's
// share of them.
#pragma once

// Lists the moves of the position of `fen` (the start position when empty)
// in the open book and returns the program's exit status: 1 when no book is
// open or the text is no chess position.
int ListBookMoves(const char* fen);

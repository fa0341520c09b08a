// Placeholder until the UCI commands are written: every word is taken as
// handled, so a search that hands it a word goes on.
#include "engine/UCIProtocol.h"

UCIProtocol UCI;

int UCIProtocol::UCIPrep(char*) { return 4; }

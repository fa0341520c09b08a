// The UCI front end. One instance: UCI. The search's poll hands every word
// that arrives while it thinks to UCIPrep; 2 tells the search to stop.
#pragma once
#include "board/Types.h"

class UCIProtocol {
 public:
  u8 UCIShowCurrLine = 1;  // "info currmove" lines from the root search

  int UCIPrep(char* text);
};

extern UCIProtocol UCI;

#include "eval/PawnHash.h"

int Phashattempts = 0;
int Phashmisses = 0;

void ClearPawnHash() {}

#include "movegen/EngineSet.h"

// The classic engine's values stay as they are; a change of strength goes
// into the default's.
const EngineSet ClassicEngine{"classic"};
const EngineSet DefaultEngine{"default"};

bool Classic = false;

const EngineSet& ChosenEngine() { return Classic ? ClassicEngine : DefaultEngine; }

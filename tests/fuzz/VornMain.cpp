// The engine's own main under another name, so that a fuzz target can run
// whole sessions in-process: libFuzzer supplies the program's main.
#define main VornMain
#include "engine/main.cpp"

// The program as a whole: the start-up every entry shares (the program, the
// tests, the fuzz targets and the benchmarks) and the main loop behind main.
#pragma once

// Brings the global objects into their start-up state: settings, the start
// position, the hash-code tables and the (empty) book. Prints nothing.
void StartEngine();

// The whole program: banner, start-up, command line, the choice of protocol
// from the first input word, and the outer loop that dispatches the tools,
// plays the console/xboard game loop or hands the conversation to the UCI
// front end. Returns the program's exit status.
int RunEngine(int argc, char** argv);

// The program's entry: everything it does lives in the engine library, so
// that tests and fuzz targets can run the same start-up and main loop.
#include "engine/Engine.h"

int main(int argc, char** argv) { return RunEngine(argc, argv); }

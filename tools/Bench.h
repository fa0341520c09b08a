// Fixed benchmarks of search speed and cache behaviour on built-in
// positions, at the depth of "-fd" (without it every search stops after its
// first iteration). Each prints a report; the caller ends the program.
#pragma once

// The benchmark's positions (FEN with move counters).
extern const char* const BenchPositions[6];

// Six positions through the iterative-deepening driver.
void Bench();
// Position 5 twice: through the driver, then through the exact-depth search.
void Bench2();
// As Bench2, with three position-to-text conversions inside the first timing.
void Bench3();

// Shared start-up for the libFuzzer targets: the engine's globals brought
// into their start-up state once, standard output sent to /dev/null (the
// engine prints a great deal; libFuzzer reports on standard error), and a
// way to survive the engine's own exit() calls.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Thrown in place of exit() while CatchExit is set: the fuzz targets are
// linked with -Wl,--wrap=exit, so the engine's exit calls (help text, an
// unreadable position or suite file, "quit") come back to the target
// instead of ending the fuzzer.
struct ExitCalled {
  int code;
};
extern bool CatchExit;

// The engine's start-up (StartEngine), once per process, with standard
// output sent to /dev/null.
void FuzzInit();

// Puts the engine's settings, board and search state back to their
// start-up values, so one input cannot leave a trace on the next.
void ResetEngine();

// The input as text up to its first NUL.
std::string FuzzText(const uint8_t* data, size_t size);

// True when MainBoard's material is what a game could reach: per side at
// most eight pawns, no more pieces beyond the starting set than pawns
// missing, and at most three queens. Fixed-depth searches are neither
// timed nor interrupted, and the capture search among eight queens a side
// runs for minutes without being wrong, so the targets search only such
// positions.
bool PlausibleMaterial();

// Runs the whole program (RunEngine) with `args` on a session: `input`
// becomes its standard input (a file at descriptor 0, so the search's poll
// always sees input waiting, as it does when a GUI has sent more), and ends
// when the program would end. After `budgetMs` of processor time every
// search in progress is told to stop, and told again every few
// milliseconds, so that a session whose clock commands ask for long
// searches still ends soon; a search that ignores the stop (one that runs
// until "stop" or the end of input) is left to libFuzzer's time-out.
void RunSession(const std::vector<std::string>& args, const std::string& input, int budgetMs);

// Writes `text` to a file in a private temporary folder and returns its path.
std::string WriteTempFile(const std::string& name, const std::string& text);

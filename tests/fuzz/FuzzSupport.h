// Shared start-up for the libFuzzer targets: the engine's globals brought
// into their start-up state once, standard output sent to /dev/null (the
// engine prints a great deal; libFuzzer reports on standard error), and a
// way to survive the engine's own exit() calls.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Thrown in place of exit() while CatchExit is set: the fuzz targets are
// linked with -Wl,--wrap=exit, so the engine's exit calls (help text, an
// unreadable position or suite file, "quit") come back to the target
// instead of ending the fuzzer.
struct ExitCalled {
  int code;
};
extern bool CatchExit;

// Start-up as main performs it, once per process.
void FuzzInit();

// Puts the engine's settings, board and search state back to their
// start-up values, so one input cannot leave a trace on the next.
void ResetEngine();

// The input as text up to its first NUL.
std::string FuzzText(const uint8_t* data, size_t size);

// Writes `text` to a file in a private temporary folder and returns its path.
std::string WriteTempFile(const std::string& name, const std::string& text);

// Fuzz target: a whole UCI session on standard input, including commands
// that arrive while a search runs ("stop", "isready", "position", a second
// "go"), which the search's poll reads word by word.
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInit();
  RunSession({}, std::string(reinterpret_cast<const char*>(data), size), 50);
  return 0;
}

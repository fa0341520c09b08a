// Fuzz target: a whole console or xboard session on standard input, as a
// person or an xboard GUI types it (the first word picks the mode). Moves
// are taken without a legality test, so the game can wander anywhere; the
// board must stay sound and the program must end at the end of its input.
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInit();
  RunSession({}, std::string(reinterpret_cast<const char*>(data), size), 50);
  return 0;
}

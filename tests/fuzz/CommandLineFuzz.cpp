// Fuzz target: the command line. Each input line is one argument. The
// options are read as the program reads them, the help text's exit and an
// unreadable or empty "-lpf" file's exit coming back as ExitCalled. The
// arguments "pos" and "empty" name a position file and an empty file, so
// "-lpf" finds real files as well as missing ones.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "board/ChessBoard.h"
#include "engine/CommandLine.h"
#include "engine/Status.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInit();
  static const std::string pos = WriteTempFile("pos", "8/8/8/3k4/8/3K4/4P3/8 w - - 0 1\n");
  static const std::string empty = WriteTempFile("empty", "");
  ResetEngine();
  Arguments = CommandLine();

  // Arguments live in their own allocations, so a read past one is seen.
  std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> words{"vorn"};
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string word = text.substr(start, end - start);
    words.push_back(word == "pos" ? pos : word == "empty" ? empty : word);
    start = end + 1;
  }
  std::vector<char*> argv;
  for (std::string& w : words) {
    char* copy = static_cast<char*>(malloc(w.size() + 1));
    std::copy(w.c_str(), w.c_str() + w.size() + 1, copy);
    argv.push_back(copy);
  }
  argv.push_back(nullptr);

  CatchExit = true;
  try {
    Arguments.Read((int)argv.size() - 1, argv.data());
  } catch (const ExitCalled&) {
  }
  CatchExit = false;

  // The suite file, if any, must be one of the arguments.
  if (Arguments.EPDFile != nullptr) {
    bool found = false;
    for (size_t i = 1; i + 1 < argv.size(); i++) found |= Arguments.EPDFile == argv[i];
    if (!found) abort();
  }
  for (char* a : argv) free(a);
  return 0;
}

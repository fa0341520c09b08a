#include "fuzz/FuzzSupport.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/ChessBoard.h"
#include "board/HashCodes.h"
#include "board/MoveHistory.h"
#include "engine/OpeningBook.h"
#include "engine/Status.h"
#include "eval/PawnHash.h"
#include "search/SearchRoutines.h"
#include "search/TranspositionTables.h"

bool CatchExit = false;

extern "C" void __real_exit(int code) __attribute__((noreturn));
extern "C" void __wrap_exit(int code) {
  if (CatchExit) throw ExitCalled{code};
  __real_exit(code);
}

namespace {
std::string TempFolder;

// The engine's global objects just after static initialisation, captured
// before anything ran, so that ResetEngine can restore them whole.
Status StartStatus;
ChessBoard StartBoard;
}  // namespace

void FuzzInit() {
  static bool done = false;
  if (done) return;
  done = true;

  int devnull = open("/dev/null", O_WRONLY);
  if (devnull >= 0) {
    fflush(stdout);
    dup2(devnull, STDOUT_FILENO);
    close(devnull);
  }
  char folder[] = "/tmp/vorn-fuzz-XXXXXX";
  if (mkdtemp(folder) != nullptr) TempFolder = folder;

  MainStatus.initVars();
  MainBoard.InitRep();
  initPStable();
  buildbook();
  MainBoard.InitRep();
  MainStatus.initVars();
  StartStatus = MainStatus;
  StartBoard = MainBoard;
}

void ResetEngine() {
  MainStatus = StartStatus;
  MainBoard = StartBoard;
  MoveList.Init();
  Search.ClearHistory();
  Search.Aborted = Search.StopSearch = Search.TimeUp = 0;
}

std::string FuzzText(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return text;
}

std::string WriteTempFile(const std::string& name, const std::string& text) {
  std::string path = TempFolder + "/" + name;
  FILE* f = fopen(path.c_str(), "wb");
  if (f != nullptr) {
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
  }
  return path;
}

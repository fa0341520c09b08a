// Fuzz target: an EPD suite file, as "-ts", "-pev" and "-mimicstudent" read
// it. The first byte picks the mode and the search depth (1 or 2, so each
// run stays fast); the rest is the file's content.
#include <string>

#include "board/ChessBoard.h"
#include "engine/Status.h"
#include "fuzz/FuzzSupport.h"
#include "tools/EPDSuite.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInit();
  if (size < 1) return 0;
  ResetEngine();
  Status& s = MainStatus;
  switch (data[0] % 3) {
    case 0: s.DoTestSuite = 1; break;
    case 1: s.PEV = 1; break;
    default: s.Mimic = 1; break;
  }
  s.FD = (u8)(1 + (data[0] / 3) % 2);
  MainBoard.MaxDepth = s.FD;
  std::string path = WriteTempFile("suite.epd", std::string(reinterpret_cast<const char*>(data) + 1, size - 1));

  CatchExit = true;
  try {
    ParseEPDSuite(path.c_str());
  } catch (const ExitCalled&) {
  }
  CatchExit = false;
  return 0;
}

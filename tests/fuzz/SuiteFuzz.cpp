// Fuzz target: an EPD suite file, as "-ts", "-pev" and "-mimicstudent" read
// it. The first byte picks the mode and the search depth (1 or 2, so each
// run stays fast); the rest is the file's content.
#include <string>

#include "board/ChessBoard.h"
#include "board/PositionText.h"
#include "engine/Status.h"
#include "fuzz/FuzzSupport.h"
#include "tools/EPDSuite.h"
#include "search/SearchLimits.h"

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
  Limits.FD = (u8)(1 + (data[0] / 3) % 2);
  MainBoard.MaxDepth = Limits.FD;
  // A suite searched at fixed depth holds only positions a game could reach
  // (see PlausibleMaterial); any other file is read in evaluation mode.
  std::string content(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (s.DoTestSuite) {
    for (size_t start = 0; start < content.size();) {
      size_t end = content.find('\n', start);
      if (end == std::string::npos) end = content.size();
      SetupBoard(content.substr(start, end - start).c_str());
      if (!PlausibleMaterial()) {
        s.DoTestSuite = 0;
        s.PEV = 1;
      }
      start = end + 1;
    }
  }
  std::string path = WriteTempFile("suite.epd", content);

  CatchExit = true;
  try {
    SuiteOptions options;
    options.Search = s.DoTestSuite;
    options.Mimic = s.Mimic == 1;
    options.Evaluate = s.PEV;
    ParseEPDSuite(path.c_str(), options);
  } catch (const ExitCalled&) {
  }
  CatchExit = false;
  return 0;
}

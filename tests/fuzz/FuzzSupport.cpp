#include "fuzz/FuzzSupport.h"

#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <csignal>
#include <cstring>

#include "board/ChessBoard.h"
#include "board/MoveHistory.h"
#include "engine/CommandLine.h"
#include "engine/Engine.h"
#include "engine/Status.h"
#include "engine/UCIProtocol.h"
#include "movegen/EngineSet.h"
#include "search/SearchLimits.h"
#include "search/SearchRoutines.h"
#include "search/SearchThreads.h"
#include "search/TimeControl.h"

bool CatchExit = false;

extern "C" void __real_exit(int code) __attribute__((noreturn));
extern "C" void __wrap_exit(int code) {
  if (CatchExit) throw ExitCalled{code};
  __real_exit(code);
}

namespace {
std::string TempFolder;

// The engine's settings, search limits, clock and board as start-up left
// them, so that ResetEngine can restore them whole.
Status StartStatus;
SearchLimits StartLimits;
TimeControl StartClock;
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

  StartEngine();
  StartStatus = MainStatus;
  StartLimits = Limits;
  StartClock = Clock;
  StartBoard = MainBoard;
}

void ResetEngine() {
  MainStatus = StartStatus;
  Limits = StartLimits;
  Clock = StartClock;
  MainBoard = StartBoard;
  MoveList.Init();
  Search.ClearHistory();
  Search.Aborted = Search.StopSearch = Search.TimeUp = 0;
  Threads.SetCount(1);
  Classic = false;
}

bool PlausibleMaterial() {
  const ChessBoard& b = MainBoard;
  auto side = [](u64 pawns, u64 knights, u64 bishops, u64 rooks, u64 queens) {
    auto extra = [](u64 men, int start) { return std::max(0, __builtin_popcountll(men) - start); };
    int promoted = extra(knights, 2) + extra(bishops, 2) + extra(rooks, 2) + extra(queens, 1);
    return __builtin_popcountll(pawns) + promoted <= 8 && __builtin_popcountll(queens) <= 3;
  };
  return side(b.WhitePawns, b.WhiteKnights, b.WhiteBishops, b.WhiteRooks, b.WhiteQueens) &&
         side(b.BlackPawns, b.BlackKnights, b.BlackBishops, b.BlackRooks, b.BlackQueens);
}

namespace {
// The poll is made due as well: a search in analysis reads its input only
// there, and a stop that came before every poll would leave a session that
// analyses in a loop (self-play) without ever reading on.
void StopSearches(int) {
  Search.StopSearch = 1;
  Search.TimeUp = 1;
  Search.PollCountdown = 0;
}

// A processor-time timer: libFuzzer keeps the real-time alarm for its own
// time-out, which must still catch a session that never ends.
void SetTimer(int firstMs, int everyMs) {
  itimerval t{};
  t.it_value.tv_sec = firstMs / 1000;
  t.it_value.tv_usec = (firstMs % 1000) * 1000;
  t.it_interval.tv_usec = everyMs * 1000;
  setitimer(ITIMER_VIRTUAL, &t, nullptr);
}
}  // namespace

void RunSession(const std::vector<std::string>& args, const std::string& input, int budgetMs) {
  ResetEngine();
  Arguments = CommandLine();
  UCI = UCIProtocol();

  std::string path = WriteTempFile("session.txt", input);
  int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) abort();
  dup2(fd, STDIN_FILENO);
  close(fd);
  clearerr(stdin);

  // The board is checked after every command: a corrupted board aborts,
  // which is a finding even where no sanitizer fires.
  std::vector<std::string> words{"vorn", "-checkboard"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(&w[0]);
  argv.push_back(nullptr);

  signal(SIGVTALRM, StopSearches);
  SetTimer(budgetMs, 2);
  CatchExit = true;
  try {
    RunEngine((int)words.size(), argv.data());
  } catch (const ExitCalled&) {
  }
  CatchExit = false;
  SetTimer(0, 0);
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

#include "search/InputPoll.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>

namespace {
const std::chrono::steady_clock::time_point ProgramStart = std::chrono::steady_clock::now();
}  // namespace

// Standard input is unbuffered (set at start-up), so a command never sits
// unseen in a stdio buffer while the descriptor looks empty.
int InputWaiting() {
  pollfd p{STDIN_FILENO, POLLIN, 0};
  int r = poll(&p, 1, 0);
  if (r < 0) return 1;
  if (r == 0) return 0;
  return (p.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) ? 1 : 0;
}

void PauseForInput(int ms) {
  pollfd p{STDIN_FILENO, POLLIN, 0};
  poll(&p, 1, ms);
}

i32 ClockMs() {
  auto elapsed = std::chrono::steady_clock::now() - ProgramStart;
  return (i32)std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}

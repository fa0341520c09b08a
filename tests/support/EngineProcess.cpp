#include "support/EngineProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#ifndef VORN_BINARY
#error "VORN_BINARY must name the engine binary"
#endif

namespace {
using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : (int)left;
}
}  // namespace

EngineProcess::EngineProcess(const std::vector<std::string>& args) {
  signal(SIGPIPE, SIG_IGN);
  int toChild[2], fromChild[2];
  if (pipe(toChild) != 0 || pipe(fromChild) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(toChild[0], 0);
    dup2(fromChild[1], 1);
    dup2(fromChild[1], 2);
    close(toChild[1]);
    close(fromChild[0]);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(VORN_BINARY));
    // Every session checks the board after each command: a corrupted board
    // ends the engine at once, which the test sees.
    argv.push_back(const_cast<char*>("-checkboard"));
    // No session plays from a book the machine has installed; a test that
    // wants a book gives its own "-book" after this one.
    argv.push_back(const_cast<char*>("-book"));
    argv.push_back(const_cast<char*>(""));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(VORN_BINARY, argv.data());
    _exit(127);
  }
  close(toChild[0]);
  close(fromChild[1]);
  in_ = toChild[1];
  out_ = fromChild[0];
}

EngineProcess::~EngineProcess() {
  CloseInput();
  if (pid_ > 0 && Wait(2000) == -1) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (out_ >= 0) close(out_);
}

void EngineProcess::Send(const std::string& line) { SendText(line + "\n"); }

void EngineProcess::SendText(const std::string& text) {
  if (in_ < 0) return;
  ssize_t written = write(in_, text.data(), text.size());
  (void)written;
}

void EngineProcess::CloseInput() {
  if (in_ >= 0) close(in_);
  in_ = -1;
}

bool EngineProcess::ReadMore(int timeoutMs) {
  if (out_ < 0) return false;
  pollfd p{out_, POLLIN, 0};
  if (poll(&p, 1, timeoutMs) <= 0) return false;
  char buffer[4096];
  ssize_t n = read(out_, buffer, sizeof buffer);
  if (n <= 0) {
    close(out_);
    out_ = -1;
    return false;
  }
  pending_.append(buffer, (size_t)n);
  output_.append(buffer, (size_t)n);
  return true;
}

std::vector<std::string> EngineProcess::ReadUntil(const std::string& text, int timeoutMs, bool* found) {
  std::vector<std::string> lines;
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  if (found) *found = false;
  for (;;) {
    size_t eol;
    while ((eol = pending_.find('\n')) != std::string::npos) {
      lines.push_back(pending_.substr(0, eol));
      pending_.erase(0, eol + 1);
      if (lines.back().find(text) != std::string::npos) {
        if (found) *found = true;
        return lines;
      }
    }
    if (RemainingMs(deadline) == 0 || (!ReadMore(RemainingMs(deadline)) && out_ < 0)) break;
  }
  if (!pending_.empty()) {
    lines.push_back(pending_);
    if (found && pending_.find(text) != std::string::npos) *found = true;
    pending_.clear();
  }
  return lines;
}

int EngineProcess::Wait(int timeoutMs) {
  if (pid_ <= 0) return -1;
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    while (out_ >= 0 && ReadMore(0)) {
    }
    int status;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      while (out_ >= 0 && ReadMore(50)) {
      }
      pid_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    if (RemainingMs(deadline) == 0) return -1;
    if (out_ >= 0) ReadMore(10);
    else usleep(10000);
  }
}

ProcessResult RunEngine(const std::vector<std::string>& args, const std::string& input, int timeoutMs) {
  ProcessResult result;
  EngineProcess engine(args);
  if (!input.empty()) {
    std::string text = input;
    if (text.back() == '\n') text.pop_back();
    engine.Send(text);
  }
  engine.CloseInput();
  result.exitCode = engine.Wait(timeoutMs);
  result.timedOut = result.exitCode == -1;
  result.output = engine.Output();
  return result;
}

#include "scripts/runner/UciPlayer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace {
// How long an engine is given to leave by itself after "quit".
constexpr int QuitGraceMs = 500;
}  // namespace

long long UciPlayer::NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool UciPlayer::Start(int timeoutMs, std::string* problem) {
  End();
  // An engine that dies while we write to it must not take the runner along.
  signal(SIGPIPE, SIG_IGN);
  // Close-on-exec from the start: an engine another thread starts at the
  // same moment must not inherit these ends, or this engine's exit would
  // never show as the end of its output.
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0) {
    *problem = std::string("no pipe: ") + strerror(errno);
    return false;
  }
  if (pipe2(out, O_CLOEXEC) != 0) {
    *problem = std::string("no pipe: ") + strerror(errno);
    close(in[0]);
    close(in[1]);
    return false;
  }
  // The argument vector is built before fork: the child of a threaded
  // program may only call async-signal-safe functions.
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(setup_.Command.c_str()));
  for (const std::string& a : setup_.Arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid < 0) {
    *problem = std::string("cannot fork: ") + strerror(errno);
    for (int fd : {in[0], in[1], out[0], out[1]}) close(fd);
    return false;
  }
  if (pid == 0) {
    dup2(in[0], STDIN_FILENO);
    dup2(out[1], STDOUT_FILENO);
    for (int fd : {in[0], in[1], out[0], out[1]}) close(fd);
    signal(SIGPIPE, SIG_DFL);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  pid_ = pid;
  toEngine_ = in[1];
  fromEngine_ = out[0];
  pending_.clear();

  Send("uci");
  if (!WaitFor("uciok", timeoutMs, problem)) {
    *problem = "no uciok: " + *problem;
    End();
    return false;
  }
  for (const auto& option : setup_.Options) Send("setoption name " + option.first + " value " + option.second);
  Send("isready");
  if (!WaitFor("readyok", timeoutMs, problem)) {
    *problem = "no readyok: " + *problem;
    End();
    return false;
  }
  return true;
}

bool UciPlayer::NewGame(int timeoutMs, std::string* problem) {
  Send("ucinewgame");
  Send("isready");
  if (WaitFor("readyok", timeoutMs, problem)) return true;
  *problem = "no readyok after ucinewgame: " + *problem;
  return false;
}

void UciPlayer::Send(const std::string& line) {
  if (toEngine_ < 0) return;
  const std::string text = line + "\n";
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(toEngine_, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += (size_t)n;
  }
}

UciPlayer::Reading UciPlayer::ReadLine(std::string* line, long long deadline) {
  for (;;) {
    const size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      *line = pending_.substr(0, end);
      if (!line->empty() && line->back() == '\r') line->pop_back();
      pending_.erase(0, end + 1);
      return Reading::Line;
    }
    if (fromEngine_ < 0) return Reading::Closed;
    const long long left = deadline - NowMs();
    if (left <= 0) return Reading::TimedOut;
    pollfd p{fromEngine_, POLLIN, 0};
    const int ready = poll(&p, 1, (int)(left > 1000000 ? 1000000 : left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) continue;
    char buffer[4096];
    const ssize_t n = read(fromEngine_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // The last line may lack its end.
      if (!pending_.empty()) pending_ += '\n';
      close(fromEngine_);
      fromEngine_ = -1;
      continue;
    }
    pending_.append(buffer, (size_t)n);
  }
}

bool UciPlayer::WaitFor(const std::string& word, int timeoutMs, std::string* problem) {
  const long long deadline = NowMs() + timeoutMs;
  std::string line;
  for (;;) {
    switch (ReadLine(&line, deadline)) {
      case Reading::TimedOut:
        *problem = "no answer within " + std::to_string(timeoutMs) + " ms";
        return false;
      case Reading::Closed:
        *problem = "the engine exited";
        return false;
      case Reading::Line:
        if (line.compare(0, word.size(), word) == 0 &&
            (line.size() == word.size() || line[word.size()] == ' '))
          return true;
    }
  }
}

void UciPlayer::End() {
  if (pid_ <= 0) return;
  Send("quit");
  if (toEngine_ >= 0) close(toEngine_);
  toEngine_ = -1;
  const long long deadline = NowMs() + QuitGraceMs;
  int status;
  while (waitpid(pid_, &status, WNOHANG) == 0) {
    if (NowMs() >= deadline) {
      Kill();
      break;
    }
    usleep(5000);
  }
  if (fromEngine_ >= 0) close(fromEngine_);
  fromEngine_ = -1;
  pid_ = -1;
  pending_.clear();
}

void UciPlayer::Kill() {
  kill(pid_, SIGKILL);
  int status;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
}

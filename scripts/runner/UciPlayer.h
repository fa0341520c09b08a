// One UCI engine run as a child process and spoken to over two pipes: start,
// the handshake with its options, lines sent and lines read with a deadline,
// and an end that never leaves a process behind. Knows nothing of games.
#pragma once
#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

// How to start an engine: the program, its arguments and the UCI options
// set after "uciok".
struct EngineSetup {
  std::string Name;
  std::string Command;
  std::vector<std::string> Arguments;
  std::vector<std::pair<std::string, std::string>> Options;
};

class UciPlayer {
 public:
  enum class Reading { Line, TimedOut, Closed };

  explicit UciPlayer(EngineSetup engine) : setup_(std::move(engine)) {}
  ~UciPlayer() { End(); }
  UciPlayer(const UciPlayer&) = delete;
  UciPlayer& operator=(const UciPlayer&) = delete;

  // Starts the process and waits up to `timeoutMs` for "uciok" and again
  // for "readyok" after the options. False with the reason in *problem; the
  // process is then ended.
  bool Start(int timeoutMs, std::string* problem);
  bool Running() const { return pid_ > 0; }
  // "ucinewgame" and "isready" answered in time.
  bool NewGame(int timeoutMs, std::string* problem);
  // A write to an engine that has gone is no error here: the next read
  // finds the pipe closed.
  void Send(const std::string& line);
  // The next line without its end, waiting until `deadline` (milliseconds
  // of the steady clock, see NowMs).
  Reading ReadLine(std::string* line, long long deadline);
  // "quit", a short grace, then SIGKILL; reaps the process.
  void End();
  const EngineSetup& Setup() const { return setup_; }

  static long long NowMs();

 private:
  // Reads lines until one starts with `word`; false on a time-out or a
  // closed pipe, the reason in *problem.
  bool WaitFor(const std::string& word, int timeoutMs, std::string* problem);
  void Kill();

  EngineSetup setup_;
  pid_t pid_ = -1;
  int toEngine_ = -1;
  int fromEngine_ = -1;
  std::string pending_;
};

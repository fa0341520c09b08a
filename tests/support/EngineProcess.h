// Drives the built engine over pipes, as a GUI does: start it with
// arguments, write lines to its standard input, read its standard output
// with time limits.
#pragma once
#include <string>
#include <vector>

struct ProcessResult {
  int exitCode = -1;  // -1 when killed after the time limit
  bool timedOut = false;
  std::string output;
};

// Runs the engine to completion with `input` on standard input (closed
// afterwards) and returns everything it printed.
ProcessResult RunEngine(const std::vector<std::string>& args, const std::string& input = "",
                        int timeoutMs = 60000);

class EngineProcess {
 public:
  explicit EngineProcess(const std::vector<std::string>& args = {});
  virtual ~EngineProcess();
  EngineProcess(const EngineProcess&) = delete;
  EngineProcess& operator=(const EngineProcess&) = delete;

  void Send(const std::string& line);  // appends "\n"
  void SendText(const std::string& text);  // as it is, no "\n" added
  void CloseInput();
  // Reads until a line containing `text` arrives; returns every line read
  // (including that one). `found` tells whether it arrived in time.
  std::vector<std::string> ReadUntil(const std::string& text, int timeoutMs, bool* found = nullptr);
  // Waits for the process to end; returns its exit code, -1 on time-out.
  int Wait(int timeoutMs);
  std::string Output() const { return output_; }
  int Pid() const { return pid_; }

 private:
  bool ReadMore(int timeoutMs);
  int pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  std::string pending_;
  std::string output_;
};

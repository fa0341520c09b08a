// Puts the read end of a pipe on standard input for a test's duration, so
// that a test can hand the engine input as a GUI would. Whatever the test
// leaves unread, in the pipe or in stdin's buffer, is dropped at the end.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

class PipedStdin {
 public:
  PipedStdin() {
    EXPECT_EQ(pipe(fds_), 0);
    saved_ = dup(STDIN_FILENO);
    dup2(fds_[0], STDIN_FILENO);
    close(fds_[0]);
    clearerr(stdin);
  }
  ~PipedStdin() {
    CloseWriter();
    // The engine reads through stdin, which buffers ahead: the rest of a
    // line it read a word of would otherwise reach the next reader.
    while (getchar() != EOF) {
    }
    clearerr(stdin);
    dup2(saved_, STDIN_FILENO);
    close(saved_);
  }
  void Write(const char* text) { EXPECT_EQ(write(fds_[1], text, strlen(text)), (ssize_t)strlen(text)); }
  void CloseWriter() {
    if (fds_[1] >= 0) close(fds_[1]);
    fds_[1] = -1;
  }

 private:
  int fds_[2] = {-1, -1};
  int saved_ = -1;
};

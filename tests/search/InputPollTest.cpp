// The platform layer: the input test sees waiting input without taking it,
// counts end of file as input, and the clock measures elapsed time.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "search/InputPoll.h"
#include "support/PipedStdin.h"

namespace {
TEST(InputPollTest, WaitingInputIsSeenButNotConsumed) {
  PipedStdin in;
  EXPECT_EQ(InputWaiting(), 0);
  in.Write("stop\n");
  EXPECT_NE(InputWaiting(), 0);
  EXPECT_NE(InputWaiting(), 0);  // still there
  char word[8] = {};
  ASSERT_EQ(read(STDIN_FILENO, word, 5), 5);
  EXPECT_STREQ(word, "stop\n");
  EXPECT_EQ(InputWaiting(), 0);
  in.CloseWriter();
  EXPECT_NE(InputWaiting(), 0);  // end of file counts as input
}

TEST(InputPollTest, ClockMeasuresElapsedMilliseconds) {
  i32 start = ClockMs();
  auto wallStart = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  i32 elapsed = ClockMs() - start;
  auto wall = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - wallStart);
  EXPECT_GE(elapsed, 59);  // a sleeping process uses no processor time; the clock still runs
  EXPECT_LE(elapsed, wall.count() + 1);
}

TEST(InputPollTest, PauseEndsEarlyWhenInputArrives) {
  PipedStdin in;
  in.Write("x");
  i32 start = ClockMs();
  PauseForInput(2000);
  EXPECT_LT(ClockMs() - start, 1000);
  char c;
  EXPECT_EQ(read(STDIN_FILENO, &c, 1), 1);
}
}  // namespace

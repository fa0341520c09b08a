// EPD suites through the built binary: searched at a fixed depth (3 by
// default), evaluated only, or in mimic-student mode; an unreadable file ends
// the program with status 1.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/EngineProcess.h"

namespace {
// A suite file that removes itself.
class SuiteFile {
 public:
  explicit SuiteFile(const std::string& text) {
    char name[] = "/tmp/vorn-suite-XXXXXX";
    int fd = mkstemp(name);
    path_ = name;
    ssize_t n = write(fd, text.data(), text.size());
    (void)n;
    close(fd);
  }
  ~SuiteFile() { unlink(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const char* const TwoMates =
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - bm Rd8#; id \"mate in 1\";\n"
    "r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - bm Nf6+; id \"mate in 2\";\n";

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
  return n;
}

TEST(EPDSuiteTest, SearchesEachPositionAtDepthThree) {
  SuiteFile suite(TwoMates);
  // The program waits for its first input word before it runs the suite.
  ProcessResult r = RunEngine({"-ts", suite.path()}, "go\n", 60000);
  EXPECT_EQ(r.exitCode, 0);
  const std::string& out = r.output;
  EXPECT_NE(out.find("## file opened " + suite.path() + "\n## Entering ParseEPDSuite and Opened data file\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(Count(out, "\n1  "), 2u) << out;
  // Each board shown is followed by its evaluation line.
  EXPECT_EQ(Count(out, "   A B C D E F G H\n\n PosEval from White view "), 2u) << out;
  EXPECT_NE(out.find("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - bm Rd8#; id \"mate in 1\";\n"), std::string::npos);
  EXPECT_NE(out.find("\n3 109999    d1d8 \n"), std::string::npos) << out;
  EXPECT_NE(out.find("\n3 109997    d5f6 g7f6 c4f7 \n"), std::string::npos) << out;
  EXPECT_EQ(out.size() >= 2 ? out.substr(out.size() - 2) : out, "2\n");
}

TEST(EPDSuiteTest, FixedDepthFromTheCommandLine) {
  SuiteFile suite(TwoMates);
  ProcessResult r = RunEngine({"-fd", "2", "-ts", suite.path()}, "go\n", 60000);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.output.find("\n2 109999    d1d8 \n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("\n2 109997    d5f6 g7f6 c4f7 \n"), std::string::npos) << r.output;
}

TEST(EPDSuiteTest, EvaluationModesSearchNothing) {
  SuiteFile suite(std::string(TwoMates) + "\n");
  ProcessResult pev = RunEngine({"-pev", suite.path()}, "go\n", 60000);
  EXPECT_EQ(pev.exitCode, 0);
  EXPECT_EQ(Count(pev.output, "\n1  "), 2u) << pev.output;
  // The full evaluation detail takes the place of the line after the board.
  EXPECT_EQ(Count(pev.output, "PosEval from White view"), 0u) << pev.output;
  EXPECT_EQ(pev.output.find("109999"), std::string::npos);
  EXPECT_EQ(pev.output.substr(pev.output.size() - 2), "2\n");  // the blank line is no position

  ProcessResult mimic = RunEngine({"-mimicstudent", suite.path()}, "go\n", 60000);
  EXPECT_EQ(mimic.exitCode, 0);
  EXPECT_NE(mimic.output.find("## Mimic Student option detected \n"), std::string::npos);
  EXPECT_NE(mimic.output.find("## Mimic == STUDENT\n"), std::string::npos);
  EXPECT_NE(mimic.output.find("In ParseEPDSuite and Mimic == STUDENT \n"), std::string::npos);
  EXPECT_EQ(Count(mimic.output, "A B C D E F G H"), 0u) << mimic.output;
  EXPECT_EQ(mimic.output.substr(mimic.output.size() - 2), "2\n");
}

TEST(EPDSuiteTest, UnreadableFileEndsWithStatusOne) {
  ProcessResult r = RunEngine({"-ts", "/nonexistent/suite.epd"}, "go\n", 30000);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("ERROR: opening file /nonexistent/suite.epd\n"), std::string::npos) << r.output;
}
}  // namespace

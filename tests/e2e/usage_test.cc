// The usage text, printed when the program gets no arguments at all.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/texts.h"
#include "tests/e2e/run_program.h"

namespace tracksift::e2e {
namespace {

std::string UsageText(Encoding encoding) {
  const FixedText empty{"", ""};
  std::string text;
  for (const FixedText* line :
       {&kUsageLine1, &empty, &kUsageLine3, &empty, &kUsageLine5, &empty, &kUsageLine7,
        &kUsageLine8, &kUsageLine9, &empty, &kUsageLine11, &kUsageLine12, &empty,
        &kUsageLine14, &kUsageLine15}) {
    text += std::string(Render(*line, encoding)) + "\r\n";
  }
  return text;
}

class UsageTest : public testing::Test {
 protected:
  RunOptions InDir() {
    RunOptions options;
    options.working_dir = dir_.path();
    return options;
  }
  TempDir dir_;
};

TEST_F(UsageTest, NoArgumentsPrintTheUsageToAPipe) {
  const RunResult result = RunTracksift({}, InDir());
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.out.size(), 530u);
  EXPECT_EQ(result.out, UsageText(Encoding::kCp932));
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(ListDir(dir_.path()).empty());
}

TEST_F(UsageTest, RedirectedToAFileTheFileHoldsTheSameBytes) {
  TempDir out_dir;
  RunOptions options = InDir();
  options.stdout_file = out_dir / "usage.txt";
  const RunResult result = RunTracksift({}, options);
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(ReadFile(out_dir / "usage.txt"), UsageText(Encoding::kCp932));
  EXPECT_TRUE(ListDir(dir_.path()).empty());
}

TEST_F(UsageTest, Utf8TerminalShowsTheTextInUtf8) {
  RunOptions options = InDir();
  options.stdout_mode = StdoutMode::kTerminal;
  options.env = {{"LC_ALL", "C.UTF-8"}};
  const RunResult result = RunTracksift({}, options);
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.out, UsageText(Encoding::kUtf8));
  EXPECT_EQ(result.err, "");
}

TEST_F(UsageTest, OtherwiseTheTextIsAlwaysCp932) {
  struct Case {
    const char* name;
    StdoutMode mode;
    const char* locale;
  };
  for (const Case& c : {Case{"terminal, C locale", StdoutMode::kTerminal, "C"},
                        Case{"pipe, UTF-8 locale", StdoutMode::kPipe, "C.UTF-8"}}) {
    SCOPED_TRACE(c.name);
    RunOptions options = InDir();
    options.stdout_mode = c.mode;
    options.env = {{"LC_ALL", c.locale}};
    const RunResult result = RunTracksift({}, options);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, UsageText(Encoding::kCp932));
  }
}

TEST_F(UsageTest, AnyArgumentAtAllIsAFilteringRun) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{""}, std::vector<std::string>{"-k100"},
        std::vector<std::string>{"-?"}}) {
    const RunResult result = RunTracksift(args, InDir());
    EXPECT_EQ(result.exit_status, 1) << args[0];
    EXPECT_EQ(result.out.rfind("EFOpenError ", 0), 0u) << args[0];
  }
}

}  // namespace
}  // namespace tracksift::e2e

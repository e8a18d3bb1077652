// End to end: logs in, kept blocks out, through the built program.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/logs_and_folders.h"
#include "tests/e2e/run_program.h"

namespace tracksift::e2e {
namespace {

class FilterTest : public testing::Test {
 protected:
  // Runs with args and checks what every successful run shows: exit status
  // 0 and nothing on either output.
  void RunOk(const std::vector<std::string>& args, const RunOptions& options = {}) {
    const RunResult r = RunTracksift(args, options);
    EXPECT_EQ(r.exit_status, 0) << r.out;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
  }
  // Runs with args and checks a failure of the given kind.
  void RunFails(const std::vector<std::string>& args, const std::string& kind,
                const RunOptions& options = {}) {
    const RunResult r = RunTracksift(args, options);
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.out.substr(0, kind.size() + 1), kind + " ") << r.out;
    EXPECT_EQ(r.err, "");
  }
  TempDir dir_;
};

TEST_F(FilterTest, KeepsBlocksByStatusSpeedAndRatio) {
  const std::vector<std::pair<std::string, std::string>> blocks = {
      {"A", "020.0"}, {"A", "059.9"}, {"A", "030.0"}, {"V", ""},
      {"A", "031.0"}, {"A", "050.0"}, {"A", "000.0"}, {"A", "000.0"},
      {"A", "012.0"}, {"A", "036.0"}, {"A", "040.0"}};
  std::string log;
  for (const auto& [status, speed] : blocks) log += Block(status, speed);
  WriteFile(dir_ / "in.log", log);
  RunOk({"-k100", "-x3", dir_ / "in.log", dir_ / "out.log"});
  EXPECT_EQ(ReadFile(dir_ / "out.log"), Block("A", "020.0") + Block("A", "030.0") +
                                             Block("A", "050.0") + Block("A", "000.0") +
                                             Block("A", "040.0"));
  EXPECT_EQ(ReadFile(dir_ / "in.log"), log);
}

TEST_F(FilterTest, WithoutOptionsEveryValidFixIsKept) {
  WriteFile(dir_ / "in.log", Block("A", "900.0") + Block("V", "") + Block("A", "000.0") +
                                 Block("A", "5.0"));
  RunOk({dir_ / "in.log", dir_ / "out.log"});
  EXPECT_EQ(ReadFile(dir_ / "out.log"),
            Block("A", "900.0") + Block("A", "000.0") + Block("A", "5.0"));
  RunOk({"-k-1", "-x-1", dir_ / "in.log", dir_ / "out2.log"});
  EXPECT_EQ(ReadFile(dir_ / "out2.log"), ReadFile(dir_ / "out.log"));
}

TEST_F(FilterTest, EveryLineOfTheOutputEndsWithCrLf) {
  // LF, lone CR and a last line without any break.
  const std::string log = Block("A", "1.0", "\n") + Block("A", "2.0", "\r") +
                          Block("A", "3.0").substr(0, Block("A", "3.0").size() - 2);
  WriteFile(dir_ / "in.log", log);
  RunOk({dir_ / "in.log", dir_ / "out.log"});
  EXPECT_EQ(ReadFile(dir_ / "out.log"),
            Block("A", "1.0") + Block("A", "2.0") + Block("A", "3.0"));
}

TEST_F(FilterTest, AnEmptyLogGivesAnEmptyFile) {
  WriteFile(dir_ / "in.log", "");
  WriteFile(dir_ / "out.log", "old contents");
  RunOk({dir_ / "in.log", dir_ / "out.log"});
  EXPECT_TRUE(FileExists(dir_ / "out.log"));
  EXPECT_EQ(ReadFile(dir_ / "out.log"), "");
}

TEST_F(FilterTest, AFailureOnTheWayLeavesNoOutputAndAnOldOneUntouched) {
  std::string log;
  for (int i = 0; i < 9; ++i) log += Block("A", "10.0");
  log += Block("A", "fast");  // the tenth block's speed is no number
  WriteFile(dir_ / "in.log", log);
  RunFails({dir_ / "in.log", dir_ / "out.log"}, "EConvertError");
  EXPECT_FALSE(FileExists(dir_ / "out.log"));
  WriteFile(dir_ / "old.log", "old contents");
  RunFails({dir_ / "in.log", dir_ / "old.log"}, "EConvertError");
  EXPECT_EQ(ReadFile(dir_ / "old.log"), "old contents");
  // Output to the input's own path: the log survives the failure.
  RunFails({dir_ / "in.log", dir_ / "in.log"}, "EConvertError");
  EXPECT_EQ(ReadFile(dir_ / "in.log"), log);
  EXPECT_EQ(ListDir(dir_.path()), (std::vector<std::string>{"in.log", "old.log"}));
}

TEST_F(FilterTest, TheOutputMayReplaceTheInput) {
  WriteFile(dir_ / "log", Block("A", "1.0", "\n") + Block("V", "", "\n"));
  RunOk({dir_ / "log", dir_ / "log"});
  EXPECT_EQ(ReadFile(dir_ / "log"), Block("A", "1.0"));
  EXPECT_EQ(ListDir(dir_.path()), std::vector<std::string>{"log"});
}

TEST_F(FilterTest, InputFromAPipe) {
  RunOptions options;
  options.feed_stdin = true;
  for (int i = 0; i < 3000; ++i) options.stdin_data += Block(i % 2 ? "A" : "V", "1.0");
  RunOk({"/dev/stdin", dir_ / "out.log"}, options);
  EXPECT_EQ(ReadFile(dir_ / "out.log").size(), options.stdin_data.size() / 2);
}

TEST_F(FilterTest, OptionNumbersUseTheLocalesDecimalMarkAndSpeedFieldsAFullStop) {
  // A German locale, built into the test's folder so that nothing needs to
  // be installed system-wide.
  if (system(("localedef -i de_DE -f UTF-8 '" + (dir_ / "de_DE.UTF-8") +
              "' >/dev/null 2>&1").c_str()) != 0 ||
      !FileExists(dir_ / "de_DE.UTF-8/LC_NUMERIC")) {
    GTEST_SKIP() << "localedef or the de_DE locale source is not available";
  }
  RunOptions german;
  german.env = {{"LOCPATH", dir_.path()}, {"LC_ALL", "de_DE.UTF-8"}};
  // 7.5 km/h is 4.05 knots: 4.0 passes, 4.1 does not; then 2.5 times the
  // speed before is the limit.
  WriteFile(dir_ / "in.log", Block("A", "004.0") + Block("A", "004.1") +
                                 Block("A", "001.0") + Block("A", "002.5") +
                                 Block("A", "002.4"));
  RunOk({"-k7,5", "-x2,5", dir_ / "in.log", dir_ / "out.log"}, german);
  EXPECT_EQ(ReadFile(dir_ / "out.log"),
            Block("A", "004.0") + Block("A", "001.0") + Block("A", "002.4"));
  // With a full stop the speed number cannot be read, so that test is off;
  // the ratio number cannot be read and ends the run.
  RunOk({"-k7.5", dir_ / "in.log", dir_ / "out2.log"}, german);
  EXPECT_EQ(ReadFile(dir_ / "out2.log"), ReadFile(dir_ / "in.log"));
  RunFails({"-x2.5", dir_ / "in.log", dir_ / "out3.log"}, "EConvertError", german);
}

TEST_F(FilterTest, OutputToAPipeThroughDevStdout) {
  WriteFile(dir_ / "in.log", Block("A", "1.0", "\n") + Block("V", ""));
  const RunResult r = RunTracksift({dir_ / "in.log", "/dev/stdout"});
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(r.out, Block("A", "1.0"));
  EXPECT_EQ(r.err, "");
}

TEST_F(FilterTest, BadInputEndsInAReportNeverACrash) {
  struct Case {
    std::string name, bytes, kind;
  };
  std::string binary;
  for (int i = 0; i < 70000; ++i) binary += static_cast<char>((i * 7919) % 255 + 1);  // no NUL
  const std::vector<Case> cases = {
      {"no terminator", "$GPRMC,1,A,,,,,,1.0\r\n", "EStringListError"},
      {"no fix sentence", "$GPGGA\r\n" + kTerminator + "\r\n", "EStringListError"},
      {"binary", binary, "EStringListError"},
      {"one long line", std::string(20 << 20, 'x'), "EStringListError"},
      {"empty line after the last block", Block("A", "1") + "\r\n", "EStringListError"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(dir_ / "in.log", c.bytes);
    RunFails({dir_ / "in.log", dir_ / "out.log"}, c.kind);
    EXPECT_FALSE(FileExists(dir_ / "out.log"));
  }
  // A NUL ends the text: what follows it is never read.
  WriteFile(dir_ / "in.log", Block("A", "1") + std::string(1, '\0') + "garbage");
  RunOk({dir_ / "in.log", dir_ / "out.log"});
  EXPECT_EQ(ReadFile(dir_ / "out.log"), Block("A", "1"));
}

TEST_F(FilterTest, FileNamesThatCannotBeUsed) {
  WriteFile(dir_ / "in.log", Block("A", "1"));
  RunFails({dir_ / "missing.log", dir_ / "out.log"}, "EFOpenError");
  RunFails({dir_.path(), dir_ / "out.log"}, "EFOpenError");
  RunFails({"-k100"}, "EFOpenError");
  RunFails({dir_ / "in.log"}, "EFCreateError");
  RunFails({dir_ / "in.log", dir_.path()}, "EFCreateError");
  RunFails({dir_ / "in.log", dir_ / "no/such/folder"}, "EFCreateError");
  RunFails({dir_ / "in.log", "/dev/full"}, "EWriteError");
  EXPECT_EQ(ListDir(dir_.path()), std::vector<std::string>{"in.log"});
}

}  // namespace
}  // namespace tracksift::e2e

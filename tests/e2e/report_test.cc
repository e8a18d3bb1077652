// The failure report: what a run that fails prints, and its exit status.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "base/texts.h"
#include "tests/e2e/logs_and_folders.h"
#include "tests/e2e/run_program.h"

namespace tracksift::e2e {
namespace {

// The first line of a report, with the code location still to be filled in.
std::string FirstLine(const std::string& kind, Encoding encoding) {
  return kind + std::string(Render(kReportRaisedIn, encoding)) + "tracksift" +
         std::string(Render(kReportAt, encoding)) + "########" +
         std::string(Render(kReportOccurred, encoding)) + "\r\n";
}

bool IsCodeLocation(const std::string& digits) {
  return digits.size() == 8 && digits.find_first_not_of("0123456789ABCDEF") == std::string::npos;
}

// Checks that a run ended with exactly the report of the given kind and
// message (a "." added) and returns its code location.
std::string ExpectReport(const RunResult& result, const std::string& kind,
                         const std::string& message, Encoding encoding = Encoding::kCp932) {
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.err, "");
  std::string expected = FirstLine(kind, encoding) + message + ".\r\n\r\n";
  const size_t at = expected.find("########");
  const std::string location = result.out.substr(at, 8);
  EXPECT_TRUE(IsCodeLocation(location)) << location;
  expected.replace(at, 8, location);
  EXPECT_EQ(result.out, expected);
  return location;
}

using ReportTest = InFolderTest;

TEST_F(ReportTest, MissingInput) {
  const RunResult result = Run({"in.log", "out.log"});
  ExpectReport(result, "EFOpenError", Cp932(kOpenErrorBefore) + "in.log" + Cp932(kOpenErrorAfter));
  EXPECT_TRUE(ListDir(dir_.path()).empty());
}

TEST_F(ReportTest, OutputThatCannotBeCreated) {
  WriteFile(dir_ / "in.log", "");
  const RunResult result = Run({"in.log", "no/such/folder/out.log"});
  ExpectReport(result, "EFCreateError",
               Cp932(kCreateErrorBefore) + "no/such/folder/out.log" + Cp932(kCreateErrorAfter));
  EXPECT_EQ(ListDir(dir_.path()), std::vector<std::string>{"in.log"});
}

TEST_F(ReportTest, LogEndingInsideABlock) {
  // One whole block of four lines, then six lines and no terminator.
  std::string log = "$GPGGA,1\r\n$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n"
                    "$GPGSA,1\r\n" + kTerminator + "\r\n";
  for (int i = 0; i < 6; ++i) log += "$GPGSV,1\r\n";
  WriteFile(dir_ / "in.log", log);
  const RunResult result = Run({"in.log", "out.log"});
  ExpectReport(result, "EStringListError",
               Cp932(kListIndexBefore) + "10" + Cp932(kListIndexAfter));
  EXPECT_EQ(ListDir(dir_.path()), std::vector<std::string>{"in.log"});
}

TEST_F(ReportTest, RatioThatIsNoNumberOrTooLarge) {
  const RunResult convert = Run({"-xabc", "in.log", "out.log"});
  const std::string location =
      ExpectReport(convert, "EConvertError", Cp932(kConvertBefore) + "abc" + Cp932(kConvertAfter));
  const RunResult overflow = Run({"-x1E400", "in.log", "out.log"});
  ExpectReport(overflow, "EOverflow", Cp932(kOverflowMessage));
  // The code location is the same on every run.
  EXPECT_EQ(ExpectReport(Run({"-xabc", "in.log", "out.log"}), "EConvertError",
                         Cp932(kConvertBefore) + "abc" + Cp932(kConvertAfter)),
            location);
  EXPECT_TRUE(ListDir(dir_.path()).empty());
}

TEST_F(ReportTest, ReportIsCutAt1024Bytes) {
  const std::string path(1100, 'p');
  const RunResult result = Run({path, "out.log"});
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.err, "");
  ASSERT_EQ(result.out.size(), 1024u + 2);
  std::string full = FirstLine("EFOpenError", Encoding::kCp932) + Cp932(kOpenErrorBefore) + path;
  full.replace(full.find("########"), 8, result.out.substr(full.find("########"), 8));
  EXPECT_EQ(result.out, full.substr(0, 1024) + "\r\n");
}

TEST_F(ReportTest, NoStandardOutput) {
  RunOptions options;
  options.stdout_mode = StdoutMode::kClosed;
  const RunResult result = Run({}, options);
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.err, "");
}

TEST_F(ReportTest, ReaderOfThePipeHasGone) {
  RunOptions options;
  options.stdout_mode = StdoutMode::kBrokenPipe;
  const RunResult result = Run({}, options);
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.err, "");
}

TEST_F(ReportTest, MemoryRunsOut) {
#if defined(TRACKSIFT_ADDRESS_SANITIZER)
  GTEST_SKIP() << "an address-space limit does not work under AddressSanitizer";
#elif defined(TRACKSIFT_LAUNCHER)
  GTEST_SKIP() << "an address-space limit does not work under an emulator";
#else
  // A single line of 160 MiB, which must be held whole to be judged, read
  // by a program limited to 96 MiB of address space.
  WriteFile(dir_ / "in.log", std::string(size_t{160} << 20, 'x'));
  RunOptions options;
  options.limits = {{RLIMIT_AS, rlim_t{96} << 20}};
  const RunResult result = Run({"in.log", "out.log"}, options);
  ExpectReport(result, "EOutOfMemory", Cp932(kOutOfMemoryMessage));
  EXPECT_EQ(ListDir(dir_.path()), std::vector<std::string>{"in.log"});
#endif
}

TEST_F(ReportTest, ReportToAFile) {
  TempDir out_dir;
  RunOptions options;
  options.stdout_file = out_dir / "report.txt";
  const RunResult result = Run({"-xabc", "in.log", "out.log"}, options);
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.out, "");
  RunResult as_read = result;
  as_read.out = ReadFile(out_dir / "report.txt");
  ExpectReport(as_read, "EConvertError", Cp932(kConvertBefore) + "abc" + Cp932(kConvertAfter));
}

TEST_F(ReportTest, Utf8TerminalShowsFixedTextsInUtf8AndNamesAsGiven) {
  // A file name in cp932 ("あ") is shown as its bytes, never converted.
  const std::string name = "in\x82\xA0.log";
  RunOptions options;
  options.stdout_mode = StdoutMode::kTerminal;
  options.env = {{"LC_ALL", "C.UTF-8"}};
  ExpectReport(Run({name, "out.log"}, options), "EFOpenError",
               "ファイル " + name + " は開けません", Encoding::kUtf8);
  options.env = {{"LC_ALL", "C"}};
  ExpectReport(Run({name, "out.log"}, options), "EFOpenError",
               Cp932(kOpenErrorBefore) + name + Cp932(kOpenErrorAfter));
}

}  // namespace
}  // namespace tracksift::e2e

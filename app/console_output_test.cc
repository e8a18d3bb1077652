#include "app/console_output.h"

#include <errno.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "app/fake_console_device.h"
#include "app/usage.h"
#include "base/failure.h"

namespace tracksift {
namespace {

using Kind = ConsoleDevice::Kind;

// The number a PrintLine raised, or 0 when it raised nothing.
int32_t PrintLineError(ConsoleOutput& console, std::string_view text) {
  try {
    console.PrintLine(text);
  } catch (const EInOutError& failure) {
    return failure.ErrorNumber();
  }
  return 0;
}

TEST(ConsoleOutputTest, UsageToAPipeLeavesInFullBuffersThenTheRest) {
  FakeConsoleDevice pipe(Kind::kOther);
  ConsoleOutput console(pipe);
  PrintUsage(console, Encoding::kCp932);
  EXPECT_EQ(pipe.Sizes(), (std::vector<size_t>{128, 128, 128, 128}));
  console.Flush();
  EXPECT_EQ(pipe.Sizes(), (std::vector<size_t>{128, 128, 128, 128, 18}));
  console.Flush();  // nothing left
  EXPECT_EQ(pipe.writes.size(), 5u);
  const std::string text = pipe.Delivered();
  EXPECT_EQ(text.substr(0, 81), std::string(kUsageLine1.cp932) + "\r\n\r\n");
  EXPECT_EQ(text.substr(530 - 56), std::string(kUsageLine15.cp932) + "\r\n");
  EXPECT_EQ(pipe.probes, 1);
}

TEST(ConsoleOutputTest, UsageToATerminalLeavesLineByLine) {
  FakeConsoleDevice terminal(Kind::kCharacterDevice);
  ConsoleOutput console(terminal);
  PrintUsage(console, Encoding::kCp932);
  EXPECT_EQ(terminal.Sizes(), (std::vector<size_t>{79, 2, 55, 2, 48, 2, 52, 51, 42, 2, 57,
                                                    24, 2, 56, 56}));
  for (const std::string& line : terminal.writes) EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
  EXPECT_EQ(terminal.writes[4], std::string(kUsageLine5.cp932) + "\r\n");
}

TEST(ConsoleOutputTest, ExactlyFullBufferLeavesAtOnce) {
  FakeConsoleDevice pipe(Kind::kOther);
  ConsoleOutput console(pipe);
  console.PrintLine(std::string(126, 'a'));
  EXPECT_EQ(pipe.Sizes(), (std::vector<size_t>{128}));
  console.PrintLine(std::string(300, 'b'));
  EXPECT_EQ(pipe.Sizes(), (std::vector<size_t>{128, 128, 128}));
  console.Flush();
  EXPECT_EQ(pipe.Sizes(), (std::vector<size_t>{128, 128, 128, 46}));
  EXPECT_EQ(pipe.Delivered(), std::string(126, 'a') + "\r\n" + std::string(300, 'b') + "\r\n");
}

TEST(ConsoleOutputTest, ReaderGoneFailsTheLineThatFillsTheBuffer) {
  FakeConsoleDevice pipe(Kind::kOther);
  pipe.fail_from = 0;
  pipe.error = EPIPE;
  ConsoleOutput console(pipe);
  // The first two lines of the usage text take 81 bytes and wait in the
  // buffer; the third fills it.
  EXPECT_EQ(PrintLineError(console, kUsageLine1.cp932), 0);
  EXPECT_EQ(PrintLineError(console, ""), 0);
  EXPECT_EQ(PrintLineError(console, kUsageLine3.cp932), InOutErrorNumber(EPIPE));
  EXPECT_EQ(pipe.Sizes(), (std::vector<size_t>{128}));
  // The error was taken: with the reader back, the next line goes through.
  pipe.fail_from = -1;
  EXPECT_EQ(PrintLineError(console, "x"), 0);
  console.Flush();
  EXPECT_EQ(pipe.writes.back(), "\r\nx\r\n");
}

TEST(ConsoleOutputTest, FailedWriteDropsTheRestOfItsTextButNotTheLineEnd) {
  FakeConsoleDevice pipe(Kind::kOther);
  pipe.fail_from = 0;
  pipe.error = EIO;
  ConsoleOutput console(pipe);
  EXPECT_EQ(PrintLineError(console, std::string(300, 'c')), InOutErrorNumber(EIO));
  EXPECT_EQ(pipe.Sizes(), (std::vector<size_t>{128}));
  pipe.fail_from = -1;
  console.Flush();
  EXPECT_EQ(pipe.writes.back(), "\r\n");
}

TEST(ConsoleOutputTest, FailedFlushOnATerminalIsRaisedAtTheLineEnd) {
  FakeConsoleDevice terminal(Kind::kCharacterDevice);
  terminal.fail_from = 1;
  terminal.error = ENOSPC;
  ConsoleOutput console(terminal);
  EXPECT_EQ(PrintLineError(console, "one"), 0);
  EXPECT_EQ(PrintLineError(console, "two"), InOutErrorNumber(ENOSPC));
  EXPECT_EQ(PrintLineError(console, "three"), InOutErrorNumber(ENOSPC));
  EXPECT_EQ(terminal.writes, (std::vector<std::string>{"one\r\n", "two\r\n", "three\r\n"}));
}

TEST(ConsoleOutputTest, NoStandardOutputFailsEveryLineWith105) {
  FakeConsoleDevice missing(Kind::kMissing);
  ConsoleOutput console(missing);
  EXPECT_EQ(PrintLineError(console, ""), ConsoleOutput::kNoOutput);
  EXPECT_EQ(PrintLineError(console, "text"), 105);
  EXPECT_TRUE(missing.writes.empty());
  // Every write tries to open the channel again; once there is an output,
  // it opens.
  const int probes = missing.probes;
  missing.kind = Kind::kOther;
  EXPECT_EQ(PrintLineError(console, "late"), 0);
  EXPECT_EQ(missing.probes, probes + 1);
  console.Flush();
  EXPECT_EQ(missing.writes, (std::vector<std::string>{"late\r\n"}));
}

TEST(ConsoleOutputTest, FlushLeavesAClosedChannelAlone) {
  FakeConsoleDevice pipe(Kind::kOther);
  ConsoleOutput console(pipe);
  console.Flush();
  EXPECT_EQ(pipe.probes, 0);
  EXPECT_TRUE(pipe.writes.empty());
  EXPECT_EQ(console.TakePendingError(), 0);
}

TEST(ConsoleOutputTest, FlushFailureIsPendingUntilTaken) {
  FakeConsoleDevice pipe(Kind::kOther);
  pipe.fail_from = 0;
  pipe.error = EBADF;
  ConsoleOutput console(pipe);
  console.PrintLine("held");  // waits in the buffer, so nothing fails yet
  console.Flush();
  EXPECT_EQ(pipe.writes, (std::vector<std::string>{"held\r\n"}));
  EXPECT_EQ(console.TakePendingError(), InOutErrorNumber(EBADF));
  EXPECT_EQ(console.TakePendingError(), 0);
  console.Flush();  // the buffer was emptied by the failed write
  EXPECT_EQ(pipe.writes.size(), 1u);
}

TEST(ConsoleOutputTest, SystemErrorsMapToInOutNumbers) {
  const struct {
    int system_error;
    int32_t number;
  } kCases[] = {
      {ENOENT, 2},  {ENOTDIR, 3}, {EMFILE, 4},  {ENFILE, 4},
      {EACCES, 5},  {EPERM, 5},   {EIO, 1000 + EIO},
      {EPIPE, 1000 + EPIPE},      {ENOSPC, 1000 + ENOSPC},
  };
  for (const auto& c : kCases) EXPECT_EQ(InOutErrorNumber(c.system_error), c.number);
  // No other error lands on a number whose message tells something else.
  const int kMapped[] = {ENOENT, ENOTDIR, EMFILE, ENFILE, EACCES, EPERM};
  for (int e = 1; e < 200; ++e) {
    if (std::find(std::begin(kMapped), std::end(kMapped), e) != std::end(kMapped)) continue;
    const int32_t n = InOutErrorNumber(e);
    EXPECT_TRUE((n < 2 || n > 5) && n != 100 && n != 101 && n != 105 && n != 106) << e;
  }
}

}  // namespace
}  // namespace tracksift

#include "app/failure_report.h"

#include <errno.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/fake_console_device.h"
#include "base/iconv_for_tests.h"

namespace tracksift {
namespace {

// A failure whose message is exactly the given bytes.
class TestFailure final : public Exception {
 public:
  explicit TestFailure(std::string_view message)
      : Exception(FixedText{}, message, FixedText{}, nullptr) {}
  const char* KindName() const override { return "ETest"; }
};

std::string Compose(const Exception& failure, std::string_view name, Encoding encoding) {
  char area[kReportLimit];
  const size_t size = ComposeReport(failure, name, encoding, area);
  return std::string(area, size);
}

std::string Location(const Exception& failure) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(failure.CodeLocation()));
  return hex;
}

// The cp932 form of a UTF-8 text, by the C library.
std::string Cp932(const std::string& utf8) { return Iconv("CP932", "UTF-8", utf8); }

// The first line of a report in UTF-8.
std::string FirstLine(const Exception& failure, const std::string& name) {
  return std::string(failure.KindName()) + " がモジュール " + name + " の " + Location(failure) +
         " で発生しました。\r\n";
}

TEST(FailureReportTest, ComposesBothLines) {
  const EFOpenError open("in.log");
  EXPECT_EQ(Compose(open, "tracksift", Encoding::kCp932),
            Cp932(FirstLine(open, "tracksift") + "ファイル in.log は開けません.\r\n"));
  const EStringListError list(10);
  EXPECT_EQ(Compose(list, "tracksift", Encoding::kUtf8),
            FirstLine(list, "tracksift") + "リストのインデックスが範囲を超えています (10).\r\n");
  // Bytes from the command line stay as they are in either form.
  const std::string path = "\x82\xA0\xFF.log";
  const EFCreateError create(path);
  EXPECT_EQ(Compose(create, "t", Encoding::kUtf8),
            FirstLine(create, "t") + "ファイル " + path + " を作成できません.\r\n");
  EXPECT_EQ(Compose(create, "t", Encoding::kCp932),
            Cp932(FirstLine(create, "t") + "ファイル ") + path +
                Cp932(" を作成できません.\r\n"));
}

TEST(FailureReportTest, CodeLocationIsEightUppercaseHexDigits) {
  const EOverflow overflow;
  const std::string report = Compose(overflow, "p", Encoding::kCp932);
  const size_t at = report.find(Cp932(" の ")) + 4;
  const std::string digits = report.substr(at, 8);
  EXPECT_EQ(digits.find_first_not_of("0123456789ABCDEF"), std::string::npos) << digits;
  EXPECT_EQ(report[at + 8], ' ');
  EXPECT_EQ(digits, Location(overflow));
}

TEST(FailureReportTest, FullStopIsAddedUnlessTheLastByteIsOne) {
  const struct {
    const char* message;
    const char* second_line;
  } kCases[] = {
      {"", "\r\n"},
      {"done.", "done.\r\n"},
      {".", ".\r\n"},
      {"ends in a bracket)", "ends in a bracket).\r\n"},
      {"終わり。", "終わり。.\r\n"},
      {"dot. then more", "dot. then more.\r\n"},
  };
  for (const auto& c : kCases) {
    const TestFailure failure(c.message);
    EXPECT_EQ(Compose(failure, "p", Encoding::kUtf8),
              FirstLine(failure, "p") + c.second_line);
  }
}

// A failure to open a path of the given length, whose report in the given
// form is cut at 1024 bytes; also the uncut text.
struct LongReport {
  std::string full;
  std::string cut;
};

LongReport ReportWithPathLength(size_t path_length, Encoding encoding) {
  const EFOpenError failure(std::string(path_length, 'p'));
  std::string full = FirstLine(failure, "tracksift") + "ファイル " + std::string(path_length, 'p') +
                     " は開けません.\r\n";
  if (encoding == Encoding::kCp932) full = Cp932(full);
  return {full, Compose(failure, "tracksift", encoding)};
}

TEST(FailureReportTest, Cp932ReportIsCutAt1024BytesEvenInsideACharacter) {
  const LongReport whole = ReportWithPathLength(1100, Encoding::kCp932);
  EXPECT_EQ(whole.cut, whole.full.substr(0, kReportLimit));
  // Place the cut between the two bytes of "は" (0x82 0xCD).
  const size_t before_path = ReportWithPathLength(0, Encoding::kCp932).full.find(" \x82\xCD");
  const size_t path_length = kReportLimit - 2 - before_path;
  const LongReport split = ReportWithPathLength(path_length, Encoding::kCp932);
  ASSERT_EQ(split.cut.size(), kReportLimit);
  EXPECT_EQ(split.cut, split.full.substr(0, kReportLimit));
  EXPECT_EQ(split.cut.substr(kReportLimit - 2), " \x82");
}

TEST(FailureReportTest, Utf8ReportIsCutBeforeACharacterThatWouldBeSplit) {
  // "は" is E3 81 AF in UTF-8; put its first byte at 1022, 1023 and 1021.
  const size_t before_path = ReportWithPathLength(0, Encoding::kUtf8).full.find(" は") + 1;
  for (size_t start : {kReportLimit - 2, kReportLimit - 1, kReportLimit - 3}) {
    const LongReport r = ReportWithPathLength(start - before_path, Encoding::kUtf8);
    const size_t kept = start == kReportLimit - 3 ? kReportLimit : start;
    EXPECT_EQ(r.cut, r.full.substr(0, kept)) << start;
  }
}

TEST(FailureReportTest, LongProgramNameCanTakeTheWholeArea) {
  const EOverflow overflow;
  const std::string name(1100, 'n');
  const std::string report = Compose(overflow, name, Encoding::kCp932);
  EXPECT_EQ(report, Cp932("EOverflow がモジュール ") + name.substr(0, kReportLimit - 23));
}

TEST(FailureReportTest, FlushesFirstThenWritesTextAndLineEnd) {
  FakeConsoleDevice pipe(ConsoleDevice::Kind::kOther);
  ConsoleOutput console(pipe);
  console.PrintLine("before");
  const EConvertError failure("abc");
  WriteFailureReport(failure, console, "tracksift", Encoding::kCp932);
  EXPECT_EQ(pipe.writes, (std::vector<std::string>{
                             "before\r\n", Compose(failure, "tracksift", Encoding::kCp932),
                             "\r\n"}));
}

TEST(FailureReportTest, BypassesAChannelThatNeverOpened) {
  FakeConsoleDevice pipe(ConsoleDevice::Kind::kOther);
  ConsoleOutput console(pipe);
  const EFOpenError failure("in.log");
  WriteFailureReport(failure, console, "tracksift", Encoding::kUtf8);
  EXPECT_EQ(pipe.probes, 0);
  EXPECT_EQ(pipe.writes, (std::vector<std::string>{
                             Compose(failure, "tracksift", Encoding::kUtf8), "\r\n"}));
}

TEST(FailureReportTest, FailedFlushIsReportedInsteadAndWriteFailuresAreIgnored) {
  FakeConsoleDevice pipe(ConsoleDevice::Kind::kOther);
  ConsoleOutput console(pipe);
  console.PrintLine("before");
  pipe.fail_from = 0;
  pipe.error = EIO;
  const EFOpenError failure("in.log");
  WriteFailureReport(failure, console, "tracksift", Encoding::kUtf8);
  ASSERT_EQ(pipe.writes.size(), 3u);
  EXPECT_EQ(pipe.writes[0], "before\r\n");
  const std::string& report = pipe.writes[1];
  EXPECT_EQ(report.rfind("EInOutError がモジュール tracksift の ", 0), 0u) << report;
  const std::string second_line = "I/O エラー (" + std::to_string(1000 + EIO) + ").\r\n";
  ASSERT_GE(report.size(), second_line.size());
  EXPECT_EQ(report.substr(report.size() - second_line.size()), second_line);
  EXPECT_EQ(pipe.writes[2], "\r\n");
  EXPECT_EQ(console.TakePendingError(), 0);
}

TEST(FailureReportTest, ProgramFileNameIsTheRunningFileWithoutItsFolder) {
  char area[kProgramPathArea];
  EXPECT_EQ(ProgramFileName(area), "unit_tests");
}

}  // namespace
}  // namespace tracksift

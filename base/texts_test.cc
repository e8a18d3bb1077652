#include "base/texts.h"

#include <gtest/gtest.h>

#include <string>

#include "base/iconv_for_tests.h"

namespace tracksift {
namespace {

// cp932 bytes converted to UTF-8 by the C library, independent of our tables.
std::string Cp932ToUtf8(std::string_view cp932) { return Iconv("UTF-8", "CP932", cp932); }

TEST(TextsTest, EveryCp932TextIsItsUtf8Twin) {
  for (const FixedText& text : kAllFixedTexts) {
    EXPECT_EQ(Cp932ToUtf8(text.cp932), text.utf8);
  }
}

TEST(TextsTest, RenderPicksTheForm) {
  EXPECT_EQ(Render(kReportAt, Encoding::kCp932), " \x82\xCC ");
  EXPECT_EQ(Render(kReportAt, Encoding::kUtf8), " の ");
}

TEST(TextsTest, UsageLinesHaveTheirByteCounts) {
  const struct {
    const FixedText& line;
    size_t bytes;
  } kLines[] = {
      {kUsageLine1, 77},  {kUsageLine3, 53},  {kUsageLine5, 46},  {kUsageLine7, 50},
      {kUsageLine8, 49},  {kUsageLine9, 40},  {kUsageLine11, 55}, {kUsageLine12, 22},
      {kUsageLine14, 54}, {kUsageLine15, 54},
  };
  size_t total = 0;
  for (const auto& [line, bytes] : kLines) {
    EXPECT_EQ(line.cp932.size(), bytes) << line.utf8;
    total += line.cp932.size();
  }
  // The five empty lines add no text; with 15 line ends the whole is 530.
  EXPECT_EQ(total, 500u);
}

TEST(TextsTest, HalfWidthKatakanaAreSingleBytes) {
  // "このｿﾌﾄは": two double-byte kana, then ｿ ﾌ ﾄ as 0xBF 0xCC 0xC4.
  EXPECT_EQ(kUsageLine1.cp932.substr(0, 7), "\x82\xB1\x82\xCC\xBF\xCC\xC4");
  // Lines 7 to 15 that begin with blanks begin with exactly four.
  for (const FixedText* line : {&kUsageLine7, &kUsageLine8, &kUsageLine9, &kUsageLine11,
                                &kUsageLine12, &kUsageLine14, &kUsageLine15}) {
    EXPECT_EQ(line->cp932.substr(0, 5).find_first_not_of(' '), 4u) << line->utf8;
  }
}

}  // namespace
}  // namespace tracksift

#include "base/texts.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace tracksift {
namespace {

// cp932 bytes converted to UTF-8 by the C library, independent of our tables.
std::string Cp932ToUtf8(std::string_view cp932) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return "<no CP932 converter>";
  std::string in(cp932);
  std::string out(in.size() * 4 + 4, '\0');
  char* in_p = in.data();
  size_t in_left = in.size();
  char* out_p = out.data();
  size_t out_left = out.size();
  const size_t result = iconv(cd, &in_p, &in_left, &out_p, &out_left);
  iconv_close(cd);
  if (result == static_cast<size_t>(-1)) return "<not cp932: " + in + ">";
  out.resize(out.size() - out_left);
  return out;
}

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

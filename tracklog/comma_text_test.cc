#include "tracklog/comma_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace tracksift {
namespace {

std::string Fields(std::string_view text, const LeadBytes& lead = LeadBytes()) {
  LineList list;
  list.Append("stale");
  SplitCommaText(list, text, lead);
  std::string all;
  for (int64_t i = 0; i < list.Count(); ++i) all += "[" + std::string(list.LineAt(i)) + "]";
  return all;
}

struct Case {
  std::string text;
  std::string fields;
};

TEST(SplitCommaTextTest, CommasAndBlanks) {
  const std::vector<Case> cases = {
      {"a,,b", "[a][][b]"},     {",a", "[][a]"},        {"a,", "[a][]"},
      {"a, ", "[a]"},           {"a,, ", "[a][]"},      {"a ,b", "[a][b]"},
      {"a b", "[a][b]"},        {"a , , b", "[a][][b]"}, {"  a  ", "[a]"},
      {",", "[][]"},            {",,", "[][][]"},       {", ,", "[][][]"},
      {"", ""},                 {"   ", ""},
      {"a\tb\rc\x01" "d\x1F" "e", "[a][b][c][d][e]"},
      {"\x7F\x80\xFF,x", "[\x7F\x80\xFF][x]"},
      {std::string("a\0,b", 4), "[a]"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Fields(c.text), c.fields) << testing::PrintToString(c.text);
  }
}

TEST(SplitCommaTextTest, LongFieldsEndAtEveryOffset) {
  // Fields of every length up to 40, after separators of every kind, so that
  // a field's end falls on every place of a 16-byte step.
  std::string text;
  std::string expected;
  const char* const separators[] = {",", " ", "\t,", ", ", "\x01"};
  for (size_t length = 1; length <= 40; ++length) {
    const std::string field(length, static_cast<char>('A' + length % 26));
    text += field + separators[length % 5];
    expected += "[" + field + "]";
  }
  text += "\x7F\xFF";
  expected += "[\x7F\xFF]";
  EXPECT_EQ(Fields(text), expected);
}

TEST(SplitCommaTextTest, QuotedFields) {
  const std::vector<Case> cases = {
      {"\"a, b\",c", "[a, b][c]"},
      {"\"a\"\"b\"", "[a\"b]"},
      {"\"\"", "[]"},
      {"\"\",\"\"", "[][]"},
      {"\"ab\"cd", "[ab][cd]"},
      {"\"a\" ,c", "[a][c]"},
      {"ab\"c\"", "[ab\"c\"]"},
      {"\" a \"", "[ a ]"},
      // Never closed: every byte after the opening mark, doubles reduced.
      {"x,\"ab\"\"c", "[x][ab\"c]"},
      {"\"", "[]"},
      {"\"a", "[a]"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Fields(c.text), c.fields) << testing::PrintToString(c.text);
  }
}

TEST(SplitCommaTextTest, TheByteAfterALeadByteBelongsToItsCharacter) {
  const LeadBytes cp932 = LeadBytes::Cp932();
  // x, lead byte, comma, y: one field where the code page has lead bytes.
  EXPECT_EQ(Fields("x\x81,y", cp932), "[x\x81,y]");
  EXPECT_EQ(Fields("x\x81,y"), "[x\x81][y]");
  // Nor does it close a quoted field or count as a blank.
  EXPECT_EQ(Fields("\"\x82\",z\",w", cp932), "[\x82\",z][w]");
  EXPECT_EQ(Fields("\"\x82\",z\",w"), "[\x82][z\"][w]");
  EXPECT_EQ(Fields("\x9F a", cp932), "[\x9F a]");
  // A lead byte at the very end stands alone.
  EXPECT_EQ(Fields("a,\xE0", cp932), "[a][\xE0]");
  // Sentences of ASCII split the same either way.
  const std::string rmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";
  EXPECT_EQ(Fields(rmc, cp932), Fields(rmc));
}

// The rules read byte by byte, as plainly as they can be written.
std::vector<std::string> ByTheRules(std::string_view text, bool cp932) {
  text = text.substr(0, text.find('\0'));
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  const auto lead = [cp932](char c) {
    const unsigned char b = static_cast<unsigned char>(c);
    return cp932 && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC));
  };
  std::vector<std::string> fields;
  size_t i = 0;
  while (i < text.size() && blank(text[i])) ++i;
  while (i < text.size()) {
    std::string field;
    if (text[i] == '"') {
      for (++i; i < text.size();) {
        if (text[i] == '"' && (++i == text.size() || text[i] != '"')) break;
        const size_t n = lead(text[i]) && i + 1 < text.size() ? 2 : 1;
        field += text.substr(i, n);
        i += n;
      }
    } else {
      while (i < text.size() && !blank(text[i]) && text[i] != ',') {
        const size_t n = lead(text[i]) && i + 1 < text.size() ? 2 : 1;
        field += text.substr(i, n);
        i += n;
      }
    }
    fields.push_back(field);
    while (i < text.size() && blank(text[i])) ++i;
    if (i < text.size() && text[i] == ',') {
      if (++i == text.size()) fields.emplace_back();
      while (i < text.size() && blank(text[i])) ++i;
    }
  }
  return fields;
}

TEST(SplitCommaTextTest, RandomTextsFollowTheRulesAndStopAtTheFieldLimit) {
  // Mostly plain fields, with every byte the rules treat apart mixed in at
  // random places, in texts of up to 100 bytes.
  std::mt19937 random(11);
  const std::string bytes = std::string("aaaaaaaaaa,,,,,1 \t\"\x81\xE0\xFF", 23) + '\0';
  for (int n = 0; n < 30000; ++n) {
    std::string text(random() % 100, 'x');
    const bool plain = random() % 2 == 0;
    for (char& c : text) c = bytes[random() % (plain ? 15 : bytes.size())];
    const bool cp932 = random() % 2 == 0;
    const LeadBytes lead = cp932 ? LeadBytes::Cp932() : LeadBytes();
    const std::vector<std::string> expected = ByTheRules(text, cp932);
    const int64_t limit = static_cast<int64_t>(random() % 12);
    for (const int64_t max_fields : {INT64_MAX, limit}) {
      LineList list;
      list.Append("stale");
      SplitCommaText(list, text, lead, max_fields);
      const size_t count = std::min(expected.size(), static_cast<size_t>(max_fields));
      ASSERT_EQ(list.Count(), static_cast<int64_t>(count)) << testing::PrintToString(text);
      for (size_t i = 0; i < count; ++i) {
        ASSERT_EQ(list.LineAt(static_cast<int64_t>(i)), expected[i])
            << testing::PrintToString(text) << " field " << i;
      }
    }
  }
}

TEST(LeadBytesTest, Cp932Ranges) {
  const LeadBytes cp932 = LeadBytes::Cp932();
  for (int b = 0; b < 256; ++b) {
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    EXPECT_EQ(cp932(static_cast<unsigned char>(b)), lead) << b;
    EXPECT_FALSE(LeadBytes()(static_cast<unsigned char>(b)));
  }
}

}  // namespace
}  // namespace tracksift

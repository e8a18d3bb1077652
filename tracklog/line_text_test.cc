#include "tracklog/line_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tracksift {
namespace {

std::string Show(const LineList& list) {
  std::string all;
  for (int64_t i = 0; i < list.Count(); ++i) all += "[" + std::string(list.LineAt(i)) + "]";
  return all;
}

struct SplitCase {
  std::string bytes;
  std::string lines;
};

TEST(SplitLinesTest, BreaksAndTheNulThatEndsTheText) {
  const std::vector<SplitCase> cases = {
      {"a\r\nb", "[a][b]"},
      {"a\r\nb\r\n", "[a][b]"},
      {"a\nb", "[a][b]"},
      {"a\n\rb", "[a][][b]"},
      {"a\r\rb", "[a][][b]"},
      {"a\n\nb", "[a][][b]"},
      {"a\n", "[a]"},
      {"a\r", "[a]"},
      {"a\n\r", "[a][]"},
      {"a\r\n\r\n", "[a][]"},
      {"a", "[a]"},
      {"\r\n", "[]"},
      {"", ""},
      {std::string("ab\0cd\r\ne", 8), "[ab]"},
      {std::string("a\r\0b", 4), "[a]"},
      {std::string("\0a\r\n", 4), ""},
      {std::string("a\r\n\0b\r\n", 7), "[a]"},
      {"\t\x80\xFF\x1A x\r\n", "[\t\x80\xFF\x1A x]"},
  };
  for (const SplitCase& c : cases) {
    LineList list;
    list.Append("old line");  // replaced, not added to
    SplitLines(list, c.bytes);
    EXPECT_EQ(Show(list), c.lines) << "bytes: " << testing::PrintToString(c.bytes);
  }
}

TEST(SplitLinesTest, FindsBreaksAtEveryPositionOfLongLines) {
  // Breaks at every offset around the scanner's 8- and 16-byte steps.
  for (size_t length = 0; length < 40; ++length) {
    for (const char* brk : {"\r", "\n", "\r\n"}) {
      const std::string line(length, 'x');
      LineList list;
      SplitLines(list, line + brk + line + brk + "y");
      ASSERT_EQ(list.Count(), 3) << length;
      EXPECT_EQ(list.LineAt(0), line);
      EXPECT_EQ(list.LineAt(1), line);
      EXPECT_EQ(list.LineAt(2), "y");
    }
  }
}

TEST(TextBeforeNulTest, CutsAtTheFirstNulAndTakesAnEmptyViewWithoutData) {
  EXPECT_EQ(TextBeforeNul(std::string("ab\0c\0", 5)), "ab");
  EXPECT_EQ(TextBeforeNul("abc"), "abc");
  EXPECT_EQ(TextBeforeNul(std::string_view()), "");
}

TEST(JoinLinesTest, EveryLineEndsWithCrLf) {
  LineList list;
  EXPECT_EQ(JoinLines(list), "");
  list.Append("");
  EXPECT_EQ(JoinLines(list), "\r\n");
  list.Clear();
  list.Append("a");
  list.Append("b");
  EXPECT_EQ(JoinLines(list), "a\r\nb\r\n");
}

}  // namespace
}  // namespace tracksift

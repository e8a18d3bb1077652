#include "tracklog/line_list.h"

#include <gtest/gtest.h>

#include <string>

#include "base/failure.h"

namespace tracksift {
namespace {

std::string Lines(const LineList& list) {
  std::string all;
  for (int64_t i = 0; i < list.Count(); ++i) all += "[" + std::string(list.LineAt(i)) + "]";
  return all;
}

TEST(LineListTest, KeepsOrderAndEqualLinesAndAnyBytes) {
  LineList list;
  list.Append("b");
  list.Append("a");
  list.Append("b");
  list.Append("");
  list.Append(std::string("\0\x80\xFF\t\x1A", 5));
  EXPECT_EQ(list.Count(), 5);
  EXPECT_EQ(Lines(list), "[b][a][b][]" + std::string("[\0\x80\xFF\t\x1A]", 7));
}

TEST(LineListTest, OwnsCopiesOfAppendedBytes) {
  LineList list;
  std::string source = "first";
  list.Append(source);
  source = "XXXXX";
  // Many lines and one larger than a storage chunk: earlier lines stay put.
  for (int i = 0; i < 5000; ++i) list.Append("line " + std::to_string(i));
  list.Append(std::string(100000, 'z'));
  EXPECT_EQ(list.LineAt(0), "first");
  EXPECT_EQ(list.LineAt(4000), "line 3999");
  EXPECT_EQ(list.LineAt(5001).size(), 100000u);
}

TEST(LineListTest, LineAtOutsideTheListFailsNamingTheIndex) {
  LineList list;
  list.Append("a");
  list.Append("b");
  list.Append("c");
  for (int64_t index : {int64_t{3}, int64_t{-1}, int64_t{1} << 40}) {
    try {
      list.LineAt(index);
      FAIL() << "no failure for index " << index;
    } catch (const EStringListError& e) {
      EXPECT_EQ(e.Message(Encoding::kUtf8),
                "リストのインデックスが範囲を超えています (" + std::to_string(index) + ")");
    }
  }
}

TEST(LineListTest, AppendAllOfAListToItselfDoublesIt) {
  LineList list;
  list.Append("a");
  list.Append("b");
  list.AppendAll(list);
  EXPECT_EQ(Lines(list), "[a][b][a][b]");

  LineList other;
  other.AppendAll(list);
  list.Clear();  // other holds copies, not views of list's storage
  list.Append("overwrite");
  EXPECT_EQ(Lines(other), "[a][b][a][b]");

  // Doubling a list that must grow its room for lines on the way.
  LineList many;
  std::string expected;
  for (int i = 0; i < 13; ++i) {
    many.Append(std::to_string(i));
    expected += "[" + std::to_string(i) + "]";
  }
  many.AppendAll(many);
  EXPECT_EQ(Lines(many), expected + expected);
}

TEST(LineListTest, MovingKeepsTheLinesAndEmptiesTheSource) {
  LineList list;
  for (int i = 0; i < 40; ++i) list.Append("line " + std::to_string(i));
  const std::string_view first = list.LineAt(0);
  LineList moved(std::move(list));
  EXPECT_EQ(moved.Count(), 40);
  EXPECT_EQ(moved.LineAt(0).data(), first.data());  // the bytes did not move
  EXPECT_EQ(list.Count(), 0);                       // NOLINT: moved-from is empty
  list.Append("again");                             // NOLINT: and can be used
  EXPECT_EQ(Lines(list), "[again]");
  list = std::move(moved);
  EXPECT_EQ(list.Count(), 40);
  EXPECT_EQ(list.LineAt(39), "line 39");
}

TEST(LineListTest, ClearEmptiesAndTheListCanBeRefilled) {
  LineList list;
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 2000; ++i) list.Append(std::string(40, static_cast<char>('a' + round)));
    EXPECT_EQ(list.Count(), 2000);
    EXPECT_EQ(list.LineAt(1999), std::string(40, static_cast<char>('a' + round)));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
  }
}

TEST(LineListTest, AppendViewRefersToTheCallersBytes) {
  const std::string text = "held elsewhere";
  LineList list;
  list.AppendView(text);
  EXPECT_EQ(list.LineAt(0).data(), text.data());
}

}  // namespace
}  // namespace tracksift

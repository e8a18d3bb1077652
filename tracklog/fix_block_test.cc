#include "tracklog/fix_block.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/failure.h"

namespace tracksift {
namespace {

struct Cut {
  std::vector<std::string> lines;
  int64_t index_after;
  std::string bytes;
  bool crlf_only;
};

std::vector<Cut> CutAll(const std::string& text) {
  LineStream input(text);
  LineList block;
  BlockSpan span;
  std::vector<Cut> cuts;
  while (!input.AtEnd()) {
    CollectBlock(input, block, span);
    Cut cut{{}, input.Index(), std::string(span.bytes), span.crlf_only};
    for (int64_t i = 0; i < block.Count(); ++i) cut.lines.emplace_back(block.LineAt(i));
    cuts.push_back(cut);
  }
  return cuts;
}

const std::string T = "$PGRMM,Tokyo*2F";

TEST(CollectBlockTest, CutsAtEachTerminatorLine) {
  const std::string text = "L0\r\nL1\r\n" + T + "\r\nL3\r\n" + T + "\r\n" + T + "\r\n";
  const std::vector<Cut> cuts = CutAll(text);
  ASSERT_EQ(cuts.size(), 3u);
  EXPECT_EQ(cuts[0].lines, (std::vector<std::string>{"L0", "L1", T}));
  EXPECT_EQ(cuts[0].index_after, 3);
  EXPECT_EQ(cuts[1].lines, (std::vector<std::string>{"L3", T}));
  EXPECT_EQ(cuts[1].index_after, 5);
  EXPECT_EQ(cuts[2].lines, (std::vector<std::string>{T}));  // a terminator alone
  // The spans cover the text exactly, breaks included.
  EXPECT_EQ(cuts[0].bytes + cuts[1].bytes + cuts[2].bytes, text);
  EXPECT_TRUE(cuts[0].crlf_only);
}

TEST(CollectBlockTest, SpanTellsWhenABreakIsNotCrLf) {
  const std::vector<Cut> cuts = CutAll("a\r\n" + T + "\r\nb\n" + T + "\r\n" + T);
  ASSERT_EQ(cuts.size(), 3u);
  EXPECT_TRUE(cuts[0].crlf_only);
  EXPECT_FALSE(cuts[1].crlf_only);
  EXPECT_FALSE(cuts[2].crlf_only);  // the last line has no break at all
}

TEST(CollectBlockTest, OnlyTheExactTerminatorEndsABlock) {
  for (const std::string& almost :
       std::vector<std::string>{"$pgrmm,tokyo*2f", T + " ", " " + T, "$PGRMM,WGS 84*06"}) {
    try {
      CutAll("x\r\n" + almost + "\r\n");
      FAIL() << almost;
    } catch (const EStringListError& e) {
      EXPECT_EQ(e.Message(Encoding::kUtf8), "リストのインデックスが範囲を超えています (2)");
    }
  }
}

TEST(CollectBlockTest, ALogEndingInsideABlockFailsWithTheLineCount) {
  // Ten lines, the last block without its terminator.
  std::string text;
  for (int i = 0; i < 4; ++i) text += "a\r\n" + T + "\r\n";
  text += "b\r\nc\r\n";
  EXPECT_THROW(CutAll(text), EStringListError);
  try {
    CutAll(text);
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(Encoding::kUtf8), "リストのインデックスが範囲を超えています (10)");
  }
  // A single empty line after the last terminator fails the same way.
  try {
    CutAll("a\r\n" + T + "\r\n\r\n");
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(Encoding::kUtf8), "リストのインデックスが範囲を超えています (3)");
  }
}

}  // namespace
}  // namespace tracksift

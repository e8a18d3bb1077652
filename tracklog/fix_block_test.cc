#include "tracklog/fix_block.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "base/failure.h"
#include "tracklog/input_file.h"

namespace tracksift {
namespace {

struct Cut {
  std::vector<std::string> lines;
  int64_t index_after;
  std::string bytes;
  bool crlf_only;
};

std::vector<Cut> CutStream(LineStream input) {
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

std::vector<Cut> CutAll(const std::string& text) { return CutStream(LineStream(text)); }

bool operator==(const Cut& a, const Cut& b) {
  return a.lines == b.lines && a.index_after == b.index_after && a.bytes == b.bytes &&
         a.crlf_only == b.crlf_only;
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

// A log of random blocks: lines of random length (some longer than the 64
// bytes looked at a time, some far longer than a read of the file), some
// empty, mostly ending with CR LF but now and then with LF or CR, and lines
// that only look like terminators. Returns the text and its blocks.
std::pair<std::string, std::vector<Cut>> RandomLog(int blocks, uint32_t seed) {
  std::mt19937 random(seed);
  std::string text;
  std::vector<Cut> cuts;
  int64_t index = 0;
  for (int b = 0; b < blocks; ++b) {
    Cut cut{{}, 0, {}, true};
    const int lines = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < lines; ++i) {
      std::string line;
      if (i == lines - 1) {
        line = T;
      } else if (random() % 10 == 0) {
        line = random() % 2 ? T + "x" : T.substr(0, 14);
      } else if (random() % 20 != 0) {
        const size_t length = random() % 2000 == 0 ? 300000 : random() % 130;
        for (size_t k = 0; k < length; ++k) line += static_cast<char>(' ' + random() % 95);
      }
      std::string end = "\r\n";
      if (random() % 40 == 0) end = random() % 2 ? "\n" : "\r";
      // After a lone CR, an empty line ending with LF would make one CR LF.
      const bool after_lone_cr = !text.empty() && text.back() == '\r';
      if (after_lone_cr && line.empty() && end == "\n") end = "\r\n";
      cut.lines.push_back(line);
      cut.crlf_only = cut.crlf_only && end == "\r\n";
      cut.bytes += line + end;
      text += line + end;
    }
    index += lines;
    cut.index_after = index;
    cuts.push_back(cut);
  }
  return {text, cuts};
}

TEST(CollectBlockTest, RandomLogsAreCutAsWritten) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    const auto [text, expected] = RandomLog(seed % 4 == 0 ? 3000 : 200, seed);
    EXPECT_EQ(CutAll(text), expected) << "seed " << seed;
    if (seed % 4 == 0) {
      // From a file, read in pieces: blocks also straddle the reads.
      char path[] = "/tmp/tracksift-blocks-XXXXXX";
      const int fd = mkstemp(path);
      ASSERT_GE(fd, 0);
      close(fd);
      std::ofstream(path, std::ios::binary) << text;
      EXPECT_EQ(CutStream(LineStream(InputFile::Open(path))), expected) << "seed " << seed;
      unlink(path);
    }
  }
}

}  // namespace
}  // namespace tracksift

#include "tracklog/line_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "base/failure.h"

namespace tracksift {
namespace {

struct Line {
  std::string bytes;
  bool crlf;
  bool operator==(const Line&) const = default;
};

// The reading rules, byte by byte, as plainly as they can be written.
std::vector<Line> Reference(const std::string& bytes) {
  const std::string text = bytes.substr(0, bytes.find('\0'));
  std::vector<Line> lines;
  size_t i = 0;
  while (i < text.size()) {
    size_t j = i;
    while (j < text.size() && text[j] != '\r' && text[j] != '\n') ++j;
    Line line{text.substr(i, j - i), false};
    size_t k = j;
    if (k < text.size() && text[k] == '\r') ++k;
    if (k < text.size() && text[k] == '\n') ++k;
    line.crlf = k - j == 2;
    lines.push_back(line);
    i = k;
  }
  return lines;
}

std::vector<Line> ReadAll(LineStream& stream) {
  std::vector<Line> lines;
  while (!stream.AtEnd()) {
    Line line;
    line.bytes = std::string(stream.Next(&line.crlf));
    lines.push_back(line);
  }
  return lines;
}

// Lines of random length (some far longer than a read) with random breaks,
// NUL-free, about size bytes.
std::string RandomText(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::string text;
  while (text.size() < size) {
    const size_t length = random() % 8 == 0 ? random() % 300000 : random() % 90;
    for (size_t i = 0; i < length; ++i) text += static_cast<char>('a' + random() % 26);
    static const char* const kBreaks[] = {"\r\n", "\r\n", "\n", "\r", "\n\r", "\r\r"};
    text += kBreaks[random() % 6];
  }
  return text;
}

class LineStreamFileTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = "/tmp/tracksift-stream-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { ASSERT_EQ(system(("rm -rf '" + dir_ + "'").c_str()), 0); }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::string dir_;
};

TEST(LineStreamTest, InMemoryFollowsTheReadingRules) {
  for (const std::string& text :
       {std::string("a\r\nb\nc\rd\r\ne"), std::string("\r\n\n\r\r"), std::string(),
        std::string("x\r\ny\0z\r\n", 8), RandomText(5000, 1)}) {
    LineStream stream(text);
    EXPECT_EQ(ReadAll(stream), Reference(text));
    EXPECT_EQ(stream.Index(), static_cast<int64_t>(Reference(text).size()));
  }
}

TEST_F(LineStreamFileTest, AFileReadsLikeTheSameBytesInMemory) {
  const std::string text = RandomText(3 << 20, 2);
  LineStream stream(InputFile::Open(Write("log", text)));
  EXPECT_EQ(ReadAll(stream), Reference(text));
}

TEST_F(LineStreamFileTest, APipeDeliveringOddPiecesReadsTheSame) {
  // Reads then end at every possible place: inside lines, between a CR and
  // its LF, in the middle of a run that must be moved or grown.
  const std::string text = RandomText(1 << 20, 3) + "last line without a break";
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const pid_t writer = fork();
  if (writer == 0) {
    close(fds[0]);
    std::mt19937 random(4);
    for (size_t at = 0; at < text.size();) {
      const size_t piece = std::min<size_t>(text.size() - at, 1 + random() % 7919);
      if (write(fds[1], text.data() + at, piece) < 0) _exit(1);
      at += piece;
    }
    _exit(0);
  }
  close(fds[1]);
  LineStream stream(InputFile::Open("/dev/fd/" + std::to_string(fds[0])));
  std::vector<Line> lines;
  // Whole runs stay readable until the next run starts.
  while (!stream.AtEnd()) {
    stream.StartRun();
    for (int i = 0; i < 3 && !stream.AtEnd(); ++i) {
      Line line;
      line.bytes = std::string(stream.Next(&line.crlf));
      lines.push_back(line);
    }
    std::string joined;
    for (size_t i = 0; i < stream.RunSize(); ++i) {
      joined += std::string(stream.RunLine(i)) + "|";
    }
    std::string expected;
    for (size_t i = lines.size() - stream.RunSize(); i < lines.size(); ++i) {
      expected += lines[i].bytes + "|";
    }
    ASSERT_EQ(joined, expected);
  }
  close(fds[0]);
  waitpid(writer, nullptr, 0);
  EXPECT_EQ(lines, Reference(text));
}

TEST_F(LineStreamFileTest, ANulEndsTheTextButTheFileIsStillReadWhole) {
  const std::string text = std::string(400000, 'a') + "\r\nb" + std::string(1, '\0') +
                           std::string(700000, 'c');
  LineStream stream(InputFile::Open(Write("log", text)));
  EXPECT_EQ(ReadAll(stream), Reference(text));
  stream.ReadRest();
}

TEST_F(LineStreamFileTest, AFileCutShortWhileReadFails) {
  const std::string path = Write("log", std::string(2 << 20, 'x'));
  LineStream stream(InputFile::Open(path));
  ASSERT_EQ(truncate(path.c_str(), 1000), 0);
  try {
    ReadAll(stream);
    stream.ReadRest();
    FAIL() << "a cut file was read as whole";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(Encoding::kUtf8), "ファイル " + path + " は開けません");
  }
}

TEST_F(LineStreamFileTest, AFileThatGrowsIsReadToItsFirstLength) {
  const std::string path = Write("log", "a\r\nb\r\n");
  LineStream stream(InputFile::Open(path));
  std::ofstream(path, std::ios::app) << "c\r\n";
  EXPECT_EQ(ReadAll(stream).size(), 2u);
}

}  // namespace
}  // namespace tracksift

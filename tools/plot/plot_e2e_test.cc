// End to end: a log through tracksift, then both logs through tracksift-plot.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/run_program.h"

namespace tracksift::e2e {
namespace {

// Runs tracksift-plot with args; its standard output and error go to files
// in dir, and are read back from there.
RunResult RunPlot(const std::vector<std::string>& args, const TempDir& dir) {
#ifdef TRACKSIFT_PLOT_LAUNCHER
  const std::string program = TRACKSIFT_PLOT_LAUNCHER;  // cross build: under the emulator
#else
  const std::string program = TRACKSIFT_PLOT_BINARY;
#endif
  RunOptions options;
  options.stdout_file = dir / "plot.stdout";
  options.stderr_file = dir / "plot.stderr";
  RunResult result = RunCommand(program, TRACKSIFT_PLOT_BINARY, args, options);
  result.out = ReadFile(options.stdout_file);
  result.err = ReadFile(options.stderr_file);
  return result;
}

size_t Occurrences(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

std::string Block(int second, const std::string& status, const std::string& lat,
                  const std::string& speed) {
  const std::string time = "1200" + std::to_string(10 + second);
  const std::string position = status == "A" ? lat + ",N,13958.534,E" : ",,,";
  return "$GPGGA," + time + ",,,,,0,00,,,M,,M,,*6F\r\n$GPRMC," + time + "," + status + "," +
         position + "," + speed + ",169.3,230808,,*39\r\n$PGRMM,Tokyo*2F\r\n";
}

class PlotTest : public testing::Test {
 protected:
  void SetUp() override {
    // Nine blocks: a wild jump at 200 knots, two without reception, and the
    // block after them, which the ratio test drops.
    WriteFile(dir_ / "in.log",
              Block(0, "A", "3532.424", "010.0") + Block(1, "A", "3532.404", "011.0") +
                  Block(2, "A", "3531.404", "200.0") + Block(3, "A", "3532.384", "012.0") +
                  Block(4, "V", "", "") + Block(5, "V", "", "") +
                  Block(6, "A", "3532.354", "012.5") + Block(7, "A", "3532.344", "013.0") +
                  Block(8, "A", "3532.334", "013.5"));
    const RunResult run = RunTracksift({"-k100", "-x3", dir_ / "in.log", dir_ / "out.log"});
    ASSERT_EQ(run.exit_status, 0) << run.out;
  }
  TempDir dir_;
};

TEST_F(PlotTest, DrawsKeptAndDroppedFixesWithTheirCounts) {
  const RunResult r = RunPlot({dir_ / "in.log", dir_ / "out.log", dir_ / "track.svg"}, dir_);
  EXPECT_EQ(r.exit_status, 0) << r.out;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  const std::string svg = ReadFile(dir_ / "track.svg");
  EXPECT_EQ(svg.rfind("<svg ", 0), 0u);
  EXPECT_TRUE(svg.ends_with("</svg>\n"));
  EXPECT_NE(svg.find(">kept: 5<"), std::string::npos) << svg;
  EXPECT_NE(svg.find(">dropped: 2<"), std::string::npos);
  EXPECT_NE(svg.find(">no fix: 2<"), std::string::npos);
  EXPECT_EQ(Occurrences(svg, "class=\"cross\""), 2u);
  EXPECT_NE(svg.find("<title>in.log \u2192 out.log</title>"), std::string::npos);
  EXPECT_EQ(ListDir(dir_.path()),
            (std::vector<std::string>{"in.log", "out.log", "plot.stderr", "plot.stdout",
                                      "track.svg"}));
}

TEST_F(PlotTest, FailsWithOneLineAndLeavesNoPicture) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{dir_ / "none.log", dir_ / "out.log", dir_ / "t.svg"},
       "tracksift-plot: cannot read '" + dir_ / "none.log" + "': No such file or directory\n"},
      {{dir_ / "out.log", dir_ / "in.log", dir_ / "t.svg"},
       "tracksift-plot: '" + dir_ / "in.log" + "' is not tracksift's output for '" +
           dir_ / "out.log" + "': its block 3 is not found in the input log, in order\n"},
      {{dir_ / "in.log", dir_ / "out.log", dir_ / "no/t.svg"},
       "tracksift-plot: cannot create '" + dir_ / "no/t.svg" + "'\n"},
      {{dir_ / "in.log", dir_ / "out.log"},
       "usage: tracksift-plot IN OUT SVGFILE (IN: a track log; OUT: what tracksift made of "
       "it)\n"},
  };
  for (const Case& c : cases) {
    const RunResult r = RunPlot(c.args, dir_);
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.out, c.message);
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(FileExists(dir_ / "t.svg"));
  }
}

}  // namespace
}  // namespace tracksift::e2e

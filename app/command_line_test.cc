#include "app/command_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/failure.h"

namespace tracksift {
namespace {

struct Case {
  std::vector<std::string> args;
  double speed, ratio;
  std::string input, output;
};

TEST(ReadCommandLineTest, PositionsOfOptionsAndNames) {
  const double off = -1.0;
  const std::vector<Case> cases = {
      {{"-k100", "-x3", "in.log", "out.log"}, 100 / 1.852, 3, "in.log", "out.log"},
      {{"-K100", "-X3", "in.log", "out.log"}, 100 / 1.852, 3, "in.log", "out.log"},
      {{"-m30", "in.log", "out.log"}, 30 / 0.514, off, "in.log", "out.log"},
      {{"-x3", "in.log", "out.log"}, off, 3, "in.log", "out.log"},
      {{"-x3", "-k100", "in.log", "out.log"}, off, 3, "-k100", "in.log"},
      {{"-k", "100", "in.log"}, off, off, "100", "in.log"},
      {{"-kabc", "-x0", "a", "b", "c"}, off, 0, "a", "b"},
      {{"-k-1", "-x-1", "in", "out"}, -1 / 1.852, -1, "in", "out"},
      {{"-k0", "in", "out"}, 0, off, "in", "out"},
      {{"-k100"}, 100 / 1.852, off, "", ""},
      {{"in.log"}, off, off, "in.log", ""},
      {{"-k1", "-m2", "x"}, 1 / 1.852, off, "-m2", "x"},
      {{"-"}, off, off, "-", ""},
  };
  for (const Case& c : cases) {
    const CommandLine line = ReadCommandLine(c.args, '.');
    const std::string label = testing::PrintToString(c.args);
    EXPECT_NEAR(line.limits.speed, c.speed, 1e-12) << label;
    EXPECT_EQ(line.limits.ratio, c.ratio) << label;
    EXPECT_EQ(line.input_file, c.input) << label;
    EXPECT_EQ(line.output_file, c.output) << label;
  }
}

TEST(ReadSpeedLimitTest, DividesInExtendedPrecision) {
  // 100 / 1.852 with both in extended precision, then rounded once.
  EXPECT_EQ(ReadSpeedLimit("-k100", '.'), 53.995680345572353);
  EXPECT_EQ(ReadSpeedLimit("-m30", '.'), 58.365758754863812);
  EXPECT_EQ(ReadSpeedLimit("-k1,5", ','), 1.5 / 1.852);
}

TEST(ReadSpeedLimitTest, AnUnusableNumberSwitchesTheTestOff) {
  for (const char* arg : {"-k", "-kabc", "-k1,5", "-m1E400", "-m1.7E308", "-k\t1"}) {
    EXPECT_LT(ReadSpeedLimit(arg, '.'), 0) << arg;
  }
}

TEST(ReadCommandLineTest, ARatioNumberThatCannotBeUsedFails) {
  try {
    ReadCommandLine({"-xabc", "in", "out"}, '.');
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(Encoding::kUtf8), "'abc' は浮動小数点数ではありません");
  }
  EXPECT_THROW(ReadCommandLine({"-k100", "-x", "in", "out"}, '.'), EConvertError);
  EXPECT_THROW(ReadCommandLine({"-x1E400", "in", "out"}, '.'), EOverflow);
}

}  // namespace
}  // namespace tracksift

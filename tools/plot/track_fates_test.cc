#include "tools/plot/track_fates.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/plot/plot_error.h"

namespace tracksift::plot {
namespace {

const std::string kTerminator = "$PGRMM,Tokyo*2F";

std::string Rmc(const std::string& time, const std::string& status, const std::string& lat,
                const std::string& ns, const std::string& lon, const std::string& ew) {
  return "$GPRMC," + time + "," + status + "," + lat + "," + ns + "," + lon + "," + ew +
         ",022.4,084.4,230394,003.1,W*6A";
}

LineList Lines(const std::vector<std::string>& lines) {
  LineList list;
  for (const std::string& line : lines) list.Append(line);
  return list;
}

TEST(PositionOfTest, ReadsDegreesAndMinutesWithTheirHemispheres) {
  struct Case {
    std::string lat, ns, lon, ew;
    double want_lat, want_lon;
  };
  const std::vector<Case> cases = {
      {"4807.038", "N", "01131.000", "E", 48 + 7.038 / 60, 11 + 31.0 / 60},
      {"3532.424", "S", "13958.534", "W", -(35 + 32.424 / 60), -(139 + 58.534 / 60)},
      {"0000.000", "N", "00000.000", "E", 0, 0},
      {"9000.000", "S", "18000.000", "W", -90, -180},
  };
  for (const Case& c : cases) {
    const auto position = PositionOf(Rmc("123519", "A", c.lat, c.ns, c.lon, c.ew));
    ASSERT_TRUE(position) << c.lat << " " << c.lon;
    EXPECT_NEAR(position->lat, c.want_lat, 1e-12) << c.lat;
    EXPECT_NEAR(position->lon, c.want_lon, 1e-12) << c.lon;
  }
}

TEST(PositionOfTest, HasNoneWithoutAValidFixAndReadablePosition) {
  const std::vector<std::string> sentences = {
      Rmc("1", "V", "4807.038", "N", "01131.000", "E"),  // not a valid fix
      Rmc("1", "a", "4807.038", "N", "01131.000", "E"),
      "$GPRMC,195037,V,,,,,,,230808,,*39",               // no reception
      Rmc("1", "A", "", "N", "01131.000", "E"),          // empty fields
      Rmc("1", "A", "4807.038", "N", "", "E"),
      Rmc("1", "A", "4807.038", "", "01131.000", "E"),
      Rmc("1", "A", "4807.038", "N", "01131.000", "X"),  // no hemisphere
      Rmc("1", "A", "4807.038", "n", "01131.000", "E"),
      Rmc("1", "A", "4860.000", "N", "01131.000", "E"),  // 60 minutes
      Rmc("1", "A", "9000.001", "N", "01131.000", "E"),  // beyond the pole
      Rmc("1", "A", "4807.038", "N", "18000.100", "E"),  // beyond 180 degrees
      Rmc("1", "A", "-4807.038", "N", "01131.000", "E"),
      Rmc("1", "A", "48O7.038", "N", "01131.000", "E"),  // not a number
      Rmc("1", "A", "1e400", "N", "01131.000", "E"),     // beyond a double
      "$GPRMC,1,A,4807.038,N,01131.000",                 // too few fields
      "$GPRMC",
  };
  for (const std::string& sentence : sentences) {
    EXPECT_FALSE(PositionOf(sentence)) << sentence;
  }
}

TEST(FixSentencesTest, CutsBlocksAtTheTerminatorAndTakesTheFirstFixSentence) {
  const auto sentences = FixSentences(Lines({
      "$GPGGA,1", "$GPRMC,1,A", "$GPRMC,2,A", kTerminator,  // first of two wins
      "$GPGGA,2", kTerminator,                              // none
      kTerminator,                                          // the terminator alone
      " $GPRMC,3,A", "$gprmc,3,A", "$GPRMC,3,V", kTerminator,
      "$GPRMC,4,A", "",                                     // cut short: a block still
  }));
  const std::vector<std::optional<std::string>> want = {
      "$GPRMC,1,A", std::nullopt, std::nullopt, "$GPRMC,3,V", "$GPRMC,4,A"};
  EXPECT_EQ(sentences, want);
}

TEST(FixSentencesTest, EmptyLinesAfterTheLastTerminatorMakeNoBlock) {
  EXPECT_EQ(FixSentences(Lines({"$GPRMC,1,A", kTerminator, "", ""})).size(), 1u);
  EXPECT_TRUE(FixSentences(Lines({})).empty());
}

class JudgeFixesTest : public testing::Test {
 protected:
  const std::string a_ = Rmc("1", "A", "3532.000", "N", "13958.000", "E");
  const std::string b_ = Rmc("2", "A", "3533.000", "N", "13958.000", "E");
  const std::string c_ = Rmc("3", "A", "3534.000", "N", "13958.000", "E");
  const std::string v_ = "$GPRMC,4,V,,,,,,,230808,,*39";
  const GeoPoint pa_ = *PositionOf(a_), pb_ = *PositionOf(b_), pc_ = *PositionOf(c_);
};

TEST_F(JudgeFixesTest, MatchesTheOutputAsASubsequenceOfTheInput) {
  const std::vector<PlottedFix> want = {{Fate::kKept, pa_},
                                        {Fate::kNoFix, {}},
                                        {Fate::kDropped, pb_},
                                        {Fate::kNoFix, {}},
                                        {Fate::kKept, pc_}};
  EXPECT_EQ(JudgeFixes({a_, v_, b_, std::nullopt, c_}, {a_, c_}), want);
}

TEST_F(JudgeFixesTest, EqualSentencesAreMatchedInOrder) {
  const std::vector<PlottedFix> want = {
      {Fate::kKept, pa_}, {Fate::kDropped, pb_}, {Fate::kKept, pa_}, {Fate::kDropped, pa_}};
  EXPECT_EQ(JudgeFixes({a_, b_, a_, a_}, {a_, a_}), want);
  // Blocks without a fix sentence match each other, and count as no fix.
  const std::vector<PlottedFix> copied = {{Fate::kNoFix, {}}, {Fate::kKept, pa_}};
  EXPECT_EQ(JudgeFixes({std::nullopt, a_}, {std::nullopt, a_}), copied);
}

TEST_F(JudgeFixesTest, AnOutputNotMadeFromTheInputFails) {
  struct Case {
    std::vector<std::optional<std::string>> output;
    std::string block;
  };
  const std::vector<Case> cases = {
      {{c_, a_}, "its block 2 "},       // out of order
      {{a_, a_}, "its block 2 "},       // more often than in the input
      {{std::nullopt}, "its block 1 "}, // a block without a fix sentence
      {{a_, b_, c_, v_}, "its block 4 "},
  };
  for (const Case& c : cases) {
    try {
      JudgeFixes({a_, b_, c_}, c.output);
      ADD_FAILURE() << c.block;
    } catch (const PlotError& error) {
      EXPECT_EQ(std::string(error.what()).find(c.block), 0u) << error.what();
    }
  }
}

TEST(ReadFixesTest, ReadsBothLogsAndNamesAFileThatCannotBeRead) {
  std::string dir = testing::TempDir() + "plot-fates-XXXXXX";
  ASSERT_NE(mkdtemp(dir.data()), nullptr);
  const std::string in = dir + "/plot-in.log", out = dir + "/plot-out.log";
  std::ofstream(in, std::ios::binary)
      << Rmc("1", "A", "3532.000", "N", "13958.000", "E") << "\r\n" << kTerminator << "\n"
      << Rmc("2", "A", "3533.000", "N", "13958.000", "E") << "\r" << kTerminator << "\r\n";
  std::ofstream(out, std::ios::binary)
      << Rmc("2", "A", "3533.000", "N", "13958.000", "E") << "\r\n" << kTerminator << "\r\n";
  const auto fixes = ReadFixes(in, out);
  ASSERT_EQ(fixes.size(), 2u);
  EXPECT_EQ(fixes[0].fate, Fate::kDropped);
  EXPECT_EQ(fixes[1].fate, Fate::kKept);

  const std::vector<std::pair<std::string, std::string>> cases = {
      {dir + "/no-such.log", "cannot read '" + dir + "/no-such.log': No such file or directory"},
      {dir, "cannot read '" + dir + "': it is a directory"},
      {"", "cannot read '': the file name is empty"},
  };
  for (const auto& [path, message] : cases) {
    try {
      ReadFixes(in, path);
      ADD_FAILURE() << path;
    } catch (const PlotError& error) {
      EXPECT_EQ(error.what(), message);
    }
  }
  try {
    ReadFixes(out, in);
    ADD_FAILURE();
  } catch (const PlotError& error) {
    EXPECT_EQ(std::string(error.what()),
              "'" + in + "' is not tracksift's output for '" + out +
                  "': its block 1 is not found in the input log, in order");
  }
  std::remove(in.c_str());
  std::remove(out.c_str());
  rmdir(dir.c_str());
}

}  // namespace
}  // namespace tracksift::plot

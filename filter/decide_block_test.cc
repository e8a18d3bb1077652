#include "filter/decide_block.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "base/failure.h"
#include "tracklog/comma_text.h"
#include "tracklog/extended.h"
#include "tracklog/read_number.h"

namespace tracksift {
namespace {

LineList Fields(const std::string& sentence) {
  LineList fields;
  SplitCommaText(fields, sentence);
  return fields;
}

std::string Rmc(const std::string& status, const std::string& speed) {
  return "$GPRMC,123519," + status + ",4807.038,N,01131.000,E," + speed +
         ",084.4,230394,003.1,W*6A";
}

TEST(DecideBlockTest, ElevenBlocksWithBothTests) {
  struct Row {
    std::string status, speed;
    bool kept;
    double prev_after;
  };
  const std::vector<Row> rows = {
      {"A", "020.0", true, 20},  {"A", "059.9", false, 59.9}, {"A", "030.0", true, 30},
      {"V", "", false, 0},       {"A", "031.0", false, 31},   {"A", "050.0", true, 50},
      {"A", "000.0", true, 0},   {"A", "000.0", false, 0},    {"A", "012.0", false, 12},
      {"A", "036.0", false, 36}, {"A", "040.0", true, 40},
  };
  const Limits limits{100 / 1.852, 3};
  double speed = 0, prev = kStartSpeed;
  for (size_t i = 0; i < rows.size(); ++i) {
    const bool kept =
        DecideBlock(Fields(Rmc(rows[i].status, rows[i].speed)), limits, speed, prev);
    EXPECT_EQ(kept, rows[i].kept) << "block " << i + 1;
    EXPECT_EQ(prev, rows[i].prev_after) << "block " << i + 1;
  }
}

TEST(DecideBlockTest, EqualityDropsAndNegativeLimitsSwitchTestsOff) {
  double speed = 0, prev = 10;
  EXPECT_FALSE(DecideBlock(Fields(Rmc("A", "50")), Limits{50, -1}, speed, prev));
  prev = 10;
  EXPECT_TRUE(DecideBlock(Fields(Rmc("A", "49.999")), Limits{50, -1}, speed, prev));
  prev = 10;
  EXPECT_FALSE(DecideBlock(Fields(Rmc("A", "30")), Limits{-1, 3}, speed, prev));
  prev = 0;
  EXPECT_TRUE(DecideBlock(Fields(Rmc("A", "9999")), Limits{-1, -1}, speed, prev));
  // A limit of 0 is a limit: every speed of 0 or more fails it.
  prev = 10;
  EXPECT_FALSE(DecideBlock(Fields(Rmc("A", "0")), Limits{0, -1}, speed, prev));
  // The first block is judged against 1000 knots.
  prev = kStartSpeed;
  EXPECT_TRUE(DecideBlock(Fields(Rmc("A", "2999.9")), Limits{-1, 3}, speed, prev));
  prev = kStartSpeed;
  EXPECT_FALSE(DecideBlock(Fields(Rmc("A", "3000")), Limits{-1, 3}, speed, prev));
}

TEST(DecideBlockTest, TheRatioIsComparedBeforeRoundingToADouble) {
  // 0.3 / 0.1 is 2.9999999999999998889... in exact arithmetic: below 3,
  // though a quotient rounded to a double would be exactly 3.0.
  double speed = 0, prev = 0.1;
  EXPECT_TRUE(DecideBlock(Fields(Rmc("A", "0.3")), Limits{-1, 3}, speed, prev));
}

TEST(DecideBlockTest, EveryRatioDecisionMatchesThe64BitQuotient) {
  // Limits at, next to and near the double quotient, and far from it, for
  // speeds of every size: the decision must be the one the 64-bit quotient
  // gives, however it is reached.
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> exponent(-30, 30);
  int checked = 0;
  for (int i = 0; i < 20000; ++i) {
    const double speed = std::exp2(exponent(random)) * (i % 7 == 0 ? 0 : 1);
    const double prev_speed = std::exp2(exponent(random));
    const double q = speed / prev_speed;
    const double limits[] = {q,
                             std::nextafter(q, 0),
                             std::nextafter(q, INFINITY),
                             q * (1 + 0x1p-41),
                             q * (1 - 0x1p-39),
                             q * 2,
                             q / 3,
                             0,
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::max()};
    for (const double limit : limits) {
      const bool expected = !(Extended::FromDouble(speed) / Extended::FromDouble(prev_speed) >=
                              Extended::FromDouble(limit));
      double out_speed = 0, prev = prev_speed;
      char text[64];
      std::snprintf(text, sizeof text, "%.17g", speed);
      if (ToDouble(ReadNumber(text, '.')) != speed) continue;  // not read back exactly
      ASSERT_EQ(DecideBlock(Fields(Rmc("A", text)), Limits{-1, limit}, out_speed, prev),
                expected)
          << text << " / " << prev_speed << " against " << limit;
      ++checked;
    }
  }
  EXPECT_GT(checked, 150000);
}

TEST(DecideBlockTest, OnlyAnExactAIsAValidFixAndItsSpeedIsNotRead) {
  for (const char* status : {"a", "V", "AA", "A ", ""}) {
    double speed = 5, prev = 7;
    EXPECT_FALSE(DecideBlock(Fields(Rmc(std::string(status) == "A " ? "\"A \"" : status, "broken")),
                             Limits{}, speed, prev))
        << status;
    EXPECT_EQ(speed, 0.0);
    EXPECT_EQ(prev, 0.0);
  }
  double speed = 0, prev = 0;
  EXPECT_FALSE(DecideBlock(Fields("$GPRMC,1,V"), Limits{}, speed, prev));
}

TEST(DecideBlockTest, FailuresForMissingFieldsAndBadSpeeds) {
  double speed = 0, prev = 0;
  for (const auto& [sentence, number] :
       std::vector<std::pair<std::string, std::string>>{{"$GPRMC,123519", "2"},
                                                        {"$GPRMC", "2"},
                                                        {"$GPRMC,123519,A,4807.038,N", "7"}}) {
    try {
      DecideBlock(Fields(sentence), Limits{}, speed, prev);
      FAIL() << sentence;
    } catch (const EStringListError& e) {
      EXPECT_EQ(e.Message(Encoding::kUtf8),
                "リストのインデックスが範囲を超えています (" + number + ")");
    }
  }
  try {
    DecideBlock(Fields(Rmc("A", "")), Limits{}, speed, prev);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(Encoding::kUtf8), "'' は浮動小数点数ではありません");
  }
  EXPECT_THROW(DecideBlock(Fields(Rmc("A", "1E400")), Limits{}, speed, prev), EOverflow);
  EXPECT_THROW(DecideBlock(Fields(Rmc("A", "\"22,4\"")), Limits{}, speed, prev),
               EConvertError);
}

}  // namespace
}  // namespace tracksift

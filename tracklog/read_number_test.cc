#include "tracklog/read_number.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "base/failure.h"
#include "base/texts.h"
#include "tracklog/x87_for_tests.h"

namespace tracksift {
namespace {

uint64_t Bits(double d) { return std::bit_cast<uint64_t>(d); }

std::string Hex(Extended x) {
  char text[40];
  std::snprintf(text, sizeof text, "%04X:%016llX", x.SignExponent(),
                static_cast<unsigned long long>(x.Significand()));
  return text;
}

bool Same(Extended a, Extended b) {
  return a.SignExponent() == b.SignExponent() && a.Significand() == b.Significand();
}

std::string ConvertMessage(std::string_view text) {
  return std::string(kConvertBefore.cp932) +
         std::string(text.substr(0, Exception::kMaxValueBytes)) +
         std::string(kConvertAfter.cp932);
}

enum class Outcome {
  kValue,         // reads, and rounds to the expected double
  kOverflow,      // reads, but the rounding to a double fails with EOverflow
  kConvertError,  // fails with EConvertError quoting the text
};

struct Case {
  std::string text;
  Outcome outcome;
  double expected = 0;
  char mark = '.';
};

// Reads one case and checks its outcome, the message of a failure included.
void Check(const Case& c) {
  SCOPED_TRACE("text '" + c.text.substr(0, 40) + "' mark '" + c.mark + "'");
  try {
    const Extended value = ReadNumber(c.text, c.mark);
    ASSERT_NE(Outcome::kConvertError, c.outcome) << "read as " << Hex(value);
    EXPECT_TRUE(value.IsFinite()) << Hex(value);
    if (c.outcome == Outcome::kOverflow) {
      EXPECT_THROW(ToDouble(value), EOverflow);
    } else {
      EXPECT_EQ(Bits(c.expected), Bits(ToDouble(value)))
          << c.expected << " vs " << RoundToDouble(value);
    }
  } catch (const EConvertError& e) {
    EXPECT_EQ(Outcome::kConvertError, c.outcome);
    EXPECT_EQ(ConvertMessage(c.text), e.Message(Encoding::kCp932));
  }
}

TEST(ReadNumberTest, GrammarAndLimits) {
  const double kMin = std::numeric_limits<double>::denorm_min();
  const Outcome kValue = Outcome::kValue;
  const Outcome kFails = Outcome::kConvertError;
  const Outcome kOverflow = Outcome::kOverflow;
  const Case cases[] = {
      {" 12.5 ", kValue, 12.5},
      {"000.5", kValue, 0.5},
      {"022.4", kValue, 22.4},
      {"0.1", kValue, 0.1},
      {"+5", kValue, 5},
      {" -3.5e+2 ", kValue, -350},
      {"5.", kValue, 5},
      {".5", kValue, 0.5},
      {".", kValue, 0},
      {"-0", kValue, -0.0},
      {"-.", kValue, -0.0},
      {".e5", kValue, 0},
      {"1e", kValue, 1},
      {"1e+", kValue, 1},
      {"2E-", kValue, 2},
      {"1E5 ", kValue, 100000},
      {"1e0000000005", kValue, 100000},  // leading zeros never reach the stop
      {"   7", kValue, 7},
      {"1889.72213e-2", kValue, 0x1.2e5b04b8cc64cp+4},  // not ...64d: see below
      {"1.7976931348623157e308", kValue, DBL_MAX},
      {"4.9e-324", kValue, kMin},
      {"2.4e-324", kValue, 0},
      {"1e-4999", kValue, 0},
      {"1e-400", kValue, 0},
      {"-1e-400", kValue, -0.0},
      {"1e0500", kOverflow},
      {"1.8e308", kOverflow},
      {"1e400", kOverflow},
      {"1e4932", kOverflow},
      {"-1e4932", kOverflow},
      {"1e4933", kFails},
      {"1.2e4932", kFails},
      {"1e4999", kFails},
      {"1e5000", kFails},  // the exponent stops at 500; the last 0 is left over
      {"1e-5000", kFails},
      {"", kFails},
      {" ", kFails},
      {"+", kFails},
      {"-", kFails},
      {"e5", kFails},
      {"+e5", kFails},
      {"- 5", kFails},
      {"+-5", kFails},
      {"--5", kFails},
      {"5-", kFails},
      {"\t5", kFails},
      {"5\t", kFails},
      {"5\r", kFails},
      {std::string("5\0", 2), kFails},  // a NUL byte is no end of the text
      {"1,5", kFails},
      {"1,000", kFails},
      {"1 000", kFails},
      {"1.2.3", kFails},
      {"12 .5", kFails},
      {"1 e5", kFails},
      {"1e 5", kFails},
      {"1e5.", kFails},
      {"0x1A", kFails},
      {"inf", kFails},
      {"NaN", kFails},
      {"\x82\x4F", kFails},  // full-width 0 in code page 932
      {"1,5", kValue, 1.5, ','},
      {" -,25e1 ", kValue, -2.5, ','},
      {"000.5", kFails, 0, ','},
      {"1.5", kFails, 0, ','},
      // Digits that overflow the format fail even when the scale would bring
      // the value below 1.
      {"0." + std::string(5000, '1'), kFails},
      // A scale of -5120 or below gives 0, whatever the digits.
      {"0." + std::string(199, '0') + "1" + std::string(4920, '0'), kValue, 0},
      {"-0." + std::string(199, '0') + "1" + std::string(4920, '0'), kValue, -0.0},
  };
  for (const Case& c : cases) Check(c);
}

TEST(ReadNumberTest, AccumulatesWithARoundingAtEveryStep) {
  // Below 2^64 the digits are exact; 2^64 - 1 has 20 digits.
  EXPECT_TRUE(Same(Extended::FromInteger(UINT64_MAX), ReadNumber("18446744073709551615", '.')));
  // 1844674407370955161 * 10 + 9 = 2^64 + 3: halfway between 2^64 + 2 and
  // 2^64 + 4, it goes to the even 2^64 + 4.
  EXPECT_TRUE(Same(Extended::FromBits(0x403F, 0x8000000000000002),
                   ReadNumber("18446744073709551619", '.')));
  // A short fraction is one exact division: 125 / 10.
  EXPECT_TRUE(Same(Extended::FromDouble(12.5), ReadNumber("12.5", '.')));
  // 188972213 / 10^7 rounded to 64 bits lies exactly halfway between two
  // doubles; ties to even gives the double one below the nearest one.
  const Extended halfway = ReadNumber("1889.72213e-2", '.');
  EXPECT_TRUE(Same(Extended::FromInteger(188972213) / Extended::FromInteger(10000000), halfway));
  EXPECT_EQ(Bits(0x1.2e5b04b8cc64cp+4), Bits(ToDouble(halfway)));
  EXPECT_EQ(Bits(0x1.2e5b04b8cc64dp+4), Bits(std::strtod("1889.72213e-2", nullptr)));
}

TEST(ReadNumberTest, ScaleOfMinus5119StillDivides) {
  const double value =
      ToDouble(ReadNumber("0." + std::string(199, '0') + "1" + std::string(4919, '0'), '.'));
  EXPECT_NEAR(1.0, value / 1e-200, 1e-15);
}

// 10^k rounded to nearest, ties to even, to a 64-bit significand, computed on
// exact big integers.
Extended RoundedPowerOfTen(int k) {
  std::vector<uint32_t> limbs{1};  // little-endian base 2^32
  for (int i = 0; i < k; ++i) {
    uint64_t carry = 0;
    for (uint32_t& limb : limbs) {
      const uint64_t product = uint64_t{limb} * 10 + carry;
      limb = static_cast<uint32_t>(product);
      carry = product >> 32;
    }
    if (carry != 0) limbs.push_back(static_cast<uint32_t>(carry));
  }
  const auto bit = [&limbs](int i) { return i >= 0 && ((limbs[i / 32] >> (i % 32)) & 1) != 0; };
  const int length = static_cast<int>(limbs.size()) * 32 - std::countl_zero(limbs.back());
  uint64_t significand = 0;
  for (int i = length - 1; i >= length - 64; --i) significand = (significand << 1) | bit(i);
  int exponent = 16383 + length - 1;
  const int half = length - 65;
  bool beyond_half = false;
  for (int i = half - 1; i >= 0 && !beyond_half; --i) beyond_half = bit(i);
  if (bit(half) && (beyond_half || (significand & 1) != 0)) {
    if (++significand == 0) {
      significand = uint64_t{1} << 63;
      ++exponent;
    }
  }
  return Extended::FromBits(static_cast<uint16_t>(exponent), significand);
}

TEST(ScaleByPowerOfTenTest, TablesHoldThePowersRoundedToNearest) {
  // A scale that picks a single table entry multiplies 1 by that entry.
  std::vector<int> scales;
  for (int i = 0; i < 32; ++i) scales.push_back(i);
  for (int i = 1; i < 16; ++i) scales.push_back(32 * i);
  for (int i = 1; i < 10; ++i) scales.push_back(512 * i);
  for (int k : scales) {
    const Extended expected = RoundedPowerOfTen(k);
    const Extended actual = ScaleByPowerOfTen(Extended::FromInteger(1), k);
    EXPECT_TRUE(Same(expected, actual)) << "1e" << k << ": " << Hex(expected) << " vs " << Hex(actual);
  }
}

TEST(ScaleByPowerOfTenTest, Limits) {
  const Extended one = Extended::FromInteger(1);
  const Extended big = ScaleByPowerOfTen(one, 4900);
  EXPECT_TRUE(Same(Extended(), ScaleByPowerOfTen(big, -5120)));
  EXPECT_TRUE(Same(Extended(), ScaleByPowerOfTen(-big, INT32_MIN)));
  EXPECT_FALSE(ScaleByPowerOfTen(big, -5119).IsZero());
  EXPECT_TRUE(Same(big, ScaleByPowerOfTen(big, 0)));
  EXPECT_TRUE(ScaleByPowerOfTen(big, 33).IsInfinite());
  // Beyond the tables, the value keeps being scaled.
  const Extended tiny = Extended::FromBits(0x0000, 1);  // 2^-16445, about 1e-4951
  const double scaled = ToDouble(ScaleByPowerOfTen(tiny, 5120));
  EXPECT_GT(scaled, 1e169);
  EXPECT_LT(scaled, 1e170);
  EXPECT_TRUE(ScaleByPowerOfTen(one, INT32_MAX).IsInfinite());
  EXPECT_TRUE(ScaleByPowerOfTen(Extended(), INT32_MAX).IsZero());
}

#ifdef TRACKSIFT_X87

// The same steps done by the x87 unit, with the tables from the C library's
// correctly rounded strtold.
class HardwareReader {
 public:
  HardwareReader() {
    for (int i = 0; i < 32; ++i) powers_[i] = Power(i);
    for (int i = 1; i < 16; ++i) powers32_[i] = Power(32 * i);
    for (int i = 1; i < 10; ++i) powers512_[i] = Power(512 * i);
  }

  // digits: all digits of the text; scale: exponent minus fraction digits.
  long double Read(const std::string& digits, int scale) const {
    long double v = 0;
    for (char c : digits) v = v * 10 + (c - '0');
    if (scale <= -5120) return 0;
    const int n = std::abs(scale);
    const long double steps[3] = {powers_[n % 32], powers32_[(n / 32) % 16], powers512_[n / 512]};
    for (int i = 0; i < 3; ++i) {
      if (i > 0 && steps[i] == 0) continue;  // b or c is 0: no step
      v = scale < 0 ? v / steps[i] : v * steps[i];
    }
    return v;
  }

 private:
  static long double Power(int k) {
    return std::strtold(("1e" + std::to_string(k)).c_str(), nullptr);
  }
  long double powers_[32] = {};
  long double powers32_[16] = {};
  long double powers512_[10] = {};
};

TEST(ReadNumberHardwareTest, MatchesTheStepsOnX87) {
  const HardwareReader hardware;
  std::mt19937_64 random(0x6E756D62);
  const auto digits = [&random](int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += static_cast<char>('0' + random() % 10);
    return text;
  };
  int mismatches = 0;
  for (int i = 0; i < 20000; ++i) {
    const std::string whole = digits(static_cast<int>(random() % 26));
    const std::string fraction = digits(static_cast<int>(random() % 26));
    const int exponent = random() % 2 == 0 ? static_cast<int>(random() % 9999) - 4999
                                           : static_cast<int>(random() % 81) - 40;
    const std::string text = whole + "." + fraction + "e" + std::to_string(exponent);
    const long double expected =
        hardware.Read(whole + fraction, exponent - static_cast<int>(fraction.size()));
    bool same;
    try {
      const Extended actual = ReadNumber(text, '.');
      const Extended wanted = FromHardware(expected);
      same = wanted.Significand() == actual.Significand() &&
             wanted.SignExponent() == actual.SignExponent();
    } catch (const EConvertError&) {
      same = std::isinf(expected);
    }
    if (!same && ++mismatches <= 5) ADD_FAILURE() << text;
  }
  EXPECT_EQ(0, mismatches);
}

#endif  // x87 long double

}  // namespace
}  // namespace tracksift

#include "tracklog/extended.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "base/failure.h"
#include "tracklog/x87_for_tests.h"

namespace tracksift {
namespace {

std::string Hex(Extended x) {
  char text[40];
  std::snprintf(text, sizeof text, "%04X:%016llX", x.SignExponent(),
                static_cast<unsigned long long>(x.Significand()));
  return text;
}

uint64_t Bits(double d) { return std::bit_cast<uint64_t>(d); }

// Compares encodings; every NaN matches every NaN.
::testing::AssertionResult Same(Extended expected, Extended actual) {
  if (expected.IsNaN() && actual.IsNaN()) return ::testing::AssertionSuccess();
  if (expected.SignExponent() == actual.SignExponent() &&
      expected.Significand() == actual.Significand()) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "expected " << Hex(expected) << ", got " << Hex(actual);
}

const Extended kOne = Extended::FromInteger(1);
const Extended kTwo = Extended::FromInteger(2);
const Extended kThree = Extended::FromInteger(3);
const Extended kMax = Extended::FromBits(0x7FFE, 0xFFFFFFFFFFFFFFFF);
const Extended kMinNormal = Extended::FromBits(0x0001, 0x8000000000000000);
const Extended kMinSubnormal = Extended::FromBits(0x0000, 1);
const Extended kInfinity = Extended::FromBits(0x7FFF, 0x8000000000000000);
const Extended kZero;

// 2^k for the exponents of the format's normal range.
Extended PowerOfTwo(int k) {
  return Extended::FromBits(static_cast<uint16_t>(16383 + k), 0x8000000000000000);
}

TEST(ExtendedTest, ExactValues) {
  EXPECT_TRUE(Same(Extended::FromBits(0x3FFF, 0x8000000000000000), kOne));
  EXPECT_TRUE(Same(Extended::FromBits(0x403E, 0xFFFFFFFFFFFFFFFF),
                   Extended::FromInteger(UINT64_MAX)));
  EXPECT_TRUE(Same(kZero, Extended::FromInteger(0)));
  EXPECT_TRUE(Same(Extended::FromBits(0x3FFF, 0xC000000000000000), Extended::FromDouble(1.5)));
  EXPECT_TRUE(Same(Extended::FromBits(0x8000, 0), Extended::FromDouble(-0.0)));
  // Every double fits, the subnormal ones as normal extended values.
  EXPECT_TRUE(Same(PowerOfTwo(-1074), Extended::FromDouble(std::numeric_limits<double>::denorm_min())));
  EXPECT_TRUE(Same(Extended::FromBits(0x43FE, 0xFFFFFFFFFFFFF800),
                   Extended::FromDouble(std::numeric_limits<double>::max())));
  EXPECT_TRUE(Same(kInfinity, Extended::FromDouble(HUGE_VAL)));
  EXPECT_TRUE(Extended::FromDouble(std::nan("")).IsNaN());
}

TEST(ExtendedTest, RoundsToNearestTiesToEven) {
  // 1/3 = 0.AAAA...: the dropped bits are more than half, so it rounds up.
  EXPECT_TRUE(Same(Extended::FromBits(0x3FFD, 0xAAAAAAAAAAAAAAAB), kOne / kThree));
  EXPECT_TRUE(Same(Extended::FromBits(0x3FFE, 0xAAAAAAAAAAAAAAAB), kTwo / kThree));
  // 2^64 + 1 and 2^64 + 3 lie halfway; they go to the even neighbours 2^64
  // and 2^64 + 4.
  const Extended two64 = PowerOfTwo(64);
  EXPECT_TRUE(Same(two64, two64 + kOne));
  EXPECT_TRUE(Same(Extended::FromBits(0x403F, 0x8000000000000002), two64 + kThree));
  // (2^64 - 1) * 3 = 2^65 + 2^64 - 3: the two lowest bits 01 are dropped.
  EXPECT_TRUE(Same(Extended::FromBits(0x4040, 0xBFFFFFFFFFFFFFFF),
                   Extended::FromInteger(UINT64_MAX) * kThree));
  // A subtraction that borrows through a long sticky tail:
  // 1 - 2^-200 is just below 1 and rounds back to 1.
  EXPECT_TRUE(Same(kOne, kOne - PowerOfTwo(-200)));
  // 2^64 - 2^-200 lies just below 2^64, where the spacing halves: still 2^64.
  EXPECT_TRUE(Same(two64, two64 - PowerOfTwo(-200)));
  // 1 - 2^-65 is halfway between 1 - 2^-64 and 1; a tail far below the last
  // bit of the operands puts it just under halfway, so it rounds down.
  EXPECT_TRUE(Same(Extended::FromBits(0x3FFE, 0xFFFFFFFFFFFFFFFF),
                   kOne - (PowerOfTwo(-65) + PowerOfTwo(-128))));
  EXPECT_TRUE(Same(kOne, kOne - PowerOfTwo(-65)));
  // Exact cancellation gives +0, and -0 only from -0 + -0.
  EXPECT_TRUE(Same(kZero, kThree - kThree));
  EXPECT_TRUE(Same(kZero, -kThree + kThree));
  EXPECT_TRUE(Same(Extended::FromBits(0x8000, 0), -kZero + -kZero));
  EXPECT_TRUE(Same(kZero, kZero + -kZero));
}

TEST(ExtendedTest, OverflowAndUnderflow) {
  EXPECT_TRUE(Same(kInfinity, kMax * kTwo));
  EXPECT_TRUE(Same(-kInfinity, -kMax - kMax));
  EXPECT_TRUE(Same(kInfinity, kMax / Extended::FromDouble(0.5)));
  // kMax plus half its last unit is a tie; kMax is odd, so it rounds up,
  // beyond the range.
  EXPECT_TRUE(Same(kInfinity, kMax + PowerOfTwo(16319)));
  EXPECT_TRUE(Same(kMax, kMax + PowerOfTwo(16318)));
  // Results below 2^-16382 keep fewer bits; below half of 2^-16445 they
  // vanish. Half of the smallest subnormal ties to the even 0; one and a half
  // ties to the even 2.
  EXPECT_TRUE(Same(Extended::FromBits(0x0000, 0x4000000000000000), kMinNormal / kTwo));
  EXPECT_TRUE(Same(kZero, kMinSubnormal / kTwo));
  EXPECT_TRUE(Same(Extended::FromBits(0x0000, 2), kMinSubnormal * kThree / kTwo));
  EXPECT_TRUE(Same(Extended::FromBits(0x8000, 0), -kMinSubnormal * kMinSubnormal));
  // The largest subnormal rounds up to the smallest normal when it gains a
  // bit below its last one.
  const Extended largest_subnormal = Extended::FromBits(0x0000, 0x7FFFFFFFFFFFFFFF);
  EXPECT_TRUE(Same(kMinNormal, largest_subnormal * (kOne + PowerOfTwo(-63))));
  // A subnormal operand with its leading bit set is read by its value.
  EXPECT_TRUE(Same(kMinNormal, Extended::FromBits(0x0000, 0x8000000000000000) * kOne));
}

TEST(ExtendedTest, SpecialOperands) {
  EXPECT_TRUE((kInfinity - kInfinity).IsNaN());
  EXPECT_TRUE((kInfinity * kZero).IsNaN());
  EXPECT_TRUE((kZero / kZero).IsNaN());
  EXPECT_TRUE((kInfinity / kInfinity).IsNaN());
  EXPECT_TRUE(Extended::FromBits(0x3FFF, 0x4000000000000000).IsNaN());  // unnormal
  EXPECT_TRUE(Same(-kInfinity, -kOne / kZero));
  EXPECT_TRUE(Same(Extended::FromBits(0x8000, 0), kOne / -kInfinity));
  EXPECT_TRUE(Same(kInfinity, kInfinity + kMax));
  EXPECT_TRUE(Same(Extended::FromBits(0xBFFF, 0x8000000000000000), -kOne));
}

TEST(ExtendedTest, ComparesExactly) {
  const Extended nan = kZero / kZero;
  const Extended just_above_one = Extended::FromBits(0x3FFF, 0x8000000000000001);
  EXPECT_TRUE(kZero == -kZero);
  EXPECT_TRUE(kZero >= -kZero);
  EXPECT_FALSE(kZero < -kZero);
  EXPECT_TRUE(kOne < just_above_one);
  EXPECT_TRUE(-just_above_one < -kOne);
  EXPECT_TRUE(kMinSubnormal > kZero);
  EXPECT_TRUE(kMinSubnormal < kMinNormal);
  EXPECT_TRUE(-kInfinity < -kMax);
  EXPECT_TRUE(kInfinity >= kInfinity);
  EXPECT_TRUE(-kZero > -kMinSubnormal);
  EXPECT_FALSE(nan == nan);
  EXPECT_FALSE(nan >= kZero);
  EXPECT_FALSE(nan < kZero);
  EXPECT_TRUE(nan != nan);
  // Values a double cannot tell apart are still told apart.
  EXPECT_TRUE(Extended::FromDouble(1.0) / Extended::FromDouble(3.0) >=
              Extended::FromBits(0x3FFD, 0xAAAAAAAAAAAAAAAB));
  EXPECT_FALSE(Extended::FromDouble(1.0) / Extended::FromDouble(3.0) >=
               Extended::FromBits(0x3FFD, 0xAAAAAAAAAAAAAAAC));
}

TEST(ExtendedTest, RoundsToDouble) {
  struct Case {
    Extended value;
    double expected;
  };
  const Case cases[] = {
      {kOne / kThree, 1.0 / 3.0},
      // 1 + 2^-53 is halfway between 1 and the next double: even is 1.
      {kOne + PowerOfTwo(-53), 1.0},
      // 1 + 3 * 2^-53 is halfway too: even is 1 + 2^-51.
      {kOne + kThree * PowerOfTwo(-53), 1.0 + 0x1p-51},
      // Just above halfway rounds up, whatever far bit makes it so.
      {kOne + PowerOfTwo(-53) + PowerOfTwo(-63), 1.0 + 0x1p-52},
      // Subnormal doubles: 2^-1075 ties to 0, and a bit more rounds up. A
      // rounding to 53 bits first and to the subnormal unit then would give 0.
      {PowerOfTwo(-1075), 0.0},
      {PowerOfTwo(-1075) + PowerOfTwo(-1100), 0x1p-1074},
      {kThree * PowerOfTwo(-1076), 0x1p-1074},
      {kThree * PowerOfTwo(-1075), 0x1p-1073},
      {PowerOfTwo(-1023) + PowerOfTwo(-1075), 0x1p-1023},
      // The largest subnormal double plus a half unit carries into the
      // smallest normal double.
      {Extended::FromDouble(0x0.fffffffffffffp-1022) + PowerOfTwo(-1075), 0x1p-1022},
      {-kMinSubnormal, -0.0},
      {-kZero, -0.0},
      // The largest double stays when one unit of the format below the tie
      // with 2^1024 is added to it.
      {Extended::FromDouble(DBL_MAX) + PowerOfTwo(970) - PowerOfTwo(960), DBL_MAX},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.value));
    EXPECT_EQ(Bits(c.expected), Bits(ToDouble(c.value)));
  }
}

TEST(ExtendedTest, ToDoubleFailsBeyondTheLargestDouble) {
  // DBL_MAX plus half its last unit ties; DBL_MAX is odd, so it rounds to
  // 2^1024.
  const Extended beyond[] = {Extended::FromDouble(DBL_MAX) + PowerOfTwo(970),
                             -PowerOfTwo(1024), kMax, kInfinity, -kInfinity};
  for (const Extended& x : beyond) {
    SCOPED_TRACE(Hex(x));
    EXPECT_THROW(ToDouble(x), EOverflow);
    EXPECT_TRUE(std::isinf(RoundToDouble(x)));
  }
  EXPECT_EQ(EOverflow().Message(Encoding::kUtf8), "浮動小数点数のオーバーフロー");
}

TEST(ExtendedTest, LeavesTheFloatingPointFlagsAlone) {
  std::feclearexcept(FE_ALL_EXCEPT);
  // Overflow, underflow, inexact, division by zero and invalid, in software.
  (void)(kMax * kMax);
  (void)(kMinSubnormal / kThree);
  (void)(kOne / kZero);
  (void)(kZero / kZero);
  (void)RoundToDouble(kMinSubnormal);
  (void)RoundToDouble(kMax);
  (void)Extended::FromDouble(std::numeric_limits<double>::signaling_NaN());
  EXPECT_EQ(0, std::fetestexcept(FE_ALL_EXCEPT));
}

TEST(ExtendedTest, APreparedDivisorGivesTheSameQuotients) {
  // Dividends of every size, subnormals and the ends of the range included,
  // over the powers of ten, significands at both ends, random divisors and
  // divisors that are not normal numbers.
  std::mt19937_64 random(5);
  const auto some = [&random](int low, int high) {
    const int biased = low + static_cast<int>(random() % static_cast<uint64_t>(high - low + 1));
    uint64_t m = random() | (uint64_t{1} << 63);
    if (random() % 3 == 0) m &= ~uint64_t{0} << (random() % 64);  // trailing zeros
    if (biased == 0) m >>= 1;
    return Extended::FromBits(static_cast<uint16_t>((random() % 2 ? 0x8000 : 0) | biased), m);
  };
  std::vector<Extended> divisors = {Extended::FromBits(0x3FFF, 0x8000000000000000),
                                    Extended::FromBits(0x3FFF, 0xFFFFFFFFFFFFFFFF),
                                    Extended::FromBits(0x3FFF, 0x8000000000000001),
                                    kZero,
                                    kMinSubnormal,
                                    kInfinity,
                                    kZero / kZero};
  uint64_t power = 1;
  for (int k = 0; k <= 19; ++k, power *= 10) divisors.push_back(Extended::FromInteger(power));
  for (int i = 0; i < 40; ++i) divisors.push_back(some(1, 0x7FFE));
  for (const Extended divisor : divisors) {
    const PreparedDivisor prepared(divisor);
    for (int i = 0; i < 3000; ++i) {
      const int band = i % 4;
      const Extended a = band == 0   ? some(0, 200)
                         : band == 1 ? some(0x7FFE - 200, 0x7FFE)
                         : band == 2 ? some(0x3FFF - 70, 0x3FFF + 70)
                                     : some(0, 0x7FFE);
      ASSERT_EQ(Hex(a / prepared), Hex(a / divisor)) << Hex(a) << " / " << Hex(divisor);
    }
  }
}

#ifdef TRACKSIFT_X87

// The x87 unit computes in this very format, rounding to nearest at 64 bits
// by default: its results are the reference, bit for bit.

// Random operands, deterministic, weighted towards the places where rounding
// is hard: subnormal and huge values, the edges of the double range,
// significands with long runs of trailing zeros (exact results and ties), and
// pairs of close values (cancellation).
class RandomOperands {
 public:
  Extended Next() {
    const uint64_t choice = random_() % 16;
    if (choice == 0) return Special();
    int biased;
    switch (choice) {
      case 1: case 2: biased = Between(0, 70); break;                // tiny, subnormal
      case 3: case 4: biased = Between(0x7FFE - 70, 0x7FFE); break;  // huge
      case 5: case 6: biased = Between(16383 - 70, 16383 + 70); break;
      case 7: case 8: biased = Between(16383 - 1100, 16383 - 1000); break;  // small doubles
      case 9: biased = Between(16383 + 1000, 16383 + 1030); break;          // large doubles
      default: biased = Between(0, 0x7FFE); break;
    }
    return Make(random_() % 2 == 1, biased, random_());
  }

  // A value close to x: nearly the same exponent and leading bits.
  Extended Near(Extended x) {
    if (!x.IsFinite() || x.IsZero()) return Next();
    // Exponents a little apart cancel leading bits; about 64 apart, the
    // smaller operand falls partly or wholly below the larger one's last bit.
    int biased = x.SignExponent() & 0x7FFF;
    switch (random_() % 4) {
      case 0: biased += Between(-130, 130); break;
      case 1: biased += (random_() % 2 == 0 ? 1 : -1) * Between(62, 67); break;
      default: biased += Between(-2, 2); break;
    }
    biased = std::max(0, std::min(0x7FFE, biased));
    const uint64_t flipped = x.Significand() ^ (random_() >> Between(1, 63));
    return Make(random_() % 2 == 1, biased, flipped);
  }

  uint64_t Raw() { return random_(); }
  int Between(int low, int high) {
    return low + static_cast<int>(random_() % static_cast<uint64_t>(high - low + 1));
  }

 private:
  Extended Make(bool negative, int biased, uint64_t significand) {
    // Half the time, clear a random number of trailing bits; now and then
    // keep a single bit besides the leading one.
    switch (random_() % 8) {
      case 0: significand = uint64_t{1} << Between(0, 62); break;
      case 1: case 2: case 3: significand &= ~uint64_t{0} << Between(0, 63); break;
      default: break;
    }
    if (biased == 0) {
      significand &= ~(uint64_t{1} << 63);
    } else {
      significand |= uint64_t{1} << 63;
    }
    return Extended::FromBits(static_cast<uint16_t>((negative ? 0x8000 : 0) | biased),
                              significand);
  }

  Extended Special() {
    const Extended specials[] = {kZero, -kZero, kInfinity, -kInfinity, kMax, -kMax,
                                 kMinNormal, kMinSubnormal, kOne, -kOne, kZero / kZero};
    return specials[random_() % std::size(specials)];
  }

  std::mt19937_64 random_{0x7472616B};
};

constexpr int kCases = 250000;

// Runs kCases random cases of one operation against the hardware; names the
// first few that differ.
template <typename Soft, typename Hard>
void CompareBinary(const char* name, Soft soft, Hard hard) {
  RandomOperands random;
  std::fenv_t saved;
  std::fegetenv(&saved);
  int mismatches = 0;
  for (int i = 0; i < kCases; ++i) {
    const Extended a = random.Next();
    const Extended b = random.Raw() % 2 == 0 ? random.Near(a) : random.Next();
    const Extended expected = FromHardware(hard(ToHardware(a), ToHardware(b)));
    const Extended actual = soft(a, b);
    if (!Same(expected, actual) && ++mismatches <= 5) {
      ADD_FAILURE() << name << " " << Hex(a) << " " << Hex(b) << ": expected " << Hex(expected)
                    << ", got " << Hex(actual);
    }
  }
  std::fesetenv(&saved);
  EXPECT_EQ(0, mismatches) << name;
}

TEST(ExtendedHardwareTest, ArithmeticMatchesX87) {
  CompareBinary("*", [](Extended a, Extended b) { return a * b; },
                [](long double a, long double b) { return a * b; });
  CompareBinary("/", [](Extended a, Extended b) { return a / b; },
                [](long double a, long double b) { return a / b; });
  CompareBinary("+", [](Extended a, Extended b) { return a + b; },
                [](long double a, long double b) { return a + b; });
  CompareBinary("-", [](Extended a, Extended b) { return a - b; },
                [](long double a, long double b) { return a - b; });
}

TEST(ExtendedHardwareTest, DigitStepMatchesX87) {
  // V * 10 + d, two roundings, for accumulators of up to about 2^140.
  RandomOperands random;
  int mismatches = 0;
  for (int i = 0; i < kCases; ++i) {
    const uint64_t digit = random.Raw() % 10;
    const int biased = random.Between(16383, 16383 + 140);
    const uint64_t significand = random.Raw() | (uint64_t{1} << 63);
    const Extended v = Extended::FromBits(static_cast<uint16_t>(biased), significand);
    const Extended expected = FromHardware(ToHardware(v) * 10.0L + static_cast<long double>(digit));
    const Extended actual = v * Extended::FromInteger(10) + Extended::FromInteger(digit);
    if (!Same(expected, actual) && ++mismatches <= 5) {
      ADD_FAILURE() << Hex(v) << " " << digit << ": expected " << Hex(expected) << ", got "
                    << Hex(actual);
    }
  }
  EXPECT_EQ(0, mismatches);
}

TEST(ExtendedHardwareTest, ComparisonMatchesX87) {
  RandomOperands random;
  int mismatches = 0;
  for (int i = 0; i < kCases; ++i) {
    const Extended a = random.Next();
    Extended b;
    switch (random.Raw() % 4) {
      case 0: b = a; break;
      case 1: b = -a; break;
      case 2: b = random.Near(a); break;
      default: b = random.Next(); break;
    }
    const long double x = ToHardware(a), y = ToHardware(b);
    const bool agree = (a == b) == (x == y) && (a < b) == (x < y) && (a <= b) == (x <= y) &&
                       (a > b) == (x > y) && (a >= b) == (x >= y) && (a != b) == (x != y);
    if (!agree && ++mismatches <= 5) ADD_FAILURE() << Hex(a) << " " << Hex(b);
  }
  EXPECT_EQ(0, mismatches);
}

TEST(ExtendedHardwareTest, DoubleConversionsMatchX87) {
  RandomOperands random;
  int mismatches = 0;
  for (int i = 0; i < kCases; ++i) {
    // To double from every kind of extended value.
    const Extended x = random.Next();
    const double expected = static_cast<double>(ToHardware(x));
    const double actual = RoundToDouble(x);
    const bool same = std::isnan(expected) ? std::isnan(actual) : Bits(expected) == Bits(actual);
    if (!same && ++mismatches <= 5) {
      ADD_FAILURE() << "to double " << Hex(x) << ": expected " << expected << ", got " << actual;
    }
    // From double, for random bit patterns (every class of double).
    const double d = std::bit_cast<double>(random.Raw());
    if (!Same(FromHardware(d), Extended::FromDouble(d)) && ++mismatches <= 5) {
      ADD_FAILURE() << "from double " << d;
    }
  }
  EXPECT_EQ(0, mismatches);
}

#endif  // x87 long double

}  // namespace
}  // namespace tracksift

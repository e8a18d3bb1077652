// Results of the 64-bit-significand arithmetic and of number reading,
// recorded once on x86-64 and checked on every platform. On x86-64 the x87
// unit computes in the same format, so there each recorded operation is also
// checked against the hardware; on 64-bit Arm, whose long double is another
// format, these cases are what show that the software gives the same bits.
//
// tracklog/testdata/extended_golden.txt is written by the disabled test at
// the end, run on x86-64:
//   unit_tests --gtest_also_run_disabled_tests --gtest_filter='*WriteTheCases'

#include <gtest/gtest.h>

#include <cfloat>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "base/failure.h"
#include "tracklog/extended.h"
#include "tracklog/read_number.h"
#include "tracklog/x87_for_tests.h"

namespace tracksift {
namespace {

const std::string kCasesPath =
    std::string(TRACKSIFT_SOURCE_DIR) + "/tracklog/testdata/extended_golden.txt";

std::string Hex(Extended x) {
  char text[24];
  std::snprintf(text, sizeof text, "%04X%016" PRIX64, x.SignExponent(), x.Significand());
  return text;
}

Extended FromHex(const std::string& hex) {
  return Extended::FromBits(static_cast<uint16_t>(std::stoul(hex.substr(0, 4), nullptr, 16)),
                            std::stoull(hex.substr(4), nullptr, 16));
}

std::string HexBytes(const std::string& bytes) {
  std::string hex;
  for (unsigned char c : bytes) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02X", c);
    hex += pair;
  }
  return hex.empty() ? "-" : hex;
}

std::string FromHexBytes(const std::string& hex) {
  std::string bytes;
  if (hex == "-") return bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return bytes;
}

Extended Apply(const std::string& op, Extended a, Extended b) {
  if (op == "mul") return a * b;
  if (op == "div") return a / b;
  if (op == "add") return a + b;
  return a - b;
}

// What reading text as a double gives: the double's bits, or the failure.
std::string ReadAsDouble(const std::string& text) {
  try {
    const double d = ToDouble(ReadNumber(text, '.'));
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    char hex[20];
    std::snprintf(hex, sizeof hex, "%016" PRIX64, bits);
    return hex;
  } catch (const EConvertError&) {
    return "EConvertError";
  } catch (const EOverflow&) {
    return "EOverflow";
  }
}

#ifdef TRACKSIFT_X87
Extended OnHardware(const std::string& op, Extended a, Extended b) {
  const long double x = ToHardware(a), y = ToHardware(b);
  if (op == "mul") return FromHardware(x * y);
  if (op == "div") return FromHardware(x / y);
  if (op == "add") return FromHardware(x + y);
  return FromHardware(x - y);
}
#endif

TEST(ExtendedGoldenTest, RecordedResultsHoldOnThisPlatform) {
  std::ifstream cases(kCasesPath);
  ASSERT_TRUE(cases) << "cannot read " << kCasesPath;
  std::string line;
  int operations = 0, numbers = 0;
  while (std::getline(cases, line)) {
    std::istringstream fields(line);
    std::string kind;
    fields >> kind;
    if (kind == "num") {
      std::string text, expected;
      fields >> text >> expected;
      EXPECT_EQ(ReadAsDouble(FromHexBytes(text)), expected) << line;
      ++numbers;
    } else {
      std::string a, b, expected;
      fields >> a >> b >> expected;
      const Extended result = Apply(kind, FromHex(a), FromHex(b));
      // NaN results are all the one default NaN in the software.
      EXPECT_EQ(Hex(result), expected) << line;
#ifdef TRACKSIFT_X87
      const Extended hardware = OnHardware(kind, FromHex(a), FromHex(b));
      if (!hardware.IsNaN()) {
        EXPECT_EQ(Hex(hardware), expected) << line << " (x87)";
      }
#endif
      ++operations;
    }
  }
  EXPECT_GT(operations, 1000);
  EXPECT_GT(numbers, 1000);
}

// Operands spread over the whole range, subnormals and the edges included.
Extended RandomOperand(std::mt19937_64& random) {
  const uint64_t choice = random() % 8;
  uint16_t biased;
  if (choice == 0) {
    biased = static_cast<uint16_t>(random() % 80);  // tiny and subnormal
  } else if (choice == 1) {
    biased = static_cast<uint16_t>(0x7FFE - random() % 80);  // huge
  } else if (choice < 5) {
    biased = static_cast<uint16_t>(16383 - 80 + random() % 160);  // near 1
  } else {
    biased = static_cast<uint16_t>(1 + random() % 0x7FFD);
  }
  uint64_t significand = random();
  if (random() % 4 == 0) significand &= ~uint64_t{0} << (random() % 64);  // trailing zeros
  significand = biased == 0 ? significand >> 1 : significand | (uint64_t{1} << 63);
  const uint16_t sign = random() % 2 ? 0x8000 : 0;
  return Extended::FromBits(static_cast<uint16_t>(sign | biased), significand);
}

// Texts of the number grammar: digits, a fraction, an exponent, now and then
// a blank or a stray byte.
std::string RandomNumberText(std::mt19937_64& random) {
  static const char kPieces[] = "0123456789";
  std::string text;
  if (random() % 4 == 0) text += random() % 2 ? '-' : '+';
  const int digits = static_cast<int>(random() % 25);
  for (int i = 0; i < digits; ++i) text += kPieces[random() % 10];
  if (random() % 2) {
    text += '.';
    const int fraction = static_cast<int>(random() % 25);
    for (int i = 0; i < fraction; ++i) text += kPieces[random() % 10];
  }
  if (random() % 3 == 0) {
    text += random() % 2 ? 'e' : 'E';
    if (random() % 2) text += random() % 2 ? '-' : '+';
    text += std::to_string(random() % (random() % 4 == 0 ? 5000 : 400));
  }
  if (random() % 20 == 0) text.insert(random() % (text.size() + 1), 1, " ,x"[random() % 3]);
  return text;
}

TEST(ExtendedGoldenTest, DISABLED_WriteTheCases) {
#ifndef TRACKSIFT_X87
  GTEST_SKIP() << "the cases are written where the x87 unit can vouch for them";
#else
  std::mt19937_64 random(20261211);
  std::ofstream out(kCasesPath);
  for (int i = 0; i < 4000; ++i) {
    static const char* const kOps[] = {"mul", "div", "add", "sub"};
    const std::string op = kOps[i % 4];
    const Extended a = RandomOperand(random), b = RandomOperand(random);
    const Extended result = OnHardware(op, a, b);
    if (result.IsNaN()) continue;
    out << op << ' ' << Hex(a) << ' ' << Hex(b) << ' ' << Hex(result) << '\n';
  }
  for (int i = 0; i < 3000; ++i) {
    const std::string text = RandomNumberText(random);
    out << "num " << HexBytes(text) << ' ' << ReadAsDouble(text) << '\n';
  }
#endif
}

}  // namespace
}  // namespace tracksift

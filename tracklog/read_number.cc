#include "tracklog/read_number.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "base/failure.h"

namespace tracksift {
namespace {

// Powers of ten, each rounded to nearest (ties to even) to the 64-bit
// significand of the extended format; 10^0 to 10^27 are exact. Given as the
// stored sign-and-exponent and significand fields. A unit test recomputes
// every entry from the exact integer.

// 10^i, i = 0 to 31.
constexpr Extended kPowers[32] = {
    Extended::FromBits(0x3FFF, 0x8000000000000000),  // 1e0
    Extended::FromBits(0x4002, 0xA000000000000000),  // 1e1
    Extended::FromBits(0x4005, 0xC800000000000000),  // 1e2
    Extended::FromBits(0x4008, 0xFA00000000000000),  // 1e3
    Extended::FromBits(0x400C, 0x9C40000000000000),  // 1e4
    Extended::FromBits(0x400F, 0xC350000000000000),  // 1e5
    Extended::FromBits(0x4012, 0xF424000000000000),  // 1e6
    Extended::FromBits(0x4016, 0x9896800000000000),  // 1e7
    Extended::FromBits(0x4019, 0xBEBC200000000000),  // 1e8
    Extended::FromBits(0x401C, 0xEE6B280000000000),  // 1e9
    Extended::FromBits(0x4020, 0x9502F90000000000),  // 1e10
    Extended::FromBits(0x4023, 0xBA43B74000000000),  // 1e11
    Extended::FromBits(0x4026, 0xE8D4A51000000000),  // 1e12
    Extended::FromBits(0x402A, 0x9184E72A00000000),  // 1e13
    Extended::FromBits(0x402D, 0xB5E620F480000000),  // 1e14
    Extended::FromBits(0x4030, 0xE35FA931A0000000),  // 1e15
    Extended::FromBits(0x4034, 0x8E1BC9BF04000000),  // 1e16
    Extended::FromBits(0x4037, 0xB1A2BC2EC5000000),  // 1e17
    Extended::FromBits(0x403A, 0xDE0B6B3A76400000),  // 1e18
    Extended::FromBits(0x403E, 0x8AC7230489E80000),  // 1e19
    Extended::FromBits(0x4041, 0xAD78EBC5AC620000),  // 1e20
    Extended::FromBits(0x4044, 0xD8D726B7177A8000),  // 1e21
    Extended::FromBits(0x4048, 0x878678326EAC9000),  // 1e22
    Extended::FromBits(0x404B, 0xA968163F0A57B400),  // 1e23
    Extended::FromBits(0x404E, 0xD3C21BCECCEDA100),  // 1e24
    Extended::FromBits(0x4052, 0x84595161401484A0),  // 1e25
    Extended::FromBits(0x4055, 0xA56FA5B99019A5C8),  // 1e26
    Extended::FromBits(0x4058, 0xCECB8F27F4200F3A),  // 1e27
    Extended::FromBits(0x405C, 0x813F3978F8940984),  // 1e28, rounded
    Extended::FromBits(0x405F, 0xA18F07D736B90BE5),  // 1e29, rounded
    Extended::FromBits(0x4062, 0xC9F2C9CD04674EDF),  // 1e30, rounded
    Extended::FromBits(0x4065, 0xFC6F7C4045812296),  // 1e31, rounded
};

// 10^(32 i), i = 1 to 15, at index i - 1. All rounded.
constexpr Extended kPowers32[15] = {
    Extended::FromBits(0x4069, 0x9DC5ADA82B70B59E),  // 1e32
    Extended::FromBits(0x40D3, 0xC2781F49FFCFA6D5),  // 1e64
    Extended::FromBits(0x413D, 0xEFB3AB16C59B14A3),  // 1e96
    Extended::FromBits(0x41A8, 0x93BA47C980E98CE0),  // 1e128
    Extended::FromBits(0x4212, 0xB616A12B7FE617AA),  // 1e160
    Extended::FromBits(0x427C, 0xE070F78D3927556B),  // 1e192
    Extended::FromBits(0x42E7, 0x8A5296FFE33CC930),  // 1e224
    Extended::FromBits(0x4351, 0xAA7EEBFB9DF9DE8E),  // 1e256
    Extended::FromBits(0x43BB, 0xD226FC195C6A2F8C),  // 1e288
    Extended::FromBits(0x4426, 0x81842F29F2CCE376),  // 1e320
    Extended::FromBits(0x4490, 0x9FA42700DB900AD2),  // 1e352
    Extended::FromBits(0x44FA, 0xC4C5E310AEF8AA17),  // 1e384
    Extended::FromBits(0x4564, 0xF28A9C07E9B09C59),  // 1e416
    Extended::FromBits(0x45CF, 0x957A4AE1EBF7F3D4),  // 1e448
    Extended::FromBits(0x4639, 0xB83ED8DC0795A262),  // 1e480
};

// 10^(512 i), i = 1 to 9, at index i - 1. All rounded.
constexpr Extended kPowers512[9] = {
    Extended::FromBits(0x46A3, 0xE319A0AEA60E91C7),  // 1e512
    Extended::FromBits(0x4D48, 0xC976758681750C17),  // 1e1024
    Extended::FromBits(0x53ED, 0xB2B8353B3993A7E4),  // 1e1536
    Extended::FromBits(0x5A92, 0x9E8B3B5DC53D5DE5),  // 1e2048
    Extended::FromBits(0x6137, 0x8CA554C020A1F0A6),  // 1e2560
    Extended::FromBits(0x67DB, 0xF9895D25D88B5A8B),  // 1e3072
    Extended::FromBits(0x6E80, 0xDD5DC8A2BF27F3F8),  // 1e3584
    Extended::FromBits(0x7525, 0xC46052028A20979B),  // 1e4096
    Extended::FromBits(0x7BCA, 0xAE3511626ED559F0),  // 1e4608
};

// 10^0 to 10^19 prepared for division: the divisors of the plain decimals
// that ReadNumber reads directly.
template <size_t... I>
constexpr std::array<PreparedDivisor, sizeof...(I)> PreparePowers(std::index_sequence<I...>) {
  return {PreparedDivisor(kPowers[I])...};
}
constexpr auto kPreparedPowers = PreparePowers(std::make_index_sequence<20>());

// Scales at or below this give 0; the tables reach 10^5119.
constexpr int32_t kScaleLimit = 5120;

// The exponent is read up to the digit that makes it this or more.
constexpr int32_t kExponentStop = 500;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DigitValue(char c) { return c - '0'; }

// Reads the digits from position i on into value, V = V * 10 + d, each step
// rounded; returns the position after them. The value only grows, so once it
// is infinite the text has overflowed: that fails at once, as the text would
// fail in the end anyway.
//
// While the digits read so far, as one integer, stay below 2^64, every one of
// those steps is exact (the product and the sum fit in 64 bits), so they are
// done on a plain integer, which gives the same value much faster; the
// rounded steps take over from the first digit that would leave that range.
struct Accumulator {
  uint64_t integer = 0;  // the value while exact is set
  bool exact = true;
  Extended value;        // the value once exact is clear

  Extended Value() const { return exact ? Extended::FromInteger(integer) : value; }
};

size_t AccumulateDigits(std::string_view text, size_t i, Accumulator& acc) {
  static constexpr Extended kTen = kPowers[1];
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    const uint64_t digit = static_cast<uint64_t>(DigitValue(text[i]));
    if (acc.exact) {
      // Below the first bound any digit fits; only near 2^64 does the
      // digit itself decide.
      constexpr uint64_t kAnyDigitFits = (UINT64_MAX - 9) / 10;
      if (acc.integer <= kAnyDigitFits || acc.integer <= (UINT64_MAX - digit) / 10) {
        acc.integer = acc.integer * 10 + digit;
        continue;
      }
      acc.value = Extended::FromInteger(acc.integer);
      acc.exact = false;
    }
    acc.value = acc.value * kTen + Extended::FromInteger(digit);
    if (acc.value.IsInfinite()) throw EConvertError(text);
  }
  return i;
}

size_t SkipBlanks(std::string_view text, size_t i) {
  while (i < text.size() && text[i] == ' ') ++i;
  return i;
}

}  // namespace

Extended ScaleByPowerOfTen(Extended value, int32_t n) {
  if (n == 0) return value;
  if (n <= -kScaleLimit) return Extended();
  const bool divide = n < 0;
  const auto apply = [divide](Extended v, Extended power) {
    return divide ? v / power : v * power;
  };
  // n > -5120 here, so its magnitude is safe to take.
  const uint32_t magnitude = static_cast<uint32_t>(divide ? -n : n);
  value = apply(value, kPowers[magnitude % 32]);
  const uint32_t b = (magnitude / 32) % 16;
  if (b != 0) value = apply(value, kPowers32[b - 1]);
  uint32_t c = magnitude / 512;
  // Only a positive scale can reach beyond the last table (ReadNumber never
  // asks for one). Each extra 10^4608 moves the value by more than 2^15000,
  // so it is infinite (or stays zero) after at most three of them.
  for (; c > 9; c -= 9) {
    value = apply(value, kPowers512[8]);
    if (!value.IsFinite() || value.IsZero()) return value;
  }
  if (c != 0) value = apply(value, kPowers512[c - 1]);
  return value;
}

Extended ReadNumber(std::string_view text, char decimal_mark) {
  // The common form first: digits and at most one decimal mark, nothing
  // else, at most 19 digits in all (so they are below 10^19 < 2^64), at
  // least one. The steps below then give an exact accumulator N, scaled by
  // 10^-f for f fraction digits: one division by the exact table entry
  // kPowers[f], or none when f = 0. The same two steps are done here
  // directly, the division with the entry's prepared reciprocal.
  {
    uint64_t n = 0;
    int digits = 0;
    int fraction_digits = -1;  // -1: no mark yet
    bool plain = !text.empty() && text.size() <= 20;
    for (size_t k = 0; plain && k < text.size(); ++k) {
      const char c = text[k];
      if (IsDigit(c)) {
        n = n * 10 + static_cast<uint64_t>(DigitValue(c));
        ++digits;
        if (fraction_digits >= 0) ++fraction_digits;
      } else if (c == decimal_mark && fraction_digits < 0) {
        fraction_digits = 0;
      } else {
        plain = false;
      }
    }
    if (plain && digits >= 1 && digits <= 19) {
      const Extended value = Extended::FromInteger(n);
      return fraction_digits <= 0 ? value : value / kPreparedPowers[fraction_digits];
    }
  }

  size_t i = SkipBlanks(text, 0);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const size_t number_start = i;

  Accumulator digits;  // +0
  i = AccumulateDigits(text, i, digits);
  size_t fraction_digits = 0;
  if (i < text.size() && text[i] == decimal_mark) {
    const size_t fraction_start = ++i;
    i = AccumulateDigits(text, i, digits);
    fraction_digits = i - fraction_start;
  }
  Extended value = digits.Value();
  // After the sign there must be a digit or the decimal mark.
  if (i == number_start) throw EConvertError(text);

  // A letter without digits after it, or after its sign, means exponent 0.
  int32_t exponent = 0;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
    ++i;
    bool exponent_negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
      exponent_negative = text[i] == '-';
      ++i;
    }
    for (; i < text.size() && IsDigit(text[i]) && exponent < kExponentStop; ++i) {
      exponent = exponent * 10 + DigitValue(text[i]);
    }
    if (exponent_negative) exponent = -exponent;
  }

  i = SkipBlanks(text, i);
  if (i != text.size()) throw EConvertError(text);

  // The exponent is at most 4999 in magnitude, but the count of fraction
  // digits is bounded only by the text: every scale at or below the limit
  // gives the same result, so the scale is clamped there to fit 32 bits.
  int64_t scale = int64_t{exponent} - static_cast<int64_t>(fraction_digits);
  if (scale < -kScaleLimit) scale = -kScaleLimit;
  value = ScaleByPowerOfTen(value, static_cast<int32_t>(scale));
  if (value.IsInfinite()) throw EConvertError(text);
  return negative ? -value : value;
}

}  // namespace tracksift

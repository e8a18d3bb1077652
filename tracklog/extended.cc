#include "tracklog/extended.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <limits>
#include <utility>

#include "base/failure.h"

namespace tracksift {
namespace {

// Layout of the format.
constexpr uint16_t kSignBit = 0x8000;
constexpr int32_t kMaxBiased = 0x7FFF;  // infinity and NaN
constexpr uint64_t kLeadingBit = uint64_t{1} << 63;
constexpr uint64_t kDefaultNaN = uint64_t{3} << 62;  // quiet, no payload

// A 64-bit significand m with unit 2^kMinUnit is the smallest subnormal when
// m = 1; with the leading bit set and that unit it is the smallest normal,
// 2^-16382. Hence a normal value m * 2^u has the biased exponent u + kUnitBias.
constexpr int32_t kMinUnit = -16445;
constexpr int32_t kUnitBias = 16446;

// The same for doubles: 53 bits, smallest subnormal 2^-1074.
constexpr int kDoublePrecision = 53;
constexpr int32_t kDoubleMinUnit = -1074;
constexpr int32_t kDoubleUnitBias = 1075;
constexpr int32_t kDoubleMaxBiased = 0x7FF;
constexpr uint64_t kDoubleFraction = (uint64_t{1} << 52) - 1;

// An unsigned 128-bit integer, hi * 2^64 + lo.
struct Wide {
  uint64_t hi = 0;
  uint64_t lo = 0;
};

// The exact product of two 64-bit integers, from four 32-bit partial products
// (each fits in 64 bits; the middle sum stays below 3 * 2^32).
Wide MultiplyFull(uint64_t a, uint64_t b) {
  const uint64_t a_lo = a & 0xFFFFFFFF, a_hi = a >> 32;
  const uint64_t b_lo = b & 0xFFFFFFFF, b_hi = b >> 32;
  const uint64_t low = a_lo * b_lo;
  const uint64_t cross1 = a_lo * b_hi;
  const uint64_t cross2 = a_hi * b_lo;
  const uint64_t high = a_hi * b_hi;
  const uint64_t middle = (low >> 32) + (cross1 & 0xFFFFFFFF) + (cross2 & 0xFFFFFFFF);
  return {high + (cross1 >> 32) + (cross2 >> 32) + (middle >> 32),
          (middle << 32) | (low & 0xFFFFFFFF)};
}

int BitLength(Wide x) {
  return x.hi != 0 ? 128 - std::countl_zero(x.hi) : 64 - std::countl_zero(x.lo);
}

// 0 <= n < 128.
Wide ShiftLeft(Wide x, int n) {
  if (n == 0) return x;
  if (n >= 64) return {x.lo << (n - 64), 0};
  return {(x.hi << n) | (x.lo >> (64 - n)), x.lo << n};
}

// n >= 0; any n, a shift of 128 or more leaves 0.
Wide ShiftRight(Wide x, int32_t n) {
  if (n == 0) return x;
  if (n >= 128) return {};
  if (n >= 64) return {0, x.hi >> (n - 64)};
  return {x.hi >> n, (x.lo >> n) | (x.hi << (64 - n))};
}

// Whether any of the n lowest bits of x is set; n >= 0.
bool AnyLowBits(Wide x, int32_t n) {
  if (n >= 128) return x.hi != 0 || x.lo != 0;
  if (n >= 64) return x.lo != 0 || (x.hi & ((uint64_t{1} << (n - 64)) - 1)) != 0;
  return n != 0 && (x.lo & (~uint64_t{0} >> (64 - n))) != 0;
}

bool BitAt(Wide x, int32_t n) {
  if (n >= 128) return false;
  return ((n >= 64 ? x.hi >> (n - 64) : x.lo >> n) & 1) != 0;
}

Wide Add(Wide a, Wide b) {
  const uint64_t lo = a.lo + b.lo;
  return {a.hi + b.hi + (lo < a.lo ? 1 : 0), lo};
}

// a >= b.
Wide Subtract(Wide a, Wide b) {
  return {a.hi - b.hi - (a.lo < b.lo ? 1 : 0), a.lo - b.lo};
}

// A value rounded to a binary format: significand * 2^unit, the significand
// below 2^precision.
struct Rounded {
  uint64_t significand;
  int32_t unit;
};

// Rounds (magnitude + sticky) * 2^exponent to a format of `precision` bits
// (at most 64) whose smallest unit is 2^min_unit. sticky stands for bits below
// the last bit of magnitude: nonzero, but worth less than one unit of it. The
// caller gives enough bits that sticky lies below the rounding position.
// The exponent range is unbounded above; the caller tells overflow.
Rounded RoundToFormat(Wide magnitude, int32_t exponent, bool sticky, int precision,
                      int32_t min_unit) {
  // Keep the leading `precision` bits, but never a bit below 2^min_unit: in
  // the subnormal range the unit, not the precision, limits the result.
  const int32_t shift =
      std::max<int32_t>(BitLength(magnitude) - precision, min_unit - exponent);
  if (shift <= 0) {
    // No bit is dropped, so the value is exact (and the shift is at most 64).
    assert(!sticky);
    return {ShiftLeft(magnitude, -shift).lo, exponent + shift};
  }
  Rounded result{ShiftRight(magnitude, shift).lo, exponent + shift};
  // Round to nearest: the first dropped bit is worth half a unit of the
  // result; the bits below it and sticky tell "exactly half" from "more".
  // Exactly half rounds to the even significand.
  const bool half = BitAt(magnitude, shift - 1);
  const bool beyond_half = sticky || AnyLowBits(magnitude, shift - 1);
  if (half && (beyond_half || (result.significand & 1) != 0)) {
    const uint64_t all_ones = ~uint64_t{0} >> (64 - precision);
    if (result.significand == all_ones) {
      // Rounding up carries out of the top: 2^precision, which is exactly
      // 2^(precision - 1) with a unit one larger. No second rounding.
      result.significand = uint64_t{1} << (precision - 1);
      ++result.unit;
    } else {
      ++result.significand;
    }
  }
  return result;
}

Extended Infinity(bool negative) {
  return Extended::FromBits(static_cast<uint16_t>((negative ? kSignBit : 0) | kMaxBiased),
                            kLeadingBit);
}

Extended NaN() {
  return Extended::FromBits(static_cast<uint16_t>(kSignBit | kMaxBiased), kDefaultNaN);
}

Extended Zero(bool negative) { return Extended::FromBits(negative ? kSignBit : 0, 0); }

#if defined(__SIZEOF_INT128__)
// (hi * 2^64 + lo) / divisor and its remainder, for a quotient known to fit
// in 64 bits (hi < divisor). On x86-64 that is one DIV instruction; the
// compiler's general 128-bit division is a much slower library call.
uint64_t Divide128(uint64_t hi, uint64_t lo, uint64_t divisor, uint64_t* remainder) {
#if defined(__x86_64__)
  uint64_t quotient;
  __asm__("divq %[d]" : "=a"(quotient), "=d"(*remainder) : "a"(lo), "d"(hi), [d] "rm"(divisor));
  return quotient;
#else
  __extension__ typedef unsigned __int128 U128;
  const U128 dividend = (U128{hi} << 64) | lo;
  *remainder = static_cast<uint64_t>(dividend % divisor);
  return static_cast<uint64_t>(dividend / divisor);
#endif
}
#endif

// Whether x is a normal number: a biased exponent from 1 to 0x7FFE and the
// leading bit set. Its value is then significand * 2^(biased - kUnitBias).
bool IsNormal(uint16_t sign_exponent, uint64_t significand) {
  const int32_t biased = sign_exponent & kMaxBiased;
  return biased != 0 && biased != kMaxBiased && (significand & kLeadingBit) != 0;
}

// Rounds (magnitude + sticky) * 2^exponent to the format.
Extended RoundToExtended(bool negative, Wide magnitude, int32_t exponent, bool sticky) {
  const Rounded r = RoundToFormat(magnitude, exponent, sticky, 64, kMinUnit);
  const uint16_t sign = negative ? kSignBit : 0;
  // Zero and subnormals (leading bit clear, the unit is then 2^kMinUnit)
  // have the biased exponent 0.
  if ((r.significand & kLeadingBit) == 0) return Extended::FromBits(sign, r.significand);
  const int32_t biased = r.unit + kUnitBias;
  if (biased >= kMaxBiased) return Infinity(negative);
  return Extended::FromBits(static_cast<uint16_t>(sign | biased), r.significand);
}

#if defined(__SIZEOF_INT128__)
// floor(xm * 2^65 / ym) for significands xm and ym with their leading bits
// set, which lies in [2^64, 2^66): 64 bits and at least one more for
// rounding. *inexact tells whether a remainder is left (the sticky bits).
// divide(hi, lo, &remainder) divides hi * 2^64 + lo by ym, for hi below it.
//
// xm * 2^63 / ym first (below 2^64, since xm < 2^64 <= 2 * ym), then the
// last two quotient bits one at a time from the remainder r < ym: doubling
// it reaches ym exactly when r >= ym - r, which cannot overflow; the new
// remainder 2r or 2r - ym is then below ym, so 2r - ym computed modulo 2^64
// is exact. These steps are written without branches: their outcomes follow
// the data and would often be guessed wrong.
template <typename Divide128By>
Wide QuotientOf(uint64_t xm, uint64_t ym, Divide128By divide, bool* inexact) {
  uint64_t remainder;
  const uint64_t high = divide(xm >> 1, xm << 63, &remainder);
  const auto next_bit = [ym, &remainder]() -> uint64_t {
    const uint64_t bit = remainder >= ym - remainder ? 1 : 0;
    remainder = remainder + remainder - (ym & (0 - bit));
    return bit;
  };
  const uint64_t bit1 = next_bit();
  const uint64_t low = (bit1 << 1) | next_bit();
  *inexact = remainder != 0;
  return {high >> 62, (high << 2) | low};
}

// The quotient of two normal numbers whose rounded quotient is normal too,
// which is the common case, by the steps of the general division below with
// the rounding done in place. Returns false, leaving everything else to the
// general division, for any other operands or a quotient that would be
// subnormal or beyond the range. divide is as for QuotientOf, by b's
// significand.
template <typename Divide128By>
bool DivideNormal(Extended a, Extended b, Divide128By divide, Extended& result) {
  const uint16_t ae = a.SignExponent(), be = b.SignExponent();
  const uint64_t am = a.Significand(), bm = b.Significand();
  if (!IsNormal(ae, am) || !IsNormal(be, bm)) return false;
  bool inexact;
  const Wide quotient = QuotientOf(am, bm, divide, &inexact);
  const uint64_t top = quotient.hi;   // bits 64 and 65 of the quotient
  const uint64_t bits = quotient.lo;  // bits 0 to 63
  // Keep 64 bits: drop one bit when the quotient has 65, two when it has 66.
  // The first dropped bit is worth half a unit; the bits below it and the
  // remainder tell "exactly half" from "more". Without branches, as above.
  const int drop = 1 + static_cast<int>(top >> 1);  // top is 1, 2 or 3
  uint64_t significand = (top << (64 - drop)) | (bits >> drop);
  const uint64_t half = (bits >> (drop - 1)) & 1;
  const uint64_t beyond_half =
      static_cast<uint64_t>((bits & static_cast<uint64_t>(drop - 1)) != 0 || inexact);
  // The quotient is significand * 2^(ae - be - 65 + drop) in terms of the
  // biased exponents, so its own biased exponent is that unit plus
  // kUnitBias. Below 1 it is subnormal, and rounds at another place.
  int32_t biased = (ae & kMaxBiased) - (be & kMaxBiased) - 65 + drop + kUnitBias;
  if (biased <= 0 || biased >= kMaxBiased) return false;
  // Ties to even. A carry out of the top makes 2^64: 2^63 with one more.
  const uint64_t round_up = half & (beyond_half | significand);
  significand += round_up;
  if (round_up != 0 && significand == 0) {
    significand = kLeadingBit;
    if (++biased == kMaxBiased) return false;  // beyond the range
  }
  const uint16_t sign = (ae ^ be) & kSignBit;
  result = Extended::FromBits(static_cast<uint16_t>(sign | biased), significand);
  return true;
}

// (hi * 2^64 + lo) / d and its remainder, for d with its leading bit set and
// hi < d, given v = floor((2^128 - 1) / d) - 2^64: the division of a two-word
// number by one word with a precomputed reciprocal (Moeller and Granlund,
// "Improved division by invariant integers", 2011, algorithm 4). The
// estimate from the reciprocal is the quotient or one more or one less, and
// the two corrections below make it exact.
uint64_t DivideByReciprocal(uint64_t hi, uint64_t lo, uint64_t d, uint64_t v,
                            uint64_t* remainder) {
  __extension__ typedef unsigned __int128 U128;
  const U128 estimate = static_cast<U128>(v) * hi + ((static_cast<U128>(hi + 1) << 64) | lo);
  uint64_t q = static_cast<uint64_t>(estimate >> 64);
  const uint64_t q_low = static_cast<uint64_t>(estimate);
  uint64_t r = lo - q * d;  // modulo 2^64
  // The first correction is often needed, the second rarely: the first is
  // done without a branch, which would often be guessed wrong.
  const uint64_t over = 0 - static_cast<uint64_t>(r > q_low);  // all ones or 0
  q += over;
  r += d & over;
  if (r >= d) {
    ++q;
    r -= d;
  }
  *remainder = r;
  return q;
}
#endif

// An operand taken apart. A finite nonzero value is m * 2^e with the leading
// bit of m set, subnormals included.
struct Parts {
  enum Kind { kZero, kFinite, kInfinite, kNaN } kind;
  bool negative;
  uint64_t m;
  int32_t e;
};

Parts Unpack(Extended x) {
  const bool negative = x.IsNegative();
  const int32_t biased = x.SignExponent() & kMaxBiased;
  const uint64_t m = x.Significand();
  if (biased == kMaxBiased) {
    return {m == kLeadingBit ? Parts::kInfinite : Parts::kNaN, negative, 0, 0};
  }
  if (biased == 0) {
    // Subnormal (or a pseudo-subnormal with the leading bit set, which has
    // the same unit): normalise.
    if (m == 0) return {Parts::kZero, negative, 0, 0};
    const int lead = std::countl_zero(m);
    return {Parts::kFinite, negative, m << lead, kMinUnit - lead};
  }
  if ((m & kLeadingBit) == 0) return {Parts::kNaN, negative, 0, 0};  // unnormal
  return {Parts::kFinite, negative, m, biased - kUnitBias};
}

// -1, 0 or 1 as |x| is below, equal to or above |y|; neither is NaN.
int CompareMagnitude(const Parts& x, const Parts& y) {
  if (x.kind != y.kind) return x.kind < y.kind ? -1 : 1;  // zero < finite < infinite
  if (x.kind != Parts::kFinite) return 0;
  if (x.e != y.e) return x.e < y.e ? -1 : 1;
  if (x.m != y.m) return x.m < y.m ? -1 : 1;
  return 0;
}

// The sum of two finite nonzero values.
Extended AddFinite(Parts x, Parts y) {
  if (CompareMagnitude(x, y) < 0) std::swap(x, y);
  // Both significands are placed with their leading bit at bit 126 of a
  // 128-bit window, one bit of headroom for the carry of a sum. The smaller
  // one is shifted right by the difference of the exponents; the bits that
  // fall off are only remembered as sticky (they cannot be, when the shift is
  // 63 or less).
  const Wide big = ShiftLeft({0, x.m}, 63);
  const Wide small_placed = ShiftLeft({0, y.m}, 63);
  const int32_t distance = x.e - y.e;
  const Wide small = ShiftRight(small_placed, distance);
  const bool sticky = AnyLowBits(small_placed, std::min(distance, int32_t{128}));
  const int32_t exponent = x.e - 63;
  if (x.negative == y.negative) {
    // (big + small + sticky) = (big + small) + sticky: the sum is exact.
    return RoundToExtended(x.negative, Add(big, small), exponent, sticky);
  }
  // |x| >= |y|, so the difference has the sign of x. With sticky bits the true
  // subtrahend is small + s for some 0 < s < 1, and big - small - s equals
  // (big - small - 1) + (1 - s): an integer and new sticky bits. Sticky bits
  // mean a shift of 64 or more, so small < 2^63 and the difference keeps at
  // least 126 bits: sticky stays well below the rounding position.
  Wide difference = Subtract(big, small);
  if (sticky) difference = Subtract(difference, {0, 1});
  // An exact cancellation is +0 when rounding to nearest.
  if (difference.hi == 0 && difference.lo == 0) return Zero(false);
  return RoundToExtended(x.negative, difference, exponent, sticky);
}

}  // namespace

bool Extended::IsZero() const { return (sign_exponent_ & kMaxBiased) == 0 && significand_ == 0; }

bool Extended::IsInfinite() const {
  return (sign_exponent_ & kMaxBiased) == kMaxBiased && significand_ == kLeadingBit;
}

bool Extended::IsNaN() const { return Unpack(*this).kind == Parts::kNaN; }

Extended Extended::FromInteger(uint64_t value) {
  if (value == 0) return Extended();
  // 64 bits always fit: this only normalises, no rounding happens. With the
  // leading bit moved to bit 63 the value is m * 2^(63 - lead), a normal
  // number of biased exponent 63 - lead + 0x3FFF.
  const int lead = std::countl_zero(value);
  return Extended(static_cast<uint16_t>(63 - lead + 0x3FFF), value << lead);
}

Extended Extended::FromDouble(double value) {
  const uint64_t bits = std::bit_cast<uint64_t>(value);
  const bool negative = (bits >> 63) != 0;
  const int32_t biased = static_cast<int32_t>((bits >> 52) & kDoubleMaxBiased);
  const uint64_t fraction = bits & kDoubleFraction;
  if (biased == kDoubleMaxBiased) return fraction == 0 ? Infinity(negative) : NaN();
  if (biased == 0 && fraction == 0) return Zero(negative);
  // Subnormal doubles have unit 2^-1074 and no hidden bit; normal doubles
  // have the hidden bit. Either way 53 bits fit the 64-bit significand, and
  // the exponent range of the format covers all doubles: no rounding.
  const uint64_t m = biased == 0 ? fraction : (fraction | (uint64_t{1} << 52));
  const int32_t unit = biased == 0 ? kDoubleMinUnit : biased - kDoubleUnitBias;
  return RoundToExtended(negative, {0, m}, unit, false);
}

Extended operator+(Extended a, Extended b) {
  const Parts x = Unpack(a), y = Unpack(b);
  if (x.kind == Parts::kNaN || y.kind == Parts::kNaN) return NaN();
  if (x.kind == Parts::kInfinite || y.kind == Parts::kInfinite) {
    if (x.kind == y.kind && x.negative != y.negative) return NaN();  // inf - inf
    return Infinity(x.kind == Parts::kInfinite ? x.negative : y.negative);
  }
  if (x.kind == Parts::kZero && y.kind == Parts::kZero) {
    return Zero(x.negative && y.negative);  // -0 only from -0 + -0
  }
  // Adding zero is exact; the other operand is only brought to its canonical
  // encoding.
  if (x.kind == Parts::kZero) return RoundToExtended(y.negative, {0, y.m}, y.e, false);
  if (y.kind == Parts::kZero) return RoundToExtended(x.negative, {0, x.m}, x.e, false);
  return AddFinite(x, y);
}

Extended operator-(Extended a, Extended b) { return a + (-b); }

Extended operator*(Extended a, Extended b) {
  const Parts x = Unpack(a), y = Unpack(b);
  const bool negative = x.negative != y.negative;
  if (x.kind == Parts::kNaN || y.kind == Parts::kNaN) return NaN();
  if (x.kind == Parts::kInfinite || y.kind == Parts::kInfinite) {
    if (x.kind == Parts::kZero || y.kind == Parts::kZero) return NaN();  // inf * 0
    return Infinity(negative);
  }
  if (x.kind == Parts::kZero || y.kind == Parts::kZero) return Zero(negative);
  // The product of two 64-bit significands is exact in 128 bits; it is
  // rounded once, to 64.
  return RoundToExtended(negative, MultiplyFull(x.m, y.m), x.e + y.e, false);
}

Extended operator/(Extended a, Extended b) {
#if defined(__SIZEOF_INT128__)
  const auto divide = [bm = b.Significand()](uint64_t hi, uint64_t lo, uint64_t* remainder) {
    return Divide128(hi, lo, bm, remainder);
  };
  if (Extended quotient; DivideNormal(a, b, divide, quotient)) return quotient;
#endif
  const Parts x = Unpack(a), y = Unpack(b);
  const bool negative = x.negative != y.negative;
  if (x.kind == Parts::kNaN || y.kind == Parts::kNaN) return NaN();
  if (x.kind == y.kind && (x.kind == Parts::kZero || x.kind == Parts::kInfinite)) {
    return NaN();  // 0 / 0, inf / inf
  }
  if (x.kind == Parts::kInfinite || y.kind == Parts::kZero) return Infinity(negative);
  if (x.kind == Parts::kZero || y.kind == Parts::kInfinite) return Zero(negative);
  // q = floor(x.m * 2^65 / y.m). With both significands in [2^63, 2^64)
  // the quotient lies in [2^64, 2^66), which is 64 bits and at least one more
  // for rounding; the remainder tells the sticky bits.
#if defined(__SIZEOF_INT128__)
  // y.m is the divisor's significand normalised, which differs from b's
  // for a subnormal divisor.
  const auto divide_normalised = [ym = y.m](uint64_t hi, uint64_t lo, uint64_t* remainder) {
    return Divide128(hi, lo, ym, remainder);
  };
  bool sticky;
  const Wide quotient = QuotientOf(x.m, y.m, divide_normalised, &sticky);
  return RoundToExtended(negative, quotient, x.e - y.e - 65, sticky);
#else
  // Long division, one quotient bit at a time. The remainder stays below
  // 2 * y.m, so it needs 65 bits: its top bit is carried apart.
  uint64_t remainder = x.m;
  bool remainder_top = false;
  Wide quotient;
  for (int i = 0; i < 66; ++i) {
    quotient = ShiftLeft(quotient, 1);
    if (remainder_top || remainder >= y.m) {
      remainder -= y.m;  // wraps correctly when remainder_top is set
      quotient.lo |= 1;
    }
    remainder_top = (remainder & kLeadingBit) != 0;
    remainder <<= 1;
  }
  const bool sticky = remainder_top || remainder != 0;
  return RoundToExtended(negative, quotient, x.e - y.e - 65, sticky);
#endif
}

Extended operator/(Extended a, const PreparedDivisor& b) {
#if defined(__SIZEOF_INT128__)
  const auto divide = [bm = b.divisor_.Significand(), v = b.reciprocal_](
                          uint64_t hi, uint64_t lo, uint64_t* remainder) {
    return DivideByReciprocal(hi, lo, bm, v, remainder);
  };
  if (Extended quotient; DivideNormal(a, b.divisor_, divide, quotient)) return quotient;
#endif
  return a / b.divisor_;
}

bool operator==(Extended a, Extended b) { return (a <=> b) == 0; }

std::partial_ordering operator<=>(Extended a, Extended b) {
  const Parts x = Unpack(a), y = Unpack(b);
  if (x.kind == Parts::kNaN || y.kind == Parts::kNaN) return std::partial_ordering::unordered;
  if (x.kind == Parts::kZero && y.kind == Parts::kZero) return std::partial_ordering::equivalent;
  if (x.negative != y.negative) {
    return x.negative ? std::partial_ordering::less : std::partial_ordering::greater;
  }
  const int order = x.negative ? -CompareMagnitude(x, y) : CompareMagnitude(x, y);
  if (order < 0) return std::partial_ordering::less;
  if (order > 0) return std::partial_ordering::greater;
  return std::partial_ordering::equivalent;
}

double RoundToDouble(Extended value) {
  // The common case first: a normal number that becomes a normal double.
  // Its value is m * 2^(biased - kUnitBias); the 53 leading bits of m are
  // m >> 11, with unit 2^(biased - kUnitBias + 11), which makes the biased
  // exponent of the double biased - kUnitBias + 11 + kDoubleUnitBias.
  const uint16_t sign_exponent = value.SignExponent();
  const uint64_t m = value.Significand();
  if (IsNormal(sign_exponent, m)) {
    int32_t biased = (sign_exponent & kMaxBiased) - kUnitBias + 11 + kDoubleUnitBias;
    if (biased >= 1 && biased < kDoubleMaxBiased) {
      uint64_t significand = m >> 11;
      // Round to nearest on the 11 dropped bits: bit 10 is worth half a
      // unit; exactly half rounds to the even significand.
      // Without a branch: whether to round up follows the data.
      const uint64_t dropped = m & 0x7FF;
      significand += static_cast<uint64_t>(dropped > 0x400) |
                     (static_cast<uint64_t>(dropped == 0x400) & significand & 1);
      if (significand == uint64_t{1} << 53) {  // carried out of the top
        significand >>= 1;
        ++biased;
      }
      if (biased < kDoubleMaxBiased) {
        const uint64_t sign = static_cast<uint64_t>(sign_exponent & kSignBit) << 48;
        return std::bit_cast<double>(sign | (static_cast<uint64_t>(biased) << 52) |
                                     (significand & kDoubleFraction));
      }
    }
  }
  const Parts x = Unpack(value);
  const uint64_t sign = x.negative ? uint64_t{1} << 63 : 0;
  const uint64_t infinity = sign | (uint64_t{kDoubleMaxBiased} << 52);
  switch (x.kind) {
    case Parts::kNaN: return std::numeric_limits<double>::quiet_NaN();
    case Parts::kInfinite: return std::bit_cast<double>(infinity);
    case Parts::kZero: return std::bit_cast<double>(sign);
    case Parts::kFinite: break;
  }
  // One rounding from the exact value, to 53 bits, or to the unit 2^-1074 in
  // the subnormal range of doubles.
  const Rounded r = RoundToFormat({0, x.m}, x.e, false, kDoublePrecision, kDoubleMinUnit);
  // Zero and subnormals (no hidden bit, unit 2^-1074) have the biased
  // exponent 0, so the significand is their whole encoding.
  if ((r.significand >> 52) == 0) return std::bit_cast<double>(sign | r.significand);
  const int32_t biased = r.unit + kDoubleUnitBias;
  if (biased >= kDoubleMaxBiased) return std::bit_cast<double>(infinity);
  return std::bit_cast<double>(sign | (static_cast<uint64_t>(biased) << 52) |
                               (r.significand & kDoubleFraction));
}

double ToDouble(Extended value) {
  const double result = RoundToDouble(value);
  // Infinity only comes from a magnitude beyond the largest double.
  const uint64_t magnitude = std::bit_cast<uint64_t>(result) & ~(uint64_t{1} << 63);
  if (magnitude == uint64_t{kDoubleMaxBiased} << 52) throw EOverflow();
  return result;
}

}  // namespace tracksift

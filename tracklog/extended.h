// Numbers in the 80-bit IEEE 754 double-extended format, computed in software.
//
// A value is held exactly as the format stores it: a sign bit and a 15-bit
// biased exponent, and a 64-bit significand whose leading bit is explicit.
// Every operation works on integers and rounds its exact result once, to
// nearest with ties to even, to 64 significant bits. Results below 2^-16382
// become subnormal (down to 2^-16445) or zero without notice; results that
// round beyond the largest finite value, (2 - 2^-63) * 2^16383, become
// infinity. Nothing here reads or changes the floating-point environment, so
// every platform computes the same bits, whatever its own long double is.
//
// An invalid operation (0 * inf, 0 / 0, inf / inf, inf - inf) or a NaN operand
// gives the format's default NaN; payloads are not kept. A NaN compares
// unordered with everything, itself included.

#ifndef TRACKSIFT_TRACKLOG_EXTENDED_H_
#define TRACKSIFT_TRACKLOG_EXTENDED_H_

#include <compare>
#include <cstdint>

namespace tracksift {

class Extended {
 public:
  // +0.
  constexpr Extended() = default;

  // The value with these stored fields: sign bit and biased exponent in
  // sign_exponent, the significand with its explicit leading bit in
  // significand. An encoding that the format does not allow as an operand (a
  // nonzero exponent with the leading bit clear) is read as NaN.
  static constexpr Extended FromBits(uint16_t sign_exponent, uint64_t significand) {
    return Extended(sign_exponent, significand);
  }
  // Exact: every double and every 64-bit integer is a value of the format.
  static Extended FromDouble(double value);
  static Extended FromInteger(uint64_t value);

  constexpr uint16_t SignExponent() const { return sign_exponent_; }
  constexpr uint64_t Significand() const { return significand_; }

  bool IsNegative() const { return (sign_exponent_ & 0x8000) != 0; }  // -0 too
  bool IsZero() const;
  bool IsInfinite() const;
  bool IsNaN() const;
  bool IsFinite() const { return !IsInfinite() && !IsNaN(); }

  // Flips the sign: exact, also for zero and infinity.
  friend Extended operator-(Extended a) {
    return Extended(static_cast<uint16_t>(a.sign_exponent_ ^ 0x8000), a.significand_);
  }
  // Each rounded once to the format.
  friend Extended operator+(Extended a, Extended b);
  friend Extended operator-(Extended a, Extended b);
  friend Extended operator*(Extended a, Extended b);
  friend Extended operator/(Extended a, Extended b);

  // Exact comparison of the values: -0 equals +0; NaN is unordered.
  friend bool operator==(Extended a, Extended b);
  friend std::partial_ordering operator<=>(Extended a, Extended b);

 private:
  constexpr Extended(uint16_t sign_exponent, uint64_t significand)
      : sign_exponent_(sign_exponent), significand_(significand) {}

  uint16_t sign_exponent_ = 0;
  uint64_t significand_ = 0;
};

// A divisor prepared in advance, for dividing by the same number many times:
// a / divisor is exactly a / divisor.Value(), done for normal operands with
// a multiplication by the divisor's reciprocal in place of a division.
class PreparedDivisor {
 public:
  constexpr explicit PreparedDivisor(Extended divisor)
      : divisor_(divisor), reciprocal_(ReciprocalOf(divisor.Significand())) {}

  Extended Value() const { return divisor_; }

  friend Extended operator/(Extended a, const PreparedDivisor& b);

 private:
  // For a significand d with its leading bit set: floor((2^128 - 1) / d) -
  // 2^64, which fits in 64 bits. 0 for any other, which is never used.
  static constexpr uint64_t ReciprocalOf(uint64_t d) {
#if defined(__SIZEOF_INT128__)
    __extension__ typedef unsigned __int128 U128;
    if ((d >> 63) == 0) return 0;
    return static_cast<uint64_t>(~U128{0} / d - (U128{1} << 64));
#else
    (void)d;
    return 0;
#endif
  }

  Extended divisor_;
  uint64_t reciprocal_;
};

// The double nearest to value, ties to even, rounded once from the exact
// value; subnormal doubles and zero below the range of doubles. Beyond the
// largest double (infinity included) the result is infinity; NaN stays NaN.
double RoundToDouble(Extended value);

// RoundToDouble, but a magnitude that rounds beyond the largest double,
// 1.7976931348623157e308, fails with EOverflow. Underflow passes silently.
double ToDouble(Extended value);

}  // namespace tracksift

#endif  // TRACKSIFT_TRACKLOG_EXTENDED_H_

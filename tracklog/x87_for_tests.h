// For tests: where the x87 unit computes in the 80-bit extended format
// (x86 with a 64-bit long double significand), values move between it and
// Extended bit for bit, so the hardware can vouch for the software's results.

#ifndef TRACKSIFT_TRACKLOG_X87_FOR_TESTS_H_
#define TRACKSIFT_TRACKLOG_X87_FOR_TESTS_H_

#include <cfloat>
#include <cstdint>
#include <cstring>

#include "tracklog/extended.h"

#if LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384 && (defined(__x86_64__) || defined(__i386__))
#define TRACKSIFT_X87 1

namespace tracksift {

inline long double ToHardware(Extended x) {
  unsigned char bytes[sizeof(long double)] = {};
  const uint64_t significand = x.Significand();
  const uint16_t sign_exponent = x.SignExponent();
  std::memcpy(bytes, &significand, 8);
  std::memcpy(bytes + 8, &sign_exponent, 2);
  long double value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

inline Extended FromHardware(long double value) {
  unsigned char bytes[sizeof(long double)];
  std::memcpy(bytes, &value, sizeof value);
  uint64_t significand;
  uint16_t sign_exponent;
  std::memcpy(&significand, bytes, 8);
  std::memcpy(&sign_exponent, bytes + 8, 2);
  return Extended::FromBits(sign_exponent, significand);
}

}  // namespace tracksift

#endif  // x87
#endif  // TRACKSIFT_TRACKLOG_X87_FOR_TESTS_H_

#include "filter/decide_block.h"

#include <cmath>

#include "tracklog/extended.h"
#include "tracklog/read_number.h"
#include "tracklog/rmc_fields.h"

namespace tracksift {
namespace {

// The ratio test, speed / prev_speed < limit, where a quotient of doubles
// settles it. The double quotient q is the exact quotient Q rounded once to
// 53 bits, so |q - Q| <= 2^-53 |Q| while q is a normal double (zero,
// subnormal, infinite and NaN quotients are left out); the 64-bit quotient
// R that the test is specified with has |R - Q| <= 2^-64 |Q|. When q lies
// more than 2^-40 of the limit away from a positive normal limit, R lies on
// the same side of it: the bounds move R from q by less than 2^-51 |q|, and
// the limit's own product with 1 +- 2^-40 is rounded by at most 2^-53 of it.
// Returns 1 (passes), 0 (fails) or -1 (too close to tell).
int RatioPassesByDoubles(double speed, double prev_speed, double limit) {
  constexpr double kMargin = 0x1p-40;
  const double q = speed / prev_speed;
  if (!std::isnormal(q) || !std::isnormal(limit) || q < 0 || limit < 0) return -1;
  if (q < limit * (1 - kMargin)) return 1;
  if (q > limit * (1 + kMargin)) return 0;
  return -1;
}

bool Passes(double speed, double prev_speed, const Limits& limits) {
  if (limits.speed >= 0 && speed >= limits.speed) return false;
  if (limits.ratio < 0) return true;
  if (prev_speed == 0) return false;
  const int by_doubles = RatioPassesByDoubles(speed, prev_speed, limits.ratio);
  if (by_doubles >= 0) return by_doubles == 1;
  // The quotient keeps its 64-bit significand: it is compared with the limit
  // before any rounding to a double.
  const Extended ratio = Extended::FromDouble(speed) / Extended::FromDouble(prev_speed);
  return !(ratio >= Extended::FromDouble(limits.ratio));
}

}  // namespace

bool DecideBlock(const LineList& fields, const Limits& limits, double& speed,
                 double& prev_speed) {
  bool keep = false;
  if (fields.LineAt(kStatusField) != "A") {
    speed = 0.0;
  } else {
    speed = ToDouble(ReadNumber(fields.LineAt(kSpeedField), kFieldDecimalMark));
    keep = Passes(speed, prev_speed, limits);
  }
  prev_speed = speed;
  return keep;
}

}  // namespace tracksift

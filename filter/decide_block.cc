#include "filter/decide_block.h"

#include "tracklog/extended.h"
#include "tracklog/read_number.h"
#include "tracklog/rmc_fields.h"

namespace tracksift {
namespace {

// The ratio test, speed / prev_speed < limit, where a quotient of doubles
// settles it. The 64-bit quotient R that the test compares and the
// double quotient q are both the exact quotient Q rounded to nearest, and
// rounding to nearest keeps the order of Q and any number the format holds.
// The limit is a double, held exactly by both formats. So q < limit means
// Q < limit, and then R < limit (R could only round up to the limit if q did
// too, as the 64-bit format is the finer one on both sides of the limit);
// q > limit means Q > limit and R >= limit. Only q == limit (or a NaN, for
// which both comparisons fail) is left to R.
// Returns 1 (passes), 0 (fails) or -1 (left to R).
int RatioPassesByDoubles(double speed, double prev_speed, double limit) {
  const double q = speed / prev_speed;
  if (q < limit) return 1;
  if (q > limit) return 0;
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

#include "filter/decide_block.h"

#include "tracklog/extended.h"
#include "tracklog/read_number.h"
#include "tracklog/rmc_fields.h"

namespace tracksift {
namespace {

bool Passes(double speed, double prev_speed, const Limits& limits) {
  if (limits.speed >= 0 && speed >= limits.speed) return false;
  if (limits.ratio < 0) return true;
  if (prev_speed == 0) return false;
  // The test compares the exact quotient Q rounded to the 64-bit significand,
  // R, with the limit. A quotient of doubles q settles it in all but one case:
  // q and R are both Q rounded to nearest, and rounding to nearest keeps the
  // order of Q and any number the format holds. The limit is a double, held
  // exactly by both formats. So q < limit means Q < limit, and then
  // R < limit (R could only round up to the limit if q did too, as the
  // 64-bit format is the finer one on both sides of the limit); q > limit
  // means Q > limit and R >= limit. Only q == limit is left to R.
  const double q = speed / prev_speed;
  if (q < limits.ratio) return true;
  if (q > limits.ratio) return false;
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

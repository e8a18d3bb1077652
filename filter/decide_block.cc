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

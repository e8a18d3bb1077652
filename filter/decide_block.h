// The rule that keeps or drops one fix block.
//
// A block is kept when its fix status (field 2) is exactly "A", its speed
// (field 7, knots) is below the speed limit, and its speed is less than
// RatioLimit times the previous block's speed. A negative limit switches its
// test off; equality drops. After a previous speed of 0 the ratio test drops
// the block. The previous speed is carried after every block, kept or not; a
// block whose fix is not valid has speed 0.

#ifndef TRACKSIFT_FILTER_DECIDE_BLOCK_H_
#define TRACKSIFT_FILTER_DECIDE_BLOCK_H_

#include "tracklog/line_list.h"

namespace tracksift {

struct Limits {
  double speed = -1.0;  // knots; negative: the speed test is off
  double ratio = -1.0;  // factor; negative: the ratio test is off
};

// Speed at the start of a log, before any block.
inline constexpr double kStartSpeed = 1000.0;

// The decimal separator of the speed field. NMEA 0183 always writes a full
// stop, whatever the locale of the user who reads the log, and a comma could
// never stand in a field anyway, as it separates the fields.
inline constexpr char kFieldDecimalMark = '.';

// Judges the block whose fix sentence fields are given; returns true to keep
// it. Sets speed to the block's speed and then prev_speed to it. Reads field 7
// only for a valid fix. Failures: EStringListError (2 or 7) for too few
// fields, EConvertError for a speed that is not a number, EOverflow for one
// beyond the range of a double.
bool DecideBlock(const LineList& fields, const Limits& limits, double& speed,
                 double& prev_speed);

}  // namespace tracksift

#endif  // TRACKSIFT_FILTER_DECIDE_BLOCK_H_

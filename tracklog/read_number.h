// Decimal texts read as numbers of the 80-bit extended format.
//
// ReadNumber accepts: blanks (0x20 only), an optional sign, digits with the
// decimal mark (at least one digit or the mark), an optional exponent (E or e,
// an optional sign, digits), blanks. All digits go into one accumulator,
// V = V * 10 + d with both steps rounded, which is then scaled once by a power
// of ten: value = V * 10^(exponent - fraction digits). The exponent is read
// only up to the digit that makes it 500 or more; a digit after that is a byte
// left over. The result is never NaN nor infinite, and -0 keeps its sign.
//
// Every failure, a text outside the grammar or an overflow of the format
// while accumulating or scaling, is EConvertError quoting the whole text.

#ifndef TRACKSIFT_TRACKLOG_READ_NUMBER_H_
#define TRACKSIFT_TRACKLOG_READ_NUMBER_H_

#include <cstdint>
#include <string_view>

#include "tracklog/extended.h"

namespace tracksift {

Extended ReadNumber(std::string_view text, char decimal_mark);

// value * 10^n, in at most three rounded steps: n = a + 32 b + 512 c, and
// value is multiplied (n > 0) or divided (n < 0) by 10^a, 10^(32 b) and
// 10^(512 c) from fixed tables, in that order, each entry being the power of
// ten rounded to nearest. n <= -5120 gives +0, whatever value is. For
// n >= 5120, beyond the tables, the largest entry is applied again as often as
// needed.
Extended ScaleByPowerOfTen(Extended value, int32_t n);

}  // namespace tracksift

#endif  // TRACKSIFT_TRACKLOG_READ_NUMBER_H_

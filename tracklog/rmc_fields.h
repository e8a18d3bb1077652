// The fix sentence of a block: its first line that begins with "$GPRMC"
// (exactly so: upper case, nothing before it), split into fields.

#ifndef TRACKSIFT_TRACKLOG_RMC_FIELDS_H_
#define TRACKSIFT_TRACKLOG_RMC_FIELDS_H_

#include <string_view>

#include "tracklog/comma_text.h"
#include "tracklog/line_list.h"

namespace tracksift {

inline constexpr std::string_view kRmcPrefix = "$GPRMC";

// Field numbers in the fix sentence, field 0 being "$GPRMC" itself.
inline constexpr int kStatusField = 2;
inline constexpr int kSpeedField = 7;

// Replaces the contents of fields with the fields of the first line of block
// that begins with kRmcPrefix, up to the speed field (the rest are never
// read). When no line does, the search reads past the last line and fails
// with EStringListError naming the block's line count; fields are then
// untouched.
void ReadRmcFields(const LineList& block, LineList& fields,
                   const LeadBytes& lead_bytes = LeadBytes());

}  // namespace tracksift

#endif  // TRACKSIFT_TRACKLOG_RMC_FIELDS_H_

#include "tracklog/rmc_fields.h"

namespace tracksift {

void ReadRmcFields(const LineList& block, LineList& fields,
                   const LeadBytes& lead_bytes) {
  for (int64_t i = 0;; ++i) {
    const std::string_view line = block.LineAt(i);
    if (line.substr(0, kRmcPrefix.size()) == kRmcPrefix) {
      // Fields after the speed are never read.
      SplitCommaText(fields, line, lead_bytes, kSpeedField + 1);
      return;
    }
  }
}

}  // namespace tracksift

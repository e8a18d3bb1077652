#include "tracklog/rmc_fields.h"

namespace tracksift {

void ReadRmcFields(const LineList& block, LineList& fields,
                   const LeadBytes& lead_bytes) {
  for (int64_t i = 0;; ++i) {
    const std::string_view line = block.LineAt(i);
    if (line.substr(0, kRmcPrefix.size()) == kRmcPrefix) {
      SplitCommaText(fields, line, lead_bytes);
      return;
    }
  }
}

}  // namespace tracksift

#include "tracklog/fix_block.h"

#include "base/failure.h"

namespace tracksift {

void CollectBlock(LineCursor& input, LineList& block, BlockSpan& span) {
  block.Clear();
  span.begin = input.Offset();
  span.crlf_only = true;
  for (;;) {
    // Reading past the last line is the failure a list read past its end
    // gives: the index asked for is the number of lines.
    if (input.AtEnd()) throw EStringListError(input.Index());
    bool crlf;
    const std::string_view line = input.Next(&crlf);
    span.crlf_only = span.crlf_only && crlf;
    block.AppendView(line);
    if (line == kBlockTerminator) break;
  }
  span.end = input.Offset();
}

}  // namespace tracksift

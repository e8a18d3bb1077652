#include "tracklog/fix_block.h"

#include "base/failure.h"

namespace tracksift {

void CollectBlock(LineStream& input, LineList& block, BlockSpan& span) {
  block.Clear();
  input.StartRun();
  if (input.TakeCrlfLinesThrough(kBlockTerminator, block)) {
    span.bytes = input.RunBytes();
    span.crlf_only = true;
    return;
  }
  // Line by line: the block reaches past the bytes read so far, or has a
  // line that does not end with CR LF.
  block.Clear();
  bool crlf_only = true;
  for (;;) {
    // Reading past the last line is the failure a list read past its end
    // gives: the index asked for is the number of lines.
    if (input.AtEnd()) throw EStringListError(input.Index());
    bool crlf;
    const std::string_view line = input.Next(&crlf);
    crlf_only = crlf_only && crlf;
    if (line == kBlockTerminator) break;
  }
  // The whole block is in memory now: its lines stay where they are until
  // the input moves on.
  for (size_t i = 0; i < input.RunSize(); ++i) block.AppendView(input.RunLine(i));
  span.bytes = input.RunBytes();
  span.crlf_only = crlf_only;
}

}  // namespace tracksift

#include "tracklog/kept_text.h"

#include <new>

#include "base/failure.h"

namespace tracksift {

void KeptText::AppendAll(const BlockSpan& block) {
  if (!spans_.empty() && spans_.back().end == block.begin &&
      spans_.back().crlf_only == block.crlf_only) {
    spans_.back().end = block.end;
    return;
  }
  try {
    spans_.push_back(block);
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory();
  }
}

void KeptText::WriteTo(OutputFile& file) const {
  for (const BlockSpan& span : spans_) {
    const std::string_view bytes = text_.substr(span.begin, span.end - span.begin);
    if (span.crlf_only) {
      file.Append(bytes);
      continue;
    }
    // The span holds whole lines and no NUL byte, so walking it by the
    // reading rules yields exactly the block's lines.
    LineCursor lines(bytes);
    bool crlf;
    while (!lines.AtEnd()) {
      file.Append(lines.Next(&crlf));
      file.Append(kLineEnd);
    }
  }
}

}  // namespace tracksift

// KeptText: the kept fix blocks of a text, to be written as a line file.
//
// Blocks are recorded as byte ranges of the text they were cut from, and a
// block that directly follows the previous one joins its range, so a long run
// of kept blocks costs one entry and is written straight from the text with
// one large write. A range whose lines all end with CR LF already holds the
// bytes of the output; any other is written line by line with CR LF after
// each line.

#ifndef TRACKSIFT_TRACKLOG_KEPT_TEXT_H_
#define TRACKSIFT_TRACKLOG_KEPT_TEXT_H_

#include <cstddef>
#include <string_view>
#include <vector>

#include "tracklog/fix_block.h"
#include "tracklog/line_text.h"
#include "tracklog/output_file.h"

namespace tracksift {

class KeptText {
 public:
  // text: the bytes every appended span refers to; they must outlive this.
  explicit KeptText(std::string_view text = {}) : text_(text) {}

  // Adds a block after the blocks added before. EOutOfMemory when memory
  // runs out.
  void AppendAll(const BlockSpan& block);

  // Hands the output bytes of every kept block, in order, to sink (a
  // callable taking std::string_view), in pieces that are views of the text
  // or of a constant CR LF.
  template <typename Sink>
  void ForEachPiece(Sink&& sink) const;

  // Queues the output bytes of every kept block, in order.
  void WriteTo(OutputFile& file) const {
    ForEachPiece([&file](std::string_view piece) { file.Append(piece); });
  }

 private:
  std::string_view text_;
  std::vector<BlockSpan> spans_;
};

template <typename Sink>
void KeptText::ForEachPiece(Sink&& sink) const {
  for (const BlockSpan& span : spans_) {
    const std::string_view bytes = text_.substr(span.begin, span.end - span.begin);
    if (span.crlf_only) {
      sink(bytes);
      continue;
    }
    // The span holds whole lines and no NUL byte, so walking it by the
    // reading rules yields exactly the block's lines.
    LineCursor lines(bytes);
    bool crlf;
    while (!lines.AtEnd()) {
      sink(lines.Next(&crlf));
      sink(kLineEnd);
    }
  }
}

}  // namespace tracksift

#endif  // TRACKSIFT_TRACKLOG_KEPT_TEXT_H_

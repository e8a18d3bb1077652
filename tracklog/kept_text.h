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
#include "tracklog/output_file.h"

namespace tracksift {

class KeptText {
 public:
  // text: the bytes every appended span refers to; they must outlive this.
  explicit KeptText(std::string_view text = {}) : text_(text) {}

  // Adds a block after the blocks added before. EOutOfMemory when memory
  // runs out.
  void AppendAll(const BlockSpan& block);

  // Queues the output bytes of every kept block, in order.
  void WriteTo(OutputFile& file) const;

 private:
  std::string_view text_;
  std::vector<BlockSpan> spans_;
};

}  // namespace tracksift

#endif  // TRACKSIFT_TRACKLOG_KEPT_TEXT_H_

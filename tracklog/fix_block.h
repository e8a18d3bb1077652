// Fix blocks: the groups of sentences that a track log holds, one per
// position fix, each closed by the terminator line "$PGRMM,Tokyo*2F".
//
// CollectBlock cuts the next block out of a text being walked line by line.
// A line is a terminator only when it equals the terminator exactly; every
// other line, whatever it holds, belongs to the block.

#ifndef TRACKSIFT_TRACKLOG_FIX_BLOCK_H_
#define TRACKSIFT_TRACKLOG_FIX_BLOCK_H_

#include <string_view>

#include "tracklog/line_list.h"
#include "tracklog/line_stream.h"

namespace tracksift {

inline constexpr std::string_view kBlockTerminator = "$PGRMM,Tokyo*2F";

// The bytes of a block as they stand in the text: its lines and their
// breaks, the terminator's break included.
struct BlockSpan {
  std::string_view bytes;
  bool crlf_only = true;  // every line of the block ends with CR LF
};

// Clears block and moves the lines of input from its position up to and
// including the next terminator into it, as views of input's current run,
// valid until input moves on; span tells where they lie. When the text ends
// before a terminator, fails with EStringListError naming the number of
// lines of the text.
void CollectBlock(LineStream& input, LineList& block, BlockSpan& span);

}  // namespace tracksift

#endif  // TRACKSIFT_TRACKLOG_FIX_BLOCK_H_

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

}  // namespace tracksift

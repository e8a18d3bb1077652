// KeptText: where the kept fix blocks go, every line followed by CR LF.
//
// Blocks go straight on to the output file as they are kept; a block whose
// lines all end with CR LF already holds the output bytes and is copied as it
// stands, any other is written line by line. Without a file the bytes are
// kept in memory (Bytes()).
//
// The output file must not show a failure before the walk over the input is
// done, as the walk's own failures come first: when the file cannot be
// created, or a write fails, the failure is held back, the rest of the blocks
// are dropped, and Save raises it.

#ifndef TRACKSIFT_TRACKLOG_KEPT_TEXT_H_
#define TRACKSIFT_TRACKLOG_KEPT_TEXT_H_

#include <optional>
#include <string>
#include <variant>

#include "base/failure.h"
#include "tracklog/fix_block.h"
#include "tracklog/line_list.h"
#include "tracklog/output_file.h"

namespace tracksift {

class KeptText {
 public:
  // Keeps the bytes in memory.
  KeptText() = default;

  // Sends the kept blocks to a new file at path, which appears only on Save.
  void Open(const std::string& path);

  // Adds the lines of a block after the blocks added before, each followed
  // by CR LF; span tells where the block stands in its text, so that a block
  // whose lines all end with CR LF is copied as it stands. EOutOfMemory.
  void AppendAll(const LineList& lines, const BlockSpan& span);

  // Raises a failure held back, or puts the output file in place.
  void Save();

  const std::string& Bytes() const { return memory_; }

 private:
  void Put(std::string_view bytes);

  std::optional<OutputFile> file_;
  std::variant<std::monostate, EFCreateError, EWriteError> held_failure_;
  std::string memory_;
};

}  // namespace tracksift

#endif  // TRACKSIFT_TRACKLOG_KEPT_TEXT_H_

// LineList: an ordered list of lines, each a byte string of any length.
//
// Lines keep the order in which they were added; equal lines are all kept.
// Count and LineAt take constant time, Append amortised constant time.
//
// A list owns the bytes of the lines given to Append: they are copied into
// storage of the list's own, in chunks that never move, so a line read with
// LineAt stays valid until the list is cleared or destroyed. AppendView is
// the one exception: it keeps a view of bytes that the caller guarantees to
// outlive the line in the list (the mapped input file, for instance), which
// spares copying every line of a large log.
//
// Counts and indices are 64-bit: no count wraps, however large the input.

#ifndef TRACKSIFT_TRACKLOG_LINE_LIST_H_
#define TRACKSIFT_TRACKLOG_LINE_LIST_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace tracksift {

class LineList {
 public:
  LineList() = default;
  LineList(const LineList&) = delete;
  LineList& operator=(const LineList&) = delete;
  // Lines stay valid: chunks do not move. The moved-from list is empty.
  LineList(LineList&& other) noexcept;
  LineList& operator=(LineList&& other) noexcept;

  int64_t Count() const { return static_cast<int64_t>(count_); }

  // The line at index; fails with EStringListError naming the index when it
  // is below 0 or not below Count().
  std::string_view LineAt(int64_t index) const {
    if (index < 0 || index >= Count()) FailIndex(index);
    return lines_[static_cast<size_t>(index)];
  }

  // Adds a copy of line after the last line. EOutOfMemory when memory runs out.
  void Append(std::string_view line);

  // Adds line after the last line without copying its bytes; they must stay
  // valid for as long as the list holds the line.
  void AppendView(std::string_view line) {
    if (count_ == capacity_) Grow();  // the rare case: EOutOfMemory
    lines_[count_++] = line;
  }

  // Adds a copy of every line of source, in order. The number of lines to add
  // is taken first, so appending a list to itself doubles it.
  void AppendAll(const LineList& source);

  // Removes every line. The largest storage chunk is kept for reuse, since
  // the program clears its small lists once per fix block.
  void Clear() {
    count_ = 0;
    chunk_used_ = 0;
    if (chunks_.size() > 1) KeepLargestChunk();
  }

 private:
  [[noreturn]] static void FailIndex(int64_t index);
  // Makes room for at least one more line.
  void Grow();
  // Frees every storage chunk but the last, the largest.
  void KeepLargestChunk();
  char* Reserve(size_t size);

  // The lines are lines_[0] to lines_[count_ - 1], in room for capacity_.
  std::unique_ptr<std::string_view[]> lines_;
  size_t count_ = 0;
  size_t capacity_ = 0;
  std::vector<std::unique_ptr<char[]>> chunks_;  // the last one is being filled
  size_t chunk_used_ = 0;
  size_t chunk_size_ = 0;
};

}  // namespace tracksift

#endif  // TRACKSIFT_TRACKLOG_LINE_LIST_H_

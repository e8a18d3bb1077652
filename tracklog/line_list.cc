#include "tracklog/line_list.h"

#include <cstring>

#include "base/failure.h"

namespace tracksift {
namespace {

constexpr size_t kFirstChunkSize = 4096;

}  // namespace

void LineList::FailIndex(int64_t index) { throw EStringListError(index); }

char* LineList::Reserve(size_t size) {
  if (chunks_.empty() || chunk_size_ - chunk_used_ < size) {
    // Chunks double in size, so a list of n bytes needs O(log n) of them; a
    // line larger than the next chunk gets a chunk of its own size.
    size_t next = chunks_.empty() ? kFirstChunkSize : 2 * chunk_size_;
    if (next < size) next = size;
    chunks_.push_back(std::make_unique<char[]>(next));
    chunk_size_ = next;
    chunk_used_ = 0;
  }
  char* place = chunks_.back().get() + chunk_used_;
  chunk_used_ += size;
  return place;
}

void LineList::Append(std::string_view line) {
  OrOutOfMemory([&] {
    char* copy = line.empty() ? nullptr : Reserve(line.size());
    if (copy != nullptr) std::memcpy(copy, line.data(), line.size());
    lines_.emplace_back(copy, line.size());
  });
}

void LineList::AppendViewGrowing(std::string_view line) {
  OrOutOfMemory([&] { lines_.push_back(line); });
}

void LineList::AppendAll(const LineList& source) {
  const size_t count = source.lines_.size();
  for (size_t i = 0; i < count; ++i) {
    // Copy the view first: Append may move the vector it lives in when
    // source is this list.
    const std::string_view line = source.lines_[i];
    Append(line);
  }
}

void LineList::Clear() {
  lines_.clear();
  if (chunks_.size() > 1) {
    std::unique_ptr<char[]> largest = std::move(chunks_.back());
    chunks_.clear();
    chunks_.push_back(std::move(largest));
  }
  chunk_used_ = 0;
}

}  // namespace tracksift

#include "tracklog/line_list.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/failure.h"

namespace tracksift {
namespace {

constexpr size_t kFirstChunkSize = 4096;
constexpr size_t kFirstLineCapacity = 16;

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

LineList::LineList(LineList&& other) noexcept
    : lines_(std::move(other.lines_)),
      count_(std::exchange(other.count_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      chunks_(std::move(other.chunks_)),
      chunk_used_(std::exchange(other.chunk_used_, 0)),
      chunk_size_(std::exchange(other.chunk_size_, 0)) {}

LineList& LineList::operator=(LineList&& other) noexcept {
  if (this != &other) {
    chunks_ = std::move(other.chunks_);
    chunk_used_ = std::exchange(other.chunk_used_, 0);
    chunk_size_ = std::exchange(other.chunk_size_, 0);
    lines_ = std::move(other.lines_);
    count_ = std::exchange(other.count_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

void LineList::Grow() {
  OrOutOfMemory([&] {
    // Doubling keeps appending amortised constant time.
    const size_t grown = capacity_ == 0 ? kFirstLineCapacity : 2 * capacity_;
    std::unique_ptr<std::string_view[]> bigger(new std::string_view[grown]);
    std::copy(lines_.get(), lines_.get() + count_, bigger.get());
    lines_ = std::move(bigger);
    capacity_ = grown;
  });
}

void LineList::Append(std::string_view line) {
  if (count_ == capacity_) Grow();
  OrOutOfMemory([&] {
    char* copy = line.empty() ? nullptr : Reserve(line.size());
    if (copy != nullptr) std::memcpy(copy, line.data(), line.size());
    lines_[count_++] = std::string_view(copy, line.size());
  });
}

void LineList::AppendAll(const LineList& source) {
  const size_t count = source.count_;
  for (size_t i = 0; i < count; ++i) {
    // Copy the view first: Append may move the vector it lives in when
    // source is this list.
    const std::string_view line = source.lines_[i];
    Append(line);
  }
}

void LineList::KeepLargestChunk() {
  std::unique_ptr<char[]> largest = std::move(chunks_.back());
  chunks_.clear();
  chunks_.push_back(std::move(largest));  // cannot fail: room for one is left
}

}  // namespace tracksift

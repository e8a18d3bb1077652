#include "tracklog/line_stream.h"

#include <cstring>
#include <utility>

#include "base/failure.h"
#include "tracklog/line_text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tracksift {
namespace {

// Bytes asked of the file at a time: large enough that system calls cost
// little, small enough to stay in the processor's cache while the lines are
// judged and the kept ones copied out.
constexpr size_t kChunk = 256 * 1024;

// The first CR or LF in [begin, end), or end when there is none.
const char* FindLineBreak(const char* begin, const char* end) {
  const char* p = begin;
#if defined(__SSE2__)
  // Sixteen bytes at a time: compare with CR and with LF and take the first
  // match. Loads stay inside [begin, end).
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  while (end - p >= 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int mask = _mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf)));
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    p += 16;
  }
#else
  // Eight bytes at a time: a byte of x is zero exactly where the word held
  // the byte searched for. The test below is exact (no false positives).
  constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
  auto zero_bytes = [](uint64_t x) {
    return ~(((x & kLow7) + kLow7) | x | kLow7);
  };
  while (end - p >= 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    const uint64_t hits = zero_bytes(word ^ 0x0D0D0D0D0D0D0D0DULL) |
                          zero_bytes(word ^ 0x0A0A0A0A0A0A0A0AULL);
    if (hits != 0) {
      // Each hit is the top bit of its byte; on a little-endian machine the
      // lowest one is the first in memory. Fall through to the byte loop
      // otherwise, which finds it all the same.
      if constexpr (__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__) {
        return p + __builtin_ctzll(hits) / 8;
      }
      break;
    }
    p += 8;
  }
#endif
  while (p != end && *p != '\r' && *p != '\n') ++p;
  return p;
}

// Where the line breaks are in a window of 64 bytes: bit i of cr (of lf) is
// set when byte i is a CR (an LF). All 64 bytes must be readable.
struct BreakMasks {
  uint64_t cr;
  uint64_t lf;
};
constexpr size_t kWindow = 64;

BreakMasks FindBreaks(const char* p) {
  BreakMasks masks{0, 0};
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (int i = 0; i < 4; ++i) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
    const auto bits = [](__m128i eq) {
      return static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(eq)));
    };
    masks.cr |= bits(_mm_cmpeq_epi8(chunk, cr)) << (16 * i);
    masks.lf |= bits(_mm_cmpeq_epi8(chunk, lf)) << (16 * i);
  }
#else
  for (size_t i = 0; i < kWindow; ++i) {
    masks.cr |= static_cast<uint64_t>(p[i] == '\r') << i;
    masks.lf |= static_cast<uint64_t>(p[i] == '\n') << i;
  }
#endif
  return masks;
}

// Tells whether a line equals a given text. For texts of 8 to 16 bytes,
// such as the terminator of a fix block, the comparison is two 8-byte words
// (the first 8 bytes and the last 8, which may overlap), after the length.
class LineMatcher {
 public:
  explicit LineMatcher(std::string_view text) : text_(text) {
    if (text.size() >= 8 && text.size() <= 16) {
      std::memcpy(&head_, text.data(), 8);
      std::memcpy(&tail_, text.data() + text.size() - 8, 8);
    }
  }
  bool operator()(std::string_view line) const {
    if (line.size() != text_.size()) return false;
    if (text_.size() < 8 || text_.size() > 16) return line == text_;
    uint64_t head, tail;
    std::memcpy(&head, line.data(), 8);
    std::memcpy(&tail, line.data() + line.size() - 8, 8);
    return head == head_ && tail == tail_;
  }

 private:
  std::string_view text_;
  uint64_t head_ = 0;
  uint64_t tail_ = 0;
};

}  // namespace

LineStream::LineStream(InputFile file) : file_(std::move(file)), text_ended_(false) {}

LineStream::LineStream(std::string_view bytes) {
  const std::string_view text = TextBeforeNul(bytes);
  data_ = text.data();
  filled_ = text.size();
}

void LineStream::StartRun() {
  run_start_ = next_;
  run_lines_.clear();
}

bool LineStream::ReadMore() {
  if (text_ended_) return false;
  OrOutOfMemory([&] {
    // Keep the current run, and move it to the front when the free space
    // has become small; grow the buffer only when the run fills it.
    if (capacity_ - filled_ < kChunk / 2 && run_start_ > 0) {
      std::memmove(buffer_.get(), buffer_.get() + run_start_, filled_ - run_start_);
      for (LineRef& line : run_lines_) line.begin -= run_start_;
      filled_ -= run_start_;
      next_ -= run_start_;
      scanned_ -= run_start_;
      run_start_ = 0;
    }
    if (capacity_ - filled_ < kChunk / 2) {
      const size_t grown = capacity_ == 0 ? kChunk : 2 * capacity_;
      std::unique_ptr<char[]> bigger(new char[grown]);
      if (filled_ != 0) std::memcpy(bigger.get(), buffer_.get(), filled_);
      buffer_ = std::move(bigger);
      capacity_ = grown;
    }
  });
  data_ = buffer_.get();
  const size_t n = file_.Read(buffer_.get() + filled_, capacity_ - filled_);
  // A NUL byte ends the text; the bytes after it are never looked at.
  const char* fresh = buffer_.get() + filled_;
  const void* nul = std::memchr(fresh, '\0', n);
  const size_t added = nul ? static_cast<size_t>(static_cast<const char*>(nul) - fresh) : n;
  filled_ += added;
  if (n == 0 || nul) text_ended_ = true;
  return added != 0;
}

bool LineStream::TakeCrlfLinesThrough(std::string_view last, LineList& lines) {
  // Whole windows of 64 bytes are looked at, from the next line on, until
  // one holds the break of the last line; a run that goes on past the last
  // whole window is left to Next.
  const LineMatcher is_last(last);
  size_t line_begin = next_;
  int64_t taken = 0;
  uint64_t cr_at_end = 0;  // 1 when the byte before the window is a CR
  for (size_t window = next_; filled_ - window >= kWindow; window += kWindow) {
    const BreakMasks masks = FindBreaks(data_ + window);
    // Bit i is set where a CR LF pair is broken: at an LF whose byte before
    // is not a CR, and at the byte after a CR when that byte is not an LF.
    // The byte before the first window ends the previous line, so it is an
    // LF, or there is none. From the first such place on, no line of the
    // window ends with CR LF.
    const uint64_t unpaired = ((masks.cr << 1) | cr_at_end) ^ masks.lf;
    const int first_unpaired = unpaired == 0 ? 64 : __builtin_ctzll(unpaired);
    cr_at_end = masks.cr >> 63;
    for (uint64_t lf = masks.lf; lf != 0; lf &= lf - 1) {
      const int bit = __builtin_ctzll(lf);
      if (bit >= first_unpaired) return false;
      const size_t lf_at = window + static_cast<size_t>(bit);
      const std::string_view line(data_ + line_begin, lf_at - 1 - line_begin);
      lines.AppendView(line);
      ++taken;
      line_begin = lf_at + 1;
      if (is_last(line)) {
        next_ = line_begin;
        scanned_ = line_begin;
        index_ += taken;
        return true;
      }
    }
    // A broken pair after the window's last LF lies in a line of the run.
    if (unpaired != 0) return false;
  }
  return false;
}

std::string_view LineStream::Next(bool* ends_with_crlf) {
  // Find the break, reading more until it is in, or the text has ended.
  // After a CR the next byte must be in too, to tell CR LF from a lone CR.
  size_t stop;
  for (;;) {
    const char* begin = data_ + (scanned_ > next_ ? scanned_ : next_);
    stop = static_cast<size_t>(FindLineBreak(begin, data_ + filled_) - data_);
    scanned_ = stop;
    if (stop < filled_ && !(data_[stop] == '\r' && stop + 1 == filled_)) break;
    if (!ReadMore()) break;
  }
  size_t after = stop;
  if (after < filled_ && data_[after] == '\r') ++after;
  if (after < filled_ && data_[after] == '\n') ++after;
  *ends_with_crlf = after - stop == 2;
  OrOutOfMemory([&] { run_lines_.push_back({next_, stop - next_}); });
  const std::string_view line(data_ + next_, stop - next_);
  next_ = after;
  scanned_ = after;
  ++index_;
  return line;
}

}  // namespace tracksift

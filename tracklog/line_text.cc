#include "tracklog/line_text.h"

#include <cstring>
#include <new>
#include <stdexcept>

#include "base/failure.h"
#include "tracklog/line_stream.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tracksift {

std::string_view TextBeforeNul(std::string_view bytes) {
  const void* nul = std::memchr(bytes.data(), '\0', bytes.size());
  if (nul == nullptr) return bytes;
  return bytes.substr(0, static_cast<size_t>(static_cast<const char*>(nul) -
                                             bytes.data()));
}

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

void SplitLines(LineList& list, std::string_view text) {
  list.Clear();
  LineStream lines(text);
  bool crlf;
  while (!lines.AtEnd()) {
    lines.StartRun();  // nothing needs the earlier lines kept
    list.Append(lines.Next(&crlf));
  }
}

std::string JoinLines(const LineList& list) {
  size_t size = 0;
  for (int64_t i = 0; i < list.Count(); ++i) {
    size += list.LineAt(i).size() + kLineEnd.size();
  }
  try {
    std::string text;
    text.reserve(size);
    for (int64_t i = 0; i < list.Count(); ++i) {
      text += list.LineAt(i);
      text += kLineEnd;
    }
    return text;
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory();
  } catch (const std::length_error&) {
    throw EOutOfMemory();
  }
}

}  // namespace tracksift

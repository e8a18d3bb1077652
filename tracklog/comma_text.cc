#include "tracklog/comma_text.h"

#include <string>

#include "tracklog/line_text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tracksift {
namespace {

// Bytes 0x01 to 0x20 are blanks. The text holds no NUL (it ends at the
// first one), so every byte up to 0x20 is a blank; and no lead byte lies
// below 0x81, so a blank is always a character of its own.
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

class Splitter {
 public:
  Splitter(std::string_view text, const LeadBytes& lead_bytes, int64_t max_fields)
      : text_(text), lead_bytes_(lead_bytes), max_fields_(max_fields) {}

  void Split(LineList& list) {
    list.Clear();
    if (max_fields_ <= 0) return;
    // The plain part first, taken at commas alone; the rest by the rules.
    const bool after_comma = SplitPlainPart(list);
    if (Full(list)) return;
    text_ = TextBeforeNul(text_);
    if (after_comma && pos_ == text_.size()) {
      list.AppendView({});  // a comma at the very end
      return;
    }
    SkipBlanks();
    while (pos_ < text_.size()) {
      if (text_[pos_] == '"') {
        AppendQuotedField(list);
      } else {
        const size_t start = pos_;
        SkipFieldBytes();
        list.AppendView(text_.substr(start, pos_ - start));
      }
      if (Full(list)) return;
      SkipBlanks();
      if (pos_ < text_.size() && text_[pos_] == ',') {
        ++pos_;
        if (pos_ == text_.size()) list.AppendView({});  // a comma at the very end
        SkipBlanks();
      }
    }
  }

 private:
  bool Full(const LineList& list) const { return list.Count() >= max_fields_; }

  // Where no field begins with a quote mark and no byte is a blank, a NUL or
  // (when lead bytes are in effect) a byte above 0x7F, the rules give
  // exactly the fields between the commas. Such fields are taken here,
  // sixteen bytes at a time, up to the first field that holds any other
  // byte, or up to the last whole sixteen bytes. Leaves pos_ at the start of
  // the next field; returns whether a comma was just passed.
  bool SplitPlainPart(LineList& list) {
    bool after_comma = false;
#if defined(__SSE2__)
    int64_t room = max_fields_;  // the list is empty, and max_fields_ > 0
    const __m128i comma = _mm_set1_epi8(',');
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i space = _mm_set1_epi8(0x20);
    const __m128i high = _mm_set1_epi8(lead_bytes_.None() ? 0 : static_cast<char>(0x80));
    const auto bits = [](__m128i m) { return static_cast<uint32_t>(_mm_movemask_epi8(m)); };
    for (size_t at = 0; text_.size() - at >= 16; at += 16) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text_.data() + at));
      const uint32_t commas = bits(_mm_cmpeq_epi8(chunk, comma));
      // Fields begin after each comma, and at the start of the chunk when
      // the current field begins there. A quote mark anywhere else is an
      // ordinary byte of its field.
      const uint32_t starts = (commas << 1) | (pos_ == at ? 1u : 0u);
      // Blanks and NUL are the bytes up to 0x20 (min(byte, 0x20) == byte,
      // compared unsigned); a set top bit is a byte above 0x7F.
      const uint32_t others =
          bits(_mm_cmpeq_epi8(_mm_min_epu8(chunk, space), chunk)) |
          bits(_mm_and_si128(chunk, high)) | (bits(_mm_cmpeq_epi8(chunk, quote)) & starts);
      const uint32_t plain = others == 0 ? 0xFFFFu : (1u << __builtin_ctz(others)) - 1;
      for (uint32_t c = commas & plain; c != 0; c &= c - 1) {
        const size_t comma_at = at + static_cast<size_t>(__builtin_ctz(c));
        list.AppendView({text_.data() + pos_, comma_at - pos_});
        pos_ = comma_at + 1;
        after_comma = true;
        if (--room == 0) return after_comma;
      }
      if (others != 0) break;
    }
#else
    (void)list;
#endif
    return after_comma;
  }

  // The length of the character at pos_: two bytes for a lead byte and the
  // byte after it, unless that byte is the end.
  size_t CharLength() const {
    return !lead_bytes_.None() &&
                   lead_bytes_(static_cast<unsigned char>(text_[pos_])) &&
                   pos_ + 1 < text_.size()
               ? 2
               : 1;
  }
  // Moves pos_ to the comma, blank or end that ends an unquoted field.
  void SkipFieldBytes() {
    const char* p = text_.data() + pos_;
    const char* const end = text_.data() + text_.size();
    if (lead_bytes_.None()) {
#if defined(__SSE2__)
      // Sixteen bytes at a time: a byte stops the field when it is a comma
      // or at most 0x20 (min(byte, 0x20) == byte, compared unsigned).
      const __m128i comma = _mm_set1_epi8(',');
      const __m128i space = _mm_set1_epi8(0x20);
      while (end - p >= 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i stops = _mm_or_si128(_mm_cmpeq_epi8(chunk, comma),
                                           _mm_cmpeq_epi8(_mm_min_epu8(chunk, space), chunk));
        const int mask = _mm_movemask_epi8(stops);
        if (mask != 0) {
          pos_ = static_cast<size_t>(p - text_.data()) +
                 static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
          return;
        }
        p += 16;
      }
#endif
      while (p != end && !IsBlank(*p) && *p != ',') ++p;
    } else {
      while (p != end && !IsBlank(*p) && *p != ',') {
        p += lead_bytes_(static_cast<unsigned char>(*p)) && p + 1 != end ? 2 : 1;
      }
    }
    pos_ = static_cast<size_t>(p - text_.data());
  }
  void SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  }

  // Reads a quoted field; pos_ is at its opening quote mark. The field is
  // copied, as doubled quote marks shrink to one.
  void AppendQuotedField(LineList& list) {
    field_.clear();
    ++pos_;
    while (pos_ < text_.size()) {
      if (text_[pos_] == '"') {
        ++pos_;
        if (pos_ == text_.size() || text_[pos_] != '"') break;  // closed
      }
      const size_t length = CharLength();
      field_.append(text_, pos_, length);
      pos_ += length;
    }
    list.Append(field_);  // closed, or run to the end of the text
  }

  std::string_view text_;
  const LeadBytes& lead_bytes_;
  const int64_t max_fields_;
  size_t pos_ = 0;
  std::string field_;
};

}  // namespace

LeadBytes LeadBytes::Cp932() {
  LeadBytes lead;
  for (int b = 0x81; b <= 0x9F; ++b) lead.is_lead_[b] = true;
  for (int b = 0xE0; b <= 0xFC; ++b) lead.is_lead_[b] = true;
  lead.none_ = false;
  return lead;
}

void SplitCommaText(LineList& list, std::string_view text, const LeadBytes& lead_bytes,
                    int64_t max_fields) {
  Splitter(text, lead_bytes, max_fields).Split(list);
}

}  // namespace tracksift

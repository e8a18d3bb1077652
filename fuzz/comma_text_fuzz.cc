// Fuzz target for SplitCommaText. The first input byte chooses whether the
// lead bytes of code page 932 are in effect (by its lowest bit); the
// remaining bytes are the text.
//
// Invariants: nothing crashes; no field holds a NUL; a split stopped after n
// fields gives the first n fields of the whole split; and where the text has
// no quote mark and no lead bytes are in effect, no field holds a comma or a
// blank that should have split it, and the fields are exactly those of a
// plain byte-by-byte reading of the rules.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "tracklog/comma_text.h"
#include "tracklog/line_list.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool IsBlank(char c) { return c >= 0x01 && c <= 0x20; }

// Fields of a text without quote marks, read byte by byte.
std::vector<std::string> PlainFields(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> fields;
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  while (i < text.size()) {
    size_t j = i;
    while (j < text.size() && text[j] != ',' && !IsBlank(text[j])) ++j;
    fields.emplace_back(text.substr(i, j - i));
    i = j;
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i < text.size() && text[i] == ',') {
      ++i;
      if (i == text.size()) fields.emplace_back();
      while (i < text.size() && IsBlank(text[i])) ++i;
    }
  }
  return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool cp932 = (data[0] & 1) != 0;
  // A copy of exactly the text, so that reading past it is caught.
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const tracksift::LeadBytes lead = cp932 ? tracksift::LeadBytes::Cp932() : tracksift::LeadBytes();
  tracksift::LineList fields;
  tracksift::SplitCommaText(fields, text, lead);
  for (int64_t i = 0; i < fields.Count(); ++i) {
    Check(fields.LineAt(i).find('\0') == std::string_view::npos);
  }
  // A split stopped after some fields gives exactly the first of them.
  const int64_t limit = static_cast<int64_t>(data[0] >> 1) % 16;
  tracksift::LineList first;
  tracksift::SplitCommaText(first, text, lead, limit);
  Check(first.Count() == std::min(limit, fields.Count()));
  for (int64_t i = 0; i < first.Count(); ++i) Check(first.LineAt(i) == fields.LineAt(i));
  const std::string_view before_nul = std::string_view(text).substr(0, text.find('\0'));
  if (!cp932 && before_nul.find('"') == std::string_view::npos) {
    const std::vector<std::string> expected = PlainFields(text);
    Check(fields.Count() == static_cast<int64_t>(expected.size()));
    for (int64_t i = 0; i < fields.Count(); ++i) {
      const std::string_view field = fields.LineAt(i);
      Check(field == expected[static_cast<size_t>(i)]);
      for (char c : field) Check(c != ',' && !IsBlank(c));
    }
  }
  return 0;
}

#include "tracklog/comma_text.h"

#include <string>

#include "tracklog/line_text.h"

namespace tracksift {
namespace {

// Moves through a text one character at a time.
class Characters {
 public:
  Characters(std::string_view text, const LeadBytes& lead_bytes)
      : text_(TextBeforeNul(text)), lead_bytes_(lead_bytes) {}

  bool AtEnd() const { return pos_ == text_.size(); }
  size_t Position() const { return pos_; }
  std::string_view Text() const { return text_; }

  // The byte at the current position, when it is a character of its own;
  // a lead byte reads as 0xFF, which is none of the bytes looked for.
  unsigned char Single() const {
    const unsigned char byte = static_cast<unsigned char>(text_[pos_]);
    return lead_bytes_(byte) ? 0xFF : byte;
  }

  // Steps over the current character: two bytes for a lead byte and the
  // byte after it, unless that byte is the end.
  void Step() {
    const unsigned char byte = static_cast<unsigned char>(text_[pos_]);
    pos_ += (lead_bytes_(byte) && pos_ + 1 < text_.size()) ? 2 : 1;
  }

  // The bytes of the character stepped over by the next Step().
  std::string_view Current() const {
    const unsigned char byte = static_cast<unsigned char>(text_[pos_]);
    return text_.substr(pos_, (lead_bytes_(byte) && pos_ + 1 < text_.size()) ? 2 : 1);
  }

  bool AtBlank() const {
    const unsigned char c = Single();
    return c >= 0x01 && c <= 0x20;
  }

  void SkipBlanks() {
    while (!AtEnd() && AtBlank()) Step();
  }

 private:
  std::string_view text_;
  const LeadBytes& lead_bytes_;
  size_t pos_ = 0;
};

// Reads a quoted field; the current character is its opening quote mark.
void AppendQuotedField(LineList& list, Characters& chars, std::string& field) {
  field.clear();
  chars.Step();
  while (!chars.AtEnd()) {
    if (chars.Single() == '"') {
      chars.Step();
      if (chars.AtEnd() || chars.Single() != '"') {
        list.Append(field);  // closed
        return;
      }
    }
    field += chars.Current();
    chars.Step();
  }
  list.Append(field);  // never closed: the field runs to the end
}

}  // namespace

LeadBytes LeadBytes::Cp932() {
  LeadBytes lead;
  for (int b = 0x81; b <= 0x9F; ++b) lead.is_lead_[b] = true;
  for (int b = 0xE0; b <= 0xFC; ++b) lead.is_lead_[b] = true;
  return lead;
}

void SplitCommaText(LineList& list, std::string_view text,
                    const LeadBytes& lead_bytes) {
  list.Clear();
  Characters chars(text, lead_bytes);
  std::string quoted;
  chars.SkipBlanks();
  while (!chars.AtEnd()) {
    if (chars.Single() == '"') {
      AppendQuotedField(list, chars, quoted);
    } else {
      const size_t start = chars.Position();
      while (!chars.AtEnd() && chars.Single() != ',' && !chars.AtBlank()) {
        chars.Step();
      }
      list.Append(chars.Text().substr(start, chars.Position() - start));
    }
    chars.SkipBlanks();
    if (!chars.AtEnd() && chars.Single() == ',') {
      chars.Step();
      if (chars.AtEnd()) list.Append({});  // a comma at the very end
      chars.SkipBlanks();
    }
  }
}

}  // namespace tracksift

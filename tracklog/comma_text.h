// SplitCommaText: takes a text apart at commas and blanks.
//
// Fields are separated by a comma, a run of blanks (bytes 0x01 to 0x20), or
// a comma with blanks on either side. Blanks around fields are dropped. A
// field that begins with a double quote runs to the next single quote mark
// and may hold commas and blanks; two quote marks in a row inside it stand
// for one. A comma that is the very last byte of the text makes an empty
// last field. The text ends at its first NUL byte.
//
// The text is stepped through one character at a time: where the locale's
// character set has double-byte characters, a lead byte and the byte after it
// are one character, and that second byte never counts as a comma, quote
// mark or blank.

#ifndef TRACKSIFT_TRACKLOG_COMMA_TEXT_H_
#define TRACKSIFT_TRACKLOG_COMMA_TEXT_H_

#include <array>
#include <cstdint>
#include <string_view>

#include "tracklog/line_list.h"

namespace tracksift {

// The set of bytes that begin a double-byte character.
class LeadBytes {
 public:
  // No lead bytes: every byte is a character of its own.
  LeadBytes() { is_lead_.fill(false); }

  // The lead bytes of code page 932 (Shift-JIS): 0x81-0x9F and 0xE0-0xFC.
  static LeadBytes Cp932();

  bool operator()(unsigned char byte) const { return is_lead_[byte]; }
  bool None() const { return none_; }

 private:
  std::array<bool, 256> is_lead_;
  bool none_ = true;
};

// Replaces the contents of list with the fields of text, in order, empty
// fields included. A quoted field that is never closed runs to the end of
// the text and holds every byte after its opening quote mark, each doubled
// quote reduced to one. Unquoted fields are views of text, not copies (a fix
// sentence is split once per block): text must outlive list's use of them.
// The split stops once max_fields fields are in list; the fields taken are
// the same as without the stop, as no field depends on the text after it.
void SplitCommaText(LineList& list, std::string_view text,
                    const LeadBytes& lead_bytes = LeadBytes(),
                    int64_t max_fields = INT64_MAX);

}  // namespace tracksift

#endif  // TRACKSIFT_TRACKLOG_COMMA_TEXT_H_

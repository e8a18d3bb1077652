// Reading and writing rules of line files.
//
// Reading: a text runs from its first byte to its end or to its first NUL
// byte, whichever comes first. Line breaks are CR LF, a lone CR or a lone LF;
// each break takes at most one CR and then at most one LF, so LF CR and CR CR
// are two breaks with an empty line between them. A break at the very end of
// the text starts no further line. Lines never hold CR, LF or NUL.
//
// Writing: every line, the last included, is followed by CR LF; no lines make
// an empty text.

#ifndef TRACKSIFT_TRACKLOG_LINE_TEXT_H_
#define TRACKSIFT_TRACKLOG_LINE_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tracklog/line_list.h"

namespace tracksift {

inline constexpr std::string_view kLineEnd = "\r\n";

// The part of bytes before its first NUL byte.
std::string_view TextBeforeNul(std::string_view bytes);

// Clears list and fills it with the lines of text, copying them.
void SplitLines(LineList& list, std::string_view text);

// The text that the writing rules make of list. EOutOfMemory when it does not
// fit in memory.
std::string JoinLines(const LineList& list);

}  // namespace tracksift

#endif  // TRACKSIFT_TRACKLOG_LINE_TEXT_H_

#include "tracklog/line_text.h"

#include <cstring>

#include "base/failure.h"
#include "tracklog/line_stream.h"


namespace tracksift {

std::string_view TextBeforeNul(std::string_view bytes) {
  if (bytes.empty()) return bytes;  // its data may be null, which memchr may not take
  const void* nul = std::memchr(bytes.data(), '\0', bytes.size());
  if (nul == nullptr) return bytes;
  return bytes.substr(0, static_cast<size_t>(static_cast<const char*>(nul) -
                                             bytes.data()));
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
  return OrOutOfMemory([&] {
    std::string text;
    text.reserve(size);
    for (int64_t i = 0; i < list.Count(); ++i) {
      text += list.LineAt(i);
      text += kLineEnd;
    }
    return text;
  });
}

}  // namespace tracksift

// For tests: text converted between character sets by the C library, as an
// independent check of the program's own byte constants.

#ifndef TRACKSIFT_BASE_ICONV_FOR_TESTS_H_
#define TRACKSIFT_BASE_ICONV_FOR_TESTS_H_

#include <iconv.h>

#include <string>
#include <string_view>

namespace tracksift {

// bytes converted from the character set from to the character set to, or a
// text in angle brackets that says why they could not be.
inline std::string Iconv(const char* to, const char* from, std::string_view bytes) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return "<no converter>";
  std::string in(bytes);
  std::string out(in.size() * 4 + 4, '\0');
  char* in_p = in.data();
  size_t in_left = in.size();
  char* out_p = out.data();
  size_t out_left = out.size();
  const size_t result = iconv(cd, &in_p, &in_left, &out_p, &out_left);
  iconv_close(cd);
  if (result == static_cast<size_t>(-1)) return "<not convertible: " + in + ">";
  out.resize(out.size() - out_left);
  return out;
}

}  // namespace tracksift

#endif  // TRACKSIFT_BASE_ICONV_FOR_TESTS_H_

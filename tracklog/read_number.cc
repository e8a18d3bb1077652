// PROVISIONAL
#include "tracklog/read_number.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "base/failure.h"

namespace tracksift {

class ExtendedStubAccess {
 public:
  static Extended Make(long double v) { Extended e; e.v_ = v; return e; }
};

double ToDouble(Extended value) {
  if (std::fabs(value.v_) > 1.7976931348623157e308L) throw EOverflow();
  return static_cast<double>(value.v_);
}

Extended ReadNumber(std::string_view text, char decimal_mark) {
  std::string s(text);
  for (char& c : s) if (c == decimal_mark) c = '.';
  char* end = nullptr;
  long double v = std::strtold(s.c_str(), &end);
  if (s.empty() || *end != '\0') throw EConvertError(text);
  return ExtendedStubAccess::Make(v);
}

}  // namespace tracksift

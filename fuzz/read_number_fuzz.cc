// Fuzz target for ReadNumber. The first input byte chooses the decimal mark
// (full stop or comma, by its lowest bit); the remaining bytes are the text.
//
// Invariants: nothing crashes; a number read is never NaN nor infinite; its
// rounding to a double is finite or fails with EOverflow; the only failure of
// the reading is EConvertError, and its message quotes the text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/failure.h"
#include "base/texts.h"
#include "tracklog/extended.h"
#include "tracklog/read_number.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool IsFiniteDouble(double d) { return d - d == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using tracksift::Extended;
  if (size == 0) return 0;
  const char mark = (data[0] & 1) != 0 ? ',' : '.';
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  Extended value;
  try {
    value = tracksift::ReadNumber(text, mark);
  } catch (const tracksift::EConvertError& e) {
    // The message holds the text as given, up to the length a failure keeps.
    const std::string expected =
        std::string(tracksift::kConvertBefore.cp932) +
        std::string(text.substr(0, tracksift::Exception::kMaxValueBytes)) +
        std::string(tracksift::kConvertAfter.cp932);
    Check(e.Message(tracksift::Encoding::kCp932) == expected);
    return 0;
  }
  Check(value.IsFinite());
  try {
    Check(IsFiniteDouble(tracksift::ToDouble(value)));
  } catch (const tracksift::EOverflow&) {
    // Only a magnitude beyond the largest double fails.
    Check(value >= Extended::FromDouble(1.7976931348623157e308) ||
          value <= Extended::FromDouble(-1.7976931348623157e308));
  }
  return 0;
}

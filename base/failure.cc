#include "base/failure.h"

#include <algorithm>
#include <cstring>

// The linker marks the first byte of the program's image with this symbol;
// raise sites are told as offsets from it, which do not change between runs
// even when the image is loaded at a different address.
extern "C" const char __ehdr_start[] __attribute__((visibility("hidden")));

namespace tracksift {
namespace {

// Writes value in decimal, with a minus sign if negative; returns its length.
size_t FormatDecimal(int64_t value, char* out) {
  char digits[24];
  size_t n = 0;
  // Work on the magnitude as unsigned, so that the most negative value works.
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value)
                                 : static_cast<uint64_t>(value);
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  size_t length = 0;
  if (value < 0) out[length++] = '-';
  while (n > 0) out[length++] = digits[--n];
  return length;
}

struct InOutText {
  FixedText before;
  bool with_number;
  FixedText after;
};

InOutText InOutMessage(int32_t number) {
  switch (number) {
    case 2: return {kInOutFileNotFound, false, {}};
    case 3: return {kInOutBadFileName, false, {}};
    case 4: return {kInOutTooManyFiles, false, {}};
    case 5: return {kInOutAccessDenied, false, {}};
    case 100: return {kInOutReadPastEnd, false, {}};
    case 101: return {kInOutDiskFull, false, {}};
    case 106: return {kInOutNotNumeric, false, {}};
    default: return {kInOutOtherBefore, true, kInOutOtherAfter};
  }
}

size_t Put(std::string_view text, char* out, size_t size, size_t cap) {
  size_t n = std::min(text.size(), cap - size);
  if (n != 0) std::memcpy(out + size, text.data(), n);
  return size + n;
}

}  // namespace

uint32_t CodeOffset(const void* address) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(address) -
                               reinterpret_cast<uintptr_t>(__ehdr_start));
}

Exception::Exception(FixedText before, std::string_view value, FixedText after,
                     const void* raise_site)
    : before_(before),
      after_(after),
      code_location_(CodeOffset(raise_site)),
      value_size_(static_cast<uint32_t>(std::min(value.size(), kMaxValueBytes))) {
  if (value_size_ != 0) std::memcpy(value_, value.data(), value_size_);
}

size_t Exception::RenderMessage(Encoding encoding, char* out, size_t cap) const {
  size_t size = Put(Render(before_, encoding), out, 0, cap);
  size = Put(std::string_view(value_, value_size_), out, size, cap);
  return Put(Render(after_, encoding), out, size, cap);
}

std::string Exception::Message(Encoding encoding) const {
  std::string text(2 * kMaxValueBytes + 256, '\0');
  text.resize(RenderMessage(encoding, text.data(), text.size()));
  return text;
}

// The constructors below are never inlined, so the address each returns to
// lies in the code that raised the failure.
#define TRACKSIFT_RAISE_SITE __builtin_return_address(0)

[[gnu::noinline]] EConvertError::EConvertError(std::string_view text)
    : Exception(kConvertBefore, text, kConvertAfter, TRACKSIFT_RAISE_SITE) {}

void Exception::SetDecimalValue(int64_t value) {
  value_size_ = static_cast<uint32_t>(FormatDecimal(value, value_));
}

[[gnu::noinline]] EStringListError::EStringListError(int64_t index)
    : Exception(kListIndexBefore, {}, kListIndexAfter, TRACKSIFT_RAISE_SITE) {
  SetDecimalValue(index);
}

[[gnu::noinline]] EInOutError::EInOutError(int32_t number)
    : Exception(InOutMessage(number).before, {}, InOutMessage(number).after,
                TRACKSIFT_RAISE_SITE),
      number_(number) {
  if (InOutMessage(number).with_number) SetDecimalValue(number);
}

[[gnu::noinline]] EFOpenError::EFOpenError(std::string_view path)
    : EStreamError(kOpenErrorBefore, path, kOpenErrorAfter, TRACKSIFT_RAISE_SITE) {}

[[gnu::noinline]] EFCreateError::EFCreateError(std::string_view path)
    : EStreamError(kCreateErrorBefore, path, kCreateErrorAfter,
                   TRACKSIFT_RAISE_SITE) {}

[[gnu::noinline]] EWriteError::EWriteError()
    : EFilerError(kWriteErrorMessage, TRACKSIFT_RAISE_SITE) {}

[[gnu::noinline]] EOutOfMemory::EOutOfMemory()
    : EHeapException(kOutOfMemoryMessage, TRACKSIFT_RAISE_SITE) {}

[[gnu::noinline]] EOutOfMemory::EOutOfMemory(const void* raise_site)
    : EHeapException(kOutOfMemoryMessage, raise_site) {}

[[gnu::noinline]] EOverflow::EOverflow() : EMathError(kOverflowMessage, TRACKSIFT_RAISE_SITE) {}

}  // namespace tracksift

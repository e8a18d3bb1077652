// Failure kinds: the typed failures that end a run.
//
// Every failure is raised where it arises and never returned as a code. A
// failure knows its kind's name, its message and the place in the program that
// raised it. The message is kept as a fixed text around an inserted value (a
// path, an index, a number text), so that it can be shown in code page 932 or
// in UTF-8 without ever converting the inserted bytes.
//
// Nothing here allocates: the inserted value is copied into the failure
// object itself (its first kMaxValueBytes bytes; a report never shows more),
// so a failure can be raised and reported when memory is exhausted.
//
// The hierarchy:
//   Exception
//     EConvertError, EStringListError, EInOutError
//     EStreamError -> EFOpenError, EFCreateError, EFilerError -> EWriteError
//     EHeapException -> EOutOfMemory
//     EExternal -> EMathError -> EOverflow

#ifndef TRACKSIFT_BASE_FAILURE_H_
#define TRACKSIFT_BASE_FAILURE_H_

#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/texts.h"

namespace tracksift {

class Exception {
 public:
  // The longest inserted value kept. A report holds at most 1024 bytes, so
  // nothing beyond this can ever be shown.
  static constexpr size_t kMaxValueBytes = 1024;

  virtual ~Exception() = default;

  // The kind's name as the report prints it, such as "EFOpenError".
  virtual const char* KindName() const = 0;

  // Writes the message in the given encoding into out, at most cap bytes;
  // returns the number of bytes written.
  size_t RenderMessage(Encoding encoding, char* out, size_t cap) const;

  // The whole message as a string (allocates; for tests and tools).
  std::string Message(Encoding encoding = Encoding::kCp932) const;

  // Offset of the raising code from the start of the program's loaded image.
  // The same on every run of the same build.
  uint32_t CodeLocation() const { return code_location_; }

 protected:
  Exception(FixedText before, std::string_view value, FixedText after,
            const void* raise_site);
  Exception(FixedText text, const void* raise_site)
      : Exception(text, {}, FixedText{}, raise_site) {}

 protected:
  // Replaces the inserted value with a number in decimal.
  void SetDecimalValue(int64_t value);

 private:
  FixedText before_;
  FixedText after_;
  uint32_t code_location_;
  uint32_t value_size_;
  char value_[kMaxValueBytes];
};

// Offset of an address inside the program from the start of its image.
uint32_t CodeOffset(const void* address);

class EOutOfMemory;

// Runs step and turns the standard library's failures to find memory
// (std::bad_alloc, and std::length_error for a size no memory could hold)
// into EOutOfMemory, raised for this step.
template <typename Step>
decltype(auto) OrOutOfMemory(Step&& step);

// Each concrete kind takes the address its constructor returns to as the place
// that raised it; the constructors are kept out of line for that reason.

class EConvertError : public Exception {
 public:
  // text: the whole text that was to be read as a number.
  explicit EConvertError(std::string_view text);
  const char* KindName() const override { return "EConvertError"; }
};

class EStringListError : public Exception {
 public:
  // index: the line index asked for.
  explicit EStringListError(int64_t index);
  const char* KindName() const override { return "EStringListError"; }
};

class EInOutError : public Exception {
 public:
  // number: the error number; it chooses the message.
  explicit EInOutError(int32_t number);
  const char* KindName() const override { return "EInOutError"; }
  int32_t ErrorNumber() const { return number_; }

 private:
  int32_t number_;
};

class EStreamError : public Exception {
 protected:
  using Exception::Exception;
};

class EFOpenError : public EStreamError {
 public:
  explicit EFOpenError(std::string_view path);
  const char* KindName() const override { return "EFOpenError"; }
};

class EFCreateError : public EStreamError {
 public:
  explicit EFCreateError(std::string_view path);
  const char* KindName() const override { return "EFCreateError"; }
};

class EFilerError : public EStreamError {
 protected:
  using EStreamError::EStreamError;
};

class EWriteError : public EFilerError {
 public:
  EWriteError();
  const char* KindName() const override { return "EWriteError"; }
};

class EHeapException : public Exception {
 protected:
  using Exception::Exception;
};

class EOutOfMemory : public EHeapException {
 public:
  EOutOfMemory();
  // For memory that ran out somewhere else: raise_site names that place.
  explicit EOutOfMemory(const void* raise_site);
  const char* KindName() const override { return "EOutOfMemory"; }
};

class EExternal : public Exception {
 protected:
  using Exception::Exception;
};

class EMathError : public EExternal {
 protected:
  using EExternal::EExternal;
};

class EOverflow : public EMathError {
 public:
  EOverflow();
  const char* KindName() const override { return "EOverflow"; }
};

template <typename Step>
decltype(auto) OrOutOfMemory(Step&& step) {
  try {
    return step();
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory();
  } catch (const std::length_error&) {
    throw EOutOfMemory();
  }
}

}  // namespace tracksift

#endif  // TRACKSIFT_BASE_FAILURE_H_

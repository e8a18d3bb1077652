#include "tracklog/input_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "base/failure.h"
#include "tracklog/descriptors.h"

namespace tracksift {

InputFile InputFile::Open(const std::string& path) {
  InputFile file;
  OrOutOfMemory([&] { file.path_ = path; });
  file.fd_ = AboveStandardStreams(open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC));
  if (file.fd_ < 0) throw EFOpenError(path);
  struct stat st;
  if (fstat(file.fd_, &st) != 0 || S_ISDIR(st.st_mode)) throw EFOpenError(path);
  if (S_ISREG(st.st_mode) && st.st_size > 0) {
    file.length_ = static_cast<uint64_t>(st.st_size);
    file.remaining_ = file.length_;
    posix_fadvise(file.fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
  } else {
    file.to_end_ = true;
  }
  return file;
}

InputFile::~InputFile() {
  if (fd_ >= 0) close(fd_);
}

InputFile::InputFile(InputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      to_end_(other.to_end_),
      length_(other.length_),
      remaining_(std::exchange(other.remaining_, 0)),
      path_(std::move(other.path_)) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    to_end_ = other.to_end_;
    length_ = other.length_;
    remaining_ = std::exchange(other.remaining_, 0);
    path_ = std::move(other.path_);
  }
  return *this;
}

void InputFile::Fail() const { throw EFOpenError(path_); }

size_t InputFile::Read(char* buffer, size_t size) {
  if (fd_ < 0) return 0;
  if (!to_end_ && remaining_ < size) size = static_cast<size_t>(remaining_);
  if (size == 0) return 0;
  for (;;) {
    const ssize_t n = read(fd_, buffer, size);
    if (n > 0) {
      if (!to_end_) remaining_ -= static_cast<uint64_t>(n);
      return static_cast<size_t>(n);
    }
    if (n == 0) {
      // The end, before the length the file had: it was cut short.
      if (!to_end_) Fail();
      return 0;
    }
    if (errno != EINTR) Fail();
  }
}

void InputFile::ReadRest() {
  char scrap[64 * 1024];
  while (Read(scrap, sizeof scrap) != 0) {
  }
}

std::string ReadWholeFile(const std::string& path) {
  InputFile file = InputFile::Open(path);
  return OrOutOfMemory([&] {
    std::string text;
    // A known length is read into a buffer of exactly that size; anything
    // else grows as it comes.
    text.resize(file.Length() != 0 ? static_cast<size_t>(file.Length()) : 64 * 1024);
    size_t used = 0;
    for (;;) {
      if (used == text.size()) {
        if (file.Length() != 0) break;  // all of the known length is in
        text.resize(2 * text.size());
      }
      const size_t n = file.Read(text.data() + used, text.size() - used);
      if (n == 0) break;
      used += n;
    }
    text.resize(used);
    return text;
  });
}

}  // namespace tracksift

// FileText: the whole contents of a file, read-only in memory.
//
// A regular file is mapped into memory rather than copied, so loading a large
// log costs little more than the kernel's own reading. Anything else that can
// be read (a pipe, a character device, a file whose reported length is 0) is
// read to its end into one growing buffer.
//
// Failures: EFOpenError with the path when the file cannot be opened, is a
// directory or cannot be read to its end; EOutOfMemory when it does not fit
// in memory.
//
// Another process may cut a mapped file short while it is in use. Its lost
// pages then read as zeros instead of killing the process with SIGBUS, and
// Whole() turns false; the caller checks Whole() before it trusts anything
// it made from the bytes.

#ifndef TRACKSIFT_TRACKLOG_FILE_TEXT_H_
#define TRACKSIFT_TRACKLOG_FILE_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace tracksift {

class FileText {
 public:
  FileText() = default;
  ~FileText();
  FileText(FileText&& other) noexcept;
  FileText& operator=(FileText&& other) noexcept;
  FileText(const FileText&) = delete;
  FileText& operator=(const FileText&) = delete;

  // Reads the file at path, which is handed to the system unchanged.
  static FileText Load(const std::string& path);

  std::string_view Bytes() const { return {data_, size_}; }

  // False once the file has been found shorter than the bytes it was loaded
  // with: some of Bytes() are then zeros that the file never held.
  bool Whole() const;

 private:
  void Release();

  const char* data_ = nullptr;
  size_t size_ = 0;
  bool mapped_ = false;  // data_ is a mapping of fd_, else a malloc'd buffer
  int fd_ = -1;          // kept open while mapped, to notice a cut file
};

}  // namespace tracksift

#endif  // TRACKSIFT_TRACKLOG_FILE_TEXT_H_

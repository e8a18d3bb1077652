// InputFile: a file read once, front to back.
//
// A regular file is read up to the length it had when it was opened: reading
// ends there even if the file has grown since, and fails if the file ends
// sooner (another process cut it short), so that no partly read file is ever
// taken for a whole one. Anything else that can be read (a pipe or FIFO, a
// character device, a file whose length tells nothing, as in /proc) is read
// to its end.
//
// Failures: EFOpenError with the path when the file cannot be opened (it does
// not exist, the path is empty, access is denied), is a directory, or cannot
// be read whole.

#ifndef TRACKSIFT_TRACKLOG_INPUT_FILE_H_
#define TRACKSIFT_TRACKLOG_INPUT_FILE_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace tracksift {

class InputFile {
 public:
  // path is handed to the system unchanged and named as it is in failures.
  static InputFile Open(const std::string& path);

  InputFile() = default;  // no file: reads nothing
  ~InputFile();
  InputFile(InputFile&& other) noexcept;
  InputFile& operator=(InputFile&& other) noexcept;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Reads up to size bytes into buffer; returns how many, 0 at the end.
  size_t Read(char* buffer, size_t size);

  // Reads and drops whatever is left, so that a file that cannot be read
  // whole fails here.
  void ReadRest();

  // The length of a regular file when it was opened; 0 for anything else.
  uint64_t Length() const { return length_; }

 private:
  [[noreturn]] void Fail() const;

  int fd_ = -1;
  bool to_end_ = false;     // read to the end, not to a known length
  uint64_t length_ = 0;
  uint64_t remaining_ = 0;  // bytes still to come of a known length
  std::string path_;
};

// The whole contents of the file at path. EFOpenError as above; EOutOfMemory
// when it does not fit in memory.
std::string ReadWholeFile(const std::string& path);

}  // namespace tracksift

#endif  // TRACKSIFT_TRACKLOG_INPUT_FILE_H_

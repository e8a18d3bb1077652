// ConsoleOutput: the one channel through which the program prints lines.
//
// Bytes go through a 128-byte buffer. A full buffer leaves with one system
// write of 128 bytes; the rest waits for the next line or FlushConsole(). On a
// character device (a terminal) every line is flushed at its end, so a line
// leaves with one write; to a file or a pipe the text leaves in 128-byte
// writes and a shorter last one. The channel opens at its first write; when
// there is no standard output it stays closed and records error 105.
//
// A failed write is recorded, not raised, and the bytes it carried are lost;
// PrintLine raises the recorded error as EInOutError once its whole line is
// through. System errors become EInOutError numbers by InOutErrorNumber().
//
// Nothing here allocates, apart from raising the failure.

#ifndef TRACKSIFT_APP_CONSOLE_OUTPUT_H_
#define TRACKSIFT_APP_CONSOLE_OUTPUT_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/texts.h"

namespace tracksift {

// The system side of a channel: the standard output, or a stand-in in tests.
class ConsoleDevice {
 public:
  enum class Kind { kMissing, kCharacterDevice, kOther };

  // What the output is; kMissing when there is none or the system cannot
  // tell what it is.
  virtual Kind Probe() = 0;

  // Writes the bytes with one system write (more only if the system takes
  // fewer than asked). Returns 0, or the system's error number.
  virtual int Write(const char* data, size_t size) = 0;

 protected:
  ~ConsoleDevice() = default;
};

// The EInOutError number for a system error number (errno):
//   ENOENT 2, ENOTDIR 3, EMFILE and ENFILE 4, EACCES and EPERM 5 (the numbers
//   whose messages say just that), and 1000 + errno for every other error,
//   so that none lands by chance on a number with a message of its own (EIO
//   is 5 on Linux, which must not read "access denied") or on 105.
int32_t InOutErrorNumber(int system_error);

class ConsoleOutput {
 public:
  static constexpr size_t kBufferSize = 128;
  // Pending error when there is no standard output to open.
  static constexpr int32_t kNoOutput = 105;

  explicit constexpr ConsoleOutput(ConsoleDevice& device) : device_(&device) {}
  ConsoleOutput(const ConsoleOutput&) = delete;
  ConsoleOutput& operator=(const ConsoleOutput&) = delete;

  // Writes text and CR LF; flushes on a character device. Raises EInOutError
  // when a write on the way failed (or the channel could not open).
  void PrintLine(std::string_view text);

  // Writes out what the buffer holds. A closed channel is left alone.
  // A failure is recorded as the pending error.
  void Flush();

  // The pending error number, reset to 0; 0 for none.
  int32_t TakePendingError();

  ConsoleDevice& device() { return *device_; }

 private:
  bool Open();
  void Write(std::string_view bytes);
  void Fail(int system_error);

  ConsoleDevice* device_;
  bool open_ = false;
  bool flush_per_line_ = false;
  size_t fill_ = 0;
  int32_t pending_error_ = 0;
  char buffer_[kBufferSize] = {};
};

// The process's channel, bound to file descriptor 1.
ConsoleOutput& StandardConsole();

// PrintLine and Flush of StandardConsole().
void PrintLine(std::string_view text);
void FlushConsole();

// The form in which the program's own fixed texts are shown on standard
// output: UTF-8 when it is a terminal and the user's locale uses UTF-8,
// else the code page 932 bytes. Bytes taken from the command line or the
// input are always shown as they are.
Encoding ConsoleEncoding();

}  // namespace tracksift

#endif  // TRACKSIFT_APP_CONSOLE_OUTPUT_H_

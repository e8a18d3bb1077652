#include "app/console_output.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "app/locale.h"
#include "base/failure.h"

namespace tracksift {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// File descriptor 1.
class StdoutDevice final : public ConsoleDevice {
 public:
  Kind Probe() override {
    struct stat st;
    if (fstat(STDOUT_FILENO, &st) != 0) return Kind::kMissing;
    return S_ISCHR(st.st_mode) ? Kind::kCharacterDevice : Kind::kOther;
  }

  int Write(const char* data, size_t size) override {
    while (size > 0) {
      const ssize_t written = write(STDOUT_FILENO, data, size);
      if (written < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      // A write that takes nothing would take nothing again.
      if (written == 0) return EIO;
      data += written;
      size -= static_cast<size_t>(written);
    }
    return 0;
  }
};

}  // namespace

int32_t InOutErrorNumber(int system_error) {
  switch (system_error) {
    case ENOENT: return 2;
    case ENOTDIR: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM: return 5;
    default: return 1000 + system_error;
  }
}

bool ConsoleOutput::Open() {
  if (open_) return true;
  fill_ = 0;
  const ConsoleDevice::Kind kind = device_->Probe();
  if (kind == ConsoleDevice::Kind::kMissing) {
    pending_error_ = kNoOutput;
    return false;
  }
  open_ = true;
  flush_per_line_ = kind == ConsoleDevice::Kind::kCharacterDevice;
  return true;
}

void ConsoleOutput::Fail(int system_error) {
  pending_error_ = InOutErrorNumber(system_error);
}

void ConsoleOutput::Write(std::string_view bytes) {
  if (!Open()) return;
  while (bytes.size() >= kBufferSize - fill_) {
    const size_t part = kBufferSize - fill_;
    std::memcpy(buffer_ + fill_, bytes.data(), part);
    bytes.remove_prefix(part);
    fill_ = 0;
    if (const int error = device_->Write(buffer_, kBufferSize); error != 0) {
      // The rest of this request is dropped with the failed buffer.
      Fail(error);
      return;
    }
  }
  if (!bytes.empty()) std::memcpy(buffer_ + fill_, bytes.data(), bytes.size());
  fill_ += bytes.size();
}

void ConsoleOutput::Flush() {
  if (!open_ || fill_ == 0) return;
  const size_t size = fill_;
  fill_ = 0;
  if (const int error = device_->Write(buffer_, size); error != 0) Fail(error);
}

int32_t ConsoleOutput::TakePendingError() {
  const int32_t error = pending_error_;
  pending_error_ = 0;
  return error;
}

void ConsoleOutput::PrintLine(std::string_view text) {
  Write(text);
  // The line end and the flush follow even when the text failed, so that the
  // line is over before its failure is raised.
  Write(kLineEnd);
  if (flush_per_line_) Flush();
  if (const int32_t error = TakePendingError(); error != 0) throw EInOutError(error);
}

ConsoleOutput& StandardConsole() {
  static StdoutDevice device;
  static ConsoleOutput console(device);
  return console;
}

void PrintLine(std::string_view text) { StandardConsole().PrintLine(text); }

void FlushConsole() { StandardConsole().Flush(); }

Encoding ConsoleEncoding() {
  return AdoptedLocale().utf8 && isatty(STDOUT_FILENO) ? Encoding::kUtf8
                                                        : Encoding::kCp932;
}

}  // namespace tracksift

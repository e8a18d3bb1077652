#include "app/failure_report.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#if __has_include(<sys/auxv.h>)
#include <sys/auxv.h>
#endif

namespace tracksift {
namespace {

// Appends to a fixed area and remembers whether anything was cut off.
class Composer {
 public:
  Composer(char* area, size_t cap) : area_(area), cap_(cap) {}

  void Add(std::string_view bytes) {
    const size_t n = std::min(bytes.size(), cap_ - size_);
    if (n != 0) std::memcpy(area_ + size_, bytes.data(), n);
    size_ += n;
    if (n < bytes.size()) cut_ = true;
  }

  size_t size() const { return size_; }
  bool cut() const { return cut_; }

 private:
  char* area_;
  size_t cap_;
  size_t size_ = 0;
  bool cut_ = false;
};

// Bytes in a UTF-8 character that begins with lead; 1 for any other byte.
size_t Utf8Length(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF7) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC0) return 2;
  return 1;
}

// The length of text without a UTF-8 character that its end cuts in two.
size_t WithoutSplitUtf8(const char* text, size_t size) {
  for (size_t back = 1; back <= 3 && back <= size; ++back) {
    const auto byte = static_cast<unsigned char>(text[size - back]);
    if ((byte & 0xC0) != 0x80) {
      return Utf8Length(byte) > back ? size - back : size;
    }
  }
  return size;
}

void WriteReportText(const Exception& failure, ConsoleDevice& device,
                     std::string_view program_name, Encoding encoding) {
  char area[kReportLimit];
  const size_t size = ComposeReport(failure, program_name, encoding, area);
  // Nothing more can be done about a report that cannot be written.
  (void)device.Write(area, size);
  (void)device.Write("\r\n", 2);
}

}  // namespace

size_t ComposeReport(const Exception& failure, std::string_view program_name,
                     Encoding encoding, char (&area)[kReportLimit]) {
  Composer report(area, sizeof area);
  report.Add(failure.KindName());
  report.Add(Render(kReportRaisedIn, encoding));
  report.Add(program_name);
  report.Add(Render(kReportAt, encoding));
  char location[8];
  uint32_t value = failure.CodeLocation();
  for (int i = 7; i >= 0; --i, value >>= 4) location[i] = "0123456789ABCDEF"[value & 0xF];
  report.Add(std::string_view(location, sizeof location));
  report.Add(Render(kReportOccurred, encoding));
  report.Add("\r\n");
  // One byte more than a report can hold tells a message that is cut.
  char message[kReportLimit + 1];
  const size_t length = failure.RenderMessage(encoding, message, sizeof message);
  report.Add(std::string_view(message, length));
  if (length != 0 && message[length - 1] != '.') report.Add(".");
  report.Add("\r\n");
  if (report.cut() && encoding == Encoding::kUtf8) {
    return WithoutSplitUtf8(area, report.size());
  }
  return report.size();
}

void WriteFailureReport(const Exception& failure, ConsoleOutput& console,
                        std::string_view program_name, Encoding encoding) {
  // What was printed before the failure stands before its report.
  console.Flush();
  if (const int32_t error = console.TakePendingError(); error != 0) {
    // The flush failed: that failure is the one to report. The buffer is
    // empty now, so this happens only once.
    const EInOutError flush_failure(error);
    WriteReportText(flush_failure, console.device(), program_name, encoding);
    return;
  }
  WriteReportText(failure, console.device(), program_name, encoding);
}

std::string_view ProgramFileName(char (&area)[kProgramPathArea]) {
  std::string_view path;
  const ssize_t length = readlink("/proc/self/exe", area, sizeof area);
  if (length > 0 && static_cast<size_t>(length) < sizeof area) {
    path = std::string_view(area, static_cast<size_t>(length));
  }
#if __has_include(<sys/auxv.h>) && defined(AT_EXECFN)
  // Without /proc: the path the program was started from, as the system
  // passed it to the program (not argv[0], which the caller may set freely).
  if (path.empty()) {
    if (const auto* started = reinterpret_cast<const char*>(getauxval(AT_EXECFN))) {
      path = started;
    }
  }
#endif
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

void FailureReport(const Exception& failure) {
  char path[kProgramPathArea];
  const std::string_view name = ProgramFileName(path);
  WriteFailureReport(failure, StandardConsole(), name, ConsoleEncoding());
  // The end of the process writes out what the console holds (nothing now).
  FlushConsole();
  std::exit(1);
}

}  // namespace tracksift

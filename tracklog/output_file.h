// OutputFile: writes a file so that it appears whole or not at all.
//
// Create checks that the file can be made, then opens a new temporary file
// in the target's folder. Append queues pieces of text; Commit writes what is
// queued, flushes the file to disk and renames it over the target. Until
// Commit succeeds the target is untouched; a failure, or destroying the
// object before Commit, removes the temporary file.
//
// - A target that is a symbolic link stays a link; the file it leads to gets
//   the new content.
// - A replaced file keeps its permission bits (and owner, where allowed); a
//   new one gets the usual 0666 less the umask.
// - A target that exists but is not a regular file (/dev/null, a FIFO, a
//   terminal) is written directly, as it cannot be replaced.
//
// Failures: EFCreateError with the path when the path is empty, names a
// directory, lies in a folder that does not exist or cannot take a new file,
// or names a file that may not be written; EWriteError when a write, the
// flush or the rename fails. The process must ignore SIGXFSZ so that a write
// beyond the file-size limit fails instead of killing it.

#ifndef TRACKSIFT_TRACKLOG_OUTPUT_FILE_H_
#define TRACKSIFT_TRACKLOG_OUTPUT_FILE_H_

#include <sys/uio.h>

#include <string>
#include <string_view>

namespace tracksift {

class OutputFile {
 public:
  // path is handed to the system unchanged and named as it is in failures.
  static OutputFile Create(const std::string& path);

  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&&) = delete;
  OutputFile(const OutputFile&) = delete;
  ~OutputFile();

  // Queues bytes to be written after everything queued before. The bytes are
  // not copied: they must stay valid until the next Flush or Commit.
  void Append(std::string_view bytes) {
    if (bytes.empty()) return;
    if (queued_ == kMaxQueued) Flush();
    queue_[queued_].iov_base = const_cast<char*>(bytes.data());
    queue_[queued_].iov_len = bytes.size();
    ++queued_;
  }

  // Writes everything queued.
  void Flush();

  // Writes everything queued and puts the file in place of the target.
  void Commit();

 private:
  static constexpr int kMaxQueued = 1024;  // IOV_MAX on Linux

  OutputFile() = default;
  void Abandon();

  int fd_ = -1;
  std::string target_;  // the file to replace (a link's end), or empty: direct
  std::string temp_;    // the temporary file while it exists
  int queued_ = 0;
  struct iovec queue_[kMaxQueued];
};

}  // namespace tracksift

#endif  // TRACKSIFT_TRACKLOG_OUTPUT_FILE_H_

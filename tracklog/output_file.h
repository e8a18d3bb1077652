// OutputFile: writes a file so that it appears whole or not at all.
//
// Create checks that the file can be made, then opens a new temporary file
// in the target's folder. Append adds text, written out in large pieces as it
// comes; Commit writes the rest, flushes the file to disk and renames it over
// the target. Until Commit succeeds the target is untouched; a failure, or
// destroying the object before Commit, removes the temporary file.
//
// - A target that is a symbolic link stays a link; the file it leads to gets
//   the new content.
// - A replaced file keeps its permission bits (and owner, where allowed); a
//   new one gets the usual 0666 less the umask.
// - A target that exists but is not a regular file (/dev/null, a FIFO, a
//   terminal) cannot be replaced: the text is held in memory and written to
//   it by Commit, so that it gets nothing before the text is complete.
//
// A process stopped by SIGINT, SIGTERM or SIGHUP while the temporary file
// exists removes it first (unless the caller ignores the signal).
//
// Failures: EFCreateError with the path when the path is empty, names a
// directory, lies in a folder that does not exist or cannot take a new file,
// or names a file that may not be written; EWriteError when a write, the
// flush or the rename fails. The process must ignore SIGXFSZ so that a write
// beyond the file-size limit fails instead of killing it.

#ifndef TRACKSIFT_TRACKLOG_OUTPUT_FILE_H_
#define TRACKSIFT_TRACKLOG_OUTPUT_FILE_H_

#include <cstddef>
#include <memory>
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

  // Adds bytes after everything added before. EWriteError, EOutOfMemory.
  void Append(std::string_view bytes);

  // Writes out the rest and puts the file in place of the target.
  void Commit();

 private:
  OutputFile() = default;
  void WriteOut(const char* bytes, size_t size);
  void Abandon();

  int fd_ = -1;
  std::string target_;  // the file to replace (a link's end)
  std::string temp_;    // the temporary file while it exists
  bool hold_all_ = false;  // not a regular file: everything waits for Commit
  std::string held_;
  std::unique_ptr<char[]> buffer_;
  size_t buffered_ = 0;
};

}  // namespace tracksift

#endif  // TRACKSIFT_TRACKLOG_OUTPUT_FILE_H_

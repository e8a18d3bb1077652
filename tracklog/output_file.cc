#include "tracklog/output_file.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/failure.h"
#include "tracklog/descriptors.h"

namespace tracksift {
namespace {

// Output is written in pieces of this size: few system calls, and a buffer
// that stays in the processor's cache.
constexpr size_t kBufferSize = 1 << 20;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows symbolic links from path to the name they end at, which may not
// exist yet. Returns false for a loop or a link that cannot be read.
bool FollowLinks(std::string* path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (lstat(path->c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX),
                     '\0');
    const ssize_t n = readlink(path->c_str(), link.data(), link.size());
    if (n <= 0) return false;
    link.resize(static_cast<size_t>(n));
    if (link[0] != '/') link = FolderOf(*path) + "/" + link;
    *path = std::move(link);
  }
  return false;
}

// The temporary file being written, where a signal handler can reach it
// without allocating: a run stopped by Ctrl-C or kill removes it on its way
// out instead of leaving it in the user's folder. The program writes one
// output file at a time.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
char g_temp_path[PATH_MAX + 1];
volatile sig_atomic_t g_temp_registered = 0;

void RemoveTempAndStop(int signal_number) {
  if (g_temp_registered) unlink(g_temp_path);
  signal(signal_number, SIG_DFL);
  raise(signal_number);  // delivered, with its usual effect, on return
}

void RegisterTemp(const std::string& path) {
  static bool installed = false;
  g_temp_registered = 0;
  if (path.size() >= sizeof g_temp_path) return;
  std::memcpy(g_temp_path, path.c_str(), path.size() + 1);
  g_temp_registered = 1;
  if (!installed) {
    installed = true;
    for (const int signal_number : kStopSignals) {
      struct sigaction current;
      // A signal that the caller chose to ignore stays ignored.
      if (sigaction(signal_number, nullptr, &current) == 0 &&
          current.sa_handler == SIG_DFL) {
        signal(signal_number, RemoveTempAndStop);
      }
    }
  }
}

void UnregisterTemp() { g_temp_registered = 0; }

mode_t DefaultMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

OutputFile OutputFile::Create(const std::string& path) {
  if (path.empty()) throw EFCreateError(path);
  OutputFile file;
  OrOutOfMemory([&] {
    struct stat st;
    const bool exists = stat(path.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) throw EFCreateError(path);
    if (exists && S_ISDIR(st.st_mode)) throw EFCreateError(path);
    if (exists && !S_ISREG(st.st_mode)) {
      // A device, a FIFO or a pipe (/dev/stdout): it cannot be replaced, so
      // it is written directly, once the whole text is there. It is opened by
      // the name given, as the links of /proc lead to no real name.
      file.fd_ = AboveStandardStreams(
          open(path.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC));
      if (file.fd_ < 0) throw EFCreateError(path);
      file.hold_all_ = true;
      return;
    }
    // A file to replace, or to make: the name the links end at.
    std::string target = path;
    if (!FollowLinks(&target)) throw EFCreateError(path);
    if (exists) {
      // The file must be one that may be written; opening it without
      // truncation asks exactly that and changes nothing.
      const int probe = open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
      if (probe < 0) throw EFCreateError(path);
      close(probe);
    }
    // The temporary file's name starts with a dot and the target's name;
    // a name too long for that falls back to a short fixed one.
    const std::string folder = FolderOf(target);
    std::string temp = folder + "/." + NameOf(target) + ".tracksift-XXXXXX";
    if (NameOf(target).size() + 18 > NAME_MAX) temp = folder + "/.tracksift-XXXXXX";
    // The stop signals wait while the file comes into being, so that none
    // can end the process between its creation and its registration.
    sigset_t stops, before;
    sigemptyset(&stops);
    for (const int signal_number : kStopSignals) sigaddset(&stops, signal_number);
    sigprocmask(SIG_BLOCK, &stops, &before);
    file.fd_ = mkostemp(temp.data(), O_CLOEXEC);
    if (file.fd_ >= 0) {
      file.temp_ = std::move(temp);
      RegisterTemp(file.temp_);
    }
    sigprocmask(SIG_SETMASK, &before, nullptr);
    if (file.fd_ < 0) throw EFCreateError(path);
    file.fd_ = AboveStandardStreams(file.fd_);
    if (file.fd_ < 0) throw EFCreateError(path);
    file.target_ = std::move(target);
    file.buffer_.reset(new char[kBufferSize]);
    if (exists) {
      fchmod(file.fd_, st.st_mode & 07777);
      if (fchown(file.fd_, st.st_uid, st.st_gid) != 0) {
        // Only a privileged process may give a file away; keep our own.
      }
    } else {
      fchmod(file.fd_, DefaultMode());
    }
  });
  return file;
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      target_(std::move(other.target_)),
      temp_(std::exchange(other.temp_, {})),
      hold_all_(other.hold_all_),
      held_(std::move(other.held_)),
      buffer_(std::move(other.buffer_)),
      buffered_(std::exchange(other.buffered_, 0)) {}

OutputFile::~OutputFile() { Abandon(); }

void OutputFile::Abandon() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temp_.empty()) {
    unlink(temp_.c_str());
    UnregisterTemp();
  }
  temp_.clear();
}

void OutputFile::WriteOut(const char* bytes, size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd_, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      Abandon();
      throw EWriteError();
    }
    bytes += n;
    size -= static_cast<size_t>(n);
  }
}

void OutputFile::Append(std::string_view bytes) {
  if (fd_ < 0) throw EWriteError();  // an earlier write failed
  if (hold_all_) {
    OrOutOfMemory([&] { held_ += bytes; });
    return;
  }
  if (bytes.size() > kBufferSize - buffered_) {
    WriteOut(buffer_.get(), buffered_);
    buffered_ = 0;
    if (bytes.size() >= kBufferSize) {  // too large to gain from copying
      WriteOut(bytes.data(), bytes.size());
      return;
    }
  }
  std::memcpy(buffer_.get() + buffered_, bytes.data(), bytes.size());
  buffered_ += bytes.size();
}

void OutputFile::Commit() {
  if (fd_ < 0) throw EWriteError();  // an earlier write failed
  if (hold_all_) {
    // Written directly: nothing to put in place.
    WriteOut(held_.data(), held_.size());
    if (close(std::exchange(fd_, -1)) != 0 && errno != EINTR) throw EWriteError();
    return;
  }
  WriteOut(buffer_.get(), buffered_);
  buffered_ = 0;
  if (fsync(fd_) != 0 || close(std::exchange(fd_, -1)) != 0 ||
      rename(temp_.c_str(), target_.c_str()) != 0) {
    Abandon();
    throw EWriteError();
  }
  UnregisterTemp();
  temp_.clear();
  // Make the rename itself durable; a failure here loses nothing written.
  const int folder = open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
}

}  // namespace tracksift

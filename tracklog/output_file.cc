#include "tracklog/output_file.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "base/failure.h"

namespace tracksift {
namespace {

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

mode_t DefaultMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// Writes all of the iovecs, resuming after short writes. Returns false on a
// failed write.
bool WriteAll(int fd, struct iovec* iov, int count) {
  while (count > 0) {
    const ssize_t n = writev(fd, iov, count);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    size_t done = static_cast<size_t>(n);
    while (count > 0 && done >= iov->iov_len) {
      done -= iov->iov_len;
      ++iov;
      --count;
    }
    if (count > 0) {
      iov->iov_base = static_cast<char*>(iov->iov_base) + done;
      iov->iov_len -= done;
    }
  }
  return true;
}

}  // namespace

OutputFile OutputFile::Create(const std::string& path) {
  if (path.empty()) throw EFCreateError(path);
  OutputFile file;
  try {
    std::string target = path;
    if (!FollowLinks(&target)) throw EFCreateError(path);
    struct stat st;
    const bool exists = stat(target.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) throw EFCreateError(path);
    if (exists && S_ISDIR(st.st_mode)) throw EFCreateError(path);
    if (exists && !S_ISREG(st.st_mode)) {
      // A device or a FIFO: it cannot be replaced, so write to it directly.
      file.fd_ = open(target.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
      if (file.fd_ < 0) throw EFCreateError(path);
      return file;
    }
    if (exists) {
      // The file must be one that may be written; opening it without
      // truncation asks exactly that and changes nothing.
      const int probe = open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
      if (probe < 0) throw EFCreateError(path);
      close(probe);
    }
    // The temporary file's name starts with a dot and the target's name;
    // a name too long for that falls back to a short fixed one.
    const std::string folder = FolderOf(target);
    std::string temp = folder + "/." + NameOf(target) + ".tracksift-XXXXXX";
    if (NameOf(target).size() + 18 > NAME_MAX) temp = folder + "/.tracksift-XXXXXX";
    file.fd_ = mkostemp(temp.data(), O_CLOEXEC);
    if (file.fd_ < 0) throw EFCreateError(path);
    file.temp_ = std::move(temp);
    file.target_ = std::move(target);
    if (exists) {
      fchmod(file.fd_, st.st_mode & 07777);
      if (fchown(file.fd_, st.st_uid, st.st_gid) != 0) {
        // Only a privileged process may give a file away; keep our own.
      }
    } else {
      fchmod(file.fd_, DefaultMode());
    }
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory();
  }
  return file;
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      target_(std::move(other.target_)),
      temp_(std::move(other.temp_)),
      queued_(std::exchange(other.queued_, 0)) {
  std::copy(other.queue_, other.queue_ + queued_, queue_);
  other.temp_.clear();
}

OutputFile::~OutputFile() { Abandon(); }

void OutputFile::Abandon() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temp_.empty()) unlink(temp_.c_str());
  temp_.clear();
}

void OutputFile::Flush() {
  const int count = queued_;
  queued_ = 0;
  if (!WriteAll(fd_, queue_, count)) {
    Abandon();
    throw EWriteError();
  }
}

void OutputFile::Commit() {
  Flush();
  if (temp_.empty()) {
    // Written directly: nothing to put in place.
    if (close(std::exchange(fd_, -1)) != 0 && errno != EINTR) throw EWriteError();
    return;
  }
  if (fsync(fd_) != 0 || close(std::exchange(fd_, -1)) != 0 ||
      rename(temp_.c_str(), target_.c_str()) != 0) {
    Abandon();
    throw EWriteError();
  }
  temp_.clear();
  // Make the rename itself durable; a failure here loses nothing written.
  const int folder = open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
}

}  // namespace tracksift

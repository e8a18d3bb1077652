#include "tracklog/file_text.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "base/failure.h"

namespace tracksift {
namespace {

// The mappings that a SIGBUS may come from. A program holds one or two files
// at a time; the fixed table keeps the signal handler free of allocation.
struct GuardedMapping {
  char* begin;
  size_t size;
  volatile sig_atomic_t cut;
};
constexpr int kMaxGuarded = 8;
GuardedMapping g_guarded[kMaxGuarded];
struct sigaction g_previous_sigbus;

void OnSigbus(int signal, siginfo_t* info, void* context) {
  char* address = static_cast<char*>(info->si_addr);
  for (GuardedMapping& m : g_guarded) {
    if (m.begin != nullptr && address >= m.begin && address < m.begin + m.size) {
      // The file was cut short under the mapping. Put zero pages in place of
      // the lost ones, from the faulting page to the end of the mapping, so
      // the access can go on; the owner sees the cut through Whole().
      const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
      char* from = reinterpret_cast<char*>(reinterpret_cast<uintptr_t>(address) &
                                           ~(page - 1));
      const size_t length = static_cast<size_t>(m.begin + m.size - from);
      m.cut = 1;
      if (mmap(from, length, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED,
               -1, 0) != MAP_FAILED) {
        return;
      }
      break;
    }
  }
  // Not ours, or the zero pages could not be had: behave as before.
  if (g_previous_sigbus.sa_flags & SA_SIGINFO) {
    g_previous_sigbus.sa_sigaction(signal, info, context);
    return;
  }
  sigaction(SIGBUS, &g_previous_sigbus, nullptr);
  raise(SIGBUS);
}

GuardedMapping* Guard(char* begin, size_t size) {
  static bool installed = false;
  if (!installed) {
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_sigaction = OnSigbus;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &g_previous_sigbus);
    installed = true;
  }
  for (GuardedMapping& m : g_guarded) {
    if (m.begin == nullptr) {
      m.cut = 0;
      m.size = size;
      m.begin = begin;
      return &m;
    }
  }
  return nullptr;
}

GuardedMapping* FindGuard(const char* begin) {
  for (GuardedMapping& m : g_guarded) {
    if (m.begin == begin) return &m;
  }
  return nullptr;
}

// Reads fd to its end into a malloc'd buffer. Returns false on a read error.
bool ReadToEnd(int fd, char** data, size_t* size) {
  size_t capacity = 0;
  size_t used = 0;
  char* buffer = nullptr;
  for (;;) {
    if (used == capacity) {
      // Grow by doubling; realloc of a large block moves pages, not bytes.
      const size_t grown = capacity == 0 ? 64 * 1024 : 2 * capacity;
      char* bigger = static_cast<char*>(realloc(buffer, grown));
      if (bigger == nullptr) {
        free(buffer);
        throw EOutOfMemory();
      }
      buffer = bigger;
      capacity = grown;
    }
    const ssize_t n = read(fd, buffer + used, capacity - used);
    if (n > 0) {
      used += static_cast<size_t>(n);
    } else if (n == 0) {
      break;
    } else if (errno != EINTR) {
      free(buffer);
      return false;
    }
  }
  *data = buffer;
  *size = used;
  return true;
}

}  // namespace

FileText FileText::Load(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) throw EFOpenError(path);
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    throw EFOpenError(path);
  }
  FileText text;
  if (S_ISREG(st.st_mode) && st.st_size > 0) {
    // Map it. MAP_POPULATE reads it in at once, which costs far less than
    // taking the pages one fault at a time during the walk.
    const size_t size = static_cast<size_t>(st.st_size);
    void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (map == MAP_FAILED) {
      const int error = errno;
      close(fd);
      if (error == ENOMEM) throw EOutOfMemory();
      throw EFOpenError(path);
    }
    if (Guard(static_cast<char*>(map), size) != nullptr) {
      text.data_ = static_cast<const char*>(map);
      text.size_ = size;
      text.mapped_ = true;
      text.fd_ = fd;
      return text;
    }
    // Every guard is taken (never so in this program): read it instead.
    munmap(map, size);
  }
  // A pipe, a device, or a file whose length tells nothing (as in /proc).
  char* data = nullptr;
  size_t size = 0;
  bool ok;
  try {
    ok = ReadToEnd(fd, &data, &size);
  } catch (...) {
    close(fd);
    throw;
  }
  close(fd);
  if (!ok) throw EFOpenError(path);
  text.data_ = data;
  text.size_ = size;
  return text;
}

bool FileText::Whole() const {
  if (!mapped_) return true;
  const GuardedMapping* guard = FindGuard(data_);
  if (guard != nullptr && guard->cut) return false;
  struct stat st;
  return fstat(fd_, &st) == 0 && static_cast<size_t>(st.st_size) >= size_;
}

void FileText::Release() {
  if (mapped_) {
    if (GuardedMapping* guard = FindGuard(data_)) guard->begin = nullptr;
    munmap(const_cast<char*>(data_), size_);
    close(fd_);
  } else {
    free(const_cast<char*>(data_));
  }
  data_ = nullptr;
  size_ = 0;
  mapped_ = false;
  fd_ = -1;
}

FileText::~FileText() { Release(); }

FileText::FileText(FileText&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, false)),
      fd_(std::exchange(other.fd_, -1)) {}

FileText& FileText::operator=(FileText&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    mapped_ = std::exchange(other.mapped_, false);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

}  // namespace tracksift

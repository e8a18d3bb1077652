#include "tracklog/descriptors.h"

#include <fcntl.h>
#include <unistd.h>

namespace tracksift {

int AboveStandardStreams(int fd) {
  if (fd < 0 || fd > 2) return fd;
  const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  close(fd);
  return moved;
}

}  // namespace tracksift

// regular_file.cpp — opening the files winport reads, refusing what is not a regular file.
#include "gdi/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace winport::gdi {

int open_regular_file(const char *path, size_t *size) {
  // O_NONBLOCK makes opening a FIFO return at once; fstat then refuses it. For a regular file the
  // flag changes nothing.
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return -1;
  }
  if (size) *size = static_cast<size_t>(st.st_size);
  return fd;
}

}  // namespace winport::gdi

// files.cpp — how the library opens the files it reads and writes.
//
// Promise: every file the library opens is a regular file, and opening one never blocks (a FIFO
// with nobody at its other end is refused at once, as is a device or a folder). Writes hand whole
// buffers to the system, retrying where a signal interrupted them.
#include "internal.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tevra {

namespace {

#ifndef _WIN32
// Keeps `fd` when it is a regular file; closes it otherwise.
int regular_or_closed(int fd, OpenFailure *why) {
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    *why = OpenFailure::kNotRegular;
    return -1;
  }
  *why = OpenFailure::kNone;
  return fd;
}
#endif

} // namespace

bool write_all(int fd, const char *text, size_t n) {
  while (n > 0) {
    const auto done = ::write(fd, text, static_cast<unsigned>(n));
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) {
      if (done == 0) errno = EIO;
      return false;
    }
    text += done;
    n -= static_cast<size_t>(done);
  }
  return true;
}

int open_regular_for_writing(const char *path, OpenFailure *why) {
#ifdef _WIN32
  const int fd = ::_open(path, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
  *why = fd < 0 ? OpenFailure::kSystem : OpenFailure::kNone;
  return fd;
#else
  // Not emptied on opening: only once it is known to be a regular file.
  int fd = ::open(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) {
    *why = errno == ENXIO ? OpenFailure::kNotRegular : OpenFailure::kSystem; // ENXIO: a FIFO nobody reads
    return -1;
  }
  fd = regular_or_closed(fd, why);
  if (fd >= 0 && ::ftruncate(fd, 0) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    *why = OpenFailure::kSystem;
    return -1;
  }
  return fd;
#endif
}

FILE *open_regular_for_reading(const char *path, OpenFailure *why) {
#ifdef _WIN32
  FILE *file = std::fopen(path, "rt");
  *why = file ? OpenFailure::kNone : OpenFailure::kSystem;
  return file;
#else
  int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *why = OpenFailure::kSystem;
    return nullptr;
  }
  fd = regular_or_closed(fd, why);
  if (fd < 0) return nullptr;
  FILE *file = ::fdopen(fd, "r");
  if (!file) ::close(fd);
  *why = file ? OpenFailure::kNone : OpenFailure::kSystem;
  return file;
#endif
}

bool truncate_to(int fd, long long length) {
#ifdef _WIN32
  return ::_chsize_s(fd, length) == 0;
#else
  return ::ftruncate(fd, static_cast<off_t>(length)) == 0;
#endif
}

void close_fd(int fd) {
#ifdef _WIN32
  ::_close(fd);
#else
  ::close(fd);
#endif
}

} // namespace tevra

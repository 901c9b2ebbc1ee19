// png_file.cpp — whole files: a PNG is written beside its final name and renamed over it.
//
// The temporary name carries the process id, so two processes writing the same frame do not share
// a temporary file; the rename replaces any old file in one step (MoveFileExA on Win32, where the C
// library's rename refuses an existing target).
#include "frame_image.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace img {
namespace {

std::string error_text(int error) {
#ifdef EDQUOT
  if (error == EDQUOT) return "the disk is full";
#endif
  if (error == ENOSPC) return "the disk is full";
  return std::strerror(error);
}

bool fail(std::string *reason, const std::string &text) {
  if (reason != nullptr) *reason = text;
  return false;
}

std::string temporary_name(const std::string &path) {
#ifdef _WIN32
  const long pid = _getpid();
#else
  const long pid = static_cast<long>(getpid());
#endif
  return path + ".tmp" + std::to_string(pid);
}

// Writes all of `size` bytes to a new file `path`; on failure the partial file is removed.
bool write_new_file(const std::string &path, const void *data, size_t size, std::string *reason) {
  FILE *file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return fail(reason, error_text(errno));
  std::setvbuf(file, nullptr, _IONBF, 0);  // the bytes are all in memory: one write, no copy
  errno = 0;
  const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  int error = errno;
  if (std::fclose(file) != 0 && error == 0) error = errno;
  if (written && error == 0) return true;
  std::remove(path.c_str());
  return fail(reason, error_text(error != 0 ? error : EIO));
}

bool replace_file(const std::string &from, const std::string &to, std::string *reason) {
#ifdef _WIN32
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  const DWORD error = GetLastError();
  std::remove(from.c_str());
  return fail(reason, error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL
                          ? "the disk is full"
                          : "cannot replace the file (Windows error " + std::to_string(error) + ")");
#else
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  const int error = errno;
  std::remove(from.c_str());
  return fail(reason, error_text(error));
#endif
}

}  // namespace

bool write_png(const std::string &path, const uint32_t *pixels, int w, int h, int stride, std::string *reason) {
  const std::vector<uint8_t> bytes = encode_png(pixels, w, h, stride);
  if (bytes.empty()) return fail(reason, "no pixels to write (empty image or stride below the width)");
  return write_file(path, bytes.data(), bytes.size(), reason);
}

bool write_file(const std::string &path, const void *data, size_t size, std::string *reason) {
  const std::string temporary = temporary_name(path);
  return write_new_file(temporary, data, size, reason) && replace_file(temporary, path, reason);
}

bool write_png(const std::string &path, const Image &image, std::string *reason) {
  return write_png(path, image.pixels.data(), image.width, image.height, image.width, reason);
}

}  // namespace img

// regular_file.h — opening the files winport reads itself (the kept font answers, face files).
//
// A path can name a FIFO, a device or a socket as easily as a file: opening a FIFO for reading
// waits for a writer that may never come, and a device may never end. Every file winport reads is
// opened here, without waiting, and is refused unless it is a regular file.
#pragma once

#include <cstddef>

namespace winport::gdi {

// A descriptor open for reading (close-on-exec), or -1 when the path cannot be opened or is not a
// regular file. Never waits. `size`, when given, receives the file's size in bytes.
int open_regular_file(const char *path, size_t *size = nullptr);

}  // namespace winport::gdi

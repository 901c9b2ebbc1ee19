// png.h — saving and loading 32-bit surfaces as PNG files, for frames and golden images.
//
// Pixels are 0x00RRGGBB, as in a surface; files are 8-bit RGB. Reading accepts any PNG and
// converts it (palette, grey, 16-bit and alpha are reduced to 8-bit RGB; alpha is dropped).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace winport {

// Writes w x h pixels; `stride` is the distance between rows in pixels. False on any failure.
bool write_png(const std::string &path, const uint32_t *pixels, int w, int h, int stride);
// Reads a whole image into pixels (w * h, top row first). False on any failure.
bool read_png(const std::string &path, std::vector<uint32_t> &pixels, int &w, int &h);

}  // namespace winport

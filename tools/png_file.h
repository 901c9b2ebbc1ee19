// png_file.h — 24-bit PNG files from and to 0x00RRGGBB pixel arrays (the canvas layout).
//
// Used by frostvel-replay to write frames and by the end-to-end tests to read frames and goldens.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace frostvel {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first

  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Writes `image` as an 8-bit RGB PNG. Returns false (with `error` set) when the file cannot be
// written.
bool write_png_file(const std::string &path, const Image &image, std::string *error = nullptr);

// Reads an 8-bit RGB or RGBA PNG (alpha is dropped). Returns false (with `error` set) when the file
// is missing or is not such a PNG.
bool read_png_file(const std::string &path, Image *image, std::string *error = nullptr);

}  // namespace frostvel

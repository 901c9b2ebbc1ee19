// png_file.h — PNG files of 0x00RRGGBB pixel images (the canvas layout).
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

// Reads a PNG (reduced to 8-bit RGB, alpha dropped). Returns false (with `error` set) when the file
// is missing or is not a PNG.
bool read_png_file(const std::string &path, Image *image, std::string *error = nullptr);

}  // namespace frostvel

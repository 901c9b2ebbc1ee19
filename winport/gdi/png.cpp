// png.cpp — PNG files through libpng's simplified API, which reports errors instead of jumping.
#include "gdi/png.h"

#include <png.h>

#include <cstring>

namespace winport {

bool write_png(const std::string &path, const uint32_t *pixels, int w, int h, int stride) {
  if (!pixels || w <= 0 || h <= 0 || stride < w) return false;
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * static_cast<size_t>(h) * 3u);
  for (int y = 0; y < h; ++y) {
    const uint32_t *row = pixels + static_cast<size_t>(y) * static_cast<size_t>(stride);
    uint8_t *out = rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(w) * 3u;
    for (int x = 0; x < w; ++x) {
      out[3 * x] = static_cast<uint8_t>(row[x] >> 16);
      out[3 * x + 1] = static_cast<uint8_t>(row[x] >> 8);
      out[3 * x + 2] = static_cast<uint8_t>(row[x]);
    }
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(w);
  image.height = static_cast<png_uint_32>(h);
  image.format = PNG_FORMAT_RGB;
  bool ok = png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), w * 3, nullptr) != 0;
  png_image_free(&image);
  return ok;
}

bool read_png(const std::string &path, std::vector<uint32_t> &pixels, int &w, int &h) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  // Refuse absurd sizes before allocating.
  if (image.width == 0 || image.height == 0 || image.width > 1u << 15 || image.height > 1u << 15) {
    png_image_free(&image);
    return false;
  }
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  w = static_cast<int>(image.width);
  h = static_cast<int>(image.height);
  pixels.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = (uint32_t{rgb[3 * i]} << 16) | (uint32_t{rgb[3 * i + 1]} << 8) | rgb[3 * i + 2];
  }
  png_image_free(&image);
  return true;
}

}  // namespace winport

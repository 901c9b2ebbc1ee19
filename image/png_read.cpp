// png_read.cpp — reading PNG files through libpng's simplified API, which reports errors instead of
// jumping. Only for tests and tools, on Linux: the target tevra_image_reader.
#include <png.h>

#include <cstring>

#include "frame_image.h"

namespace img {

bool read_png(const std::string &path, Image *image, std::string *reason) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  const auto failed = [&](const std::string &why) {
    if (reason != nullptr) *reason = why.empty() ? std::string("not a PNG image") : why;
    png_image_free(&png);
    return false;
  };
  if (!png_image_begin_read_from_file(&png, path.c_str())) return failed(png.message);
  png.format = PNG_FORMAT_RGB;
  // Refuse absurd sizes before allocating.
  if (png.width == 0 || png.height == 0 || png.width > 1u << 15 || png.height > 1u << 15)
    return failed("the image is larger than 32768 pixels");
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr)) return failed(png.message);
  image->width = static_cast<int>(png.width);
  image->height = static_cast<int>(png.height);
  image->pixels.resize(static_cast<size_t>(image->width) * static_cast<size_t>(image->height));
  for (size_t i = 0; i < image->pixels.size(); ++i)
    image->pixels[i] = (uint32_t{rgb[3 * i]} << 16) | (uint32_t{rgb[3 * i + 1]} << 8) | rgb[3 * i + 2];
  png_image_free(&png);
  return true;
}

}  // namespace img

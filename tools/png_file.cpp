// png_file.cpp — PNG reading and writing with libpng's simplified API.
#include "png_file.h"

#include <png.h>

#include <cstring>

namespace frostvel {

bool write_png_file(const std::string &path, const Image &image, std::string *error) {
  std::vector<uint8_t> rgb(static_cast<size_t>(image.width) * image.height * 3);
  for (size_t i = 0; i < image.pixels.size() && i * 3 + 2 < rgb.size(); ++i) {
    const uint32_t p = image.pixels[i];
    rgb[i * 3 + 0] = static_cast<uint8_t>(p >> 16);
    rgb[i * 3 + 1] = static_cast<uint8_t>(p >> 8);
    rgb[i * 3 + 2] = static_cast<uint8_t>(p);
  }
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGB;
  png.flags = PNG_IMAGE_FLAG_FAST;  // frames are many and mostly flat: speed over size
  if (!png_image_write_to_file(&png, path.c_str(), 0, rgb.data(), 0, nullptr)) {
    if (error) *error = path + ": " + png.message;
    png_image_free(&png);
    return false;
  }
  return true;
}

bool read_png_file(const std::string &path, Image *image, std::string *error) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) {
    if (error) *error = path + ": " + png.message;
    png_image_free(&png);
    return false;
  }
  png.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr)) {
    if (error) *error = path + ": " + png.message;
    png_image_free(&png);
    return false;
  }
  image->width = static_cast<int>(png.width);
  image->height = static_cast<int>(png.height);
  image->pixels.resize(static_cast<size_t>(image->width) * image->height);
  for (size_t i = 0; i < image->pixels.size(); ++i) {
    image->pixels[i] = (uint32_t{rgb[i * 3]} << 16) | (uint32_t{rgb[i * 3 + 1]} << 8) | rgb[i * 3 + 2];
  }
  return true;
}

}  // namespace frostvel

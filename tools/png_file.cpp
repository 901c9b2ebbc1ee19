// png_file.cpp — PNG images of canvas pixels, through winport's PNG files.
#include "png_file.h"

#include "gdi/png.h"

namespace frostvel {

bool write_png_file(const std::string &path, const Image &image, std::string *error) {
  if (winport::write_png(path, image.pixels.data(), image.width, image.height, image.width)) return true;
  if (error) *error = path + ": cannot write the PNG file";
  return false;
}

bool read_png_file(const std::string &path, Image *image, std::string *error) {
  if (winport::read_png(path, image->pixels, image->width, image->height)) return true;
  if (error) *error = path + ": missing, or not a PNG image";
  return false;
}

}  // namespace frostvel

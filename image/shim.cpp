#include "image.h"
#include "gdi/png.h"
namespace image {
bool write_png(const char *path, const uint32_t *pixels, int w, int h, int stride, std::string *error) {
  if (winport::write_png(path, pixels, w, h, stride)) return true;
  if (error) *error = "failed";
  return false;
}
}

// TEMPORARY shim until the image module lands.
#pragma once
#include <cstdint>
#include <string>
namespace image {
bool write_png(const char *path, const uint32_t *pixels, int w, int h, int stride, std::string *error);
}

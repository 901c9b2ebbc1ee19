// sdl_scale.cpp — the SDL display's scale arithmetic (see sdl_scale.h).
#include "display/sdl_scale.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

namespace winport::display::sdl_scale {

int choose(const char *forced, int desktop_width) {
  if (forced != nullptr && *forced != '\0') {
    char *end = nullptr;
    long n = std::strtol(forced, &end, 10);
    if (*end == '\0' && n >= 1 && n <= 8) return static_cast<int>(n);
    std::fprintf(stderr, "winport: ignoring WINPORT_SCALE=%s (a whole number from 1 to 8)\n", forced);
  }
  return desktop_width >= 2560 ? 2 : 1;
}

int unscale(int v, int scale) { return v >= 0 ? v / scale : -((-v + scale - 1) / scale); }

Placement place(int x, int y, int width, int height, int scale) {
  return {std::clamp(x, -16384, 16384) * scale, std::clamp(y, -16384, 16384) * scale,
          std::clamp(width, 1, 16384) * scale, std::clamp(height, 1, 16384) * scale};
}

void copy_scaled(const uint32_t *pixels, int width, int height, int stride, int scale, void *dst, int dst_width,
                 int dst_height, int dst_pitch, uint32_t fill) {
  const int s = scale;
  const int columns = std::min(width, dst_width / s);
  const int rows = std::min(height, dst_height / s);
  auto *base = static_cast<uint8_t *>(dst);
  for (int y = 0; y < rows; ++y) {
    const uint32_t *src = pixels + static_cast<size_t>(y) * static_cast<size_t>(stride);
    for (int r = 0; r < s; ++r) {
      auto *out = reinterpret_cast<uint32_t *>(base + static_cast<size_t>(y * s + r) * static_cast<size_t>(dst_pitch));
      if (s == 1) {
        for (int x = 0; x < columns; ++x) out[x] = src[x] | fill;
        continue;
      }
      for (int x = 0; x < columns; ++x)
        for (int k = 0; k < s; ++k) out[x * s + k] = src[x] | fill;
    }
  }
}

}  // namespace winport::display::sdl_scale

// sdl_scale.cpp — the SDL display's scale arithmetic (see sdl_scale.h).
#include "display/sdl_scale.h"

#include <algorithm>
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

}  // namespace winport::display::sdl_scale

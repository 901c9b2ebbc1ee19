// sdl_scale.cpp — the SDL display's scale arithmetic (see sdl_scale.h).
#include "display/sdl_scale.h"

#include <algorithm>

namespace winport::display::sdl_scale {

int unscale(int v, int scale) { return v >= 0 ? v / scale : -((-v + scale - 1) / scale); }

Placement place(int x, int y, int width, int height, int scale) {
  return {std::clamp(x, -16384, 16384) * scale, std::clamp(y, -16384, 16384) * scale,
          std::clamp(width, 1, 16384) * scale, std::clamp(height, 1, 16384) * scale};
}

}  // namespace winport::display::sdl_scale

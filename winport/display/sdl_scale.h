// sdl_scale.h — how the SDL display maps winport's coordinates to the screen's and back.
//
// At a whole-number scale every image pixel is shown as a scale x scale block: window positions and
// sizes are multiplied by it, and mouse coordinates divided. Nothing here touches SDL, so the
// arithmetic can be checked without a screen.
#pragma once

namespace winport::display::sdl_scale {

// A window coordinate to an image coordinate, rounding toward minus infinity, so that points left
// of or above the window (a drag that left it) stay outside.
int unscale(int v, int scale);

// Where and how large the native window is for a window at (x, y) of width x height image pixels.
// Positions are kept within +-16384 and sizes within 1..16384 before scaling, so nothing overflows.
struct Placement {
  int x, y, width, height;
};
Placement place(int x, int y, int width, int height, int scale);

}  // namespace winport::display::sdl_scale

// sdl_scale.h — how the SDL display maps winport's pixels to the screen's and back.
//
// On a large screen every window is shown at a whole-number scale: each image pixel becomes a
// scale x scale block, window positions and sizes are multiplied, and mouse coordinates divided.
// Nothing here touches SDL, so the arithmetic can be checked without a screen.
#pragma once

namespace winport::display::sdl_scale {

// The scale for a desktop `desktop_width` pixels wide (0 when unknown): `forced` (the value of
// WINPORT_SCALE, or null) when it is a whole number from 1 to 8, otherwise 2 from 2560 pixels on,
// otherwise 1. A `forced` value that is set but not such a number is reported on standard error.
int choose(const char *forced, int desktop_width);

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

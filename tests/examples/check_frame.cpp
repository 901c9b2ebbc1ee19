// check_frame — checks the colours of a frame written by a headless run (TEVRA_FRAMES) at logical
// points: origin at the centre of the graphics window's client area (client pixel 297, 248), y up.
//
//   check_frame FRAME.png X Y RRGGBB [X Y RRGGBB ...]
//
// Exits 0 when every point has its colour, else 1 with one line per point that differs.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "frame_image.h"

int main(int argc, char **argv) {
  if (argc < 5 || (argc - 2) % 3 != 0) {
    std::fprintf(stderr, "usage: check_frame FRAME.png X Y RRGGBB [X Y RRGGBB ...]\n");
    return 2;
  }
  img::Image frame;
  std::string reason;
  if (!img::read_png(argv[1], &frame, &reason)) {
    std::fprintf(stderr, "check_frame: cannot read %s: %s\n", argv[1], reason.c_str());
    return 2;
  }
  int wrong = 0;
  for (int i = 2; i + 2 < argc; i += 3) {
    const int x = 297 + std::atoi(argv[i]), y = 248 - std::atoi(argv[i + 1]);
    const uint32_t want = static_cast<uint32_t>(std::strtoul(argv[i + 2], nullptr, 16));
    const uint32_t got = x >= 0 && y >= 0 && x < frame.width && y < frame.height ? frame.at(x, y) : 0xFFFFFFFF;
    if (got != want) {
      std::fprintf(stderr, "check_frame: %s at (%s, %s): %06X, expected %06X\n", argv[1], argv[i], argv[i + 1], got,
                   want);
      wrong++;
    }
  }
  return wrong ? 1 : 0;
}

// glyph.h — one character rendered at one size, and drawing it onto a surface.
//
// Whichever font engine renders a glyph fills its coverage and then calls find_ink, which records
// where the ink lies; GlyphPainter draws from that record and touches no pixel the glyph leaves
// empty.
#pragma once

#include <cstdint>
#include <vector>

#include "gdi/surface.h"

namespace winport::gdi::font {

// One character rendered at one size: an 8-bit coverage bitmap placed relative to the pen position
// on the baseline (left: columns right of the pen; top: rows above the baseline). Rows are padded
// with zero coverage to a multiple of kGlyphRowAlign bytes, so a blender may read whole groups.
constexpr int kGlyphRowAlign = 4;

// Consecutive groups (kGlyphRowAlign pixels, counted from the row's start) of one row that hold
// ink. A solid run's pixels are all fully covered: it is drawn as a plain fill in the ink.
struct InkRun {
  int row = 0;
  int x = 0;      // first pixel, a multiple of kGlyphRowAlign
  int start = 0;  // index of that pixel in the coverage
  int groups = 0;
  bool solid = false;
};

struct Glyph {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int stride = 0;  // bytes from one row to the next: width rounded up to kGlyphRowAlign
  std::vector<uint8_t> coverage;  // stride * height, row-major
  std::vector<InkRun> ink;        // top row first, left to right within a row
};

// Fills g.ink from g.coverage: call it once the coverage is complete.
void find_ink(Glyph &g);

// Draws glyphs in one colour. Coverage c is blended as out = (ink * w + dst * (256 - w)) >> 8 per
// channel, with w = c + (c >> 7) stretching 0..255 to 0..256, so that full coverage gives exactly
// the ink and none leaves the pixel exactly as it was. Everything is clipped to the surface.
class GlyphPainter {
 public:
  // allow_wide = false keeps to the blenders every build has (for comparing the two).
  GlyphPainter(Surface &surface, uint32_t ink, bool allow_wide = true);
  // Blends g with its bitmap's top-left corner at (x, y).
  void draw(const Glyph &g, int64_t x, int64_t y) const;

 private:
  Surface &surface_;
  uint32_t ink_;
  bool wide_;  // the processor blends eight pixels at a time
};

}  // namespace winport::gdi::font

// Glyphs are drawn from the ink tiles recorded when they were rendered, by whichever blender the
// processor allows; every placement, on the surface or cut by any of its edges, must give exactly
// the pixels of blending each coverage byte by the formula.
#include <gtest/gtest.h>

#include <random>

#include "gdi/glyph.h"

using namespace winport::gdi::font;

namespace {

constexpr uint32_t kInk = 0x3C8AF0;

uint32_t blended(uint32_t dst, uint8_t coverage) {
  const uint32_t w = coverage + (coverage >> 7);
  uint32_t out = 0;
  for (int shift : {0, 8, 16}) {
    const uint32_t ink = (kInk >> shift) & 0xFF, was = (dst >> shift) & 0xFF;
    out |= ((ink * w + was * (256 - w)) >> 8) << shift;
  }
  return out;
}

// A glyph of random size whose coverage mixes empty, full and partial pixels, as rendered text does;
// a dense one is mostly fully covered, as the stems of large text are.
Glyph random_glyph(std::mt19937 &rng, bool dense) {
  Glyph g;
  g.width = 1 + static_cast<int>(rng() % 13);
  g.height = 1 + static_cast<int>(rng() % 9);
  g.stride = (g.width + kGlyphRowAlign - 1) / kGlyphRowAlign * kGlyphRowAlign;
  g.coverage.assign(static_cast<size_t>(g.stride * g.height), 0);
  for (int y = 0; y < g.height; ++y)
    for (int x = 0; x < g.width; ++x) {
      const unsigned pick = rng() % 8;
      const bool full = dense ? pick != 0 : pick < 2;
      g.coverage[y * g.stride + x] = full ? 255 : pick < 4 ? 0 : static_cast<uint8_t>(rng());
    }
  find_ink(g);
  return g;
}

TEST(GlyphPainter, EveryPlacementAndBlenderGivesTheFormulasPixels) {
  std::mt19937 rng(12);
  for (int trial = 0; trial < 300; ++trial) {
    const Glyph g = random_glyph(rng, trial % 2 == 1);
    winport::Surface background(20, 14);
    for (uint32_t &p : background.pixels) p = rng() & 0xFFFFFF;
    const int x = static_cast<int>(rng() % 36) - 14, y = static_cast<int>(rng() % 26) - 10;

    winport::Surface expected = background;
    for (int r = 0; r < g.height; ++r)
      for (int c = 0; c < g.width; ++c)
        if (x + c >= 0 && x + c < expected.width && y + r >= 0 && y + r < expected.height) {
          uint32_t &p = expected.row(y + r)[x + c];
          p = blended(p, g.coverage[r * g.stride + c]);
        }
    for (bool wide : {true, false}) {
      winport::Surface s = background;
      GlyphPainter(s, kInk, wide).draw(g, x, y);
      ASSERT_EQ(s.pixels, expected.pixels) << "trial " << trial << " at " << x << "," << y << " wide " << wide;
    }
  }
}

}  // namespace

// glyph.h — one character rendered at one size, and drawing it onto a surface.
//
// Whichever font engine renders a glyph fills its coverage and then calls find_ink, which records
// where the ink lies; GlyphPainter draws from that record and skips what the glyph leaves empty.
#pragma once

#include <cstdint>
#include <vector>

#include "gdi/surface.h"

namespace winport::gdi::font {

// One character rendered at one size: an 8-bit coverage bitmap placed relative to the pen position
// on the baseline (left: columns right of the pen; top: rows above the baseline). Rows are padded
// with zero coverage to a multiple of kGlyphRowAlign bytes, so a blender may read whole groups.
constexpr int kGlyphRowAlign = 4;

// A glyph's ink, found once when it is rendered, in tiles of kTileWidth x kTileRows pixels: the
// tiles of the bitmap (its height padded to whole tiles with empty rows) that hold any ink. A
// blender draws a tile in one step and never touches the bitmap's empty tiles.
constexpr int kTileWidth = kGlyphRowAlign;
constexpr int kTileRows = 2;
struct InkTile {
  int row = 0;  // the tile's top-left pixel in the bitmap
  int x = 0;
  bool solid = false;  // every pixel fully covered: a plain fill in the ink
};

struct Glyph {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int stride = 0;  // bytes from one row to the next: width rounded up to kGlyphRowAlign
  std::vector<uint8_t> coverage;  // stride * height, row-major
  std::vector<InkTile> tiles;     // top to bottom, left to right
  // The tiles' pixels' weights, kTileWidth x kTileRows each, row by row, in the order of `tiles`:
  // for coverage c, 2 * (c + (c >> 7)), 0..512, the factor that the blenders multiply by.
  std::vector<uint16_t> tile_weights;
  int tiled_height() const { return (height + kTileRows - 1) / kTileRows * kTileRows; }
};

// Fills g.tiles and g.tile_weights from g.coverage: call it once the coverage is complete.
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

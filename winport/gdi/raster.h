// raster.h — the shape rasteriser's internal interface: geometry in, clipped spans out.
//
// Every shape turns into horizontal spans on surface rows. Geometry is carried in 64-bit integers
// (GDI coordinates are 32-bit, so sums, differences and pen offsets never overflow), products that
// can exceed 64 bits use 128-bit integers, and each shape only ever visits the rows and columns
// that lie on the surface, so a shape far larger than the surface costs no more than one that fits.
//
// One writer, fill_span, stores the pixels; everything else computes spans. Shapes with several
// parts (outline and interior, or a wide pen's segments and joins) collect their spans in a
// SpanCollector, which merges the outline spans of each row and removes them from the interior
// spans, so no pixel is painted twice.
#pragma once

#include <cstdint>
#include <vector>

#include "gdi/objects.h"

namespace winport::gdi {

using i64 = int64_t;
using i128 = __int128;
using u128 = unsigned __int128;

// Floor and ceiling division for any signs (b != 0).
inline i64 floor_div(i64 a, i64 b) {
  i64 q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
inline i128 floor_div(i128 a, i128 b) {
  i128 q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
inline i128 ceil_div(i128 a, i128 b) { return -floor_div(-a, b); }
// Largest r with r * r <= v.
u128 isqrt(u128 v);

// Store one span [x0, x1) of row y; the span is clipped to the surface here.
inline void fill_span(Surface &s, i64 y, i64 x0, i64 x1, uint32_t pixel) {
  if (y < 0 || y >= s.height) return;
  if (x0 < 0) x0 = 0;
  if (x1 > s.width) x1 = s.width;
  if (x0 >= x1) return;
  uint32_t *p = s.row(static_cast<int>(y)) + x0;
  for (i64 n = x1 - x0; n > 0; --n) *p++ = pixel;
  s.dirty = true;
}

// Rows [first, last] of the surface that a shape covering rows [top, bottom] can touch; empty
// when first > last.
struct RowRange {
  i64 first;
  i64 last;
};
inline RowRange visible_rows(const Surface &s, i64 top, i64 bottom) {
  return {top < 0 ? 0 : top, bottom >= s.height ? s.height - 1 : bottom};
}

// Spans of one shape, gathered in two layers, then written row by row: the outline layer in the
// pen's colour, the interior layer in the brush's colour where the outline does not cover it.
class SpanCollector {
 public:
  enum Layer { Outline = 0, Interior = 1 };
  explicit SpanCollector(const Surface &s) : width_(s.width), height_(s.height) {}
  // [x0, x1) on row y; spans off the surface are dropped, the rest clipped.
  void add(Layer layer, i64 y, i64 x0, i64 x1);
  // Write everything; a layer whose colour pointer is null is not drawn.
  void write(Surface &s, const uint32_t *outline_pixel, const uint32_t *interior_pixel);

 private:
  struct Entry {
    int y;
    int x0;
    int x1;
    Layer layer;
  };
  int width_;
  int height_;
  std::vector<Entry> entries_;
};

// ---- Shapes, in surface pixels (the callers in the entry-point files pass the DC's objects) ----

// Pixels of a filled ellipse whose inclusive box is [left, right] x [top, bottom], on row y:
// the inclusive column range, or false when the row misses it. Rows outside the box miss.
bool ellipse_row(i64 left, i64 top, i64 right, i64 bottom, i64 y, i64 &x0, i64 &x1);

// The round dot a wide pen of width w leaves at (x, y): a filled ellipse in the w x w box from
// x - w/2 (rounded down) to x + w/2 (rounded up) - 1, and the same on y.
bool pen_dot_row(i64 x, i64 y, i64 w, i64 row, i64 &x0, i64 &x1);

// A cosmetic (1-pixel) line from a to b, start pixel included and end pixel excluded.
void cosmetic_line(Surface &s, i64 ax, i64 ay, i64 bx, i64 by, uint32_t pixel);
void cosmetic_line(SpanCollector &c, const Surface &s, i64 ax, i64 ay, i64 bx, i64 by);

// A wide pen's stroke along a polyline of n points (closed: back to the first point), with round
// caps and joins, added to the outline layer.
void wide_polyline(SpanCollector &c, const Surface &s, const POINT *pts, int n, bool closed, i64 w);

// The interior of a polygon (ALTERNATE or WINDING), added to the interior layer.
void polygon_interior(SpanCollector &c, const Surface &s, const POINT *pts, int n, int fill_mode);

// Widest pen geometry is computed for; wider pens are drawn this wide.
constexpr i64 kMaxPenWidth = i64{1} << 26;

// The pen's effective width for geometry: 0 for no outline, 1 for cosmetic, or the geometric width.
i64 pen_kind_width(const Pen *pen);

}  // namespace winport::gdi

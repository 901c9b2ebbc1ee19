// raster.h — the shape rasteriser's internal interface: geometry in, clipped spans out.
//
// Every shape turns into horizontal spans on surface rows. Geometry is carried in 64-bit integers
// (GDI coordinates are 32-bit, so sums, differences and pen offsets never overflow), products that
// can exceed 64 bits use 128-bit integers, and each shape only ever visits the rows and columns
// that lie on the surface, so a shape far larger than the surface costs no more than one that fits.
//
// One writer, fill_span, stores the pixels; everything else computes spans. Shapes with several
// parts (outline and interior, or a wide pen's segments and joins) hand each row's spans to a
// RowWriter, which merges the outline spans and removes them from the interior spans, so no
// pixel is painted twice.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "gdi/objects.h"

namespace winport::gdi {

using i64 = int64_t;
using i128 = __int128;
using u128 = unsigned __int128;

// A point with room for coordinates that a pen's width has pushed beyond 32 bits.
struct P64 {
  i64 x;
  i64 y;
};

// Floor and ceiling division for any signs (b != 0).
inline i64 floor_div(i64 a, i64 b) {
  i64 q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
inline i128 floor_div(i128 a, i128 b) {
  // 128-bit division is a slow library call; most operands fit in 64 bits.
  if (a == static_cast<i64>(a) && b == static_cast<i64>(b) && !(a == INT64_MIN && b == -1))
    return floor_div(static_cast<i64>(a), static_cast<i64>(b));
  i128 q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
inline i128 ceil_div(i128 a, i128 b) { return -floor_div(-a, b); }
// Largest r with r * r <= v.
u128 isqrt(u128 v);

// Store n copies of a pixel: a plain loop, vectorised as wide as the processor allows (spans.cpp).
void fill_long(uint32_t *p, size_t n, uint32_t pixel);

// Most spans of a scene are short (the sides of ellipses and slanted edges, a few pixels each),
// where even the vectorised loop's set-up costs more than the stores: those are written here, four
// pixels at a time, without a loop (stores overlap where the count is not a multiple of four).
constexpr size_t kInlineFill = 16;
inline void fill_pixels(uint32_t *p, size_t n, uint32_t pixel) {
  if (n > kInlineFill) {
    fill_long(p, n, pixel);
    return;
  }
#if defined(__SSE2__)
  if (n >= 4) {
    // Four pixels at each end, and up to kInlineFill four more in from each end cover the middle.
    static_assert(kInlineFill <= 16, "four stores cover at most 16 pixels");
    const __m128i four = _mm_set1_epi32(static_cast<int>(pixel));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(p), four);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(p + n - 4), four);
    if (n > 8) {
      _mm_storeu_si128(reinterpret_cast<__m128i *>(p + 4), four);
      _mm_storeu_si128(reinterpret_cast<__m128i *>(p + n - 8), four);
    }
    return;
  }
#endif
  for (size_t i = 0; i < n; ++i) p[i] = pixel;
}

// Store one span [x0, x1) of row y; the span is clipped to the surface here.
inline void fill_span(Surface &s, i64 y, i64 x0, i64 x1, uint32_t pixel) {
  if (y < 0 || y >= s.height) return;
  if (x0 < 0) x0 = 0;
  if (x1 > s.width) x1 = s.width;
  if (x0 >= x1) return;
  fill_pixels(s.row(static_cast<int>(y)) + x0, static_cast<size_t>(x1 - x0), pixel);
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

// Store the box [left, right) x [top, bottom), clipped to the surface once rather than per row.
inline void fill_box(Surface &s, i64 left, i64 top, i64 right, i64 bottom, uint32_t pixel) {
  const RowRange rows = visible_rows(s, top, bottom - 1);
  left = left < 0 ? 0 : left;
  right = right > s.width ? s.width : right;
  if (rows.first > rows.last || left >= right) return;
  // Row by row even where whole rows lie end to end: a fill of megabytes would push the canvas out
  // of the cache, and the next shape would read it back. The
  // stride is a local because, as far as the compiler knows, the pixels could alias the surface.
  const size_t n = static_cast<size_t>(right - left), stride = static_cast<size_t>(s.width);
  uint32_t *row = s.row(static_cast<int>(rows.first)) + left;
  // fill_pixels' choice, made once for all the rows; the upright strokes of thin pens, a few
  // pixels wide, are stores of a known count.
  uint32_t *const end = row + static_cast<size_t>(rows.last - rows.first + 1) * stride;
  auto each_row = [&](auto fill_row) {
    for (; row != end; row += stride) fill_row(row);
  };
  switch (n) {
    case 1: each_row([pixel](uint32_t *r) { fill_pixels(r, 1, pixel); }); break;
    case 2: each_row([pixel](uint32_t *r) { fill_pixels(r, 2, pixel); }); break;
    case 3: each_row([pixel](uint32_t *r) { fill_pixels(r, 3, pixel); }); break;
    case 4: each_row([pixel](uint32_t *r) { fill_pixels(r, 4, pixel); }); break;
    default:
      if (n > kInlineFill) {
        each_row([pixel, n](uint32_t *r) { fill_long(r, n, pixel); });
      } else {
        each_row([pixel, n](uint32_t *r) { fill_pixels(r, n, pixel); });
      }
  }
  s.dirty = true;
}

// The spans of one shape on one row, in two layers: the outline in the pen's colour, and the
// interior in the brush's colour where the outline does not cover it. Shapes add a row's spans
// in any order and then write the row; overlapping spans are merged, so no pixel is written twice.
class RowWriter {
 public:
  enum Layer { Outline = 0, Interior = 1 };
  // A layer whose colour pointer is null is not drawn.
  RowWriter(Surface &s, const uint32_t *outline_pixel, const uint32_t *interior_pixel);
  // [x0, x1) on the current row; clipped to the surface.
  void add(Layer layer, i64 x0, i64 x1) {
    if (x0 < 0) x0 = 0;
    if (x1 > width_) x1 = width_;
    if (x0 >= x1) return;
    if (layer == Interior && !interior_pixel_) return;
    (layer == Outline || same_colour_ ? outline_ : interior_).push_back({static_cast<int>(x0), static_cast<int>(x1)});
  }
  // Write the spans added since the last write onto row y, and start the next row.
  void write(i64 y);

  struct Run {
    int x0;
    int x1;
  };

 private:
  Surface &surface_;
  int width_;
  const uint32_t *outline_pixel_;
  const uint32_t *interior_pixel_;
  bool same_colour_;
  std::vector<Run> &outline_;
  std::vector<Run> &interior_;
};

// ---- Shapes, in surface pixels (the callers in the entry-point files pass the DC's objects) ----

// Pixels of a filled ellipse whose inclusive box is [left, right] x [top, bottom], on row y:
// the inclusive column range, or false when the row misses it. Rows outside the box miss.
bool ellipse_row(i64 left, i64 top, i64 right, i64 bottom, i64 y, i64 &x0, i64 &x1);

// Half the width of a filled ellipse's row, in doubled units from the centre column: p and q are
// the box's width and height less one, ay the row's doubled distance from the centre row.
i64 ellipse_reach(i64 p, i64 q, i64 ay);

// ellipse_row for many rows of one ellipse, using its symmetry: each row of the upper half is
// computed once for the lower half as well (for ellipses up to a few thousand rows high).
class EllipseRows {
 public:
  EllipseRows(i64 left, i64 top, i64 right, i64 bottom);
  bool row(i64 y, i64 &x0, i64 &x1);

 private:
  static constexpr i64 kMemo = 1024;
  i64 left_, top_, right_, bottom_;
  i64 memo_size_;
  i64 memo_[kMemo];
};

// Boxes up to this many pixels wide and high are traced step by step; larger ones use the closed
// form above.
constexpr i64 kTracedLimit = i64{1} << 12;

// The traced filled ellipse of a w x h box (both 2 .. kTracedLimit): inset[k] for each of its h
// rows, the row covering columns left + inset[k] .. left + w - inset[k] - 1 (none when inset[k] is
// w: a row the walk never reached). False if the walk ran
// past the box's last row (it never does for sizes seen so far).
bool traced_ellipse_insets(i64 w, i64 h, std::vector<i64> &inset);

// traced_ellipse_insets remembered for the sizes traced last (a scene draws the same ellipses on
// every redraw). The answer holds until the next call on the same thread.
struct TracedRows {
  i64 w = 0, h = 0;
  bool within = false;
  std::vector<i64> inset;
};
const TracedRows &traced_rows(i64 w, i64 h);

// The traced outline of the w x h box at (l, t): a closed path of pixel points, anticlockwise
// from the middle of the right side.
void traced_ellipse_path(i64 l, i64 t, i64 w, i64 h, std::vector<P64> &pts);

// The round dot a wide pen of width w leaves at (x, y): a filled ellipse in the w x w box from
// x - w/2 (rounded down) to x + w/2 (rounded up) - 1, and the same on y.
bool pen_dot_row(i64 x, i64 y, i64 w, i64 row, i64 &x0, i64 &x1);

// A cosmetic (1-pixel) line from a to b, start pixel included and end pixel excluded, written
// straight to the surface.
void cosmetic_line(Surface &s, i64 ax, i64 ay, i64 bx, i64 by, uint32_t pixel);
// The same line's pixels on the surface as runs: emit(y, x0, x1) for columns [x0, x1) of row y.
void cosmetic_line_runs(i64 ax, i64 ay, i64 bx, i64 by, const Surface &s,
                        const std::function<void(i64, i64, i64)> &emit);

// floor(num / den) as num moves by a fixed delta per step, without dividing on each step.
struct Stepper {
  // value and rem are kept apart: updated as a vector pair they would be reloaded as one right
  // after separate stores, which stalls on every step.
  i64 value = 0, den = 1, rem = 0, dq = 0, dr = 0;
  void start(i128 num, i64 denominator, i64 delta) {
    den = denominator;
    const i128 q = floor_div(num, i128{den});
    value = static_cast<i64>(q);
    rem = static_cast<i64>(num - q * den);
    dq = floor_div(delta, den);
    dr = delta - dq * den;
  }
  void forward() {
    value += dq;
    rem += dr;
    if (rem >= den) {
      rem -= den;
      ++value;
    }
  }
  void backward() {
    value -= dq;
    rem -= dr;
    if (rem < 0) {
      rem += den;
      --value;
    }
  }
};

// The same line answered one row at a time, for shapes that combine it with other parts. Rows
// are cheapest asked in order (each answer steps from the previous one).
class CosmeticEdge {
 public:
  CosmeticEdge(i64 ax, i64 ay, i64 bx, i64 by);
  // Adds the line's pixels on row y (at most one run) to the outline layer.
  void add_row(i64 y, RowWriter &w);
  // For rows first..last, widens [lo[i], hi[i]) to take in the line's run on row first + i; with
  // set, makes it that run instead ([INT64_MAX, INT64_MIN) where the row has none).
  void widen_rows(i64 first, i64 last, i64 *lo, i64 *hi, bool set = false);

 private:
  void start(i64 y);
  // widen_rows for the rows y0 .. y0 + rows - 1, all of which the line reaches.
  template <bool kSet>
  void merge_rows(i64 y0, i64 rows, i64 *lo, i64 *hi) const;
  bool empty_, x_major_;
  i64 au_, av_, su_, sv_, n_, nv_, bias_;
  i64 row_lo_, row_hi_;
  bool started_ = false;
  i64 next_y_ = 0;
  // x-major: -(first step that reaches the row's minor offset T), and the same for T + 1;
  // y-major: the row's minor offset.
  Stepper step_, next_;
};

// A polygon's edges, answering the interior (ALTERNATE or WINDING) one row at a time, rows in
// increasing order being cheapest.
class PolygonEdges {
 public:
  PolygonEdges(const POINT *pts, int n);
  PolygonEdges(const P64 *pts, int n);
  // Adds the row's inside runs to the layer (the interior unless told otherwise).
  void add_row(i64 y, int fill_mode, RowWriter &w, RowWriter::Layer layer = RowWriter::Interior);
  // For a convex polygon: the row's one inside run [x0, x1), unclipped (empty when the row misses
  // it). False if the row crosses more than two edges.
  bool span(i64 y, i64 &x0, i64 &x1);

 private:
  void cross(i64 y);  // the row's crossings, unsorted, into crossings_
  template <typename Point>
  void add_edges(const Point *pts, int n);
  struct Edge {
    i64 x_top, y_top, y_bottom;
    i64 dx;  // x_bottom - x_top
    int direction;
    bool started;
    i64 next_y;
    Stepper step;  // floor(-(y - y_top) * dx / (y_bottom - y_top))
  };
  struct Crossing {
    i64 x;  // first pixel column at or right of the crossing
    int direction;
  };
  std::vector<Edge> edges_;
  std::vector<Crossing> crossings_;
};

// A wide pen's stroke along a polyline (closed: back to the first point), answered one row at a
// time: a round dot on every point (the caps and joins) and a body for every segment.
// The part of the plane a stroke's caller will ask about (inclusive): pieces of the stroke that
// lie wholly outside it are dropped at once.
struct StrokeWindow {
  i64 left = INT64_MIN, top = INT64_MIN, right = INT64_MAX, bottom = INT64_MAX;
};

class SpanGather;  // a row's spans on their way to a RowWriter (widepen.cpp)

class WideStroke {
 public:
  using Window = StrokeWindow;
  // Rows are cheapest asked in increasing order.
  WideStroke(const POINT *pts, int n, bool closed, i64 w, const Window &keep = Window());
  WideStroke(const P64 *pts, int n, bool closed, i64 w, const Window &keep = Window());
  // The rows the stroke can touch.
  i64 top() const { return top_; }
  i64 bottom() const { return bottom_; }
  void add_row(i64 y, RowWriter &w);

 private:
  struct Segment {
    i64 row_lo, row_hi;  // rows it covers
    bool box;            // a rectangle [x0, x1) on those rows, or else a quadrilateral
    i64 x0, x1;
    PolygonEdges quad;
  };
  // The dots of a row, a column or a diagonal of neighbouring points: centres [x0, x1] x [y0, y1]
  // when slope is 0, else from (x0, y0) to (x1, y1) with x moving by slope (+-1) each row.
  struct DotRun {
    i64 x0, x1, y0, y1;
    int slope;
  };
  // The rows of one unit diagonal step's body that its two end dots leave uncovered, relative to
  // the step's start: rows lo .. hi, spans[r - lo] = [x0, x1) (empty where covered).
  struct Stamp {
    bool made = false, usable = false;
    i64 lo = 0, hi = -1;
    std::vector<std::pair<i64, i64>> spans;
  };
  struct StampUse {
    i64 row_lo, row_hi;  // surface rows
    i64 x, y;            // the step's start
    int stamp;
  };
  void build(const P64 *pts, int n, bool closed, const Window &keep);
  void measure_dot(bool take_steps_apart);
  bool gather_dots(const P64 *pts, int n, const Window &keep);
  void add_dot_run(const DotRun &d, const Window &keep);
  void add_segment(const P64 &p, const P64 &q, const Window &keep);
  bool covered_by_dots(const P64 &p, const P64 &q, i64 row, i64 x0, i64 x1) const;
  const Stamp &stamp(int dx, int dy);
  void dot_row(const DotRun &d, i64 y, SpanGather &w) const;
  void make_diagonal_tables();
  i64 least(int table, i64 lo, i64 hi) const;

  i64 w_;
  i64 top_ = 1, bottom_ = 0;
  std::vector<DotRun> dots_;       // by first row
  std::vector<Segment> segments_;  // by first row
  std::vector<StampUse> stamped_;  // by first row
  // Parts before these indexes lie wholly above the rows asked for so far.
  size_t dot_start_ = 0, segment_start_ = 0, stamped_start_ = 0;
  i64 last_row_ = INT64_MIN;
  std::vector<i64> dot_inset_;  // the dot's rows, when it is traced
  // The traced dot has the shape that lets unit steps be taken apart: every row non-empty, rows
  // widening towards a full middle row.
  bool unit_steps_ = false;
  Stamp stamps_[4];  // by diagonal direction
  // Neighbouring dots along a diagonal overlap on every row, so a diagonal run's row is one span.
  bool diagonal_runs_ = false;
  // Range minima of inset - k (table 0) and inset + k (table 1) over the dot's rows k: entry
  // l * w + k holds the minimum over the 2^l rows from k.
  std::vector<i64> least_[2];
};

// The corners of the body of a wide pen's slanted segment from p to q, and the rows they span.
void slanted_body(const P64 &p, const P64 &q, i64 w, P64 corners[4], i64 &lo, i64 &hi);

// Wide pens up to this width stroke straight segments piece by piece (thinpen.cpp).
constexpr i64 kThinPenLimit = 4;
// The stroke of a pen 2 .. kThinPenLimit wide along a polyline (closed: back to the first point),
// written straight to the surface: the same pixels as WideStroke's.
void thin_stroke(Surface &s, const P64 *pts, int n, bool closed, i64 w, uint32_t pixel);

// Widest pen geometry is computed for; wider pens are drawn this wide.
constexpr i64 kMaxPenWidth = i64{1} << 26;

}  // namespace winport::gdi

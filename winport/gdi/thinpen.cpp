// thinpen.cpp — strokes of thin wide pens (2 to kThinPenLimit pixels) along straight segments.
//
// The pieces are those of WideStroke (widepen.cpp): a round dot on every point, a box for every
// horizontal or vertical segment and a quadrilateral for every slanted one. A thin pen's pieces
// are a few pixels across, and a polyline of straight segments has few of them, so gathering each
// row's spans and merging them costs more than the pixels do: here every piece writes its own
// spans at once. Pieces overlap a little, all in the pen's colour, so the union is the same.
#include <algorithm>
#include <array>
#include <cassert>

#include "gdi/raster.h"

namespace winport::gdi {
namespace {

// The dot of a pen w wide: the traced w x w ellipse, its row k covering columns inset[k] ..
// w - inset[k] - 1. Traced once for each thin width.
const i64 *dot_insets(i64 w) {
  static const auto table = [] {
    std::array<std::array<i64, kThinPenLimit>, kThinPenLimit + 1> t{};
    std::vector<i64> inset;
    for (i64 width = 2; width <= kThinPenLimit; ++width) {
      traced_ellipse_insets(width, width, inset);
      std::copy_n(inset.begin(), width, t[static_cast<size_t>(width)].begin());
    }
    return t;
  }();
  return table[static_cast<size_t>(w)].data();
}

// An edge of a slanted segment's body, crossing row y (y_top <= y < y_bottom) at the first
// column at or right of it: x_top + ceil((y - y_top) * dx / (y_bottom - y_top)).
struct BodyEdge {
  i64 x_top, y_top, y_bottom, dx;
  // Steps down the rows from y: floor(-(y - y_top) * dx / (y_bottom - y_top)), so x_top - value.
  Stepper from(i64 y) const {
    Stepper step;
    step.start(-static_cast<i128>(y - y_top) * dx, y_bottom - y_top, -dx);
    return step;
  }
};

// The rows first .. last between two edges that both cross every one of them: write(y, x0, x1)
// gets each row's run, from the crossing further left up to the other one.
template <typename Write>
void walk_between(const BodyEdge &e0, const BodyEdge &e1, i64 first, i64 last, Write write) {
  Stepper a = e0.from(first), b = e1.from(first);
  for (i64 y = first; y <= last; ++y) {
    const i64 xa = e0.x_top - a.value, xb = e1.x_top - b.value;
    write(y, std::min(xa, xb), std::max(xa, xb));
    a.forward();
    b.forward();
  }
}

// The body of a slanted segment is a parallelogram whose sides are neither level nor parallel to
// each other (slanted_body moves both ends by the same two offsets, across the segment), so each
// row it covers crosses exactly two edges, the same two between one corner's row and the next:
// each such band of rows walks its pair of edges down, and the row's run lies between them.
template <typename Write>
void walk_body(const P64 c[4], i64 first_row, i64 last_row, Write write) {
  BodyEdge edges[4];
  int n = 0;
  for (int i = 0; i < 4; ++i) {
    const P64 &a = c[i], &b = c[(i + 1) % 4];
    if (a.y == b.y) continue;
    const P64 &upper = b.y > a.y ? a : b, &lower = b.y > a.y ? b : a;
    edges[n++] = {upper.x, upper.y, lower.y, lower.x - upper.x};
  }
  i64 ys[4] = {c[0].y, c[1].y, c[2].y, c[3].y};
  std::sort(ys, ys + 4);
  for (int band = 0; band < 3; ++band) {
    const i64 first = std::max(ys[band], first_row), last = std::min(ys[band + 1] - 1, last_row);
    if (first > last) continue;
    const BodyEdge *pair[2];
    int found = 0;
    for (int i = 0; i < n; ++i) {
      if (edges[i].y_top <= ys[band] && ys[band + 1] <= edges[i].y_bottom) pair[found++] = &edges[i];
    }
    assert(found == 2);
    walk_between(*pair[0], *pair[1], first, last, write);
  }
}

void slanted_segment(Surface &s, const P64 &p, const P64 &q, i64 w, uint32_t pixel) {
  P64 c[4];
  i64 lo, hi;
  slanted_body(p, q, w, c, lo, hi);
  const RowRange rows = visible_rows(s, lo, hi - 1);  // no edge reaches below its lower end
  if (rows.first > rows.last) return;
  // Every run lies between the leftmost and the rightmost corner: a body within the surface's
  // columns needs no clipping on each row.
  const auto [left, right] = std::minmax({c[0].x, c[1].x, c[2].x, c[3].x});
  if (left >= 0 && right <= s.width && !span_recording.recorder) {
    walk_body(c, rows.first, rows.last, [&s, pixel](i64 y, i64 x0, i64 x1) {
      fill_pixels(s.row(static_cast<int>(y)) + x0, static_cast<size_t>(x1 - x0), pixel);
    });
    s.dirty = true;
  } else {
    walk_body(c, rows.first, rows.last, [&s, pixel](i64 y, i64 x0, i64 x1) { fill_span(s, y, x0, x1, pixel); });
  }
}

void segment_body(Surface &s, const P64 &p, const P64 &q, i64 w, uint32_t pixel) {
  const i64 before = w / 2;
  if (p.y == q.y) {
    fill_box(s, std::min(p.x, q.x), p.y - before, std::max(p.x, q.x), p.y - before + w, pixel);
  } else if (p.x == q.x) {
    // Rows from the upper end up to the lower one, exclusive; the dots cover the ends.
    fill_box(s, p.x - before, std::min(p.y, q.y), p.x - before + w, std::max(p.y, q.y), pixel);
  } else {
    slanted_segment(s, p, q, w, pixel);
  }
}

}  // namespace

void thin_stroke(Surface &s, const P64 *pts, int n, bool closed, i64 w, uint32_t pixel) {
  if (n <= 0) return;
  const i64 *inset = dot_insets(w);
  const i64 before = w / 2;
  for (int i = 0; i < n; ++i) {
    const P64 &p = pts[i];
    if (i > 0 && p.x == pts[i - 1].x && p.y == pts[i - 1].y) continue;  // the same dot again
    const RowRange rows = visible_rows(s, p.y - before, p.y - before + w - 1);
    for (i64 y = rows.first; y <= rows.last; ++y) {
      const i64 k = y - (p.y - before);
      fill_span(s, y, p.x - before + inset[k], p.x - before + w - inset[k], pixel);
    }
  }
  const int count = closed && n > 2 ? n : n - 1;
  for (int i = 0; i < count; ++i) {
    const P64 &p = pts[i], &q = pts[(i + 1) % n];
    if (p.x != q.x || p.y != q.y) segment_body(s, p, q, w, pixel);
  }
}

}  // namespace winport::gdi

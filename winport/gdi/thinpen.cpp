// thinpen.cpp — strokes of thin wide pens (2 to kThinPenLimit pixels) along straight segments.
//
// The pieces are those of WideStroke (widepen.cpp): a round dot on every point, a box for every
// horizontal or vertical segment and a quadrilateral for every slanted one. A thin pen's pieces
// are a few pixels across, and a polyline of straight segments has few of them, so gathering each
// row's spans and merging them costs more than the pixels do: here every piece writes its own
// spans at once. Pieces overlap a little, all in the pen's colour, so the union is the same.
#include <algorithm>
#include <array>

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

// One side of a slanted segment's body, from its top corner down to its bottom corner through
// one of the other two: the edge that crosses a row, walked down from where it was started.
struct BodySide {
  BodyEdge upper, lower;
  const BodyEdge *edge = nullptr;
  Stepper step;

  BodySide(const P64 &top, const P64 &middle, const P64 &bottom)
      : upper{top.x, top.y, middle.y, middle.x - top.x}, lower{middle.x, middle.y, bottom.y, bottom.x - middle.x} {}
  // The rows from y down to the last before the side turns (or last, if it turns no sooner).
  i64 until(i64 y, i64 last) {
    const BodyEdge *e = y < upper.y_bottom ? &upper : &lower;
    if (e != edge) {
      edge = e;
      step = e->from(y);
    }
    return e == &upper ? std::min(last, upper.y_bottom - 1) : last;
  }
};

// The body of a slanted segment is a parallelogram whose sides are neither level nor parallel to
// each other (slanted_body moves both ends by the same two offsets, across the segment): every
// row it covers crosses one edge on each side of the path from its top corner to the opposite
// one, and the row's run lies between the two. write(y, x0, x1) gets the runs of rows first ..
// last.
template <typename Write>
void walk_body(const P64 c[4], i64 first, i64 last, Write write) {
  int t = 0;
  for (int i = 1; i < 4; ++i) {
    if (c[i].y < c[t].y) t = i;
  }
  const P64 &bottom = c[(t + 2) % 4];
  BodySide one(c[t], c[(t + 1) % 4], bottom), other(c[t], c[(t + 3) % 4], bottom);
  last = std::min(last, bottom.y - 1);  // no edge reaches below its lower end
  for (i64 y = std::max(first, c[t].y); y <= last;) {
    const i64 band_last = other.until(y, one.until(y, last));
    // Each side's column and its stepper's remainder, stepped as locals, which stay in registers:
    // the stepper's value rising by dq, and by one more when the remainder wraps, moves the
    // column left as much.
    Stepper &a = one.step, &b = other.step;
    i64 xa = one.edge->x_top - a.value, xb = other.edge->x_top - b.value, ra = a.rem, rb = b.rem;
    const i64 qa = a.dq, da = a.dr, na = a.den, qb = b.dq, db = b.dr, nb = b.den;
    for (; y <= band_last; ++y) {
      write(y, std::min(xa, xb), std::max(xa, xb));
      xa -= qa;
      ra += da;
      if (ra >= na) {
        ra -= na;
        --xa;
      }
      xb -= qb;
      rb += db;
      if (rb >= nb) {
        rb -= nb;
        --xb;
      }
    }
    a.value = one.edge->x_top - xa;
    a.rem = ra;
    b.value = other.edge->x_top - xb;
    b.rem = rb;
  }
}

void slanted_segment(Surface &s, const P64 &p, const P64 &q, i64 w, uint32_t pixel) {
  P64 c[4];
  i64 lo, hi;
  slanted_body(p, q, w, c, lo, hi);
  const RowRange rows = visible_rows(s, lo, hi);
  if (rows.first > rows.last) return;
  // Every run lies between the leftmost and the rightmost corner: a body within the surface's
  // columns needs no clipping on each row.
  const auto [left, right] = std::minmax({c[0].x, c[1].x, c[2].x, c[3].x});
  if (left >= 0 && right <= s.width) {
    uint32_t *const pixels = s.row(0);
    const size_t stride = static_cast<size_t>(s.width);
    walk_body(c, rows.first, rows.last, [pixels, stride, pixel](i64 y, i64 x0, i64 x1) {
      fill_pixels(pixels + static_cast<size_t>(y) * stride + x0, static_cast<size_t>(x1 - x0), pixel);
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

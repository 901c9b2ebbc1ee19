// widepen.cpp — the stroke of a geometric PS_SOLID pen (width 2 and more) along a polyline.
//
// The stroke is the union of one band per segment and one round dot per point (the round caps
// and joins). A band covers the pixels whose centres lie less than w/2 from the segment and whose
// projection falls on it. For an even width the path is taken half a pixel up and to the left, so
// across an edge at pixel coordinate e the pen covers e - floor(w/2) .. e + ceil(w/2) - 1, leaning
// towards the top-left as GDI does. A dot is the filled ellipse in the w x w box around its point,
// so a zero-length stroke is a round dot and corners from width 3 on are rounded.
//
// Everything is solved per surface row in doubled integer coordinates (so half pixels are exact),
// visiting only the rows the stroke can reach on the surface.
#include <algorithm>

#include "gdi/raster.h"

namespace winport::gdi {
namespace {

// Integers e with lo <= a * e <= hi (a != 0), as [e0, e1].
void solve_linear(i128 a, i128 lo, i128 hi, i128 &e0, i128 &e1) {
  if (a < 0) {
    a = -a;
    std::swap(lo, hi);
    lo = -lo;
    hi = -hi;
  }
  e0 = ceil_div(lo, a);
  e1 = floor_div(hi, a);
}

// Columns of row y covered by the band of the segment p -> q (doubled coordinates, already
// shifted), for a pen of width w. False when the row misses the band.
bool band_row(i64 px, i64 py, i64 qx, i64 qy, i64 w, i64 y, i64 &x0, i64 &x1) {
  const i128 dx = qx - px, dy = qy - py;
  const i128 ey = 2 * static_cast<i128>(y) - py;  // doubled row offset from the start
  const i128 len2 = dx * dx + dy * dy;
  i128 lo = INT64_MIN, hi = INT64_MAX;  // range of the doubled column offset ex = 2x - px

  // Distance: |ex * dy - ey * dx| < w * |d|, i.e. at most t with t^2 < w^2 |d|^2.
  const u128 limit = static_cast<u128>(w) * static_cast<u128>(w) * static_cast<u128>(len2);
  const i128 t = static_cast<i128>(isqrt(limit - 1));
  if (dy == 0) {
    if (ey * dx > t || ey * dx < -t) return false;
  } else {
    i128 e0, e1;
    solve_linear(dy, ey * dx - t, ey * dx + t, e0, e1);
    lo = std::max(lo, e0);
    hi = std::min(hi, e1);
  }
  // Projection onto the segment: 0 <= ex * dx + ey * dy <= |d|^2.
  if (dx == 0) {
    if (ey * dy < 0 || ey * dy > len2) return false;
  } else {
    i128 e0, e1;
    solve_linear(dx, -ey * dy, len2 - ey * dy, e0, e1);
    lo = std::max(lo, e0);
    hi = std::min(hi, e1);
  }
  // Back to pixel columns: 2x = ex + px.
  const i128 c0 = ceil_div(lo + px, 2), c1 = floor_div(hi + px, 2);
  if (c0 > c1) return false;
  x0 = static_cast<i64>(c0);
  x1 = static_cast<i64>(c1);
  return true;
}

}  // namespace

void wide_polyline(SpanCollector &c, const Surface &s, const POINT *pts, int n, bool closed, i64 w) {
  if (n <= 0) return;
  i64 top = pts[0].y, bottom = pts[0].y;
  for (int i = 1; i < n; ++i) {
    top = std::min<i64>(top, pts[i].y);
    bottom = std::max<i64>(bottom, pts[i].y);
  }
  const RowRange rows = visible_rows(s, top - w, bottom + w);
  const i64 shift = w % 2 == 0 ? 1 : 0;  // even widths: the path moves half a pixel up-left
  const int segments = closed && n > 2 ? n : n - 1;

  for (i64 y = rows.first; y <= rows.last; ++y) {
    i64 x0, x1;
    for (int i = 0; i < n; ++i) {
      if (pen_dot_row(pts[i].x, pts[i].y, w, y, x0, x1)) c.add(SpanCollector::Outline, y, x0, x1 + 1);
    }
    for (int i = 0; i < segments; ++i) {
      const POINT &p = pts[i], &q = pts[(i + 1) % n];
      if (p.x == q.x && p.y == q.y) continue;
      if (band_row(2 * i64{p.x} - shift, 2 * i64{p.y} - shift, 2 * i64{q.x} - shift,
                   2 * i64{q.y} - shift, w, y, x0, x1)) {
        c.add(SpanCollector::Outline, y, x0, x1 + 1);
      }
    }
  }
}

}  // namespace winport::gdi

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
// visiting only the rows the stroke can reach on the surface; a band's bounds step from one row
// to the next without dividing, unless its numbers need more than 64 bits.
#include <algorithm>
#include <vector>

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

// One segment's band, in doubled coordinates with the even-width shift applied: start (px, py),
// direction (dx, dy), |d|^2, and the largest |cross product| of a pixel centre inside the band.
using Band = WideStroke::Band;

Band make_band(const POINT &p, const POINT &q, i64 w, i64 shift) {
  Band b;
  b.px = 2 * i64{p.x} - shift;
  b.py = 2 * i64{p.y} - shift;
  b.dx = 2 * (i64{q.x} - p.x);
  b.dy = 2 * (i64{q.y} - p.y);
  b.len2 = b.dx * b.dx + b.dy * b.dy;
  b.row_lo = std::min<i64>(p.y, q.y) - w;
  b.row_hi = std::max<i64>(p.y, q.y) + w;
  // Distance below w/2 in doubled units: |cross| < w * |d|, i.e. cross^2 <= w^2 |d|^2 - 1.
  const u128 limit = static_cast<u128>(w) * static_cast<u128>(w) * static_cast<u128>(b.len2);
  b.reach = static_cast<i128>(isqrt(limit - 1));
  const i128 small = i128{1} << 29;
  b.stepping = b.px > -small && b.px < small && b.py > -small && b.py < small && b.dx > -small &&
               b.dx < small && b.dy > -small && b.dy < small && w < (1 << 20);
  if (b.stepping) {
    b.px64 = static_cast<i64>(b.px);
    b.py64 = static_cast<i64>(b.py);
    b.dx64 = static_cast<i64>(b.dx);
    b.dy64 = static_cast<i64>(b.dy);
    b.len2_64 = static_cast<i64>(b.len2);
    b.reach64 = static_cast<i64>(b.reach);
  }
  return b;
}

// Starts the band's four bounds at row y. Each is a constraint ex * A in [L, U] with A > 0, kept
// as lo = ceil(L / A) = -floor(-L / A) and hi = floor(U / A); a row down moves ey by 2.
void start_band(Band &b, i64 y) {
  b.started = true;
  const i128 ey = 2 * static_cast<i128>(y) - b.py;
  if (b.dy != 0) {
    // Distance: ex * dy in [ey dx - reach, ey dx + reach]; made positive by the sign of dy.
    const i64 s = b.dy > 0 ? 1 : -1, a = static_cast<i64>(b.dy * s);
    const i128 mid = s * ey * b.dx;
    const i64 step = static_cast<i64>(2 * s * b.dx);
    b.lo_d.start(-(mid - b.reach), a, -step);
    b.hi_d.start(mid + b.reach, a, step);
  }
  if (b.dx != 0) {
    // Projection: ex * dx in [-ey dy, len2 - ey dy]; made positive by the sign of dx.
    const i64 s = b.dx > 0 ? 1 : -1, a = static_cast<i64>(b.dx * s);
    const i128 low = s > 0 ? -ey * b.dy : ey * b.dy - b.len2;
    const i128 high = s > 0 ? b.len2 - ey * b.dy : ey * b.dy;
    const i64 step = static_cast<i64>(-2 * s * b.dy);
    b.lo_p.start(-low, a, -step);
    b.hi_p.start(high, a, step);
  }
}

// band_row for a stepping band, rows asked in order.
bool band_row_stepping(Band &b, i64 y, i64 &x0, i64 &x1) {
  if (!b.started || b.next_y != y) start_band(b, y);
  b.next_y = y + 1;
  const i64 ey = 2 * y - b.py64;
  i64 lo = INT64_MIN, hi = INT64_MAX;
  bool hit = true;
  if (b.dy64 == 0) {
    const i64 cross = ey * b.dx64;
    hit = cross <= b.reach64 && cross >= -b.reach64;
  } else {
    lo = -b.lo_d.value;
    hi = b.hi_d.value;
    b.lo_d.forward();
    b.hi_d.forward();
  }
  if (b.dx64 == 0) {
    const i64 along = ey * b.dy64;
    hit = hit && along >= 0 && along <= b.len2_64;
  } else {
    lo = std::max(lo, -b.lo_p.value);
    hi = std::min(hi, b.hi_p.value);
    b.lo_p.forward();
    b.hi_p.forward();
  }
  if (!hit) return false;
  // Back to pixel columns: 2x = ex + px, rounding inwards.
  const i64 px = b.px64;
  x0 = -((-(lo + px)) >> 1);
  x1 = (hi + px) >> 1;
  return x0 <= x1;
}

// Columns of row y covered by a band; false when the row misses it.
bool band_row(const Band &b, i64 y, i64 &x0, i64 &x1) {
  const i128 ey = 2 * static_cast<i128>(y) - b.py;  // doubled row offset from the start
  i128 lo = INT64_MIN, hi = INT64_MAX;              // range of the doubled column offset ex = 2x - px
  // Distance: |ex * dy - ey * dx| <= reach.
  if (b.dy == 0) {
    if (ey * b.dx > b.reach || ey * b.dx < -b.reach) return false;
  } else {
    i128 e0, e1;
    solve_linear(b.dy, ey * b.dx - b.reach, ey * b.dx + b.reach, e0, e1);
    lo = std::max(lo, e0);
    hi = std::min(hi, e1);
  }
  // Projection onto the segment: 0 <= ex * dx + ey * dy <= |d|^2.
  if (b.dx == 0) {
    if (ey * b.dy < 0 || ey * b.dy > b.len2) return false;
  } else {
    i128 e0, e1;
    solve_linear(b.dx, -ey * b.dy, b.len2 - ey * b.dy, e0, e1);
    lo = std::max(lo, e0);
    hi = std::min(hi, e1);
  }
  // Back to pixel columns: 2x = ex + px.
  const i128 c0 = ceil_div(lo + b.px, 2), c1 = floor_div(hi + b.px, 2);
  if (c0 > c1) return false;
  x0 = static_cast<i64>(c0);
  x1 = static_cast<i64>(c1);
  return true;
}

}  // namespace

WideStroke::WideStroke(const POINT *pts, int n, bool closed, i64 w) : pts_(pts), n_(n), w_(w) {
  top_ = 1;
  bottom_ = 0;
  if (n <= 0) return;
  i64 top = pts[0].y, bottom = pts[0].y;
  for (int i = 1; i < n; ++i) {
    top = std::min<i64>(top, pts[i].y);
    bottom = std::max<i64>(bottom, pts[i].y);
  }
  top_ = top - w;
  bottom_ = bottom + w;
  const i64 shift = w % 2 == 0 ? 1 : 0;  // even widths: the path moves half a pixel up-left
  const int segments = closed && n > 2 ? n : n - 1;
  for (int i = 0; i < segments; ++i) {
    const POINT &p = pts[i], &q = pts[(i + 1) % n];
    if (p.x != q.x || p.y != q.y) bands_.push_back(make_band(p, q, w, shift));
  }
}

bool WideStroke::write_plain_row(i64 y, Surface &s, uint32_t pixel) {
  if (bands_.size() != 1 || !bands_[0].stepping) return false;
  const i64 before = w_ / 2, after = (w_ + 1) / 2 - 1;
  for (int i = 0; i < n_; ++i) {
    if (y >= pts_[i].y - before && y <= pts_[i].y + after) return false;
  }
  i64 x0, x1;
  if (band_row_stepping(bands_[0], y, x0, x1)) fill_span(s, y, x0, x1 + 1, pixel);
  return true;
}

void WideStroke::add_row(i64 y, RowWriter &w) {
  i64 x0, x1;
  const i64 before = w_ / 2, after = (w_ + 1) / 2 - 1;
  for (int i = 0; i < n_; ++i) {
    if (y < pts_[i].y - before || y > pts_[i].y + after) continue;
    if (pen_dot_row(pts_[i].x, pts_[i].y, w_, y, x0, x1)) w.add(RowWriter::Outline, x0, x1 + 1);
  }
  for (Band &b : bands_) {
    if (y < b.row_lo || y > b.row_hi) continue;
    if (b.stepping ? band_row_stepping(b, y, x0, x1) : band_row(b, y, x0, x1)) {
      w.add(RowWriter::Outline, x0, x1 + 1);
    }
  }
}

}  // namespace winport::gdi

// ellipse.cpp — the pixels of an ellipse: traced the way GDI traces it, or in closed form for
// boxes too large to trace.
//
// GDI walks the curve with an integer error term, one pixel step at a time from the middle row
// outwards (a midpoint tracer in the form A. Zingl gives). The same walk yields two things: the
// rows of the filled ellipse (each row's inset from the box's sides), and the ellipse's outline
// as a closed path of pixel points, which the pen then strokes like any polygon. Tracing costs
// one step per row and column of the box, so it is used for boxes up to kTracedLimit pixels, and
// the rows of the sizes traced last are remembered.
//
// Larger boxes use a closed form that answers each row in constant time, so that the cost stays
// bounded by the rows on the surface: a pixel belongs to the filled ellipse when the curve
// through the centres of the box's outermost pixels passes beyond it by at least half a pixel in
// the row's or the column's direction. Offsets from the centre are doubled so that even sizes
// stay integral, and products that can reach 2^130 for boxes of 2^32 pixels are compared in 256
// bits. EllipseRows remembers the rows of the upper half for the lower one.
#include <algorithm>
#include <array>
#include <cmath>

#include "gdi/raster.h"

namespace winport::gdi {
namespace {

struct U256 {
  u128 hi;
  u128 lo;
};

U256 mul(u128 a, u128 b) {
  const u128 mask = (u128{1} << 64) - 1;
  u128 a0 = a & mask, a1 = a >> 64, b0 = b & mask, b1 = b >> 64;
  u128 p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
  u128 middle = (p00 >> 64) + (p01 & mask) + (p10 & mask);
  U256 r;
  r.lo = (p00 & mask) | (middle << 64);
  r.hi = p11 + (p01 >> 64) + (p10 >> 64) + (middle >> 64);
  return r;
}

bool less_equal(const U256 &a, const U256 &b) { return a.hi != b.hi ? a.hi < b.hi : a.lo <= b.lo; }

// Largest t >= 0 with (t * q)^2 <= p^2 * d, where p, q > 0 and d >= 0 (all below 2^66).
u128 largest_within(u128 p, u128 q, u128 d) {
  const U256 limit = mul(p * p, d);
  auto fits = [&](u128 t) {
    u128 tq = t * q;
    return less_equal(mul(tq, tq), limit);
  };
  long double estimate = static_cast<long double>(p) * std::sqrt(static_cast<long double>(d)) /
                         static_cast<long double>(q);
  u128 t = estimate > 0 ? static_cast<u128>(estimate) : 0;
  while (t > 0 && !fits(t)) --t;
  while (fits(t + 1)) ++t;
  return t;
}

// Boxes of everyday sizes: largest t with (t q)^2 <= p^2 d from a double estimate, checked
// exactly only when the estimate lies near an integer (elsewhere it is far more accurate than
// the distance to the next integer). inv_q is 1 / q.
inline i64 largest_within_small(i64 p, i64 q, double inv_q, i64 d) {
  const double estimate = static_cast<double>(p) * std::sqrt(static_cast<double>(d)) * inv_q;
  i64 t = static_cast<i64>(estimate);
  const double fraction = estimate - static_cast<double>(t);
  if (fraction > 1e-6 && fraction < 1 - 1e-6) return t;
  const u128 limit = static_cast<u128>(p * p) * static_cast<uint64_t>(d);
  auto fits = [&](i64 v) {
    const uint64_t vq = static_cast<uint64_t>(v) * static_cast<uint64_t>(q);
    return static_cast<u128>(vq) * vq <= limit;
  };
  while (t > 0 && !fits(t)) --t;
  while (fits(t + 1)) ++t;
  return t;
}

}  // namespace

i64 ellipse_reach(i64 p, i64 q, i64 ay) {
  if (p <= 1 || q <= 1) return p;  // one or two pixels thin: the whole row
  const i64 ya = ay >= 1 ? ay - 1 : 1;
  if (p < (i64{1} << 24) && q < (i64{1} << 24)) {
    const double inv_q = 1.0 / static_cast<double>(q);
    i64 reach = 1 + largest_within_small(p, q, inv_q, (q - ay) * (q + ay));
    if (reach < p && ya <= q) reach = std::max(reach, largest_within_small(p, q, inv_q, (q - ya) * (q + ya)));
    if (reach > p) reach = p;
    if ((reach - p) % 2 != 0) --reach;
    return reach;
  }
  const u128 up = static_cast<u128>(p), uq = static_cast<u128>(q);
  // Half a pixel nearer the centre column: |X| - 1 <= tB.
  const u128 d = static_cast<u128>(q - ay) * static_cast<u128>(q + ay);
  i64 reach = 1 + static_cast<i64>(largest_within(up, uq, d));
  // Half a pixel nearer the centre row: |X| <= tA.
  if (reach < p && ya <= q) {
    const u128 da = static_cast<u128>(q - ya) * static_cast<u128>(q + ya);
    reach = std::max(reach, static_cast<i64>(largest_within(up, uq, da)));
  }
  if (reach > p) reach = p;
  // Doubled offsets of pixel centres have the parity of p.
  if ((reach - p) % 2 != 0) --reach;
  return reach;
}

bool ellipse_row(i64 left, i64 top, i64 right, i64 bottom, i64 y, i64 &x0, i64 &x1) {
  if (y < top || y > bottom || left > right) return false;
  const i64 reach = ellipse_reach(right - left, bottom - top, std::llabs(2 * y - top - bottom));
  x0 = (left + right - reach) / 2;
  x1 = (left + right + reach) / 2;
  return true;
}

EllipseRows::EllipseRows(i64 left, i64 top, i64 right, i64 bottom)
    : left_(left), top_(top), right_(right), bottom_(bottom) {
  memo_size_ = (bottom - top) / 2 + 1;
  if (memo_size_ > kMemo) memo_size_ = 0;
  for (i64 i = 0; i < memo_size_; ++i) memo_[i] = -1;
}

bool EllipseRows::row(i64 y, i64 &x0, i64 &x1) {
  if (y < top_ || y > bottom_ || left_ > right_) return false;
  const i64 ay = std::llabs(2 * y - top_ - bottom_);
  i64 reach;
  if (ay / 2 < memo_size_) {
    i64 &slot = memo_[ay / 2];
    if (slot < 0) slot = ellipse_reach(right_ - left_, bottom_ - top_, ay);
    reach = slot;
  } else {
    reach = ellipse_reach(right_ - left_, bottom_ - top_, ay);
  }
  x0 = (left_ + right_ - reach) / 2;
  x1 = (left_ + right_ + reach) / 2;
  return true;
}

namespace {

// The tracer's state for a w x h box: a = w - 1 and b = h - 1 are the doubled semi-axes, dx and dy
// the error increments of the next step across and down, err the error of the current point.
struct Tracer {
  i64 a, b, asq, bsq, dx, dy, err;
  Tracer(i64 w, i64 h) : a(w - 1), b(h - 1) {
    asq = 8 * a * a;
    bsq = 8 * b * b;
    dx = 4 * b * b * (1 - a);
    dy = 4 * a * a * (1 + b % 2);
    err = dx + dy + a * a * (b % 2);
  }
  // One step: which of the two coordinates move.
  void step(bool &across, bool &down) {
    const i64 e2 = 2 * err;
    across = e2 >= dx;
    down = e2 <= dy;
    if (across) err += dx += bsq;
    if (down) err += dy += asq;
  }
};

}  // namespace

bool traced_ellipse_insets(i64 w, i64 h, std::vector<i64> &inset) {
  // Rows from the middle down: a row's inset is the column offset reached when the walk first
  // steps onto it. On slim boxes the walk reaches the middle column before the last rows; those
  // rows stay empty (an inset of w), as GDI leaves them: the tips of a 3 x 10 ellipse are not
  // painted, by the brush or by the pen, whose path ends there too.
  inset.assign(static_cast<size_t>(h), -1);
  Tracer t(w, h);
  i64 x = 0, y = h / 2;
  inset[static_cast<size_t>(y)] = 0;
  bool within = true;
  while (x <= w / 2) {
    bool across, down;
    t.step(across, down);
    if (across) ++x;
    if (down) {
      ++y;
      if (y >= h) {
        within = false;
        break;
      }
      inset[static_cast<size_t>(y)] = x;
    }
  }
  for (i64 k = h / 2 + 1; k < h; ++k) {
    if (inset[static_cast<size_t>(k)] < 0) inset[static_cast<size_t>(k)] = w;
  }
  // The upper half mirrors the lower one.
  for (i64 k = 0; k < h / 2; ++k) inset[static_cast<size_t>(k)] = inset[static_cast<size_t>(h - 1 - k)];
  return within;
}

const TracedRows &traced_rows(i64 w, i64 h) {
  // Up to kRemembered sizes, replaced in turn; only boxes of modest height, so that what is kept
  // stays small (tall boxes cost far more in pixels than in tracing anyway).
  constexpr size_t kRemembered = 32;
  constexpr i64 kRememberedHeight = 512;
  thread_local std::array<TracedRows, kRemembered> remembered;
  thread_local size_t next = 0;
  thread_local TracedRows scratch;
  for (TracedRows &r : remembered) {
    if (r.w == w && r.h == h) return r;
  }
  TracedRows &r = h <= kRememberedHeight ? remembered[next++ % kRemembered] : scratch;
  r.w = w;
  r.h = h;
  r.within = traced_ellipse_insets(w, h, r.inset);
  return r;
}

void traced_ellipse_path(i64 l, i64 t, i64 w, i64 h, std::vector<P64> &pts) {
  pts.clear();
  // The quadrant from the middle of the right side up to the middle of the top, in box offsets
  // with y counted from the bottom.
  Tracer tr(w, h);
  i64 x = w - 1, y = h / 2;
  while (x >= w / 2) {
    pts.push_back({l + x, t + h - 1 - y});
    bool across, down;
    tr.step(across, down);
    if (across) --x;
    if (down) ++y;
  }
  // Mirrored onto the left half and then the bottom half, each in reverse order so that the path
  // runs round. A middle column or row (odd sizes) is not repeated: the mirror's first point
  // replaces the last point of the half it continues.
  const size_t q = pts.size();
  size_t end = 2 * q - 1;
  if (w % 2 != 0) --end;
  pts.resize(end + 1);
  for (size_t i = q; i-- > 0;) pts[end - i] = {2 * l + w - 1 - pts[i].x, pts[i].y};
  const size_t half = end + 1;
  end = 2 * half - 1;
  if (h % 2 != 0) --end;
  pts.resize(end + 1);
  for (size_t i = half; i-- > 0;) pts[end - i] = {pts[i].x, 2 * t + h - 1 - pts[i].y};
}

bool pen_dot_row(i64 x, i64 y, i64 w, i64 row, i64 &x0, i64 &x1) {
  const i64 before = w / 2, after = (w + 1) / 2 - 1;
  return ellipse_row(x - before, y - before, x + after, y + after, row, x0, x1);
}

}  // namespace winport::gdi

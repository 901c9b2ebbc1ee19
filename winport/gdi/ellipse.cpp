// ellipse.cpp — which pixels of a row a filled ellipse covers, computed exactly for any box.
//
// The ellipse runs through the centres of the box's outermost pixels, so it touches all four
// sides: a box one or two pixels thin is filled completely, and a 1 x 1 box is its pixel. A pixel
// belongs to the filled ellipse when the curve passes beyond it by at least half a pixel in the
// row's or the column's direction, which is the choice a midpoint curve tracer makes on each step
// (a 3 x 3 box gives a plus of five pixels). The rule is symmetric in x and y, so circles are
// symmetric in all eight octants.
//
// Each row is answered in constant time, with integers: offsets from the centre are doubled so
// that even sizes stay integral, and products that can reach 2^130 for boxes of 2^32 pixels are
// compared in 256 bits. EllipseRows remembers the rows of the upper half for the lower one.
#include <algorithm>
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

bool pen_dot_row(i64 x, i64 y, i64 w, i64 row, i64 &x0, i64 &x1) {
  const i64 before = w / 2, after = (w + 1) / 2 - 1;
  return ellipse_row(x - before, y - before, x + after, y + after, row, x0, x1);
}

}  // namespace winport::gdi

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
// compared in 256 bits.
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

}  // namespace

bool ellipse_row(i64 left, i64 top, i64 right, i64 bottom, i64 y, i64 &x0, i64 &x1) {
  if (y < top || y > bottom || left > right) return false;
  const i64 p = right - left;  // doubled horizontal semi-axis
  const i64 q = bottom - top;  // doubled vertical semi-axis
  if (p == 0 || q == 0) {
    x0 = left;
    x1 = right;
    return true;
  }
  const i64 ay = std::llabs(2 * y - top - bottom);  // doubled distance from the centre row
  const u128 up = static_cast<u128>(p), uq = static_cast<u128>(q);

  // Half a pixel nearer the centre row (the row's own direction): |X| <= tA.
  i64 reach = 0;
  const i64 ya = ay >= 1 ? ay - 1 : 1;
  if (ya <= q) {
    u128 d = static_cast<u128>(q - ya) * static_cast<u128>(q + ya);
    reach = static_cast<i64>(largest_within(up, uq, d));
  }
  // Half a pixel nearer the centre column: |X| - 1 <= tB.
  u128 d = static_cast<u128>(q - ay) * static_cast<u128>(q + ay);
  i64 reach_b = 1 + static_cast<i64>(largest_within(up, uq, d));
  if (reach_b > reach) reach = reach_b;
  if (reach > p) reach = p;
  // Doubled offsets of pixel centres have the parity of p.
  if ((reach - p) % 2 != 0) --reach;
  if (reach < 0) return false;
  x0 = (left + right - reach) / 2;
  x1 = (left + right + reach) / 2;
  return true;
}

bool pen_dot_row(i64 x, i64 y, i64 w, i64 row, i64 &x0, i64 &x1) {
  const i64 before = w / 2, after = (w + 1) / 2 - 1;
  return ellipse_row(x - before, y - before, x + after, y + after, row, x0, x1);
}

}  // namespace winport::gdi

// line.cpp — cosmetic (1-pixel) lines, exactly as GDI draws them.
//
// A line steps one pixel at a time along its major axis, from its start pixel up to but not
// including its end pixel. At each step the minor coordinate is the exact one rounded to the
// nearest pixel; a tie (exactly half-way) goes to the smaller coordinate, decided in surface
// coordinates rather than in the direction of travel, so a line drawn from B to A covers the same
// pixels as one from A to B except that each includes its own start. A zero-length line draws
// nothing.
//
// The walk starts at the first step that lands on the surface and stops after the last one,
// both found in closed form, so a line two billion pixels long costs what its visible part costs.
#include <algorithm>

#include "gdi/raster.h"

namespace winport::gdi {
namespace {

// Calls emit(y, x0, x1) with half-open horizontal runs of the line's pixels on the surface.
template <typename Emit>
void walk_line(i64 ax, i64 ay, i64 bx, i64 by, i64 width, i64 height, Emit emit) {
  const i64 dx = bx - ax, dy = by - ay;
  if (dx == 0 && dy == 0) return;
  const bool x_major = std::llabs(dx) >= std::llabs(dy);
  // u is the major coordinate, v the minor one.
  const i64 au = x_major ? ax : ay, av = x_major ? ay : ax;
  const i64 du = x_major ? dx : dy, dv = x_major ? dy : dx;
  const i64 su = du > 0 ? 1 : -1, sv = dv > 0 ? 1 : (dv < 0 ? -1 : 0);
  const i64 n = std::llabs(du), nv = std::llabs(dv);
  const i64 u_limit = x_major ? width : height, v_limit = x_major ? height : width;
  // Step k moves the minor coordinate by m(k) = round(k * nv / n) towards the end, ties going to
  // the smaller surface coordinate: m(k) = floor((2 k nv + n - bias) / 2n).
  const i64 bias = sv > 0 ? 1 : 0;
  const i128 two_n = 2 * static_cast<i128>(n), two_nv = 2 * static_cast<i128>(nv);

  // Steps 0 .. n-1, limited to those whose major coordinate is on the surface...
  i64 k0 = 0, k1 = n - 1;
  if (su > 0) {
    k0 = std::max(k0, -au);
    k1 = std::min(k1, u_limit - 1 - au);
  } else {
    k0 = std::max(k0, au - (u_limit - 1));
    k1 = std::min(k1, au);
  }
  if (k0 > k1) return;
  // ... and whose minor coordinate is: m must lie in [m_lo, m_hi].
  const i64 m_lo = sv >= 0 ? -av : av - (v_limit - 1);
  const i64 m_hi = sv >= 0 ? v_limit - 1 - av : av;
  if (sv == 0) {
    if (m_lo > 0 || m_hi < 0) return;
  } else {
    if (m_lo > 0) k0 = std::max<i64>(k0, static_cast<i64>(ceil_div(two_n * m_lo - n + bias, two_nv)));
    const i128 k_max = ceil_div(two_n * (static_cast<i128>(m_hi) + 1) - n + bias, two_nv) - 1;
    if (k_max < k1) k1 = static_cast<i64>(k_max);
    if (k0 > k1) return;
  }

  const i128 num = static_cast<i128>(k0) * two_nv + n - bias;
  i64 m = static_cast<i64>(floor_div(num, two_n));
  i64 rem = static_cast<i64>(num - static_cast<i128>(m) * two_n);  // 0 <= rem < 2n
  const i64 step = 2 * nv, wrap = 2 * n;

  if (x_major) {
    // Pixels of one row form a run; emit it when the row changes.
    i64 run_start = au + su * k0, run_row = av + sv * m;
    for (i64 k = k0; k <= k1; ++k) {
      const i64 row = av + sv * m;
      if (row != run_row) {
        const i64 last = au + su * (k - 1);
        emit(run_row, std::min(run_start, last), std::max(run_start, last) + 1);
        run_start = au + su * k;
        run_row = row;
      }
      rem += step;
      if (rem >= wrap) {
        rem -= wrap;
        ++m;
      }
    }
    const i64 last = au + su * k1;
    emit(run_row, std::min(run_start, last), std::max(run_start, last) + 1);
  } else {
    for (i64 k = k0; k <= k1; ++k) {
      const i64 x = av + sv * m;
      emit(au + su * k, x, x + 1);
      rem += step;
      if (rem >= wrap) {
        rem -= wrap;
        ++m;
      }
    }
  }
}

}  // namespace

void cosmetic_line(Surface &s, i64 ax, i64 ay, i64 bx, i64 by, uint32_t pixel) {
  walk_line(ax, ay, bx, by, s.width, s.height,
            [&](i64 y, i64 x0, i64 x1) { fill_span(s, y, x0, x1, pixel); });
}

void cosmetic_line(SpanCollector &c, const Surface &s, i64 ax, i64 ay, i64 bx, i64 by) {
  walk_line(ax, ay, bx, by, s.width, s.height,
            [&](i64 y, i64 x0, i64 x1) { c.add(SpanCollector::Outline, y, x0, x1); });
}

}  // namespace winport::gdi

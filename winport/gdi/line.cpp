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
#include <functional>
#include <type_traits>

#include "gdi/raster.h"

namespace winport::gdi {
namespace {

// Where one line's walk lies on the surface: u is the major coordinate and v the minor one; steps
// k0 .. k1 land on the surface, and step k0 moves the minor coordinate by m (rem its remainder in
// units of 1 / wrap, growing by `step` per step).
struct LineWalk {
  bool x_major;
  i64 au, av, su, sv;
  i64 k0, k1;
  i64 m, rem, step, wrap;
};

// The walk's start, in closed form; false when no step lands on the surface.
bool start_walk(i64 ax, i64 ay, i64 bx, i64 by, i64 width, i64 height, LineWalk &w) {
  const i64 dx = bx - ax, dy = by - ay;
  if (dx == 0 && dy == 0) return false;
  w.x_major = std::llabs(dx) >= std::llabs(dy);
  w.au = w.x_major ? ax : ay;
  w.av = w.x_major ? ay : ax;
  const i64 du = w.x_major ? dx : dy, dv = w.x_major ? dy : dx;
  w.su = du > 0 ? 1 : -1;
  w.sv = dv > 0 ? 1 : (dv < 0 ? -1 : 0);
  const i64 n = std::llabs(du), nv = std::llabs(dv);
  const i64 u_limit = w.x_major ? width : height, v_limit = w.x_major ? height : width;
  // Step k moves the minor coordinate by m(k) = round(k * nv / n) towards the end, ties going to
  // the smaller surface coordinate: m(k) = floor((2 k nv + n - bias) / 2n).
  const i64 bias = w.sv > 0 ? 1 : 0;
  w.step = 2 * nv;
  w.wrap = 2 * n;
  if (ax >= 0 && ax < width && bx >= 0 && bx < width && ay >= 0 && ay < height && by >= 0 && by < height) {
    // Both ends on the surface, and so every step between them: the walk is the whole line.
    w.k0 = 0;
    w.k1 = n - 1;
    w.m = 0;
    w.rem = n - bias;
    return true;
  }
  const i128 two_n = 2 * static_cast<i128>(n), two_nv = 2 * static_cast<i128>(nv);

  // Steps 0 .. n-1, limited to those whose major coordinate is on the surface...
  i64 k0 = 0, k1 = n - 1;
  if (w.su > 0) {
    k0 = std::max(k0, -w.au);
    k1 = std::min(k1, u_limit - 1 - w.au);
  } else {
    k0 = std::max(k0, w.au - (u_limit - 1));
    k1 = std::min(k1, w.au);
  }
  if (k0 > k1) return false;
  // ... and whose minor coordinate is: m must lie in [m_lo, m_hi].
  const i64 m_lo = w.sv >= 0 ? -w.av : w.av - (v_limit - 1);
  const i64 m_hi = w.sv >= 0 ? v_limit - 1 - w.av : w.av;
  if (w.sv == 0) {
    if (m_lo > 0 || m_hi < 0) return false;
  } else {
    if (m_lo > 0) k0 = std::max<i64>(k0, static_cast<i64>(ceil_div(two_n * m_lo - n + bias, two_nv)));
    const i128 k_max = ceil_div(two_n * (static_cast<i128>(m_hi) + 1) - n + bias, two_nv) - 1;
    if (k_max < k1) k1 = static_cast<i64>(k_max);
    if (k0 > k1) return false;
  }
  w.k0 = k0;
  w.k1 = k1;
  const i128 num = static_cast<i128>(k0) * two_nv + n - bias;
  w.m = static_cast<i64>(floor_div(num, two_n));
  w.rem = static_cast<i64>(num - static_cast<i128>(w.m) * two_n);  // 0 <= rem < 2n
  return true;
}

// An x-major line: the pixels of one row form a run, so the walk jumps from run to run. At step k
// with remainder rem, the row changes after j = ceil((2n - rem) / 2nv) steps.
template <typename Emit>
void walk_runs(LineWalk w, Emit emit) {
  i64 k = w.k0;
  while (k <= w.k1) {
    const i64 row = w.av + w.sv * w.m;
    i64 last = w.k1;
    if (w.step > 0) {
      const i64 j = (w.wrap - w.rem + w.step - 1) / w.step;
      if (k + j - 1 < w.k1) last = k + j - 1;
      w.rem += j * w.step - w.wrap;
      ++w.m;
    }
    const i64 first_u = w.au + w.su * k, last_u = w.au + w.su * last;
    emit(row, std::min(first_u, last_u), std::max(first_u, last_u) + 1);
    k = last + 1;
  }
}

// A y-major line: one pixel a row.
template <typename Emit>
void walk_column(LineWalk w, Emit emit) {
  for (i64 k = w.k0; k <= w.k1; ++k) {
    const i64 x = w.av + w.sv * w.m;
    emit(w.au + w.su * k, x, x + 1);
    w.rem += w.step;
    if (w.rem >= w.wrap) {
      w.rem -= w.wrap;
      ++w.m;
    }
  }
}

// Calls emit(y, x0, x1) with half-open horizontal runs of the line's pixels on the surface.
template <typename Emit>
void walk_line(i64 ax, i64 ay, i64 bx, i64 by, i64 width, i64 height, Emit emit) {
  LineWalk w;
  if (!start_walk(ax, ay, bx, by, width, height, w)) return;
  if (w.x_major) {
    walk_runs(w, emit);
  } else {
    walk_column(w, emit);
  }
}

// A y-major walk's pixels stored straight into the surface, one row apart.
void plot_column(Surface &s, const LineWalk &w, uint32_t pixel) {
  const i64 width = s.width;
  uint32_t *p = s.row(static_cast<int>(w.au + w.su * w.k0)) + (w.av + w.sv * w.m);
  const i64 down = w.su * width;
  if (w.step == 0) {
    // A vertical line: the column never moves.
    for (i64 k = w.k0; k <= w.k1; ++k, p += down) *p = pixel;
    return;
  }
  i64 rem = w.rem;
  for (i64 k = w.k0; k <= w.k1; ++k) {
    *p = pixel;
    p += down;
    rem += w.step;
    if (rem >= w.wrap) {
      rem -= w.wrap;
      p += w.sv;
    }
  }
}

// A level or upright line, from a up to but not including b: one run, or a box one pixel wide.
void axis_line(Surface &s, i64 ax, i64 ay, i64 bx, i64 by, uint32_t pixel) {
  if (ay == by) {
    fill_span(s, ay, ax < bx ? ax : bx + 1, ax < bx ? bx : ax + 1, pixel);
  } else {
    fill_box(s, ax, ay < by ? ay : by + 1, ax + 1, ay < by ? by : ay + 1, pixel);
  }
}

}  // namespace

void cosmetic_line(Surface &s, i64 ax, i64 ay, i64 bx, i64 by, uint32_t pixel) {
  // Frames and bevels are drawn with these: they need no walk.
  if (ax == bx || ay == by) {
    axis_line(s, ax, ay, bx, by, pixel);
    return;
  }
  // Every pixel of the walk lies on the surface: no span needs cutting.
  LineWalk w;
  if (!start_walk(ax, ay, bx, by, s.width, s.height, w)) return;
  if (w.x_major) {
    walk_runs(w, [&](i64 y, i64 x0, i64 x1) {
      fill_pixels(s.row(static_cast<int>(y)) + x0, static_cast<size_t>(x1 - x0), pixel);
    });
  } else {
    plot_column(s, w, pixel);
  }
  s.dirty = true;
}

void cosmetic_line_runs(i64 ax, i64 ay, i64 bx, i64 by, const Surface &s,
                        const std::function<void(i64, i64, i64)> &emit) {
  walk_line(ax, ay, bx, by, s.width, s.height, emit);
}

CosmeticEdge::CosmeticEdge(i64 ax, i64 ay, i64 bx, i64 by) {
  const i64 dx = bx - ax, dy = by - ay;
  empty_ = dx == 0 && dy == 0;
  x_major_ = std::llabs(dx) >= std::llabs(dy);
  au_ = x_major_ ? ax : ay;
  av_ = x_major_ ? ay : ax;
  const i64 du = x_major_ ? dx : dy, dv = x_major_ ? dy : dx;
  su_ = du > 0 ? 1 : -1;
  sv_ = dv > 0 ? 1 : (dv < 0 ? -1 : 0);
  n_ = std::llabs(du);
  nv_ = std::llabs(dv);
  bias_ = sv_ > 0 ? 1 : 0;
  // The rows the line's pixels can lie on; outside them the steppers are never started, which
  // also keeps their values small.
  const i64 far = x_major_ ? av_ + sv_ * nv_ : au_ + su_ * (n_ - 1);
  const i64 near = x_major_ ? av_ : au_;
  row_lo_ = std::min(near, far);
  row_hi_ = std::max(near, far);
}

// The same steps as walk_line, solved for one row. x-major: the row fixes the minor offset m and
// the run is steps first(m) .. first(m + 1) - 1, first(T) = ceil((2n T - n + bias) / 2nv); the
// stepper holds -first(T) for the row's T. y-major: the row is one step k, and the stepper holds
// m(k) = floor((2k nv + n - bias) / 2n).
void CosmeticEdge::start(i64 y) {
  started_ = true;
  next_y_ = y;
  if (x_major_) {
    if (nv_ == 0) return;
    const i64 t = (y - av_) * sv_;
    step_.start(-(2 * static_cast<i128>(n_) * t) + n_ - bias_, 2 * nv_, -2 * n_);
    next_ = step_;
    next_.forward();
  } else {
    const i64 k = (y - au_) * su_;
    step_.start(2 * static_cast<i128>(k) * nv_ + n_ - bias_, 2 * n_, 2 * nv_);
  }
}

namespace {

// Widens one row's [lo, hi) to take in the run [x0, x1), or with set, makes it that run (an empty
// run being [INT64_MAX, INT64_MIN), which any later run replaces).
template <bool set>
inline void merge(i64 *lo, i64 *hi, i64 x0, i64 x1) {
  if (set) {
    const bool empty = x0 >= x1;
    *lo = empty ? INT64_MAX : x0;
    *hi = empty ? INT64_MIN : x1;
    return;
  }
  if (x0 < *lo) *lo = x0;
  if (x1 > *hi) *hi = x1;
}

// The row loops take everything by value, so that nothing they read can change under the stores
// into lo and hi and all of it stays in registers.

// An x-major line: row i's run lies between the boundary columns before and after b steps once (a
// boundary being origin - su * b.value), cut to the line's columns [cmin, cmax). Only the line's
// first and last rows need cutting, as the runs between lie inside those columns, and only they
// can be empty. The boundaries rise along the rows when rising, else fall.
template <bool rising, bool set>
void merge_runs(Stepper b, i64 origin, i64 su, i64 cmin, i64 cmax, i64 rows, i64 *lo, i64 *hi) {
  // The boundary moves by -su * dq a row, and by -su more when the remainder wraps.
  const i64 move = -su * b.dq;
  i64 before = origin - su * b.value, rem = b.rem;
  auto next = [&] {
    i64 after = before + move;
    rem += b.dr;
    if (rem >= b.den) {
      rem -= b.den;
      after -= su;
    }
    return after;
  };
  auto cut_row = [&](i64 i) {
    const i64 after = next();
    const i64 x0 = std::max(rising ? before : after, cmin), x1 = std::min(rising ? after : before, cmax);
    before = after;
    if (set || x0 < x1) merge<set>(lo + i, hi + i, x0, x1);
  };
  cut_row(0);
  for (i64 i = 1; i < rows - 1; ++i) {
    const i64 after = next();
    merge<set>(lo + i, hi + i, rising ? before : after, rising ? after : before);
    before = after;
  }
  if (rows > 1) cut_row(rows - 1);
}

// A y-major line: one pixel a row, its column moving by dx whenever the error reaches wrap.
template <bool set>
void merge_pixels(i64 x, i64 dx, i64 error, i64 step, i64 wrap, i64 rows, i64 *lo, i64 *hi) {
  for (i64 i = 0; i < rows; ++i) {
    merge<set>(lo + i, hi + i, x, x + 1);
    error += step;
    if (error >= wrap) {
      error -= wrap;
      x += dx;
    }
  }
}

}  // namespace

// The rows first .. last are walked once, each row stepping from the one above: the steppers run
// in the direction the rows go, so the loops need not care which way the line was drawn.
void CosmeticEdge::widen_rows(i64 first, i64 last, i64 *lo, i64 *hi, bool set) {
  if (first > last) return;
  // The rows the line reaches, among these.
  i64 y0 = std::max(first, row_lo_), y1 = std::min(last, row_hi_);
  if (empty_ || y0 > y1) {
    y0 = last + 1;
    y1 = last;
  }
  if (set) {
    // The rows it does not reach are made empty.
    std::fill(lo, lo + (y0 - first), INT64_MAX);
    std::fill(hi, hi + (y0 - first), INT64_MIN);
    std::fill(lo + (y1 + 1 - first), lo + (last + 1 - first), INT64_MAX);
    std::fill(hi + (y1 + 1 - first), hi + (last + 1 - first), INT64_MIN);
  }
  if (y0 > y1) return;
  lo += y0 - first;
  hi += y0 - first;
  if (set) {
    merge_rows<true>(y0, y1 - y0 + 1, lo, hi);
  } else {
    merge_rows<false>(y0, y1 - y0 + 1, lo, hi);
  }
}

template <bool kSet>
void CosmeticEdge::merge_rows(i64 y0, i64 rows, i64 *lo, i64 *hi) const {
  if (x_major_ && nv_ == 0) {
    const i64 end = au_ + su_ * (n_ - 1);
    merge<kSet>(lo, hi, std::min(au_, end), std::max(au_, end) + 1);
  } else if (x_major_) {
    // Row T's run is steps first(T) .. first(T + 1) - 1 (see start). Walking the rows meets
    // first(T) for T = T0, T0 + 1, ... when the minor coordinate grows down the surface, and
    // for T = T0 + 1, T0, ... when it shrinks: either way a row's run lies between the
    // boundary reached before it and the one after. Stepper b holds -first(T) of the next
    // boundary.
    const i64 t0 = (y0 - av_) * sv_ + (sv_ < 0 ? 1 : 0);
    Stepper b;
    b.start(-(2 * static_cast<i128>(n_) * t0) + n_ - bias_, 2 * nv_, -2 * n_ * sv_);
    // A boundary step g is column au + su g, or the column after it when the line goes left,
    // so a run is the columns between two boundaries, cut to the line's own columns.
    const i64 origin = au_ + (su_ < 0 ? 1 : 0);
    const i64 cmin = std::min(origin, origin + su_ * n_), cmax = std::max(origin, origin + su_ * n_);
    if (su_ == sv_) {
      merge_runs<true, kSet>(b, origin, su_, cmin, cmax, rows, lo, hi);
    } else {
      merge_runs<false, kSet>(b, origin, su_, cmin, cmax, rows, lo, hi);
    }
  } else {
    // One pixel a row, its column moving by one whenever the error wraps.
    const i64 k = (y0 - au_) * su_;
    const i128 num = 2 * static_cast<i128>(k) * nv_ + n_ - bias_;
    const i64 wrap = 2 * n_, step = 2 * nv_;
    const i64 m = static_cast<i64>(floor_div(num, i128{wrap}));
    i64 error = static_cast<i64>(num - static_cast<i128>(m) * wrap);
    i64 dx = sv_;
    if (su_ < 0) {
      // Walking the steps backwards: count the error down from the other end.
      error = wrap - 1 - error;
      dx = -sv_;
    }
    merge_pixels<kSet>(av_ + sv_ * m, dx, error, step, wrap, rows, lo, hi);
  }
}

void CosmeticEdge::add_row(i64 y, RowWriter &w) {
  if (empty_ || y < row_lo_ || y > row_hi_) return;
  if (!started_ || y != next_y_) start(y);
  next_y_ = y + 1;
  if (x_major_) {
    if (nv_ == 0) {
      if (y == av_) {
        const i64 end = au_ + su_ * (n_ - 1);
        w.add(RowWriter::Outline, std::min(au_, end), std::max(au_, end) + 1);
      }
      return;
    }
    const i64 t = (y - av_) * sv_;
    const i64 k0 = std::max<i64>(0, -step_.value);
    // The run ends where T + 1 begins; the row below has T + sv.
    const i64 k1 = std::min(n_ - 1, -next_.value - 1);
    if (sv_ > 0) {
      step_.forward();
      next_.forward();
    } else {
      step_.backward();
      next_.backward();
    }
    if (t < 0 || k0 > k1) return;
    const i64 u0 = au_ + su_ * k0, u1 = au_ + su_ * k1;
    w.add(RowWriter::Outline, std::min(u0, u1), std::max(u0, u1) + 1);
  } else {
    const i64 k = (y - au_) * su_;
    const i64 x = av_ + sv_ * step_.value;
    if (su_ > 0) {
      step_.forward();
    } else {
      step_.backward();
    }
    if (k < 0 || k > n_ - 1) return;
    w.add(RowWriter::Outline, x, x + 1);
  }
}

}  // namespace winport::gdi

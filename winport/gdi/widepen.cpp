// widepen.cpp — the stroke of a geometric PS_SOLID pen (width 2 and more) along a polyline.
//
// The stroke is built the way GDI builds it, as a union of simple pieces:
// - a round dot on every point (the round caps and joins): the filled ellipse of a w x w box
//   from x - w/2 to x + (w+1)/2 - 1 (and the same on y), so a zero-length stroke is a round dot
//   and corners from width 3 on are rounded;
// - for a horizontal segment, the rows y - w/2 .. y - w/2 + w - 1 over the columns from its left
//   end up to its right end (exclusive; the dot covers the end), and likewise for a vertical one;
// - for a slanted segment, a quadrilateral: the segment's two ends moved sideways by the pen's
//   half-widths across and along, rounded to whole pixels (one side taking the narrow half and
//   the other the wide half, so even widths lean towards the top-left), filled as a polygon.
// The pieces overlap freely; the RowWriter merges them, so no pixel is written twice.
//
// Traced outlines (ellipses) are polylines of thousands of one-pixel steps, so the pieces are
// gathered before they are stroked, with the union left exactly as it was:
// - neighbouring points in one row or one column share one dot run: the dots of a row of points
//   overlap on every row (each dot row is at least a pixel wide), so their union on a row is one
//   span; the dots of a column of points are centred alike, so their union is the widest row;
// - the body of a one-pixel horizontal or vertical step lies inside its end dots and is dropped;
// - the body of a one-pixel diagonal step has the same shape wherever it is, so its rows are
//   worked out once per direction, keeping only the rows its end dots do not already cover.
// These hold when the traced dot's rows are all non-empty and widen to a full middle row, which
// is checked once per stroke; otherwise every point and step is stroked on its own.
//
// Every piece is answered per surface row, and only rows that the stroke reaches on the surface
// are asked for. Geometry is in 64-bit integers, so points near +-2^31 and the widest pen stay
// exact; the only floating-point step is the slanted segment's half-widths.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "gdi/raster.h"

namespace winport::gdi {
namespace {

// The pen's half-width as a whole number of pixels: f rounded half away from zero.
i64 round_half(double f) { return static_cast<i64>(f > 0 ? f + 0.5 : f - 0.5); }

std::vector<P64> widen(const POINT *pts, int n) {
  std::vector<P64> out(static_cast<size_t>(n > 0 ? n : 0));
  for (int i = 0; i < n; ++i) out[static_cast<size_t>(i)] = {pts[i].x, pts[i].y};
  return out;
}

}  // namespace

// The corners of a slanted segment's body, and the rows they span.
void slanted_body(const P64 &p, const P64 &q, i64 w, P64 corners[4], i64 &lo, i64 &hi) {
  const i64 dx = q.x - p.x, dy = q.y - p.y;
  // The pen's extent across the segment, split into its x and y parts.
  const double len = std::hypot(static_cast<double>(dx), static_cast<double>(dy));
  const double width_x = static_cast<double>(w) * static_cast<double>(std::llabs(dy)) / len;
  const double width_y = static_cast<double>(w) * static_cast<double>(std::llabs(dx)) / len;
  P64 narrow{round_half(width_x / 2), round_half(width_y / 2)};
  P64 wide{round_half((width_x + 1) / 2), round_half((width_y + 1) / 2)};
  if (dx < 0) {
    wide.y = -wide.y;
    narrow.y = -narrow.y;
  }
  if (dy < 0) {
    std::swap(narrow, wide);
    wide.x = -wide.x;
    narrow.x = -narrow.x;
  }
  corners[0] = {p.x - narrow.x, p.y + narrow.y};
  corners[1] = {p.x + wide.x, p.y - wide.y};
  corners[2] = {q.x + wide.x, q.y - wide.y};
  corners[3] = {q.x - narrow.x, q.y + narrow.y};
  lo = hi = corners[0].y;
  for (int i = 1; i < 4; ++i) {
    lo = std::min(lo, corners[i].y);
    hi = std::max(hi, corners[i].y);
  }
}

namespace {

int diagonal_index(i64 dx, i64 dy) { return (dx > 0 ? 1 : 0) + (dy > 0 ? 2 : 0); }

}  // namespace

// One row's spans on their way to the writer. A span that overlaps or touches one of the few held
// back joins it, so the long chains of overlapping dot rows along a curve reach the writer as a
// handful of runs rather than hundreds.
class SpanGather {
 public:
  explicit SpanGather(RowWriter &w) : w_(w) {}
  ~SpanGather() {
    for (int i = 0; i < n_; ++i) w_.add(RowWriter::Outline, x0_[i], x1_[i]);
  }
  SpanGather(const SpanGather &) = delete;
  SpanGather &operator=(const SpanGather &) = delete;
  void add(i64 a, i64 b) {
    if (a >= b) return;
    for (int i = 0; i < n_; ++i) {
      if (a <= x1_[i] && x0_[i] <= b) {
        x0_[i] = std::min(x0_[i], a);
        x1_[i] = std::max(x1_[i], b);
        return;
      }
    }
    if (n_ < kHeld) {
      x0_[n_] = a;
      x1_[n_++] = b;
      return;
    }
    w_.add(RowWriter::Outline, x0_[next_], x1_[next_]);
    x0_[next_] = a;
    x1_[next_] = b;
    next_ = (next_ + 1) % kHeld;
  }

 private:
  static constexpr int kHeld = 4;
  RowWriter &w_;
  i64 x0_[kHeld], x1_[kHeld];
  int n_ = 0, next_ = 0;
};


WideStroke::WideStroke(const POINT *pts, int n, bool closed, i64 w, const Window &keep) : w_(w) {
  const std::vector<P64> p = widen(pts, n);
  build(p.data(), n, closed, keep);
}

WideStroke::WideStroke(const P64 *pts, int n, bool closed, i64 w, const Window &keep) : w_(w) {
  build(pts, n, closed, keep);
}

// The stroke as GDI's wide pen builds it: a dot on every point, gathered into runs, and a body for
// every segment, each kept in row order.
void WideStroke::build(const P64 *pts, int n, bool closed, const Window &keep) {
  if (n <= 0) return;
  // Only paths of several points gain from taking steps apart.
  if (w_ <= kTracedLimit) measure_dot(n > 2);
  i64 top = pts[0].y, bottom = pts[0].y;
  for (int i = 1; i < n; ++i) {
    top = std::min(top, pts[i].y);
    bottom = std::max(bottom, pts[i].y);
  }
  // A dot reaches w/2 above its point and (w+1)/2 - 1 below; a segment's body no further.
  top_ = top - w_ / 2;
  bottom_ = bottom + (w_ + 1) / 2;
  if (gather_dots(pts, n, keep)) make_diagonal_tables();
  const int count = closed && n > 2 ? n : n - 1;
  for (int i = 0; i < count; ++i) add_segment(pts[i], pts[(i + 1) % n], keep);
  // In row order, so that a row need only look at the parts near it.
  std::sort(dots_.begin(), dots_.end(), [](const DotRun &a, const DotRun &b) { return a.y0 < b.y0; });
  std::sort(segments_.begin(), segments_.end(),
            [](const Segment &a, const Segment &b) { return a.row_lo < b.row_lo; });
  std::sort(stamped_.begin(), stamped_.end(),
            [](const StampUse &a, const StampUse &b) { return a.row_lo < b.row_lo; });
}

// The traced dot's rows, and whether its shape lets unit steps be taken apart (every row non-empty,
// rows widening towards a full middle row) and diagonal runs be answered as one span a row.
void WideStroke::measure_dot(bool take_steps_apart) {
  traced_ellipse_insets(w_, w_, dot_inset_);
  auto inset = [this](i64 k) { return dot_inset_[static_cast<size_t>(k)]; };
  unit_steps_ = take_steps_apart && inset((w_ - 1) / 2) == 0 && inset(w_ / 2) == 0;
  for (i64 k = 0; unit_steps_ && k < w_; ++k) {
    if (w_ - 2 * inset(k) < 1) unit_steps_ = false;
    if (k > 0 && k <= (w_ - 1) / 2 && inset(k) > inset(k - 1)) unit_steps_ = false;
    if (k > w_ / 2 && inset(k) < inset(k - 1)) unit_steps_ = false;
  }
  diagonal_runs_ = unit_steps_;
  for (i64 k = 1; diagonal_runs_ && k < w_; ++k) {
    if (inset(k - 1) + inset(k) > w_ - 1) diagonal_runs_ = false;
  }
}

// The dots of all points, neighbouring points that step alike sharing one run when unit steps are
// taken apart. True when a run went along a diagonal.
bool WideStroke::gather_dots(const P64 *pts, int n, const Window &keep) {
  DotRun run{pts[0].x, pts[0].x, pts[0].y, pts[0].y, 0};
  P64 last = pts[0];   // the run's newest point
  i64 sx = 0, sy = 0;  // the run's step, 0 0 while it holds one point
  bool diagonal = false;
  for (int i = 1; i < n; ++i) {
    const P64 &p = pts[i];
    // Repeated points would only paint the same dot again.
    if (p.x == last.x && p.y == last.y) continue;
    const i64 dx = p.x - last.x, dy = p.y - last.y;
    const bool unit = std::llabs(dx) <= 1 && std::llabs(dy) <= 1;
    const bool slanted = dx != 0 && dy != 0;
    if (unit_steps_ && unit && (!slanted || diagonal_runs_) && ((sx == 0 && sy == 0) || (dx == sx && dy == sy))) {
      sx = dx;
      sy = dy;
      if (!slanted) {
        run.x0 = std::min(run.x0, p.x);
        run.x1 = std::max(run.x1, p.x);
        run.y0 = std::min(run.y0, p.y);
        run.y1 = std::max(run.y1, p.y);
      } else {
        // Kept with the upper end first.
        if (dy > 0) {
          run.x1 = p.x;
          run.y1 = p.y;
        } else {
          run.x0 = p.x;
          run.y0 = p.y;
        }
        run.slope = dx == dy ? 1 : -1;
        diagonal = true;
      }
      last = p;
      continue;
    }
    add_dot_run(run, keep);
    run = {p.x, p.x, p.y, p.y, 0};
    last = p;
    sx = sy = 0;
  }
  add_dot_run(run, keep);
  return diagonal;
}

void WideStroke::add_dot_run(const DotRun &d, const Window &keep) {
  // Dots outside the window are never asked for.
  const i64 before = w_ / 2;
  if (d.y0 - before > keep.bottom || d.y1 - before + w_ - 1 < keep.top ||
      std::min(d.x0, d.x1) - before > keep.right || std::max(d.x0, d.x1) - before + w_ - 1 < keep.left) {
    return;
  }
  dots_.push_back(d);
}

bool WideStroke::covered_by_dots(const P64 &p, const P64 &q, i64 row, i64 x0, i64 x1) const {
  const i64 before = w_ / 2;
  i64 spans[2][2];
  int count = 0;
  for (const P64 &c : {p, q}) {
    const i64 k = row - (c.y - before);
    if (k < 0 || k >= w_) continue;
    const i64 in = dot_inset_[static_cast<size_t>(k)];
    spans[count][0] = c.x - before + in;
    spans[count][1] = c.x - before + w_ - in;
    ++count;
  }
  // Walk from the left end through whichever dot row holds the current column.
  i64 x = x0;
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < count; ++i) {
      if (spans[i][0] <= x && x < spans[i][1]) x = spans[i][1];
    }
  }
  return x >= x1;
}

const WideStroke::Stamp &WideStroke::stamp(int dx, int dy) {
  Stamp &s = stamps_[diagonal_index(dx, dy)];
  if (s.made) return s;
  s.made = true;
  const P64 p{0, 0}, q{dx, dy};
  P64 corners[4];
  i64 lo, hi;
  slanted_body(p, q, w_, corners, lo, hi);
  PolygonEdges quad(corners, 4);
  std::vector<std::pair<i64, i64>> rows;
  for (i64 y = lo; y <= hi; ++y) {
    i64 x0, x1;
    if (!quad.span(y, x0, x1)) return s;  // not one span a row: stroke it as a polygon
    if (x0 < x1 && covered_by_dots(p, q, y, x0, x1)) x0 = x1 = 0;
    rows.push_back({x0, x1});
  }
  s.usable = true;
  // Trim the covered rows at both ends.
  size_t first = 0, last = rows.size();
  while (first < last && rows[first].first >= rows[first].second) ++first;
  while (last > first && rows[last - 1].first >= rows[last - 1].second) --last;
  s.lo = lo + static_cast<i64>(first);
  s.hi = lo + static_cast<i64>(last) - 1;
  s.spans.assign(rows.begin() + static_cast<std::ptrdiff_t>(first), rows.begin() + static_cast<std::ptrdiff_t>(last));
  return s;
}

void WideStroke::add_segment(const P64 &p, const P64 &q, const Window &keep) {
  const i64 dx = q.x - p.x, dy = q.y - p.y;
  if (dx == 0 && dy == 0) return;
  const i64 before = w_ / 2;
  // Every part of the body lies within the pen's width of the segment's ends.
  if (std::min(p.y, q.y) - w_ > keep.bottom || std::max(p.y, q.y) + w_ < keep.top ||
      std::min(p.x, q.x) - w_ > keep.right || std::max(p.x, q.x) + w_ < keep.left) {
    return;
  }
  if (unit_steps_ && std::llabs(dx) <= 1 && std::llabs(dy) <= 1) {
    // A one-pixel step along a row or a column lies inside its end dots.
    if (dx == 0 || dy == 0) return;
    const Stamp &s = stamp(static_cast<int>(dx), static_cast<int>(dy));
    if (s.usable) {
      if (s.lo <= s.hi) stamped_.push_back({p.y + s.lo, p.y + s.hi, p.x, p.y, diagonal_index(dx, dy)});
      return;
    }
  }
  if (dy == 0) {
    segments_.push_back({p.y - before, p.y - before + w_ - 1, true, std::min(p.x, q.x), std::max(p.x, q.x),
                         PolygonEdges(static_cast<const P64 *>(nullptr), 0)});
    return;
  }
  if (dx == 0) {
    // Rows from the upper end up to the lower one, exclusive.
    segments_.push_back({std::min(p.y, q.y), std::max(p.y, q.y) - 1, true, p.x - before, p.x - before + w_,
                         PolygonEdges(static_cast<const P64 *>(nullptr), 0)});
    return;
  }
  P64 corners[4];
  i64 lo, hi;
  slanted_body(p, q, w_, corners, lo, hi);
  segments_.push_back({lo, hi, false, 0, 0, PolygonEdges(corners, 4)});
}

void WideStroke::dot_row(const DotRun &d, i64 y, SpanGather &w) const {
  const i64 before = w_ / 2;
  if (dot_inset_.empty()) {
    // Single points: the dot in closed form.
    i64 x0, x1;
    if (pen_dot_row(d.x0, d.y0, w_, y, x0, x1)) w.add(x0, x1 + 1);
    return;
  }
  // The dot rows of the run's points that fall on this row: dot row k of the point in row y0 + j
  // when k = c - j.
  const i64 c = y - (d.y0 - before);
  const i64 k_lo = std::max<i64>(0, y - (d.y1 - before)), k_hi = std::min(w_ - 1, c);
  if (k_lo > k_hi) return;
  if (d.slope != 0) {
    // The point c - k rows down sits slope * (c - k) columns across: its row spans
    // [x0 + slope (c - k) - before + inset(k), x0 + slope (c - k) - before + w - inset(k)).
    const i64 minus = least(0, k_lo, k_hi), plus = least(1, k_lo, k_hi);  // inset - k, inset + k
    const i64 base = d.x0 - before;
    if (d.slope > 0) {
      w.add(base + c + minus, base + w_ + c - plus);
    } else {
      w.add(base - c + plus, base + w_ - c - minus);
    }
    return;
  }
  // A row or a column: the widest dot row is the one nearest the middle row.
  const i64 k = std::clamp((w_ - 1) / 2, k_lo, k_hi);
  const i64 inset = dot_inset_[static_cast<size_t>(k)];
  w.add(d.x0 - before + inset, d.x1 - before + w_ - inset);
}

void WideStroke::make_diagonal_tables() {
  const size_t n = static_cast<size_t>(w_);
  const size_t levels = static_cast<size_t>(std::bit_width(n));
  for (int t = 0; t < 2; ++t) {
    std::vector<i64> &table = least_[t];
    table.assign(levels * n, 0);
    for (size_t k = 0; k < n; ++k) {
      const i64 in = dot_inset_[k], kk = static_cast<i64>(k);
      table[k] = t == 0 ? in - kk : in + kk;
    }
    for (size_t level = 1; level < levels; ++level) {
      const size_t span = size_t{1} << level;
      const i64 *below = table.data() + (level - 1) * n;
      i64 *row = table.data() + level * n;
      for (size_t k = 0; k + span <= n; ++k) row[k] = std::min(below[k], below[k + span / 2]);
    }
  }
}

i64 WideStroke::least(int table, i64 lo, i64 hi) const {
  const size_t level = static_cast<size_t>(std::bit_width(static_cast<uint64_t>(hi - lo + 1))) - 1;
  const i64 *row = least_[table].data() + level * static_cast<size_t>(w_);
  return std::min(row[lo], row[hi - (i64{1} << level) + 1]);
}

void WideStroke::add_row(i64 y, RowWriter &w) {
  const i64 before = w_ / 2;
  if (y < last_row_) dot_start_ = segment_start_ = stamped_start_ = 0;  // asked out of order: look at everything
  last_row_ = y;
  // Leading parts that end above this row are done with.
  while (dot_start_ < dots_.size() && dots_[dot_start_].y1 - before + w_ - 1 < y) ++dot_start_;
  while (segment_start_ < segments_.size() && segments_[segment_start_].row_hi < y) ++segment_start_;
  while (stamped_start_ < stamped_.size() && stamped_[stamped_start_].row_hi < y) ++stamped_start_;
  SpanGather gather(w);
  for (size_t i = dot_start_; i < dots_.size(); ++i) {
    const DotRun &d = dots_[i];
    if (d.y0 - before > y) break;  // this run and all later ones start below the row
    dot_row(d, y, gather);
  }
  for (size_t i = stamped_start_; i < stamped_.size(); ++i) {
    const StampUse &u = stamped_[i];
    if (u.row_lo > y) break;
    if (u.row_hi < y) continue;
    const Stamp &s = stamps_[u.stamp];
    const std::pair<i64, i64> &span = s.spans[static_cast<size_t>(y - u.y - s.lo)];
    if (span.first < span.second) gather.add(u.x + span.first, u.x + span.second);
  }
  for (size_t i = segment_start_; i < segments_.size(); ++i) {
    Segment &s = segments_[i];
    if (s.row_lo > y) break;
    if (s.row_hi < y) continue;
    if (s.box) {
      w.add(RowWriter::Outline, s.x0, s.x1);
    } else {
      s.quad.add_row(y, ALTERNATE, w, RowWriter::Outline);
    }
  }
}

}  // namespace winport::gdi

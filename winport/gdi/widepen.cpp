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
// Every piece is answered per surface row, and only rows that the stroke reaches on the surface
// are asked for. Geometry is in 64-bit integers, so points near +-2^31 and the widest pen stay
// exact; the only floating-point step is the slanted segment's half-widths.
#include <algorithm>
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

WideStroke::WideStroke(const POINT *pts, int n, bool closed, i64 w, const Window &keep) : w_(w) {
  const std::vector<P64> p = widen(pts, n);
  build(p.data(), n, closed, keep);
}

WideStroke::WideStroke(const P64 *pts, int n, bool closed, i64 w, const Window &keep) : w_(w) {
  build(pts, n, closed, keep);
}

void WideStroke::build(const P64 *pts, int n, bool closed, const Window &keep) {
  if (n <= 0) return;
  const i64 before = w_ / 2;
  i64 top = pts[0].y, bottom = pts[0].y;
  for (int i = 0; i < n; ++i) {
    top = std::min(top, pts[i].y);
    bottom = std::max(bottom, pts[i].y);
    // Repeated points would only paint the same dot again; dots outside the window are never
    // asked for.
    if (i > 0 && pts[i].x == pts[i - 1].x && pts[i].y == pts[i - 1].y) continue;
    const i64 x0 = pts[i].x - before, y0 = pts[i].y - before;
    if (y0 > keep.bottom || y0 + w_ - 1 < keep.top || x0 > keep.right || x0 + w_ - 1 < keep.left) continue;
    dots_.push_back(pts[i]);
  }
  // A dot reaches w/2 above its point and (w+1)/2 - 1 below; a segment's body no further.
  top_ = top - before;
  bottom_ = bottom + (w_ + 1) / 2;
  const int count = closed && n > 2 ? n : n - 1;
  for (int i = 0; i < count; ++i) add_segment(pts[i], pts[(i + 1) % n], keep);
  // In row order, so that a row need only look at the parts near it.
  std::sort(dots_.begin(), dots_.end(), [](const P64 &a, const P64 &b) { return a.y < b.y; });
  std::sort(segments_.begin(), segments_.end(),
            [](const Segment &a, const Segment &b) { return a.row_lo < b.row_lo; });
  if (w_ <= kTracedLimit) traced_ellipse_insets(w_, w_, dot_inset_);
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
  // The pen's extent across the segment, split into its x and y parts.
  const double len = std::hypot(static_cast<double>(dx), static_cast<double>(dy));
  const double width_x = static_cast<double>(w_) * static_cast<double>(std::llabs(dy)) / len;
  const double width_y = static_cast<double>(w_) * static_cast<double>(std::llabs(dx)) / len;
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
  const P64 corners[4] = {{p.x - narrow.x, p.y + narrow.y},
                          {p.x + wide.x, p.y - wide.y},
                          {q.x + wide.x, q.y - wide.y},
                          {q.x - narrow.x, q.y + narrow.y}};
  i64 lo = corners[0].y, hi = corners[0].y;
  for (const P64 &c : corners) {
    lo = std::min(lo, c.y);
    hi = std::max(hi, c.y);
  }
  segments_.push_back({lo, hi, false, 0, 0, PolygonEdges(corners, 4)});
}

void WideStroke::add_row(i64 y, RowWriter &w) {
  const i64 before = w_ / 2;
  if (y < last_row_) dot_start_ = segment_start_ = 0;  // asked out of order: look at everything
  last_row_ = y;
  // Leading parts that end above this row are done with.
  while (dot_start_ < dots_.size() && dots_[dot_start_].y - before + w_ - 1 < y) ++dot_start_;
  while (segment_start_ < segments_.size() && segments_[segment_start_].row_hi < y) ++segment_start_;
  for (size_t i = dot_start_; i < dots_.size(); ++i) {
    const P64 &d = dots_[i];
    const i64 k = y - (d.y - before);
    if (k < 0) break;  // this dot and all later ones start below the row
    if (k >= w_) continue;
    if (!dot_inset_.empty()) {
      const i64 inset = dot_inset_[static_cast<size_t>(k)];
      w.add(RowWriter::Outline, d.x - before + inset, d.x - before + w_ - inset);
    } else {
      i64 x0, x1;
      if (pen_dot_row(d.x, d.y, w_, y, x0, x1)) w.add(RowWriter::Outline, x0, x1 + 1);
    }
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

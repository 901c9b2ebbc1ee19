// thinpen.cpp — strokes of thin wide pens (2 to kThinPenLimit pixels) along straight segments.
//
// The pieces are those of WideStroke (widepen.cpp): a round dot on every point, a box for every
// horizontal or vertical segment and a quadrilateral for every slanted one. A thin pen's pieces
// are a few pixels across, and a polyline of straight segments has few of them, so gathering each
// row's spans and merging them costs more than the pixels do: here every piece writes its own
// spans at once. Pieces overlap a little, all in the pen's colour, so the union is the same.
#include <algorithm>

#include "gdi/raster.h"

namespace winport::gdi {
namespace {

// Up to four edges of a piece's quadrilateral, answering its inside runs row by row from the top
// (ALTERNATE, as the wide stroke fills its quadrilaterals).
class Quad {
 public:
  explicit Quad(const P64 c[4]) {
    for (int i = 0; i < 4; ++i) {
      const P64 &a = c[i], &b = c[(i + 1) % 4];
      if (a.y == b.y) continue;
      const bool down = b.y > a.y;
      const P64 &upper = down ? a : b, &lower = down ? b : a;
      edges_[n_++] = {upper.x, upper.y, lower.y, lower.x - upper.x, false, {}};
    }
  }
  // The runs of row y, rows asked for in increasing order.
  void fill_row(Surface &s, i64 y, uint32_t pixel) {
    i64 xs[4];
    int count = 0;
    for (int i = 0; i < n_; ++i) {
      Edge &e = edges_[i];
      if (y < e.y_top || y >= e.y_bottom) continue;
      if (!e.started) {
        e.step.start(-static_cast<i128>(y - e.y_top) * e.dx, e.y_bottom - e.y_top, -e.dx);
        e.started = true;
      }
      xs[count++] = e.x_top - e.step.value;
      e.step.forward();
    }
    for (int i = 1; i < count; ++i) {  // at most four: insertion sort
      const i64 x = xs[i];
      int j = i;
      for (; j > 0 && xs[j - 1] > x; --j) xs[j] = xs[j - 1];
      xs[j] = x;
    }
    for (int i = 0; i + 1 < count; i += 2) fill_span(s, y, xs[i], xs[i + 1], pixel);
  }

 private:
  struct Edge {
    i64 x_top, y_top, y_bottom, dx;
    bool started;
    Stepper step;  // floor(-(y - y_top) * dx / (y_bottom - y_top))
  };
  Edge edges_[4];
  int n_ = 0;
};

void segment_body(Surface &s, const P64 &p, const P64 &q, i64 w, uint32_t pixel) {
  const i64 before = w / 2;
  if (p.y == q.y) {
    const RowRange rows = visible_rows(s, p.y - before, p.y - before + w - 1);
    for (i64 y = rows.first; y <= rows.last; ++y) fill_span(s, y, std::min(p.x, q.x), std::max(p.x, q.x), pixel);
    return;
  }
  if (p.x == q.x) {
    // Rows from the upper end up to the lower one, exclusive; the dots cover the ends.
    const RowRange rows = visible_rows(s, std::min(p.y, q.y), std::max(p.y, q.y) - 1);
    for (i64 y = rows.first; y <= rows.last; ++y) fill_span(s, y, p.x - before, p.x - before + w, pixel);
    return;
  }
  P64 corners[4];
  i64 lo, hi;
  slanted_body(p, q, w, corners, lo, hi);
  Quad quad(corners);
  const RowRange rows = visible_rows(s, lo, hi);
  for (i64 y = rows.first; y <= rows.last; ++y) quad.fill_row(s, y, pixel);
}

}  // namespace

void thin_stroke(Surface &s, const P64 *pts, int n, bool closed, i64 w, uint32_t pixel) {
  if (n <= 0) return;
  // The dot: the traced w x w ellipse, its row k covering columns inset[k] .. w - inset[k] - 1.
  i64 inset[kThinPenLimit];
  thread_local std::vector<i64> traced;
  traced_ellipse_insets(w, w, traced);
  std::copy_n(traced.begin(), w, inset);
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

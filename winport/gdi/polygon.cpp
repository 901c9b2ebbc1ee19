// polygon.cpp — the interior of a polygon on one row, in ALTERNATE or WINDING mode.
//
// A pixel is inside when its centre is: every edge that spans the row (its upper end included,
// its lower end not) crosses it at an exact rational column, and the pixels from the first column
// at or right of one crossing up to but not including the next are filled. So left and top edges
// belong to the polygon and right and bottom edges do not, as with GDI's polygon regions; the
// outline pen, when there is one, covers the boundary.
#include <algorithm>
#include <vector>

#include "gdi/raster.h"

namespace winport::gdi {

template <typename Point>
void PolygonEdges::add_edges(const Point *pts, int n) {
  edges_.reserve(static_cast<size_t>(n > 0 ? n : 0));
  crossings_.reserve(static_cast<size_t>(n > 0 ? n : 0));
  for (int i = 0; i < n; ++i) {
    const Point &a = pts[i], &b = pts[i + 1 == n ? 0 : i + 1];
    if (a.y == b.y) continue;
    const bool down = b.y > a.y;
    const Point &upper = down ? a : b, &lower = down ? b : a;
    edges_.push_back({upper.x, upper.y, lower.y, i64{lower.x} - upper.x, down ? 1 : -1, false, 0, {}});
  }
}

PolygonEdges::PolygonEdges(const POINT *pts, int n) { add_edges(pts, n); }
PolygonEdges::PolygonEdges(const P64 *pts, int n) { add_edges(pts, n); }

bool PolygonEdges::span(i64 y, i64 &x0, i64 &x1) {
  cross(y);
  x0 = x1 = 0;
  if (crossings_.size() != 2) return crossings_.empty();
  x0 = std::min(crossings_[0].x, crossings_[1].x);
  x1 = std::max(crossings_[0].x, crossings_[1].x);
  return true;
}

void PolygonEdges::cross(i64 y) {
  std::vector<Crossing> &crossings = crossings_;
  crossings.clear();
  for (Edge &e : edges_) {
    if (y < e.y_top || y >= e.y_bottom) continue;
    // Crossing at x_top + (y - y_top) * dx / (y_bottom - y_top); its ceiling is
    // x_top - floor(-(y - y_top) * dx / (y_bottom - y_top)).
    if (!e.started || e.next_y != y) {
      e.step.start(-static_cast<i128>(y - e.y_top) * e.dx, e.y_bottom - e.y_top, -e.dx);
      e.started = true;
    }
    crossings.push_back({e.x_top - e.step.value, e.direction});
    e.step.forward();
    e.next_y = y + 1;
  }
}

void PolygonEdges::add_row(i64 y, int fill_mode, RowWriter &w, RowWriter::Layer layer) {
  cross(y);
  std::vector<Crossing> &crossings = crossings_;
  if (crossings.size() == 2) {
    // The common case (every row of a convex polygon): one span, whatever the fill mode.
    const i64 a = crossings[0].x, b = crossings[1].x;
    w.add(layer, std::min(a, b), std::max(a, b));
    return;
  }
  // Few crossings per row: insertion sort.
  for (size_t i = 1; i < crossings.size(); ++i) {
    Crossing c = crossings[i];
    size_t j = i;
    for (; j > 0 && crossings[j - 1].x > c.x; --j) crossings[j] = crossings[j - 1];
    crossings[j] = c;
  }
  if (fill_mode == WINDING) {
    int winding = 0;
    for (size_t i = 0; i + 1 < crossings.size(); ++i) {
      winding += crossings[i].direction;
      if (winding != 0) w.add(layer, crossings[i].x, crossings[i + 1].x);
    }
  } else {
    for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
      w.add(layer, crossings[i].x, crossings[i + 1].x);
    }
  }
}

}  // namespace winport::gdi

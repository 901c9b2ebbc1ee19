// polygon.cpp — the interior of a polygon, as spans, in ALTERNATE or WINDING mode.
//
// A pixel is inside when its centre is: on each row, every edge that spans the row (its upper end
// included, its lower end not) crosses it at an exact rational column, and the pixels from the
// first column at or right of one crossing up to but not including the next are filled. So left
// and top edges belong to the polygon and right and bottom edges do not, as with GDI's polygon
// regions; the outline pen, when there is one, covers the boundary.
#include <algorithm>
#include <vector>

#include "gdi/raster.h"

namespace winport::gdi {

void polygon_interior(SpanCollector &c, const Surface &s, const POINT *pts, int n, int fill_mode) {
  if (n < 3) return;
  i64 top = pts[0].y, bottom = pts[0].y;
  for (int i = 1; i < n; ++i) {
    top = std::min<i64>(top, pts[i].y);
    bottom = std::max<i64>(bottom, pts[i].y);
  }
  const RowRange rows = visible_rows(s, top, bottom - 1);

  struct Crossing {
    i64 x;  // first pixel column at or right of the crossing
    int direction;
  };
  std::vector<Crossing> crossings;
  crossings.reserve(static_cast<size_t>(n));
  for (i64 y = rows.first; y <= rows.last; ++y) {
    crossings.clear();
    for (int i = 0; i < n; ++i) {
      const POINT &a = pts[i], &b = pts[(i + 1) % n];
      if (a.y == b.y) continue;
      const bool down = b.y > a.y;
      const i64 y0 = down ? a.y : b.y, y1 = down ? b.y : a.y;
      if (y < y0 || y >= y1) continue;
      const POINT &upper = down ? a : b, &lower = down ? b : a;
      // Crossing at upper.x + (y - upper.y) * (lower.x - upper.x) / (lower.y - upper.y).
      const i128 offset = static_cast<i128>(y - upper.y) * (i64{lower.x} - upper.x);
      const i64 x = upper.x + static_cast<i64>(ceil_div(offset, i128{lower.y} - upper.y));
      crossings.push_back({x, down ? 1 : -1});
    }
    std::sort(crossings.begin(), crossings.end(),
              [](const Crossing &p, const Crossing &q) { return p.x < q.x; });
    if (fill_mode == WINDING) {
      int winding = 0;
      for (size_t i = 0; i + 1 < crossings.size(); ++i) {
        winding += crossings[i].direction;
        if (winding != 0) c.add(SpanCollector::Interior, y, crossings[i].x, crossings[i + 1].x);
      }
    } else {
      for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
        c.add(SpanCollector::Interior, y, crossings[i].x, crossings[i + 1].x);
      }
    }
  }
}

}  // namespace winport::gdi

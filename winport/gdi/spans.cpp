// spans.cpp — collecting a shape's spans and writing them once per pixel.
//
// Shapes made of several parts add their spans here in any order. write() sorts them by row
// (a counting sort over the rows the shape touched), merges each row's outline spans, cuts them
// out of the interior spans and hands both to the one span writer.
#include <algorithm>
#include <cmath>

#include "gdi/raster.h"

namespace winport::gdi {

u128 isqrt(u128 v) {
  if (v == 0) return 0;
  // A floating-point estimate, then exact correction in integers.
  u128 r = static_cast<u128>(std::sqrt(static_cast<long double>(v)));
  while (r > 0 && (r > (~u128{0}) / r || r * r > v)) --r;
  while ((r + 1) <= (~u128{0}) / (r + 1) && (r + 1) * (r + 1) <= v) ++r;
  return r;
}

i64 pen_kind_width(const Pen *pen) {
  if (!pen || pen->style == PS_NULL) return 0;
  if (pen->width <= 1) return 1;
  return std::min<i64>(pen->width, kMaxPenWidth);
}

void SpanCollector::add(Layer layer, i64 y, i64 x0, i64 x1) {
  if (y < 0 || y >= height_) return;
  if (x0 < 0) x0 = 0;
  if (x1 > width_) x1 = width_;
  if (x0 >= x1) return;
  entries_.push_back({static_cast<int>(y), static_cast<int>(x0), static_cast<int>(x1), layer});
}

namespace {

struct Run {
  int x0;
  int x1;
};

// Sort by start and merge overlapping or touching runs, in place.
void normalise(std::vector<Run> &runs) {
  std::sort(runs.begin(), runs.end(), [](const Run &a, const Run &b) { return a.x0 < b.x0; });
  size_t out = 0;
  for (const Run &r : runs) {
    if (out > 0 && r.x0 <= runs[out - 1].x1) {
      runs[out - 1].x1 = std::max(runs[out - 1].x1, r.x1);
    } else {
      runs[out++] = r;
    }
  }
  runs.resize(out);
}

}  // namespace

void SpanCollector::write(Surface &s, const uint32_t *outline_pixel, const uint32_t *interior_pixel) {
  if (entries_.empty()) return;
  int ymin = entries_.front().y, ymax = ymin;
  for (const Entry &e : entries_) {
    ymin = std::min(ymin, e.y);
    ymax = std::max(ymax, e.y);
  }
  // Counting sort by row.
  std::vector<int> start(static_cast<size_t>(ymax - ymin) + 2, 0);
  for (const Entry &e : entries_) ++start[static_cast<size_t>(e.y - ymin) + 1];
  for (size_t i = 1; i < start.size(); ++i) start[i] += start[i - 1];
  std::vector<Entry> sorted(entries_.size());
  {
    std::vector<int> next(start.begin(), start.end() - 1);
    for (const Entry &e : entries_) sorted[static_cast<size_t>(next[static_cast<size_t>(e.y - ymin)]++)] = e;
  }

  std::vector<Run> outline, interior;
  for (int y = ymin; y <= ymax; ++y) {
    outline.clear();
    interior.clear();
    for (int i = start[static_cast<size_t>(y - ymin)]; i < start[static_cast<size_t>(y - ymin) + 1]; ++i) {
      const Entry &e = sorted[static_cast<size_t>(i)];
      (e.layer == Outline ? outline : interior).push_back({e.x0, e.x1});
    }
    normalise(outline);
    if (interior_pixel && !interior.empty()) {
      normalise(interior);
      // Interior minus outline: walk both sorted lists.
      size_t k = 0;
      for (const Run &r : interior) {
        int x = r.x0;
        while (k < outline.size() && outline[k].x1 <= x) ++k;
        size_t j = k;
        while (x < r.x1) {
          if (j < outline.size() && outline[j].x0 < r.x1) {
            if (outline[j].x0 > x) fill_span(s, y, x, outline[j].x0, *interior_pixel);
            x = std::max(x, outline[j].x1);
            ++j;
          } else {
            fill_span(s, y, x, r.x1, *interior_pixel);
            x = r.x1;
          }
        }
      }
    }
    if (outline_pixel) {
      for (const Run &r : outline) fill_span(s, y, r.x0, r.x1, *outline_pixel);
    }
  }
  entries_.clear();
}

}  // namespace winport::gdi

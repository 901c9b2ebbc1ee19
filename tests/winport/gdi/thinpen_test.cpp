// Thin wide pens (2 to 4 pixels) write their pieces straight away; the pixels must be exactly those
// of the general wide stroke, which gathers each row's spans first.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "gdi/raster.h"

using namespace winport::gdi;

namespace {

constexpr uint32_t kInk = 0xFF0000;

winport::Surface general(const std::vector<P64> &pts, bool closed, i64 w) {
  winport::Surface s(48, 40, 0xFFFFFF);
  WideStroke stroke(pts.data(), static_cast<int>(pts.size()), closed, w);
  RowWriter row(s, &kInk, nullptr);
  const RowRange rows = visible_rows(s, stroke.top(), stroke.bottom());
  for (i64 y = rows.first; y <= rows.last; ++y) {
    stroke.add_row(y, row);
    row.write(y);
  }
  return s;
}

winport::Surface thin(const std::vector<P64> &pts, bool closed, i64 w) {
  winport::Surface s(48, 40, 0xFFFFFF);
  thin_stroke(s, pts.data(), static_cast<int>(pts.size()), closed, w, kInk);
  return s;
}

}  // namespace

// Random polylines over and past the surface's edges: long and unit steps, slants of every
// direction, repeated points, open and closed, two to six points.
TEST(ThinPen, StrokesTheSamePixelsAsTheGeneralWideStroke) {
  std::mt19937 random(12);
  std::uniform_int_distribution<int> coordinate(-6, 52), count(2, 6), step(-1, 1), kind(0, 3);
  for (int trial = 0; trial < 1500; ++trial) {
    std::vector<P64> pts;
    const int n = count(random);
    for (int i = 0; i < n; ++i) {
      if (i > 0 && kind(random) == 0) {
        pts.push_back({pts.back().x + step(random), pts.back().y + step(random)});
      } else {
        pts.push_back({coordinate(random), coordinate(random)});
      }
    }
    for (i64 w = 2; w <= kThinPenLimit; ++w) {
      for (bool closed : {false, true}) {
        const winport::Surface want = general(pts, closed, w), got = thin(pts, closed, w);
        ASSERT_EQ(got.pixels, want.pixels) << "trial " << trial << ", width " << w << (closed ? ", closed" : "");
      }
    }
  }
}

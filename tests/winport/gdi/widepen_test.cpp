// Geometric PS_SOLID pens of width 2 to 6: centred on the outline, round caps and joins.
#include <gtest/gtest.h>
#include <windows.h>

#include "canvas.h"

using namespace gdi_test;

namespace {

// Across an edge at pixel e, a pen of width w covers e - floor(w/2) .. e + ceil(w/2) - 1.
int first(int e, int w) { return e - w / 2; }
int last(int e, int w) { return e + (w + 1) / 2 - 1; }

// The painted pixels of row y (or column x) must be exactly the listed inclusive ranges.
void expect_row(const Canvas &c, int y, std::vector<std::pair<int, int>> ranges) {
  std::string want(static_cast<size_t>(c.width()), '.');
  for (auto [a, b] : ranges)
    for (int x = a; x <= b; ++x) want[static_cast<size_t>(x)] = '#';
  EXPECT_EQ(c.row(y), want) << "row " << y;
}
void expect_column(const Canvas &c, int x, std::vector<std::pair<int, int>> ranges) {
  for (int y = 0; y < c.height(); ++y) {
    bool want = false;
    for (auto [a, b] : ranges) want = want || (y >= a && y <= b);
    EXPECT_EQ(!c.is(x, y, kWhite), want) << "column " << x << " row " << y;
  }
}

}  // namespace

TEST(WidePen, RectangleOutlineIsCentredOnTheInclusiveBox) {
  Canvas c(64, 56);
  for (int w = 2; w <= 6; ++w) {
    SCOPED_TRACE(w);
    c.clear();
    c.use(w, kRed);
    Rectangle(c.dc(), 20, 16, 45, 40);  // edges at columns 20 and 44, rows 16 and 39
    expect_row(c, 28, {{first(20, w), last(20, w)}, {first(44, w), last(44, w)}});
    expect_column(c, 32, {{first(16, w), last(16, w)}, {first(39, w), last(39, w)}});
    // Width 2 keeps square corners; from 3 on the joins round them.
    EXPECT_EQ(c.is(first(20, w), first(16, w), kRed), w == 2);
    EXPECT_EQ(c.is(last(44, w), last(39, w), kRed), w == 2);
    EXPECT_TRUE(c.is(20, 16, kRed));

    // The brush fills exactly what lies inside the pen.
    c.clear();
    c.use(w, kRed, true, kBlue);
    Rectangle(c.dc(), 20, 16, 45, 40);
    RECT inside = bounds(c.pixels(kBlue));
    EXPECT_EQ(inside.left, last(20, w) + 1);
    EXPECT_EQ(inside.right, first(44, w) - 1);
    EXPECT_EQ(inside.top, last(16, w) + 1);
    EXPECT_EQ(inside.bottom, first(39, w) - 1);
    EXPECT_EQ(c.pixels(kBlue).size(),
              static_cast<size_t>((inside.right - inside.left + 1) * (inside.bottom - inside.top + 1)));
  }
}

TEST(WidePen, EllipseOutlineIsCentredAndLeavesTheInsideAlone) {
  Canvas c(64, 60);
  for (int w = 2; w <= 6; ++w) {
    SCOPED_TRACE(w);
    c.clear();
    c.use(w, kRed);
    Ellipse(c.dc(), 10, 12, 51, 45);  // inclusive box 10..50 x 12..44, centre row 28
    expect_row(c, 28, {{first(10, w), last(10, w)}, {first(50, w), last(50, w)}});
    expect_column(c, 30, {{first(12, w), last(12, w)}, {first(44, w), last(44, w)}});
    // A ring: thick everywhere, closed, with nothing painted inside.
    Pixels ring = c.painted();
    for (auto [x, y] : ring) EXPECT_TRUE(ring.count({x + 1, y}) || ring.count({x - 1, y}));
    c.clear();
    c.use(w, kRed, true, kBlue);
    Ellipse(c.dc(), 10, 12, 51, 45);
    EXPECT_EQ(c.pixels(kRed), ring);
    EXPECT_TRUE(c.is(30, 28, kBlue));
  }
}

TEST(WidePen, TriangleOutlineCoversVerticesAndCentresOnEdges) {
  Canvas c(64, 64);
  const POINT tri[3] = {{10, 50}, {54, 50}, {32, 10}};
  for (int w = 2; w <= 6; ++w) {
    SCOPED_TRACE(w);
    c.clear();
    c.use(w, kRed);
    Polygon(c.dc(), tri, 3);
    for (const POINT &p : tri) EXPECT_TRUE(c.is(p.x, p.y, kRed));
    // Across the bottom edge (row 50) the pen has its width; inside stays untouched.
    for (int y = 25; y < 64; ++y)
      EXPECT_EQ(c.is(32, y, kRed), y >= first(50, w) && y <= last(50, w)) << "row " << y;
    // Across the sloping edges too: the run through a middle row is about w / cos(angle) wide.
    std::string row = c.row(30);
    size_t left = row.find('#'), gap = row.find('.', left);
    EXPECT_GE(gap - left, static_cast<size_t>(w));
    EXPECT_LE(gap - left, static_cast<size_t>(w + 2));
    c.use(w, kRed, true, kBlue);
    Polygon(c.dc(), tri, 3);
    EXPECT_TRUE(c.is(32, 37, kBlue));
  }
}

TEST(WidePen, LinesHaveRoundCapsAndTheSamePixelsBothWays) {
  Canvas c(64, 64);
  for (int w = 2; w <= 6; ++w) {
    SCOPED_TRACE(w);
    c.use(w, kRed);
    // Horizontal: the width across, the caps beyond both end points along the row.
    c.clear();
    c.line(20, 30, 40, 30);
    expect_row(c, 30, {{first(20, w), last(40, w)}});
    expect_column(c, 30, {{first(30, w), last(30, w)}});
    // Every direction: both ends covered, and drawing backwards covers the same pixels.
    for (int i = 0; i < 16; ++i) {
      const int ends[16][2] = {{20, 0}, {20, 7}, {20, 20}, {7, 20}, {0, 20}, {-7, 20}, {-20, 20}, {-20, 7},
                               {-20, 0}, {-20, -7}, {-20, -20}, {-7, -20}, {0, -20}, {7, -20}, {20, -20}, {20, -7}};
      const int bx = 32 + ends[i][0], by = 32 + ends[i][1];
      c.clear();
      c.line(32, 32, bx, by);
      Pixels forward = c.painted();
      EXPECT_TRUE(forward.count({32, 32}) && forward.count({bx, by}));
      c.clear();
      c.line(bx, by, 32, 32);
      EXPECT_EQ(c.painted(), forward) << "direction " << i;
    }
  }
}

TEST(WidePen, ZeroLengthLineIsARoundDot) {
  Canvas c(32, 32);
  c.use(3, kRed);
  c.line(10, 10, 10, 10);
  EXPECT_EQ(c.painted(), (Pixels{{10, 9}, {9, 10}, {10, 10}, {11, 10}, {10, 11}}));
  for (int w = 2; w <= 9; ++w) {
    SCOPED_TRACE(w);
    c.clear();
    c.use(w, kRed);
    c.line(16, 16, 16, 16);
    Pixels dot = c.painted();
    // The dot is the filled ellipse in the w x w box the pen covers around the point.
    c.clear();
    c.use(0, kRed, true, kRed);
    Ellipse(c.dc(), first(16, w), first(16, w), last(16, w) + 1, last(16, w) + 1);
    EXPECT_EQ(dot, c.painted());
  }
}

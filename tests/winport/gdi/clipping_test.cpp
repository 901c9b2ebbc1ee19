// Shapes that reach past the surface: clipped at every edge, exact out to +-(2^31 - 1), and
// finishing at once however far they reach.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>

#include "canvas.h"

using namespace gdi_test;

namespace {

// The canvas mirrored left to right.
Pixels mirrored(const Pixels &p, int width) {
  Pixels out;
  for (auto [x, y] : p) out.insert({width - 1 - x, y});
  return out;
}

}  // namespace

TEST(Clipping, ShapesOverEachEdgeKeepTheirVisiblePart) {
  Canvas c(40, 30);
  c.use(0, kRed, true, kRed);
  Rectangle(c.dc(), -5, -7, 10, 12);  // over the left and top edges
  EXPECT_EQ(c.painted().size(), 10u * 12u);
  c.clear();
  Rectangle(c.dc(), 30, 20, 50, 45);  // over the right and bottom edges
  EXPECT_EQ(c.painted().size(), 10u * 10u);

  // An ellipse over the left edge is the mirror image of its twin over the right edge. (Only for
  // the cosmetic pen: a wide pen rounds its half-widths by the direction of each step, so even
  // odd widths are not quite symmetric.)
  for (int w : {0, 1}) {
    c.use(w, kRed, w == 0, kRed);
    c.clear();
    Ellipse(c.dc(), -13, 3, 17, 27);
    Pixels left = c.painted();
    c.clear();
    Ellipse(c.dc(), 40 - 17, 3, 40 + 13, 27);
    EXPECT_EQ(mirrored(c.painted(), 40), left) << "pen " << w;
    EXPECT_FALSE(left.empty());
  }
}

TEST(Clipping, ExtremeCoordinatesDrawExactly) {
  Canvas c(40, 30);
  // A box from -2^31 to 2^31 - 1: its outline lies far outside, its brush covers everything.
  c.use(1, kRed, true, kBlue);
  Rectangle(c.dc(), INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  EXPECT_EQ(c.pixels(kBlue).size(), 40u * 30u);
  c.clear();
  Ellipse(c.dc(), INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  EXPECT_EQ(c.pixels(kBlue).size(), 40u * 30u);

  // The diagonal through the whole coordinate range passes through every (i, i).
  c.use(1, kRed);
  c.clear();
  c.line(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  Pixels diagonal = c.painted();
  EXPECT_EQ(diagonal.size(), 30u);
  for (int i = 0; i < 30; ++i) EXPECT_TRUE(diagonal.count({i, i}));

  // A line 2^32 pixels long that climbs 4 pixels: its visible part is where exact rounding puts it.
  c.clear();
  c.line(INT_MIN, 0, INT_MAX, 4);
  const __int128 run = static_cast<__int128>(INT_MAX) - INT_MIN;
  for (int x = 0; x < 40; ++x) {
    const __int128 k = static_cast<__int128>(x) - INT_MIN;
    const int y = static_cast<int>((2 * k * 4 + run - 1) / (2 * run));  // ties to the smaller y
    EXPECT_TRUE(c.is(x, y, kRed)) << x;
  }
  EXPECT_EQ(c.painted().size(), 40u);

  // The ellipse's mirror symmetry holds at the far ends of the range as well.
  c.use(0, kRed, true, kRed);
  c.clear();
  Ellipse(c.dc(), -2147483606, -1000000, 20, 1000030);
  Pixels edge = c.painted();
  EXPECT_FALSE(edge.empty());
  c.clear();
  Ellipse(c.dc(), 20, -1000000, 2147483646, 1000030);
  EXPECT_EQ(mirrored(c.painted(), 40), edge);
}

TEST(Clipping, AFarEndPointDoesNotMoveTheVisiblePart) {
  // Lines and triangles along the same directions, once ending nearby and once a billion pixels
  // away (where the arithmetic needs more than 64 bits), look the same on the surface.
  Canvas c(40, 30);
  const int directions[][2] = {{3, 1}, {-2, 5}, {7, -3}, {-1, -1}, {1, 0}, {0, -1}, {5, 4}};
  for (int w : {1, 2, 3, 6}) {
    for (const auto &d : directions) {
      SCOPED_TRACE(testing::Message() << "width " << w << " direction " << d[0] << "," << d[1]);
      const int ax = 20, ay = 15;
      c.use(w, kRed);
      c.clear();
      c.line(ax, ay, ax + 40 * d[0], ay + 40 * d[1]);
      Pixels near_end = c.painted();
      c.clear();
      c.line(ax, ay, ax + 300000000 * d[0], ay + 300000000 * d[1]);
      EXPECT_EQ(c.painted(), near_end);

      // The far edge of the near triangle must stay off the surface too, with the pen's width.
      const POINT near_tri[3] = {{ax, ay}, {ax + 400 * d[0], ay + 400 * d[1]}, {ax + 400 * d[1], ay - 400 * d[0]}};
      const POINT far_tri[3] = {{ax, ay},
                                {ax + 300000000 * d[0], ay + 300000000 * d[1]},
                                {ax + 300000000 * d[1], ay - 300000000 * d[0]}};
      c.use(w, kRed, w == 1, kRed);  // width 1: filled in the outline's colour
      c.clear();
      Polygon(c.dc(), near_tri, 3);
      near_end = c.painted();
      c.clear();
      Polygon(c.dc(), far_tri, 3);
      EXPECT_EQ(c.painted(), near_end);
    }
  }
}

TEST(Clipping, PolygonOutlinesAtTheEndsOfTheRangeMatchTheirLines) {
  // Edges 2^32 pixels long that climb a pixel or two (near the surface or two billion rows away),
  // and steep ones from far above: the outline a polygon draws is exactly the lines LineTo draws
  // along its edges.
  Canvas c(40, 30);
  const POINT shapes[4][4] = {{{INT_MIN, 10}, {INT_MAX, 11}, {30, 25}, {5, 28}},
                             {{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN + 1}, {30, 25}, {5, 28}},
                             {{INT_MAX, 20}, {INT_MIN, 3}, {8, INT_MIN}, {35, 29}},
                             {{20, INT_MAX}, {21, INT_MIN}, {INT_MAX, 12}, {INT_MIN, 13}}};
  for (const auto &pts : shapes) {
    c.use(1, kRed);
    c.clear();
    Polygon(c.dc(), pts, 4);
    Pixels outline = c.painted();
    c.clear();
    for (int k = 0; k < 4; ++k) c.line(pts[k].x, pts[k].y, pts[(k + 1) % 4].x, pts[(k + 1) % 4].y);
    EXPECT_EQ(outline, c.painted());
    EXPECT_FALSE(outline.empty());
  }
}

TEST(Clipping, HugeShapesAndPensFinishAtOnce) {
  Canvas c(40, 30);
  // Each of these would take hours if the work followed the shape instead of the surface.
  const POINT far_triangle[3] = {{INT_MIN, INT_MAX}, {INT_MAX, INT_MAX}, {0, INT_MIN}};
  for (int w : {0, 1, 7, INT_MAX}) {
    c.use(w, kRed, true, kBlue);
    c.clear();
    Polygon(c.dc(), far_triangle, 3);
    EXPECT_EQ(c.painted().size(), 40u * 30u) << "pen " << w;
    Ellipse(c.dc(), INT_MIN, INT_MIN, INT_MAX, 15);
    Rectangle(c.dc(), INT_MIN, 5, INT_MAX, INT_MAX);
    c.line(INT_MIN, INT_MAX, INT_MAX, INT_MIN);
    c.line(INT_MAX, INT_MAX, INT_MAX, INT_MAX);
  }
  // A pen as wide as the coordinate range paints everything near its line.
  c.use(INT_MAX, kRed);
  c.clear();
  c.line(-1000, -1000, -1000, -1000);
  EXPECT_EQ(c.pixels(kRed).size(), 40u * 30u);
}

TEST(Clipping, AWideOutlineOfALargeEllipseDrawsTheSameOnAnySurface) {
  // Only the parts of the outline near the surface are kept; a taller or wider surface keeps
  // more of them, and the pixels both surfaces show must come out the same.
  Canvas small(40, 30), tall(40, 90), wide(100, 30);
  for (int w : {2, 5, 24}) {
    for (Canvas *c : {&small, &tall, &wide}) {
      c->use(w, kRed, true, kBlue);
      c->clear();
      Ellipse(c->dc(), -1500, 4, 1540, 2000);   // the top of the outline crosses the surface,
      Ellipse(c->dc(), 25, -400, 600, 24);      // the lower left of another one,
      Ellipse(c->dc(), -1500, 36, 1540, 3000);  // the top of a third one runs just below,
      Ellipse(c->dc(), 44, -500, 1000, 600);    // and the side of a fourth just to the right
    }
    int differ = 0;
    for (int y = 0; y < small.height(); ++y)
      for (int x = 0; x < small.width(); ++x) {
        differ += GetPixel(small.dc(), x, y) != GetPixel(tall.dc(), x, y);
        differ += GetPixel(small.dc(), x, y) != GetPixel(wide.dc(), x, y);
      }
    EXPECT_EQ(differ, 0) << "pen " << w;
    EXPECT_EQ(small.pixels(kRed).size() + small.pixels(kBlue).size(), small.painted().size());
    EXPECT_TRUE(small.is(20, 4, kRed));
    if (w < 24) {
      EXPECT_TRUE(small.is(20, 15, kBlue));
    }
  }
}

TEST(Clipping, LevelAndUprightLinesKeepTheirVisiblePart) {
  // Each from its start up to but not including its end, in either direction, cut at the edges.
  Canvas c(10, 8);
  c.use(1, kRed);
  c.line(-5, 3, 20, 3);
  EXPECT_EQ(c.row(3), "##########");
  c.clear();
  c.line(12, 2, 4, 2);  // leftwards: the end pixel (4) is left out
  EXPECT_EQ(c.row(2), ".....#####");
  c.clear();
  c.line(6, INT_MIN, 6, 5);  // downwards from far above: rows 0 .. 4
  EXPECT_EQ(c.pixels(kRed), (Pixels{{6, 0}, {6, 1}, {6, 2}, {6, 3}, {6, 4}}));
  c.clear();
  c.line(2, 7, 2, 5);  // upwards: rows 7 and 6
  EXPECT_EQ(c.pixels(kRed), (Pixels{{2, 6}, {2, 7}}));
  c.clear();
  c.line(-1, 0, -1, 8);  // beside the surface
  c.line(3, -1, 9, -1);  // above it
  EXPECT_TRUE(c.painted().empty());
}

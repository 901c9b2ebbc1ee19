// Pixel coverage of rectangles, ellipses, polygons and cosmetic lines, by counts and positions.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "canvas.h"

using namespace gdi_test;

TEST(FilledRectangle, CoversTheInclusiveBoxAfterThePlusOne) {
  Canvas c(64, 64);
  c.use(0, kRed, true, kRed);
  // The renderer's rectangle from (-10, 10) to (10, -10) around centre (32, 32).
  Rectangle(c.dc(), 22, 22, 43, 43);
  Pixels p = c.painted();
  EXPECT_EQ(p.size(), 21u * 21u);
  RECT b = bounds(p);
  EXPECT_EQ(b.left, 22);
  EXPECT_EQ(b.top, 22);
  EXPECT_EQ(b.right, 42);
  EXPECT_EQ(b.bottom, 42);

  // A 1 x 1 box colours its one pixel, and so does a 1 x 1 ellipse.
  c.clear();
  Rectangle(c.dc(), 5, 6, 6, 7);
  EXPECT_EQ(c.painted(), (Pixels{{5, 6}}));
  c.clear();
  Ellipse(c.dc(), 5, 6, 6, 7);
  EXPECT_EQ(c.painted(), (Pixels{{5, 6}}));

  // Corners given the other way round draw the same box; an empty box draws nothing.
  c.clear();
  Rectangle(c.dc(), 42, 42, 21, 21);
  EXPECT_EQ(c.painted().size(), 21u * 21u);
  c.clear();
  Rectangle(c.dc(), 10, 10, 10, 30);
  EXPECT_TRUE(c.painted().empty());
}

TEST(FilledRectangle, CosmeticOutlineSurroundsTheBrush) {
  Canvas c(32, 32);
  c.use(1, kRed, true, kBlue);
  Rectangle(c.dc(), 4, 4, 16, 12);  // 12 x 8
  EXPECT_EQ(c.pixels(kRed).size(), 2u * (12 + 8) - 4);
  EXPECT_EQ(c.pixels(kBlue).size(), 10u * 6u);
  EXPECT_TRUE(c.is(15, 11, kRed));
  EXPECT_TRUE(c.is(16, 12, kWhite));
}

TEST(FilledRectangle, NullPenFillsOnePixelLessRightAndBottom) {
  Canvas c(32, 32);
  c.use(-1, kRed, true, kBlue);
  Rectangle(c.dc(), 2, 3, 12, 10);
  EXPECT_EQ(c.pixels(kBlue).size(), 9u * 6u);
  EXPECT_EQ(bounds(c.painted()).right, 10);
  EXPECT_EQ(bounds(c.painted()).bottom, 8);
  // The console's way to blank its bottom strip: one pixel beyond the bottom reaches the edge.
  c.clear();
  Rectangle(c.dc(), 0, 32 - 5, 32, 32 + 1);
  EXPECT_EQ(c.pixels(kBlue).size(), 31u * 5u);
  EXPECT_TRUE(c.is(0, 31, kBlue));
}

TEST(FilledEllipse, FillsItsBoxTouchingAllFourSides) {
  Canvas c(64, 64);
  c.use(0, kRed, true, kRed);
  const int boxes[][4] = {{3, 4, 40, 20}, {10, 10, 12, 50}, {10, 10, 11, 30}, {5, 5, 60, 7}, {2, 2, 8, 9}};
  for (const auto &box : boxes) {
    c.clear();
    Ellipse(c.dc(), box[0], box[1], box[2], box[3]);
    Pixels p = c.painted();
    RECT b = bounds(p);
    EXPECT_EQ(b.left, box[0]);
    EXPECT_EQ(b.top, box[1]);
    EXPECT_EQ(b.right, box[2] - 1);
    EXPECT_EQ(b.bottom, box[3] - 1);
    // One or two pixels thin, the ellipse is its whole box.
    int w = box[2] - box[0], h = box[3] - box[1];
    if (w <= 2 || h <= 2) {
      EXPECT_EQ(p.size(), static_cast<size_t>(w * h));
    }
    // Mirror symmetric about the box's centre lines.
    for (auto [x, y] : p) {
      EXPECT_TRUE(p.count({box[0] + box[2] - 1 - x, y}));
      EXPECT_TRUE(p.count({x, box[1] + box[3] - 1 - y}));
    }
  }
}

TEST(FilledCircle, IsSymmetricInEightOctantsAndCloseToTheDisc) {
  Canvas c(101, 101);
  c.use(0, kRed, true, kRed);
  for (int r = 0; r <= 45; ++r) {
    c.clear();
    Ellipse(c.dc(), 50 - r, 50 - r, 50 + r + 1, 50 + r + 1);
    Pixels p = c.painted();
    for (int y = -r; y <= r; ++y) {
      int half = -1;
      for (int x = -r; x <= r; ++x) {
        bool in = p.count({50 + x, 50 + y}) > 0;
        EXPECT_EQ(in, p.count({50 + y, 50 + x}) > 0) << "r " << r;
        EXPECT_EQ(in, p.count({50 - x, 50 + y}) > 0) << "r " << r;
        if (in) half = std::max(half, x);
      }
      // Each row reaches within a pixel of the disc x^2 + y^2 < (r + 1/2)^2.
      int disc = 0;
      while (4 * ((disc + 1) * (disc + 1) + y * y) < (2 * r + 1) * (2 * r + 1)) ++disc;
      EXPECT_LE(std::abs(half - disc), 1) << "r " << r << " row " << y;
    }
  }
  c.clear();
  Ellipse(c.dc(), 9, 9, 12, 12);  // radius 1
  EXPECT_EQ(c.painted(), (Pixels{{10, 9}, {9, 10}, {10, 10}, {11, 10}, {10, 11}}));
}

TEST(CosmeticEllipse, OutlineIsThinAndLeavesTheInsideAlone) {
  Canvas c(64, 64);
  c.use(1, kRed);
  Ellipse(c.dc(), 4, 6, 50, 40);
  Pixels outline = c.pixels(kRed);
  EXPECT_TRUE(c.is(27, 23, kWhite));
  // Every outline pixel has a 4-neighbour outside the ellipse, and the outline is closed.
  c.use(1, kRed, true, kBlue);
  c.clear();
  Ellipse(c.dc(), 4, 6, 50, 40);
  EXPECT_EQ(c.pixels(kRed), outline);
  Pixels inside = c.pixels(kBlue);
  for (auto [x, y] : outline) {
    int in = 0;
    for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
      in += outline.count({x + dx, y + dy}) + inside.count({x + dx, y + dy});
    EXPECT_LT(in, 4) << x << "," << y;
  }
  for (auto [x, y] : inside) {
    for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
      EXPECT_TRUE(outline.count({x + dx, y + dy}) || inside.count({x + dx, y + dy}));
  }
}

TEST(CosmeticLine, IncludesItsStartAndExcludesItsEnd) {
  Canvas c(64, 64);
  c.use(1, kRed);
  c.line(20, 30, 30, 30);  // the renderer's (0, 0) to (10, 0)
  Pixels p = c.painted();
  EXPECT_EQ(p.size(), 10u);
  EXPECT_EQ(bounds(p).left, 20);
  EXPECT_EQ(bounds(p).right, 29);
  // A zero-length line draws nothing, and LineTo moves the current position.
  c.clear();
  c.line(5, 5, 5, 5);
  EXPECT_TRUE(c.painted().empty());
  POINT previous;
  MoveToEx(c.dc(), 0, 0, &previous);
  EXPECT_EQ(previous.x, 5);
  EXPECT_EQ(previous.y, 5);
}

TEST(CosmeticLine, AllOctantsAndReversedLinesCoverTheSamePixels) {
  Canvas c(48, 48);
  c.use(1, kRed);
  srand(7);
  for (int i = 0; i < 400; ++i) {
    int ax = 24, ay = 24, bx = 4 + rand() % 40, by = 4 + rand() % 40;
    if (i % 2) {
      ax = 4 + rand() % 40;
      ay = 4 + rand() % 40;
    }
    if (ax == bx && ay == by) continue;
    c.clear();
    c.line(ax, ay, bx, by);
    Pixels forward = c.painted();
    c.clear();
    c.line(bx, by, ax, ay);
    Pixels backward = c.painted();
    // One pixel per step along the major axis, the start drawn and the end not.
    size_t steps = static_cast<size_t>(std::max(std::abs(bx - ax), std::abs(by - ay)));
    ASSERT_EQ(forward.size(), steps);
    EXPECT_TRUE(forward.count({ax, ay}));
    EXPECT_FALSE(forward.count({bx, by}));
    forward.insert({bx, by});
    backward.insert({ax, ay});
    EXPECT_EQ(forward, backward) << ax << "," << ay << " to " << bx << "," << by;
    // Connected: each pixel but the last has a neighbour one step further along.
    for (auto [x, y] : forward) {
      int neighbours = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) neighbours += (dx || dy) && forward.count({x + dx, y + dy});
      EXPECT_GE(neighbours, 1);
    }
  }
}

TEST(Polygon, FillModesAndTheOutlineOnTop) {
  Canvas c(64, 64);
  // A five-pointed star drawn in one stroke: its centre is outside in ALTERNATE mode only.
  const POINT star[5] = {{32, 2}, {50, 58}, {4, 22}, {60, 22}, {14, 58}};
  c.use(-1, kRed, true, kBlue);
  Polygon(c.dc(), star, 5);
  EXPECT_TRUE(c.is(32, 34, kWhite));
  EXPECT_TRUE(c.is(32, 12, kBlue));
  SetPolyFillMode(c.dc(), WINDING);
  c.clear();
  Polygon(c.dc(), star, 5);
  EXPECT_TRUE(c.is(32, 34, kBlue));
  SetPolyFillMode(c.dc(), ALTERNATE);

  // Without a pen, left and top edges belong to the polygon, right and bottom edges do not.
  const POINT square[4] = {{10, 10}, {20, 10}, {20, 20}, {10, 20}};
  c.clear();
  Polygon(c.dc(), square, 4);
  EXPECT_EQ(c.pixels(kBlue).size(), 100u);
  EXPECT_EQ(bounds(c.pixels(kBlue)).right, 19);

  // The brush inside a differently coloured outline leaves the outline's pixels to the pen.
  const POINT tri[3] = {{5, 50}, {58, 40}, {20, 6}};
  c.use(0, kRed, true, kRed);
  c.clear();
  Polygon(c.dc(), tri, 3);
  Pixels filled = c.painted();
  c.use(1, kRed, true, kBlue);
  c.clear();
  Polygon(c.dc(), tri, 3);
  EXPECT_EQ(c.pixels(kRed).size() + c.pixels(kBlue).size(), filled.size());
}

TEST(Polygon, FilledIsExactlyTheInteriorAndTheOutlineLines) {
  Canvas c(48, 48);
  srand(11);
  for (int i = 0; i < 300; ++i) {
    const int n = 3 + i % 3, range = i % 2 ? 44 : 10;
    POINT pts[5];
    for (int k = 0; k < n; ++k) pts[k] = {2 + rand() % range, 2 + rand() % range};
    c.use(0, kRed, true, kRed);
    c.clear();
    Polygon(c.dc(), pts, n);
    Pixels filled = c.painted();
    c.use(-1, kRed, true, kRed);
    c.clear();
    Polygon(c.dc(), pts, n);
    c.use(1, kRed);
    for (int k = 0; k < n; ++k) c.line(pts[k].x, pts[k].y, pts[(k + 1) % n].x, pts[(k + 1) % n].y);
    ASSERT_EQ(filled, c.painted()) << "polygon " << i;
  }
}

TEST(Polygon, ATriangleCutByTheSurfaceEdgesIsStillTheInteriorAndTheOutlineLines) {
  // A triangle outlined in its own colour walks its edges only over the rows and columns on the
  // surface; corners off every side make it start and end edges part way.
  Canvas c(48, 48);
  srand(12);
  for (int i = 0; i < 300; ++i) {
    POINT pts[3];
    for (POINT &q : pts) q = {-40 + rand() % 128, -40 + rand() % 128};
    c.use(1, kRed, true, kRed);
    c.clear();
    Polygon(c.dc(), pts, 3);
    Pixels filled = c.painted();
    c.use(-1, kRed, true, kRed);
    c.clear();
    Polygon(c.dc(), pts, 3);
    c.use(1, kRed);
    for (int k = 0; k < 3; ++k) c.line(pts[k].x, pts[k].y, pts[(k + 1) % 3].x, pts[(k + 1) % 3].y);
    ASSERT_EQ(filled, c.painted()) << "triangle " << i;
  }
}

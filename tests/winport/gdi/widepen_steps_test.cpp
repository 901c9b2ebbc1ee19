// A wide pen along a path of one-pixel steps (a traced ellipse) is stroked from runs of dots and
// per-direction step bodies; the pixels must be those of every step stroked on its own. And rows
// holding many runs must merge to exactly the union of the runs. Traced rows remembered for a
// repeated size must be those traced afresh.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "gdi/raster.h"

using namespace winport::gdi;
using winport::Surface;

namespace {

constexpr uint32_t kInk = 0xFF0000;

void draw(Surface &s, WideStroke &stroke) {
  RowWriter row(s, &kInk, nullptr);
  const RowRange rows = visible_rows(s, stroke.top(), stroke.bottom());
  for (i64 y = rows.first; y <= rows.last; ++y) {
    stroke.add_row(y, row);
    row.write(y);
  }
}

// The stroke as the union of its steps, each a two-point stroke (a dot on each end and a body).
Surface step_by_step(const std::vector<P64> &path, bool closed, i64 w, int width, int height) {
  Surface s(width, height);
  const size_t n = path.size();
  const size_t steps = closed && n > 2 ? n : n - 1;
  for (size_t i = 0; i < steps; ++i) {
    const P64 ends[2] = {path[i], path[(i + 1) % n]};
    WideStroke stroke(ends, 2, false, w);
    draw(s, stroke);
  }
  return s;
}

Surface whole(const std::vector<P64> &path, bool closed, i64 w, int width, int height, bool windowed) {
  Surface s(width, height);
  StrokeWindow keep;
  if (windowed) keep = {0, 0, width - 1, height - 1};
  WideStroke stroke(path.data(), static_cast<int>(path.size()), closed, w, keep);
  draw(s, stroke);
  return s;
}

}  // namespace

TEST(WidePenSteps, TracedEllipseOutlinesMatchTheirStepsStrokedOneByOne) {
  const i64 widths[] = {2, 3, 4, 5, 6, 7, 8, 9, 12, 15, 16, 23, 32, 41, 64};
  const i64 boxes[][2] = {{3, 3}, {4, 9}, {9, 4}, {17, 17}, {30, 11}, {11, 30}, {45, 38}, {64, 64}, {90, 23}};
  std::vector<P64> path;
  for (i64 w : widths) {
    for (const auto &box : boxes) {
      SCOPED_TRACE(testing::Message() << "width " << w << " box " << box[0] << "x" << box[1]);
      traced_ellipse_path(w + 2, w + 3, box[0], box[1], path);
      const int width = static_cast<int>(box[0] + 2 * w + 6), height = static_cast<int>(box[1] + 2 * w + 6);
      const Surface expected = step_by_step(path, true, w, width, height);
      EXPECT_EQ(whole(path, true, w, width, height, false).pixels, expected.pixels);
      // Partly off the surface, with the pieces outside the surface dropped up front.
      std::vector<P64> shifted = path;
      for (P64 &p : shifted) {
        p.x -= box[0] / 2 + w / 3;
        p.y -= box[1] / 3 + w / 2;
      }
      EXPECT_EQ(whole(shifted, true, w, width, height, true).pixels,
                step_by_step(shifted, true, w, width, height).pixels);
    }
  }
}

TEST(WidePenSteps, RandomUnitStepPathsMatchTheirStepsStrokedOneByOne) {
  // Runs along rows, columns and both diagonals, turns, reversals and repeated points.
  std::mt19937 random(7);
  const P64 moves[] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {-1, -1}, {1, -1}, {-1, 1}, {0, 0}};
  for (int trial = 0; trial < 120; ++trial) {
    const i64 w = 2 + static_cast<i64>(random() % 30);
    SCOPED_TRACE(testing::Message() << "trial " << trial << " width " << w);
    std::vector<P64> path{{40, 40}};
    P64 move = moves[0];
    const int length = 3 + static_cast<int>(random() % 60);
    for (int i = 0; i < length; ++i) {
      if (random() % 3 == 0) move = moves[random() % 9];  // mostly keep going the same way
      const P64 &p = path.back();
      path.push_back({std::clamp<i64>(p.x + move.x, 20, 60), std::clamp<i64>(p.y + move.y, 20, 60)});
    }
    const bool closed = trial % 2 == 0;
    EXPECT_EQ(whole(path, closed, w, 84, 84, false).pixels, step_by_step(path, closed, w, 84, 84).pixels);
  }
}

TEST(WidePenSteps, ManyRunsOnARowMergeToTheirUnion) {
  std::mt19937 random(3);
  for (int trial = 0; trial < 200; ++trial) {
    const int width = 1 + static_cast<int>(random() % 300);
    Surface s(width, 1);
    std::vector<bool> expected(static_cast<size_t>(width), false);
    RowWriter row(s, &kInk, nullptr);
    // Sometimes long runs over a narrow row (swept), sometimes short ones far apart (sorted).
    const int count = 1 + static_cast<int>(random() % 80);
    const int spread = trial % 3 == 0 ? 4 * width : width;
    for (int i = 0; i < count; ++i) {
      const i64 x0 = static_cast<i64>(random() % static_cast<unsigned>(spread + 20)) - 10;
      const i64 x1 = x0 + 1 + static_cast<i64>(random() % (trial % 2 == 0 ? 3u : 40u));
      row.add(RowWriter::Outline, x0, x1);
      for (i64 x = std::max<i64>(x0, 0); x < std::min<i64>(x1, width); ++x) expected[static_cast<size_t>(x)] = true;
    }
    row.write(0);
    for (int x = 0; x < width; ++x)
      ASSERT_EQ(s.pixels[static_cast<size_t>(x)] == kInk, expected[static_cast<size_t>(x)])
          << "trial " << trial << " column " << x;
  }
}

// More sizes than are remembered, asked for over and over in changing order, and boxes too tall
// to be remembered: every answer is the size's own.
TEST(TracedRows, RepeatedSizesAnswerAsTracedAfresh) {
  std::mt19937 random(3);
  std::uniform_int_distribution<int> size(0, 47);
  std::vector<i64> want;
  for (int trial = 0; trial < 400; ++trial) {
    const int k = size(random);
    const i64 w = 3 + k, h = k < 44 ? 3 + 2 * k : 600 + k;
    const bool within = traced_ellipse_insets(w, h, want);
    const TracedRows &got = traced_rows(w, h);
    ASSERT_EQ(got.inset, want) << w << " x " << h;
    ASSERT_EQ(got.within, within);
  }
}

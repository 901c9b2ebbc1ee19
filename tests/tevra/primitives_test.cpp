// The drawing primitives: corrections, description lines, and the pixels they cover.
#include "fixture.h"

namespace tevra_test {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

class Primitives : public TevraTest {
protected:
  void SetUp() override {
    TevraTest::SetUp();
    open();
    tevra_set_logging(0);
    tevra_clear();
    console.clear();
  }
  std::vector<std::string> logged(void (*draw)()) {
    console.clear();
    draw();
    return console;
  }
};

using Lines = std::vector<std::string>;

TEST_F(Primitives, CorrectionsAreReportedInOrderWhateverTheLoggingFlag) {
  EXPECT_EQ(logged([] { tevra_oval(30, 0, 0, 5, 5, -2); }),
            (Lines{"Width of -2 not possible, using width 2\n", "Illegal color 30; using RED.\n"}));
  EXPECT_EQ(logged([] { tevra_rectangle(30, 0, 0, 5, 5, -2); }),
            (Lines{"Illegal color 30; using RED.\n", "Width of -2 not possible, using width 2\n"}));
  EXPECT_EQ(logged([] { tevra_circle(-1, 0, 0, -5); }),
            (Lines{"Illegal color -1; using RED.\n", "Radius of -5 not possible, using radius 5\n"}));
  EXPECT_EQ(logged([] { tevra_text(23, 0, 0, -200, "x"); }),
            (Lines{"ptsize of -200 not possible, using ptsize 200\n", "ptsize of 200 not possible, using ptsize 127\n"}));
  EXPECT_EQ(logged([] { tevra_printf(24, 0, 0, 400, "big"); }),
            (Lines{"ptsize of 400 not possible, using ptsize 127\n", "Illegal color 24; using RED.\n"}));
  EXPECT_EQ(logged([] { tevra_text(0, 0, 0, 127, "x"); tevra_text(0, 0, 0, 0, "x"); }), Lines{});
  EXPECT_EQ(logged([] { tevra_line(0, 0, 0, 1, 1, INT32_MIN); }),
            (Lines{"Width of -2147483648 not possible, using width 2147483647\n"}));
}

// Each correction at its edges: the first value corrected and the last one let through.
TEST_F(Primitives, WidthsAndRadiiAreCorrectedFromMinusOne) {
  const Lines width{"Width of -1 not possible, using width 1\n"};
  const std::pair<void (*)(), Lines> cases[] = {
      {[] { tevra_triangle(0, 0, 0, 5, 0, 0, 5, -1); }, width},
      {[] { tevra_triangle(0, 0, 0, 5, 0, 0, 5, 0); }, {}},
      {[] { tevra_rectangle(0, 0, 0, 5, 5, -1); }, width},
      {[] { tevra_rectangle(0, 0, 0, 5, 5, 0); }, {}},
      {[] { tevra_oval(0, 0, 0, 5, 5, -1); }, width},
      {[] { tevra_oval(0, 0, 0, 5, 5, 0); }, {}},
      {[] { tevra_line(0, 0, 0, 5, 5, -1); }, width},
      {[] { tevra_line(0, 0, 0, 5, 5, 0); }, {}},
      {[] { tevra_circle(0, 0, 0, -1); }, {"Radius of -1 not possible, using radius 1\n"}},
      {[] { tevra_circle(0, 0, 0, 0); }, {}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(logged(cases[i].first), cases[i].second) << "case " << i;
}

// Point sizes run from 0 to 127: the sign is corrected first, then the cap, each with its line.
TEST_F(Primitives, PointSizesAreCorrectedOutside0To127) {
  const std::pair<int32_t, Lines> cases[] = {
      {-1, {"ptsize of -1 not possible, using ptsize 1\n"}},
      {0, {}},
      {127, {}},
      {128, {"ptsize of 128 not possible, using ptsize 127\n"}},
      {-127, {"ptsize of -127 not possible, using ptsize 127\n"}},
      {-128, {"ptsize of -128 not possible, using ptsize 128\n", "ptsize of 128 not possible, using ptsize 127\n"}},
  };
  for (const auto &[ptsize, lines] : cases) {
    console.clear();
    tevra_text(0, 0, 0, ptsize, "x");
    EXPECT_EQ(console, lines) << "ptsize " << ptsize;
  }
}

// The whole palette: each index draws its exact colour and is described by its own name.
TEST_F(Primitives, EveryPaletteEntryDrawsItsColourUnderItsName) {
  const std::pair<const char *, COLORREF> palette[TEVRA_COLORS] = {
      {"black", RGB(0, 0, 0)},           {"white", RGB(255, 255, 255)},      {"red", RGB(255, 0, 0)},
      {"green", RGB(0, 255, 0)},         {"blue", RGB(0, 0, 255)},           {"yellow", RGB(255, 255, 0)},
      {"magenta", RGB(255, 0, 255)},     {"cyan", RGB(0, 255, 255)},         {"purple", RGB(153, 0, 204)},
      {"navy blue", RGB(0, 51, 153)},    {"dusty plum", RGB(153, 102, 153)}, {"ice blue", RGB(153, 255, 255)},
      {"turquoise", RGB(153, 255, 204)}, {"orange", RGB(255, 102, 0)},       {"brown", RGB(153, 102, 51)},
      {"pink", RGB(255, 153, 204)},      {"chalk", RGB(255, 255, 153)},      {"gold", RGB(204, 153, 51)},
      {"peach", RGB(255, 153, 102)},     {"forest green", RGB(0, 102, 51)},  {"sea green", RGB(51, 204, 153)},
      {"olive", RGB(153, 153, 51)},      {"50% gray", RGB(128, 128, 128)},   {"20% gray", RGB(204, 204, 204)},
  };
  tevra_set_logging(1);
  for (int32_t c = 0; c < TEVRA_COLORS; ++c) {
    console.clear();
    tevra_rectangle(c, 0, 3, 3, 0, 0);
    EXPECT_EQ(console, Lines{std::string(palette[c].first) + " rectangle with bounding box (0,3) to (3,0), filled\n"})
        << "colour " << c;
    EXPECT_EQ(at(1, 1), palette[c].second) << "colour " << c;
  }
}

TEST_F(Primitives, DescriptionLinesWhileLoggingIsOn) {
  tevra_set_logging(1);
  EXPECT_EQ(logged([] { tevra_rectangle(4, 10, -10, -10, 10, 0); }),
            Lines{"blue rectangle with bounding box (-10,10) to (10,-10), filled\n"});
  EXPECT_EQ(logged([] { tevra_rectangle(4, -10, 10, 10, -10, 3); }),
            Lines{"blue rectangle with bounding box (-10,10) to (10,-10) with line width 3\n"});
  EXPECT_EQ(logged([] { tevra_oval(22, 5, 1, 1, 5, 0); }), Lines{"50% gray oval with bounding box (1,5) to (5,1), filled\n"});
  EXPECT_EQ(logged([] { tevra_oval(23, 1, 5, 5, 1, 2); }),
            Lines{"20% gray oval with bounding box (1,5) to (5,1), line width 2\n"});
  EXPECT_EQ(logged([] { tevra_circle(13, 3, -4, 7); }), Lines{"orange circle at (3,-4), radius 7\n"});
  EXPECT_EQ(logged([] { tevra_triangle(9, 1, 2, 3, 4, 5, 6, 8); }),
            Lines{"navy blue triangle at (1,2), (3,4), (5,6)\n"});
  EXPECT_EQ(logged([] { tevra_line(19, 0, 0, 10, 0, 0); }), Lines{"forest green line from (0,0) to (10,0), width 0\n"});
  EXPECT_EQ(logged([] { tevra_text(99, 1, 2, 12, ""); }),
            (Lines{"Illegal color 99; using RED.\n", "red text at (1,2), \"\"\n"}));
  EXPECT_EQ(logged([] { tevra_clear(); }), Lines{"Clearing the graphics window\n"});
  EXPECT_EQ(tevra_printf(0, 0, 0, 10, "YUM"), 3);
  EXPECT_EQ(console.back(), "black text at (0,0), \"YUM\"\n");
  // A lone %s draws its argument as it is, conversions in it included.
  EXPECT_EQ(tevra_printf(0, 0, 0, 10, "%s", "5%d"), 3);
  EXPECT_EQ(console.back(), "black text at (0,0), \"5%d\"\n");
  // No format at all draws nothing rather than failing.
  EXPECT_EQ(tevra_printf(0, 0, 0, 10, static_cast<const char *>(nullptr)), 0);
}

TEST_F(Primitives, ClearLeavesAWhiteCanvasInABlackFrame) {
  EXPECT_EQ(GetPixel(tevra_testing_canvas(), 0, 0), kBlack);
  EXPECT_EQ(GetPixel(tevra_testing_canvas(), 600, 539), kBlack);
  EXPECT_EQ(GetPixel(tevra_testing_canvas(), 1, 1), kWhite);
  EXPECT_EQ(count_canvas(kBlack), 2 * 601 + 2 * 538);
  EXPECT_TRUE(console.empty()) << "logging is off";
}

TEST_F(Primitives, BoxesCoverBothCorners) {
  tevra_rectangle(TEVRA_BLUE, 0, 0, 0, 0, 0);
  EXPECT_EQ(count_canvas(kBlue), 1);
  EXPECT_EQ(at(0, 0), kBlue);
  tevra_clear();
  tevra_rectangle(TEVRA_BLUE, -10, 10, 10, -10, 0);
  EXPECT_EQ(count_canvas(kBlue), 21 * 21);
  EXPECT_EQ(at(-10, 10), kBlue);
  EXPECT_EQ(at(10, -10), kBlue);
  tevra_clear();
  tevra_circle(TEVRA_RED, 100, 100, 0);
  EXPECT_EQ(count_canvas(kRed), 1);
  EXPECT_EQ(at(100, 100), kRed);
}

TEST_F(Primitives, WideOutlinesLeaveTheInsideAlone) {
  tevra_rectangle(TEVRA_BLUE, -20, 20, 20, -20, 0);
  tevra_rectangle(TEVRA_RED, -20, 20, 20, -20, 4);
  EXPECT_EQ(at(0, 0), kBlue);
  EXPECT_EQ(at(-20, 0), kRed);
  EXPECT_EQ(at(-21, 0), kRed) << "the pen is centred on the edge";
}

TEST_F(Primitives, LinesLeaveOutTheirEndPixel) {
  tevra_line(TEVRA_BLUE, 0, 0, 10, 0, 0);
  EXPECT_EQ(count_canvas(kBlue), 10);
  EXPECT_EQ(at(0, 0), kBlue);
  EXPECT_EQ(at(9, 0), kBlue);
  EXPECT_EQ(at(10, 0), kWhite);
}

// Rows (canvas y) that hold any pixel of the colour.
std::pair<int, int> ink_rows(COLORREF color) {
  int top = 540, bottom = -1;
  for (int y = 0; y < 540; ++y)
    for (int x = 0; x < 601; ++x)
      if (GetPixel(tevra_testing_canvas(), x, y) == color) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  return {top, bottom};
}

TEST_F(Primitives, TextHangsFromTheLineAboveItsAnchor) {
  tevra_text(TEVRA_BLUE, 0, 0, 20, "A");
  auto [top, bottom] = ink_rows(kBlue);
  EXPECT_LT(bottom, kOriginY) << "the first line lies above the anchor";
  EXPECT_GE(top, kOriginY - 30);

  tevra_clear();
  tevra_text(TEVRA_BLUE, 0, 0, 20, "A\nB");
  std::tie(top, bottom) = ink_rows(kBlue);
  EXPECT_LT(top, kOriginY);
  EXPECT_GE(bottom, kOriginY) << "the second line starts at the anchor";

  tevra_clear();
  tevra_text(TEVRA_BLUE, 0, 0, 20, "");
  EXPECT_EQ(count_canvas(kBlue), 0);
  SetBkMode(tevra_testing_canvas(), OPAQUE);
  tevra_text(TEVRA_BLUE, 0, 0, 20, "A\n");
  EXPECT_EQ(GetBkMode(tevra_testing_canvas()), OPAQUE);
}

TEST_F(Primitives, ExtremeCoordinatesDrawNothingAndStayFast) {
  tevra_rectangle(TEVRA_BLUE, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN, 0);
  tevra_circle(TEVRA_RED, INT32_MAX, INT32_MIN, INT32_MAX);
  tevra_line(TEVRA_BLUE, INT32_MIN, 0, INT32_MAX, 0, 3);
  tevra_text(TEVRA_BLUE, INT32_MAX, INT32_MIN, 127, "far away");
  tevra_triangle(TEVRA_BLUE, INT32_MIN, INT32_MIN, INT32_MAX, 0, 0, INT32_MAX, 0);
  EXPECT_EQ(at(0, 0), kBlue) << "huge shapes still cover the canvas";
}

TEST_F(Primitives, AFrameReachesTheWindowAtTheNextWait) {
  int frames = 0;
  COLORREF centre = 0;
  HWND graphics = scripted::find_window(kGraphics);
  headless::on_frame([&](HWND hwnd, const uint32_t *pixels, int width, int height, int stride) {
    if (hwnd != graphics) return;
    ++frames;
    (void)width;
    // The frame holds the menu bar, then the client area.
    const uint32_t p = pixels[(height - 496 + kOriginY) * stride + kOriginX];
    centre = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  });
  tevra_rectangle(TEVRA_BLUE, -5, 5, 5, -5, 0);
  click_logical(0, 0, 1000);
  wait();
  EXPECT_GE(frames, 1);
  EXPECT_EQ(centre, kBlue);
}

} // namespace
} // namespace tevra_test

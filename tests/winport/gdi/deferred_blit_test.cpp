// A bitmap copied onto a whole window: what the window shows, and what its DC and the bitmap's
// read, whichever of them is drawn on next.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "canvas.h"
#include "gdi/deferred_blit.h"
#include "gdi/objects.h"

using namespace gdi_test;
namespace deferred_blit = winport::gdi::deferred_blit;

namespace {

constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr int kBitmapW = 34, kBitmapH = 26;  // larger than the window, as a canvas is

COLORREF pattern_at(int x, int y) { return RGB(x * 7, y * 9, 7); }

void pattern(HDC dc, int w, int h) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) SetPixel(dc, x, y, pattern_at(x, y));
}

// A window's client surface behind a window DC, as USER32 makes it.
struct Window {
  std::shared_ptr<winport::Surface> surface = std::make_shared<winport::Surface>(30, 20, 0xFFFFFF);
  HDC dc = winport::gdi::create_surface_dc(surface, reinterpret_cast<HWND>(0x1230));
  ~Window() { DeleteDC(dc); }

  // What presentation hands to the display.
  COLORREF shows(int x, int y) const {
    const deferred_blit::View v = deferred_blit::shown(*surface);
    return winport::colorref_from_pixel(v.pixels[y * v.stride + x]);
  }
  bool shows_pattern(int dx, int dy) const {
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 30; ++x)
        if (shows(x, y) != pattern_at(x + dx, y + dy)) return false;
    return true;
  }
  void blit(HDC from, int x = 0, int y = 0) { EXPECT_TRUE(BitBlt(dc, 0, 0, 30, 20, from, x, y, SRCCOPY)); }
};

// One frame as TEVRA draws it: an opaque rectangle over the canvas but its last columns and rows
// (with no pen one column and row less), then a mark.
void draw_frame(Canvas &c, COLORREF background, int mark_x, bool pen = true) {
  c.use(pen ? 1 : -1, background, true, background);
  Rectangle(c.dc(), -3, -2, kBitmapW - 3, kBitmapH - 3);
  SetPixel(c.dc(), mark_x, 5, kGreen);
}

}  // namespace

TEST(DeferredBlit, TheWindowKeepsShowingItsFrameWhileTheBitmapIsPartlyRedrawn) {
  Canvas bitmap(kBitmapW, kBitmapH);
  Window window;
  pattern(bitmap.dc(), kBitmapW, kBitmapH);
  window.blit(bitmap.dc(), 2, 3);
  EXPECT_TRUE(window.shows_pattern(2, 3));

  bitmap.use(1, kBlue, true, kBlue);
  Rectangle(bitmap.dc(), 5, 5, 12, 12);
  EXPECT_TRUE(bitmap.is(6, 6, kBlue));
  EXPECT_TRUE(window.shows_pattern(2, 3)) << "the window shows the frame it was given";
  EXPECT_EQ(GetPixel(window.dc, 4, 3), pattern_at(6, 6));
  window.blit(bitmap.dc(), 2, 3);
  EXPECT_EQ(window.shows(4, 3), kBlue);
}

TEST(DeferredBlit, FullOpaqueRedrawsKeepEachShownFrameAndTheBitmapsUncoveredPixels) {
  Canvas bitmap(kBitmapW, kBitmapH);
  Window window;
  // Outside every frame's rectangle: below it, and right of it.
  SetPixel(bitmap.dc(), kBitmapW - 1, kBitmapH - 1, kGreen);
  SetPixel(bitmap.dc(), kBitmapW - 1, 5, kGreen);
  const COLORREF backgrounds[] = {kRed, kBlue, kWhite, RGB(9, 9, 9), kRed};
  for (int k = 0; k < 5; ++k) {
    draw_frame(bitmap, backgrounds[k], k * 3, k % 2 == 0);
    if (k > 0) {
      // Frame k is being drawn: the window still shows frame k - 1, whole.
      EXPECT_EQ(window.shows(1, 1), backgrounds[k - 1]) << k;
      EXPECT_EQ(window.shows((k - 1) * 3, 5), kGreen) << k;
      EXPECT_EQ(window.shows(k * 3, 5), backgrounds[k - 1]) << k;
    }
    window.blit(bitmap.dc());
    EXPECT_EQ(window.shows(k * 3, 5), kGreen) << k;
    EXPECT_EQ(window.shows(29, 19), backgrounds[k]) << k;
    EXPECT_TRUE(bitmap.is(kBitmapW - 1, kBitmapH - 1, kGreen)) << k;
    EXPECT_TRUE(bitmap.is(kBitmapW - 1, 5, kGreen)) << k;
    EXPECT_TRUE(bitmap.is(kBitmapW - 4, 2, backgrounds[k % 2 ? k - 1 : k])) << k << ": what no pen painted";
  }
  EXPECT_EQ(GetPixel(window.dc, 12, 5), kGreen);
  EXPECT_EQ(GetPixel(window.dc, 9, 5), kRed);
}

TEST(DeferredBlit, DrawingOnTheWindowLeavesTheBitmapAlone) {
  Canvas bitmap(kBitmapW, kBitmapH);
  Window window;
  bitmap.clear(kRed);
  window.blit(bitmap.dc());
  const RECT corner = {0, 0, 5, 5};
  HBRUSH blue = CreateSolidBrush(kBlue);
  FillRect(window.dc, &corner, blue);
  EXPECT_EQ(window.shows(1, 1), kBlue);
  EXPECT_EQ(window.shows(10, 10), kRed) << "the rest still shows the bitmap's pixels";
  EXPECT_TRUE(bitmap.is(1, 1, kRed));

  window.blit(bitmap.dc());
  SetPixel(window.dc, 3, 3, kGreen);
  EXPECT_EQ(window.shows(3, 3), kGreen);
  EXPECT_EQ(window.shows(4, 3), kRed);
  EXPECT_TRUE(bitmap.is(3, 3, kRed));

  window.blit(bitmap.dc());
  const RECT all = {-1, -1, 40, 40};
  FillRect(window.dc, &all, blue);
  EXPECT_EQ(window.shows(29, 19), kBlue);
  EXPECT_TRUE(bitmap.is(29, 19, kRed));
  DeleteObject(blue);
}

TEST(DeferredBlit, ScrollingAndCopyingWithinTheWindowMoveTheShownPixels) {
  Canvas bitmap(kBitmapW, kBitmapH);
  Window window;
  pattern(bitmap.dc(), kBitmapW, kBitmapH);
  window.blit(bitmap.dc());
  RECT update{};
  EXPECT_TRUE(ScrollDC(window.dc, 0, 5, nullptr, nullptr, nullptr, &update));
  EXPECT_EQ(window.shows(7, 12), pattern_at(7, 7));
  EXPECT_EQ(window.shows(7, 2), pattern_at(7, 2)) << "the uncovered strip keeps its old pixels";
  EXPECT_TRUE(bitmap.is(7, 12, pattern_at(7, 12)));

  window.blit(bitmap.dc());
  EXPECT_TRUE(BitBlt(window.dc, 4, 0, 26, 20, window.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(window.shows(10, 6), pattern_at(6, 6));
  EXPECT_EQ(window.shows(2, 6), pattern_at(2, 6));
  EXPECT_TRUE(bitmap.is(10, 6, pattern_at(10, 6)));
}

TEST(DeferredBlit, TheShownPixelsOutliveTheBitmapAndTheBitmapOutlivesTheWindow) {
  Window window;
  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(memory, kBitmapW, kBitmapH);
  HGDIOBJ old = SelectObject(memory, bitmap);
  pattern(memory, kBitmapW, kBitmapH);
  window.blit(memory, 1, 1);
  SelectObject(memory, old);
  DeleteDC(memory);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(window.shows_pattern(1, 1));
  EXPECT_EQ(GetPixel(window.dc, 5, 5), pattern_at(6, 6));

  Canvas canvas(kBitmapW, kBitmapH);
  {
    Window gone;
    gone.blit(canvas.dc());
  }
  draw_frame(canvas, kBlue, 0);
  EXPECT_TRUE(canvas.is(3, 3, kBlue));
}

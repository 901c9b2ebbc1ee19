// A bitmap copied onto a whole window: what the window shows, and what its DC and the bitmap read,
// whichever of them is drawn on next.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "canvas.h"
#include "gdi/deferred_blit.h"
#include "gdi/objects.h"

using namespace gdi_test;

namespace {

constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr int kW = 34, kH = 26;  // the bitmap: larger than the 30 x 20 window, as a canvas is

COLORREF pattern_at(int x, int y) { return RGB(x * 7, y * 9, 7); }

struct Window {
  std::shared_ptr<winport::Surface> surface = std::make_shared<winport::Surface>(30, 20, 0xFFFFFF);
  HDC dc = winport::gdi::create_surface_dc(surface, reinterpret_cast<HWND>(0x1230));
  ~Window() { DeleteDC(dc); }

  // What presentation hands to the display.
  COLORREF shows(int x, int y) const {
    const auto view = winport::gdi::deferred_blit::shown(*surface);
    return winport::colorref_from_pixel(view.pixels[y * view.stride + x]);
  }
  void blit(HDC from, int x = 0, int y = 0) { EXPECT_TRUE(BitBlt(dc, 0, 0, 30, 20, from, x, y, SRCCOPY)); }
};

struct Patterned : Canvas {
  Patterned() : Canvas(kW, kH) {
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) SetPixel(dc(), x, y, pattern_at(x, y));
  }
};

}  // namespace

TEST(DeferredBlit, TheWindowKeepsItsFrameWhileTheBitmapIsPartlyRedrawn) {
  Patterned bitmap;
  Window window;
  window.blit(bitmap.dc(), 2, 3);
  bitmap.use(1, kBlue, true, kBlue);
  Rectangle(bitmap.dc(), 5, 5, 12, 12);
  EXPECT_EQ(window.shows(4, 3), pattern_at(6, 6));
  EXPECT_EQ(window.shows(29, 19), pattern_at(31, 22));
  EXPECT_EQ(GetPixel(window.dc, 4, 3), pattern_at(6, 6));
  window.blit(bitmap.dc(), 2, 3);
  EXPECT_EQ(window.shows(4, 3), kBlue);
}

// Frames as TEVRA draws them: an opaque rectangle over the bitmap but its last columns and rows
// (every other frame without a pen, which paints one column and row less), then a mark.
TEST(DeferredBlit, OpaqueRedrawsKeepEachShownFrameAndTheBitmapsOtherPixels) {
  Canvas bitmap(kW, kH);
  Window window;
  SetPixel(bitmap.dc(), kW - 1, kH - 1, kGreen);  // below every frame's rectangle
  SetPixel(bitmap.dc(), kW - 1, 5, kGreen);       // right of it
  const COLORREF backgrounds[] = {kRed, kBlue, kWhite, RGB(9, 9, 9), kRed};
  for (int k = 0; k < 5; ++k) {
    bitmap.use(k % 2 ? -1 : 1, backgrounds[k], true, backgrounds[k]);
    Rectangle(bitmap.dc(), -3, -2, kW - 3, kH - 3);
    SetPixel(bitmap.dc(), k * 3, 5, kGreen);
    if (k > 0) {  // frame k - 1 is shown, whole
      EXPECT_EQ(window.shows(1, 1), backgrounds[k - 1]) << k;
      EXPECT_EQ(window.shows(k * 3 - 3, 5), kGreen) << k;
    }
    window.blit(bitmap.dc());
    EXPECT_EQ(window.shows(29, 19), backgrounds[k]) << k;
    EXPECT_TRUE(bitmap.is(kW - 1, kH - 1, kGreen) && bitmap.is(kW - 1, 5, kGreen)) << k;
    EXPECT_TRUE(bitmap.is(kW - 4, 2, backgrounds[k % 2 ? k - 1 : k])) << k << ": what no pen painted";
  }
  EXPECT_EQ(GetPixel(window.dc, 12, 5), kGreen);
  EXPECT_EQ(GetPixel(window.dc, 9, 5), kRed);
}

TEST(DeferredBlit, DrawingOnTheWindowLeavesTheBitmapAlone) {
  Canvas bitmap(kW, kH);
  Window window;
  bitmap.clear(kRed);
  window.blit(bitmap.dc());
  HBRUSH blue = CreateSolidBrush(kBlue);
  const RECT corner = {0, 0, 5, 5};
  FillRect(window.dc, &corner, blue);
  EXPECT_EQ(window.shows(1, 1), kBlue);
  EXPECT_EQ(window.shows(10, 10), kRed) << "the rest still shows the bitmap's pixels";
  EXPECT_TRUE(bitmap.is(1, 1, kRed));
  DeleteObject(blue);
}

TEST(DeferredBlit, CopiesFromAndWithinTheWindowReadTheShownPixels) {
  Patterned bitmap;
  Window window;
  window.blit(bitmap.dc());
  Canvas copy(30, 20);
  EXPECT_TRUE(BitBlt(copy.dc(), 0, 0, 30, 20, window.dc, 0, 0, SRCCOPY));
  EXPECT_TRUE(copy.is(7, 7, pattern_at(7, 7)));
  window.blit(bitmap.dc());
  EXPECT_TRUE(ScrollDC(window.dc, 0, 5, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(window.shows(7, 12), pattern_at(7, 7));
  EXPECT_EQ(window.shows(7, 2), pattern_at(7, 2));
  window.blit(bitmap.dc());
  EXPECT_TRUE(BitBlt(window.dc, 4, 0, 26, 20, window.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(window.shows(10, 6), pattern_at(6, 6));
  EXPECT_TRUE(bitmap.is(10, 6, pattern_at(10, 6)));
}

TEST(DeferredBlit, TheShownPixelsOutliveTheBitmapAndTheBitmapOutlivesTheWindow) {
  Window window;
  {
    Patterned bitmap;
    window.blit(bitmap.dc(), 1, 1);
  }  // DeleteDC, DeleteObject
  EXPECT_EQ(window.shows(29, 19), pattern_at(30, 20));
  EXPECT_EQ(GetPixel(window.dc, 5, 5), pattern_at(6, 6));

  Canvas bitmap(kW, kH);
  Window{}.blit(bitmap.dc());
  bitmap.clear(kBlue);
  EXPECT_TRUE(bitmap.is(3, 3, kBlue));
}

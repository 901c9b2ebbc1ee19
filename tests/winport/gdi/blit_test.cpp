// Copying pixels: BitBlt, ScrollDC, reading back with GetDIBits, and PNG files.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "canvas.h"
#include "gdi/objects.h"

using namespace gdi_test;

namespace {

// Paints every pixel with a colour made from its position, so moved pixels can be recognised.
void pattern(Canvas &c) {
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x) SetPixel(c.dc(), x, y, RGB(x, y, 7));
}

}  // namespace

TEST(BitBlt, CopiesClippedOnBothSides) {
  Canvas src(20, 10), dst(16, 16);
  pattern(src);
  dst.clear();
  // Source reaches past its right edge and the destination past its top edge.
  EXPECT_TRUE(BitBlt(dst.dc(), 4, -2, 12, 8, src.dc(), 14, 1, SRCCOPY));
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const int sx = x - 4 + 14, sy = y + 2 + 1;
      const bool copied = x >= 4 && x < 16 && y < 6 && sx < 20;
      EXPECT_EQ(GetPixel(dst.dc(), x, y), copied ? RGB(sx, sy, 7) : kWhite) << x << "," << y;
    }
  }
}

TEST(BitBlt, OverlappingCopiesWithinOneSurfaceMoveTheOriginalPixels) {
  const int moves[][2] = {{3, 2}, {-3, -2}, {4, -1}, {-2, 5}, {0, 1}, {1, 0}};
  for (const auto &m : moves) {
    Canvas c(24, 20);
    pattern(c);
    EXPECT_TRUE(BitBlt(c.dc(), 4 + m[0], 4 + m[1], 12, 10, c.dc(), 4, 4, SRCCOPY));
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 12; ++x)
        ASSERT_EQ(GetPixel(c.dc(), 4 + m[0] + x, 4 + m[1] + y), RGB(4 + x, 4 + y, 7)) << m[0] << "," << m[1];
  }
}

TEST(ScrollDC, ScrollsTheWholeSurfaceAndLeavesTheExposedStrip) {
  Canvas c(10, 12);
  pattern(c);
  RECT update;
  EXPECT_TRUE(ScrollDC(c.dc(), 0, -3, nullptr, nullptr, nullptr, &update));
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 10; ++x)
      EXPECT_EQ(GetPixel(c.dc(), x, y), RGB(x, y < 9 ? y + 3 : y, 7)) << x << "," << y;
  EXPECT_EQ(update.left, 0);
  EXPECT_EQ(update.top, 9);
  EXPECT_EQ(update.right, 10);
  EXPECT_EQ(update.bottom, 12);
}

TEST(ScrollDC, MovesOnlyInsideTheScrollAndClipRectangles) {
  Canvas c(20, 20);
  pattern(c);
  const RECT scroll = {2, 2, 12, 12}, clip = {0, 0, 10, 20};
  ScrollDC(c.dc(), 3, 1, &scroll, &clip, nullptr, nullptr);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) {
      // Sources are scroll & clip = [2,10) x [2,12); destinations are clipped to [0,10).
      const int sx = x - 3, sy = y - 1;
      const bool moved = x < 10 && sx >= 2 && sx < 10 && sy >= 2 && sy < 12;
      EXPECT_EQ(GetPixel(c.dc(), x, y), moved ? RGB(sx, sy, 7) : RGB(x, y, 7)) << x << "," << y;
    }
  }
}

TEST(GetDIBits, ReadsTopDownAndBottomUpRows) {
  Canvas c(3, 4);
  pattern(c);
  HBITMAP bmp = static_cast<HBITMAP>(SelectObject(c.dc(), CreateCompatibleBitmap(c.dc(), 1, 1)));
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  EXPECT_EQ(GetDIBits(c.dc(), bmp, 0, 0, nullptr, &info, DIB_RGB_COLORS), 4);
  EXPECT_EQ(info.bmiHeader.biWidth, 3);
  EXPECT_EQ(info.bmiHeader.biHeight, 4);
  EXPECT_EQ(info.bmiHeader.biBitCount, 32);

  std::vector<uint32_t> bits(12);
  info.bmiHeader.biHeight = -4;
  EXPECT_EQ(GetDIBits(c.dc(), bmp, 0, 4, bits.data(), &info, DIB_RGB_COLORS), 4);
  EXPECT_EQ(bits[0], 0x00000007u);             // (0, 0): B, G, R = 7, 0, 0 as 0x00RRGGBB
  EXPECT_EQ(bits[3 * 1 + 2], 0x00020107u);     // (2, 1)
  info.bmiHeader.biHeight = 4;
  EXPECT_EQ(GetDIBits(c.dc(), bmp, 0, 4, bits.data(), &info, DIB_RGB_COLORS), 4);
  EXPECT_EQ(bits[0], 0x00000307u);             // first row is the bottom one: (0, 3)
  EXPECT_EQ(bits[3 * 3 + 2], 0x00020007u);     // last row is the top one: (2, 0)
  DeleteObject(SelectObject(c.dc(), bmp));
}

TEST(Drawing, MarksTheSurfaceDirty) {
  Canvas c(8, 8);
  auto surface = winport::gdi::surface_of(c.dc());
  surface->dirty = false;
  c.use(1, kRed);
  c.line(-5, 3, -1, 3);  // entirely off the surface
  EXPECT_FALSE(surface->dirty);
  c.line(0, 3, 4, 3);
  EXPECT_TRUE(surface->dirty);
}

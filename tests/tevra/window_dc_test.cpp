// window_dc_test.cpp — the graphics window's own DC reads what the window shows.
//
// Only <windows.h> and tevra.h: the same test runs against the real Win32 (under Wine, where the
// tick is a real 100 ms) and against winport on its headless display.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>

#include "tevra.h"

namespace {

// Canvas pixels (the same as client pixels) of what the second frame below shows.
struct Probe {
  int x, y;
  COLORREF colour;
  const char *what;
};
const Probe kProbes[] = {
    {0, 0, RGB(0, 0, 0), "the canvas frame"},
    {50, 50, RGB(255, 255, 255), "the cleared canvas"},
    {150, 200, RGB(0, 255, 0), "the green rectangle"},
    {417, 248, RGB(255, 255, 0), "the yellow circle"},
    {340, 248, RGB(255, 255, 255), "where the first frame's blue oval was"},
};

void expect_second_frame(const char *how, const std::function<COLORREF(int, int)> &read) {
  for (const Probe &p : kProbes)
    EXPECT_EQ(read(p.x, p.y), p.colour) << how << ": " << p.what << " at (" << p.x << ", " << p.y << ")";
}

void await_tick() {
  int32_t x = 0, y = 0;
  char key = 0;
  ASSERT_EQ(tevra_set_animation(TEVRA_ANIM_STEP), 1);
  ASSERT_EQ(tevra_await_event(&x, &y, &key), TEVRA_PERIODIC);
}

TEST(GraphicsWindowDc, ReadsTheCanvasAfterAWaitThroughGetPixelBitBltAndRepaint) {
  tevra_open(nullptr, nullptr, "", SW_SHOWNORMAL);
  HWND window = FindWindowA(nullptr, "TEVRA Graphics");
  ASSERT_NE(window, nullptr);

  // Two frames, nobody looking at the window in between; the second starts on a cleared canvas.
  tevra_oval(TEVRA_BLUE, 20, -100, 220, 100, 0);
  await_tick();
  tevra_clear();
  tevra_rectangle(TEVRA_GREEN, -200, -100, 0, 100, 0);
  tevra_circle(TEVRA_YELLOW, 120, 0, 50);
  await_tick();

  HDC dc = GetDC(window);
  ASSERT_NE(dc, nullptr);
  expect_second_frame("GetPixel", [&](int x, int y) { return GetPixel(dc, x, y); });

  HDC memory = CreateCompatibleDC(dc);
  HBITMAP copy = CreateCompatibleBitmap(dc, 595, 496);
  HGDIOBJ old = SelectObject(memory, copy);
  EXPECT_TRUE(BitBlt(memory, 0, 0, 595, 496, dc, 0, 0, SRCCOPY));
  expect_second_frame("BitBlt from the window", [&](int x, int y) { return GetPixel(memory, x, y); });

  EXPECT_TRUE(InvalidateRect(window, nullptr, TRUE));
  EXPECT_TRUE(UpdateWindow(window));
  expect_second_frame("after WM_PAINT", [&](int x, int y) { return GetPixel(dc, x, y); });

  SelectObject(memory, old);
  DeleteObject(copy);
  DeleteDC(memory);
  ReleaseDC(window, dc);
  tevra_close();
}

}  // namespace

// Windows: what creation, showing and closing send; classic metrics; focus and where keys and
// clicks go; window DCs and the frames the display receives; the idle program that gets stopped.
#include "fixture.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "frame_image.h"

namespace winport_test {
namespace {

class Creation : public UserTest {};

TEST_F(Creation, CreateSendsOnlyWmCreateAndTheFirstShowSendsWmSize) {
  HWND hwnd = make_window();
  ASSERT_NE(hwnd, nullptr);
  ASSERT_FALSE(seen().empty());
  EXPECT_EQ(of(WM_CREATE).size(), 1u);
  EXPECT_TRUE(of(WM_SIZE).empty());
  EXPECT_FALSE(IsWindowVisible(hwnd));

  EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWNORMAL));  // was hidden
  ASSERT_EQ(of(WM_SIZE).size(), 1u);
  EXPECT_EQ(of(WM_SIZE)[0].lparam, MAKELPARAM(595, 515));
  EXPECT_TRUE(ShowWindow(hwnd, SW_SHOW));  // was visible; no second WM_SIZE
  EXPECT_EQ(of(WM_SIZE).size(), 1u);
  EXPECT_TRUE(ShowWindow(hwnd, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(hwnd));
  ShowWindow(hwnd, SW_SHOW);
  EXPECT_EQ(of(WM_SIZE).size(), 1u);
}

TEST_F(Creation, AMenuAttachedInWmCreateGivesTheClassicClientArea) {
  reaction() = [](HWND hwnd, UINT message, WPARAM, LPARAM, LRESULT *result) {
    if (message != WM_CREATE) return false;
    HMENU bar = CreateMenu();
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, 1, "&Go");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "&Run");
    SetMenu(hwnd, bar);
    DrawMenuBar(hwnd);
    *result = 0;
    return true;
  };
  HWND hwnd = make_window();
  // SetMenu changed the client size inside WM_CREATE, so the window heard of it there.
  ASSERT_EQ(of(WM_SIZE).size(), 1u);
  EXPECT_EQ(of(WM_SIZE)[0].lparam, MAKELPARAM(595, 496));
  ShowWindow(hwnd, SW_SHOW);
  EXPECT_EQ(of(WM_SIZE).size(), 2u);
  RECT rect;
  ASSERT_TRUE(GetClientRect(hwnd, &rect));
  EXPECT_EQ(rect.right - rect.left, 595);
  EXPECT_EQ(rect.bottom - rect.top, 496);
  ASSERT_TRUE(GetWindowRect(hwnd, &rect));
  EXPECT_EQ(rect.right, 601);
  EXPECT_EQ(rect.bottom, 540);
}

TEST_F(Creation, MetricsFollowTheStyle) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
  winport::headless::set_screen_size(1280, 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
  EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 19);
  EXPECT_EQ(GetSystemMetrics(SM_CYMENU), 19);
  EXPECT_EQ(GetSystemMetrics(SM_CXFIXEDFRAME), 3);
  EXPECT_EQ(GetSystemMetrics(SM_CXSIZEFRAME), 4);
  HWND text = make_window("Text", WS_OVERLAPPEDWINDOW, 1024, 256);
  RECT rect;
  GetClientRect(text, &rect);
  EXPECT_EQ(rect.right, 1024 - 8);
  EXPECT_EQ(rect.bottom, 256 - 8 - 19);
  winport::headless::set_screen_size(1024, 768);
}

TEST_F(Creation, AFailedWmCreateDestroysTheWindow) {
  reaction() = [](HWND, UINT message, WPARAM, LPARAM, LRESULT *result) {
    *result = -1;
    return message == WM_CREATE;
  };
  EXPECT_EQ(make_window(), nullptr);
  EXPECT_EQ(of(WM_DESTROY).size(), 1u);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "x", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(Creation, TheClientAreaKeepsItsPixelsWhenAMenuBarComesAndGoes) {
  HWND hwnd = make_window();
  HDC dc = GetDC(hwnd);
  // A mark on the first and last rows, and one in the middle of a row further down.
  SetPixel(dc, 0, 0, RGB(1, 2, 3));
  SetPixel(dc, 594, 0, RGB(4, 5, 6));
  SetPixel(dc, 7, 300, RGB(7, 8, 9));
  SetPixel(dc, 7, 514, RGB(10, 11, 12));
  attach_menu_bar(hwnd);  // 19 rows fewer: the last one is gone, the others stay where they were
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(dc, 594, 0), RGB(4, 5, 6));
  EXPECT_EQ(GetPixel(dc, 7, 300), RGB(7, 8, 9));
  EXPECT_EQ(GetPixel(dc, 7, 495), RGB(255, 255, 255));
  SetMenu(hwnd, nullptr);  // the rows come back white
  EXPECT_EQ(GetPixel(dc, 7, 300), RGB(7, 8, 9));
  EXPECT_EQ(GetPixel(dc, 7, 514), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 594, 0), RGB(4, 5, 6));
  ReleaseDC(hwnd, dc);
}

class Closing : public UserTest {};

TEST_F(Closing, TheCloseBoxSendsWmCloseWhoseDefaultDestroysTheWindow) {
  reaction() = [](HWND, UINT message, WPARAM, LPARAM, LRESULT *) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return false;
  };
  HWND hwnd = make_window();
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  SetTimer(hwnd, 2, 100, nullptr);
  winport::scripted::close("Test");
  WaitMessage();  // the close happens while waiting, inside the display's pump
  EXPECT_FALSE(IsWindow(hwnd));
  auto close = std::find_if(seen().begin(), seen().end(), [](const Seen &s) { return s.message == WM_CLOSE; });
  auto destroy = std::find_if(seen().begin(), seen().end(), [](const Seen &s) { return s.message == WM_DESTROY; });
  ASSERT_NE(close, seen().end());
  ASSERT_NE(destroy, seen().end());
  EXPECT_LT(close - seen().begin(), destroy - seen().begin());
  EXPECT_EQ(winport::scripted::find_window("Test"), nullptr);
  MSG msg;
  EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));  // the quit, and no timer of the dead window
}

TEST_F(Closing, NothingButWmNcDestroyFollowsWmDestroy) {
  HWND hwnd = make_window();
  attach_menu_bar(hwnd);
  ShowWindow(hwnd, SW_SHOW);
  DestroyWindow(hwnd);
  auto destroy = std::find_if(seen().begin(), seen().end(), [](const Seen &s) { return s.message == WM_DESTROY; });
  ASSERT_NE(destroy, seen().end());
  std::vector<UINT> after;
  for (auto it = destroy + 1; it != seen().end(); ++it) after.push_back(it->message);
  EXPECT_EQ(after, std::vector<UINT>{WM_NCDESTROY});
}

TEST_F(Closing, AProcedureThatKeepsWmCloseKeepsItsWindow) {
  reaction() = [](HWND, UINT message, WPARAM, LPARAM, LRESULT *result) {
    *result = 0;
    return message == WM_CLOSE;
  };
  HWND hwnd = make_window();
  winport::scripted::close("Test", 10);
  winport::scripted::click("Test", 1, 1, 20);
  MSG msg;
  GetMessageA(&msg, nullptr, 0, 0);
  EXPECT_TRUE(IsWindow(hwnd));
  EXPECT_EQ(of(WM_CLOSE).size(), 1u);
  EXPECT_TRUE(of(WM_DESTROY).empty());
}

class Input : public UserTest {};

TEST_F(Input, KeysGoToTheWindowWithTheFocus) {
  HWND a = make_window("A");
  HWND b = make_window("B");
  ShowWindow(a, SW_SHOW);
  ShowWindow(b, SW_SHOW);
  EXPECT_EQ(GetFocus(), b);  // showing activates
  EXPECT_EQ(SetFocus(a), b);
  ASSERT_FALSE(of(WM_KILLFOCUS).empty());
  EXPECT_EQ(of(WM_KILLFOCUS).back().hwnd, b);
  EXPECT_EQ(of(WM_SETFOCUS).back().hwnd, a);
  winport::scripted::key("A", 'X', 'x');
  winport::scripted::key("B", 'Y', 'y');
  // Each poll that finds nothing delivers the next scheduled key.
  while (pump_one() != WM_NULL) {
  }
  auto downs = of(WM_KEYDOWN);
  ASSERT_EQ(downs.size(), 2u);
  EXPECT_EQ(downs[0].hwnd, a);
  EXPECT_EQ(downs[1].hwnd, b);  // typing at B moved the focus there first
  EXPECT_EQ(GetFocus(), b);
  EXPECT_EQ(of(WM_CHAR).back().hwnd, b);
}

TEST_F(Input, AClickArrivesInClientCoordinatesBelowTheMenuBar) {
  HWND hwnd = make_window();
  attach_menu_bar(hwnd);
  ShowWindow(hwnd, SW_SHOW);
  winport::scripted::click("Test", 297, 248);
  WaitMessage();
  while (pump_one() != WM_NULL) {
  }
  auto downs = of(WM_LBUTTONDOWN);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0].lparam, MAKELPARAM(297, 248));
  EXPECT_EQ(downs[0].wparam, static_cast<WPARAM>(MK_LBUTTON));
  EXPECT_EQ(of(WM_LBUTTONUP).size(), 1u);
}

class Frames : public UserTest {};

TEST_F(Frames, DrawingThroughGetDcIsPresentedOnceAtTheNextLookForMessages) {
  HWND hwnd = make_window();
  attach_menu_bar(hwnd);
  ShowWindow(hwnd, SW_SHOW);
  int frames = 0;
  uint32_t pixel = 0;
  int width = 0, height = 0;
  winport::headless::on_frame([&](HWND h, const uint32_t *pixels, int w, int ht, int stride) {
    EXPECT_EQ(h, hwnd);
    ++frames;
    width = w;
    height = ht;
    pixel = pixels[static_cast<size_t>(19 + 10) * stride + 20];
  });
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  EXPECT_EQ(frames, 1);
  EXPECT_EQ(width, 595);
  EXPECT_EQ(height, 19 + 496);

  HDC dc = GetDC(hwnd);
  ASSERT_NE(dc, nullptr);
  SetPixel(dc, 20, 10, RGB(255, 0, 0));
  EXPECT_EQ(frames, 1);  // nothing shows before the program looks for messages
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  EXPECT_EQ(frames, 2);
  EXPECT_EQ(pixel, 0xFF0000u);
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  EXPECT_EQ(frames, 2);  // unchanged pixels are not presented again
  EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
  EXPECT_EQ(ReleaseDC(hwnd, dc), 0);

  HDC screen = GetDC(nullptr);
  EXPECT_NE(screen, nullptr);
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}

TEST_F(Frames, BeginPaintValidatesAndAsksForTheBackgroundOnce) {
  HWND hwnd = make_window();
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  EXPECT_EQ(of(WM_PAINT).size(), 1u);
  EXPECT_EQ(of(WM_ERASEBKGND).size(), 1u);
  UpdateWindow(hwnd);  // valid now: nothing more
  EXPECT_EQ(of(WM_PAINT).size(), 1u);
  InvalidateRect(hwnd, nullptr, FALSE);
  EXPECT_EQ(pump_one(), static_cast<UINT>(WM_PAINT));
  EXPECT_EQ(of(WM_ERASEBKGND).size(), 1u);  // no erase was asked for
}

// Two invalidated rectangles are painted as one: BeginPaint's rcPaint is their bounding box, clipped
// to the client area. Each rectangle holds two of its edges.
TEST_F(Frames, TwoInvalidatedRectanglesArePaintedAsTheirBoundingBox) {
  HWND hwnd = make_window();
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  std::vector<RECT> painted;
  reaction() = [&](HWND h, UINT message, WPARAM, LPARAM, LRESULT *) {
    if (message != WM_PAINT) return false;
    PAINTSTRUCT ps;
    BeginPaint(h, &ps);
    painted.push_back(ps.rcPaint);
    EndPaint(h, &ps);
    return true;
  };
  const RECT left_top = {10, 5, 30, 40}, right_bottom = {50, 20, 700, 60};
  InvalidateRect(hwnd, &left_top, FALSE);
  InvalidateRect(hwnd, &right_bottom, FALSE);
  EXPECT_EQ(pump_one(), static_cast<UINT>(WM_PAINT));
  ASSERT_EQ(painted.size(), 1u);
  const RECT &r = painted[0];
  EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right, r.bottom}), std::vector<LONG>({10, 5, 595, 60}));
}

TEST_F(Frames, WinportFramesSavesEveryPresentedFrameAsPng) {
  char dir[] = "/tmp/winport-frames-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  setenv("WINPORT_FRAMES", dir, 1);
  HWND hwnd = make_window("Frame test: 1");
  ShowWindow(hwnd, SW_SHOW);
  HDC dc = GetDC(hwnd);
  SetPixel(dc, 3, 4, RGB(10, 20, 30));
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  SetPixel(dc, 3, 4, RGB(40, 50, 60));
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  unsetenv("WINPORT_FRAMES");
  ReleaseDC(hwnd, dc);

  std::string first = std::string(dir) + "/Frame_test__1-000001.png";
  std::string second = std::string(dir) + "/Frame_test__1-000002.png";
  img::Image frame;
  ASSERT_TRUE(img::read_png(first, &frame));
  EXPECT_EQ(frame.width, 595);
  EXPECT_EQ(frame.height, 515);
  EXPECT_EQ(frame.at(3, 4), 0x0A141Eu);
  ASSERT_TRUE(img::read_png(second, &frame));
  EXPECT_EQ(frame.at(3, 4), 0x28323Cu);
  std::remove(first.c_str());
  std::remove(second.c_str());
  rmdir(dir);
}

class Stuck : public UserTest {};

TEST_F(Stuck, AProgramWaitingForNothingMeetsTheStuckHandler) {
  struct Stopped {};
  HWND hwnd = make_window();
  SetTimer(hwnd, 1, 100, nullptr);
  winport::scripted::set_idle_limit_ms(1000);
  winport::scripted::set_stuck_handler([] { throw Stopped{}; });
  winport::scripted::click("Test", 3, 3, 500);
  int ticks = 0;
  MSG msg;
  EXPECT_THROW(
      while (GetMessageA(&msg, nullptr, 0, 0)) {
        if (msg.message == WM_TIMER) ++ticks;
      },
      Stopped);
  // Idle time counts from the last input: the click at 500 and one more second of ticks.
  EXPECT_EQ(winport::headless::now_ms(), 1500u);
  EXPECT_EQ(ticks, 14);
}

TEST_F(Stuck, AnEndlessPollingLoopIsStoppedToo) {
  struct Stopped {};
  winport::scripted::set_idle_limit_ms(200);
  winport::scripted::set_stuck_handler([] { throw Stopped{}; });
  MSG msg;
  EXPECT_THROW(
      for (;;) PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE), Stopped);
  EXPECT_EQ(winport::headless::now_ms(), 200u);
}

}  // namespace
}  // namespace winport_test

// fixture.h — a headless USER32 for each test, and a window procedure that records its messages.
#pragma once

#include <windows.h>
#include <winport/headless.h>
#include <winport/scripted_input.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace winport_test {

struct Seen {
  HWND hwnd;
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};

// Every message any recording window receives, in order.
inline std::vector<Seen> &seen() {
  static std::vector<Seen> log;
  return log;
}

// Optional per-test reaction, run after recording and before the default procedure.
inline std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT *)> &reaction() {
  static std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT *)> r;
  return r;
}

inline LRESULT CALLBACK recording_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  seen().push_back({hwnd, message, wparam, lparam});
  LRESULT result = 0;
  if (reaction() && reaction()(hwnd, message, wparam, lparam, &result)) return result;
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

class UserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winport::headless::use();
    winport::scripted::reset();
    winport::scripted::set_idle_limit_ms(60000);
    winport::scripted::set_stuck_handler(nullptr);
    seen().clear();
    reaction() = nullptr;
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = recording_proc;
    wc.hbrBackground = CreateSolidBrush(RGB(255, 255, 255));
    wc.lpszClassName = "TestClass";
    ASSERT_NE(RegisterClassA(&wc), 0);
  }
  void TearDown() override {
    reaction() = nullptr;
    winport::scripted::reset();
  }

  // A window like the graphics window: caption, system menu, 601 x 540 at the origin.
  HWND make_window(const char *title = "Test", DWORD style = WS_CAPTION | WS_SYSMENU, int width = 601,
                   int height = 540) {
    return CreateWindowExA(0, "TestClass", title, style, 0, 0, width, height, nullptr, nullptr, nullptr,
                           nullptr);
  }

  // Attaches a menu bar with one item, "&File" (command 5).
  static void attach_menu_bar(HWND hwnd) {
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_STRING, 5, "&File");
    SetMenu(hwnd, bar);
  }

  // The messages seen so far with this number, in order.
  static std::vector<Seen> of(UINT message) {
    std::vector<Seen> out;
    for (const Seen &s : seen())
      if (s.message == message) out.push_back(s);
    return out;
  }

  // Retrieve and dispatch one message; returns its number, or WM_NULL when none was there.
  static UINT pump_one() {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return WM_NULL;
    if (msg.message == WM_QUIT) return WM_QUIT;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return msg.message;
  }
};

}  // namespace winport_test

// Menus: choosing with the mouse and the keyboard gives WM_COMMAND; grayed items and separators
// refuse; Ctrl keys stay the program's; check marks report their previous state; the drawn look.
#include "fixture.h"

namespace winport_test {
namespace {

using winport::scripted::alt_key;
using winport::scripted::click;
using winport::scripted::key;

class Menus : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    hwnd = make_window();
    bar = CreateMenu();
    run = CreatePopupMenu();
    AppendMenuA(run, MF_STRING, 1, "&Animate\tCtrl+A");
    AppendMenuA(run, MF_STRING, 2, "&Halt animation\tCtrl+H");
    AppendMenuA(run, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(run, MF_STRING | MF_CHECKED, 4, "&Logging\tCtrl+L");
    AppendMenuA(run, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(run, MF_STRING | MF_GRAYED, 9, "&Version 1.0");
    view = CreatePopupMenu();
    AppendMenuA(view, MF_STRING, 20, "&Zoom");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(run), "&Run");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), "&View");
    SetMenu(hwnd, bar);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
  }

  // Dispatch everything, letting each poll that finds nothing deliver the next scheduled input.
  void settle() {
    while (pump_one() != WM_NULL || winport::scripted::pending_input() > 0) {
    }
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // presents what the last input changed
  }

  std::vector<WPARAM> commands() {
    std::vector<WPARAM> ids;
    for (const Seen &s : of(WM_COMMAND)) ids.push_back(s.wparam);
    return ids;
  }

  HWND hwnd = nullptr;
  HMENU bar = nullptr, run = nullptr, view = nullptr;
};

TEST_F(Menus, ChoosingWithTheMouseCommandsAndTheClicksStayInTheMenu) {
  winport::scripted::menu_command("Test", 2);
  winport::scripted::menu_command("Test", 20);
  settle();
  EXPECT_EQ(commands(), (std::vector<WPARAM>{2, 20}));
  EXPECT_TRUE(of(WM_LBUTTONDOWN).empty());
  EXPECT_TRUE(of(WM_LBUTTONUP).empty());
}

TEST_F(Menus, AClickOutsideAnOpenMenuClosesItAndIsNotTheProgramsClick) {
  click("Test", 10, -10);  // the bar lies above the client area
  click("Test", 400, 400);
  click("Test", 300, 300);
  settle();
  EXPECT_TRUE(commands().empty());
  auto downs = of(WM_LBUTTONDOWN);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0].lparam, MAKELPARAM(300, 300));
  EXPECT_EQ(of(WM_LBUTTONUP).size(), 1u);
}

TEST_F(Menus, GrayedItemsAndSeparatorsCannotBeChosen) {
  winport::scripted::menu_command("Test", 9);
  settle();
  EXPECT_TRUE(commands().empty());
  key("Test", VK_ESCAPE, 27);  // the menu stayed open on the grayed item; back out of it
  key("Test", VK_ESCAPE, 27);
  alt_key("Test", 'R', 'r');
  key("Test", 'V', 'v');  // the grayed item's mnemonic
  key("Test", VK_ESCAPE, 27);
  key("Test", VK_ESCAPE, 27);
  settle();
  EXPECT_TRUE(commands().empty());
  EXPECT_TRUE(of(WM_KEYDOWN).empty());  // every key went to the menu
  // With the menu closed, the same key is the program's again.
  key("Test", 'V', 'v');
  settle();
  EXPECT_EQ(of(WM_KEYDOWN).size(), 1u);
  EXPECT_EQ(of(WM_CHAR).size(), 1u);
}

TEST_F(Menus, KeyboardSelectsMovesAndChooses) {
  key("Test", VK_F10, 0);
  key("Test", VK_DOWN, 0);  // opens Run on its first item
  key("Test", VK_DOWN, 0);
  key("Test", VK_RETURN, '\r');
  settle();
  EXPECT_EQ(commands(), (std::vector<WPARAM>{2}));

  alt_key("Test", 'R', 'r');
  key("Test", 'L', 'l');  // mnemonic of Logging
  settle();
  EXPECT_EQ(commands(), (std::vector<WPARAM>{2, 4}));

  key("Test", VK_MENU, 0);  // Alt alone selects the bar
  key("Test", VK_RIGHT, 0);
  key("Test", VK_DOWN, 0);
  key("Test", VK_RETURN, '\r');
  settle();
  EXPECT_EQ(commands(), (std::vector<WPARAM>{2, 4, 20}));

  key("Test", VK_F10, 0);
  key("Test", VK_UP, 0);  // opens on the last item: the grayed one; going up skips the separator
  key("Test", VK_UP, 0);
  key("Test", VK_RETURN, '\r');
  settle();
  EXPECT_EQ(commands(), (std::vector<WPARAM>{2, 4, 20, 4}));
  EXPECT_TRUE(of(WM_KEYDOWN).empty());
  EXPECT_TRUE(of(WM_CHAR).empty());
}

TEST_F(Menus, LeftAndRightWrapAroundTheBar) {
  key("Test", VK_F10, 0);  // Run selected
  key("Test", VK_LEFT, 0);  // round to the last item, View
  key("Test", VK_DOWN, 0);
  key("Test", VK_RETURN, '\r');
  alt_key("Test", 'V', 'v');  // View open
  key("Test", VK_RIGHT, 0);   // round to the first, Run, open on its first item
  key("Test", VK_RETURN, '\r');
  settle();
  EXPECT_EQ(commands(), (std::vector<WPARAM>{20, 1}));
  EXPECT_TRUE(of(WM_KEYDOWN).empty());
}

TEST_F(Menus, CtrlKeysReachTheProgramEvenWithTheMenuOpen) {
  alt_key("Test", 'R', 'r');
  key("Test", 'A', 'a', true);  // Ctrl+A: the program's shortcut, not the Animate mnemonic
  settle();
  EXPECT_TRUE(commands().empty());
  ASSERT_EQ(of(WM_CHAR).size(), 1u);
  EXPECT_EQ(of(WM_CHAR)[0].wparam, 1u);
  key("Test", 'A', 'a');  // the menu is still open: now it is the mnemonic
  settle();
  EXPECT_EQ(commands(), (std::vector<WPARAM>{1}));
  EXPECT_EQ(of(WM_CHAR).size(), 1u);
}

TEST_F(Menus, CheckAndEnableReportThePreviousState) {
  EXPECT_EQ(CheckMenuItem(run, 4, MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
  EXPECT_EQ(CheckMenuItem(run, 4, MF_UNCHECKED), static_cast<DWORD>(MF_UNCHECKED));
  EXPECT_EQ(CheckMenuItem(bar, 4, MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));  // found through the popup
  EXPECT_EQ(CheckMenuItem(run, 77, MF_CHECKED), static_cast<DWORD>(-1));
  EXPECT_EQ(CheckMenuItem(run, 0, MF_CHECKED | MF_BYPOSITION), static_cast<DWORD>(MF_UNCHECKED));
  EXPECT_EQ(EnableMenuItem(run, 9, MF_ENABLED), MF_GRAYED);
  winport::scripted::menu_command("Test", 9);
  settle();
  EXPECT_EQ(commands(), (std::vector<WPARAM>{9}));
  EXPECT_EQ(GetMenu(hwnd), bar);
  EXPECT_TRUE(DestroyMenu(run));
  EXPECT_EQ(CheckMenuItem(run, 4, MF_CHECKED), static_cast<DWORD>(-1));
}

TEST_F(Menus, TheBarAndAnOpenPopupAreDrawnOverTheClientArea) {
  std::vector<uint32_t> frame;
  int width = 0, height = 0;
  winport::headless::on_frame([&](HWND, const uint32_t *pixels, int w, int h, int stride) {
    width = w;
    height = h;
    frame.assign(pixels, pixels + static_cast<size_t>(h) * stride);
  });
  auto at = [&](int x, int y) { return frame[static_cast<size_t>(y) * width + x]; };
  HDC dc = GetDC(hwnd);
  RECT all{0, 0, 595, 496};
  HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
  FillRect(dc, &all, green);
  settle();
  ASSERT_EQ(height, 19 + 496);
  EXPECT_EQ(at(500, 5), 0xC0C0C0u);   // bar
  EXPECT_EQ(at(100, 100), 0x00FF00u);  // client

  key("Test", VK_F10, 0);
  key("Test", VK_DOWN, 0);
  settle();
  EXPECT_EQ(at(1, 19), 0xC0C0C0u);  // the popup's light outer edge, just below the bar
  EXPECT_EQ(at(2, 20), 0xFFFFFFu);  // its white inner edge
  EXPECT_EQ(at(5, 19 + 3 + 9), 0x000080u);  // the first item, highlighted
  EXPECT_EQ(at(500, 100), 0x00FF00u);        // the client area beside it

  key("Test", VK_ESCAPE, 27);
  key("Test", VK_ESCAPE, 27);
  settle();
  EXPECT_EQ(at(5, 19 + 3 + 9), 0x00FF00u);  // closed: the client area shows again
  ReleaseDC(hwnd, dc);
  DeleteObject(green);
}

}  // namespace
}  // namespace winport_test

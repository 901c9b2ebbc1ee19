// state.h — USER32's state, shared by the modules of winport/user.
//
// One set per process: registered classes, live windows (in creation order), menus, the message
// queue with its quit flag, timers, the keyboard state and the focus. Handles are opaque numbers
// looked up here, so a stale or foreign HWND or HMENU is refused instead of dereferenced.
//
// Window procedures can destroy windows at any moment (WM_CLOSE destroys inside the call), so code
// that calls a procedure looks its Window up again by handle afterwards instead of keeping a pointer.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "display/display.h"
#include "gdi/surface.h"

namespace winport::user {

struct WindowClass {
  std::string name;  // as registered; looked up without regard to case, as Win32 does
  WNDPROC proc = nullptr;
  UINT style = 0;
  HBRUSH background = nullptr;
};

struct MenuItem {
  UINT flags = 0;  // MF_GRAYED, MF_CHECKED, MF_POPUP, MF_SEPARATOR ...
  UINT_PTR id = 0;
  std::string text;  // with '&' before the mnemonic and an optional '\t' before the shortcut
  HMENU popup = nullptr;
};

struct Menu {
  HMENU handle = nullptr;
  bool popup = false;
  std::vector<MenuItem> items;
};

// Where the user is in a window's menu bar: nothing, a highlighted bar item, or an open popup.
struct MenuTracking {
  int bar_item = -1;     // highlighted bar item, -1 while the menu is inactive
  bool open = false;     // the popup of bar_item is shown
  int popup_item = -1;   // highlighted item of the open popup
  bool alt_alone = false;   // Alt went down and no other key followed yet
  bool swallow_up = false;  // a button-down closed the menu; its button-up is not the program's
};

struct Window {
  HWND handle = nullptr;
  WNDPROC proc = nullptr;
  HBRUSH background = nullptr;
  DWORD style = 0;
  std::string title;
  std::string class_name;  // as registered
  RECT rect{};  // outer rectangle on the screen
  HMENU menu = nullptr;
  bool visible = false;
  bool shown_before = false;

  std::shared_ptr<Surface> client;    // the client area's pixels, drawn by window DCs
  std::shared_ptr<Surface> composed;  // the menu bar; with a popup open, the client rows under it too
  HDC composed_dc = nullptr;          // GDI DC over `composed`, for drawing the menu
  bool frame_stale = true;            // menu bar or popup changed since the last present

  bool invalid = false;  // needs WM_PAINT
  bool erase = false;    // needs WM_ERASEBKGND in BeginPaint
  RECT update{};         // invalid part of the client area

  display::NativeWindow *native = nullptr;
  MenuTracking tracking;
};

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT elapse = 0;
  uint64_t due = 0;  // display clock
  TIMERPROC proc = nullptr;
};

using KeyboardState = std::array<unsigned char, 256>;  // per virtual key: 0x80 down, 0x01 toggled

// Input from the display waiting in the queue. A key-down keeps the character it types beside the
// message, since Win32's lParam has the key's scan code where the character would be; every input
// keeps the keyboard state as it was when the input happened, which becomes GetKeyState's once the
// program retrieves it.
struct QueuedInput {
  MSG msg;
  unsigned char ch = 0;
  KeyboardState keys{};
};

struct State {
  std::vector<WindowClass> classes;
  std::vector<std::unique_ptr<Window>> windows;
  std::vector<std::unique_ptr<Menu>> menus;
  std::deque<MSG> posted;  // PostMessageA, TranslateMessage, menu commands
  std::deque<QueuedInput> input;  // mouse and keyboard input from the display, after posted ones
  // The key-down last retrieved from the input and the character it types: TranslateMessage's
  // answer for that message (any other key-down is translated from its virtual key).
  MSG last_key{};
  unsigned char last_key_char = 0;
  bool quit = false;
  int quit_code = 0;
  std::vector<Timer> timers;
  UINT_PTR next_timer_id = 1;
  HWND focus = nullptr;
  KeyboardState keys{};            // as the display's input arrives
  KeyboardState retrieved_keys{};  // as of the input the program last retrieved: GetKeyState
};

State &state();
// The display in use; the first call chooses it.
const display::Display &screen();
// A fresh opaque handle value, never reused in the process.
uintptr_t new_handle();

Window *find_window(HWND hwnd);
Menu *find_menu(HMENU hmenu);

// Frame metrics of a style: frame width on each side and caption height.
int frame_width(DWORD style);
int caption_height(DWORD style);
constexpr int kMenuBarHeight = 19;
// Height of the menu bar in the composed image (0 without a menu).
int menu_bar_height(const Window &w);
// Client size for the window's current outer rectangle, style and menu.
SIZE client_size(const Window &w);
// Resize the client surface to the client size, keeping the pixels that still fit; sends WM_SIZE
// when the size changed and `notify` is set.
void update_client_size(HWND hwnd, bool notify);

// Painting and presentation (paint.cpp).
void invalidate_all(Window &w, bool erase);
void present_all();             // present every visible window whose pixels changed
void present_window(Window &w);  // compose and present now, if visible

// Focus (window.cpp): sends WM_KILLFOCUS and WM_SETFOCUS.
void move_focus(HWND to);

// Timers (queue.cpp).
void kill_window_timers(HWND hwnd);
// Post a message without validating the window.
void post(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
// Queue mouse or keyboard input from the display. As in Win32, input waits behind posted messages,
// so the WM_CHAR that TranslateMessage posts for a key-down comes before the key's own key-up.
// `ch` is the character a key-down types (0 for none and for other input).
void post_input(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, unsigned char ch = 0);

// Menus (menu_*.cpp).
void menu_forget_window(Window &w);
void menu_close(Window &w);
bool menu_active(const Window &w);
// Draw into w.composed: the bar when `bar` is set, and the open popup over the client rows.
void menu_draw(Window &w, bool bar);
// Input the menu takes; each returns true when the menu consumed it.
bool menu_mouse_button(Window &w, bool down, int x, int y);
bool menu_mouse_move(Window &w, int x, int y);
bool menu_key(Window &w, int vk, bool down, unsigned char ch, bool ctrl, bool alt);

}  // namespace winport::user

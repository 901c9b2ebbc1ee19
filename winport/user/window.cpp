// window.cpp — window classes and top-level windows.
//
// Owns USER32's state (state.h) and the life of a window: registration of classes, creation with
// WM_CREATE sent before CreateWindowExA returns, showing (the first show sends WM_SIZE), destruction
// (WM_DESTROY, its timers killed, its menu destroyed), focus, and the default window procedure.
// Every window is top-level; its native counterpart on the display is created with it.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "gdi/objects.h"
#include "user/control.h"
#include "user/state.h"

namespace winport::user {

State &state() {
  static State s;
  return s;
}

const display::Display &screen() { return display::current(); }

uintptr_t new_handle() {
  static uintptr_t next = 0x10000;
  next += 0x10;
  return next;
}

Window *find_window(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  for (auto &w : state().windows)
    if (w->handle == hwnd) return w.get();
  return nullptr;
}

HWND window_by_title(const std::string &title) {
  for (auto &w : state().windows)
    if (w->title == title) return w->handle;
  return nullptr;
}

int client_top(HWND hwnd) {
  Window *w = find_window(hwnd);
  return w != nullptr ? menu_bar_height(*w) : 0;
}

void move_focus(HWND to) {
  State &s = state();
  HWND from = s.focus;
  if (from == to) return;
  s.focus = to;
  if (find_window(from) != nullptr) SendMessageA(from, WM_KILLFOCUS, reinterpret_cast<WPARAM>(to), 0);
  // The old window's procedure may have moved the focus on; only a window still focused hears it.
  if (to != nullptr && s.focus == to && find_window(to) != nullptr)
    SendMessageA(to, WM_SETFOCUS, reinterpret_cast<WPARAM>(from), 0);
}

void reset() {
  State &s = state();
  for (auto &w : s.windows) {
    if (w->native != nullptr) screen().destroy(w->native);
    if (w->composed_dc != nullptr) DeleteDC(w->composed_dc);
  }
  s.windows.clear();
  s.classes.clear();
  s.menus.clear();
  s.posted.clear();
  s.input.clear();
  s.last_key = MSG{};
  s.last_key_char = 0;
  s.quit = false;
  s.quit_code = 0;
  s.timers.clear();
  s.next_timer_id = 1;
  s.focus = nullptr;
  s.keys.fill(0);
  s.retrieved_keys.fill(0);
}

namespace {

bool same_name(const std::string &a, const char *b) {
  size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

const WindowClass *find_class(const char *name) {
  if (name == nullptr) return nullptr;
  for (const auto &c : state().classes)
    if (same_name(c.name, name)) return &c;
  return nullptr;
}

// Stock icon and cursor: distinct non-null handles that nothing dereferences.
struct StockResource {
  int unused;
};
StockResource stock_icon, stock_cursor;

}  // namespace

}  // namespace winport::user

using namespace winport::user;

ATOM WINAPI RegisterClassA(const WNDCLASSA *wc) {
  if (wc == nullptr || wc->lpszClassName == nullptr || wc->lpfnWndProc == nullptr) return 0;
  if (find_class(wc->lpszClassName) != nullptr) return 0;  // ERROR_CLASS_ALREADY_EXISTS
  WindowClass c;
  c.name = wc->lpszClassName;
  c.proc = wc->lpfnWndProc;
  c.style = wc->style;
  c.background = wc->hbrBackground;
  state().classes.push_back(c);
  return static_cast<ATOM>(0xC000 + state().classes.size());
}

HWND WINAPI CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR title, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                            LPVOID param) {
  const WindowClass *cls = find_class(class_name);
  if (cls == nullptr) return nullptr;
  int screen_w = 0, screen_h = 0;
  screen().screen_size(&screen_w, &screen_h);
  if (x == CW_USEDEFAULT) x = y = 0;
  if (width == CW_USEDEFAULT) {
    width = screen_w * 3 / 4;
    height = screen_h * 3 / 4;
  }
  width = std::max(width, 0);
  height = std::max(height, 0);

  auto owned = std::make_unique<Window>();
  Window &w = *owned;
  w.handle = reinterpret_cast<HWND>(new_handle());
  w.proc = cls->proc;
  w.background = cls->background;
  w.style = style & ~static_cast<DWORD>(WS_VISIBLE);
  w.title = title != nullptr ? title : "";
  w.class_name = cls->name;
  w.rect = {x, y, x + width, y + height};
  w.menu = find_menu(menu) != nullptr ? menu : nullptr;
  w.client = std::make_shared<winport::Surface>();
  w.composed = std::make_shared<winport::Surface>();
  SIZE size = client_size(w);
  w.client->resize(size.cx, size.cy, 0xFFFFFF);
  w.native = screen().create(w.handle, w.title.c_str(), x, y, width, height);
  HWND hwnd = w.handle;
  state().windows.push_back(std::move(owned));

  CREATESTRUCTA cs{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style),
                   title, class_name, ex_style};
  if (SendMessageA(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (find_window(hwnd) == nullptr) return nullptr;  // destroyed during its own creation
  if (style & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
  return hwnd;
}

BOOL WINAPI DestroyWindow(HWND hwnd) {
  Window *w = find_window(hwnd);
  if (w == nullptr) return FALSE;
  State &s = state();
  if (w->visible) {
    w->visible = false;
    if (w->native != nullptr) screen().show(w->native, false);
  }
  if (s.focus == hwnd) move_focus(nullptr);
  SendMessageA(hwnd, WM_DESTROY, 0, 0);
  kill_window_timers(hwnd);
  w = find_window(hwnd);  // the procedure may have destroyed it already
  if (w == nullptr) return TRUE;
  SendMessageA(hwnd, WM_NCDESTROY, 0, 0);
  w = find_window(hwnd);
  if (w == nullptr) return TRUE;
  menu_forget_window(*w);
  // Detached first: a menu destroyed while attached resizes its window, and a window being
  // destroyed hears nothing after WM_NCDESTROY.
  if (HMENU menu = w->menu; menu != nullptr) {
    w->menu = nullptr;
    DestroyMenu(menu);
  }
  if (w->native != nullptr) screen().destroy(w->native);
  if (w->composed_dc != nullptr) DeleteDC(w->composed_dc);
  auto &list = s.windows;
  list.erase(std::remove_if(list.begin(), list.end(), [&](auto &p) { return p->handle == hwnd; }), list.end());
  return TRUE;
}

BOOL WINAPI ShowWindow(HWND hwnd, int command) {
  Window *w = find_window(hwnd);
  if (w == nullptr) return FALSE;
  BOOL was_visible = w->visible ? TRUE : FALSE;
  bool show = command != SW_HIDE;
  if (show == w->visible) return was_visible;
  SendMessageA(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  if ((w = find_window(hwnd)) == nullptr) return was_visible;
  w->visible = show;
  if (w->native != nullptr) screen().show(w->native, show);
  if (!show) {
    menu_close(*w);
    if (state().focus == hwnd) move_focus(nullptr);
    return was_visible;
  }
  bool first = !w->shown_before;
  w->shown_before = true;
  w->frame_stale = true;
  invalidate_all(*w, true);
  if (command != SW_SHOWNA && command != SW_SHOWNOACTIVATE) move_focus(hwnd);
  if (first && (w = find_window(hwnd)) != nullptr) {
    SIZE size = client_size(*w);
    SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(size.cx, size.cy));
  }
  return was_visible;
}

// Names compare without regard to case, as Win32 compares them; a null name matches any window.
HWND WINAPI FindWindowA(LPCSTR class_name, LPCSTR title) {
  for (const auto &w : state().windows) {
    if (class_name != nullptr && !same_name(w->class_name, class_name)) continue;
    if (title != nullptr && !same_name(w->title, title)) continue;
    return w->handle;
  }
  return nullptr;
}

BOOL WINAPI IsWindow(HWND hwnd) { return find_window(hwnd) != nullptr ? TRUE : FALSE; }

BOOL WINAPI IsWindowVisible(HWND hwnd) {
  Window *w = find_window(hwnd);
  return w != nullptr && w->visible ? TRUE : FALSE;
}

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) {
  Window *w = find_window(hwnd);
  if (w == nullptr || rect == nullptr) return FALSE;
  SIZE size = client_size(*w);
  *rect = {0, 0, size.cx, size.cy};
  return TRUE;
}

BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect) {
  Window *w = find_window(hwnd);
  if (w == nullptr || rect == nullptr) return FALSE;
  *rect = w->rect;
  return TRUE;
}

BOOL WINAPI SetWindowTextA(HWND hwnd, LPCSTR text) {
  Window *w = find_window(hwnd);
  if (w == nullptr) return FALSE;
  w->title = text != nullptr ? text : "";
  if (w->native != nullptr) screen().set_title(w->native, w->title.c_str());
  return TRUE;
}

HWND WINAPI GetFocus(void) { return state().focus; }

HWND WINAPI SetFocus(HWND hwnd) {
  HWND previous = state().focus;
  if (hwnd != nullptr && find_window(hwnd) == nullptr) return nullptr;
  move_focus(hwnd);
  return previous;
}

SHORT WINAPI GetKeyState(int vk) {
  if (vk < 0 || vk > 255) return 0;
  unsigned char k = state().retrieved_keys[static_cast<size_t>(vk)];
  return static_cast<SHORT>(((k & 0x80) ? 0x8000 : 0) | (k & 0x01));
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_ERASEBKGND: {
      Window *w = find_window(hwnd);
      if (w == nullptr || w->background == nullptr) return 0;
      RECT rect;
      GetClientRect(hwnd, &rect);
      FillRect(reinterpret_cast<HDC>(wparam), &rect, w->background);
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    default:
      return 0;
  }
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
  if (instance != nullptr || name != IDI_APPLICATION) return nullptr;
  return reinterpret_cast<HICON>(&stock_icon);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (instance != nullptr || name != IDC_ARROW) return nullptr;
  return reinterpret_cast<HCURSOR>(&stock_cursor);
}

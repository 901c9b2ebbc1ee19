// input.cpp — the input sink: what a display reports becomes Win32 messages.
//
// Points arrive in the window's composed image (menu bar on top). The menu takes what falls on the
// bar or an open popup, and the keys it understands while it is active; the rest is posted to the
// program: mouse buttons in client coordinates, keys to the window with the keyboard focus. A key
// message carries the key's scan code in lParam as Win32's do (a US keyboard's); the character a
// key-down types, already turned into a control code when Ctrl is held, waits beside it in the
// queue for TranslateMessage.
#include "display/input.h"

#include "user/state.h"

namespace winport::input {

using user::find_window;
using user::State;
using user::state;
using user::Window;

namespace {

WPARAM mouse_keys() {
  const State &s = state();
  WPARAM keys = 0;
  if (s.keys[VK_LBUTTON] & 0x80) keys |= MK_LBUTTON;
  if (s.keys[0x02] & 0x80) keys |= MK_RBUTTON;
  if (s.keys[VK_SHIFT] & 0x80) keys |= MK_SHIFT;
  if (s.keys[VK_CONTROL] & 0x80) keys |= MK_CONTROL;
  return keys;
}

void set_key(int vk, bool down) {
  unsigned char &k = state().keys[vk & 0xFF];
  if (down) {
    if (!(k & 0x80)) k ^= 0x01;  // toggled on each press
    k |= 0x80;
  } else {
    k &= static_cast<unsigned char>(~0x80);
  }
}

// The character a key-down types: Ctrl turns a letter into its control code and anything else
// into nothing (a control code given as it is stays).
unsigned char typed(unsigned char ch, bool ctrl) {
  if (!ctrl || (ch >= 1 && ch <= 26)) return ch;
  if (ch >= 'a' && ch <= 'z') return static_cast<unsigned char>(ch - 'a' + 1);
  if (ch >= 'A' && ch <= 'Z') return static_cast<unsigned char>(ch - 'A' + 1);
  return 0;
}

// The scan code of a virtual key on a US keyboard (set 1), and whether it is one of the extended
// keys (the arrows and the block above them); 0 for a key winport does not know.
struct Scan {
  unsigned char code;
  bool extended;
};

Scan scan_code(int vk) {
  // Rows of the main block, in scan-code order.
  static const char kRows[][14] = {"1234567890", "QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
  static const unsigned char kRowStart[] = {0x02, 0x10, 0x1E, 0x2C};
  for (int r = 0; r < 4; ++r)
    for (int i = 0; kRows[r][i] != '\0'; ++i)
      if (kRows[r][i] == vk) return {static_cast<unsigned char>(kRowStart[r] + i), false};
  if (vk >= VK_F1 && vk <= VK_F1 + 9) return {static_cast<unsigned char>(0x3B + vk - VK_F1), false};
  if (vk == VK_F1 + 10 || vk == VK_F1 + 11) return {static_cast<unsigned char>(0x57 + vk - VK_F1 - 10), false};
  static const struct {
    int vk;
    Scan scan;
  } kOthers[] = {
      {VK_ESCAPE, {0x01, false}}, {0xBD, {0x0C, false}},   {0xBB, {0x0D, false}},     {VK_BACK, {0x0E, false}},
      {VK_TAB, {0x0F, false}},    {0xDB, {0x1A, false}},   {0xDD, {0x1B, false}},     {VK_RETURN, {0x1C, false}},
      {VK_CONTROL, {0x1D, false}}, {0xBA, {0x27, false}},  {0xDE, {0x28, false}},     {0xC0, {0x29, false}},
      {VK_SHIFT, {0x2A, false}},  {0xDC, {0x2B, false}},   {0xBC, {0x33, false}},     {0xBE, {0x34, false}},
      {0xBF, {0x35, false}},      {0x6A, {0x37, false}},   {VK_MENU, {0x38, false}},  {VK_SPACE, {0x39, false}},
      {0x6D, {0x4A, false}},      {0x6B, {0x4E, false}},   {0x6F, {0x35, true}},      {0x6E, {0x53, false}},
      {0x60, {0x52, false}},      {0x61, {0x4F, false}},   {0x62, {0x50, false}},     {0x63, {0x51, false}},
      {0x64, {0x4B, false}},      {0x65, {0x4C, false}},   {0x66, {0x4D, false}},     {0x67, {0x47, false}},
      {0x68, {0x48, false}},      {0x69, {0x49, false}},   {0x0C, {0x4C, false}},     {VK_HOME, {0x47, true}},
      {VK_UP, {0x48, true}},      {VK_PRIOR, {0x49, true}}, {VK_LEFT, {0x4B, true}},  {VK_RIGHT, {0x4D, true}},
      {VK_END, {0x4F, true}},     {VK_DOWN, {0x50, true}}, {VK_NEXT, {0x51, true}},   {VK_INSERT, {0x52, true}},
      {VK_DELETE, {0x53, true}},
  };
  for (const auto &o : kOthers)
    if (o.vk == vk) return o.scan;
  return {0, false};
}

}  // namespace

void mouse_button(HWND hwnd, int button, bool down, int x, int y) {
  Window *w = find_window(hwnd);
  if (w == nullptr) return;
  static const int kVk[] = {0, VK_LBUTTON, 0x04, 0x02};
  if (button >= 1 && button <= 3) set_key(kVk[button], down);
  // Pressing a button on a window activates it, and the keyboard follows.
  if (down && state().focus != hwnd) {
    user::move_focus(hwnd);
    if ((w = find_window(hwnd)) == nullptr) return;
  }
  if (button == 1 && user::menu_mouse_button(*w, down, x, y)) return;
  if (button != 1 && user::menu_active(*w)) return;
  int top = user::menu_bar_height(*w);
  if (y < top) return;  // the bar outside its items
  UINT message;
  switch (button) {
    case 1: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
    case 2: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
    case 3: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
    default: return;
  }
  user::post_input(hwnd, message, mouse_keys(), MAKELPARAM(x, y - top));
}

void mouse_move(HWND hwnd, int x, int y) {
  Window *w = find_window(hwnd);
  if (w == nullptr) return;
  if (user::menu_mouse_move(*w, x, y)) return;
  int top = user::menu_bar_height(*w);
  if (y < top) return;
  // Moves coalesce, as in Win32: a move still waiting is updated instead of queued again.
  State &s = state();
  if (!s.input.empty() && s.input.back().msg.message == WM_MOUSEMOVE && s.input.back().msg.hwnd == hwnd) {
    s.input.back().msg.lParam = MAKELPARAM(x, y - top);
    return;
  }
  user::post_input(hwnd, WM_MOUSEMOVE, mouse_keys(), MAKELPARAM(x, y - top));
}

void key(HWND hwnd, int vk, bool down, unsigned char ch, bool ctrl, bool shift, bool alt) {
  Window *w = find_window(hwnd);
  if (w == nullptr) return;
  bool repeat = down && (state().keys[vk & 0xFF] & 0x80) != 0;  // held down: auto-repeat
  set_key(VK_CONTROL, ctrl || (vk == VK_CONTROL && down));
  set_key(VK_SHIFT, shift || (vk == VK_SHIFT && down));
  set_key(VK_MENU, alt || (vk == VK_MENU && down));
  set_key(vk, down);
  if (user::menu_key(*w, vk, down, ch, ctrl, alt)) return;
  // Keys go to the window with the focus; the display's window when none of ours has it.
  HWND target = find_window(state().focus) != nullptr ? state().focus : hwnd;
  const Scan scan = scan_code(vk);
  LPARAM lparam = 1 | (static_cast<LPARAM>(scan.code) << 16);
  if (scan.extended) lparam |= 1L << 24;
  if (alt) lparam |= 1L << 29;
  if (!down || repeat) lparam |= 1L << 30;  // the key was down before
  if (!down) lparam |= 1L << 31;
  UINT message = alt || vk == VK_MENU || vk == VK_F10 ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP)
                                                       : (down ? WM_KEYDOWN : WM_KEYUP);
  user::post_input(target, message, static_cast<WPARAM>(vk), lparam, down ? typed(ch, ctrl) : 0);
}

void focus(HWND hwnd, bool gained) {
  Window *w = find_window(hwnd);
  if (w == nullptr) return;
  if (gained) {
    user::move_focus(hwnd);
  } else {
    user::menu_close(*w);
    if (state().focus == hwnd) user::move_focus(nullptr);
  }
}

void close(HWND hwnd) {
  Window *w = find_window(hwnd);
  if (w == nullptr) return;
  user::menu_close(*w);
  SendMessageA(hwnd, WM_CLOSE, 0, 0);
}

void expose(HWND hwnd) {
  Window *w = find_window(hwnd);
  if (w == nullptr) return;
  w->frame_stale = true;
  user::present_window(*w);
}

}  // namespace winport::input

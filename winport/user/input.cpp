// input.cpp — the input sink: what a display reports becomes Win32 messages.
//
// Points arrive in the window's composed image (menu bar on top). The menu takes what falls on the
// bar or an open popup, and the keys it understands while it is active; the rest is posted to the
// program: mouse buttons in client coordinates, keys to the window with the keyboard focus. A key
// message carries the key's scan code in lParam as Win32's do (a US keyboard's); the character a
// key-down types, already turned into a control code when Ctrl is held, waits beside it in the
// queue for TranslateMessage.
#include "display/input.h"

#include "keyboard/keys.h"
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
  LPARAM lparam = 1;
  if (const keyboard::Key *k = keyboard::find(vk)) {
    lparam |= static_cast<LPARAM>(k->scan) << 16;
    if (k->extended) lparam |= 1L << 24;
  }
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

// menu_track.cpp — how the user works a window's menu bar with the mouse and the keyboard.
#include <windows.h>

#include "user/control.h"
#include "user/state.h"

namespace winport::user {

bool menu_active(const Window &w) { return w.tracking.bar_item >= 0; }

void menu_close(Window &w) {
  if (!menu_active(w)) return;
  w.tracking.bar_item = -1;
  w.tracking.open = false;
  w.tracking.popup_item = -1;
  w.frame_stale = true;
}

bool menu_mouse_button(Window &, bool, int, int) { return false; }
bool menu_mouse_move(Window &, int, int) { return false; }
bool menu_key(Window &, int, bool, unsigned char, bool, bool) { return false; }
bool click_menu_command(HWND, UINT) { return false; }

}  // namespace winport::user

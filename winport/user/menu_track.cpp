// menu_track.cpp — how the user works a window's menu with the mouse and the keyboard.
//
// The menu is active while a bar item is highlighted; its popup may be open. The program keeps
// running meanwhile (there is no modal loop): the menu only takes the input meant for it and
// redraws itself at the next present.
//
// Mouse: pressing on a bar item opens its popup (pressing it again closes it); releasing over an
// item of the open popup chooses it; pressing anywhere else closes the menu, and that click is not
// the program's. Keyboard: Alt (pressed and released alone) or F10 selects the bar; Alt+letter
// opens the popup of that mnemonic; arrows move; Enter or an item's mnemonic letter chooses; Escape
// backs out. Keys with Ctrl held always go to the program. Grayed items and separators are never
// chosen. Choosing posts WM_COMMAND with the item's identifier and closes the menu.
#include <windows.h>

#include <cctype>

#include "display/input.h"
#include "user/control.h"
#include "user/menu_layout.h"
#include "user/state.h"

namespace winport::user {

namespace {

bool choosable(const MenuItem &item) {
  return !(item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED | MF_POPUP));
}

int bar_count(const Window &w) {
  Menu *bar = bar_menu(w);
  return bar != nullptr ? static_cast<int>(bar->items.size()) : 0;
}

// Highlight a bar item and, when asked and it has one, open its popup.
void select_bar(Window &w, int index, bool open) {
  MenuTracking &t = w.tracking;
  t.bar_item = index;
  t.open = open && popup_menu(w, index) != nullptr;
  t.popup_item = -1;
  w.frame_stale = true;
}

void choose(Window &w, const MenuItem &item) {
  if (!choosable(item)) return;
  UINT_PTR id = item.id;
  menu_close(w);
  post(w.handle, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

// The next item of the open popup that is not a separator, stepping by `step` (wrapping).
void step_popup(Window &w, int step) {
  Menu *popup = popup_menu(w, w.tracking.bar_item);
  if (popup == nullptr || popup->items.empty()) return;
  int n = static_cast<int>(popup->items.size());
  int i = w.tracking.popup_item;
  if (i < 0) i = step > 0 ? -1 : n;
  for (int tries = 0; tries < n; ++tries) {
    i = ((i + step) % n + n) % n;
    if (!(popup->items[i].flags & MF_SEPARATOR)) {
      w.tracking.popup_item = i;
      w.frame_stale = true;
      return;
    }
  }
}

int find_mnemonic(const Menu *menu, char letter) {
  if (menu == nullptr || letter == 0) return -1;
  for (size_t i = 0; i < menu->items.size(); ++i)
    if (!(menu->items[i].flags & MF_SEPARATOR) && mnemonic_of(menu->items[i].text) == letter)
      return static_cast<int>(i);
  return -1;
}

char letter_of(int vk, unsigned char ch) {
  if (ch >= 0x20 && ch < 0x7F) return static_cast<char>(std::tolower(ch));
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return static_cast<char>(std::tolower(vk));
  return 0;
}

// A key while the menu is active.
void active_key(Window &w, int vk, unsigned char ch) {
  MenuTracking &t = w.tracking;
  int count = bar_count(w);
  switch (vk) {
    case VK_ESCAPE:
      if (t.open) select_bar(w, t.bar_item, false);
      else menu_close(w);
      return;
    case VK_F10:
    case VK_MENU: menu_close(w); return;
    case VK_LEFT:
    case VK_RIGHT:
      if (count > 0) {
        bool was_open = t.open;
        select_bar(w, ((t.bar_item + (vk == VK_RIGHT ? 1 : -1)) % count + count) % count, was_open);
        if (t.open) step_popup(w, 1);
      }
      return;
    case VK_DOWN:
    case VK_UP:
      if (!t.open) {
        select_bar(w, t.bar_item, true);
      }
      step_popup(w, vk == VK_DOWN ? 1 : -1);
      return;
    case VK_RETURN:
      if (t.open) {
        Menu *popup = popup_menu(w, t.bar_item);
        if (popup != nullptr && t.popup_item >= 0) choose(w, popup->items[t.popup_item]);
      } else if (Menu *bar = bar_menu(w); popup_menu(w, t.bar_item) == nullptr && bar != nullptr) {
        choose(w, bar->items[t.bar_item]);
      } else {
        select_bar(w, t.bar_item, true);
        step_popup(w, 1);
      }
      return;
    default: break;
  }
  char letter = letter_of(vk, ch);
  if (t.open) {
    Menu *popup = popup_menu(w, t.bar_item);
    int i = find_mnemonic(popup, letter);
    if (i < 0) return;
    t.popup_item = i;
    w.frame_stale = true;
    choose(w, popup->items[i]);  // a grayed item stays highlighted, unchosen
    return;
  }
  int i = find_mnemonic(bar_menu(w), letter);
  if (i < 0) return;
  select_bar(w, i, true);
  if (t.open) step_popup(w, 1);
  else choose(w, bar_menu(w)->items[i]);
}

}  // namespace

bool menu_active(const Window &w) { return w.tracking.bar_item >= 0; }

void menu_close(Window &w) {
  MenuTracking &t = w.tracking;
  if (t.bar_item < 0) return;
  t.bar_item = -1;
  t.open = false;
  t.popup_item = -1;
  w.frame_stale = true;
}

bool menu_mouse_button(Window &w, bool down, int x, int y) {
  if (w.menu == nullptr) return false;
  MenuTracking &t = w.tracking;
  bool active = menu_active(w);
  std::vector<RECT> bar = bar_layout(w);
  int on_bar = hit(bar, x, y);
  PopupLayout popup = t.open ? popup_layout(w, t.bar_item) : PopupLayout{};
  int on_item = t.open ? hit(popup.items, x, y) : -1;
  bool in_popup = t.open && hit({popup.frame}, x, y) == 0;

  if (down) {
    if (on_bar >= 0) {
      if (active && t.open && t.bar_item == on_bar) menu_close(w);
      else select_bar(w, on_bar, true);
      return true;
    }
    if (in_popup) {
      if (on_item >= 0 && on_item != t.popup_item) {
        t.popup_item = on_item;
        w.frame_stale = true;
      }
      return true;
    }
    if (y < kMenuBarHeight) {
      menu_close(w);
      return true;
    }
    if (!active) return false;
    menu_close(w);
    t.swallow_up = true;
    return true;
  }
  if (t.swallow_up) {
    t.swallow_up = false;
    return true;
  }
  if (!active) return y < kMenuBarHeight;
  if (on_item >= 0) {
    choose(w, popup_menu(w, t.bar_item)->items[on_item]);
  } else if (on_bar >= 0 && on_bar == t.bar_item && popup_menu(w, on_bar) == nullptr) {
    choose(w, bar_menu(w)->items[on_bar]);
  }
  return true;
}

bool menu_mouse_move(Window &w, int x, int y) {
  if (w.menu == nullptr || !w.tracking.open) return false;
  MenuTracking &t = w.tracking;
  int on_bar = hit(bar_layout(w), x, y);
  if (on_bar >= 0 && on_bar != t.bar_item) {
    select_bar(w, on_bar, true);
    return true;
  }
  int on_item = hit(popup_layout(w, t.bar_item).items, x, y);
  if (on_item >= 0 && on_item != t.popup_item) {
    t.popup_item = on_item;
    w.frame_stale = true;
  }
  return true;
}

bool menu_key(Window &w, int vk, bool down, unsigned char ch, bool ctrl, bool alt) {
  if (w.menu == nullptr || ctrl) return false;  // Ctrl keys are the program's, always
  MenuTracking &t = w.tracking;
  if (!down) {
    if (vk == VK_MENU && t.alt_alone) {
      t.alt_alone = false;
      if (menu_active(w)) menu_close(w);
      else select_bar(w, 0, false);
      return true;
    }
    return menu_active(w);
  }
  if (vk == VK_MENU) {
    t.alt_alone = true;
    return menu_active(w);
  }
  t.alt_alone = false;
  if (menu_active(w)) {
    active_key(w, vk, ch);
    return true;
  }
  if (vk == VK_F10) {
    select_bar(w, 0, false);
    return true;
  }
  if (!alt) return false;
  int i = find_mnemonic(bar_menu(w), letter_of(vk, ch));
  if (i < 0) return false;
  select_bar(w, i, true);
  if (t.open) step_popup(w, 1);
  return true;
}

bool click_menu_command(HWND hwnd, UINT id) {
  Window *w = find_window(hwnd);
  Menu *bar = w != nullptr ? bar_menu(*w) : nullptr;
  if (bar == nullptr) return false;
  for (int b = 0; b < static_cast<int>(bar->items.size()); ++b) {
    const MenuItem &top = bar->items[b];
    Menu *popup = popup_menu(*w, b);
    int index = -1;
    if (popup != nullptr) {
      for (size_t i = 0; i < popup->items.size(); ++i)
        if (!(popup->items[i].flags & (MF_SEPARATOR | MF_POPUP)) && popup->items[i].id == id) {
          index = static_cast<int>(i);
          break;
        }
      if (index < 0) continue;
    } else if ((top.flags & (MF_SEPARATOR | MF_POPUP)) || top.id != id) {
      continue;
    }
    menu_close(*w);
    RECT r = bar_layout(*w)[b];
    auto click = [&](const RECT &at) {
      int x = (at.left + at.right) / 2, y = (at.top + at.bottom) / 2;
      input::mouse_button(hwnd, 1, true, x, y);
      if (find_window(hwnd) != nullptr) input::mouse_button(hwnd, 1, false, x, y);
    };
    click(r);
    if (popup != nullptr && (w = find_window(hwnd)) != nullptr && w->tracking.open)
      click(popup_layout(*w, b).items[index]);
    return true;
  }
  return false;
}

}  // namespace winport::user

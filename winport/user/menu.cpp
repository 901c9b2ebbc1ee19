// menu.cpp — menus as data: bars, popups and their items.
//
// A menu is a list of items (string, separator or popup, possibly checked or grayed); a window
// shows one menu bar, 19 pixels high above its client area. Items are found by command identifier
// through popups too, as MF_BYCOMMAND does, or by position. Every change marks the windows that
// show menus for redrawing at the next present.
#include <windows.h>

#include <algorithm>
#include <functional>

#include "user/state.h"

namespace winport::user {

Menu *find_menu(HMENU hmenu) {
  if (hmenu == nullptr) return nullptr;
  for (auto &m : state().menus)
    if (m->handle == hmenu) return m.get();
  return nullptr;
}

namespace {

HMENU create(bool popup) {
  auto menu = std::make_unique<Menu>();
  menu->handle = reinterpret_cast<HMENU>(new_handle());
  menu->popup = popup;
  HMENU handle = menu->handle;
  state().menus.push_back(std::move(menu));
  return handle;
}

void menus_changed() {
  for (auto &w : state().windows)
    if (w->menu != nullptr) w->frame_stale = true;
}

// The item with this identifier (MF_BYCOMMAND, searching popups depth first) or at this position.
MenuItem *find_item(Menu *menu, UINT which, UINT flags, int depth = 0) {
  if (menu == nullptr || depth > 8) return nullptr;
  if (flags & MF_BYPOSITION) return which < menu->items.size() ? &menu->items[which] : nullptr;
  for (MenuItem &item : menu->items) {
    if (item.flags & MF_POPUP) {
      if (MenuItem *inner = find_item(find_menu(item.popup), which, flags, depth + 1)) return inner;
    } else if (!(item.flags & MF_SEPARATOR) && item.id == which) {
      return &item;
    }
  }
  return nullptr;
}

}  // namespace

void menu_forget_window(Window &w) { w.tracking = MenuTracking{}; }

}  // namespace winport::user

using namespace winport::user;

HMENU WINAPI CreateMenu(void) { return create(false); }

HMENU WINAPI CreatePopupMenu(void) { return create(true); }

BOOL WINAPI DestroyMenu(HMENU hmenu) {
  Menu *menu = find_menu(hmenu);
  if (menu == nullptr) return FALSE;
  std::vector<HMENU> popups;
  for (const MenuItem &item : menu->items)
    if (item.flags & MF_POPUP) popups.push_back(item.popup);
  auto &menus = state().menus;
  menus.erase(std::remove_if(menus.begin(), menus.end(), [&](auto &m) { return m->handle == hmenu; }), menus.end());
  for (HMENU popup : popups) DestroyMenu(popup);
  for (auto &w : state().windows) {
    if (w->menu != hmenu) continue;
    menu_close(*w);
    w->menu = nullptr;
    update_client_size(w->handle, true);
    break;
  }
  menus_changed();
  return TRUE;
}

BOOL WINAPI AppendMenuA(HMENU hmenu, UINT flags, UINT_PTR id, LPCSTR text) {
  Menu *menu = find_menu(hmenu);
  if (menu == nullptr) return FALSE;
  MenuItem item;
  item.flags = flags;
  if (flags & MF_POPUP) {
    HMENU popup = reinterpret_cast<HMENU>(id);
    if (find_menu(popup) == nullptr || popup == hmenu) return FALSE;
    item.popup = popup;
  } else {
    item.id = id;
  }
  if (!(flags & MF_SEPARATOR) && text != nullptr) item.text = text;
  menu->items.push_back(item);
  menus_changed();
  return TRUE;
}

BOOL WINAPI SetMenu(HWND hwnd, HMENU hmenu) {
  Window *w = find_window(hwnd);
  if (w == nullptr || (hmenu != nullptr && find_menu(hmenu) == nullptr)) return FALSE;
  menu_close(*w);
  w->menu = hmenu;
  w->frame_stale = true;
  update_client_size(hwnd, true);
  return TRUE;
}

HMENU WINAPI GetMenu(HWND hwnd) {
  Window *w = find_window(hwnd);
  return w != nullptr ? w->menu : nullptr;
}

BOOL WINAPI DrawMenuBar(HWND hwnd) {
  Window *w = find_window(hwnd);
  if (w == nullptr) return FALSE;
  w->frame_stale = true;
  return TRUE;
}

DWORD WINAPI CheckMenuItem(HMENU hmenu, UINT which, UINT check) {
  MenuItem *item = find_item(find_menu(hmenu), which, check);
  if (item == nullptr) return static_cast<DWORD>(-1);
  DWORD previous = item->flags & MF_CHECKED;
  item->flags = (item->flags & ~static_cast<UINT>(MF_CHECKED)) | (check & MF_CHECKED);
  menus_changed();
  return previous;
}

BOOL WINAPI EnableMenuItem(HMENU hmenu, UINT which, UINT enable) {
  MenuItem *item = find_item(find_menu(hmenu), which, enable);
  if (item == nullptr) return -1;
  UINT mask = MF_GRAYED | MF_DISABLED;
  BOOL previous = static_cast<BOOL>(item->flags & mask);
  item->flags = (item->flags & ~mask) | (enable & mask);
  menus_changed();
  return previous;
}

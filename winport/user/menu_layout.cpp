// menu_layout.cpp — geometry of the menu bar and its popups (see menu_layout.h).
#include "user/menu_layout.h"

#include <algorithm>
#include <cctype>

#include "gdi/objects.h"

namespace winport::user {

namespace {

constexpr int kBarPadding = 6;       // on each side of a bar item's text
constexpr int kItemHeight = 19;      // a popup's string item
constexpr int kSeparatorHeight = 9;  // a popup's separator
constexpr int kCheckColumn = 17;     // left of the labels, where check marks go
constexpr int kShortcutGap = 16;     // between the widest label and the shortcut column
constexpr int kRightMargin = 12;

int text_width(HDC dc, const std::string &text) {
  SIZE size{0, 0};
  if (!text.empty()) GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

}  // namespace

ItemText split_item_text(const std::string &text) {
  ItemText out;
  size_t tab = text.find('\t');
  std::string label = text.substr(0, tab);
  if (tab != std::string::npos) out.shortcut = text.substr(tab + 1);
  for (size_t i = 0; i < label.size(); ++i) {
    if (label[i] == '&' && i + 1 < label.size()) {
      ++i;  // "&&" is a literal '&'
      if (label[i] != '&' && out.mnemonic < 0) out.mnemonic = static_cast<int>(out.label.size());
    }
    out.label += label[i];
  }
  return out;
}

char mnemonic_of(const std::string &text) {
  ItemText t = split_item_text(text);
  if (t.mnemonic < 0) return 0;
  return static_cast<char>(std::tolower(static_cast<unsigned char>(t.label[t.mnemonic])));
}

HDC menu_dc(Window &w) {
  if (w.composed_dc == nullptr) w.composed_dc = gdi::create_surface_dc(w.composed, w.handle);
  return w.composed_dc;
}

Menu *bar_menu(const Window &w) { return find_menu(w.menu); }

Menu *popup_menu(const Window &w, int bar_item) {
  Menu *bar = bar_menu(w);
  if (bar == nullptr || bar_item < 0 || bar_item >= static_cast<int>(bar->items.size())) return nullptr;
  const MenuItem &item = bar->items[bar_item];
  return (item.flags & MF_POPUP) ? find_menu(item.popup) : nullptr;
}

std::vector<RECT> bar_layout(Window &w) {
  std::vector<RECT> rects;
  Menu *bar = bar_menu(w);
  if (bar == nullptr) return rects;
  HDC dc = menu_dc(w);
  int x = 0;
  for (const MenuItem &item : bar->items) {
    int width = (item.flags & MF_SEPARATOR) ? kBarPadding : text_width(dc, split_item_text(item.text).label) + 2 * kBarPadding;
    rects.push_back({x, 0, x + width, kMenuBarHeight});
    x += width;
  }
  return rects;
}

PopupLayout popup_layout(Window &w, int bar_item) {
  PopupLayout layout;
  Menu *popup = popup_menu(w, bar_item);
  std::vector<RECT> bar = bar_layout(w);
  if (popup == nullptr || bar_item >= static_cast<int>(bar.size())) return layout;
  HDC dc = menu_dc(w);
  int label_width = 0, shortcut_width = 0, height = 0;
  for (const MenuItem &item : popup->items) {
    if (item.flags & MF_SEPARATOR) {
      height += kSeparatorHeight;
      continue;
    }
    ItemText t = split_item_text(item.text);
    label_width = std::max(label_width, text_width(dc, t.label));
    shortcut_width = std::max(shortcut_width, text_width(dc, t.shortcut));
    height += kItemHeight;
  }
  int width = kPopupBorder + kCheckColumn + label_width + (shortcut_width > 0 ? kShortcutGap + shortcut_width : 0) +
              kRightMargin + kPopupBorder;
  int left = bar[bar_item].left;
  int image_width = w.client->width;
  if (left + width > image_width) left = std::max(0, image_width - width);
  int top = kMenuBarHeight;
  layout.frame = {left, top, left + width, top + height + 2 * kPopupBorder};
  layout.label_x = left + kPopupBorder + kCheckColumn;
  layout.shortcut_right = left + width - kPopupBorder - kRightMargin;
  int y = top + kPopupBorder;
  for (const MenuItem &item : popup->items) {
    int h = (item.flags & MF_SEPARATOR) ? kSeparatorHeight : kItemHeight;
    layout.items.push_back({left + kPopupBorder, y, left + width - kPopupBorder, y + h});
    y += h;
  }
  return layout;
}

int hit(const std::vector<RECT> &rects, int x, int y) {
  for (size_t i = 0; i < rects.size(); ++i)
    if (x >= rects[i].left && x < rects[i].right && y >= rects[i].top && y < rects[i].bottom) return static_cast<int>(i);
  return -1;
}

}  // namespace winport::user

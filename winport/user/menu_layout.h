// menu_layout.h — where the parts of a window's menu sit in its composed image.
//
// The bar fills the top 19 rows; its items run left to right. A popup opens below its bar item,
// over the client area, moved left if it would run off the right edge. Item texts are split into
// the label (with its '&' mnemonic) and the shortcut after a tab, shown right-aligned in a column
// of its own. Text is measured with the window's menu DC (the system font).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "user/state.h"

namespace winport::user {

struct ItemText {
  std::string label;     // without the '&' marks
  int mnemonic = -1;     // index in label of the underlined letter, -1 for none
  std::string shortcut;  // the text after the tab
};
ItemText split_item_text(const std::string &text);
// The lower-case mnemonic letter of an item's text, 0 for none.
char mnemonic_of(const std::string &text);

struct PopupLayout {
  RECT frame{};              // the whole popup, border included
  std::vector<RECT> items;   // one per item, in composed-image coordinates
  int label_x = 0;           // where labels start
  int shortcut_right = 0;    // where shortcuts end (right-aligned)
};

constexpr int kPopupBorder = 3;

// The menu DC of the window (created on first use), drawing into its composed image.
HDC menu_dc(Window &w);
std::vector<RECT> bar_layout(Window &w);
PopupLayout popup_layout(Window &w, int bar_item);
// Index of the rectangle holding the point, -1 for none.
int hit(const std::vector<RECT> &rects, int x, int y);

Menu *bar_menu(const Window &w);
// The popup under a bar item, null when the item is a plain command.
Menu *popup_menu(const Window &w, int bar_item);

}  // namespace winport::user

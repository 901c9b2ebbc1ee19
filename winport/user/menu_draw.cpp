// menu_draw.cpp — the classic look of the menu bar and its popup, drawn with GDI.
//
// Light gray (192) bar and popup; the highlighted item in navy with white text; the mnemonic letter
// underlined; shortcuts right-aligned in their own column; check marks in the left column; grayed
// items embossed (white under gray); separators as an etched line; the popup framed by a raised
// two-pixel edge. Everything is drawn into the window's composed image through its menu DC.
#include <windows.h>

#include "user/menu_layout.h"
#include "user/state.h"

namespace winport::user {

namespace {

constexpr COLORREF kFace = RGB(192, 192, 192);
constexpr COLORREF kShadow = RGB(128, 128, 128);
constexpr COLORREF kHighlight = RGB(255, 255, 255);
constexpr COLORREF kDarkShadow = RGB(0, 0, 0);
constexpr COLORREF kSelected = RGB(0, 0, 128);
constexpr COLORREF kText = RGB(0, 0, 0);
constexpr COLORREF kSelectedText = RGB(255, 255, 255);

void fill(HDC dc, int left, int top, int right, int bottom, COLORREF color) {
  RECT r{left, top, right, bottom};
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

// A line from (x0, y0) to (x1, y1), the end pixel excluded as LineTo does.
void line(HDC dc, int x0, int y0, int x1, int y1, COLORREF color) {
  HPEN pen = CreatePen(PS_SOLID, 1, color);
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
  SelectObject(dc, old);
  DeleteObject(pen);
}

int text_top(HDC dc, const RECT &r, TEXTMETRICA &tm) {
  GetTextMetricsA(dc, &tm);
  return r.top + (r.bottom - r.top - tm.tmHeight) / 2;
}

// A label at (x, y) with its mnemonic letter underlined.
void label(HDC dc, int x, int y, const ItemText &t, const TEXTMETRICA &tm, COLORREF color) {
  SetTextColor(dc, color);
  TextOutA(dc, x, y, t.label.c_str(), static_cast<int>(t.label.size()));
  if (t.mnemonic < 0) return;
  SIZE before{0, 0}, letter{0, 0};
  GetTextExtentPoint32A(dc, t.label.c_str(), t.mnemonic, &before);
  GetTextExtentPoint32A(dc, t.label.c_str() + t.mnemonic, 1, &letter);
  int underline = y + tm.tmAscent + 1;
  line(dc, x + before.cx, underline, x + before.cx + letter.cx, underline, color);
}

// Text in one of three looks: normal, highlighted, grayed (embossed unless highlighted).
void item_text(HDC dc, int x, int y, const ItemText &t, const TEXTMETRICA &tm, bool selected, bool grayed) {
  if (grayed) {
    if (!selected) label(dc, x + 1, y + 1, t, tm, kHighlight);
    label(dc, x, y, t, tm, kShadow);
  } else {
    label(dc, x, y, t, tm, selected ? kSelectedText : kText);
  }
}

void check_mark(HDC dc, const RECT &item, COLORREF color) {
  // A tick seven pixels wide and three thick, centred in the check column.
  int x = item.left + 5, y = (item.top + item.bottom) / 2 - 3;
  for (int i = 0; i < 3; ++i) {
    line(dc, x, y + 2 + i, x + 3, y + 5 + i, color);
    line(dc, x + 2, y + 4 + i, x + 7, y - 1 + i, color);
  }
}

void draw_bar(Window &w, HDC dc) {
  fill(dc, 0, 0, w.composed->width, kMenuBarHeight, kFace);
  Menu *bar = bar_menu(w);
  std::vector<RECT> rects = bar_layout(w);
  TEXTMETRICA tm{};
  for (size_t i = 0; i < rects.size(); ++i) {
    const MenuItem &item = bar->items[i];
    if (item.flags & MF_SEPARATOR) continue;
    bool selected = static_cast<int>(i) == w.tracking.bar_item;
    if (selected) fill(dc, rects[i].left, rects[i].top + 1, rects[i].right, rects[i].bottom - 1, kSelected);
    int y = text_top(dc, rects[i], tm);
    item_text(dc, rects[i].left + 6, y, split_item_text(item.text), tm, selected,
              (item.flags & (MF_GRAYED | MF_DISABLED)) != 0);
  }
}

void draw_popup(Window &w, HDC dc) {
  Menu *popup = popup_menu(w, w.tracking.bar_item);
  if (popup == nullptr) return;
  PopupLayout layout = popup_layout(w, w.tracking.bar_item);
  const RECT &f = layout.frame;
  fill(dc, f.left, f.top, f.right, f.bottom, kFace);
  // Raised edge: light outer top-left, black outer bottom-right; white and gray inside them.
  fill(dc, f.left, f.top, f.right - 1, f.top + 1, kFace);
  fill(dc, f.left, f.top, f.left + 1, f.bottom - 1, kFace);
  fill(dc, f.left, f.bottom - 1, f.right, f.bottom, kDarkShadow);
  fill(dc, f.right - 1, f.top, f.right, f.bottom, kDarkShadow);
  fill(dc, f.left + 1, f.top + 1, f.right - 2, f.top + 2, kHighlight);
  fill(dc, f.left + 1, f.top + 1, f.left + 2, f.bottom - 2, kHighlight);
  fill(dc, f.left + 1, f.bottom - 2, f.right - 1, f.bottom - 1, kShadow);
  fill(dc, f.right - 2, f.top + 1, f.right - 1, f.bottom - 1, kShadow);

  TEXTMETRICA tm{};
  for (size_t i = 0; i < popup->items.size(); ++i) {
    const MenuItem &item = popup->items[i];
    const RECT &r = layout.items[i];
    if (item.flags & MF_SEPARATOR) {
      int mid = (r.top + r.bottom) / 2;
      fill(dc, r.left + 1, mid - 1, r.right - 1, mid, kShadow);
      fill(dc, r.left + 1, mid, r.right - 1, mid + 1, kHighlight);
      continue;
    }
    bool selected = static_cast<int>(i) == w.tracking.popup_item;
    bool grayed = (item.flags & (MF_GRAYED | MF_DISABLED)) != 0;
    if (selected) fill(dc, r.left, r.top, r.right, r.bottom, kSelected);
    COLORREF ink = selected ? kSelectedText : grayed ? kShadow : kText;
    if (item.flags & MF_CHECKED) check_mark(dc, r, ink);
    ItemText t = split_item_text(item.text);
    int y = text_top(dc, r, tm);
    item_text(dc, layout.label_x, y, t, tm, selected, grayed);
    if (!t.shortcut.empty()) {
      SIZE size{0, 0};
      GetTextExtentPoint32A(dc, t.shortcut.c_str(), static_cast<int>(t.shortcut.size()), &size);
      item_text(dc, layout.shortcut_right - size.cx, y, ItemText{t.shortcut, -1, {}}, tm, selected, grayed);
    }
  }
}

}  // namespace

void menu_draw(Window &w, bool bar) {
  if (w.menu == nullptr) return;
  HDC dc = menu_dc(w);
  SetBkMode(dc, TRANSPARENT);
  if (bar) draw_bar(w, dc);
  if (w.tracking.open) draw_popup(w, dc);
}

}  // namespace winport::user

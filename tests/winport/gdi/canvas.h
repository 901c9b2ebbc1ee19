// A memory DC over a fresh bitmap for pixel tests, with helpers to choose the pen and brush and to
// read coverage back.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <utility>

namespace gdi_test {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

using Pixels = std::set<std::pair<int, int>>;

class Canvas {
 public:
  Canvas(int w, int h) : w_(w), h_(h) {
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateCompatibleBitmap(dc_, w, h);
    old_bitmap_ = SelectObject(dc_, bitmap_);
    clear();
  }
  ~Canvas() {
    restore();
    SelectObject(dc_, old_bitmap_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  Canvas(const Canvas &) = delete;
  Canvas &operator=(const Canvas &) = delete;

  HDC dc() const { return dc_; }
  int width() const { return w_; }
  int height() const { return h_; }

  void clear(COLORREF c = kWhite) {
    HBRUSH b = CreateSolidBrush(c);
    RECT r = {0, 0, w_, h_};
    FillRect(dc_, &r, b);
    DeleteObject(b);
  }
  // A PS_SOLID pen of the width (or NULL_PEN when width < 0) and a solid brush, or the null brush.
  void use(int pen_width, COLORREF pen, bool filled = false, COLORREF brush = kBlue) {
    restore();
    pen_ = pen_width < 0 ? nullptr : CreatePen(PS_SOLID, pen_width, pen);
    brush_ = filled ? CreateSolidBrush(brush) : nullptr;
    old_pen_ = SelectObject(dc_, pen_ ? static_cast<HGDIOBJ>(pen_) : GetStockObject(NULL_PEN));
    old_brush_ = SelectObject(dc_, brush_ ? static_cast<HGDIOBJ>(brush_) : GetStockObject(NULL_BRUSH));
  }
  void line(int x0, int y0, int x1, int y1) {
    MoveToEx(dc_, x0, y0, nullptr);
    LineTo(dc_, x1, y1);
  }

  bool is(int x, int y, COLORREF c) const { return GetPixel(dc_, x, y) == c; }
  Pixels pixels(COLORREF c) const {
    Pixels out;
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x)
        if (GetPixel(dc_, x, y) == c) out.insert({x, y});
    return out;
  }
  Pixels painted() const {
    Pixels out;
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x)
        if (GetPixel(dc_, x, y) != kWhite) out.insert({x, y});
    return out;
  }
  // The columns of row y that are not white, as a string of '#' and '.' (for readable failures).
  std::string row(int y) const {
    std::string s;
    for (int x = 0; x < w_; ++x) s += GetPixel(dc_, x, y) == kWhite ? '.' : '#';
    return s;
  }

 private:
  void restore() {
    if (old_pen_) SelectObject(dc_, old_pen_);
    if (old_brush_) SelectObject(dc_, old_brush_);
    if (pen_) DeleteObject(pen_);
    if (brush_) DeleteObject(brush_);
    pen_ = nullptr;
    brush_ = nullptr;
    old_pen_ = old_brush_ = nullptr;
  }

  int w_, h_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_bitmap_;
  HPEN pen_ = nullptr;
  HBRUSH brush_ = nullptr;
  HGDIOBJ old_pen_ = nullptr;
  HGDIOBJ old_brush_ = nullptr;
};

// The bounding box of a pixel set: {left, top, right, bottom}, inclusive.
inline RECT bounds(const Pixels &p) {
  RECT r = {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (auto [x, y] : p) {
    r.left = std::min<LONG>(r.left, x);
    r.top = std::min<LONG>(r.top, y);
    r.right = std::max<LONG>(r.right, x);
    r.bottom = std::max<LONG>(r.bottom, y);
  }
  return r;
}

}  // namespace gdi_test

// blit.cpp — copying pixels between and within surfaces: BitBlt (SRCCOPY) and ScrollDC.
//
// Both clip the copy on the source and the destination side: pixels whose source lies off the
// source surface are left untouched, as are those whose destination lies off the destination.
// Copies within one surface are correct however the rectangles overlap (rows run in the
// direction that never reads a row already overwritten, and each row is moved with memmove).
#include <algorithm>
#include <cstring>

#include "gdi/deferred_blit.h"
#include "gdi/raster.h"

using namespace winport::gdi;
using winport::Surface;

namespace {

struct Box {
  i64 left, top, right, bottom;  // half-open
  bool empty() const { return left >= right || top >= bottom; }
};

Box intersect(const Box &a, const Box &b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

Box offset(const Box &a, i64 dx, i64 dy) { return {a.left + dx, a.top + dy, a.right + dx, a.bottom + dy}; }

Box bounds(const Surface &s) { return {0, 0, s.width, s.height}; }

// Copy the destination box dst of `to` from `from`, displaced by (-dx, -dy). Both boxes must lie
// on their surfaces.
void copy_box(Surface &to, const Surface &from, const Box &dst, i64 dx, i64 dy) {
  if (dst.empty()) return;
  to.dirty = true;
  const size_t bytes = static_cast<size_t>(dst.right - dst.left) * sizeof(uint32_t);
  const bool upwards = &to == &from && dy > 0;  // moving down: copy the bottom rows first
  for (i64 i = 0; i < dst.bottom - dst.top; ++i) {
    const i64 y = upwards ? dst.bottom - 1 - i : dst.top + i;
    std::memmove(to.row(static_cast<int>(y)) + dst.left, from.row(static_cast<int>(y - dy)) + (dst.left - dx), bytes);
  }
}

Box box_of(const RECT &r) { return {r.left, r.top, r.right, r.bottom}; }

RECT rect_of(const Box &b) {
  return {static_cast<LONG>(b.left), static_cast<LONG>(b.top), static_cast<LONG>(b.right),
          static_cast<LONG>(b.bottom)};
}

}  // namespace

extern "C" {

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
  DC *dst_dc = dc_from_handle(hdc);
  DC *src_dc = dc_from_handle(hdcSrc);
  if (!dst_dc || !src_dc || !dst_dc->surface || !src_dc->surface || rop != SRCCOPY) return FALSE;
  if (cx <= 0 || cy <= 0) return TRUE;
  Surface &to = *dst_dc->surface;
  Surface &from = *src_dc->surface;
  const i64 dx = i64{x} - x1, dy = i64{y} - y1;  // source to destination displacement
  Box dst{x, y, i64{x} + cx, i64{y} + cy};
  dst = intersect(dst, bounds(to));
  dst = intersect(dst, offset(bounds(from), dx, dy));
  if (dst.empty()) return TRUE;
  // A bitmap's pixels over the whole of a window: shown from the bitmap until either changes.
  const Box whole = bounds(to);
  if (dst_dc->window_dc && !src_dc->window_dc && dst.left == whole.left && dst.top == whole.top &&
      dst.right == whole.right && dst.bottom == whole.bottom &&
      deferred_blit::lend(dst_dc->surface, src_dc->surface, static_cast<int>(-dx), static_cast<int>(-dy)))
    return TRUE;
  deferred_blit::before_read(from);
  // Within one surface the source is the destination: nothing of it is painted over unread.
  const RECT cover = rect_of(dst);
  deferred_blit::before_write(to, &to == &from ? nullptr : &cover);
  copy_box(to, from, dst, dx, dy);
  return TRUE;
}

// Scrolls the pixels of the scroll rectangle (the whole surface when null) by (dx, dy). Only
// pixels inside the clip rectangle (the whole surface when null) are read or written. The area
// that the move uncovers keeps its old pixels; its bounding box is reported in lprcUpdate.
BOOL WINAPI ScrollDC(HDC hDC, int dx, int dy, const RECT *lprcScroll, const RECT *lprcClip,
                     HRGN hrgnUpdate, LPRECT lprcUpdate) {
  (void)hrgnUpdate;  // regions are not part of this subset
  DC *dc = dc_from_handle(hDC);
  if (!dc || !dc->surface) return FALSE;
  Surface &s = *dc->surface;
  deferred_blit::before_write(s);
  Box clip = bounds(s);
  if (lprcClip) clip = intersect(clip, box_of(*lprcClip));
  Box src = lprcScroll ? box_of(*lprcScroll) : bounds(s);
  src = intersect(src, clip);
  Box dst = src.empty() ? src : intersect(offset(src, dx, dy), clip);
  copy_box(s, s, dst, dx, dy);

  if (lprcUpdate) {
    // Bounding box of src minus dst: the strips of src above, below, left and right of dst.
    Box update{0, 0, 0, 0};
    auto add = [&](const Box &b) {
      if (b.empty()) return;
      if (update.empty()) {
        update = b;
      } else {
        update = {std::min(update.left, b.left), std::min(update.top, b.top),
                  std::max(update.right, b.right), std::max(update.bottom, b.bottom)};
      }
    };
    if (dst.empty()) {
      add(src);
    } else {
      add({src.left, src.top, src.right, dst.top});
      add({src.left, dst.bottom, src.right, src.bottom});
      add({src.left, std::max(src.top, dst.top), dst.left, std::min(src.bottom, dst.bottom)});
      add({dst.right, std::max(src.top, dst.top), src.right, std::min(src.bottom, dst.bottom)});
    }
    lprcUpdate->left = static_cast<LONG>(update.left);
    lprcUpdate->top = static_cast<LONG>(update.top);
    lprcUpdate->right = static_cast<LONG>(update.right);
    lprcUpdate->bottom = static_cast<LONG>(update.bottom);
  }
  return TRUE;
}

}  // extern "C"

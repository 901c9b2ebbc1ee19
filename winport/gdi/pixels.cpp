// pixels.cpp — reading and writing single pixels, and reading whole bitmaps back (GetDIBits).
//
// These are the ways tests and tools look at what was drawn. Reads outside a surface answer
// CLR_INVALID; writes outside it do nothing.
#include <cstring>

#include "gdi/deferred_blit.h"
#include "gdi/objects.h"

using namespace winport::gdi;
using winport::Surface;

namespace {

Surface *surface_at(HDC hdc, int x, int y) {
  DC *dc = dc_from_handle(hdc);
  if (!dc || !dc->surface) return nullptr;
  Surface *s = dc->surface.get();
  if (x < 0 || y < 0 || x >= s->width || y >= s->height) return nullptr;
  return s;
}

}  // namespace

extern "C" {

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
  Surface *s = surface_at(hdc, x, y);
  if (!s) return CLR_INVALID;
  deferred_blit::before_read(*s);
  return winport::colorref_from_pixel(s->row(y)[x]);
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color) {
  Surface *s = surface_at(hdc, x, y);
  if (!s) return static_cast<COLORREF>(-1);
  deferred_blit::before_write(*s);
  s->row(y)[x] = winport::pixel_from_colorref(color);
  s->dirty = true;
  return color & 0x00FFFFFFu;
}

// Only 32-bit BI_RGB is supported: the surface's own layout, so rows copy unchanged. A positive
// biHeight asks for bottom-up rows (start counts from the bottom row), a negative one for top-down.
// With lpvBits NULL the header is filled in and nothing is copied.
int WINAPI GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, LPBITMAPINFO lpbmi,
                     UINT usage) {
  (void)usage;
  if (!dc_from_handle(hdc) || !lpbmi) return 0;
  Object *object = object_from_handle(hbm);
  if (!object || object->kind != ObjectKind::Bitmap) return 0;
  const Surface &s = *static_cast<Bitmap *>(object)->surface;
  BITMAPINFOHEADER &h = lpbmi->bmiHeader;

  if (!lpvBits) {
    h.biWidth = s.width;
    h.biHeight = s.height;
    h.biPlanes = 1;
    h.biBitCount = 32;
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(s.width) * static_cast<DWORD>(s.height) * 4u;
    return s.height;
  }
  if (h.biBitCount != 32 || h.biCompression != BI_RGB || h.biWidth != s.width) return 0;
  bool top_down = h.biHeight < 0;
  int64_t rows = top_down ? -static_cast<int64_t>(h.biHeight) : h.biHeight;
  if (rows > s.height) rows = s.height;
  if (start >= rows) return 0;
  int64_t count = static_cast<int64_t>(cLines);
  if (count > rows - start) count = rows - start;

  auto *out = static_cast<uint32_t *>(lpvBits);
  for (int64_t i = 0; i < count; ++i) {
    // Destination line i is DIB line start + i, counted from the top or from the bottom.
    int64_t line = start + i;
    int src_y = static_cast<int>(top_down ? line : s.height - 1 - line);
    std::memcpy(out + i * s.width, s.row(src_y), static_cast<size_t>(s.width) * 4u);
  }
  return static_cast<int>(count);
}

}  // extern "C"

// dc.cpp — device contexts: creation, deletion, object selection and the simple attributes.
//
// Owns every live DC. A memory DC draws into the surface of its selected bitmap (the stock 1 x 1
// bitmap until the program selects its own); a surface DC (a window's) draws into the surface it
// was made for. Each DC counts itself in the selected_count of the objects it holds, so that
// DeleteObject can refuse an object that is still in use and DeleteDC releases them.
#include <limits>
#include <memory>
#include <new>

#include "gdi/handles.h"
#include "gdi/objects.h"
#include "gdi/raster.h"

namespace winport::gdi {
namespace {

// Live DCs; each is owned here from its creation until DeleteDC. The table is never destroyed:
// DCs a program leaves behind stay reachable until the very end.
HandleSet &dcs() {
  static HandleSet *table = new HandleSet;
  return *table;
}

template <typename T>
void hold(T *&slot, T *object) {
  if (slot) --slot->selected_count;
  slot = object;
  if (slot) ++slot->selected_count;
}

// The pen and its stroke routine, taken here once rather than on every drawing call.
void select_pen(DC &dc, Pen *pen) {
  hold(dc.pen, pen);
  dc.pen_width = pen->stroke_width;
  dc.pen_route = pen->route;
}

// Kept apart from SelectObject, which programs call for a pen and a brush around every shape:
// the surface's shared pointer would cost those calls registers to save and restore.
[[gnu::noinline]] HGDIOBJ select_bitmap(DC &dc, Bitmap *bitmap) {
  if (dc.window_dc) return nullptr;
  // A bitmap lives in at most one DC at a time (the shared stock bitmap excepted).
  if (bitmap != dc.bitmap && !bitmap->stock && bitmap->selected_count > 0) return nullptr;
  HGDIOBJ previous = dc.bitmap;
  hold(dc.bitmap, bitmap);
  dc.surface = bitmap->surface;
  return previous;
}

// A DC with Win32's defaults: black cosmetic pen, white brush, system font, black text on a white
// opaque background, current position (0, 0).
HDC register_dc(std::unique_ptr<DC> dc) {
  select_pen(*dc, static_cast<Pen *>(GetStockObject(BLACK_PEN)));
  hold(dc->brush, static_cast<Brush *>(GetStockObject(WHITE_BRUSH)));
  hold(dc->font, static_cast<Font *>(GetStockObject(SYSTEM_FONT)));
  DC *raw = dc.release();
  dcs().insert(raw);
  return reinterpret_cast<HDC>(raw);
}

// SelectObject, once both handles are known to be good.
HGDIOBJ select(DC &dc, Object *object) {
  switch (object->kind) {
    case ObjectKind::Pen: {
      HGDIOBJ previous = dc.pen;
      select_pen(dc, static_cast<Pen *>(object));
      return previous;
    }
    case ObjectKind::Brush: {
      HGDIOBJ previous = dc.brush;
      hold(dc.brush, static_cast<Brush *>(object));
      return previous;
    }
    case ObjectKind::Font: {
      HGDIOBJ previous = dc.font;
      hold(dc.font, static_cast<Font *>(object));
      return previous;
    }
    case ObjectKind::Bitmap:
      return select_bitmap(dc, static_cast<Bitmap *>(object));
  }
  return nullptr;
}

}  // namespace

DC *dc_from_handle(HDC hdc) {
  return dcs().contains(hdc) ? reinterpret_cast<DC *>(hdc) : nullptr;
}

HDC create_surface_dc(std::shared_ptr<Surface> surface, HWND hwnd) {
  if (!surface) return nullptr;
  auto dc = std::make_unique<DC>();
  dc->surface = std::move(surface);
  dc->window_dc = true;
  dc->hwnd = hwnd;
  return register_dc(std::move(dc));
}

std::shared_ptr<Surface> surface_of(HDC hdc) {
  DC *dc = dc_from_handle(hdc);
  return dc ? dc->surface : nullptr;
}

}  // namespace winport::gdi

using namespace winport::gdi;

extern "C" {

HDC WINAPI CreateCompatibleDC(HDC) {
  auto dc = std::make_unique<DC>();
  Bitmap *bitmap = default_bitmap();
  hold(dc->bitmap, bitmap);
  dc->surface = bitmap->surface;
  return register_dc(std::move(dc));
}

BOOL WINAPI DeleteDC(HDC hdc) {
  DC *dc = dc_from_handle(hdc);
  if (!dc) return FALSE;
  hold(dc->pen, static_cast<Pen *>(nullptr));
  hold(dc->brush, static_cast<Brush *>(nullptr));
  hold(dc->font, static_cast<Font *>(nullptr));
  hold(dc->bitmap, static_cast<Bitmap *>(nullptr));
  dcs().erase(dc);
  delete dc;
  return TRUE;
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC, int cx, int cy) {
  if (cx < 0 || cy < 0) return nullptr;
  // Win32 answers an empty size with a 1 x 1 bitmap.
  if (cx == 0 || cy == 0) cx = cy = 1;
  // Refuse sizes whose pixel count would not fit a 32-bit byte count, like a real display driver.
  if (static_cast<uint64_t>(cx) * static_cast<uint64_t>(cy) > (uint64_t{1} << 28)) return nullptr;
  auto bitmap = std::make_unique<Bitmap>();
  try {
    bitmap->surface = std::make_shared<winport::Surface>(cx, cy, 0);
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
  return static_cast<HBITMAP>(register_object(std::move(bitmap)));
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
  DC *dc = dc_from_handle(hdc);
  Object *object = object_from_handle(h);
  return dc && object ? select(*dc, object) : nullptr;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
  DC *dc = dc_from_handle(hdc);
  if (!dc) return CLR_INVALID;
  COLORREF previous = dc->text_color;
  dc->text_color = color & 0x00FFFFFFu;
  return previous;
}

COLORREF WINAPI GetTextColor(HDC hdc) {
  DC *dc = dc_from_handle(hdc);
  return dc ? dc->text_color : CLR_INVALID;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
  DC *dc = dc_from_handle(hdc);
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  int previous = dc->bk_mode;
  dc->bk_mode = mode;
  return previous;
}

int WINAPI GetBkMode(HDC hdc) {
  DC *dc = dc_from_handle(hdc);
  return dc ? dc->bk_mode : 0;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
  DC *dc = dc_from_handle(hdc);
  if (!dc) return CLR_INVALID;
  COLORREF previous = dc->bk_color;
  dc->bk_color = color & 0x00FFFFFFu;
  return previous;
}

COLORREF WINAPI GetBkColor(HDC hdc) {
  DC *dc = dc_from_handle(hdc);
  return dc ? dc->bk_color : CLR_INVALID;
}

int WINAPI SetPolyFillMode(HDC hdc, int mode) {
  DC *dc = dc_from_handle(hdc);
  if (!dc || (mode != ALTERNATE && mode != WINDING)) return 0;
  int previous = dc->poly_fill_mode;
  dc->poly_fill_mode = mode;
  return previous;
}

int WINAPI GetPolyFillMode(HDC hdc) {
  DC *dc = dc_from_handle(hdc);
  return dc ? dc->poly_fill_mode : 0;
}

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) {
  DC *dc = dc_from_handle(hdc);
  if (!dc) return FALSE;
  if (lppt) *lppt = dc->position;
  dc->position = {x, y};
  return TRUE;
}

}  // extern "C"

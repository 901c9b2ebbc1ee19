// objects.h — GDI objects and device contexts, shared inside winport's GDI.
//
// Handles are pointers to these structures. Every live object and DC is registered, so a stale or
// foreign handle is refused (as Win32 refuses it) instead of being dereferenced. Stock objects are
// created once and ignore DeleteObject.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "gdi/surface.h"

namespace winport::gdi {

enum class ObjectKind { Pen, Brush, Font, Bitmap };

// Every object fits a slot of the object pool (objects.cpp) of this many bytes.
constexpr size_t kObjectSlotSize = 128;

struct Object {
  explicit Object(ObjectKind k) : kind(k) {}
  virtual ~Object() = default;
  // Pens and brushes are made and deleted for every drawing call: their memory is a pool's slot,
  // recycled.
  static void *operator new(size_t size);
  static void operator delete(void *p, size_t size);
  ObjectKind kind;
  bool stock = false;
  int selected_count = 0;  // how many DCs have it selected
};

// How a pen strokes outlines: not at all (PS_NULL), one pixel wide, thin and wide (2 .. 4 pixels:
// each piece written at once), or wide (pieces gathered row by row, so that long traced outlines
// are written once).
enum class PenRoute { None, Cosmetic, Thin, Wide };

struct Pen : Object {
  Pen() : Object(ObjectKind::Pen) {}
  int style = PS_SOLID;
  int width = 0;  // 0 and 1 are cosmetic (1 pixel); wider solid pens are geometric
  COLORREF color = 0;
  // Worked out once when the pen is made (pens never change), for every selection to copy: the
  // width geometry uses (0 none, 1 cosmetic, or the geometric width) and the stroke routine.
  int64_t stroke_width = 1;
  PenRoute route = PenRoute::Cosmetic;
};

struct Brush : Object {
  Brush() : Object(ObjectKind::Brush) {}
  bool hollow = false;  // NULL_BRUSH fills nothing
  COLORREF color = 0;
};

// What CreateFontA was asked for; the text module resolves it to a face and size on first use.
struct Font : Object {
  Font() : Object(ObjectKind::Font) {}
  int height = 0;  // < 0: em height in pixels; > 0: cell height; 0: default size
  int width = 0;
  int weight = FW_NORMAL;
  bool italic = false;
  bool underline = false;
  bool strike_out = false;
  int pitch_and_family = 0;
  std::string face;
  // Filled by the text module: the resolved face at its pixel size (cached, shared).
  std::shared_ptr<void> resolved;
};

struct Bitmap : Object {
  Bitmap() : Object(ObjectKind::Bitmap) {}
  std::shared_ptr<Surface> surface;
};

static_assert(sizeof(Pen) <= kObjectSlotSize && sizeof(Brush) <= kObjectSlotSize &&
                  sizeof(Font) <= kObjectSlotSize && sizeof(Bitmap) <= kObjectSlotSize,
              "every GDI object fits a pool slot");

struct DC {
  // Where the pixels go: a selected bitmap's surface, a window's client surface, or a 1 x 1
  // monochrome-like default surface for a fresh memory DC.
  std::shared_ptr<Surface> surface;
  bool window_dc = false;
  HWND hwnd = nullptr;  // window DCs only

  Pen *pen = nullptr;
  PenRoute pen_route = PenRoute::Cosmetic;  // pen->route
  int64_t pen_width = 1;                    // pen->stroke_width
  Brush *brush = nullptr;
  Font *font = nullptr;
  Bitmap *bitmap = nullptr;  // memory DCs: the selected bitmap (a stock 1 x 1 one at first)

  COLORREF text_color = RGB(0, 0, 0);
  COLORREF bk_color = RGB(255, 255, 255);
  int bk_mode = OPAQUE;
  int poly_fill_mode = ALTERNATE;
  POINT position = {0, 0};
};

// Handle lookup: nullptr for handles that are not live objects of that kind.
DC *dc_from_handle(HDC hdc);

// Objects live in the slots of a pool (objects.cpp), each slot with a live flag: a handle names a
// live object when it is the start of a slot whose flag is set. The live flag of the slot that
// starts at h; nullptr when h is not the start of a slot.
bool *live_flag(const void *h);
inline Object *object_from_handle(HGDIOBJ h) {
  const bool *live = live_flag(h);
  return live && *live ? static_cast<Object *>(h) : nullptr;
}

// Takes ownership of a newly created object (CreatePen, CreateFontA, ...) and returns its handle.
// The object lives until DeleteObject succeeds on it.
HGDIOBJ register_object(std::unique_ptr<Object> object);
// The stock 1 x 1 bitmap that a fresh memory DC has selected.
Bitmap *default_bitmap();

// A DC that draws into the given surface (used by USER32 for window DCs). Release with DeleteDC.
HDC create_surface_dc(std::shared_ptr<Surface> surface, HWND hwnd);
// The surface a DC draws into (nullptr for an invalid handle).
std::shared_ptr<Surface> surface_of(HDC hdc);

}  // namespace winport::gdi

// objects.cpp — the registry of GDI objects: pens, brushes, fonts and bitmaps.
//
// Owns every live object. A handle is the object's address, but it is only ever dereferenced after
// the registry has confirmed that it names a live object, so stale, foreign or null handles are
// refused. Stock objects are made once, on first use, and live for the whole process; DeleteObject
// accepts them and leaves them alone. An object that is selected into a DC cannot be deleted
// (DeleteObject returns FALSE, as Win32 documents), so a DC never points at freed memory.
#include <memory>
#include <vector>

#include "gdi/handles.h"
#include "gdi/objects.h"

namespace winport::gdi {
namespace {

// Live objects; each is owned here from register_object until DeleteObject. The table is never
// destroyed: objects a program leaves behind stay reachable until the very end.
HandleSet &registry() {
  static HandleSet *objects = new HandleSet;
  return *objects;
}

HGDIOBJ make_stock(std::unique_ptr<Object> object) {
  object->stock = true;
  return register_object(std::move(object));
}

std::unique_ptr<Object> stock_pen(int style, COLORREF color) {
  auto pen = std::make_unique<Pen>();
  pen->style = style;
  pen->color = color;
  return pen;
}

std::unique_ptr<Object> stock_brush(bool hollow, COLORREF color) {
  auto brush = std::make_unique<Brush>();
  brush->hollow = hollow;
  brush->color = color;
  return brush;
}

// The fixed-pitch fonts have a cell 13 pixels high; the proportional ones a 16-pixel cell.
std::unique_ptr<Object> stock_font(bool fixed) {
  auto font = std::make_unique<Font>();
  if (fixed) {
    font->face = "monospace";
    font->pitch_and_family = FIXED_PITCH | FF_MODERN;
    font->height = 13;
  } else {
    font->face = "sans-serif";
    font->height = 16;
  }
  return font;
}

std::unique_ptr<Object> stock_bitmap() {
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->surface = std::make_shared<Surface>(1, 1, 0);
  return bitmap;
}

struct StockTable {
  HGDIOBJ objects[DEFAULT_GUI_FONT + 1] = {};
  HGDIOBJ default_bitmap = nullptr;

  StockTable() {
    objects[WHITE_BRUSH] = make_stock(stock_brush(false, RGB(255, 255, 255)));
    objects[LTGRAY_BRUSH] = make_stock(stock_brush(false, RGB(192, 192, 192)));
    objects[GRAY_BRUSH] = make_stock(stock_brush(false, RGB(128, 128, 128)));
    objects[DKGRAY_BRUSH] = make_stock(stock_brush(false, RGB(64, 64, 64)));
    objects[BLACK_BRUSH] = make_stock(stock_brush(false, RGB(0, 0, 0)));
    objects[NULL_BRUSH] = make_stock(stock_brush(true, RGB(0, 0, 0)));
    objects[WHITE_PEN] = make_stock(stock_pen(PS_SOLID, RGB(255, 255, 255)));
    objects[BLACK_PEN] = make_stock(stock_pen(PS_SOLID, RGB(0, 0, 0)));
    objects[NULL_PEN] = make_stock(stock_pen(PS_NULL, RGB(0, 0, 0)));
    objects[OEM_FIXED_FONT] = make_stock(stock_font(true));
    objects[ANSI_FIXED_FONT] = make_stock(stock_font(true));
    objects[ANSI_VAR_FONT] = make_stock(stock_font(false));
    objects[SYSTEM_FONT] = make_stock(stock_font(false));
    objects[DEVICE_DEFAULT_FONT] = make_stock(stock_font(false));
    objects[SYSTEM_FIXED_FONT] = make_stock(stock_font(true));
    objects[DEFAULT_GUI_FONT] = make_stock(stock_font(false));
    default_bitmap = make_stock(stock_bitmap());
  }
};

StockTable &stock() {
  static StockTable table;
  return table;
}

// Recycled object memory: one free list per size class of 16 bytes (GDI objects belong to the
// drawing thread, like the registry). Never destroyed, so objects deleted during exit still find
// it. Sanitizer builds use the heap directly, so that its checks see every object.
constexpr size_t kPoolClasses = 16;
struct FreeList {
  std::vector<void *> blocks[kPoolClasses];
};
FreeList &free_list() {
  static FreeList *list = new FreeList;
  return *list;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kRecycle = false;
#else
constexpr bool kRecycle = true;
#endif

}  // namespace

void *Object::operator new(size_t size) {
  const size_t c = (size + 15) / 16;
  if (kRecycle && c < kPoolClasses && !free_list().blocks[c].empty()) {
    void *p = free_list().blocks[c].back();
    free_list().blocks[c].pop_back();
    return p;
  }
  return ::operator new(c * 16);
}

void Object::operator delete(void *p, size_t size) {
  const size_t c = (size + 15) / 16;
  if (kRecycle && c < kPoolClasses && free_list().blocks[c].size() < 64) {
    free_list().blocks[c].push_back(p);
    return;
  }
  ::operator delete(p);
}

HGDIOBJ register_object(std::unique_ptr<Object> object) {
  if (!object) return nullptr;
  Object *raw = object.release();
  registry().insert(raw);
  return raw;
}

Object *object_from_handle(HGDIOBJ h) {
  return registry().contains(h) ? static_cast<Object *>(h) : nullptr;
}

// The 1 x 1 bitmap that a fresh memory DC starts with (see dc.cpp).
Bitmap *default_bitmap() { return static_cast<Bitmap *>(stock().default_bitmap); }

}  // namespace winport::gdi

using namespace winport::gdi;

extern "C" {

HGDIOBJ WINAPI GetStockObject(int i) {
  if (i < 0 || i > DEFAULT_GUI_FONT) return nullptr;
  return stock().objects[i];
}

HPEN WINAPI CreatePen(int iStyle, int cWidth, COLORREF color) {
  auto pen = std::make_unique<Pen>();
  // Dashed and dotted styles are drawn solid; only PS_NULL changes what is drawn.
  pen->style = iStyle == PS_NULL ? PS_NULL : PS_SOLID;
  pen->width = cWidth < 0 ? 0 : cWidth;
  pen->color = color & 0x00FFFFFFu;
  return static_cast<HPEN>(register_object(std::move(pen)));
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  auto brush = std::make_unique<Brush>();
  brush->color = color & 0x00FFFFFFu;
  return static_cast<HBRUSH>(register_object(std::move(brush)));
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
  Object *object = object_from_handle(ho);
  if (!object) return FALSE;
  if (object->stock) return TRUE;
  if (object->selected_count > 0) return FALSE;
  registry().erase(object);
  delete object;
  return TRUE;
}

}  // extern "C"

// objects.cpp — the registry of GDI objects: pens, brushes, fonts and bitmaps.
//
// Owns every live object. A handle is the object's address, but it is only ever dereferenced after
// the registry has confirmed that it names a live object, so stale, foreign or null handles are
// refused. Stock objects are made once, on first use, and live for the whole process; DeleteObject
// accepts them and leaves them alone. An object that is selected into a DC cannot be deleted
// (DeleteObject returns FALSE, as Win32 documents), so a DC never points at freed memory.
//
// Objects live in the slots of a pool, whose memory is reused as programs make and delete a pen
// and a brush for every drawing call. A live-flag per slot makes the registry: a handle names a
// live object when it is the start of a slot whose flag is set, which takes a range check and one
// load instead of a hash lookup, and reads no memory but the pool's own.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define WINPORT_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define WINPORT_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define WINPORT_POISON(p, n) ((void)(p), (void)(n))
#define WINPORT_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

#include "gdi/objects.h"
#include "gdi/raster.h"

namespace winport::gdi {
namespace {

// A new pen's width for geometry and its stroke routine, from its style and width.
void settle(Pen &pen) {
  pen.stroke_width = pen.style == PS_NULL ? 0
                     : pen.width <= 1     ? 1
                                          : std::min<int64_t>(pen.width, kMaxPenWidth);
  pen.route = pen.stroke_width == 0               ? PenRoute::None
              : pen.stroke_width == 1             ? PenRoute::Cosmetic
              : pen.stroke_width <= kThinPenLimit ? PenRoute::Thin
                                                  : PenRoute::Wide;
}

// An array that only grows, of plain pointers: unlike the standard containers, it can be made
// before any code runs with every compiler (see PoolHolder below).
template <typename T>
class GrowingArray {
 public:
  size_t size() const { return size_; }
  T &operator[](size_t i) { return data_[i]; }
  void grow_to(size_t n) {
    T *bigger = new T[n]();
    std::move(data_, data_ + size_, bigger);
    delete[] data_;
    data_ = bigger;
    size_ = n;
  }

 private:
  T *data_ = nullptr;
  size_t size_ = 0;
};

// Slots of kSlotSize bytes in chunks of kChunkSlots, each with its live flag; chunks are added as
// needed and never given back.
class ObjectPool {
 public:
  static constexpr size_t kSlotSize = kObjectSlotSize;
  static constexpr size_t kChunkSlots = 1024;

  void *allocate() {
    if (free_count_ == 0) add_chunk();
    void *p = free_[--free_count_];
    WINPORT_UNPOISON(p, kSlotSize);
    return p;
  }
  void release(void *p) {
    WINPORT_POISON(p, kSlotSize);  // sanitizer builds catch use after delete
    free_[free_count_++] = p;  // never full: it has room for every slot
  }
  // The live flag of the slot that starts at p; nullptr when p is not the start of a slot.
  bool *live_flag(const void *p) {
    const auto address = reinterpret_cast<uintptr_t>(p);
    for (size_t i = 0; i < chunks_.size(); ++i) {
      Chunk &c = chunks_[i];
      const uintptr_t offset = address - reinterpret_cast<uintptr_t>(c.slots.get());
      if (offset < kChunkSlots * kSlotSize) {
        return offset % kSlotSize == 0 ? &c.live[offset / kSlotSize] : nullptr;
      }
    }
    return nullptr;
  }

 private:
  struct alignas(kSlotSize) Slot {
    unsigned char bytes[kSlotSize];
  };
  struct Chunk {
    std::unique_ptr<Slot[]> slots;
    std::unique_ptr<bool[]> live;
  };

  [[gnu::noinline]] void add_chunk() {  // rare: kept out of allocate()
    // The slots are left uninitialised (untouched pages cost nothing); the flags start false.
    Chunk c{std::unique_ptr<Slot[]>(new Slot[kChunkSlots]), std::make_unique<bool[]>(kChunkSlots)};
    free_.grow_to(free_.size() + kChunkSlots);
    // Handed out from the lowest address up.
    for (size_t i = kChunkSlots; i-- > 0;) {
      free_[free_count_++] = &c.slots[i];
      WINPORT_POISON(&c.slots[i], kSlotSize);
    }
    chunks_.grow_to(chunks_.size() + 1);
    chunks_[chunks_.size() - 1] = std::move(c);
  }

  GrowingArray<Chunk> chunks_;
  GrowingArray<void *> free_;  // the free slots are the first free_count_
  size_t free_count_ = 0;
};

// Made before any code runs (no check on each use) and never destroyed: objects a program leaves
// behind stay reachable until the very end, and objects deleted during exit still find it.
union PoolHolder {
  ObjectPool pool;
  constexpr PoolHolder() : pool() {}
  ~PoolHolder() {}
};
constinit PoolHolder holder;

ObjectPool &pool() { return holder.pool; }

HGDIOBJ make_stock(std::unique_ptr<Object> object) {
  object->stock = true;
  return register_object(std::move(object));
}

std::unique_ptr<Object> stock_pen(int style, COLORREF color) {
  auto pen = std::make_unique<Pen>();
  pen->style = style;
  pen->color = color;
  settle(*pen);
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

}  // namespace

void *Object::operator new(size_t size) {
  if (size > ObjectPool::kSlotSize) throw std::bad_alloc();  // never: objects.h checks every type
  return pool().allocate();
}

void Object::operator delete(void *p, size_t) { pool().release(p); }

bool *live_flag(const void *h) { return pool().live_flag(h); }

namespace {

// A newly made object becomes live: from now on its handle is accepted.
HGDIOBJ publish(Object *object) {
  *live_flag(object) = true;
  return object;
}

}  // namespace

HGDIOBJ register_object(std::unique_ptr<Object> object) {
  if (!object) return nullptr;
  return publish(object.release());
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
  auto *pen = new Pen;
  // Dashed and dotted styles are drawn solid; only PS_NULL changes what is drawn.
  pen->style = iStyle == PS_NULL ? PS_NULL : PS_SOLID;
  pen->width = cWidth < 0 ? 0 : cWidth;
  pen->color = color & 0x00FFFFFFu;
  settle(*pen);
  return static_cast<HPEN>(publish(pen));
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  auto *brush = new Brush;
  brush->color = color & 0x00FFFFFFu;
  return static_cast<HBRUSH>(publish(brush));
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
  bool *live = live_flag(ho);
  if (!live || !*live) return FALSE;
  auto *object = static_cast<Object *>(ho);
  if (object->stock) return TRUE;
  if (object->selected_count > 0) return FALSE;
  *live = false;
  delete object;
  return TRUE;
}

}  // extern "C"

// surface.h — the pixel surfaces that device contexts draw into.
//
// A surface is a 32-bit top-down pixel array. Each pixel is 0x00RRGGBB, which is the byte order
// B, G, R, 0 in memory: the layout of a 32-bit BI_RGB DIB, so GetDIBits and the displays copy rows
// unchanged. Bitmaps and windows own their surfaces through shared pointers, so a device context
// that outlives its window still points at valid memory.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace winport {

// Pixel memory. A window-sized surface is megabytes of fresh memory whose pages the first fill
// faults in one by one; on many systems that costs more than drawing the whole first frame.
// Surfaces of half a megabyte or more therefore ask for huge pages where the system grants them on
// request (Linux), so that a handful of faults map the whole surface.
template <typename T>
struct SurfaceAllocator {
  using value_type = T;
  static constexpr size_t kLarge = size_t{512} << 10;
  static constexpr size_t kHugePage = size_t{2} << 20;

  SurfaceAllocator() = default;
  template <typename U>
  SurfaceAllocator(const SurfaceAllocator<U> &) {}

  T *allocate(size_t n) {
    const size_t bytes = n * sizeof(T);
    if (kHugePages && bytes >= kLarge) return static_cast<T *>(huge(bytes));
    return static_cast<T *>(::operator new(bytes));
  }
  void deallocate(T *p, size_t n) {
    if (kHugePages && n * sizeof(T) >= kLarge) {
      std::free(p);
    } else {
      ::operator delete(p);
    }
  }

 private:
#if defined(__linux__)
  static constexpr bool kHugePages = true;
  static void *huge(size_t bytes) {
    void *p = nullptr;
    const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    if (posix_memalign(&p, kHugePage, rounded) != 0) throw std::bad_alloc();
    madvise(p, rounded, MADV_HUGEPAGE);  // a hint: without it the pages are merely small
    return p;
  }
#else
  static constexpr bool kHugePages = false;
  static void *huge(size_t) { return nullptr; }
#endif

 public:
  template <typename U>
  bool operator==(const SurfaceAllocator<U> &) const { return true; }
};

struct Surface {
  int width = 0;
  int height = 0;
  std::vector<uint32_t, SurfaceAllocator<uint32_t>> pixels;  // width * height, row-major, top row first
  // Set by every write; the windowing layer clears it when it presents the surface.
  bool dirty = false;
  // Lent or borrowed by a BitBlt not done yet (deferred_blit.h): settle before touching the pixels.
  bool deferred = false;

  Surface() = default;
  Surface(int w, int h, uint32_t fill = 0) { resize(w, h, fill); }
  void resize(int w, int h, uint32_t fill = 0) {
    width = w > 0 ? w : 0;
    height = h > 0 ? h : 0;
    pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), fill);
    dirty = true;
  }
  uint32_t *row(int y) { return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width); }
  const uint32_t *row(int y) const {
    return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
  }
};

// COLORREF (0x00BBGGRR) to surface pixel (0x00RRGGBB) and back.
inline uint32_t pixel_from_colorref(COLORREF c) {
  return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
inline COLORREF colorref_from_pixel(uint32_t p) {
  return ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
}

}  // namespace winport

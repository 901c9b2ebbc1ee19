// surface.h — the pixel surfaces that device contexts draw into.
//
// A surface is a 32-bit top-down pixel array. Each pixel is 0x00RRGGBB, which is the byte order
// B, G, R, 0 in memory: the layout of a 32-bit BI_RGB DIB, so GetDIBits and the displays copy rows
// unchanged. Bitmaps and windows own their surfaces through shared pointers, so a device context
// that outlives its window still points at valid memory.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace winport {

struct Surface {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // width * height, row-major, top row first
  // Set by every write; the windowing layer clears it when it presents the surface.
  bool dirty = false;

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

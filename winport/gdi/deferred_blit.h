// deferred_blit.h — a bitmap copied onto a whole window is shown from the bitmap's own pixels.
//
// What it buys: a program that draws every frame into a bitmap and then copies the bitmap onto
// its window (TEVRA does, a 601 x 540 canvas onto a 595 x 496 client area) copies no pixels per
// frame. Script playback with a full redraw per event runs about 1.5 times as fast as with the
// copy (bench/playback_bench, BM_ReplayRecordedGame).
//
// How: a SRCCOPY BitBlt from a memory DC that fills the whole of a window's surface is recorded
// as a loan instead of done: the window shows the bitmap's pixels, read where they are (shown()).
// Both surfaces of a loan have `deferred` set, and every GDI call that touches one of them settles
// the loan first (a single test of that flag per call), so no caller can tell:
//   - before the bitmap is written, the window needs the lent pixels. When the write is known to
//     paint the lent area opaquely (TEVRA starts each frame with a canvas-sized Rectangle), the
//     window takes the bitmap's pixel buffer and the bitmap gets a spare one: only its pixels
//     outside the painted box are copied. Otherwise the window copies the lent pixels into its
//     own buffer and the loan ends. The frame a window took is the spare of its next loan.
//   - before the window is read (other than presented) or written, it copies the pixels it shows
//     into its own buffer (unless the write paints all of it) and the loan ends.
// A deleted bitmap stays alive while lent. Nothing outside winport's GDI and USER32 presentation
// knows about loans.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "gdi/surface.h"

namespace winport::gdi::deferred_blit {

// Records the copy of the bitmap's pixels from (x, y) on onto the whole window surface, which the
// caller checked lies within the bitmap. False when it must be copied after all.
bool lend(const std::shared_ptr<Surface> &window, const std::shared_ptr<Surface> &bitmap, int x, int y);

// Where a surface's visible pixels are: its own, or those it borrows. Valid until the next GDI call.
struct View {
  const uint32_t *pixels;
  int stride;  // in pixels
};
View shown(const Surface &s);

void settle_for_read(Surface &s);
void settle_for_write(Surface &s, const RECT *cover);

// Before anything but presentation reads a surface's pixels.
inline void before_read(Surface &s) {
  if (s.deferred) [[unlikely]] settle_for_read(s);
}
// Before anything writes a surface's pixels. `cover`, when given, is a box (surface pixels,
// half-open) that the write paints opaquely whatever was there.
inline void before_write(Surface &s, const RECT *cover = nullptr) {
  if (s.deferred) [[unlikely]] settle_for_write(s, cover);
}

}  // namespace winport::gdi::deferred_blit
